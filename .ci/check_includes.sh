#!/usr/bin/env bash
# Checks that the code of common/ and the stages includes only what comes
# before it: common/ includes no stage, prepare/ neither rules/ nor
# evaluate/, rules/ not evaluate/, and none of them driver/, which runs the
# stages. Their tests count with them; bench/, fuzz/ and tests/ run whole
# programs and may include anything. Names every include that goes the
# wrong way, and fails when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

# The directories each directory may not include.
declare -A forbidden=(
  [common]="prepare rules evaluate driver"
  [prepare]="rules evaluate driver"
  [rules]="evaluate driver"
  [evaluate]="driver"
)

failed=0
for dir in common prepare rules evaluate; do
  while IFS= read -r file; do
    # Each quoted include as "line:path".
    while IFS=: read -r line included; do
      for banned in ${forbidden[$dir]}; do
        if [[ "$included" == "$banned"/* ]]; then
          echo "$file:$line: includes \"$included\": $dir/ may not include $banned/"
          failed=1
        fi
      done
    done < <(grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
      sed -E 's/^([0-9]+):[^"]*"([^"]*)".*/\1:\2/')
  done < <(git ls-files -- "$dir/*.cc" "$dir/*.h")
done
if [ "$failed" -ne 0 ]; then
  echo "includes go the wrong way between directories" >&2
  exit 1
fi
echo "includes go the right way"
