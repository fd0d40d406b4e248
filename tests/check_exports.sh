#!/bin/sh
# check_exports.sh OBJDUMP DLL FORMAT NAME... : the DLL is of FORMAT (PE32 or
# PE32+), exports exactly NAME... ("-" for whatever it exports), carries a
# version resource and imports no MinGW runtime DLL.
objdump=$1 dll=$2 format=$3
shift 3
fail() { echo "$dll: $*"; exit 1; }
headers=$("$objdump" -p "$dll") || fail "objdump failed"
echo "$headers" | grep -q "^Magic.*($format)" || fail "not $format"
echo "$headers" | grep -iq 'DLL Name: \(libgcc\|libstdc\|libwinpthread\)' && fail "imports a MinGW runtime DLL"
"$objdump" -p "$dll" | grep -Eq "^[0-9a-f]+   Entry: ID: 0x000010," || fail "no version resource"
[ "$1" = "-" ] && exit 0
actual=$(echo "$headers" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
  sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\] //p' | sort)
expected=$(printf '%s\n' "$@" | sort)
[ "$actual" = "$expected" ] || fail "exports
$actual
expected
$expected"
echo "$dll: $format, exports $*"
