#!/usr/bin/env bash
# Paints the preview strip of every particle settings file into
# docs/screenshots/particles-<name>.png.
#
#   scripts/particle-previews.sh [PSSC] [DATA_DIR]
#
# PSSC defaults to build/pssc and DATA_DIR (where the compiled .pss records
# are) to build/Data; build them first with
#   cmake --build build --target pssc particles_data
# or run the CMake target particle_previews, which does both.
set -euo pipefail
cd "$(dirname "$0")/.."
pssc=${1:-build/pssc}
data=${2:-build/Data}
out=docs/screenshots
mkdir -p "$out"
count=0
for src in content/particles/*.txt; do
  name=$(basename "$src" .txt)
  record="$data/$name.pss"
  if [ ! -f "$record" ] || [ "$src" -nt "$record" ]; then
    # Not compiled yet, or older than its source: compile a fresh copy here.
    record=$(mktemp --suffix=.pss)
    "$pssc" compile "$src" "$record"
  fi
  "$pssc" preview "$record" "$out/particles-$name.png" --frames 8 --title "$name"
  [ "$record" = "$data/$name.pss" ] || rm -f "$record"
  count=$((count + 1))
done
echo "painted $count particle preview strips in $out"
