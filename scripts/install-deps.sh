#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
set -euo pipefail
packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-multimedia-dev libqt6svg6 qt6-image-formats-plugins libgl-dev
    libsqlcipher-dev libgtest-dev libgmock-dev libical-dev
    python3 python3-vobject python3-icalendar radicale qtkeychain-qt6-dev
    sqlite3 sqlcipher
    libpq-dev postgresql openssl curl
    fonts-dejavu-core xvfb xauth tzdata poppler-utils
    clang libclang-rt-14-dev
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q "${missing[@]}"
