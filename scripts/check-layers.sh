#!/usr/bin/env bash
# Checks the floors of the source tree: a folder of src/ may include only its
# own headers and those of the folders below it in LAYERS (lowest first), so
# the include graph has no loop between folders and nothing below the game
# object reaches up into it. Prints every include that breaks the order and
# exits with 1 when there is one. Run by CTest as LayerCheck.
#   scripts/check-layers.sh [SOURCE_DIR]
set -euo pipefail
SRC="${1:-$(dirname "$0")/..}/src"

LAYERS=(
  platform
  engine/core engine/archive engine/render engine/sprites engine/input engine/particles engine/gui
  automation layout players data
  services board levels magic editor screens
  app bot
)

# The floor of a path under src/ ("engine/render/Canvas.h" -> its index);
# -1 for a file outside every listed folder.
floor_of() {
  local path=$1 i
  for i in "${!LAYERS[@]}"; do
    case "$path" in "${LAYERS[$i]}"/*) echo "$i"; return ;; esac
  done
  echo -1
}

bad=0
unknown=0
while IFS= read -r -d '' file; do
  rel=${file#"$SRC"/}
  [ "$rel" = main.cpp ] && continue
  own=$(floor_of "$rel")
  if [ "$own" -lt 0 ]; then
    echo "$rel: in no floor of scripts/check-layers.sh (add its folder to LAYERS)"
    unknown=1
    continue
  fi
  while IFS= read -r inc; do
    target=$(floor_of "$inc")
    if [ "$target" -lt 0 ]; then
      echo "$rel includes \"$inc\", which is in no floor"
      bad=1
    elif [ "$target" -gt "$own" ]; then
      echo "$rel (${LAYERS[$own]}) includes \"$inc\" (${LAYERS[$target]}, a floor above it)"
      bad=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find "$SRC" -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z)

if [ "$bad" -ne 0 ] || [ "$unknown" -ne 0 ]; then
  echo "check-layers: the source tree breaks its floors (see above)" >&2
  exit 1
fi
echo "check-layers: every include keeps to its floor (${#LAYERS[@]} floors)"
