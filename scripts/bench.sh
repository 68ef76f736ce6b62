#!/usr/bin/env bash
# Runs the benchmarks behind docs/performance.md: the engine and resource reader
# benchmarks, then whole-process timings side by side with plain copies of the
# same bytes (cp, wrestool), and tamro's peak memory. Run it on a quiet machine.
# TAMRO=path/to/tamro times another build of the program in the same way.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh tools
cmake --preset release >/dev/null
cmake --build --preset release --target tamro bench_convert bench_pe_reader make_corpus
bin=$root/build/release
tamro=${TAMRO:-$bin/tamro}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Peak resident memory of one run of the command, in MiB.
peak_rss() {
  /usr/bin/time -v "$@" 2>&1 >/dev/null | awk '/Maximum resident/ { printf "%.1f MiB\n", $NF / 1024 }'
}

echo "== engine alone (a fresh converter per item, output bytes counted) =="
"$bin/bench/bench_convert" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
echo "== resource reader =="
"$bin/bench/bench_pe_reader" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true

# One large blob, and one small blob with a large output: tamro against cp of the
# file tamro writes, and tamro's peak memory.
"$bin/bench/make_corpus" files "$work" 1 420000
mv "$work/10000.raw" "$work/big.raw"
"$bin/bench/make_corpus" refs "$work/refs.raw" 50000
for blob in big refs; do
  "$tamro" -file "$work/$blob.raw" "$work/ref" >/dev/null
  echo "== -file $blob.raw ($(du -h "$work/$blob.raw" | cut -f1)," \
    "output $(du -h "$work/ref/$blob.tamro.txt" | cut -f1)), against cp of the output =="
  hyperfine -N --warmup 2 --runs 10 --prepare "rm -rf $work/out $work/copy.txt" \
    "$tamro -file $work/$blob.raw $work/out" "cp $work/ref/$blob.tamro.txt $work/copy.txt"
  echo "peak RSS of tamro: $(peak_rss "$tamro" -file "$work/$blob.raw" "$work/out")"
done

echo "== -file over 1000 DUIB files, against cp =="
mkdir -p "$work/src"
"$bin/bench/make_corpus" files "$work/src" 1000 200
du -sh "$work/src"
hyperfine -N --warmup 2 --runs 15 --prepare "rm -rf $work/out $work/copy" \
  "$tamro -file $work/src/*.raw $work/out" \
  "bash -c 'mkdir -p $work/copy && cp $work/src/*.raw $work/copy/'"

echo "== -sys over a module with 500 UIFILE resources, against wrestool =="
"$bin/bench/make_corpus" module "$work/m500.dll" 500 200
hyperfine -N --warmup 2 --runs 15 \
  --prepare "bash -c 'rm -rf $work/out $work/raw && mkdir -p $work/raw'" \
  "$tamro -sys $work/m500.dll * $work/out" \
  "wrestool -x --raw --type=UIFILE -o $work/raw $work/m500.dll"
