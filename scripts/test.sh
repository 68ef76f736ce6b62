#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test suite: unit and end-to-end
# tests in the normal and the sanitizer build, the Windows build's tests under
# Wine, the two packages, then each fuzz target for a short, bounded time from its
# seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
fuzz_seconds=${TAMRO_FUZZ_SECONDS:-30}

scripts/install-deps.sh

for preset in default asan; do
  echo "== build and test: $preset =="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j2
done

# The Windows build: its unit tests and the end-to-end scenarios under Wine.
scripts/test-windows.sh

echo "== packages =="
scripts/package.sh

echo "== fuzz: ${fuzz_seconds}s per target =="
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
scripts/fuzz.sh "$fuzz_seconds"

echo "== all test suites passed =="
