#!/bin/bash
# Installs the Debian 12 packages that building, running and testing Varnelo need.
# Runs apt-get only when something is missing, so it is cheap to call every time.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-translations-l10n
    libsqlite3-dev libcpp-httplib-dev libcanberra-dev libfontconfig-dev
    libbenchmark-dev libphonenumber-dev libxlsxwriter-dev
    tinyproxy
    xvfb xauth fonts-dejavu-core
    dbus
    python3
    clang libclang-rt-14-dev libfuzzer-14-dev
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
