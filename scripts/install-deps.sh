#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demo need, by name,
# and only those that are missing. Safe to run again.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev clang-format
  libfmt-dev googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 icoutils
)
# Extra groups, asked for by the scripts that need them.
for group in "$@"; do
  case "$group" in
    wine) packages+=(wine wine64) ;;
    tools) packages+=(hyperfine) ;;
    # The .deb: dpkg-shlibdeps computes its Depends, lintian checks it, man renders
    # the man page; readelf (binutils) reads the program's dynamic section.
    packaging) packages+=(dpkg-dev lintian man-db groff-base binutils gzip) ;;
    *) echo "install-deps: unknown group '$group'" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
