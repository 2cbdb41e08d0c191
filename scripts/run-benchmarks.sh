#!/usr/bin/env bash
# Runs every benchmark binary of a Release build and reports medians.
set -euo pipefail
build_dir=${1:-build-release}
for bench in "$build_dir"/bench/*_bench; do
  [ -x "$bench" ] || continue
  echo "== $(basename "$bench")"
  (cd "$(dirname "$bench")" && "./$(basename "$bench")" --benchmark_repetitions=15 \
      --benchmark_report_aggregates_only=true --benchmark_display_aggregates_only=true)
done
