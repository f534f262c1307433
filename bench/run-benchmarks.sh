#!/usr/bin/env bash
# Builds the optimised benchmark preset and runs the benchmarks (the XML reader against
# pugixml, the hosts check against the plain regex engine), printing mean, median and
# spread of a few repetitions (a busy machine makes single runs wander).
# Usage: bench/run-benchmarks.sh [extra Google Benchmark flags]
# Environment: MIN_TIME seconds per repetition (default 2), REPETITIONS (default 3),
# JOBS build jobs (default nproc), BENCHMARKS the programs to run (default both).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
programs=${BENCHMARKS:-"xml_reader_benchmark hosts_check_benchmark"}
cmake --preset native-bench >/dev/null
# shellcheck disable=SC2086
cmake --build --preset native-bench -j"${JOBS:-$(nproc)}" --target $programs
for program in $programs; do
  "build/native-bench/bench/$program" \
    --benchmark_min_time="${MIN_TIME:-2}" \
    --benchmark_repetitions="${REPETITIONS:-3}" --benchmark_report_aggregates_only=true \
    --benchmark_counters_tabular=true "$@"
done
