#!/usr/bin/env bash
# Runs every fuzz target of build/fuzz for the given number of seconds (default 30),
# starting from the corpus kept in fuzz/corpus/<target> and the target's seeds.
# New inputs go to a scratch folder, never into the repository. A finding fails the
# run, and so does a target of fuzz/ that was not built or did not run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

status=0
ran=0
for source in fuzz/fuzz_*.cpp; do
  name=$(basename "$source" .cpp)
  target=build/fuzz/fuzz/$name
  if [ ! -x "$target" ]; then
    echo "fuzz target $name was not built (cmake --preset fuzz && cmake --build --preset fuzz)" >&2
    status=1
    continue
  fi
  ran=$((ran + 1))
  mkdir -p "$work/$name/corpus" "$work/$name/seeds"
  "$target" --write-seeds="$work/$name/seeds" >/dev/null
  if [ ! -d "fuzz/corpus/$name" ]; then
    echo "no kept corpus fuzz/corpus/$name for $name" >&2; exit 1
  fi
  echo "-- $name: ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -rss_limit_mb=4096 -print_final_stats=1 \
      -artifact_prefix="$work/$name/" "$work/$name/corpus" "fuzz/corpus/$name" "$work/$name/seeds" \
      >"$work/$name/log" 2>&1; then
    echo "$name found a fault:"; tail -n 60 "$work/$name/log"; status=1
    mkdir -p build/fuzz-findings && cp "$work/$name"/crash-* "$work/$name"/leak-* \
      "$work/$name"/timeout-* "$work/$name"/oom-* build/fuzz-findings/ 2>/dev/null || true
  else
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)|cov:' "$work/$name/log" | tail -n 3
    units=$(awk '/^stat::number_of_executed_units:/ { print $2 }' "$work/$name/log")
    if [ "${units:-0}" -eq 0 ]; then
      echo "$name executed no input" >&2; status=1
    fi
  fi
done
if [ "$ran" -eq 0 ]; then
  echo "no fuzz target in build/fuzz/fuzz (cmake --preset fuzz && cmake --build --preset fuzz)" >&2
  exit 1
fi
exit $status
