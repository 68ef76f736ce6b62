#!/usr/bin/env bash
# Plants one fault and tells whether the default test suite notices it.
#
#   scripts/mutate.sh FILE LINE ORIGINAL REPLACEMENT [LABEL]
#
# Replaces the first ORIGINAL on line LINE of FILE (relative to the repository
# root) by REPLACEMENT, both taken literally; fails when ORIGINAL is not on that
# line. Then builds the default preset and runs `ctest --preset default -j2`,
# stopping at the first failure, each test bounded by MUTATE_TIMEOUT seconds
# (default 30; no test of the suite takes 2), so a mutant that loops counts as
# caught. Prints one line:
#
#   LABEL caught (N failed: the first test names)
#   LABEL survived
#   LABEL invalid (does not build)
#
# MUTATE_PRESET=asan builds and runs the sanitizer preset instead, for faults
# that only ASan or UBSan makes visible. The file is always restored, whatever
# happens (the trap runs on every exit), and checked byte for byte against its
# saved copy. The build's and ctest's output goes to MUTATE_LOG (default
# build/PRESET/mutate.log). Exit status: 0 caught,
# 1 survived, 2 invalid mutant or usage error, 3 the file could not be restored.
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ $# -lt 4 || $# -gt 5 ]]; then
  echo "usage: $0 FILE LINE ORIGINAL REPLACEMENT [LABEL]" >&2
  exit 2
fi
file=$1 line=$2 original=$3 replacement=$4
label=${5:-"$file:$line"}
timeout=${MUTATE_TIMEOUT:-30}
preset=${MUTATE_PRESET:-default}
log=${MUTATE_LOG:-build/$preset/mutate.log}

if [[ ! -f $file ]]; then
  echo "$0: no file $file" >&2
  exit 2
fi
if ! [[ $line =~ ^[1-9][0-9]*$ ]] || ((line > $(wc -l <"$file"))); then
  echo "$0: $file has no line $line" >&2
  exit 2
fi
text=$(sed -n "${line}p" "$file")
if [[ $text != *"$original"* ]]; then
  echo "$0: '$original' is not on $file:$line:" >&2
  echo "  $text" >&2
  exit 2
fi

backup=$(mktemp)
cp -p "$file" "$backup"
# shellcheck disable=SC2317  # run by the trap
restore() {
  # cp gives the file a new modification time, so the next build drops the mutant.
  cp "$backup" "$file"
  if ! cmp -s "$backup" "$file"; then
    echo "$0: could not restore $file (copy kept in $backup)" >&2
    exit 3
  fi
  rm -f "$backup"
}
trap restore EXIT
trap 'exit 130' INT TERM HUP

mutated=${text/"$original"/"$replacement"}
{
  head -n "$((line - 1))" "$backup"
  printf '%s\n' "$mutated"
  tail -n "+$((line + 1))" "$backup"
} >"$file"

mkdir -p "$(dirname "$log")"
if ! cmake --build --preset "$preset" -j2 >"$log" 2>&1; then
  echo "$label invalid (does not build)"
  exit 2
fi

if ctest --preset "$preset" -j2 --stop-on-failure --timeout "$timeout" >>"$log" 2>&1; then
  echo "$label survived"
  exit 1
fi
failed=$(sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) .*/\1/p' "$log")
count=$(printf '%s\n' "$failed" | grep -c . || true)
timeouts=$(grep -c '(Timeout)' "$log" || true)
first=$(printf '%s\n' "$failed" | head -n 3 | paste -sd ' ' -)
extra=""
((timeouts > 0)) && extra=", $timeouts timed out"
echo "$label caught ($count failed$extra: $first)"
exit 0
