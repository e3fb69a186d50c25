#!/bin/sh
# The test stage's checks of what the game installs for the desktop and of its
# Debian package. Each check exits 0 when it passes, 1 when it fails and 77
# (which CTest reports as skipped) when this machine cannot run it.
#
#   check.sh appstream METAINFO...   appstreamcli validate --pedantic: not one remark
#   check.sh desktop DESKTOP         desktop-file-validate: not one remark
#   check.sh manpage PAGE            man renders the page without a warning
#   check.sh deb-build BUILD DEB     cpack builds DEB from the build folder, with
#                                    its runtime libraries and valid AppStream data
#   check.sh lintian DEB WARNINGS    lintian: no error, and no warning that the
#                                    file WARNINGS does not list
#   check.sh deb-install DEB         dpkg installs DEB, the installed game plays
#                                    level 1, the package is purged and nothing
#                                    of it is left (root only)
set -u

skip() {
  echo "SKIPPED: $*"
  exit 77
}
fail() {
  echo "FAILED: $*"
  exit 1
}
need() {
  command -v "$1" >/dev/null 2>&1 || skip "$1 is not installed (the Debian package $2 has it)"
}

check_appstream() {
  need appstreamcli appstream
  # --no-net: the test stage runs offline, so web addresses are not fetched.
  out=$(appstreamcli validate --pedantic --no-net "$@" 2>&1)
  status=$?
  [ -z "$out" ] || echo "$out"
  [ $status -eq 0 ] || fail "appstreamcli found errors"
  if echo "$out" | grep -q '^[EWIP]: '; then
    fail "appstreamcli has remarks (pedantic ones included)"
  fi
}

check_desktop() {
  need desktop-file-validate desktop-file-utils
  out=$(desktop-file-validate "$1" 2>&1)
  status=$?
  [ -z "$out" ] || echo "$out"
  if [ $status -ne 0 ] || [ -n "$out" ]; then fail "desktop-file-validate has remarks on $1"; fi
}

check_manpage() {
  need man man-db
  need groff groff-base
  out=$(MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l "$1" 2>&1 >/dev/null)
  status=$?
  [ -z "$out" ] || echo "$out"
  if [ $status -ne 0 ] || [ -n "$out" ]; then fail "man warns about $1"; fi
}

check_deb_build() {
  build=$1 deb=$2
  need dpkg-shlibdeps dpkg-dev
  need cpack cmake
  rm -f "$deb"
  cpack -G DEB --config "$build/CPackConfig.cmake" || fail "cpack could not build the package"
  [ -f "$deb" ] || fail "cpack did not write $deb"
  dpkg-deb --info "$deb"
  # The runtime libraries come from dpkg-shlibdeps, not from a list kept by hand.
  dpkg-deb --field "$deb" Depends | grep -q 'libsdl2' || fail "the package does not depend on SDL2"
  # The metainfo, the desktop entry and the icons as the package installs
  # them, checked together.
  if command -v appstreamcli >/dev/null 2>&1; then
    tree=$(mktemp -d)
    dpkg-deb -x "$deb" "$tree"
    out=$(appstreamcli validate-tree --pedantic --no-net "$tree" 2>&1)
    status=$?
    rm -rf "$tree"
    echo "$out"
    if [ $status -ne 0 ] || echo "$out" | grep -q '^ *[EWIP]: '; then
      fail "appstreamcli has remarks on the package's files"
    fi
  fi
}

# The package tests skip when the package could not be built here.
need_deb() {
  [ -f "$1" ] || skip "$1 has not been built (Packaging.DebBuild builds it)"
}

check_lintian() {
  deb=$1 expected=$2
  need lintian lintian
  need_deb "$deb"
  out=$(lintian --info --display-level '>=pedantic' --tag-display-limit 0 "$deb" 2>&1)
  echo "$out"
  if echo "$out" | grep -q '^E: '; then
    fail "lintian reports errors"
  fi
  unexpected=""
  for tag in $(echo "$out" | sed -n 's/^W: [^ ]*: \([^ ]*\).*/\1/p' | sort -u); do
    grep -q "^$tag " "$expected" || unexpected="$unexpected $tag"
  done
  [ -z "$unexpected" ] || fail "lintian warnings not listed in $expected:$unexpected"
}

# dpkg gives up at once when apt or another dpkg holds its lock: try again
# for a minute.
dpkg_when_free() {
  tries=0
  while :; do
    out=$(dpkg "$@" 2>&1)
    status=$?
    echo "$out"
    if [ $status -eq 0 ] || ! echo "$out" | grep -q 'lock' || [ $tries -ge 30 ]; then
      return $status
    fi
    tries=$((tries + 1))
    sleep 2
  done
}

check_deb_install() {
  deb=$1
  need dpkg dpkg
  [ "$(id -u)" -eq 0 ] || skip "installing a package needs root"
  need_deb "$deb"
  name=$(dpkg-deb --field "$deb" Package) || fail "cannot read $deb"
  case $(dpkg-query -W -f='${db:Status-Abbrev}' "$name" 2>/dev/null) in
    "" | un*) ;;
    *) skip "$name is already installed on this machine; the test leaves it alone" ;;
  esac

  work=$(mktemp -d)
  trap 'dpkg --purge "$name" >/dev/null 2>&1; rm -rf "$work"' EXIT
  # What the package holds, and which of its folders exist before it comes.
  dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -e 's|^\./|/|' -e 's|/$||' | grep -v '^/*$' >"$work/paths"
  while read -r path; do
    [ -e "$path" ] && echo "$path"
  done <"$work/paths" >"$work/before"

  dpkg_when_free -i "$deb" || fail "dpkg could not install $deb"
  game=/usr/games/grovewright
  [ -x "$game" ] || fail "$game is not installed"
  # The installed game plays level 1 from /usr/share/grovewright, with a home
  # of its own for the player's files.
  mkdir -p "$work/home"
  echo "590 dump $work/state.json" >"$work/script.txt"
  HOME="$work/home" XDG_DATA_HOME='' SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
    "$game" --headless --play "Game Levels" 1 --ticks 600 --script "$work/script.txt" ||
    fail "the installed game did not play level 1"
  grep -q '"screen_state_name":"playing"' "$work/state.json" || fail "the installed game is not playing"
  grep -q '"pack":"Game Levels","level":1,' "$work/state.json" || fail "the installed game is not on level 1"
  [ -f "$work/home/.local/share/grovewright/replays/last.replay" ] ||
    fail "the installed game did not write to ~/.local/share/grovewright"

  dpkg_when_free --purge "$name" || fail "dpkg could not remove $name"
  if dpkg-query -W -f='${db:Status-Abbrev}' "$name" 2>/dev/null | grep -qv '^un'; then
    fail "$name is still known to dpkg"
  fi
  left=""
  while read -r path; do
    if [ -e "$path" ] && ! grep -qxF "$path" "$work/before"; then
      left="$left $path"
    fi
  done <"$work/paths"
  [ -z "$left" ] || fail "left behind after removal:$left"
  echo "installed, played level 1 and removed without a trace: $name"
}

command=${1:-}
[ $# -gt 0 ] && shift
case $command in
  appstream) check_appstream "$@" ;;
  desktop) check_desktop "$@" ;;
  manpage) check_manpage "$@" ;;
  deb-build) check_deb_build "$@" ;;
  lintian) check_lintian "$@" ;;
  deb-install) check_deb_install "$@" ;;
  *)
    echo "usage: check.sh appstream|desktop|manpage|deb-build|lintian|deb-install ARGS" >&2
    exit 2
    ;;
esac
