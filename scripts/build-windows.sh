#!/usr/bin/env bash
# Cross-builds orvane-convert.exe for 64-bit Windows with Debian's MinGW-w64 and packs it as
# build-windows/orvane-convert-VERSION-windows-x64.zip.
#
# zlib comes from Debian's libz-mingw-w64-dev. The other libraries are built here, as static
# libraries, from the source packages of the Debian release this machine runs (apt-get source,
# verified by apt against the signed source index), into build-windows/deps/. Everything
# under build-windows/ is kept between runs: a library is built again only when its version
# here changes.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-windows
sources=$out/sources
deps=$out/deps
work=$out/deps-build
jobs=2

# Debian 12's versions. expat names its revision: the security suite lists a newer source
# than the archive serves.
readonly packages=(
    expat=2.5.0-1+deb12u2
    pugixml=1.13-0.2
    libzip=1.7.3-1
    minizip=1.1-8+deb12u1
    freexl=1.0.6-2
)

readonly triple=x86_64-w64-mingw32
readonly cc=$triple-gcc-posix
readonly ar=$triple-gcc-ar-posix
readonly toolchain=$root/cmake/windows-x86_64.cmake
# The iconv and UTF-8 fopen of the Windows build, over the system's code-page functions.
readonly compat=$root/src/core/common/windows

if [ "${1:-}" != "--no-install" ]; then
    ./scripts/install-deps.sh
fi
for tool in "$triple-g++-posix" dpkg-source zip; do
    if ! command -v "$tool" >/dev/null; then
        echo "build-windows.sh: $tool is missing; scripts/install-deps.sh installs it" >&2
        exit 1
    fi
done

