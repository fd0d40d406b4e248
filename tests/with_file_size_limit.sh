#!/usr/bin/env bash
# with_file_size_limit.sh KIB PROGRAM...: runs PROGRAM so that writing a file
# past KIB kibibytes fails, as it does on a disk that fills up. The program is
# told the limit in TOVAK_FILE_SIZE_LIMIT (bytes).
set -u
kib=$1; shift
# The limit covers every process started from here. Wine's server must not be
# one of them (it saves the registry): make sure one runs for the prefix
# already (this fails harmlessly when cmake/wine-session.sh started it).
"${WINESERVER:-/usr/lib/wine/wineserver64}" -p60 >/dev/null 2>&1 || true
export TOVAK_FILE_SIZE_LIMIT=$((kib * 1024))
# Past the limit the kernel sends SIGXFSZ, which would end the program;
# ignored, the write fails with an error instead, as on a full disk.
trap '' XFSZ
ulimit -f "$kib"
exec "$@"
