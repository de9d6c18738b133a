#!/usr/bin/env bash
# Builds every fuzz target (tests/fuzz/*.cmake) with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each for SECONDS (60 by default) over a scratch copy of
# its corpus. Names after SECONDS run only those targets. A crash, leak, timeout or
# out-of-memory input is copied into the target's corpus (tests/fuzz/corpus/<name>/) as a
# regression input to fix and commit; the script then fails. Prints executions and findings
# per target.
#
#   ./fuzz.sh [SECONDS] [NAME...]
set -euo pipefail
cd "$(dirname "$0")"
source ./scripts_common.sh
corppay_install "${CORPPAY_PACKAGES[@]}" "${CORPPAY_FUZZ_PACKAGES[@]}"

seconds=${1:-60}
shift || true
if [ $# -gt 0 ]; then
    names=("$@")
else
    names=()
    for f in tests/fuzz/*.cmake; do
        names+=("$(basename "$f" .cmake)")
    done
fi

build=build/fuzz
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DCORPPAY_SANITIZE=ON -DCORPPAY_FUZZ=ON -DCORPPAY_TESTS=ON \
    "${launcher[@]}" >/dev/null
targets=()
for name in "${names[@]}"; do targets+=("${name}_fuzz"); done
nice cmake --build "$build" --target "${targets[@]}"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
summary=()
failed=0
for name in "${names[@]}"; do
    work="$build/run/$name"
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/findings"
    cp -r "tests/fuzz/corpus/$name/." "$work/corpus/"
    echo "== $name: ${seconds} s"
    start=$(date +%s)
    # A target may name the library leaks it cannot avoid in tests/fuzz/<name>.supp.
    if [ -f "tests/fuzz/$name.supp" ]; then
        export LSAN_OPTIONS="suppressions=$PWD/tests/fuzz/$name.supp"
    else
        unset LSAN_OPTIONS
    fi
    set +e
    nice "$build/bin/${name}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$work/findings/" "$work/corpus" \
        >"$work/log" 2>&1
    status=$?
    set -e
    elapsed=$(($(date +%s) - start))
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -1)
    findings=0
    for f in "$work"/findings/*; do
        [ -e "$f" ] || continue
        findings=$((findings + 1))
        cp "$f" "tests/fuzz/corpus/$name/$(basename "$f")"
        echo "   finding: tests/fuzz/corpus/$name/$(basename "$f")"
    done
    if [ "$status" -ne 0 ] || [ "$findings" -ne 0 ]; then
        failed=1
        grep -E 'ERROR|FUZZ_CHECK|runtime error|SUMMARY' "$work/log" | head -5 || true
        echo "   log: $work/log"
    fi
    summary+=("$(printf '%-12s %6s s %12s runs %3s findings' "$name" "$elapsed" "${runs:-?}" "$findings")")
done
echo
echo "Fuzzing summary"
printf '%s\n' "${summary[@]}"
exit $failed
