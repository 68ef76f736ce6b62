#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test suite: unit and end-to-end
# tests in the normal and the sanitizer build, then each fuzz target for a short,
# bounded time from its seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
fuzz_seconds=${TAMRO_FUZZ_SECONDS:-30}

scripts/install-deps.sh

for preset in default asan; do
  echo "== build and test: $preset =="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j2
done

echo "== cross build: tamro.exe =="
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target tamro

echo "== fuzz: ${fuzz_seconds}s per target =="
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
scripts/fuzz.sh "$fuzz_seconds"

echo "== all test suites passed =="
