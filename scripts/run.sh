#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tarvelo '96 in the current folder (its data files live there).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$here/build" -j"$(nproc)" --target tarvelo96 tarvelo96-cli
exec "$here/build/src/tarvelo96" "$@"