# The folder apt-get source unpacks NAME=VERSION into: NAME-UPSTREAM.
source_dir() {
    local name=${1%%=*} version=${1#*=}
    version=${version#*:}
    echo "$sources/$name-${version%-*}"
}

fetch() {
    local spec=$1
    [ -d "$(source_dir "$spec")" ] && return
    mkdir -p "$sources"
    if ! (cd "$sources" && apt-get source -qq --only-source "$spec" >/dev/null); then
        echo "build-windows.sh: apt-get source $spec failed; it needs a deb-src entry for" \
            "Debian's main suites (scripts/install-deps.sh adds one)" >&2
        exit 1
    fi
}

# Runs the build step of a package once per version.
build_once() {
    local spec=$1 step=$2
    local stamp=$deps/.built/${spec/=/-}
    [ -f "$stamp" ] && return
    echo "Building ${spec/=/ } for Windows"
    rm -rf "${work:?}/${spec%%=*}"
    mkdir -p "$work/${spec%%=*}" "$deps/lib/pkgconfig" "$deps/include" "$deps/licenses"
    "$step" "$(source_dir "$spec")" "$work/${spec%%=*}"
    mkdir -p "$deps/.built"
    rm -f "$deps/.built/${spec%%=*}"-*
    touch "$stamp"
}

cmake_library() {
    local src=$1 build=$2
    shift 2
    # The libraries' own warnings go to a log, shown when the build fails.
    local log=$build/build.log
    if ! { cmake -S "$src" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DORVANE_WINDOWS_DEPS="$deps" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$deps" -DBUILD_SHARED_LIBS=OFF -Wno-dev "$@" &&
        cmake --build "$build" -j "$jobs" && cmake --install "$build"; } >"$log" 2>&1; then
        cat "$log" >&2
        exit 1
    fi
}

# With parameter entities (XML_DTD), as Debian builds it. Debian's patches test XML_DTD for
# the value 1 that its autotools build gives, where expat's CMake files define it empty: the
# value is given on the command line instead.
build_expat() {
    cmake_library "$1/expat" "$2" -DEXPAT_SHARED_LIBS=OFF -DEXPAT_BUILD_TOOLS=OFF \
        -DEXPAT_BUILD_EXAMPLES=OFF -DEXPAT_BUILD_TESTS=OFF -DEXPAT_BUILD_DOCS=OFF \
        -DEXPAT_BUILD_FUZZERS=OFF -DEXPAT_DTD=OFF -DCMAKE_C_FLAGS=-DXML_DTD=1
    cp "$1/debian/copyright" "$deps/licenses/expat.txt"
}

build_pugixml() {
    cmake_library "$1" "$2" -DPUGIXML_BUILD_TESTS=OFF
    cp "$1/debian/copyright" "$deps/licenses/pugixml.txt"
}

# Reading .xlsx needs only zlib: no other compression, no encryption, no tools.
build_libzip() {
    cmake_library "$1" "$2" -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF \
        -DENABLE_COMMONCRYPTO=OFF -DENABLE_GNUTLS=OFF -DENABLE_MBEDTLS=OFF \
        -DENABLE_OPENSSL=OFF -DENABLE_WINDOWS_CRYPTO=OFF -DBUILD_TOOLS=OFF \
        -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF
    cp "$1/debian/copyright" "$deps/licenses/libzip.txt"
}

write_pc() {
    local name=$1 version=$2 libs=$3 requires=${4:-}
    cat >"$deps/lib/pkgconfig/$name.pc" <<EOF
prefix=$deps
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: $name
Description: $name, built for Windows by scripts/build-windows.sh
Version: $version
Requires.private: $requires
Libs: -L\${libdir} $libs
Cflags: -I\${includedir}
EOF
}

# minizip and FreeXL build with autotools, which cannot cross-configure against the iconv
# below; their few sources are compiled directly.
compile_archive() {
    local build=$1 archive=$2
    shift 2
    local objects=()
    for file in "$@"; do
        local object=$build/$(basename "${file%.c}").o
        "$cc" -O2 "${cflags[@]}" -c "$file" -o "$object" 2>>"$build/build.log" ||
            { cat "$build/build.log" >&2; exit 1; }
        objects+=("$object")
    done
    rm -f "$archive"
    "$ar" rcs "$archive" "${objects[@]}"
}

build_minizip() {
    local cflags=()
    compile_archive "$2" "$deps/lib/libminizip.a" "$1"/{ioapi,mztools,unzip,zip}.c
    mkdir -p "$deps/include/minizip"
    cp "$1"/{crypt,ioapi,mztools,unzip,zip}.h "$deps/include/minizip/"
    write_pc minizip 1.1 -lminizip zlib
    cp "$1/debian/copyright" "$deps/licenses/minizip.txt"
}

# FreeXL opens its file with fopen, whose narrow path Windows reads in the ANSI code page:
# it is pointed at a fopen that takes UTF-8, so that Chinese names open.
build_freexl() {
    printf '#define VERSION "1.0.6"\n' >"$2/config.h"
    local cflags=(-I"$2" -I"$1/headers" -I"$compat" -include "$compat/Utf8Fopen.h"
        -DORVANE_REDIRECT_FOPEN)
    compile_archive "$2" "$deps/lib/libfreexl.a" "$1/src/freexl.c"
    cp "$1/headers/freexl.h" "$deps/include/"
    write_pc freexl 1.0.6 -lfreexl
    cp "$1/debian/copyright" "$deps/licenses/freexl.txt"
}

for spec in "${packages[@]}"; do
    fetch "$spec"
    build_once "$spec" "build_${spec%%=*}"
done

build=$out/build
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DORVANE_WINDOWS_DEPS="$deps" \
    -DCMAKE_BUILD_TYPE=Release -DORVANE_GUI=OFF -DORVANE_BENCH=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target orvane-convert

# The artefact: the program, the README's command-line section and the licences.
version=$(sed -n 's/^project(Orvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=orvane-convert-$version-windows-x64
stage=$out/$name
rm -rf "$stage" "$out/$name.zip"
mkdir -p "$stage/licenses"
cp "$build/src/cli/orvane-convert.exe" "$stage/"
# UTF-8 with a byte-order mark and CR LF, as Windows editors expect of a .txt.
{
    printf '\xEF\xBB\xBF'
    awk '/^## Command line/ { keep = 1 } /^## / && !/^## Command line/ { keep = 0 } keep' README.md
    awk '/^## Windows/ { keep = 1; next } /^## / { keep = 0 } keep' README.md
} | sed 's/$/\r/' >"$stage/README.txt"
cp "$deps"/licenses/*.txt "$stage/licenses/"
cp /usr/share/doc/libz-mingw-w64-dev/copyright "$stage/licenses/zlib.txt"
cp /usr/share/doc/mingw-w64-common/copyright "$stage/licenses/mingw-w64-runtime.txt"
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$stage/licenses/gcc-runtime.txt"
(cd "$out" && zip -q -r -X "$name.zip" "$name")
echo "Built $out/$name.zip"
