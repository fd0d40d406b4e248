#!/usr/bin/env bash
# The main job: sets up what is missing, builds, then drives the three
# components through their host programs under Wine and Xvfb. The report
# (and any screenshots) go to build/demo.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$root/build.sh"
out="$root/build/demo"
mkdir -p "$out"
# The report is UTF-8 with LF line ends throughout. Programs write text in
# the user's code page (936 here) or in UTF-8, with CR LF or LF: each line is
# taken as UTF-8 where it is valid UTF-8, as code page 936 otherwise.
report_text() {
  python3 -c '
import sys
for raw in sys.stdin.buffer:
    line = raw.rstrip(b"\r\n")
    try:
        text = line.decode("utf-8")
    except UnicodeDecodeError:
        text = line.decode("gb18030", errors="replace")
    sys.stdout.write(text + "\n")
    sys.stdout.flush()
'
}
# The hosts load the deliverables, the 32-bit DLLs, under the 32-bit Wine;
# where this machine cannot run 32-bit programs, their 64-bit twins.
if grep -qx ready "$root/build/wine32/status" && [ -x "$root/build/win32/wine-run.sh" ]; then
  tree="$root/build/win32"
  hosts_run="build/win32 (i686, the deliverables) under 32-bit Wine"
else
  tree="$root/build/win64"
  hosts_run="build/win64 (the x86_64 twins) under wine64: $(cat "$root/build/wine32/status" 2>/dev/null)"
