#!/usr/bin/env bash
# Checks that each file named carries an Authenticode SHA-256 signature that chains to ROOT,
# with osslsigncode; and, as the check's own control, that a signature under another root
# is refused.
#   usage: verify-signatures.sh ROOT OTHER_ROOT FILE...
# Every file counts as one test; ends with "N passed, N failed".
set -uo pipefail

root=$1
other_root=$2
shift 2
passed=0
failed=0
for file in "$@"; do
  output=$(osslsigncode verify -CAfile "$root" -in "$file" 2>&1)
  if [ $? -eq 0 ] && grep -q 'Message digest algorithm *: SHA256' <<<"$output" &&
     ! osslsigncode verify -CAfile "$other_root" -in "$file" >/dev/null 2>&1; then
    passed=$((passed + 1))
    echo "ok   $file"
  else
    failed=$((failed + 1))
    echo "FAIL $file"
    echo "$output" | tail -n 5
  fi
done
[ $# -gt 0 ] || failed=1
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
