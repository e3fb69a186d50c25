#!/usr/bin/env bash
# Measures every generated music and sound file: renders it to WAV with
# audiogen and reads the levels with sox. Prints one line per file and fails
# when a file clips, is silent, or (for looping music) has a silent stretch.
#
#   scripts/check-audio.sh [BUILD_DIR]     (default: $GW_BUILD_DIR or build)
set -euo pipefail

build=${1:-${GW_BUILD_DIR:-build}}
dir="$build/gen/audio"
gen="$build/audiogen"
[ -x "$gen" ] || { echo "no $gen: build the audiogen_data target first" >&2; exit 1; }
[ -d "$dir" ] || { echo "no $dir: build the audiogen_data target first" >&2; exit 1; }
command -v sox >/dev/null || { echo "sox is not installed (scripts/setup.sh installs it)" >&2; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

printf '%-22s %8s %8s %8s %8s %10s  %s\n' file seconds 'peak dB' 'RMS dB' 'max amp' 'quiet 1 s' verdict
failed=0
for f in "$dir"/*; do
  name=$(basename "$f")
  wav="$tmp/$name.wav"
  "$gen" render "$f" "$wav"
  stat=$(sox "$wav" -n stat 2>&1)
  stats=$(sox "$wav" -n stats -w 1 2>&1)
  seconds=$(awk '/^Length/ {print $3}' <<<"$stat")
  maxamp=$(awk '/^Maximum amplitude/ {a=$3} /^Minimum amplitude/ {b=-$3} END {print (a>b)?a:b}' <<<"$stat")
  peak=$(awk '/^Pk lev dB/ {print $4}' <<<"$stats")
  rms=$(awk '/^RMS lev dB/ {print $4}' <<<"$stats")
  trough=$(awk '/^RMS Tr dB/ {print $4}' <<<"$stats")
  verdict=ok
  # Looping music must sound all the way through; the fanfare, the jingle
  # and the effects end in silence by design.
  looping=no
  case "$name" in
    levelcompleted.it | life.it) ;;
    *.it | *.mp3) looping=yes ;;
  esac
  if awk -v p="$maxamp" 'BEGIN {exit !(p >= 0.999)}'; then
    verdict=CLIPPING
  elif awk -v r="$rms" 'BEGIN {exit !(r < -45)}'; then
    verdict=SILENT
  elif [ "$looping" = yes ] && awk -v t="$trough" 'BEGIN {exit !(t < -45)}'; then
    verdict=GAP
  fi
  [ "$verdict" = ok ] || failed=1
  [ "$looping" = yes ] || trough=-
  printf '%-22s %8.2f %8s %8s %8s %10s  %s\n' "$name" "$seconds" "$peak" "$rms" "$maxamp" "$trough" "$verdict"
done
exit $failed
