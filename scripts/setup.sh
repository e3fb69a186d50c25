#!/usr/bin/env bash
# Installs the Debian packages the build, the data tools and the tests need.
# Run as root it installs what is missing with apt-get; otherwise it prints the
# one command to run and fails.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config git ccache
  libsdl2-dev libx11-dev zlib1g-dev libjpeg62-turbo-dev libpng-dev nettle-dev
  libcairo2-dev libfreetype-dev
  libopenmpt-dev libvorbis-dev libmpg123-dev libmp3lame-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth xdotool sox desktop-file-utils strace
  appstream lintian dpkg-dev file man-db groff-base
  fonts-dejavu-core fonts-dejavu-extra fonts-linuxlibertine fonts-urw-base35 fonts-ebgaramond
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing Debian packages. Run this as root, then try again:" >&2
  echo "  apt-get install -y ${missing[*]}" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
