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

# --demo opens the window on the demo suite; --screenshot writes docs/window-windows.png.
DEMO=""
case "${1:-}" in --demo | --screenshot) DEMO=$1 && shift ;; esac

PAKETI=(cmake ninja-build pkg-config g++ g++-mingw-w64-x86-64-posix wine wine64 qt6-base-dev qt6-base-dev-tools
        qt6-translations-l10n locales googletest libcpp-httplib-dev p7zip-full xvfb xauth zip unzip xz-utils
        dpkg-dev autoconf automake libtool minisign)
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

# The tests run on a Croatian Windows (code page 1250); Wine takes it from a Unix locale that
# must exist, or names with Croatian letters cannot reach the disk.
if ! locale -a 2>/dev/null | grep -qix 'hr_HR.utf8'; then
    $SUDO localedef -i hr_HR -f UTF-8 hr_HR.UTF-8
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
    elif [ -f "$ALATI/build-windows-toolchain.sh" ]; then
        echo "No $ALATI/windows-x86_64-mingw.tar.xz: building the Windows toolchain from Debian's"
        echo "sources first. This is slow (about an hour on 2 cores)."
        $SUDO bash "$ALATI/build-windows-toolchain.sh" "$PREFIX"
    else
        echo "No Windows toolchain: put shared/toolchains beside the repository (or set MORVELA_TOOLCHAINS)." >&2
        exit 1
    fi
fi

# libsodium (the update set's signatures) is not in the toolchain: it is built once from
# Debian's source package into the same prefix, as a DLL (about 30 s).
if [ ! -f "$PREFIX/lib/pkgconfig/libsodium.pc" ]; then
    if ! grep -rqs "deb-src" /etc/apt/sources.list /etc/apt/sources.list.d/; then
        printf '%s\n' "Types: deb-src" "URIs: http://deb.debian.org/debian" "Suites: bookworm" \
            "Components: main" "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" |
            $SUDO tee /etc/apt/sources.list.d/debian-src.sources >/dev/null
        $SUDO apt-get update -qq
    fi
    echo "Building libsodium for Windows from Debian's source"
    SODIUM=$BUILD/libsodium-src
    rm -rf "$SODIUM" && mkdir -p "$SODIUM"
    (
        cd "$SODIUM"
        apt-get source --download-only libsodium >/dev/null 2>&1
        dpkg-source -x libsodium_*.dsc src >/dev/null
        cd src
        ./autogen.sh -s >/dev/null 2>&1
        ./configure -q --host=x86_64-w64-mingw32 --prefix="$PREFIX" --enable-minimal --disable-static \
            CC=x86_64-w64-mingw32-gcc-posix >/dev/null
        make -s -j 2 >/dev/null 2>&1
        make -s install >/dev/null
    )
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
# The developer computer's suite lives on a fixed D: drive.
if [ ! -e "$WINEPREFIX/dosdevices/d:" ]; then
    mkdir -p "$BUILD/wine-d"
    ln -s "$BUILD/wine-d" "$WINEPREFIX/dosdevices/d:"
fi

cmake -S . -B "$BUILD" -G Ninja --no-warn-unused-cli -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$ALATI/mingw64.cmake" -DCMAKE_PREFIX_PATH="$PREFIX" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >/dev/null

# Packs the zip from CMake's install rules into $1 (a directory holding MorvelaLiveUpdate21/).
spakiraj() {
    rm -rf "$1"
    cmake --install "$BUILD" --prefix "$1/MorvelaLiveUpdate21" >/dev/null
}

