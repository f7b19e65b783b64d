#!/usr/bin/env bash
# Builds the benchmark and runs it (not part of the test run):
#   scripts/bench.sh [--size-mb N] [--big] [--files N] [--runs N] [--seed N] [--dir FOLDER] [--keep]
# Default: a 200 MB mbox and 5,000 .eml files in a temporary folder, 5 runs each.
# --big makes the mbox 2 GB after checking for free disk.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --target norvane_bench
exec "$root/build/bench/norvane_bench" "$@"
