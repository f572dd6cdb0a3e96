#!/usr/bin/env bash
# Installs everything the build and the tests need on a fresh Debian machine and
# prepares the Wine prefix. Safe to run again: it skips what is already there.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
third="$root/build/third_party"
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

sudo_cmd=""
if [ "$(id -u)" != 0 ]; then sudo_cmd="sudo"; fi

packages=(mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine wine64
          xvfb xauth x11-apps libxxhash-dev cmake python3 googletest dpkg-dev file)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Lua 5.3 sources from Debian's source lists (the unmodified release tarball is used).
mkdir -p "$third"
if [ ! -d "$third/lua-5.3.6" ]; then
  src_list=/etc/apt/sources.list.d/tarvo-src.sources
  if [ ! -f "$src_list" ]; then
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | $sudo_cmd tee "$src_list" >/dev/null
    else
      grep -h '^deb ' /etc/apt/sources.list 2>/dev/null | sed 's/^deb /deb-src /' | $sudo_cmd tee /etc/apt/sources.list.d/tarvo-src.list >/dev/null
    fi
    $sudo_cmd apt-get update -qq
  fi
  (cd "$third" && apt-get source -qq --download-only lua5.3 >/dev/null && tar xzf lua5.3_5.3.6.orig.tar.gz)
fi

# xxhash headers: the cross compilers must not see /usr/include, so link just these two.
mkdir -p "$third/xxhash"
ln -sf /usr/include/xxhash.h "$third/xxhash/xxhash.h"
[ -f /usr/include/xxh3.h ] && ln -sf /usr/include/xxh3.h "$third/xxhash/xxh3.h"

# Wine prefix with the null graphics driver so windows work without a display.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "setup: creating Wine prefix $WINEPREFIX"
  wineboot -u >/dev/null 2>&1 || true
  wineserver -w
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  wineserver -w
fi
echo "setup: ready (prefix $WINEPREFIX)"
