#!/usr/bin/env bash
# bench.sh [FILTER]: builds the benchmarks in Release and runs them; JSON lands
# in build-release/bench/NAME.json.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/bootstrap
./scripts/build build-release -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCH=ON
filter=${1:-}
for b in build-release/bench/*; do
  [ -x "$b" ] && [ -f "$b" ] || continue
  name=$(basename "$b")
  case "$name" in *.json) continue ;; esac
  args=(--benchmark_out="build-release/bench/$name.json" --benchmark_out_format=json)
  [ -n "$filter" ] && args+=(--benchmark_filter="$filter")
  echo "== $name"
  "$b" "${args[@]}"
done
