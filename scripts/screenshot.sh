#!/usr/bin/env bash
# Writes docs/window.png: the window on the demo suite, grabbed offscreen halfway through
# the transfer of the first archive of its update.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
BUILD=build-release
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVELA_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j 2 --target MorvelaLiveUpdate21 MorvelaDemoServer MorvelaSnimka

SCRATCH=$(mktemp -d)
bash scripts/pripremi-demo.sh "$BUILD" "$SCRATCH"
trap 'kill "$(cat "$SCRATCH/server.pid")" 2>/dev/null || true; rm -rf "$SCRATCH"' EXIT

# The bookkeeping program at a size a transfer can be caught halfway through; the list
# names its new size and the set is signed again.
SET="$SCRATCH/server/download/Verzija21"
mkdir -p "$SCRATCH/veliki"
{ printf MZ; head -c 24000000 /dev/urandom; } > "$SCRATCH/veliki/Knjigovodstvo21.exe"
rm -f "$SET/Knjigovodstvo21.7z"
(cd "$SCRATCH/veliki" && 7za a -bd -y -mx=0 "$SET/Knjigovodstvo21.7z" Knjigovodstvo21.exe >/dev/null)
sed -i "s/^\(Knjigovodstvo21\.exe;[^;]*;[^;]*;[^;]*;\)[0-9]*;[0-9]*;/\1$(stat -c %s "$SET/Knjigovodstvo21.7z");$(stat -c %s "$SCRATCH/veliki/Knjigovodstvo21.exe");/" "$SET/Verzije.txt"
cp "$SET/Verzije.txt" "$SET/VerzijeU.txt"
bash scripts/potpisi-set.sh -s "$SCRATCH/demo-kljuc.key" "$SET" >/dev/null

# In Croatian, as its users see it: the locale's separators and date.
mkdir -p docs
LC_ALL=hr_HR.UTF-8 XDG_CONFIG_HOME="$SCRATCH/config" QT_QPA_PLATFORM=offscreen \
    "$BUILD/tools/MorvelaSnimka" "$SCRATCH/suite" docs/window.png "$SCRATCH/server"
echo "Wrote docs/window.png"
