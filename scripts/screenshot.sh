#!/usr/bin/env bash
# Writes docs/window.png: the window on the demo suite after start-up, grabbed offscreen.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
BUILD=build-release
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVELA_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j 2 --target MorvelaLiveUpdate21 MorvelaDemoServer MorvelaSnimka

SCRATCH=$(mktemp -d)
bash scripts/pripremi-demo.sh "$BUILD" "$SCRATCH"
trap 'kill "$(cat "$SCRATCH/server.pid")" 2>/dev/null || true; rm -rf "$SCRATCH"' EXIT

mkdir -p docs
XDG_CONFIG_HOME="$SCRATCH/config" QT_QPA_PLATFORM=offscreen \
    "$BUILD/tools/MorvelaSnimka" "$SCRATCH/suite" docs/window.png
echo "Wrote docs/window.png"
