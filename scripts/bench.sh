#!/usr/bin/env bash
# Runs the benchmarks behind docs/performance.md: the conversion and resource
# reader benchmarks, then whole-program timings of both modes against plain
# copies of the same bytes (cp, wrestool). Run it on a quiet machine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh tools
cmake --preset release >/dev/null
cmake --build --preset release
bin=$root/build/release
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== conversion =="
"$bin/bench/bench_convert" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
echo "== resource reader =="
"$bin/bench/bench_pe_reader" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true

echo "== -file over 1000 DUIB files, against cp =="
mkdir -p "$work/src"
"$bin/bench/make_corpus" files "$work/src" 1000 200
du -sh "$work/src"
hyperfine -N --warmup 2 --runs 15 --prepare "rm -rf $work/out $work/copy" \
  "$bin/tamro -file $work/src/*.raw $work/out" \
  "bash -c 'mkdir -p $work/copy && cp $work/src/*.raw $work/copy/'"

echo "== -sys over a module with 500 UIFILE resources, against wrestool =="
"$bin/bench/make_corpus" module "$work/m500.dll" 500 200
hyperfine -N --warmup 2 --runs 15 \
  --prepare "bash -c 'rm -rf $work/out $work/raw && mkdir -p $work/raw'" \
  "$bin/tamro -sys $work/m500.dll * $work/out" \
  "wrestool -x --raw --type=UIFILE -o $work/raw $work/m500.dll"
