#!/usr/bin/env bash
# Builds Norvane and opens the window on a fresh copy of the sample mails, so
# the repository's samples are never rewritten. Extra arguments are passed on.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<MSG
run.sh: no display (neither DISPLAY nor WAYLAND_DISPLAY is set), so the window cannot open.
  On a machine without a desktop, run it inside a virtual X server:
      xvfb-run -a -s "-screen 0 1024x768x24" $0
  For batches without any window, use the command-line tool:
      $root/build/ui/cli/norvane-cli --help
MSG
  exit 1
fi

"$root/scripts/build.sh"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/norvane-samples.XXXXXX")
cp -R "$root/samples/." "$scratch/"
echo "run.sh: working on copies in $scratch" >&2
cd "$scratch"
exec "$root/build/ui/norvane" "$scratch"/* "$@"
