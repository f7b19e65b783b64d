#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ into build-fuzz/ (clang, with the
# address and undefined-behaviour sanitizers on the whole core) and runs them.
#   scripts/fuzz.sh [SECONDS] [TARGET...]       fuzz each target SECONDS long (default 60)
#   scripts/fuzz.sh --regression [TARGET...]    run each target once over its seed corpus
# Seeds are read from fuzz/corpus/<target>/ and never written; inputs found
# while fuzzing go to build-fuzz/corpus/<target>/, failing ones to
# build-fuzz/artifacts/<target>/ (rerun one: build-fuzz/fuzz/fuzz_<target> FILE).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz
all_targets=(line_reader strip_headers attachments vesk_file analyze ini_file integer wildcard)

seconds=60
regression=false
if [ $# -ge 1 ]; then
  case $1 in
    --regression) regression=true; shift ;;
    ''|*[!0-9]*) ;;
    *) seconds=$1; shift ;;
  esac
fi
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")

"$root/scripts/setup.sh"
command -v clang++ >/dev/null || { echo "fuzz: clang++ is missing (run scripts/setup.sh)" >&2; exit 1; }
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DNORVANE_FUZZ=ON -DNORVANE_BUILD_GUI=OFF -DNORVANE_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target $(printf 'fuzz_%s ' "${targets[@]}")

dictionary() {
  case $1 in
    line_reader|strip_headers|attachments|vesk_file|analyze) echo "$root/fuzz/mail.dict" ;;
    ini_file) echo "$root/fuzz/ini.dict" ;;
    wildcard) echo "$root/fuzz/wildcard.dict" ;;
  esac
}

failed=()
start=$(date +%s%N)
for target in "${targets[@]}"; do
  binary=$build/fuzz/fuzz_$target
  seeds=$root/fuzz/corpus/$target
  artifacts=$build/artifacts/$target
  mkdir -p "$artifacts"
  if $regression; then
    if "$binary" -artifact_prefix="$artifacts/" "$seeds"/* >"$build/regression-$target.log" 2>&1; then
      echo "fuzz: $target: $(ls "$seeds" | wc -l) seeds passed"
    else
      grep -aE '^(Running:|.*property broken|  (expected|actual)|SUMMARY|==[0-9]+==ERROR)' "$build/regression-$target.log" >&2 || true
      echo "fuzz: $target failed, see $build/regression-$target.log" >&2
      failed+=("$target")
    fi
    continue
  fi
  found=$build/corpus/$target
  mkdir -p "$found"
  dict=$(dictionary "$target")
  log=$build/fuzz-$target.log
  echo "--- fuzz: $target for $seconds s"
  status=0
  "$binary" -max_total_time="$seconds" -timeout=20 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" ${dict:+-dict="$dict"} "$found" "$seeds" >"$log" 2>&1 || status=$?
  grep -aE '^(Done [0-9]+ runs|stat::number_of_executed_units|.*property broken|  (expected|actual)|SUMMARY|==[0-9]+==ERROR)' "$log" || true
  if [ $status -ne 0 ]; then
    echo "fuzz: $target failed, see $log" >&2
    failed+=("$target")
  fi
done
elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: failed: ${failed[*]} (inputs in $build/artifacts/)" >&2
  exit 1
fi
if $regression; then
  echo "fuzz: regression run over the seed corpora passed in $elapsed_ms ms"
else
  echo "fuzz: ${#targets[@]} targets, $seconds s each, no failure"
fi
