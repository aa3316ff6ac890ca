# Running the Windows build's programs under wine, for tests (sourced).
#
#   wine_prefix_new        a private wine folder (WINEPREFIX) in a new
#                          temporary folder WINE_DIR, set up by a first
#                          start (wineboot), so that a program starts quick
#   wine_server_keep       keeps the wine server of WINEPREFIX (the one
#                          given, or wine_prefix_new's) and its helpers up
#                          until wine_stop: a program then starts in 0.05 s
#                          instead of 2 s (ctest starts one per test)
#   wine_run SECS PROG...  runs PROG under wine; past SECS seconds ends it
#                          and everything wine started. Its exit code, or
#                          124 past the deadline
#   wine_start PROG...     starts PROG under wine in the background
#                          (WINE_PID; its output in $WINE_DIR/out and err)
#   wine_wait SECS         waits until every program of the prefix has
#                          ended (an NSIS uninstaller, say, goes on in a
#                          copy of itself after it returns); past SECS
#                          seconds ends them: 124 then
#   wine_stop              ends every process of the private prefix, the
#                          wine server too, and waits until they are gone
#   wine_prefix_remove     wine_stop, then removes WINE_DIR
#   wine_left              the pids of the prefix's processes still
#                          running (none after wine_stop)
#   wine_path FILE         FILE's name as a Windows program sees it
#
# A wine program's helpers (the wine server, services.exe, explorer.exe and
# others) run in sessions of their own, outside the test's process group: a
# deadline that kills the test's group leaves them for a few seconds, and a
# program killed alone leaves them too. wine_stop ends them all at once.
# Each prefix has its own wine server, so tests in parallel never meet.
#
# Environment: WINE_BOOT_TIMEOUT (seconds for the first start, default 180:
# 10 to 25 s on this 2-core machine), WINE_STOP_TIMEOUT (default 20).

: "${WINE_BOOT_TIMEOUT:=180}"
: "${WINE_STOP_TIMEOUT:=20}"
WINE_DIR=""
WINE_PID=""

_wine_fail() {
  if declare -F die >/dev/null; then
    die "$*"
  fi
  echo "FAIL: $*" >&2
  return 1
}

# No debug output; no offer to fetch Mono or Gecko on the first start; no
# menu entries or file types written to the desktop of the machine's user.
_wine_quiet() {
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
}

wine_prefix_new() {
  command -v wine >/dev/null || _wine_fail "wine is not installed (scripts/install-windows-deps.sh)" || return
  WINE_DIR=$(mktemp -d "${TMPDIR:-/tmp}/duskwarren-wine.XXXXXX") || return
  export WINEPREFIX=$WINE_DIR/prefix
  _wine_quiet
  # The wine server and its helpers stay up a few seconds: a program started
  # now uses them and starts at once.
  if ! timeout -k 5 "$WINE_BOOT_TIMEOUT" wineboot --init >"$WINE_DIR/boot.log" 2>&1; then
    wine_stop
    _wine_fail "wine did not start in $WINE_BOOT_TIMEOUT s: $(tail -n 5 "$WINE_DIR/boot.log")" || return
  fi
}

wine_server_keep() {
  [ -n "${WINEPREFIX:-}" ] || _wine_fail "wine_server_keep: no WINEPREFIX" || return
  _wine_quiet
  mkdir -p "$WINEPREFIX"
  # A server still up from a program a moment ago cannot be made to stay:
  # it is ended first.
  wineserver -p 2>/dev/null || { wine_stop && wineserver -p; } ||
    _wine_fail "the wine server did not start" || return
  # The first program starts the helpers, which then stay.
  timeout -k 5 "$WINE_BOOT_TIMEOUT" wine cmd /c exit >/dev/null 2>&1 ||
    _wine_fail "wine did not start in $WINE_BOOT_TIMEOUT s"
}

wine_run() {
  local seconds=$1 status=0
  shift
  timeout -k 5 "$seconds" wine "$@" || status=$?
  if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    echo "-- $1 ran past its $seconds s under wine: ended" >&2
    wine_stop
    return 124
  fi
  return "$status"
}

wine_start() {
  wine "$@" >"$WINE_DIR/out" 2>"$WINE_DIR/err" &
  WINE_PID=$!
}

# The pids of the wine server of WINEPREFIX: it works in a folder named
# after the prefix's device and inode (server-<dev>-<inode>, in hex).
_wine_server_pids() {
  local id pid
  id=$(stat -c '%D' "$WINEPREFIX" 2>/dev/null)-$(printf '%x' "$(stat -c '%i' "$WINEPREFIX" 2>/dev/null)")
  for pid in $(pgrep -x 'wineserver|wineserver64'); do
    case "$(readlink "/proc/$pid/cwd" 2>/dev/null)" in
      */server-"$id") echo "$pid" ;;
    esac
  done
}

wine_wait() {
  if timeout -k 2 "$1" wineserver -w 2>/dev/null; then
    return 0
  fi
  echo "-- wine programs still ran after $1 s: ended" >&2
  wine_stop
  return 124
}

wine_stop() {
  [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ] || return 0
  # -k kills every process of this prefix and ends its server; -w waits
  # until the server is gone. Neither starts a server when none runs.
  timeout -k 2 "$WINE_STOP_TIMEOUT" wineserver -k 2>/dev/null
  if ! timeout -k 2 "$WINE_STOP_TIMEOUT" wineserver -w 2>/dev/null; then
    local pid
    for pid in $(_wine_server_pids); do
      echo "-- the wine server $pid did not end: killed" >&2
      kill -KILL "$pid" 2>/dev/null
    done
  fi
  if [ -n "$WINE_PID" ]; then
    wait "$WINE_PID" 2>/dev/null
    WINE_PID=""
  fi
  return 0
}

wine_left() {
  local pid
  [ -n "${WINEPREFIX:-}" ] || return 0
  _wine_server_pids
  for pid in $(pgrep -u "$(id -u)" .); do
    [ "$(ps -o stat= -p "$pid" 2>/dev/null | cut -c1)" = Z ] && continue
    { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$pid"
  done
  return 0
}

wine_prefix_remove() {
  wine_stop
  if [ -n "$WINE_DIR" ] && [ -d "$WINE_DIR" ]; then
    rm -rf "$WINE_DIR"
  fi
  WINE_DIR=""
  unset WINEPREFIX
}

wine_path() {
  echo "Z:$(realpath -m "$1" | tr / '\\')"
}
