#!/usr/bin/env bash
# Installs what building, running and testing Tavrelle need on Debian 12.
#   scripts/setup.sh            the Linux build, its tests and the run command
#   scripts/setup.sh --windows  also the i686 MinGW-w64 compiler and Wine
set -euo pipefail

packages=(build-essential cmake ninja-build pkg-config git
          qt6-base-dev libcurl4-openssl-dev libgtest-dev libbenchmark-dev
          clang libclang-rt-14-dev fonts-wqy-microhei xvfb x11-utils xdotool imagemagick openssl python3 ca-certificates)
if [[ "${1:-}" == "--windows" ]]; then
  packages+=(g++-mingw-w64-i686 wine wine32:i386)
fi

missing=()
for package in "${packages[@]}"; do
  if [[ "$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null)" != "install ok installed" ]]; then
    missing+=("$package")
  fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
if printf '%s\n' "${missing[@]}" | grep -q ':i386$'; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -q
# With recommends: Wine needs its recommended libraries at run time (GnuTLS
# for HTTPS, the X extensions, its fonts).
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
