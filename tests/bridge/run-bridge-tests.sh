#!/usr/bin/env bash
# The real page against the real program: TessalyBridge.exe under Wine in a fresh prefix
# (tests/wine-prefix.sh), on a virtual display (Xvfb) for its window and tray icon, with the local test
# server's console document as the administrator's configuration and a hosts redirection
# and a wrong registry value planted for "一键设置"; its page driven in Debian's Chromium
# by playwright-core (bridge.test.mjs). Screenshots go to $TESSALY_SCREENSHOTS (default: a
# folder under $TMPDIR), never into the repository.
# The test server serves the build's test installer (TESSALY_TEST_FILES, the build's
# tests/components folder) for the exit during an install.
#   usage: TESSALY_TEST_FILES=DIR tests/server/with-test-server.sh \
#            tests/bridge/run-bridge-tests.sh BRIDGE_EXE WINDOW_SIGNAL_EXE JQUERY_JS
# Ends with "N passed, N failed".
set -uo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
: "${TESSALY_TEST_SERVER:?run me through tests/server/with-test-server.sh}"
: "${TESSALY_TEST_FILES:?name the tests/components folder of the build}"
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
bridge=$(absolute "$1")
window_signal=$(absolute "$2")
jquery=$(absolute "$3")

# Everything of Wine runs on one display of its own, so the program's window, the second
# start and the window helper all meet on the same desktop.
if [ -z "${TESSALY_BRIDGE_ON_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" env TESSALY_BRIDGE_ON_DISPLAY=1 bash "$0" "$@"
fi

# shellcheck source=tests/wine-prefix.sh
source "$root/tests/wine-prefix.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/tessaly-bridge.XXXXXX")
WINEPREFIX="$work/prefix"
export WINEPREFIX
trap '"$wineserver" -k 2>/dev/null; rm -rf "$work"' EXIT

init_wine_prefix
"$wine" reg add 'HKCU\Software\Brimvane\TessalyBridge\Quaymark' /v ConfigUrl /t REG_SZ \
  /d "$TESSALY_TEST_SERVER/console/item.xml" /f >/dev/null 2>&1
"$wine" reg add 'HKCU\Software\Quaymark Console Test' /v Level /t REG_DWORD /d 1 /f >/dev/null 2>&1
printf '# planted by the test\r\n10.9.8.7 ebank.quaymark.example\r\n' \
  >"$WINEPREFIX/drive_c/windows/system32/drivers/etc/hosts"
"$wineserver" -w 2>/dev/null

export WINE=$wine TESSALY_BRIDGE=$bridge TESSALY_BRIDGE_SIGNAL=$window_signal TESSALY_JQUERY=$jquery
export TESSALY_SCREENSHOTS=${TESSALY_SCREENSHOTS:-${TMPDIR:-/tmp}/tessaly-bridge-screenshots}
export CHROMIUM=${CHROMIUM:-/usr/bin/chromium}
rm -rf "$TESSALY_SCREENSHOTS"
cd "$root"
node --test --test-concurrency=1 --test-timeout=300000 \
  --test-reporter=spec --test-reporter-destination=stdout \
  --test-reporter=tap --test-reporter-destination="$work/bridge.tap" \
  tests/bridge/bridge.test.mjs tests/bridge/certificate-download.test.mjs
ok=$(grep -aE '^# pass [0-9]+$' "$work/bridge.tap" | awk '{print $3}')
bad=$(grep -aE '^# fail [0-9]+$' "$work/bridge.tap" | awk '{print $3}')
cancelled=$(grep -aE '^# cancelled [0-9]+$' "$work/bridge.tap" | awk '{print $3}')
passed=${ok:-0}
failed=$((${bad:-0} + ${cancelled:-0}))
[ "$passed" -gt 0 ] || failed=$((failed + 1))
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
