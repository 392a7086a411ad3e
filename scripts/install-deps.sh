#!/usr/bin/env bash
# Installs the Debian packages that building, testing and the demo need, where missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config git
    libcurl4-openssl-dev zlib1g-dev googletest libcpp-httplib-dev
    g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
    wine wine64 xvfb xauth x11-utils imagemagick xdotool
    libgtkmm-3.0-dev at-spi2-core python3-pyatspi gir1.2-atspi-2.0 dbus-x11
    fonts-wqy-zenhei
    clang libclang-rt-14-dev
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
