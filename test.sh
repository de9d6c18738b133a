#!/usr/bin/env bash
# Installs what is missing, builds the test configuration (Debug with AddressSanitizer
# and UndefinedBehaviorSanitizer), runs every test headless with CTest, then compiles every
# product source for Windows with MinGW-w64 (tools/mingw-check.sh).
set -euo pipefail
cd "$(dirname "$0")"
source ./scripts_common.sh
corppay_install
corppay_install "${CORPPAY_TEST_PACKAGES[@]}"

cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCORPPAY_SANITIZE=ON -DCORPPAY_TESTS=ON \
    -DCORPPAY_WERROR=ON
cmake --build build/test

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1
ctest --test-dir build/test --output-on-failure -j"$(nproc)"

tools/mingw-check.sh build/test
