#!/usr/bin/env bash
# Fails, naming the files, when a C++ file of the repository is not as
# .clang-format writes it. `--fix` formats them instead.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
# One run over all files; each file it would change is named in its messages.
if ! report="$(clang-format --dry-run -Werror "${files[@]}" 2>&1)"; then
  grep -o '^[^:]*:[0-9]*:[0-9]*: error' <<<"$report" | cut -d: -f1 | sort -u |
    sed 's/^/not formatted: /' >&2
  echo "check-format: run scripts/check-format.sh --fix" >&2
  exit 1
fi
echo "check-format: ${#files[@]} files as .clang-format writes them"
