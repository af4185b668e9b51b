#!/usr/bin/env bash
# The benchmark: on generated workloads, times ruleval, ruleval asked for
# the JSON results and the predictions CSV as well (and, on rules, the HTML
# page), the same program with the straightforward matcher
# (ruleval_reference) and the file I/O of a run alone, prints their ratios,
# and checks that all of them write the same B.result, B.tcover, B.sum and
# standard output. On wide it also shows where the time of a run goes, stage
# by stage (ruleval_stages).
#
#   bench/run.sh [--small] [--no-reference] [--large] [--repeat N]
#                [--work DIR] [--build-dir DIR]
#
# --small         only the small workload, for CI: both matchers and the
#                 identity check, in a few seconds
# --no-reference  skip the straightforward matcher on wide and rules (about
#                 a minute and two minutes); the small workload keeps it
# --large         also wide at 4 and 10 million cases in the scaling table,
#                 for time and peak memory as the cases grow (test files of
#                 0.45 and 1.1 GB, deleted afterwards)
# --repeat N      take the best of N timings of ruleval and of the file I/O
#                 (default 3); the straightforward matcher runs once, but
#                 N times on the small workload
# --work DIR      where the workloads go (default bench/work)
# --build-dir DIR the CMake build to use; made as a Release build when it
#                 does not exist yet (default build-bench)
#
# Fails when a program fails or when the outputs of the two matchers differ.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
small_only=false
with_reference=true
large=false
repeat=3
work="$root/bench/work"
build="$root/build-bench"

while [ $# -gt 0 ]; do
  case "$1" in
    --small) small_only=true ;;
    --no-reference) with_reference=false ;;
    --large) large=true ;;
    --repeat) repeat=$2; shift ;;
    --work) work=$2; shift ;;
    --build-dir) build=$2; shift ;;
    *) echo "usage: bench/run.sh [--small] [--no-reference] [--large] [--repeat N]" \
         "[--work DIR] [--build-dir DIR]" >&2
       exit 2 ;;
  esac
  shift
done
case "$repeat" in
  '' | *[!0-9]* | 0) echo "--repeat needs a count of 1 or more" >&2; exit 2 ;;
esac
mkdir -p "$work"
work=$(cd "$work" && pwd)
build=$(mkdir -p "$build" && cd "$build" && pwd)

# ---- build -----------------------------------------------------------------

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
    -DRULEVAL_TESTS=OFF > "$work/build.log" 2>&1 ||
    { cat "$work/build.log"; exit 1; }
fi
cmake --build "$build" -j 2 --target ruleval ruleval_reference \
  ruleval_generate ruleval_keep ruleval_stages > "$work/build.log" 2>&1 ||
  { cat "$work/build.log"; exit 1; }
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")

# ---- helpers ---------------------------------------------------------------

now() { date +%s.%N; }
seconds_between() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
smaller() { awk -v a="$1" -v b="$2" 'BEGIN { print (b < a ? b : a) }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", (b > 0 ? a / b : 0) }'; }
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
size_of() { stat -c %s "$1"; }

# generate NAME DIR [generator options]: the workload's files in DIR.
generate() {
  local name=$1 dir=$2
  shift 2
  mkdir -p "$dir"
  "$build/ruleval_generate" "$name" "$dir" "$@"
}

# A directory of its own for one program's runs on workload dir/base, the
# inputs linked in.
run_dir() {
  local dir=$1 base=$2 sub=$3
  mkdir -p "$dir/$sub"
  for ext in fmc tst intr; do ln -sf "../$base.$ext" "$dir/$sub/$base.$ext"; done
  echo "$dir/$sub"
}

# time_program DIR PROGRAM BASE COUNT [ARGUMENTS...]: best wall time of
# COUNT runs in seconds into $best, the largest peak resident set in KiB
# into $peak.
time_program() {
  local dir=$1 program=$2 base=$3 count=$4 start end status
  shift 4
  best=""
  peak=0
  for ((i = 0; i < count; i++)); do
    start=$(now)
    status=0
    (cd "$dir" && /usr/bin/time -f '%M' -o time.out \
      "$program" "$base" "$@" > stdout) || status=$?
    end=$(now)
    if [ "$status" -ne 0 ]; then
      echo "FAILED: $(basename "$program") $base in $dir, exit status $status" >&2
      cat "$dir/stdout" >&2
      exit 1
    fi
    local seconds kib
    seconds=$(seconds_between "$start" "$end")
    best=$(smaller "${best:-$seconds}" "$seconds")
    kib=$(tail -n 1 "$dir/time.out")
    if [ "$kib" -gt "$peak" ]; then peak=$kib; fi
  done
}

