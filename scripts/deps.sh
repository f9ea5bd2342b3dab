#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the benchmarks need.
# Safe to run again: only missing packages are installed.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  proj-bin libproj-dev
  shapelib libshp-dev
  gdal-bin python3 python3-gdal
  nlohmann-json3-dev
  libcli11-dev
  libcairo2-dev libpango1.0-dev fonts-ipafont-gothic librsvg2-bin
  inkscape libpugixml-dev gettext
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
