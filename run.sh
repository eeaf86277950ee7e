#!/usr/bin/env bash
# Installs what is missing, builds, and starts the browser: with FILE opened,
# or with the sample data record database when no FILE is given.
set -euo pipefail
file=""
if [ $# -gt 0 ]; then
  file="$(realpath -m -- "$1")"
fi
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target norvale make-sample-logs >/dev/null
# Made again when the sample writer is newer than the samples.
if [ ! -f build/samples/Buffer.db ] || [ build/tools/make-sample-logs -nt build/samples/Buffer.db ]; then
  build/tools/make-sample-logs samples build/samples
fi
if [ -z "$file" ]; then
  file="$PWD/build/samples/Buffer.db"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "norvale: no display here (DISPLAY is not set); the grid as CSV instead:"
  echo "  $PWD/build/norvale --to csv '$file'"
  exit 0
fi
exec build/norvale "$file"
