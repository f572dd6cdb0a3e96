# Sourced by the build and test scripts: the Wine prefix and quiet Wine.
tarvo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$tarvo_root/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# Wine names the host's files in the locale's encoding and takes its ANSI code
# page from the locale: one UTF-8 locale, the same on every machine, so names
# beyond ASCII can be made and the tests see the same code page everywhere.
export LC_ALL=C.UTF-8

# Makes the calling script (test.sh, run.sh) use a Wine prefix of its own,
# build/wineprefix-<name>, and run again under that prefix's lock. The lock is
# held by flock itself, so no Wine process started by the script inherits it.
tarvo_own_prefix() {
  export WINEPREFIX="$tarvo_root/build/wineprefix-$1"
  shift
  if [ "${TARVO_LOCKED_PREFIX:-}" != "$WINEPREFIX" ]; then
    mkdir -p "$tarvo_root/build"
    TARVO_LOCKED_PREFIX="$WINEPREFIX" exec flock -o "$WINEPREFIX.lock" bash "$0" "$@"
  fi
}

# Imports the stand-in registration files the build wrote that match the
# pattern (build/x64/standins/<pattern>) into the prefix; a file that cannot
# be imported is named on stderr after the calling script's name.
tarvo_register_standins() {
  local reg
  for reg in "$tarvo_root"/build/x64/standins/$1; do
    [ -f "$reg" ] || continue
    wine reg import "$(winepath -w "$reg")" >/dev/null 2>&1 || echo "$(basename "$0"): cannot register $reg" >&2
  done
}
