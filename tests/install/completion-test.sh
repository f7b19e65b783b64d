#!/usr/bin/env bash
# Checks the bash completion of norvane-cli by calling its function the way
# bash does, with COMP_WORDS and COMP_CWORD set.
#   completion-test.sh COMPLETION_FILE [NORVANE_CLI]
# With NORVANE_CLI, the options offered must be exactly those of its --help.
set -uo pipefail
completion=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
cli=${2:-}

# shellcheck source=/dev/null
source "$completion"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/norvane-completion.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
touch a.eml b.txt -- -x.eml
mkdir sub

failures=0

# check EXPECTED WORD... : the last WORD is the one being completed.
check()
{
    local expected=$1
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    COMPREPLY=()
    _norvane_cli 2>/dev/null
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | tr '\n' ' ')
    got=${got% }
    if [[ $got != "$expected" ]]; then
        printf 'FAIL: words [%s]\n  expected [%s]\n  got      [%s]\n' "$*" "$expected" "$got" >&2
        failures=$((failures + 1))
    fi
}

check "analyze restore vesk" norvane-cli ""
check "vesk" norvane-cli v
check "analyze" norvane-cli an
check "--no-backup" norvane-cli --no-b
check "--settings=" norvane-cli --se
check "--removal-note --remove-attachments --remove-traces" norvane-cli vesk --re
check "--help" norvane-cli --he
check "--scope=" norvane-cli --sc
check "--no-keep-line-ends" norvane-cli --no-ke
check "--save-attachments --save-attachments=" norvane-cli vesk --sa
check "--no-save-attachments" norvane-cli --no-sa
# Options may come before the command; the command is still offered after them.
check "analyze restore vesk" norvane-cli --backup ""
check "analyze restore vesk" norvane-cli --settings=x.ini ""
# After the command: file names, never the commands again.
check "-x.eml a.eml b.txt sub" norvane-cli vesk ""
check "a.eml" norvane-cli analyze a
check "-x.eml a.eml b.txt sub" norvane-cli vesk a.eml ""
check "b.txt" norvane-cli vesk --backup b
# The path of --settings in its three spellings.
check "-x.eml a.eml b.txt sub" norvane-cli --settings ""
check "b.txt" norvane-cli vesk --settings = b
check "--settings=a.eml" norvane-cli --settings=a
# The folder of --save-attachments: folders only, after "=".
check "--save-attachments=sub" norvane-cli vesk --save-attachments=s
check "sub" norvane-cli vesk --save-attachments = ""
# "--" ends the options: a word starting with "-" is then a file name.
check "-x.eml" norvane-cli vesk -- -
check "analyze restore vesk" norvane-cli -- ""
check "" norvane-cli vesk --no-such
# restore: its command, its options and the backup of --from.
check "restore" norvane-cli re
check "--oldest" norvane-cli restore --ol
check "--from=" norvane-cli restore --fr
check "--from=a.eml" norvane-cli restore --from=a
check "a.eml" norvane-cli restore --from a
check "--json" norvane-cli vesk --js

if [[ -n $cli ]]; then
    COMP_WORDS=(norvane-cli --)
    COMP_CWORD=1
    COMPREPLY=()
    _norvane_cli 2>/dev/null
    offered=$(printf '%s\n' "${COMPREPLY[@]}" | sed 's/=$//' | grep -vx -e -- -e -h | LC_ALL=C sort -u)
    documented=$("$cli" --help | grep -o -e '--[a-z][a-z-]*' | LC_ALL=C sort -u)
    if [[ -z $documented ]]; then
        echo "FAIL: $cli --help names no options" >&2
        failures=$((failures + 1))
    elif [[ $offered != "$documented" ]]; then
        echo "FAIL: the completion's options differ from $cli --help:" >&2
        diff <(echo "$offered") <(echo "$documented") >&2
        failures=$((failures + 1))
    fi
fi

if ((failures > 0)); then
    echo "completion-test: $failures failed" >&2
    exit 1
fi
echo "completion-test: all passed"
