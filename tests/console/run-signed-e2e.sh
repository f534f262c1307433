#!/usr/bin/env bash
# End to end under Wine, the shipped 32-bit console in a WoW64 prefix against a test server
# that plays the attacker (tests/server/http_test_server.py, /attack/): with the
# administrator's ConfigUrl pointing at each of its documents in turn, the console's --fix
# runs. A document the pinned key refuses (unsigned, one byte changed, signed by another
# key, validly signed but older than the last accepted) is never used: nothing of its items
# is downloaded. A properly signed document whose installer is signed by another publisher,
# altered after signing or unsigned is used, but that installer is downloaded, deleted and
# never run. The properly signed document still installs and registers everything.
#   usage: TESSALY_TEST_FILES=DIR tests/server/with-test-server.sh \
#            tests/console/run-signed-e2e.sh CONSOLE_EXE
# DIR holds the test installer (signed, -unsigned, -other) and TessalyTestCom.dll as the
# build signs them. Ends with "N passed, N failed".
set -uo pipefail

console=$1
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/console/e2e-prefix.sh
source "$here/e2e-prefix.sh"

hits() { curl -s "$TESSALY_TEST_SERVER/hits/$1"; }
downloads() { find "$WINEPREFIX/drive_c/users" -type d -name DownTmp | head -n1; }
record() { echo "$(downloads)/test-installer-command.txt"; }
registered() {
  "$wine" reg query 'HKCR\CLSID\{5D4C1B9E-7A3F-4E21-9C6B-2F8E0A1D3B57}\InprocServer32' 2>/dev/null |
    grep -q 'TessalyTestCom.dll'
}

# Runs the console on /attack/NAME.xml; its report lands in $work/NAME.txt.
run() {
  "$wine" reg add 'HKCU\Software\Brimvane\Tessaly\Quaymark' /v ConfigUrl /t REG_SZ \
    /d "$TESSALY_TEST_SERVER/attack/$1.xml" /f >/dev/null 2>&1
  "$wine" "$console" --fix --answer yes --json "$work/$1.jsonl" --timeout 180 >"$work/$1.txt" 2>&1
}

# A refused document: none of its files is even requested, nothing runs or is registered.
refused_document() {
  local before
  before=$(( $(hits files-TessalyTestInstaller_exe) + $(hits files-TessalyTestCom_dll) ))
  run "$1"
  local after=$(( $(hits files-TessalyTestInstaller_exe) + $(hits files-TessalyTestCom_dll) ))
  if [ "$after" -eq "$before" ] && [ ! -e "$(record)" ] && ! registered; then
    pass "$1 document: refused, nothing downloaded, run or registered"
  else
    cat "$work/$1.txt"
    fail "$1 document: used"
  fi
}

# A used document whose installer must be refused: downloaded, deleted, never run.
refused_installer() {
  local name=$1 file=$2 token=$3
  local before
  before=$(hits "$token")
  run "$name"
  if [ "$(hits "$token")" -gt "$before" ] && [ ! -e "$(downloads)/$file" ] && [ ! -e "$(record)" ] &&
     grep -q '下载发生错误' "$work/$name.txt"; then
    pass "$name: downloaded, deleted, not run, the download question asked"
  else
    cat "$work/$name.txt"
    fail "$name: the installer was kept or run"
  fi
}

refused_document unsigned
refused_document altered
refused_document other-key
refused_installer other-publisher TessalyTestInstaller-other.exe files-TessalyTestInstaller-other_exe
refused_installer altered-installer TessalyTestInstaller.exe altered-TessalyTestInstaller_exe
refused_installer unsigned-installer TessalyTestInstaller-unsigned.exe \
  files-TessalyTestInstaller-unsigned_exe

run signed
if [ -e "$(record)" ] && registered; then
  pass "the properly signed document installs the signed installer and registers the library"
else
  cat "$work/signed.txt"
  fail "the properly signed document"
fi
sequence=$("$wine" reg query 'HKCU\Software\Brimvane\Orvendel\Quaymark' /v DocumentSequence 2>/dev/null |
  tr -d '\r' | awk '/DocumentSequence/ {print $3}')
if [ "$((sequence))" -eq 1000 ]; then
  pass "the accepted sequence is kept in the settings key"
else
  fail "the accepted sequence is $sequence"
fi
# Undo the signed run, so that the replay's own effects would show.
rm -f "$(record)"
"$wine" reg delete 'HKCR\CLSID\{5D4C1B9E-7A3F-4E21-9C6B-2F8E0A1D3B57}' /f >/dev/null 2>&1
refused_document older

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
