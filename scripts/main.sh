#!/usr/bin/env bash
# The main job: a whole diagnosis of a Windows PC by the program's own code, on the embedded
# default check-item document. Builds the console front end (Windows x86_64) and runs it
# under 64-bit Wine in a fresh prefix, so no earlier run or override can change the result;
# the download from the bank's server fails there (an example host), so the default serves.
# Installs and builds what it needs first. Arguments go to the console front end, e.g.
#   bash scripts/main.sh --fix                  (then repair every failing check item)
#   bash scripts/main.sh --json report.jsonl    (also write every page call as JSON)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh >/dev/null
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target TessalyConsole -j"$(nproc)" >/dev/null

WINEPREFIX=$(mktemp -d)
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
/usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
/usr/lib/wine/wine64 build/win64/tools/console/TessalyConsole.exe "$@"
