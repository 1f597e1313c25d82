#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ binutils googletest libgtest-dev libgmock-dev
  g++-i686-linux-gnu g++-arm-linux-gnueabihf qemu-user
  libtomlplusplus-dev libserialport-dev
  clang libclang-rt-14-dev libbenchmark-dev valgrind gnuplot-nox
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
