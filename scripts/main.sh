#!/usr/bin/env bash
# The main job: check the embedded default check-item document with the administrators'
# tool, exactly as the program would read it. Installs and builds what it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh >/dev/null
cmake --preset native >/dev/null
cmake --build --preset native --target itemcheck -j"$(nproc)" >/dev/null
exec build/native/tools/itemcheck/itemcheck "$@"
