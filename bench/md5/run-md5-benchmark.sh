#!/usr/bin/env bash
# Times FileMd5Hex (the file_md5 command) against `openssl md5` on the same 256 MB file in
# one run, prints both figures and the ratio, and fails when ours is more than 10 % slower.
#   TESSALY_BENCH_BUILD_DIR  an already configured build holding the file_md5 target
#                            (default: configure and use the native-bench preset)
#   TESSALY_MD5_RUNS         timed runs of each command (default 7)
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
runs=${TESSALY_MD5_RUNS:-7}
size_mb=256
allowed_ratio=1.10

build_dir=${TESSALY_BENCH_BUILD_DIR:-}
if [ -z "$build_dir" ]; then
  (cd "$root" && cmake --preset native-bench >/dev/null)
  build_dir=$root/build/native-bench
fi
cmake --build "$build_dir" --target file_md5 -j2 >/dev/null
ours_tool=$(find "$build_dir" -type f -name file_md5 -perm -u+x | head -n1)
if [ -z "$ours_tool" ]; then
  echo "file_md5 was not built in $build_dir" >&2
  exit 1
fi
command -v openssl >/dev/null || { echo "the openssl command is missing" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
data=$work/data.bin
head -c $((size_mb * 1024 * 1024)) /dev/urandom >"$data"

# Both must compute the same digest before their speed means anything.
ours_digest=$("$ours_tool" "$data")
openssl_digest=$(openssl md5 -r "$data" | cut -d' ' -f1)
if [ "$ours_digest" != "$openssl_digest" ]; then
  echo "digests differ: file_md5 $ours_digest, openssl $openssl_digest" >&2
  exit 1
fi

# Median wall time in seconds of each command. The two alternate, so that load from other
# work on the machine falls on both alike; the file stays in the page cache throughout.
if command -v hyperfine >/dev/null; then
  hyperfine --style none --warmup 2 --runs "$runs" --export-json "$work/times.json" \
    "$ours_tool $data" "openssl md5 $data" >/dev/null
  read -r ours openssl_time < <(python3 -c '
import json, sys
results = json.load(open(sys.argv[1]))["results"]
print(results[0]["median"], results[1]["median"])' "$work/times.json")
  method="hyperfine, median of $runs runs"
else
  cat "$data" >/dev/null
  ours_times=()
  openssl_times=()
  seconds_of() {
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    echo "$(( end - start ))e-9"
  }
  for _ in $(seq "$runs"); do
    ours_times+=("$(seconds_of "$ours_tool" "$data")")
    openssl_times+=("$(seconds_of openssl md5 "$data")")
  done
  median() { printf '%s\n' "$@" | python3 -c 'import statistics, sys; print(statistics.median(float(l) for l in sys.stdin))'; }
  ours=$(median "${ours_times[@]}")
  openssl_time=$(median "${openssl_times[@]}")
  method="date loop, median of $runs runs"
fi

ratio=$(python3 -c "print('%.3f' % ($ours / $openssl_time))")
printf 'MD5 of %d MB (%s)\n' "$size_mb" "$method"
printf '  FileMd5Hex (file_md5): %.3f s  (%.0f MB/s)\n' "$ours" "$(python3 -c "print($size_mb / $ours)")"
printf '  openssl md5:           %.3f s  (%.0f MB/s)\n' "$openssl_time" "$(python3 -c "print($size_mb / $openssl_time)")"
printf '  ratio: %s (allowed: %s)\n' "$ratio" "$allowed_ratio"
if python3 -c "import sys; sys.exit(0 if $ratio <= $allowed_ratio else 1)"; then
  echo "md5 benchmark: passed"
else
  echo "md5 benchmark: FileMd5Hex is more than 10 % slower than openssl md5" >&2
  exit 1
fi
