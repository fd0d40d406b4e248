#!/usr/bin/env bash
# wine-session.sh BUILD_DIR COMMAND...: runs COMMAND with one persistent
# wineserver for BUILD_DIR's prefix, creating the prefix on first use. Run it
# inside xvfb-run so Wine programs have a display.
set -u
build=$(cd "$1" && pwd); shift
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all LANG=zh_CN.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="
wineserver=/usr/lib/wine/wineserver64
wine=/usr/lib/wine/wine64

"$wineserver" -p
# Wine's own background processes (services, devices, the desktop) start with
# the first program and inherit its output; start them here, away from the
# pipes CTest reads, or CTest waits for them.
"$wine" wineboot --init >/dev/null 2>&1
if [ ! -f "$WINEPREFIX/.initialised" ]; then
  # A crashing test must fail, not wait for someone to close a dialog.
  "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  touch "$WINEPREFIX/.initialised"
fi
"$@"
status=$?
"$wineserver" -k
"$wineserver" -w
exit $status
