#!/usr/bin/env bash
# Installs what is missing, builds everything, and runs every test (on the offscreen Qt platform, so no
# display is needed).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVELO_WERROR=ON >/dev/null
cmake --build "$here/build" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
cd "$here/build"
ctest --output-on-failure -j"$(nproc)" --timeout 600