if [ -n "$DEMO" ]; then
    cmake --build "$BUILD" -j 2 --target MorvelaLiveUpdate21 MorvelaSnimka
    # The demo as on Linux (scripts/pripremi-demo.sh), with the program from the zip in the
    # suite, the toolchain's 7za.exe, and the settings in Wine's registry. The update set is
    # served by the Linux demo server, which Wine's programs reach on loopback.
    DOMACIN=$BUILD/demo-linux
    mkdir -p "$DOMACIN/demo" "$DOMACIN/src/app"
    g++ -O2 -std=c++20 demo/DemoServer.cpp $(pkg-config --cflags --libs cpp-httplib) \
        -o "$DOMACIN/demo/MorvelaDemoServer"
    : > "$DOMACIN/src/app/MorvelaLiveUpdate21"
    SCRATCH=${MORVELA_DEMO_DIR:-${TMPDIR:-/tmp}/morvela-demo-windows}
    bash scripts/pripremi-demo.sh "$DOMACIN" "$SCRATCH"
    trap 'kill "$(cat "$SCRATCH/server.pid")" 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT
    spakiraj "$SCRATCH/zip"
    rm "$SCRATCH/suite/MorvelaLiveUpdate21" "$SCRATCH/suite/7za"
    cp -r "$SCRATCH/zip/MorvelaLiveUpdate21/." "$SCRATCH/suite/"
    cp "$PREFIX/bin/7za.exe" "$SCRATCH/suite/"
    KLJUC='HKCU\Software\Morvela\Morvela\Settings'
    wine reg delete "$KLJUC" /f >/dev/null 2>&1 || true
    while IFS='=' read -r ime vrijednost; do
        [ -n "$vrijednost" ] || continue
        case "$vrijednost" in /*) vrijednost="$(winepath -w "${vrijednost%/}")\\" ;; esac
        wine reg add "$KLJUC" /v "$ime" /t REG_SZ /d "$vrijednost" /f >/dev/null
    done < <(grep '=' "$SCRATCH/config/Morvela/Morvela.conf")
    export LC_ALL=hr_HR.UTF-8
    echo "Demo suite: $SCRATCH/suite  (log: $SCRATCH/suite/Update/Update.log)"
    if [ -z "${DISPLAY:-}" ]; then
        echo "No display found: the window runs under xvfb-run, invisible. Set DISPLAY to see it."
        NA_ZASLONU="xvfb-run -a"
    else
        NA_ZASLONU=""
    fi
    if [ "$DEMO" = "--screenshot" ]; then
        mkdir -p docs
        cp "$BUILD/tools/MorvelaSnimka.exe" "$SCRATCH/suite/"
        $NA_ZASLONU wine "$SCRATCH/suite/MorvelaSnimka.exe" "$(winepath -w "$SCRATCH/suite")" \
            "$(winepath -w "$KORIJEN/docs/window-windows.png")"
        echo "Wrote docs/window-windows.png"
    else
        $NA_ZASLONU wine "$SCRATCH/suite/MorvelaLiveUpdate21.exe"
    fi
    exit 0
fi

cmake --build "$BUILD" -j 2

# The zip holds what CMake's install rules name; it must start on its own from an empty
# directory and show the help in Croatian, letters and all.
rm -f "$BUILD/MorvelaLiveUpdate21-win64.zip"
spakiraj "$BUILD/zip"
(cd "$BUILD/zip" && zip -qr ../MorvelaLiveUpdate21-win64.zip MorvelaLiveUpdate21)
PROBA=$(mktemp -d)
unzip -q "$BUILD/MorvelaLiveUpdate21-win64.zip" -d "$PROBA"
ZIP=0
if ! (cd "$PROBA" && wine MorvelaLiveUpdate21/MorvelaLiveUpdate21.exe --help | grep -q "^Primjena: .*Automatsko ažuriranje" -z); then
    echo "The unpacked zip does not start under Wine, or its help is not in Croatian" >&2
    ZIP=1
fi
rm -rf "$PROBA"
# Wine's server keeps the display it started with: the tests start it afresh.
wineserver -k 2>/dev/null || true
echo "Packed $BUILD/MorvelaLiveUpdate21-win64.zip"

# Tests: every Windows test program runs through Wine (the build's emulator). Qt draws
# offscreen; Wine's own windows (the window finder's) need an X server, a private one if
# there is no display. ctest's summary stays the last thing said.
export QT_QPA_PLATFORM=offscreen
NA_ZASLONU=""
[ -n "${DISPLAY:-}" ] || NA_ZASLONU="xvfb-run -a"
$NA_ZASLONU ctest --test-dir "$BUILD" --output-on-failure -j 2 --timeout 300 "$@" && exit $ZIP
