#!/usr/bin/env bash
# Saves the pictures of keyboard play and of the controls picture to
# docs/screenshots: the showcase level played with the keys (the frame on a
# picked piece, then a spell armed by its number key and aimed with the
# frame), and the options' "Controls" form reached from the main menu by keys.
#   scripts/controls-screenshots.sh [BUILD_DIR]
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
  # From (9, 6): the first arrow shows the frame, then over to (5, 9).
  t=30
  for k in Right Left Left Left Left Down Down Down; do echo "$t key $k"; t=$((t + 6)); done
  echo "$t key Space"
  echo "$((t + 30)) screenshot $WORK/shots/keyboard-play.png"
  echo "$((t + 40)) key Space"                          # let go again
  echo "400 text $(printf 'a%.0s' $(seq 60))"          # the developer key fills the fire pot
  echo "420 key 51"                                    # "3": the fire spell
  t=430
  for k in Up Right Right Up; do echo "$t key $k"; t=$((t + 6)); done
  echo "$((t + 30)) screenshot $WORK/shots/keyboard-spell.png"
  echo "$((t + 32)) quit"
} >"$WORK/play.txt"
"$BUILD/grovewright" --headless --home "$WORK" --seed 5 --play Showcase 1 --script "$WORK/play.txt"

# The main menu by keys: past the logo, a player named, Options lit and
# pressed, then left from "Back" to "Controls" and Enter.
mkdir -p "$WORK/menu"
ln -s "$BUILD/Data" "$WORK/menu/Data"
ln -s "$BUILD/data" "$WORK/menu/data"
{
  echo "60 key Space"
  echo "400 text Rowan"
  echo "410 key Enter"
  echo "500 key Down"
  echo "510 key Down"
  echo "520 key Down"
  echo "530 key Enter"
  echo "900 key Left"
  echo "910 key Left"
  echo "920 key Enter"
  echo "990 screenshot $WORK/shots/options-controls.png"
  echo "992 quit"
} >"$WORK/menu.txt"
"$BUILD/grovewright" --headless --home "$WORK/menu" --seed 5 --script "$WORK/menu.txt"
mkdir -p docs/screenshots
cp "$WORK"/shots/*.png docs/screenshots/
echo "controls screenshots written to docs/screenshots"
