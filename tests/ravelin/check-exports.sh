#!/usr/bin/env bash
# Checks that each given Ravelin library exports exactly the thirteen undecorated names of
# the key-adapter contract (no stdcall decorations, nothing else).
# usage: check-exports.sh <objdump> <library>...   Ends with "N passed, N failed".
set -uo pipefail
objdump=$1
shift
expected=$(printf '%s\n' CheckKeyEnv DefaultPINFlg GetCertCN GetCertIssuer GetCertNotAfter \
  GetCertNotBefore GetFactoryName GetKeyCount GetKeySN GetPinRetryTimes GetSoftwareVersion \
  GetX509ReqData ImportCertData | sort)
passed=0
failed=0
for library in "$@"; do
  actual=$("$objdump" -p "$library" |
    sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -E '^\s+\[ *[0-9]+\] ' | awk '{print $NF}' | sort)
  if [ "$actual" = "$expected" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL: $library exports:"
    diff <(echo "$expected") <(echo "$actual")
  fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
