#!/usr/bin/env bash
# Lays seed inputs for every fuzz target under DIR/<target>/, made from the
# bundled examples, and adds the hand-made seeds and reproducers of
# fuzz/seeds/<target>/. Test data is cut to its first lines to keep the
# seeds small. Running it again refreshes the seeds and keeps what the
# fuzzer has added.
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 DIR" >&2; exit 2; }
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$1"
separator=$'\n%%\n'
lines=20

for target in attribute_file_fuzzer rule_file_fuzzer test_data_fuzzer \
  whole_run_fuzzer; do
  mkdir -p "$out/$target"
  if [ -d "$root/fuzz/seeds/$target" ]; then
    cp "$root/fuzz/seeds/$target/"* "$out/$target/" 2>/dev/null || true
  fi
done

for dir in "$root"/examples/*/; do
  name="$(basename "$dir")"
  fmc="$(cat "$dir/$name.fmc")"
  intr="$(cat "$dir/$name.intr")"
  tst="$(head -n "$lines" "$dir/$name.tst")"
  printf '%s' "$fmc" >"$out/attribute_file_fuzzer/example-$name"
  printf '%s%s%s' "$fmc" "$separator" "$intr" \
    >"$out/rule_file_fuzzer/example-$name"
  printf '%s%s%s\n' "$fmc" "$separator" "$tst" \
    >"$out/test_data_fuzzer/example-$name"
  printf '%s%s%s\n%s%s' "$fmc" "$separator" "$tst" "$separator" "$intr" \
    >"$out/whole_run_fuzzer/example-$name"
done
