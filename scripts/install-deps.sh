#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need, and only those missing.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  libsqlite3-dev libicu-dev nlohmann-json3-dev libcli11-dev
  qt6-base-dev qt6-multimedia-dev qt6-svg-dev qt6-tools-dev-tools
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth dbus
  poppler-utils fonts-liberation2
  python3-icalendar python3-recurring-ical-events
  librsvg2-bin help2man dpkg-dev desktop-file-utils appstream man-db systemd lintian
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
