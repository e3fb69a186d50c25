#!/usr/bin/env bash
# Installs what is missing, builds the game and its data, and starts it.
# Extra arguments go to the game (for example --fullscreen).
set -euo pipefail
cd "$(dirname "$0")"
# ccache sees the paths under the source tree as relative ones, so another
# checkout of the tree hits the same cache entries.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
./scripts/setup.sh
BUILD=${GW_BUILD_DIR:-build}
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
cmake --build "$BUILD" -j"$(nproc)"
exec "$BUILD/grovewright" "$@"
