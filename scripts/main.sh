#!/usr/bin/env bash
# The main job: a whole diagnosis of a Windows PC by the program's own code, on the embedded
# default check-item document. Builds the shipped 32-bit console front end (Windows i686) and
# runs it under 32-bit Wine in a fresh WoW64 prefix (64-bit Windows with 32-bit support, as
# most customers have it), so no earlier run or override can change the result; the download
# from the bank's server fails there (an example host), so the default serves.
# Installs and builds what it needs first. Arguments go to the console front end, e.g.
#   bash scripts/main.sh --fix                  (then repair every failing check item)
#   bash scripts/main.sh --json report.jsonl    (also write every page call as JSON)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh >/dev/null
# shellcheck source=tests/wine-prefix.sh
source tests/wine-prefix.sh
preset=win32
if ! "$wine" --version >/dev/null 2>&1; then
  # A machine without 32-bit user mode (some virtual machines) cannot start the shipped
  # build at all; the 64-bit build of the same code stands in there.
  echo "note: this machine cannot run 32-bit programs; the 64-bit build runs instead" >&2
  preset=win64
  wine=/usr/lib/wine/wine64
fi
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target TessalyConsole -j"$(nproc)" >/dev/null

WINEPREFIX=$(mktemp -d)/prefix
export WINEPREFIX
trap '"$wineserver" -k 2>/dev/null || true; rm -rf "$(dirname "$WINEPREFIX")"' EXIT
init_wine_prefix
"$wine" "build/$preset/tools/console/TessalyConsole.exe" "$@"
