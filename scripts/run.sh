#!/usr/bin/env bash
# Builds the window and the command-line tool (installing what is missing
# first; the tests and the bench are left to scripts/test.sh and
# scripts/bench.sh) and opens the window on a fresh copy of the sample mails,
# so the repository's samples are never rewritten. Extra arguments are passed
# on to the window.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --target norvane norvane-cli

scratch=$(mktemp -d "${TMPDIR:-/tmp}/norvane-samples.XXXXXX")
cp -R "$root/samples/." "$scratch/"
cli="$root/build/ui/norvane-cli"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<MSG
run.sh: no display (neither DISPLAY nor WAYLAND_DISPLAY is set), so the window cannot open.
  To see the window on a machine without a desktop, run it inside a virtual X server:
      xvfb-run -a -s "-screen 0 1024x768x24" $0
  For batches without any window, use the command-line tool:
      $cli --help

Meanwhile, the same job on copies of the sample mails in $scratch, with the tool
(keys Received, DKIM-Signature and X-Mailer ticked, attachments removed, backups kept):
MSG
  printf '[Dat]\r\nDat1=DKIM-Signature\r\nDat2=Received\r\nDat3=X-Mailer\r\n' > "$scratch/norvane.ini"
  cd "$scratch"
  echo "--- analyze before" >&2
  "$cli" analyze --settings="$scratch/norvane.ini" -- *.eml *.txt
  echo "--- vesk: attachment lines deleted, header lines removed, file" >&2
  "$cli" vesk --settings="$scratch/norvane.ini" --backup --remove-attachments --remove-traces -- *.eml *.txt
  echo "--- analyze after" >&2
  "$cli" analyze --settings="$scratch/norvane.ini" -- *.eml *.txt
  exit 0
fi

echo "run.sh: working on copies in $scratch" >&2
cd "$scratch"
exec "$root/build/ui/norvane" "$scratch"/* "$@"
