#!/usr/bin/env bash
# Builds everything and runs every test through ctest.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/bootstrap
./scripts/build build
cd build && ctest --output-on-failure -j2 "$@"
