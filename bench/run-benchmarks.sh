#!/usr/bin/env bash
# Builds the optimised benchmark preset and runs the XML reader benchmark, printing mean,
# median and spread of a few repetitions (a busy machine makes single runs wander).
# Usage: bench/run-benchmarks.sh [extra Google Benchmark flags]
# Environment: MIN_TIME seconds per repetition (default 2), REPETITIONS (default 3),
# JOBS build jobs (default nproc).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset native-bench >/dev/null
cmake --build --preset native-bench -j"${JOBS:-$(nproc)}" --target xml_reader_benchmark
build/native-bench/bench/xml_reader_benchmark \
  --benchmark_min_time="${MIN_TIME:-2}" \
  --benchmark_repetitions="${REPETITIONS:-3}" --benchmark_report_aggregates_only=true \
  --benchmark_counters_tabular=true "$@"
