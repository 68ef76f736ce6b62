#!/usr/bin/env bash
# Builds the release program at build/release/tamro.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target tamro
