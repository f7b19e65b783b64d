#!/usr/bin/env bash
# The window program answers --help and --version without a display.
#   window-info-test.sh NORVANE VERSION
set -uo pipefail
program=$1
version=$2
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
failures=0

check()
{
    local expected=$1
    shift
    local out status
    out=$(timeout 10 "$program" "$@" 2>&1)
    status=$?
    if [[ $status -ne 0 || $out != "$expected"* ]]; then
        printf 'FAIL: %s: status %s, output [%s]\n' "$*" "$status" "$out" >&2
        failures=$((failures + 1))
    fi
}

check "Usage: norvane [FILE | PATTERN]..." --help
check "Usage: norvane [FILE | PATTERN]..." -h
check "norvane $version" --version

((failures == 0)) || exit 1
echo "window-info-test: all passed"
