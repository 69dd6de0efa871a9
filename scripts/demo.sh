#!/usr/bin/env bash
# Builds the program and opens it on the bundled demo suite, with a local
# download server holding a newer demo update set.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

BUILD=build-release
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVELA_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j 2 --target MorvelaLiveUpdate21 MorvelaDemoServer

SCRATCH=${MORVELA_DEMO_DIR:-${TMPDIR:-/tmp}/morvela-demo}
bash scripts/pripremi-demo.sh "$BUILD" "$SCRATCH"
trap 'kill "$(cat "$SCRATCH/server.pid")" 2>/dev/null || true' EXIT
PORT=$(cat "$SCRATCH/server.port")

echo "Demo suite: $SCRATCH/suite  (log: $SCRATCH/suite/Update/Update.log)"
echo "Update set served at http://127.0.0.1:$PORT/download/Verzija21/"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: the window runs under xvfb-run, invisible. Set DISPLAY to see it."
    RUN="xvfb-run -a"
else
    RUN=""
fi
XDG_CONFIG_HOME="$SCRATCH/config" PATH="$SCRATCH/bin:$PATH" $RUN "$SCRATCH/suite/MorvelaLiveUpdate21"
