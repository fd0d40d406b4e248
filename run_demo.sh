#!/usr/bin/env bash
# The main job: sets up what is missing, builds, then drives the three
# components through their host programs under Wine and Xvfb. The report
# (and any screenshots) go to build/demo.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$root/build.sh"
out="$root/build/demo"
mkdir -p "$out"
win64="$root/build/win64"
# Windows programs write text in the code page of the user (936 here) with
# CR LF line ends; the report is UTF-8 with LF throughout.
windows_text() { iconv -f GB18030 -t UTF-8 -c | tr -d '\r'; }
{
  echo "== Export tables of the deliverables (build/win32)"
  for dll in peershare barshare certassist; do
    file="$root/build/win32/$dll/$dll.dll"
    echo "-- $dll.dll: $(i686-w64-mingw32-objdump -p "$file" | sed -n 's/^Magic.*(\(.*\))/\1/p')"
    exports=$(i686-w64-mingw32-objdump -p "$file" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed '1d;/^$/d')
    # certassist exports whole classes: their count says more than the list.
    if [ "$dll" = certassist ]; then echo "  $(echo "$exports" | wc -l) exported class members"; else echo "$exports"; fi
  done
  echo
  echo "== Components loaded by the demo host (build/win64, under Wine)"
  mkdir -p "$out/bin"
  cp "$win64"/{peershare,barshare,certassist}/*.dll "$win64/hosts/"*.exe "$out/bin/"
  xvfb-run -a bash "$root/cmake/wine-session.sh" "$win64" bash -c '
    "$1/wine-run.sh" "$2/bin/demo.exe" "$(/usr/lib/wine/wine64 winepath -w "$2/bin" 2>/dev/null)"
    echo
    echo "== Certificate assistant host (certassist.dll)"
    "$1/wine-run.sh" "$2/bin/assistant.exe"
    echo
    echo "== Toolbar host double with the Share button (barshare.dll)"
    "$1/wine-run.sh" "$2/bin/toolbarhost.exe"
    echo
    echo "== Benchmarks"
    "$1/wine-run.sh" "$1/benchmarks/foundation_benchmark.exe"
    "$1/wine-run.sh" "$1/barshare/benchmarks/url_rules_benchmark.exe"' _ "$win64" "$out" 2>&1 | windows_text
  echo
  echo "== peershare in the minimal client host (build/win64, under Wine and Xvfb)"
  # The host lays out a client folder below build/demo/client, loads
  # Plugins\peershare.dll from it, logs every HostClient call and saves
  # pictures of the windows; the screen must hold the 800 x 560 main window.
  rm -rf "$out/client" "$out"/*.png
  mkdir -p "$out/client"
  # Xvfb has no window manager: Wine draws the captions itself while the
  # host runs ("Decorated" off), so the pictures show the window titles.
  xvfb-run -a -s "-screen 0 1024x768x24" bash "$root/cmake/wine-session.sh" "$win64" bash -c '
    x11="HKCU\\Software\\Wine\\X11 Driver"
    "$1/wine-run.sh" reg add "$x11" /v Decorated /d N /f >/dev/null 2>&1
    "$1/wine-run.sh" "$2/bin/clienthost.exe" "$(/usr/lib/wine/wine64 winepath -w "$2/client" 2>/dev/null)" \
      --online 1234
    status=$?
    "$1/wine-run.sh" reg delete "$x11" /v Decorated /f >/dev/null 2>&1
    exit $status' _ "$win64" "$out" 2>&1 | windows_text || echo "clienthost: FAILED"
  cp "$out/client/"*.png "$out/" 2>/dev/null || echo "clienthost: no pictures"
  if [ -f "$out/client/host-calls.log" ]; then
    windows_text < "$out/client/host-calls.log" > "$out/host-calls.txt"
    echo "-- HostClient calls (build/demo/host-calls.txt):"
    sed 's/^/  /' "$out/host-calls.txt"
  fi
  echo "-- pictures: $(cd "$out" && ls *.png 2>/dev/null | tr '\n' ' ')"
} 2>&1 | tee "$out/report.txt"
echo "report: build/demo/report.txt"
