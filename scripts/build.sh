#!/usr/bin/env bash
# Builds the release programs at build/release/tamro and build/release/tamro-compile.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target tamro tamro-compile
