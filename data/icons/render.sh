#!/usr/bin/env bash
# Renders the hicolor PNG sizes from the scalable icon; run by hand after the
# SVG changes and commit the results (the build itself needs no SVG renderer).
# Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
svg="$here/hicolor/scalable/apps/org.example.Norvane.svg"
command -v rsvg-convert >/dev/null || { echo "render.sh: needs rsvg-convert (apt-get install librsvg2-bin)" >&2; exit 1; }
for size in 16 32 48 64 128 256; do
  dir="$here/hicolor/${size}x${size}/apps"
  mkdir -p "$dir"
  rsvg-convert --width "$size" --height "$size" "$svg" --output "$dir/org.example.Norvane.png"
done
