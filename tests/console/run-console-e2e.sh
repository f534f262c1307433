#!/usr/bin/env bash
# End-to-end test of the console front end under Wine (tests/wine-prefix.sh): in a fresh
# prefix, with the administrator's ConfigUrl pointing at the local test server's console
# document and a hosts redirection planted, it runs a whole diagnosis and then one with
# --fix (the repairs and installs of "一键设置"; this document has no component items), and
# compares each run's page transcript, whole, with the expected one. Then, without the
# override and with the test server as the prefix's proxy, the program fetches the bank's
# document of its Windows: the 64-bit one on 64-bit Windows, the 32-bit one under
# WINEARCH=win32; the OS text names the same bitness.
# Given Fennick.dll and the stand-in of Feitian's PKCS#11 library, it then runs a diagnosis
# for a user of Feitian keys, with both beside the program and one key on the stand-in; given
# Ravelin.dll as well, one for a user of Watchdata keys with one key on its stand-in.
#   usage: tests/server/with-test-server.sh tests/console/run-console-e2e.sh CONSOLE_EXE \
#            [FENNICK_DLL STANDIN_DLL [RAVELIN_DLL]]
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

bits=64 other=32
[ "${WINEARCH:-}" = win32 ] && bits=32 other=64
os_text=$(python3 -c '
import json, sys
calls = (json.loads(line) for line in open(sys.argv[1], encoding="utf-8") if line.strip())
print(next((c["args"][2] for c in calls if c["fn"] == "setState" and c["args"][:2] == [1, 1]), ""))
' "$work/diagnosis.jsonl")
if [[ "$os_text" == *" ${bits}位" ]]; then
  pass "the OS text names $bits-bit Windows: $os_text"
else
  fail "the OS text \"$os_text\" does not end in \" ${bits}位\""
fi

# The test server answers the bank's paths when asked as a proxy; local addresses bypass it.
internet='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
"$wineserver" -w 2>/dev/null
"$wine" reg delete 'HKCU\Software\Brimvane\Tessaly\Quaymark' /v ConfigUrl /f >/dev/null 2>&1
"$wine" reg add "$internet" /v ProxyServer /t REG_SZ /d "${TESSALY_TEST_SERVER#http://}" /f >/dev/null 2>&1
"$wine" reg add "$internet" /v ProxyOverride /t REG_SZ /d '<local>' /f >/dev/null 2>&1
"$wine" reg add "$internet" /v ProxyEnable /t REG_DWORD /d 1 /f >/dev/null 2>&1
"$wine" "$console" --timeout 120 >"$work/bank.txt" 2>&1
status=$?
# Each of the server's two documents has one component whose version text names its bitness.
if [ "$status" -eq 0 ] && grep -qF "版本 \"9.9.9.$bits\"" "$work/bank.txt" &&
   ! grep -qF "9.9.9.$other" "$work/bank.txt"; then
  pass "the bank's $bits-bit document was fetched"
else
  cat "$work/bank.txt"
  fail "the bank's $bits-bit document was not the one fetched (exit status $status)"
fi
"$wine" reg add "$internet" /v ProxyEnable /t REG_DWORD /d 0 /f >/dev/null 2>&1

# Runs a diagnosis for a user of one key kind: the console beside its adapter, a document
# with that kind's driver item, and the key panel's rows looked for in the report.
#   run_key_user LABEL USER-TYPE ROW...
run_key_user() {
  local label=$1 user_type=$2
  shift 2
  # The last run's Wine server must be gone first: one that is ending could lose the writes.
  "$wineserver" -w 2>/dev/null
  "$wine" reg add 'HKCU\Software\Brimvane\Tessaly\Quaymark' /v ConfigUrl /t REG_SZ \
    /d "$TESSALY_TEST_SERVER/console/$label.xml" /f >/dev/null 2>&1
  "$wine" reg add 'HKCU\Software\Brimvane\Orvendel\Quaymark' /v UserType /t REG_DWORD \
    /d "$user_type" /f >/dev/null 2>&1
  run_and_compare "$label" "expected-$label.jsonl"
  local row
  for row in "$@"; do
    if grep -qF "$row" "$work/$label.txt"; then
      pass "$label: the report shows \"$row\""
    else
      fail "$label: the report lacks \"$row\""
    fi
  done
}

# A served document that is no configuration: the check started by hand runs on the embedded
# default (its component rows show) and its verdict is not "met".
"$wine" reg add 'HKCU\Software\Brimvane\Tessaly\Quaymark' /v ConfigUrl /t REG_SZ \
  /d "$TESSALY_TEST_SERVER/not-config" /f >/dev/null 2>&1
/usr/lib/wine/wineserver -w 2>/dev/null
"$wine" "$console" --json "$work/not-config.jsonl" --timeout 120 >"$work/not-config.txt" 2>&1
if python3 - "$work/not-config.jsonl" <<'CHECK'; then
import json, sys
calls = [json.loads(line) for line in open(sys.argv[1], encoding="utf-8") if line.strip()]
states = [c["args"] for c in calls if c["fn"] == "setState"]
verdicts = [a[2] for a in states if a[:2] == [0, 3]]
default_rows = {a[1] for a in states if a[0] == 2}
sys.exit(0 if verdicts and 0 not in verdicts and len(default_rows) == 4 else 1)
CHECK
  pass "not-config: the default document was checked and the verdict is not met"
else
  cat "$work/not-config.txt"
  fail "not-config: the check did not run on the default document, or said met"
fi

windows_path() { echo "Z:$(echo "$1" | tr / '\\')"; }

if [ $# -ge 3 ]; then
  program="$work/program"
  mkdir -p "$program"
  cp "$console" "$2" "$3" "$program/"
  console="$program/$(basename "$console")"
  bash "$here/../fennick/make-test-certificates.sh" "$work/certificates" >/dev/null
  printf 'token FT00000000000001 0 6\ncertificate %s\n' \
    "$(windows_path "$work/certificates/zhaolei.der")" >"$work/tokens.txt"
  TESSALY_STANDIN_TOKENS=$(windows_path "$work/tokens.txt")
  export TESSALY_STANDIN_TOKENS
  run_key_user feitian 5 "USBKey序列号: FT00000000000001" "证书数量: 1张" "证书1状态: 正常"
fi
# Given Ravelin.dll too (its development build carries the stand-in token manager): a
# Watchdata key with one certificate in one container.
if [ $# -ge 4 ]; then
  cp "$4" "$program/"
  printf 'key 1\nserial WD00000000000001\nreset-answer 3b9f95801fc78031e073fe211b6357\n' \
    >"$work/keys.txt"
  printf 'container c\ncertificate signature %s\n' \
    "$(od -An -v -tx1 "$work/certificates/wdzhaolei.der" | tr -d ' \n')" >>"$work/keys.txt"
  TESSALY_STANDIN_KEYS=$(windows_path "$work/keys.txt")
  export TESSALY_STANDIN_KEYS
  run_key_user watchdata 3 "USBKey序列号: WD00000000000001" "证书数量: 1张" "证书1状态: 正常"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
