#!/usr/bin/env bash
# Installs the distribution packages that building and testing KOLVEN needs; with the argument
# "windows", also those of the Windows cross-build and its tests under Wine.
# Idempotent: it installs only what is missing and does nothing when all is there.
set -euo pipefail

packages=(
  build-essential cmake
  qt6-base-dev
  # Qt's own Polish texts: the file dialogs and the Yes/No/Cancel buttons.
  qt6-translations-l10n
  libgtest-dev libgmock-dev
  libbenchmark-dev
  libcli11-dev
  xvfb xauth
  # clang and its sanitizer runtime: the sanitizer test build and the fuzz targets.
  clang libclang-rt-dev
)
if [ "${1:-}" = windows ]; then
  packages+=(
    # The MinGW-w64 cross compiler (posix threads) and GoogleTest's sources to build with it.
    g++-mingw-w64-x86-64-posix mingw-w64 googletest
    # Wine runs the tests headless on a virtual display; zip packs the two programs.
    wine wine64 xvfb xauth zip
  )
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "All build packages are installed."
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