# time_io DIR TST RESULT TCOVER COUNT: best time, into $best, of what a
# completed run must do with files at the least: read the test file twice
# and write a result file and a coverage report of the given sizes.
time_io() {
  local dir=$1 tst=$2 result=$3 tcover=$4 count=$5 start end
  best=""
  for ((i = 0; i < count; i++)); do
    start=$(now)
    cat "$tst" > /dev/null
    cat "$tst" > /dev/null
    head -c "$result" /dev/zero > "$dir/io.result"
    head -c "$tcover" /dev/zero > "$dir/io.tcover"
    end=$(now)
    best=$(smaller "${best:-$(seconds_between "$start" "$end")}" \
      "$(seconds_between "$start" "$end")")
  done
  rm -f "$dir/io.result" "$dir/io.tcover"
}

# report_figures STDOUT: accuracy and how cases were decided.
report_figures() {
  local out=$1 cases partial nomatch accuracy
  cases=$(sed -n 's/^Number of testing cases = \([0-9]*\).*/\1/p' "$out")
  partial=$(sed -n 's/^Number of partially matched cases=\([0-9]*\).*/\1/p' "$out")
  nomatch=$(sed -n 's/^Number of no_match cases=\([0-9]*\).*/\1/p' "$out")
  accuracy=$(sed -n 's/^Prediction accuracy on the testing data = //p' "$out")
  echo "  report: accuracy $accuracy; $partial of $cases cases by partial" \
    "match, $nomatch by no match, the rest by full match"
}

# ---- one workload ----------------------------------------------------------

# differing DIR_A DIR_B NAME: the outputs of a run of NAME that differ
# between the two directories, into $differ.
differing() {
  differ=()
  for file in "$3.result" "$3.tcover" "$3.sum" stdout; do
    cmp -s "$1/$file" "$2/$file" || differ+=("$file")
  done
}

