#!/usr/bin/env bash
# Builds the benchmarks in Release into build-bench and runs every one of them.
# Each prints its own report; the script goes on past a benchmark that misses
# its target and exits non-zero at the end if any did.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

BUILD=${BUILD_DIR:-build-bench}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVELA_BENCH=ON >/dev/null

# The benchmark programs CMake knows about, whoever added them.
mapfile -t ciljevi < <(ninja -C "$BUILD" -t targets all | sed -n 's/^\(bench_[A-Za-z0-9_]*\): phony$/\1/p' |
                       grep -v -E '_autogen(_timestamp_deps)?$' | sort -u)
cmake --build "$BUILD" -j 2 --target "${ciljevi[@]}"

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
neuspjeli=()
for cilj in "${ciljevi[@]}"; do
    echo "== $cilj"
    if ! "$BUILD/bench/$cilj"; then
        neuspjeli+=("$cilj")
    fi
    echo
done

if [ ${#neuspjeli[@]} -gt 0 ]; then
    echo "Missed their targets: ${neuspjeli[*]}"
    exit 1
fi
