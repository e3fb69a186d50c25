#!/usr/bin/env bash
# Measures Grovewright side by side with gweled, a small GTK match-3 game from
# Debian used as a yardstick, each in a window of its own Xvfb server:
#   - time from process start to its window being mapped
#   - time to interactive (Grovewright reports it itself with GW_TIMINGS=1;
#     for gweled, whose first screen is drawn as its window maps, the map time)
#   - CPU share of one core standing on the menu, and in active play (a swap
#     clicked every 0.6 s on the board); the X server's own share beside it
#   - resident memory on the menu and its peak
#   - frame intervals in play (Grovewright's own GW_TIMINGS report)
#
#   scripts/measure.sh [BUILD_DIR] [SECONDS] [EARLIER_BUILD_DIR]
#
# With an earlier build (say, a worktree of an older commit) its game is
# measured in the same run, for a before-and-after table.
#
# gweled is installed with apt-get when missing (root only); it is used for
# this measurement and nothing else.
set -euo pipefail

BUILD=${1:-build}
SECS=${2:-10}
EARLIER=${3:-}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
game_in() {
  local g="$ROOT/$1/grovewright"
  [ -x "$g" ] || g="$1/grovewright"
  [ -x "$g" ] || { echo "measure: no game at $1/grovewright; build first" >&2; exit 2; }
  echo "$g"
}
GAME=$(game_in "$BUILD")
[ -z "$EARLIER" ] || EARLIER_GAME=$(game_in "$EARLIER")
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "measure: $tool is missing (scripts/setup.sh installs it)" >&2; exit 2; }
done
GWELED=/usr/games/gweled
if [ ! -x "$GWELED" ]; then
  if [ "$(id -u)" = 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q gweled >/dev/null
  else
    echo "measure: gweled is not installed (apt-get install gweled)" >&2
    exit 2
  fi
fi

WORK=$(mktemp -d)
PIDS=()
cleanup() {
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

# gweled ends on an assertion without a sound card: give it ALSA's null device.
mkdir -p "$WORK/home"
printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' >"$WORK/home/.asoundrc"

now_ms() { echo $(($(date +%s%N) / 1000000)); }
# User plus system CPU time of a process, in clock ticks.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }
TICK=$(getconf CLK_TCK)
# Share of one core used by the processes over the next $1 seconds while $2 runs.
cpu_share() {
  local secs=$1 pid=$2 xpid=$3 action=${4:-}
  local a b xa xb
  a=$(cpu_ticks "$pid")
  xa=$(cpu_ticks "$xpid")
  if [ -n "$action" ]; then
    local end=$(($(now_ms) + secs * 1000))
    while [ "$(now_ms)" -lt "$end" ]; do $action; sleep 0.6; done
  else
    sleep "$secs"
  fi
  b=$(cpu_ticks "$pid")
  xb=$(cpu_ticks "$xpid")
  echo "$(awk -v d=$((b - a)) -v t="$TICK" -v s="$secs" 'BEGIN{printf "%.1f", 100*d/t/s}') $(awk -v d=$((xb - xa)) -v t="$TICK" -v s="$secs" 'BEGIN{printf "%.1f", 100*d/t/s}')"
}
rss_kb() { awk '/^VmRSS/{print $2}' "/proc/$1/status"; }
hwm_kb() { awk '/^VmHWM/{print $2}' "/proc/$1/status"; }

DISPLAY_NO=90
start_x() {
  DISPLAY_NO=$((DISPLAY_NO + 1))
  Xvfb ":$DISPLAY_NO" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  XPID=$!
  PIDS+=("$XPID")
  export DISPLAY=":$DISPLAY_NO"
  for _ in $(seq 100); do xdotool getmouselocation >/dev/null 2>&1 && return; sleep 0.05; done
  echo "measure: Xvfb did not start" >&2
  exit 1
}

# Starts "$@", sets APP and WIN, prints nothing; FIRST_MS is the time to the
# window being mapped.
launch() {
  local t0 found=""
  t0=$(now_ms)
  "$@" 2>"$WORK/stderr" >/dev/null &
  APP=$!
  PIDS+=("$APP")
  for _ in $(seq 2000); do
    found=$(xdotool search --onlyvisible --pid "$APP" 2>/dev/null | head -1 || true)
    [ -n "$found" ] && break
    sleep 0.005
  done
  FIRST_MS=$(($(now_ms) - t0))
  WIN=$found
}

RAND=12345
rand() { RAND=$(((RAND * 1103515245 + 12345) % 2147483648)); echo $((RAND % $1)); }
# One swap on a board of COLS x ROWS cells of CELL pixels whose first cell
# starts at (X0, Y0) in the window: two clicks on neighbours.
swap_on() {
  local cols=$1 rows=$2 cell=$3 x0=$4 y0=$5 c r
  c=$(($(rand $((cols - 1))) + 1))
  r=$(($(rand $((rows - 1))) + 1))
  xdotool mousemove --window "$WIN" $((x0 + c * cell + cell / 2)) $((y0 + r * cell + cell / 2)) click 1
  sleep 0.1
  xdotool mousemove --window "$WIN" $((x0 + (c - 1) * cell + cell / 2)) $((y0 + r * cell + cell / 2)) click 1
}
# Grovewright, level 1: the board's middle cells (columns 3..16, rows 3..10).
grove_swap() { swap_on 14 8 40 80 90; }
gweled_swap() { swap_on 8 8 48 0 27; }

row() { printf '%-34s %14s %14s\n' "$1" "$2" "$3"; }

# --- Grovewright -----------------------------------------------------------
# Measures the game $1 and sets G_* to its readings.
measure_grove() {
  local game=$1
  GHOME="$WORK/grove-$RANDOM"
  mkdir -p "$GHOME"
  start_x
  launch env GW_TIMINGS=1 "$game" --windowed --seed 1 --save-home "$GHOME"
  G_FIRST=$FIRST_MS
  sleep 3
  G_INTERACTIVE=$(awk '/^timing interactive-ms/{print $3}' "$WORK/stderr" | head -1)
  [ -n "$G_INTERACTIVE" ] || G_INTERACTIVE="n/a"
  xdotool key --window "$WIN" Escape  # past the logo, onto the menu
  sleep 5  # the menu's own entrance is over
  read -r G_IDLE G_IDLE_X < <(cpu_share "$SECS" "$APP" "$XPID")
  G_RSS=$(rss_kb "$APP")
  G_HWM=$(hwm_kb "$APP")
  kill "$APP"
  wait "$APP" 2>/dev/null || true
  kill "$XPID"

  start_x
  launch env GW_TIMINGS=1 "$game" --windowed --seed 1 --play "Game Levels" 1 --hints-seen --save-home "$GHOME"
  sleep 3
  read -r G_PLAY G_PLAY_X < <(cpu_share "$SECS" "$APP" "$XPID" grove_swap)
  G_PLAY_RSS=$(rss_kb "$APP")
  kill -INT "$APP" 2>/dev/null || true
  for _ in $(seq 100); do kill -0 "$APP" 2>/dev/null || break; sleep 0.05; done
  kill "$APP" 2>/dev/null || true
  wait "$APP" 2>/dev/null || true
  G_FRAMES=$(grep '^timing frames' "$WORK/stderr" | tail -1 || true)
  kill "$XPID"
}

if [ -n "$EARLIER" ]; then
  measure_grove "$EARLIER_GAME"
  for v in FIRST INTERACTIVE IDLE IDLE_X PLAY PLAY_X RSS HWM PLAY_RSS FRAMES; do eval "E_$v=\$G_$v"; done
fi
measure_grove "$GAME"

# --- gweled ----------------------------------------------------------------
start_x
launch env HOME="$WORK/home" "$GWELED"
W_FIRST=$FIRST_MS
sleep 5
read -r W_IDLE W_IDLE_X < <(cpu_share "$SECS" "$APP" "$XPID")
W_RSS=$(rss_kb "$APP")
W_HWM=$(hwm_kb "$APP")
xdotool mousemove --window "$WIN" 51 178 click 1  # "Normal"
sleep 2
read -r W_PLAY W_PLAY_X < <(cpu_share "$SECS" "$APP" "$XPID" gweled_swap)
W_PLAY_RSS=$(rss_kb "$APP")
kill "$APP"
wait "$APP" 2>/dev/null || true
kill "$XPID"

echo
if [ -n "$EARLIER" ]; then
  row3() { printf '%-34s %14s %14s %14s\n' "$1" "$2" "$3" "$4"; }
  echo "Grovewright before ($EARLIER_GAME) and after ($GAME) against gweled, each under its own Xvfb, ${SECS} s per reading"
  row3 "" "before" "after" "gweled"
  row3 "first window (ms)" "$E_FIRST" "$G_FIRST" "$W_FIRST"
  row3 "interactive (ms)" "$E_INTERACTIVE" "$G_INTERACTIVE" "$W_FIRST"
  row3 "menu CPU (% of a core)" "$E_IDLE" "$G_IDLE" "$W_IDLE"
  row3 "menu, X server CPU (%)" "$E_IDLE_X" "$G_IDLE_X" "$W_IDLE_X"
  row3 "play CPU (% of a core)" "$E_PLAY" "$G_PLAY" "$W_PLAY"
  row3 "play, X server CPU (%)" "$E_PLAY_X" "$G_PLAY_X" "$W_PLAY_X"
  row3 "resident on the menu (MB)" "$((E_RSS / 1024))" "$((G_RSS / 1024))" "$((W_RSS / 1024))"
  row3 "peak resident (MB)" "$((E_HWM / 1024))" "$((G_HWM / 1024))" "$((W_HWM / 1024))"
  row3 "resident in play (MB)" "$((E_PLAY_RSS / 1024))" "$((G_PLAY_RSS / 1024))" "$((W_PLAY_RSS / 1024))"
  [ -z "$E_FRAMES" ] || echo "before, frames in play: ${E_FRAMES#timing frames }"
  [ -z "$G_FRAMES" ] || echo "after, frames in play: ${G_FRAMES#timing frames }"
  exit 0
fi
echo
echo "Grovewright ($GAME) against gweled, each under its own Xvfb, ${SECS} s per reading"
row "" "grovewright" "gweled"
row "first window (ms)" "$G_FIRST" "$W_FIRST"
row "interactive (ms)" "$G_INTERACTIVE" "$W_FIRST"
row "menu CPU (% of a core)" "$G_IDLE" "$W_IDLE"
row "menu, X server CPU (%)" "$G_IDLE_X" "$W_IDLE_X"
row "play CPU (% of a core)" "$G_PLAY" "$W_PLAY"
row "play, X server CPU (%)" "$G_PLAY_X" "$W_PLAY_X"
row "resident on the menu (MB)" "$((G_RSS / 1024))" "$((W_RSS / 1024))"
row "peak resident (MB)" "$((G_HWM / 1024))" "$((W_HWM / 1024))"
row "resident in play (MB)" "$((G_PLAY_RSS / 1024))" "$((W_PLAY_RSS / 1024))"
if [ -n "$G_FRAMES" ]; then
  echo "grovewright frames in play: ${G_FRAMES#timing frames }"
fi
