#!/usr/bin/env bash
# Checks that a Windows library exports exactly the given names, undecorated, as its export
# table (objdump) lists them. Usage: check-exports.sh OBJDUMP LIBRARY NAME...
# Ends with one "N passed, N failed" line.
set -uo pipefail
objdump=$1 library=$2
shift 2
actual=$("$objdump" -p "$library" |
  awk '/\[Ordinal\/Name Pointer\] Table/ {table = 1; next}
       table && /^\t\[/ {print $NF; next}
       table {table = 0}' | sort)
expected=$(printf '%s\n' "$@" | sort)
if [ -n "$actual" ] && [ "$actual" = "$expected" ]; then
  echo "exports of $(basename "$library"): $(echo "$actual" | tr '\n' ' ')"
  echo "1 passed, 0 failed"
else
  diff <(echo "$expected") <(echo "$actual")
  echo "0 passed, 1 failed"
  exit 1
fi
