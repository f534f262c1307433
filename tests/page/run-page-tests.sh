#!/usr/bin/env bash
# Tests of Tessaly's page in a real browser (Debian's chromium, headless, driven by
# playwright-core), with the scripts' ECMAScript 3 check first. Servers bind 127.0.0.1
# only. Screenshots go to $TESSALY_SCREENSHOTS (default: a folder under $TMPDIR), never
# into the repository. TESSALY_PAGE_RC may name generated Windows resource scripts
# (build/win32/resources/TessalyResources.rc ...) to check against the page folder.
# Ends with one line "N passed, N failed".
set -uo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
work=$(mktemp -d "${TMPDIR:-/tmp}/tessaly-page.XXXXXX")
export TESSALY_SCREENSHOTS=${TESSALY_SCREENSHOTS:-${TMPDIR:-/tmp}/tessaly-page-screenshots}
export CHROMIUM=${CHROMIUM:-/usr/bin/chromium}
passed=0
failed=0
fail() { echo "FAILED: $*"; failed=$((failed + 1)); }

# The pinned packages (jQuery 1.6.2, playwright-core, acorn); reinstalled when the lock
# file changed since the last install.
if [ ! -f node_modules/.package-lock.json ] || [ package-lock.json -nt node_modules/.package-lock.json ]; then
  npm ci --no-audit --no-fund >"$work/npm.log" 2>&1 || { tail -n 30 "$work/npm.log"; echo "npm ci failed"; echo "0 passed, 1 failed"; exit 1; }
fi
[ -x "$CHROMIUM" ] || { echo "no chromium at $CHROMIUM (scripts/setup.sh installs it)"; echo "0 passed, 1 failed"; exit 1; }

# jQuery as the build extracts it, from the npm package's Node wrapper.
export TESSALY_JQUERY="$work/jquery.min.js"
if cmake -DINPUT=node_modules/jquery/dist/node-jquery.min.js -DOUTPUT="$TESSALY_JQUERY" \
     -P cmake/ExtractJquery.cmake >"$work/jquery.log" 2>&1; then
  passed=$((passed + 1))
else
  cat "$work/jquery.log"
  fail "extracting jQuery 1.6.2"
fi

echo "== ECMAScript 3 check"
node tests/page/es3-check.mjs | tee "$work/es3.log"
es3=$(grep -E '^es3: [0-9]+ passed, [0-9]+ failed$' "$work/es3.log")
if [ -n "$es3" ]; then
  passed=$((passed + $(echo "$es3" | awk '{print $2}')))
  failed=$((failed + $(echo "$es3" | awk '{print $4}')))
else
  fail "the ECMAScript 3 check did not run"
fi

for rc in ${TESSALY_PAGE_RC:-}; do
  if cmake -DRC="$rc" -DPAGE_DIR="$root/resources/page" -P cmake/CheckPageResources.cmake; then
    passed=$((passed + 1))
  else
    fail "page resources in $rc"
  fi
done

if [ -f "$TESSALY_JQUERY" ]; then
  echo "== browser tests (screenshots: $TESSALY_SCREENSHOTS)"
  rm -rf "$TESSALY_SCREENSHOTS"
  node --test --test-concurrency=1 --test-timeout=120000 \
    --test-reporter=spec --test-reporter-destination=stdout \
    --test-reporter=tap --test-reporter-destination="$work/browser.tap" \
    tests/page/*.test.mjs
  ok=$(grep -aE '^# pass [0-9]+$' "$work/browser.tap" | awk '{print $3}')
  bad=$(grep -aE '^# fail [0-9]+$' "$work/browser.tap" | awk '{print $3}')
  cancelled=$(grep -aE '^# cancelled [0-9]+$' "$work/browser.tap" | awk '{print $3}')
  if [ -z "$ok" ] || [ "$ok" -eq 0 ]; then
    fail "the browser tests ran no test"
  fi
  passed=$((passed + ${ok:-0}))
  failed=$((failed + ${bad:-0} + ${cancelled:-0}))
fi

rm -rf "$work"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
