#!/usr/bin/env bash
# The Windows build's tests under Wine: the unit test programs of the cross build
# (build/mingw-tests), and the end-to-end scenarios and the differential test
# against build/mingw/tamro.exe, run by e2e_wine_tests and differential_tests of a
# Linux build of their own (build/wine-e2e). All of them share one
# Wine prefix and one wineserver, kept running for the whole time: without it each
# run waits seconds for a server to start and to stop.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
start=$SECONDS
# Fewer than this many means a suite silently went missing.
min_unit=${TAMRO_MIN_WINE_UNIT_TESTS:-300}
min_e2e=${TAMRO_MIN_WINE_E2E_TESTS:-57}

scripts/install-deps.sh wine

# The same environment as the test runs get from cmake/wine.cmake.
export WINEPREFIX="$root/build/mingw-tests/wineprefix"
export WINEARCH=win64 WINEDEBUG=-all LANG=C.UTF-8 LC_ALL=C.UTF-8

echo "== cross build: tamro.exe, tamro-compile.exe and the Windows unit tests =="
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target tamro tamro-compile
cmake --preset mingw-tests -DTAMRO_WINE_PREFIX="$WINEPREFIX" >/dev/null
cmake --build --preset mingw-tests

echo "== Linux runners of the end-to-end and differential tests for tamro.exe =="
cmake --preset wine-e2e >/dev/null
cmake --build --preset wine-e2e --target e2e_wine_tests differential_tests

echo "== Wine prefix: $WINEPREFIX =="
mkdir -p "$WINEPREFIX"
wineserver -k 2>/dev/null || true  # one left over from an interrupted run
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
wine wineboot -i >/dev/null 2>&1

# The number of tests a ctest log says it ran (skipped ones included).
tests_run() {
  grep -oE 'tests failed out of [0-9]+' "$1" | grep -oE '[0-9]+$' || echo 0
}

# The Wine test presets try a failed test a second time: now and then (once in
# about fifteen runs of the whole suite here) Wine ends a test program at its start,
# with no output. A real fault fails both tries.

echo "== Windows unit tests under Wine =="
ctest --preset mingw-tests -j2 | tee build/mingw-tests/wine-tests.log
unit=$(tests_run build/mingw-tests/wine-tests.log)
echo "== end-to-end and differential tests of tamro.exe under Wine =="
ctest --preset e2e-wine -j2 | tee build/wine-e2e/wine-tests.log
e2e=$(tests_run build/wine-e2e/wine-tests.log)
# The differential test's tally: runs, agreement, crashes and what still differs.
grep -A40 -E '^(mutated|hostile) modules' build/wine-e2e/Testing/Temporary/LastTest.log |
  grep -E '^(mutated|hostile) modules|^    [0-9]+ x' || true

skipped=$(cat build/mingw-tests/wine-tests.log build/wine-e2e/wine-tests.log | grep -c '(Skipped)$' || true)
echo "$((unit + e2e)) tests ran under Wine ($unit unit, $e2e end-to-end; $skipped of them" \
  "skipped as Linux-only) in $((SECONDS - start)) s"
if [ "$unit" -lt "$min_unit" ] || [ "$e2e" -lt "$min_e2e" ]; then
  echo "too few tests ran under Wine (expected at least $min_unit unit and $min_e2e end-to-end)" >&2
  exit 1
fi