fi
{
  echo "== Hosts and DLLs of $hosts_run"
  echo
  echo "== Export tables of the deliverables (build/win32)"
  for dll in peershare barshare certassist; do
    file="$root/build/win32/$dll/$dll.dll"
    echo "-- $dll.dll: $(i686-w64-mingw32-objdump -p "$file" | sed -n 's/^Magic.*(\(.*\))/\1/p')"
    exports=$(i686-w64-mingw32-objdump -p "$file" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed '1d;/^$/d')
    # certassist exports whole classes: their count says more than the list.
    if [ "$dll" = certassist ]; then echo "  $(echo "$exports" | wc -l) exported class members"; else echo "$exports"; fi
  done
  echo
  echo "== Components loaded by the demo host"
  rm -rf "$out/bin"
  mkdir -p "$out/bin"
  cp "$tree"/{peershare,barshare,certassist}/*.dll "$tree/hosts/"*.exe "$tree/hosts/TvHashFile.dll" \
    "$tree/hosts/TvSendMail.dll" "$tree/hosts/browser_double.dll" "$out/bin/"
  # The authority's download server: a web server double on 127.0.0.1 that
  # the assistant host and the download benchmark put their files into.
  rm -rf "$out/downloads"
  mkdir -p "$out/downloads"
  python3 "$root/hosts/webserver/web_server_double.py" --root "$out/downloads" --port-file "$out/downloads.port" \
    --log "$out/download-requests.log" --pid-file "$out/downloads.pid" --daemon
  : > "$out/download-requests.log"
  # The transfer benchmark paints a window: the screen must hold it.
  xvfb-run -a -s "-screen 0 1024x768x24" bash "$root/cmake/wine-session.sh" "$tree" bash -c '
    "$1/wine-run.sh" "$2/bin/demo.exe" "$("$1/wine-run.sh" winepath -w "$2/bin" 2>/dev/null)"
    echo
    echo "== Certificate assistant host (certassist.dll)"
    downloads=$("$1/wine-run.sh" winepath -w "$2/downloads" 2>/dev/null)
    "$1/wine-run.sh" "$2/bin/assistant.exe" --download "$downloads" "$(cat "$2/downloads.port")"
    echo "-- requests the download server double received (build/demo/download-requests.log):"
    grep -a "^GET \|^Range: " "$2/download-requests.log" | tr -d "\r" | sed "s/^/  /"
    echo
    echo "== Owner and COM layer shared by the components (common/win)"
    "$1/wine-run.sh" "$1/common/win/tests/win_common_tests.exe" --gtest_brief=1 | tr -d "\r" | tail -n 2
    echo
    echo "== Benchmarks"
    "$1/wine-run.sh" "$1/benchmarks/foundation_benchmark.exe"
    "$1/wine-run.sh" "$1/barshare/benchmarks/url_rules_benchmark.exe"
    "$1/wine-run.sh" "$1/benchmarks/share_benchmark.exe"
    "$1/wine-run.sh" "$1/benchmarks/hash_benchmark.exe"
    "$1/wine-run.sh" "$1/benchmarks/transfer_benchmark.exe"
    "$1/wine-run.sh" "$1/certassist/benchmarks/download_benchmark.exe" "$downloads" "$(cat "$2/downloads.port")"
    echo
    echo "== Download sinks: eight client threads against the window thread for 10 s"
    "$1/wine-run.sh" "$1/peershare/tests/peershare_transfer_stress.exe" --stress-seconds=10 | tr -d "\r" |
      grep -E "^stress:|PASSED|FAILED"
    echo
    echo "== Hostile input: seeded random and mutated input for every parser (300 cases each, seed 20261208)"
    for component in peershare certassist barshare; do
      (cd "$2" && "$1/wine-run.sh" "$1/$component/tests/${component}_hostile_input.exe" --count 300 --seed 20261208) ||
        echo "${component}_hostile_input: FAILED"
    done' _ "$tree" "$out"
  python3 "$root/hosts/webserver/web_server_double.py" --stop "$out/downloads.pid"
  echo
  echo "== Toolbar host double with the Share button (barshare.dll, under Xvfb)"
  # The browser control double (browser_double.dll) stands in for the
  # browser and for the share window's control; pictures of the share window
  # and of dialog 294 go to build/demo.
  rm -f "$out"/*.png
  xvfb-run -a -s "-screen 0 1024x768x24" bash "$root/cmake/wine-session.sh" "$tree" bash -c '
    x11="HKCU\\Software\\Wine\\X11 Driver"
    "$1/wine-run.sh" reg add "$x11" /v Decorated /d N /f >/dev/null 2>&1
    "$1/wine-run.sh" "$2/bin/toolbarhost.exe" --pictures "$("$1/wine-run.sh" winepath -w "$2" 2>/dev/null)"
    status=$?
    "$1/wine-run.sh" reg delete "$x11" /v Decorated /f >/dev/null 2>&1
    exit $status' _ "$tree" "$out" || echo "toolbarhost: FAILED"
  echo
  echo "== peershare in the minimal client host (under Xvfb)"
  # The host lays out a client folder below build/demo/client, loads
  # Plugins\peershare.dll from it, logs every HostClient call and saves
  # pictures of the windows; the screen must hold the 800 x 560 main window.
  rm -rf "$out/client" "$out/operator"
  mkdir -p "$out/client" "$out/operator/tovakup" "$out/operator/lists" "$out/operator/top"
  # The operator's web server double on 127.0.0.1: settings, both keyword
  # lists and a top-ten list for the plug-in's share worker.
  python3 "$root/hosts/webserver/web_server_double.py" --root "$out/operator" --port-file "$out/operator.port" \
    --log "$out/operator-requests.log" --pid-file "$out/operator.pid" --daemon
  operator="127.0.0.1:$(cat "$out/operator.port")"
  : > "$out/operator-requests.log"
  printf '色情\r\n反动\r\n赌博\r\n' | iconv -f UTF-8 -t GBK > "$out/operator/lists/filter.txt"
  printf '色情\r\n反动\r\n' | iconv -f UTF-8 -t GBK > "$out/operator/lists/litefilter.txt"
  printf '[topten]\r\ndate=729400\r\n[no1]\r\nsize=734003200\r\nfileType=3\r\nhash=%s\r\nfilename=功夫.rmvb\r\n[no2]\r\nsize=4404019\r\nfileType=1\r\nhash=%s\r\nfilename=月亮代表我的心.mp3\r\n' \
    "$(printf 'kungfu' | md5sum | cut -c1-32)" "$(printf 'moon' | md5sum | cut -c1-32)" |
    iconv -f UTF-8 -t GBK > "$out/operator/top/topten.ini"
  printf '[tovak]\r\nKeywordDownload=1\r\nFilterFriend=1\r\nFilterZhenCang=1\r\nadversion=3\r\nuploadrecord=1\r\nuploadurl=%s/tovakup/flowreport.asp\r\nTop10=%s/top/topten.ini\r\nTop10Date=729400\r\nmailMaxCopy=50\r\nLiteFilterLibURL=%s/lists/litefilter.txt\r\nLiteFilterHashId=%s\r\nFilterLibURL=%s/lists/filter.txt\r\nFilterHashId=%s\r\n' \
    "$operator" "$operator" "$operator" "$(md5sum < "$out/operator/lists/litefilter.txt" | cut -c1-32)" \
    "$operator" "$(md5sum < "$out/operator/lists/filter.txt" | cut -c1-32)" > "$out/operator/tovakup/filter.ini"
  # The flow-report endpoint accepts every upload record report (answer 2).
  printf '/tovakup/flowreport.asp answer 2\n' > "$out/operator/.rules"
  echo "-- operator's web server double at $operator serves /tovakup/filter.ini:"
  sed 's/\r$//; s/^/  /' "$out/operator/tovakup/filter.ini"
  # Xvfb has no window manager: Wine draws the captions itself while the
  # host runs ("Decorated" off), so the pictures show the window titles.
  xvfb-run -a -s "-screen 0 1024x768x24" bash "$root/cmake/wine-session.sh" "$tree" bash -c '
    x11="HKCU\\Software\\Wine\\X11 Driver"
    "$1/wine-run.sh" reg add "$x11" /v Decorated /d N /f >/dev/null 2>&1
    "$1/wine-run.sh" "$2/bin/clienthost.exe" "$("$1/wine-run.sh" winepath -w "$2/client" 2>/dev/null)" \
      --online 1234 --operator "$3"
    status=$?
    "$1/wine-run.sh" reg delete "$x11" /v Decorated /f >/dev/null 2>&1
    exit $status' _ "$tree" "$out" "$operator" || echo "clienthost: FAILED"
  python3 "$root/hosts/webserver/web_server_double.py" --stop "$out/operator.pid"
  echo "-- requests the operator's server double received (build/demo/operator-requests.log):"
  grep -a '^GET \|^POST ' "$out/operator-requests.log" | sed 's/^/  /' || echo "  none"
  echo "-- headers of the upload record report (answered 2: records accepted):"
  grep -a -A8 '^POST ' "$out/operator-requests.log" | grep -a '^Accept\|^User-Agent' | tr -d '\r' | sed 's/^/  /' || true
  cp "$out/client/"*.png "$out/" 2>/dev/null || echo "clienthost: no pictures"
  if [ -f "$out/client/host-calls.log" ]; then
    report_text < "$out/client/host-calls.log" > "$out/host-calls.txt"
    echo "-- HostClient calls (build/demo/host-calls.txt):"
    sed 's/^/  /' "$out/host-calls.txt"
  fi
  echo "-- pictures: $(cd "$out" && ls *.png 2>/dev/null | tr '\n' ' ')"
} 2>&1 | report_text | tee "$out/report.txt"
echo "report: build/demo/report.txt"
