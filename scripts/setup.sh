#!/usr/bin/env bash
# Installs what building, running and testing Tavrelle need on Debian 12.
#   scripts/setup.sh            the Linux build, its tests and the run command
#   scripts/setup.sh --windows  also the MinGW-w64 cross compilers (i686 and
#                               x86-64), and Wine for both Windows builds
set -euo pipefail

packages=(build-essential cmake ninja-build pkg-config git
          qt6-base-dev libcurl4-openssl-dev libgtest-dev libbenchmark-dev
          clang libclang-rt-14-dev fonts-wqy-microhei xvfb x11-utils xdotool imagemagick openssl python3 ca-certificates)
# Packaging (scripts/package.sh) and its test tier (tests/extra/package.sh).
packages+=(dpkg-dev lintian desktop-file-utils appstream zip unzip debootstrap)
# Wine's 32-bit half. Some machines cannot execute any 32-bit x86 program;
# there these packages' own install scripts fail with "Exec format error",
# which must not stop the set-up: the x86-64 build under wine64 is tested
# there instead (tests/wine/run.sh finds out which can run).
packages_i386=()
if [[ "${1:-}" == "--windows" ]]; then
  packages+=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64)
  packages_i386+=(wine32:i386)
fi

sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"

# Prints the packages of "$@" that are not installed. An i386 package whose
# install script failed counts as present (unpacked, half-configured): asking
# again would fail the same way.
missing() {
  local package status
  for package in "$@"; do
    status="$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)"
    if [[ "$package" == *:i386 ]]; then
      [[ "$status" == "install ok "* ]] || echo "$package"
    else
      [[ "$status" == "install ok installed" ]] || echo "$package"
    fi
  done
}

mapfile -t need < <(missing "${packages[@]}")
mapfile -t need_i386 < <(missing "${packages_i386[@]+"${packages_i386[@]}"}")
[[ ${#need[@]} -eq 0 && ${#need_i386[@]} -eq 0 ]] && exit 0

if [[ ${#need_i386[@]} -gt 0 ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -q
# With recommends: Wine needs its recommended libraries at run time (GnuTLS
# for HTTPS, the X extensions, its fonts).
if [[ ${#need[@]} -gt 0 ]]; then
  echo "Installing: ${need[*]}"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${need[@]}"
fi
if [[ ${#need_i386[@]} -gt 0 ]]; then
  echo "Installing: ${need_i386[*]}"
  if ! DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${need_i386[@]}"; then
    echo "setup: the 32-bit packages did not finish installing (this machine may not run 32-bit code);" \
         "carrying on: the x86-64 Windows build is tested instead" >&2
    # Leave dpkg in a state where later installs work.
    DEBIAN_FRONTEND=noninteractive $sudo dpkg --configure -a >/dev/null 2>&1 || true
  fi
fi
