#!/usr/bin/env bash
# End-to-end test of the component installs under Wine (tests/wine-prefix.sh): in a fresh
# prefix, with the administrator's ConfigUrl pointing at the test server's component
# document, the console's --fix downloads the test installer and runs it with its quoted
# path, downloads the test COM library and registers it with regsvr32, refuses to run an
# installer whose digest does not match, and reports the items installed. The page
# transcript is compared whole (after the worker's timing is settled, see
# normalize-transcript.py); the install statuses are checked apart.
#   usage: TESSALY_TEST_FILES=DIR tests/server/with-test-server.sh \
#            tests/console/run-components-e2e.sh CONSOLE_EXE
# DIR holds TessalyTestInstaller.exe and TessalyTestCom.dll. Ends with "N passed, N failed".
set -uo pipefail

console=$1
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/console/e2e-prefix.sh
source "$here/e2e-prefix.sh"

"$wine" reg add 'HKCU\Software\Brimvane\Tessaly\Quaymark' /v ConfigUrl /t REG_SZ \
  /d "$TESSALY_TEST_SERVER/components/item.xml" /f >/dev/null 2>&1

transcript="$work/components.jsonl"
"$wine" "$console" --fix --answer yes --json "$transcript" --timeout 180 >"$work/report.txt" 2>&1
status=$?
if [ "$status" -eq 0 ]; then
  pass "the run completed"
else
  cat "$work/report.txt"
  fail "the run ended with status $status"
fi

if diff -u "$here/expected-components.jsonl" \
     <(python3 "$here/normalize-transcript.py" --settle-installs "$transcript") >"$work/diff"; then
  pass "transcript as expected"
else
  cat "$work/diff"
  fail "transcript differs"
fi

# The statuses the worker's timers showed: only 1, 2 and 3, the last one "安装完毕", and
# the download progress ending at 100 without going past it.
if python3 - "$transcript" <<'CHECK'
import json, sys
calls = [json.loads(line) for line in open(sys.argv[1], encoding="utf-8") if line.strip()]
after = calls[next(i for i, c in enumerate(calls) if c["args"][:3] == [0, 2, 2999]):]
statuses = [c["args"][2] for c in after if c["args"][:2] == [0, 2] and c["args"][2] in (1, 2, 3)]
progress = [c["args"][2] for c in after if c["args"][:2] == [0, 1]]
ok = statuses and statuses[-1] == 1 and 3 in statuses and progress and progress[-1] == 100
ok = ok and all(0 <= p <= 100 for p in progress)
print("statuses", statuses, "progress", progress)
sys.exit(0 if ok else 1)
CHECK
then
  pass "install statuses and download progress"
else
  fail "install statuses and download progress"
fi

# The download folder, DownTmp of the user's temporary folder, as Linux and Windows name it.
downloads=$(find "$WINEPREFIX/drive_c/users" -type d -name DownTmp | head -n1)
windows_downloads=$("$wine" winepath -w "$downloads" 2>/dev/null | tr -d '\r')
record="$downloads/test-installer-command.txt"
expected_line="\"$windows_downloads\\TessalyTestInstaller.exe\" /S"
if [ -f "$record" ] && [ "$(tr -d '\r' <"$record")" = "$expected_line" ]; then
  pass "the installer ran once, with its path quoted"
else
  printf 'expected: %s\nrecorded: %s\n' "$expected_line" "$(cat "$record" 2>/dev/null)"
  fail "the installer's recorded command line"
fi
if "$wine" reg query 'HKCR\CLSID\{5D4C1B9E-7A3F-4E21-9C6B-2F8E0A1D3B57}\InprocServer32' \
     2>/dev/null | grep -q 'TessalyTestCom.dll'; then
  pass "regsvr32 registered the test COM library"
else
  fail "the test COM library is not registered"
fi
if [ ! -e "$downloads/Mismatched.exe" ] && grep -q '询问(回答“继续下载下一项”): 下载发生错误' "$work/report.txt"; then
  pass "the installer with the wrong digest was deleted, not run, and the download question asked"
else
  cat "$work/report.txt"
  fail "the installer with the wrong digest"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
