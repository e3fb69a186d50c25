#!/usr/bin/env bash
# Installs what is missing, builds the game, its data, the tests and the
# benchmarks with warnings as errors, runs every test, then the fuzz stage.
#   GW_SKIP_FUZZ=1       replay the fuzz corpora instead of fuzzing (quicker)
#   GW_FUZZ_SECONDS=N    seconds per fuzz target (default 20)
#   GW_SANITIZE=1        also build and run the tests under ASan and UBSan
set -euo pipefail
cd "$(dirname "$0")"
# ccache sees the paths under the source tree as relative ones, so another
# checkout of the tree hits the same cache entries.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
./scripts/setup.sh
JOBS=$(nproc)

BUILD=${GW_BUILD_DIR:-build}
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGW_WERROR=ON -DBUILD_TESTING=ON
cmake --build "$BUILD" -j"$JOBS"
(cd "$BUILD" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ctest --output-on-failure -j"$JOBS")

if [ "${GW_SANITIZE:-0}" = 1 ]; then
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DGW_SANITIZE=ON -DGW_BENCH=OFF -DBUILD_TESTING=ON
  cmake --build build-asan -j"$JOBS"
  (cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
     SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ctest --output-on-failure -j"$JOBS")
fi

./scripts/fuzz.sh
