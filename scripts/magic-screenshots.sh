#!/usr/bin/env bash
# Plays a showcase level headless with a fixed seed and input and saves the
# pictures of magic in play to docs/screenshots: a box and a force field
# breaking, mana in flight, a full pot with its button, an armed spell's
# marker and trail, a cast on its way and the bar half-way through the level.
#   scripts/magic-screenshots.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=$(realpath "${1:-build}")
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

"$BUILD/levelc" compile scripts/showcase "$WORK" --werror >/dev/null
ln -s "$BUILD/Data" "$WORK/Data"
ln -s "$BUILD/data" "$WORK/data"
mkdir -p "$WORK/shots"
{
  echo "0 mouse 220 410"     # the fire piece beside three trees
  echo "30 up"
  echo "40 down"
  echo "44 mouse 260 410"    # dragged onto the tree: a line over boxes and a field
  echo "50 up"
  echo "94 screenshot $WORK/shots/magic-box-and-field-break.png"
  echo "170 screenshot $WORK/shots/magic-mana-flight.png"
  echo "400 text $(printf 'a%.0s' $(seq 60))"   # the developer key fills the fire pot
  echo "404 screenshot $WORK/shots/magic-full-pot.png"
  echo "420 mouse 382 555"
  echo "430 down"
  echo "436 up"
  for x in 300 310 320 330 340 350 360 370 380; do echo "$((440 + (x - 300) / 2)) mouse $x $((300 - (x - 300) / 8))"; done
  echo "482 screenshot $WORK/shots/magic-armed-spell.png"
  echo "484 down"
  echo "490 up"
  echo "530 screenshot $WORK/shots/magic-cast.png"
  echo "3700 screenshot $WORK/shots/magic-bar-mid-level.png"
  echo "3702 quit"
} >"$WORK/script.txt"
"$BUILD/grovewright" --headless --home "$WORK" --seed 5 --play Showcase 1 --script "$WORK/script.txt"
mkdir -p docs/screenshots
cp "$WORK"/shots/*.png docs/screenshots/
echo "magic screenshots written to docs/screenshots"
