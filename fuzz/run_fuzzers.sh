#!/usr/bin/env bash
# Runs every fuzz target of BUILD (configured with -DRULEVAL_FUZZ=ON) for
# SECONDS seconds, one after another, each as a single process. The corpora
# grow under BUILD/fuzz-corpus/<target>/, the logs go to
# BUILD/fuzz-logs/<target>.log and every finding (crash, leak, undefined
# behaviour, timeout, out of memory) to BUILD/fuzz-findings/<target>/.
# Exits with 1 when any target found something. Name targets after SECONDS
# to run only those.
set -uo pipefail
[ $# -ge 2 ] || { echo "usage: $0 BUILD SECONDS [TARGET...]" >&2; exit 2; }
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "$1" && pwd)"
seconds="$2"
shift 2
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(attribute_file_fuzzer rule_file_fuzzer \
  test_data_fuzzer whole_run_fuzzer)

"$root/fuzz/make_corpora.sh" "$build/fuzz-corpus" || exit 1
mkdir -p "$build/fuzz-logs"
failed=0
for target in "${targets[@]}"; do
  findings="$build/fuzz-findings/$target"
  log="$build/fuzz-logs/$target.log"
  mkdir -p "$findings"
  echo "== fuzzing $target for $seconds s"
  # A slow input (-timeout, seconds) and a large allocation (-rss_limit_mb,
  # -malloc_limit_mb) are findings like a crash.
  ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -malloc_limit_mb=1024 -print_final_stats=1 \
    -dict="$root/fuzz/ruleval.dict" -artifact_prefix="$findings/" \
    "$build/fuzz-corpus/$target" >"$log" 2>&1
  status=$?
  grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb)|cov: ' \
    "$log" | tail -n 3
  if [ $status -ne 0 ]; then
    echo "!! $target found something (status $status); see $log and $findings"
    tail -n 40 "$log"
    failed=1
  fi
done
exit $failed
