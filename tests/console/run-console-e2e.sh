#!/usr/bin/env bash
# End-to-end test of the console front end under 64-bit Wine: in a fresh prefix, with the
# administrator's ConfigUrl pointing at the local test server's console document and a hosts
# redirection planted, it runs a whole diagnosis and then one with --fix (the repairs and
# installs of "一键设置"; this document has no component items), and
# compares each run's page transcript, whole, with the expected one.
# Given Fennick.dll and the stand-in of Feitian's PKCS#11 library, it then runs a diagnosis
# for a user of Feitian keys, with both beside the program and one key on the stand-in.
#   usage: tests/server/with-test-server.sh tests/console/run-console-e2e.sh CONSOLE_EXE \
#            [FENNICK_DLL STANDIN_DLL]
# Ends with "N passed, N failed".
set -uo pipefail

console=$1
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/console/e2e-prefix.sh
source "$here/e2e-prefix.sh"

# Runs the console with the given arguments and compares its normalised transcript with
# the expected file.
run_and_compare() {
  local label=$1 expected=$2
  shift 2
  local transcript="$work/$label.jsonl"
  "$wine" "$console" --json "$transcript" --timeout 120 "$@" >"$work/$label.txt" 2>&1
  local status=$?
  if [ "$status" -ne 0 ]; then
    cat "$work/$label.txt"
    fail "$label: exit status $status"
    return
  fi
  if diff -u "$here/$expected" <(python3 "$here/normalize-transcript.py" "$transcript") \
       >"$work/$label.diff"; then
    pass "$label: transcript as expected"
  else
    cat "$work/$label.diff"
    fail "$label: transcript differs"
  fi
}
"$wine" reg add 'HKCU\Software\Brimvane\Tessaly\Quaymark' /v ConfigUrl /t REG_SZ \
  /d "$TESSALY_TEST_SERVER/console/item.xml" /f >/dev/null 2>&1
hosts="$WINEPREFIX/drive_c/windows/system32/drivers/etc/hosts"
printf '# planted by the test\r\n10.9.8.7 ebank.quaymark.example\r\n' >"$hosts"

run_and_compare diagnosis expected-diagnosis.jsonl
run_and_compare repair expected-repair.jsonl --fix

if grep -q 'ebank' "$hosts"; then
  fail "repair: the hosts redirection is still there"
else
  pass "repair: the hosts redirection is gone"
fi
hits=$(python3 -c 'import sys, urllib.request; print(urllib.request.urlopen(sys.argv[1]).read().decode())' "$TESSALY_TEST_SERVER/hits/console")
if [ "${hits:-0}" -ge 2 ]; then
  pass "the service check reached the test server ($hits probes)"
else
  fail "the service check reached the test server ${hits:-0} times, expected at least 2"
fi

if [ $# -ge 3 ]; then
  program="$work/program"
  mkdir -p "$program"
  cp "$console" "$2" "$3" "$program/"
  bash "$here/../fennick/make-test-certificates.sh" "$work/certificates" >/dev/null
  printf 'token FT00000000000001 0 6\ncertificate Z:%s\n' \
    "$(echo "$work/certificates/zhaolei.der" | tr / '\\')" >"$work/tokens.txt"
  export TESSALY_STANDIN_TOKENS="Z:$(echo "$work/tokens.txt" | tr / '\\')"
  "$wine" reg add 'HKCU\Software\Brimvane\Tessaly\Quaymark' /v ConfigUrl /t REG_SZ \
    /d "$TESSALY_TEST_SERVER/console/feitian.xml" /f >/dev/null 2>&1
  "$wine" reg add 'HKCU\Software\Brimvane\Orvendel\Quaymark' /v UserType /t REG_DWORD \
    /d 5 /f >/dev/null 2>&1
  console="$program/$(basename "$console")"
  run_and_compare feitian expected-feitian.jsonl
  for row in "USBKey序列号: FT00000000000001" "证书数量: 1张" "证书1状态: 正常"; do
    if grep -qF "$row" "$work/feitian.txt"; then
      pass "feitian: the report shows \"$row\""
    else
      fail "feitian: the report lacks \"$row\""
    fi
  done
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
