#!/usr/bin/env bash
# Installs what is missing, builds the benchmarks in Release and runs them, printing every
# figure and a summary against the goals.
set -euo pipefail
cd "$(dirname "$0")"
source ./scripts_common.sh
corppay_install

cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORPPAY_BENCH=ON -DCORPPAY_TESTS=OFF
cmake --build build/bench --target bank_bench search_bench import_bench report_bench preview_bench sheet_bench batchsheet_bench record_bench -j2

export QT_QPA_PLATFORM=offscreen
build/bench/bench/bank_bench "$@"
build/bench/bench/search_bench "$@"
build/bench/bench/import_bench "$@"
build/bench/bench/report_bench "$@"
build/bench/bench/preview_bench "$@"
build/bench/bench/sheet_bench "$@"
build/bench/bench/batchsheet_bench "$@"
build/bench/bench/record_bench "$@"
