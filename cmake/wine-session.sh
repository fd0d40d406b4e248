#!/usr/bin/env bash
# wine-session.sh BUILD_DIR COMMAND...: runs COMMAND with one persistent
# wineserver for BUILD_DIR's prefix (each tree has its own: the win32 tree's
# is a 32-bit prefix), creating the prefix on first use. Run it inside
# xvfb-run so Wine programs have a display.
set -u
build=$(cd "$1" && pwd); shift
server() ( . "$build/wine-env.sh" && "$WINESERVER" "$@" )
wine() { "$build/wine-run.sh" "$@"; }

server -p
# Wine's own background processes (services, devices, the desktop) start with
# the first program and inherit its output; start them here, away from the
# pipes CTest reads, or CTest waits for them.
wine wineboot --init >/dev/null 2>&1
# Wine ends the desktop's process a moment after the last program on the
# desktop ends; the next program with a window starts it again, and CTest
# then waits for it too, as it holds that program's output. A program that
# stays on the desktop until the server stops keeps it from ending. Now and
# then a 32-bit Wine program hangs before it starts: a keeper that has not
# said "ready" within 20 s is ended and started again.
keeper="$build/hosts/desktop_keeper.exe"
keep_desktop() {
  local ready="$build/desktop_keeper.ready"
  [ -f "$keeper" ] || return 0
  for attempt in 1 2 3; do
    rm -f "$ready"
    wine "$keeper" </dev/null >"$ready" 2>/dev/null &
    for tick in $(seq 1 100); do
      grep -qs ready "$ready" && return 0
      sleep 0.2
    done
    pkill -9 -f "$keeper"
  done
  echo "wine-session: the desktop keeper did not start" >&2
}
keep_desktop
prefix=$(. "$build/wine-env.sh" && echo "$WINEPREFIX")
if [ ! -f "$prefix/.initialised" ]; then
  # A crashing test must fail, not wait for someone to close a dialog.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  touch "$prefix/.initialised"
fi
"$@"
status=$?
server -k
server -w
# A keeper that never reached the server is not among the programs it ended.
pkill -9 -f "$keeper" || true
exit $status
