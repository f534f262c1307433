#!/usr/bin/env bash
# The real Tessaly.exe in real processes under Wine, on a virtual display (Xvfb) for its
# window and tray icon, in a fresh prefix (tests/wine-prefix.sh): the "/hide" start, the second start's
# signal, the tray's exit (TessalyProgramTest in the Windows tests), and the configuration
# worker fetching the administrator's document from the local test server.
#   usage: tests/server/with-test-server.sh tests/program/run-program-tests.sh TESSALY_EXE TESTS_EXE
# Ends with "N passed, N failed".
set -uo pipefail

program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
tests=$2
# shellcheck source=tests/wine-prefix.sh
source "$(dirname "$0")/../wine-prefix.sh"
: "${TESSALY_TEST_SERVER:?run me through tests/server/with-test-server.sh}"

work=$(mktemp -d)
WINEPREFIX="$work/prefix"
export WINEPREFIX
trap '"$wineserver" -k 2>/dev/null; rm -rf "$work"' EXIT
passed=0
failed=0

run_on_display() {
  xvfb-run -a -s "-screen 0 1024x768x24" "$@"
}

run_on_display bash -c '"$0" wineboot --init >/dev/null 2>&1; "$1" -w' "$(wine_boot_loader)" "$wineserver"
token="program-config-$$"
"$wine" reg add 'HKCU\Software\Brimvane\Tessaly\Quaymark' /v ConfigUrl /t REG_SZ \
  /d "$TESSALY_TEST_SERVER/probe/$token" /f >/dev/null 2>&1
# That command ran without a display: its server and desktop process must be gone before
# the program starts, or the program's windows would belong to a desktop with no display.
"$wineserver" -w 2>/dev/null

# Wine maps the Unix root to drive Z:.
export TESSALY_PROGRAM="Z:${program//\//\\}"
run_on_display "$wine" "$tests" --gtest_filter='TessalyProgramTest.*' --gtest_brief=1 \
  >"$work/gtest.log" 2>&1
status=$?
ok=$(grep -aoE '^\[  PASSED  \] [0-9]+ test' "$work/gtest.log" | grep -oE '[0-9]+' | head -n1)
bad=$(grep -aoE '^\[  FAILED  \] [0-9]+ test' "$work/gtest.log" | grep -oE '[0-9]+' | head -n1)
skipped=$(grep -aoE '^\[  SKIPPED \] [0-9]+ test' "$work/gtest.log" | grep -oE '[0-9]+' | head -n1)
cat "$work/gtest.log"
passed=$((passed + ${ok:-0}))
failed=$((failed + ${bad:-0} + ${skipped:-0}))
if [ "$status" -ne 0 ] && [ "${bad:-0}" -eq 0 ]; then
  failed=$((failed + 1))
fi

hits=$(python3 -c 'import sys, urllib.request; print(urllib.request.urlopen(sys.argv[1]).read().decode())' \
  "$TESSALY_TEST_SERVER/hits/$token")
if [ "${hits:-0}" -ge 1 ]; then
  passed=$((passed + 1))
  echo "ok   the configuration worker fetched the document ($hits requests)"
else
  failed=$((failed + 1))
  echo "FAIL the configuration worker did not fetch the document"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
