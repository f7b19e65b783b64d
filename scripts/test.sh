#!/usr/bin/env bash
# Builds Norvane and runs every test, then every fuzz target once over its
# seed corpus (build-fuzz/, with clang and the sanitizers).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh"
cd "$root/build"
ctest --output-on-failure -j2 --timeout 300

# build.sh ran setup.sh, which installs clang.
"$root/scripts/fuzz.sh" --regression
