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
    # The legend image on the map: Cairo draws it, Pango sets its Chinese text (the font:
    # fonts-wqy-microhei above).
    libcairo2-dev libpango1.0-dev
    desktop-file-utils
    # Tests of the standard KML layout and of the image export: xmllint, the OGC KML 2.2
    # schema files (shipped in python3-mapproxy's test folder) and GDAL's ogrinfo with its
    # LIBKML driver, and gdalinfo.
    libxml2-utils python3-mapproxy gdal-bin
    # The Windows build (scripts/build-windows.sh) and its tests under Wine; dpkg-dev unpacks
    # the source packages of the libraries it builds.
    g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64 dpkg-dev zip
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi

# apt-get source needs a deb-src entry for Debian's main suites; added once, verified with the
# archive's key like the binary entries.
sources_entry=/etc/apt/sources.list.d/orvane-deb-src.sources
refresh=()
if ! grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    printf '%s\n' 'Types: deb-src' 'URIs: http://deb.debian.org/debian' \
        'Suites: bookworm bookworm-updates' 'Components: main' \
        'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' |
        "${sudo_cmd[@]}" tee "$sources_entry" >/dev/null
    refresh=(update)
fi

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
if [ ${#missing[@]} -eq 0 ]; then
    if [ ${#refresh[@]} -gt 0 ]; then
        "${sudo_cmd[@]}" apt-get update -qq
    fi
    exit 0
fi

echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
