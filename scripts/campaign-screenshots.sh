#!/usr/bin/env bash
# Pictures of the campaign for docs/screenshots: the story map with every
# level's mark (reached as a new player does: a new player, Adventure, past
# the story), and every tenth level of "Game Levels" at its start.
#   scripts/campaign-screenshots.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=$(realpath "${1:-build}")
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p docs/screenshots

{
  echo "1 key Escape"
  echo "30 text \"Ann\""
  echo "40 click 424 348"   # the new player's OK
  echo "200 click 100 270"  # Adventure
  echo "340 click 400 300"  # past the story
  echo "600 screenshot $WORK/campaign-map.png"
  echo "602 quit"
} >"$WORK/map.txt"
"$BUILD/grovewright" --headless --seed 3 --save-home "$WORK/save" --script "$WORK/map.txt"
cp "$WORK/campaign-map.png" docs/screenshots/

count=$(find "content/levels/Game Levels" -name '*.txt' | wc -l)
for ((level = 10; level <= count; level += 10)); do
  printf '420 screenshot %s\n422 quit\n' "$WORK/level.png" >"$WORK/level.txt"
  "$BUILD/grovewright" --headless --seed 3 --save-home "$WORK/save" --play "Game Levels" "$level" --hints-seen \
    --script "$WORK/level.txt"
  cp "$WORK/level.png" "docs/screenshots/campaign-level-$(printf '%03d' "$level").png"
done
