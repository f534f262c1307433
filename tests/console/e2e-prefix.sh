# Sourced by the console's end-to-end scripts: a fresh Wine prefix in a scratch folder that
# goes when the script ends, and the pass/fail counters behind their "N passed, N failed".
: "${TESSALY_TEST_SERVER:?run me through tests/server/with-test-server.sh}"
wine=/usr/lib/wine/wine64
passed=0
failed=0
work=$(mktemp -d)
WINEPREFIX="$work/prefix"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap '/usr/lib/wine/wineserver -k 2>/dev/null; rm -rf "$work"' EXIT

pass() { passed=$((passed + 1)); printf 'ok   %s\n' "$1"; }
fail() { failed=$((failed + 1)); printf 'FAIL %s\n' "$1"; }

"$wine" wineboot --init >/dev/null 2>&1
/usr/lib/wine/wineserver -w 2>/dev/null
