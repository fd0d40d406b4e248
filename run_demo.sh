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
{
  echo "== Export tables of the deliverables (build/win32)"
  for dll in peershare barshare certassist; do
    file="$root/build/win32/$dll/$dll.dll"
    echo "-- $dll.dll: $(i686-w64-mingw32-objdump -p "$file" | sed -n 's/^Magic.*(\(.*\))/\1/p')"
    i686-w64-mingw32-objdump -p "$file" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed '1d;/^$/d'
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
    echo "== Benchmarks"
    "$1/wine-run.sh" "$1/benchmarks/foundation_benchmark.exe"' _ "$win64" "$out"
} 2>&1 | tee "$out/report.txt"
echo "report: build/demo/report.txt"
