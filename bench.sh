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
  # Repetitions of different sizes run in random turns, so the machine's
  # drifting speed does not land on one size and skew the growth ratios.
  args=(--benchmark_out="build-release/bench/$name.json" --benchmark_out_format=json
        --benchmark_enable_random_interleaving=true)
  [ -n "$filter" ] && args+=(--benchmark_filter="$filter")
  echo "== $name"
  "$b" "${args[@]}"
done
