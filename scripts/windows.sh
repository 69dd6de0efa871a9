#!/usr/bin/env bash
# Cross-builds the Windows program with MinGW-w64, runs its tests under Wine and
# packs MorvelaLiveUpdate21-win64.zip. With --demo it opens the Windows window
# on the demo suite under Wine instead of testing.
#
# The Windows libraries (Qt, libcurl, 7za.exe) come from
# ../shared/toolchains/windows-x86_64-mingw.tar.xz beside the repository; without
# it they are built from Debian's sources first, which takes about an hour.
set -euo pipefail
cd "$(dirname "$0")/.."
KORIJEN=$PWD

DEMO=0
[ "${1:-}" = "--demo" ] && DEMO=1 && shift

PAKETI=(cmake ninja-build pkg-config g++-mingw-w64-x86-64-posix wine wine64 qt6-base-dev qt6-base-dev-tools
        qt6-translations-l10n googletest libcpp-httplib-dev p7zip-full xvfb xauth zip unzip xz-utils)
nedostaje=()
for p in "${PAKETI[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        nedostaje+=("$p")
    fi
done
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
if [ ${#nedostaje[@]} -gt 0 ]; then
    echo "Installing: ${nedostaje[*]}"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${nedostaje[@]}"
fi

BUILD=${WIN_BUILD_DIR:-build-win}
mkdir -p "$BUILD"
BUILD=$(cd "$BUILD" && pwd)
ALATI=${MORVELA_TOOLCHAINS:-$KORIJEN/../shared/toolchains}
PREFIX=$BUILD/windows-x86_64-mingw
if [ ! -f "$PREFIX/lib/cmake/Qt6/Qt6Config.cmake" ]; then
    if [ -f "$ALATI/windows-x86_64-mingw.tar.xz" ]; then
        echo "Unpacking the Windows toolchain from $ALATI"
        tar -xJf "$ALATI/windows-x86_64-mingw.tar.xz" -C "$BUILD"
    else
        echo "No $ALATI/windows-x86_64-mingw.tar.xz: building the Windows toolchain from Debian's"
        echo "sources first. This is slow (about an hour on 2 cores)."
        $SUDO bash "$ALATI/build-windows-toolchain.sh" "$PREFIX"
    fi
fi

# Wine keeps its own prefix under the build directory, quiet, and is stopped at the end.
export WINEPREFIX=$BUILD/wine
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
trap 'wineserver -k 2>/dev/null || true' EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Preparing the Wine prefix (once, about 15 s)"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
fi

export PKG_CONFIG_LIBDIR=$PREFIX/lib/pkgconfig
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$ALATI/mingw64.cmake" -DCMAKE_PREFIX_PATH="$PREFIX" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DMORVELA_TESTS=$([ $DEMO = 1 ] && echo OFF || echo ON) >/dev/null
cmake --build "$BUILD" -j 2

if [ $DEMO = 1 ]; then
    exec bash scripts/demo-windows.sh "$BUILD"
fi

# Tests: every Windows test program runs through Wine (the build's emulator).
# Without a display the windows are drawn offscreen.
if [ -z "${DISPLAY:-}" ]; then export QT_QPA_PLATFORM=offscreen; fi
set +e
ctest --test-dir "$BUILD" --output-on-failure -j 2 --timeout 300 "$@"
TESTOVI=$?
set -e

# The zip holds what CMake's install rules name; it must start on its own from an empty directory.
rm -rf "$BUILD/zip" "$BUILD/MorvelaLiveUpdate21-win64.zip"
cmake --install "$BUILD" --prefix "$BUILD/zip/MorvelaLiveUpdate21" >/dev/null
(cd "$BUILD/zip" && zip -qr ../MorvelaLiveUpdate21-win64.zip MorvelaLiveUpdate21)
PROBA=$(mktemp -d)
unzip -q "$BUILD/MorvelaLiveUpdate21-win64.zip" -d "$PROBA"
if ! (cd "$PROBA" && env -u WINEPATH wine MorvelaLiveUpdate21/MorvelaLiveUpdate21.exe --help | grep -q "ažuriranje"); then
    echo "The unpacked zip does not start under Wine" >&2
    TESTOVI=1
fi
rm -rf "$PROBA"
echo "Packed $BUILD/MorvelaLiveUpdate21-win64.zip"
exit $TESTOVI
