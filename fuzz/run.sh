#!/usr/bin/env bash
# fuzz/run.sh SECONDS: builds every fuzz target with clang, libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer in build-fuzz/, then runs
# each for SECONDS from the seeds its own writers make, and prints the
# executions per target. Exits non-zero when a target finds a crash (its
# input is kept in build-fuzz/fuzz-runs/NAME/). WIZPAK_FUZZ_JOBS=N runs N
# targets at once.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:?usage: fuzz/run.sh SECONDS}
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DWIZPAK_FUZZ=ON -DWIZPAK_SANITIZE=ON "${launcher[@]}" >/dev/null

targets=()
for source in fuzz/fuzz_*.cc; do
  targets+=("$(basename "$source" .cc)")
done
cmake --build build-fuzz -j "$(nproc)" --target "${targets[@]}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
runs=build-fuzz/fuzz-runs
jobs=${WIZPAK_FUZZ_JOBS:-1}

# One target: seeds from its own writers, then SECONDS of fuzzing; the
# outcome goes to $work/result for the summary.
fuzz_one() {  # target
  local target=$1 program=$PWD/build-fuzz/fuzz/$1 work=$runs/$1 outcome=ok executions
  rm -rf "$work"
  mkdir -p "$work/corpus"
  WIZPAK_FUZZ_WRITE_SEEDS=$work/corpus "$program"
  echo "== $target: ${seconds}s from $(ls "$work/corpus" | wc -l) seeds"
  (cd "$work" && TMPDIR=$PWD "$program" corpus -max_total_time="$seconds" \
     -print_final_stats=1 -rss_limit_mb=2048 >log.txt 2>&1) || outcome=FAILED
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log.txt" | tail -1)
  printf '%-24s %12s executions  %s\n' "$target" "${executions:-?}" "$outcome" >"$work/result"
  if [ "$outcome" != ok ]; then tail -40 "$work/log.txt"; fi
}

# WIZPAK_FUZZ_JOBS targets run at once (default one).
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  fuzz_one "$target" &
done
wait

status=0
echo
echo "fuzzing, ${seconds}s per target, $jobs at a time (ASan + UBSan):"
for target in "${targets[@]}"; do
  line=$(cat "$runs/$target/result" 2>/dev/null || echo "$target: no result")
  echo "  $line"
  case "$line" in *ok) ;; *) status=1 ;; esac
done
exit $status
