#!/usr/bin/env bash
# Runs the benchmarks behind docs/performance.md: the engine and resource reader
# benchmarks, then whole-process timings side by side with plain copies of the
# same bytes (cp, wrestool), and tamro's peak memory and pages touched. Run it on
# a machine as quiet as you can get; read the ratios, which are measured side by
# side in one run.
#   TAMRO=path/to/tamro      times another build of the program in the same way
#   TAMRO_COMPILE=path/to/tamro-compile   the same for tamro-compile
#   BASELINE=path/to/tamro   times a second build beside it, in the same runs
#   RUNS=n                   timed runs per command (default 20)
#   WHOLE_ONLY=1             skips the engine and reader benchmarks
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh tools
cmake --preset release >/dev/null
cmake --build --preset release --target tamro tamro-compile bench_convert bench_pe_reader \
  bench_tag_reader make_corpus
bin=$root/build/release
tamro=${TAMRO:-$bin/tamro}
compile=${TAMRO_COMPILE:-$bin/tamro-compile}
baseline=${BASELINE:-}
runs=${RUNS:-20}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Peak resident memory (MiB) and minor page faults (pages touched for the first
# time) of one run of the command.
memory() {
  /usr/bin/time -f '%M %R' "$@" 2>&1 >/dev/null | tail -n 1 |
    awk '{ printf "peak RSS %.1f MiB, %d pages touched\n", $1 / 1024, $2 }'
}

# The medians of hyperfine's JSON export, each against the last command (the
# reference), with the mean user and system times.
summarise() {
  awk -F': ' '
    /"command":/ { n++; c = $2; gsub(/^"|",?$/, "", c); name[n] = c }
    /"median":/ { m[n] = $2 + 0 }
    /"user":/ { u[n] = $2 + 0 }
    /"system":/ { s[n] = $2 + 0 }
    END {
      for (i = 1; i <= n; i++) {
        printf "  %-9.1f ms median (user %5.1f, sys %5.1f)  %5.2fx  %s\n",
          m[i] * 1000, u[i] * 1000, s[i] * 1000, m[i] / m[n], name[i]
      }
    }' "$1"
}

# compare TITLE PREPARE TAMRO-ARGUMENTS... -- REFERENCE-COMMAND: tamro (and the
# baseline) against the reference, in one hyperfine run.
compare() {
  local title=$1 prepare=$2
  shift 2
  local args=()
  while [ "$1" != "--" ]; do
    args+=("$1")
    shift
  done
  local reference=$2
  local commands=("$tamro ${args[*]}")
  [ -n "$baseline" ] && commands+=("$baseline ${args[*]}")
  commands+=("$reference")
  local prepareOption=()
  [ -n "$prepare" ] && prepareOption=(--prepare "bash -c '$prepare'")
  echo "== $title =="
  hyperfine -N --warmup 3 --runs "$runs" "${prepareOption[@]}" --export-json "$work/run.json" \
    "${commands[@]}" >/dev/null
  summarise "$work/run.json"
  [ -n "$prepare" ] && bash -c "$prepare"
  echo "  tamro:    $(memory "$tamro" "${args[@]}")"
  if [ -n "$baseline" ]; then
    [ -n "$prepare" ] && bash -c "$prepare"
    echo "  baseline: $(memory "$baseline" "${args[@]}")"
  fi
}

if [ -z "${WHOLE_ONLY:-}" ]; then
  echo "== engine alone (a fresh converter per item, output bytes counted) =="
  "$bin/bench/bench_convert" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
  echo "== resource reader =="
  "$bin/bench/bench_pe_reader" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
  echo "== tamro-compile's text reader alone =="
  "$bin/bench/bench_tag_reader" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
fi

# One large realistic blob, and one small blob with a large output: tamro against
# cp of the very file tamro writes.
"$bin/bench/make_corpus" files "$work" 1 420000
mv "$work/10000.raw" "$work/big.raw"
"$bin/bench/make_corpus" refs "$work/refs.raw" 50000
for blob in big refs; do
  "$tamro" -file "$work/$blob.raw" "$work/ref" >/dev/null
  echo "-- $blob.raw: $(du -h "$work/$blob.raw" | cut -f1) in," \
    "$(du -h "$work/ref/$blob.tamro.txt" | cut -f1) out"
done
mkdir -p "$work/out"
cp "$work/ref/big.tamro.txt" "$work/copy.txt"
compare "-file big.raw, output replaced, against cp over an existing copy" "" \
  -file "$work/big.raw" "$work/out" -- "cp $work/ref/big.tamro.txt $work/copy.txt"
compare "-file big.raw, output removed before each run, against cp" \
  "rm -f $work/out/big.tamro.txt $work/copy.txt" \
  -file "$work/big.raw" "$work/out" -- "cp $work/ref/big.tamro.txt $work/copy.txt"
compare "-file refs.raw (large output), output removed before each run, against cp" \
  "rm -f $work/out/refs.tamro.txt $work/copy.txt" \
  -file "$work/refs.raw" "$work/out" -- "cp $work/ref/refs.tamro.txt $work/copy.txt"

# tamro-compile: the largest text, big.raw's, compiled back into a blob, against
# tamro converting that blob (the reference), in one run, both replacing their
# output; and its peak memory, which must stay within 3 x the blob + 24 MiB.
cp "$work/ref/big.tamro.txt" "$work/big.txt"
mkdir -p "$work/blobs"
"$compile" "$work/big.txt" "$work/blobs" >/dev/null
echo "== tamro-compile big.txt ($(du -h "$work/big.txt" | cut -f1)), against tamro -file big.raw =="
hyperfine -N --warmup 3 --runs "$runs" --export-json "$work/run.json" \
  "$compile $work/big.txt $work/blobs" "$tamro -file $work/big.raw $work/out" >/dev/null
summarise "$work/run.json"
echo "  tamro-compile: $(memory "$compile" "$work/big.txt" "$work/blobs");" \
  "blob $(stat -c %s "$work/blobs/big.duib") bytes"
cmp -s "$work/blobs/big.duib" "$work/big.raw" && echo "  the blob is big.raw, byte for byte"

mkdir -p "$work/src"
"$bin/bench/make_corpus" files "$work/src" 1000 200
echo "-- 1000 DUIB files: $(du -sh "$work/src" | cut -f1)"
compare "-file over 1000 DUIB files, against one cp of them" \
  "rm -rf $work/out $work/copy" \
  -file "$work/src/*.raw" "$work/out" -- "bash -c 'mkdir -p $work/copy && cp $work/src/*.raw $work/copy/'"

"$bin/bench/make_corpus" module "$work/m500.dll" 500 200
echo "-- module with 500 UIFILEs: $(du -h "$work/m500.dll" | cut -f1)"
compare "-sys * over the module, against wrestool -x --raw -t UIFILE" \
  "rm -rf $work/out $work/raw; mkdir -p $work/raw" \
  -sys "$work/m500.dll" "*" "$work/out" -- "wrestool -x --raw -t UIFILE -o $work/raw $work/m500.dll"
