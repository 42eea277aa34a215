#!/usr/bin/env bash
# Installs, only when missing, every Debian package that Orvane needs to build, test and run.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    clang clang-format
    qtbase5-dev qttranslations5-l10n
    libpugixml-dev
    libmarble-dev marble-qt-data marble-plugins
    xvfb xauth fonts-wqy-microhei imagemagick
    libfreexl-dev libzip-dev libexpat1-dev libminizip-dev zlib1g-dev
    desktop-file-utils
    # Tests of the standard KML layout and of the image export: xmllint, the OGC KML 2.2
    # schema files (shipped in python3-mapproxy's test folder) and GDAL's ogrinfo with its
    # LIBKML driver, and gdalinfo.
    libxml2-utils python3-mapproxy gdal-bin
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
# The standard layout's tests convert KML with togeojson, which the tests install with npm;
# any Node.js with npm serves, Debian's when there is none.
if ! command -v npm >/dev/null; then
    missing+=(npm)
fi
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
