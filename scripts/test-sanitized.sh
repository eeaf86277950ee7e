#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer (clang),
# runs the whole test suite under them with leak detection on, then runs each
# fuzz target for a short fixed time from small seeds and a dictionary.
# Usage: scripts/test-sanitized.sh [FUZZ_SECONDS]   (default 60 per target)
set -euo pipefail
cd "$(dirname "$0")/.."
fuzz_seconds="${1:-60}"
./scripts/install-deps.sh --sanitizers
build=build-sanitize
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DBUILD_TESTING=ON -DNORVALE_SANITIZE=ON -DNORVALE_FUZZ=ON -DNORVALE_WERROR=ON >/dev/null
cmake --build "$build" -j"$(nproc)"

supp="$PWD/tests/sanitizers"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:"
export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"

corpus="$(mktemp -d)"
trap 'rm -rf "$corpus"' EXIT
# Small seeds (a header and a few records, databases of 512-byte pages) keep
# each input quick; the dictionaries hold the bytes and names the readers look for.
"$build/tools/make-sample-logs" seeds "$corpus/seeds" >/dev/null
for pair in fuzz_binarylog:binlog fuzz_databaseloading:database; do
  target="${pair%%:*}"
  mkdir -p "$corpus/$target"
  echo "fuzzing $target for ${fuzz_seconds} s"
  "$build/tests/fuzz/$target" "$corpus/$target" "$corpus/seeds/${pair##*:}" \
    -dict="tests/fuzz/$target.dict" -max_total_time="$fuzz_seconds" \
    -rss_limit_mb=2048 -print_final_stats=1 2>&1 | tail -n 12
  status=${PIPESTATUS[0]}
  if [ "$status" -ne 0 ]; then
    echo "test-sanitized: $target failed (status $status)" >&2
    exit "$status"
  fi
done
echo "test-sanitized: every test and fuzz run passed"