# bench_workload NAME RSS_TARGET_MIB SPEEDUP_TARGET IO_TARGET REF_COUNT
#                RESULTS_TARGET_PERCENT [BASE]
# Times and checks the workload generated in $work/NAME, whose files are
# BASE.* (NAME by default). A target of "-" prints no target. Leaves the
# time and peak RSS of ruleval in $fast_time and $fast_peak.
bench_workload() {
  local dir="$work/$1" rss_target=$2 speedup_target=$3 io_target=$4
  local ref_count=$5 results_target=$6 name=${7:-$1}
  local fast ref keep results
  fast=$(run_dir "$dir" "$name" fast)
  ref=$(run_dir "$dir" "$name" reference)
  keep=$(run_dir "$dir" "$name" keep)
  results=$(run_dir "$dir" "$name" results)

  # The sizes of the files a run leaves.
  time_program "$keep" "$build/ruleval_keep" "$name" 1
  local result_size tcover_size
  result_size=$(size_of "$keep/$name.result")
  tcover_size=$(size_of "$keep/$name.tcover")
  rm -f "$keep/$name".*

  local cases rules
  cases=$(grep -c '' "$dir/$name.tst")
  rules=$(sed -n 's/.*Total_rulenum=\([0-9]*\).*/\1/p' "$dir/$name.intr")
  echo "== $(basename "$dir"): $cases cases, $rules rules; test file $(mib "$(($(size_of \
"$dir/$name.tst") / 1024))") MiB, result $(mib $((result_size / 1024))) MiB," \
    "coverage report $(mib $((tcover_size / 1024))) MiB"

  time_program "$fast" "$build/ruleval" "$name" "$repeat"
  fast_time=$best
  fast_peak=$peak
  local line
  line="  ruleval            $(printf '%8.3f' "$fast_time") s  peak RSS"
  line+=" $(mib "$fast_peak") MiB"
  if [ "$rss_target" != "-" ]; then
    line+=" (target: at most $rss_target MiB)"
  fi
  echo "$line (best of $repeat)"

  time_program "$results" "$build/ruleval" "$name" "$repeat" \
    --json "$name.json" --predictions "$name.csv"
  line="  with JSON and CSV  $(printf '%8.3f' "$best") s  peak RSS"
  line+=" $(mib "$peak") MiB (best of $repeat), $(awk -v a="$best" \
-v b="$fast_time" 'BEGIN { printf "%+.0f", (b > 0 ? 100 * (a - b) / b : 0) }')%"
  if [ "$results_target" != "-" ]; then
    line+=" (target: at most +$results_target%)"
  fi
  echo "$line"
  local differ
  differing "$fast" "$results" "$name"
  if [ ${#differ[@]} -gt 0 ]; then
    echo "  OUTPUTS DIFFER with the results asked for: ${differ[*]}"
    return 1
  fi
  rm -f "$results/$name.json" "$results/$name.csv"

  time_io "$dir" "$dir/$name.tst" "$result_size" "$tcover_size" "$repeat"
  local io_time=$best
  echo "  file I/O alone     $(printf '%8.3f' "$io_time") s  (read the test" \
    "file twice, write result and coverage report; best of $repeat)"
  line="  ruleval / file I/O: $(ratio "$fast_time" "$io_time")x"
  if [ "$io_target" != "-" ]; then
    line+=" (target: at most ${io_target}x)"
  fi
  echo "$line"

  if [ "$ref_count" -gt 0 ]; then
    time_program "$ref" "$build/ruleval_reference" "$name" "$ref_count"
    local ref_time=$best
    local runs="1 run"
    if [ "$ref_count" -gt 1 ]; then runs="best of $ref_count"; fi
    echo "  reference          $(printf '%8.3f' "$ref_time") s  ($runs)"
    line="  speed-up over the reference: $(ratio "$ref_time" "$fast_time")x"
    if [ "$speedup_target" != "-" ]; then
      line+=" (target: at least ${speedup_target}x)"
    fi
    echo "$line"
    differing "$fast" "$ref" "$name"
    if [ ${#differ[@]} -gt 0 ]; then
      echo "  OUTPUTS DIFFER from the reference: ${differ[*]}"
      report_figures "$fast/stdout"
      return 1
    fi
    echo "  outputs identical to the reference: $name.result, $name.tcover," \
      "$name.sum and standard output"
  else
    echo "  reference skipped"
  fi
  report_figures "$fast/stdout"
}

# bench_page NAME EXTRA_TARGET_S SIZE_TARGET_MIB: times ruleval asked for
# the HTML page on the workload in $work/NAME, against $fast_time, and
# checks that the page changes none of the other outputs.
bench_page() {
  local name=$1 extra_target=$2 size_target=$3 fast page differ
  fast=$(run_dir "$work/$name" "$name" fast)
  page=$(run_dir "$work/$name" "$name" page)
  time_program "$page" "$build/ruleval" "$name" "$repeat" --html "$name.html"
  echo "  with the HTML page $(printf '%8.3f' "$best") s  peak RSS $(mib \
"$peak") MiB (best of $repeat), $(awk -v a="$best" -v b="$fast_time" \
'BEGIN { printf "%+.3f", a - b }') s (target: at most +$extra_target s);" \
    "page $(mib $(($(size_of "$page/$name.html") / 1024))) MiB" \
    "(target: at most $size_target MiB)"
  differing "$fast" "$page" "$name"
  if [ ${#differ[@]} -gt 0 ]; then
    echo "  OUTPUTS DIFFER with the HTML page asked for: ${differ[*]}"
    return 1
  fi
  rm -f "$page/$name.html"
}

# check_identity DIR BASE: runs ruleval and ruleval_reference once each on
# the workload in DIR and fails unless their outputs are the same.
check_identity() {
  local dir=$1 base=$2 fast ref differ
  fast=$(run_dir "$dir" "$base" fast)
  ref=$(run_dir "$dir" "$base" reference)
  time_program "$fast" "$build/ruleval" "$base" 1
  time_program "$ref" "$build/ruleval_reference" "$base" 1
  differing "$fast" "$ref" "$base"
  if [ ${#differ[@]} -gt 0 ]; then
    echo "  OUTPUTS DIFFER from the reference on $(basename "$dir"): ${differ[*]}"
    return 1
  fi
  echo "  outputs identical to the reference on $(basename "$dir")" \
    "($(grep -c '' "$dir/$base.tst") cases): $base.result, $base.tcover," \
    "$base.sum and standard output"
}

# stage_breakdown NAME: where the time of one run of ruleval on the
# workload in $work/NAME goes, stage by stage, and how many cores each
# stage kept busy.
stage_breakdown() {
  local run
  run=$(run_dir "$work/$1" "$1" fast)
  echo "  stages of one run (ruleval_stages):"
  (cd "$run" && "$build/ruleval_stages" "$1" > stdout 2> stages) ||
    { cat "$run/stages" >&2; exit 1; }
  sed 's/^/  /' "$run/stages"
}

# ---- the run ---------------------------------------------------------------

echo "ruleval benchmark, $build_type build in $build, workloads in $work"
echo "$(uname -m), $(nproc) cores, $(date -u '+%Y-%m-%d %H:%M UTC')"

generate small "$work/small"
bench_workload small - - - "$repeat" -
if $small_only; then exit 0; fi

reference_runs=0
if $with_reference; then reference_runs=1; fi
generate wide "$work/wide"
bench_workload wide 64 - 1.5 "$reference_runs" 25
wide_time=$fast_time wide_peak=$fast_peak
stage_breakdown wide
generate wide-missing "$work/wide-missing"
bench_workload wide-missing - - - "$reference_runs" -
generate rules "$work/rules"
bench_workload rules 128 200 - "$reference_runs" -
rules_time=$fast_time rules_peak=$fast_peak
bench_page rules 1 5
# A hundred thousand rules: the reference would take hours, so it checks a
# slice of the cases instead.
generate rules "$work/rules-100k" --rules 100000
bench_workload rules-100k - - - 0 - rules
rules_100k_time=$fast_time rules_100k_peak=$fast_peak
echo "  rules-100k / rules: $(ratio "$fast_time" "$rules_time")x" \
  "(target: at most 5x)"
if $with_reference; then
  generate rules "$work/rules-100k-slice" --rules 100000 --cases 1000
  check_identity "$work/rules-100k-slice" rules
fi

# ---- scaling ---------------------------------------------------------------

# A row of the scaling table: what was varied, best time, peak RSS and the
# time per unit of what was varied.
scaling_row() {
  local label=$1 seconds=$2 kib=$3 units=$4 unit=$5
  printf '  %-22s %8.3f s  %7.1f MiB  %s\n' "$label" "$seconds" \
    "$(mib "$kib")" "$(awk -v s="$seconds" -v u="$units" -v n="$unit" \
      'BEGIN { printf "%.3f s per %s", s / u, n }')"
}

# scaling_run DIR BASE LABEL UNITS UNIT [GENERATOR ARGUMENTS...]: generates a
# variant of BASE into DIR, times ruleval on it and prints its row, leaving
# the peak RSS in $peak.
scaling_run() {
  local dir=$1 base=$2 label=$3 units=$4 unit=$5 run
  shift 5
  generate "$base" "$dir" "$@"
  run=$(run_dir "$dir" "$base" fast)
  time_program "$run" "$build/ruleval" "$base" "$repeat"
  scaling_row "$label" "$best" "$peak" "$units" "$unit"
}

echo "== scaling of ruleval (best of $repeat)"
echo "  wide, by cases"
scaling_run "$work/wide-quarter" wide "250,000 cases" 0.25 "million cases" \
  --cases 250000
scaling_row "1,000,000 cases" "$wide_time" "$wide_peak" 1 "million cases"
if $large; then
  scaling_run "$work/wide-4m" wide "4,000,000 cases" 4 "million cases" \
    --cases 4000000
  rm -rf "$work/wide-4m"
  scaling_run "$work/wide-10m" wide "10,000,000 cases" 10 "million cases" \
    --cases 10000000
  echo "  wide at 10 million cases: peak RSS $(mib "$peak") MiB" \
    "(target: at most 240 MiB)"
  rm -rf "$work/wide-10m"
fi
echo "  rules (100,000 cases), by rules"
scaling_run "$work/rules-tenth" rules "1,000 rules" 1 "thousand rules" \
  --rules 1000
scaling_row "10,000 rules" "$rules_time" "$rules_peak" 10 "thousand rules"
scaling_row "100,000 rules" "$rules_100k_time" "$rules_100k_peak" 100 \
  "thousand rules"
