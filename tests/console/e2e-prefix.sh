# Sourced by the console's end-to-end scripts: a fresh Wine prefix in a scratch folder that
# goes when the script ends (tests/wine-prefix.sh: WoW64, or 32-bit Windows under
# WINEARCH=win32), and the pass/fail counters behind their "N passed, N failed".
: "${TESSALY_TEST_SERVER:?run me through tests/server/with-test-server.sh}"
# shellcheck source=tests/wine-prefix.sh
source "$(dirname "${BASH_SOURCE[0]}")/../wine-prefix.sh"
passed=0
failed=0
work=$(mktemp -d)
WINEPREFIX="$work/prefix"
export WINEPREFIX
trap '"$wineserver" -k 2>/dev/null; rm -rf "$work"' EXIT

pass() { passed=$((passed + 1)); printf 'ok   %s\n' "$1"; }
fail() { failed=$((failed + 1)); printf 'FAIL %s\n' "$1"; }

init_wine_prefix
