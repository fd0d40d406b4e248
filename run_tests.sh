#!/usr/bin/env bash
# Sets up what is missing, builds both targets and runs the whole suite:
# the 32-bit tree checks its export tables, the 64-bit tree runs every test
# program under Wine with a display of its own.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$root/build.sh"
status=0
ctest --test-dir "$root/build/win32" --output-on-failure || status=1
xvfb-run -a bash "$root/cmake/wine-session.sh" "$root/build/win64" \
  ctest --test-dir "$root/build/win64" -j"$(nproc)" --output-on-failure --timeout 300 || status=1
exit $status
