#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, ASan, UBSan) and runs each of them for the
# given time, all at once. New inputs that reach new code collect in the build folder, so later
# runs start from what earlier ones found; the seeds in fuzz/corpus are only read.
#
# Usage: fuzz/run.sh [SECONDS] [TARGET...]
#   SECONDS  how long each target runs (default: $FUZZ_SECONDS, else 60)
#   TARGET   board, sheet (default: both)
# Environment: FUZZ_BUILD_DIR (default build/fuzz).
#
# Exits 1 when a target found something: its log and the input that broke it are named below,
# and the input belongs in fuzz/regressions/TARGET/ once the fault is fixed.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-${FUZZ_SECONDS:-60}}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(board sheet)
build=${FUZZ_BUILD_DIR:-$root/build/fuzz}
generator=$(command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")

if [ ! -f "$build/CMakeCache.txt" ]; then
  CXX=clang++ cmake -S "$root/fuzz" -B "$build" -G "$generator" >/dev/null
fi
cmake --build "$build" -j 2 --target $(printf 'fuzz_%s ' "${targets[@]}") >/dev/null

# Inputs stay small enough to mutate quickly: the largest seed board has 12 bricks (18 710
# bytes); sheets of a few bricks take a few kilobytes, and compressed pictures can claim
# any size in a few bytes anyway. A picture that decodes to the largest accepted size takes
# about a second under the sanitizers, hence the generous timeout. Memory is capped well above
# what the largest picture the editor accepts needs (about 400 MB), so a runaway allocation
# is reported rather than suffered.
max_len_board=20480
max_len_sheet=16384

pids=()
for t in "${targets[@]}"; do
  max_len_var=max_len_$t
  mkdir -p "$build/corpus/$t" "$build/artifacts/$t"
  log=$build/fuzz_$t.log
  (
    cd "$build"
    exec "./fuzz_$t" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 \
      -malloc_limit_mb=1024 -max_len="${!max_len_var}" -print_final_stats=1 \
      -artifact_prefix="$build/artifacts/$t/" "$build/corpus/$t" "$root/fuzz/corpus/$t"
  ) >"$log" 2>&1 &
  pids+=($!)
done

status=0
for i in "${!targets[@]}"; do
  t=${targets[$i]}
  log=$build/fuzz_$t.log
  if wait "${pids[$i]}"; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    corpus=$(find "$build/corpus/$t" -type f | wc -l)
    echo "fuzz_$t: ${seconds} s, ${runs:-?} inputs, no finding (working corpus: $corpus inputs)"
  else
    status=1
    echo "fuzz_$t: FOUND A FAULT; log: $log" >&2
    grep -E "ERROR|property violated|runtime error|SUMMARY|Test unit written" "$log" | head -20 >&2
  fi
done
exit $status
