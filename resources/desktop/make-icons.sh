#!/usr/bin/env bash
# Renders the scalable icon into the fixed-size PNGs kept beside it (run after editing the SVG).
set -euo pipefail
cd "$(dirname "$0")"
for size in 48 256; do
  rsvg-convert -w "$size" -h "$size" org.reelwright.Reelwright.svg -o "org.reelwright.Reelwright-$size.png"
done
