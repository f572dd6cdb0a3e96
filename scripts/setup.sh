#!/usr/bin/env bash
# Installs everything the build and the tests need on a fresh Debian machine and
# prepares the Wine prefix ($WINEPREFIX, by default build/wineprefix). Safe to
# run again, and after an interrupted run: every step checks its own result,
# so a second run changes nothing and an interrupted one is completed.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# One set-up of the tree at a time: test.sh and run.sh may start together on a
# fresh machine, and both would unpack the Lua sources into the same place.
mkdir -p "$root/build"
if [ -z "${TARVO_SETUP_LOCKED:-}" ]; then
  TARVO_SETUP_LOCKED=1 exec flock -o "$root/build/.setup.lock" bash "$root/scripts/setup.sh" "$@"
fi
# Wine names the host's files in the locale's encoding: without a UTF-8 locale
# (a bare machine has none set) no file name beyond ASCII can be made.
export LC_ALL=C.UTF-8
third="$root/build/third_party"
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

sudo_cmd=""
if [ "$(id -u)" != 0 ]; then sudo_cmd="sudo"; fi

packages=(make mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine wine64
          xvfb xauth x11-apps libxxhash-dev cmake python3 googletest dpkg-dev file)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $sudo_cmd apt-get update -qq -o DPkg::Lock::Timeout=600
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq -o DPkg::Lock::Timeout=600 --no-install-recommends "${missing[@]}"
fi

# Lua 5.3 sources from Debian's source lists (the unmodified release tarball is
# used). The source list goes beside the machine's own, in the same format.
if [ -f /etc/apt/sources.list.d/debian.sources ]; then
  src_list=/etc/apt/sources.list.d/tarvo-src.sources
  src_lines() { sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources; }
else
  src_list=/etc/apt/sources.list.d/tarvo-src.list
  src_lines() { grep -h '^deb ' /etc/apt/sources.list 2>/dev/null | sed 's/^deb /deb-src /'; }
fi
fetch_lua() { (cd "$third" && apt-get source -qq --download-only lua5.3 >/dev/null 2>&1); }

mkdir -p "$third"
if [ ! -f "$third/lua-5.3.6/src/lua.h" ]; then
  if [ ! -s "$src_list" ]; then
    src_lines | $sudo_cmd tee "$src_list.tmp" >/dev/null
    $sudo_cmd mv "$src_list.tmp" "$src_list"
  fi
  # The lists may predate the source list (a run interrupted before the refresh).
  if ! fetch_lua; then
    $sudo_cmd apt-get update -qq -o DPkg::Lock::Timeout=600
    fetch_lua || { echo "setup: cannot fetch the Lua 5.3 sources (apt-get source lua5.3)" >&2; exit 1; }
  fi
  # Unpacked beside the final place and moved there whole.
  rm -rf "$third/lua-unpack"
  mkdir "$third/lua-unpack"
  tar xzf "$third/lua5.3_5.3.6.orig.tar.gz" -C "$third/lua-unpack"
  rm -rf "$third/lua-5.3.6"
  mv "$third/lua-unpack/lua-5.3.6" "$third/lua-5.3.6"
  rm -rf "$third/lua-unpack"
fi

# xxhash headers: the cross compilers must not see /usr/include, so link just these two.
mkdir -p "$third/xxhash"
ln -sf /usr/include/xxhash.h "$third/xxhash/xxhash.h"
[ -f /usr/include/xxh3.h ] && ln -sf /usr/include/xxh3.h "$third/xxhash/xxh3.h"

# The Wine prefix, with the null graphics driver so windows work without a
# display. The settings are checked on every run (in the saved registry, no
# Wine start needed): a first run interrupted after the prefix was made would
# otherwise leave it without them for good.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "setup: creating Wine prefix $WINEPREFIX"
  wineboot -u >/dev/null 2>&1 || true
  wineserver -w
fi
# True when the saved registry file holds `value` under `key`.
reg_has() {
  KEY="[$2]" VALUE="$3" awk '
    /^\[/ { inside = index($0, ENVIRON["KEY"] " ") == 1 || $0 == ENVIRON["KEY"]; next }
    inside && $0 == ENVIRON["VALUE"] { found = 1 }
    END { exit !found }' "$1" 2>/dev/null
}
user_reg="$WINEPREFIX/user.reg"
if ! reg_has "$user_reg" 'Software\\Wine\\Drivers' '"Graphics"="null"' ||
   ! reg_has "$user_reg" 'Software\\Wine\\X11 Driver' '"Managed"="N"'; then
  echo "setup: setting the prefix's graphics driver"
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  # Stopping the server saves the registry and restarts the desktop with the driver.
  wineserver -k 2>/dev/null || true
  wineserver -w
  if ! reg_has "$user_reg" 'Software\\Wine\\Drivers' '"Graphics"="null"'; then
    echo "setup: the null graphics driver could not be set in $WINEPREFIX" >&2
    exit 1
  fi
fi
echo "setup: ready (prefix $WINEPREFIX)"
