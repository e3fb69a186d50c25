#!/usr/bin/env bash
# The fuzz stage: builds the libFuzzer targets with clang and runs each for
# GW_FUZZ_SECONDS (default 20) from its corpus in tests/fuzz/corpus/<target>.
# Every parser the game has is one target (archive, image and font records,
# layout, level files, map points, input scripts, replays, credits, the
# player's files, particle settings); at the default the whole stage fuzzes for
# under four minutes, keeping the whole CI run well inside its budget.
# With GW_SKIP_FUZZ=1 nothing is fuzzed here: the test suite already replays
# every corpus file through the same entry points.
set -euo pipefail
cd "$(dirname "$0")/.."
# ccache sees the paths under the source tree as relative ones, so another
# checkout of the tree hits the same cache entries.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
if [ "${GW_SKIP_FUZZ:-0}" = 1 ]; then
  echo "fuzz stage skipped (corpora are replayed by the test suite)"
  exit 0
fi
shopt -s nullglob
targets=(tests/fuzz/*_fuzz.cpp)
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz targets"
  exit 0
fi
SECONDS_EACH=${GW_FUZZ_SECONDS:-20}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGW_FUZZ=ON \
  -DGW_DATA=OFF -DGW_BENCH=OFF -DBUILD_TESTING=ON >/dev/null
for src in "${targets[@]}"; do
  name=$(basename "$src" .cpp)
  cmake --build build-fuzz --target "$name" -j"$(nproc)"
done
for src in "${targets[@]}"; do
  name=$(basename "$src" .cpp)
  corpus=tests/fuzz/corpus/${name%_fuzz}
  work=build-fuzz/corpus/${name%_fuzz}
  mkdir -p "$work"
  [ -d "$corpus" ] && cp -n "$corpus"/* "$work"/ 2>/dev/null || true
  echo "fuzzing $name for ${SECONDS_EACH}s"
  (cd build-fuzz && ./"$name" -max_total_time="$SECONDS_EACH" -rss_limit_mb=2048 -max_len=65536 \
     -print_final_stats=1 "corpus/${name%_fuzz}" 2>&1 | tail -n 12)
done
