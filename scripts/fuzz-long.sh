#!/usr/bin/env bash
# Runs each fuzz target to a million inputs from the small seeds and the
# dictionaries, with the sanitizer build of scripts/test-sanitized.sh (built
# here when missing). Long: not part of CI. Each target's figures (inputs,
# inputs a second, coverage) are printed at its end; its corpus is kept in
# OUT_DIR (default build-sanitize/fuzz-long) for a later run to go on from.
# Usage: scripts/fuzz-long.sh [RUNS [OUT_DIR]]   (default 1000000)
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-1000000}"
build=build-sanitize
out="${2:-$build/fuzz-long}"
if [ ! -x "$build/tests/fuzz/fuzz_binarylog" ] || [ ! -x "$build/tests/fuzz/fuzz_databaseloading" ]; then
  ./scripts/install-deps.sh --sanitizers
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DBUILD_TESTING=ON -DNORVALE_SANITIZE=ON -DNORVALE_FUZZ=ON -DNORVALE_WERROR=ON >/dev/null
  cmake --build "$build" -j"$(nproc)" --target fuzz_binarylog fuzz_databaseloading make-sample-logs
fi

seeds="$(mktemp -d)"
trap 'rm -rf "$seeds"' EXIT
"$build/tools/make-sample-logs" seeds "$seeds"
export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
for pair in fuzz_binarylog:binlog fuzz_databaseloading:database; do
  target="${pair%%:*}"
  mkdir -p "$out/$target" "$out/$target-crashes"
  echo "fuzz-long: $target to $runs inputs"
  start=$(date +%s)
  status=0
  "$build/tests/fuzz/$target" "$out/$target" "$seeds/${pair##*:}" \
    -dict="tests/fuzz/$target.dict" -runs="$runs" -rss_limit_mb=2048 \
    -artifact_prefix="$out/$target-crashes/" -print_final_stats=1 2>&1 | tail -n 14 || status=$?
  echo "fuzz-long: $target took $(( $(date +%s) - start )) s"
  if [ "$status" -ne 0 ]; then
    echo "fuzz-long: $target failed (status $status); inputs in $out/$target-crashes" >&2
    exit "$status"
  fi
done
echo "fuzz-long: every target ran $runs inputs"
