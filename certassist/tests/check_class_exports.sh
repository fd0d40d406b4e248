#!/bin/sh
# check_class_exports.sh OBJDUMP DLL NAME... : the DLL exports every NAME
# (mangled C++ names of the exported classes' members).
objdump=$1 dll=$2
shift 2
table=$("$objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p') || exit 1
for name in "$@"; do
  echo "$table" | grep -q "\] $name\$" || { echo "$dll: $name not exported"; exit 1; }
done
echo "$dll: all $# names exported"
