#!/bin/sh
# Makes walker.gif: a 38 x 32 animation of eight frames on one 256-colour global map, every frame
# with transparent index 0 and background disposal, the later frames 14 x 17 pieces at moving
# offsets. Tests that need "a real animation" use it when the shared corpus is not beside the
# checkout. Needs ImageMagick's convert and gifsicle. Run it again after changing it.
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

convert -seed 5 -size 38x32 plasma: "$tmp/base.png"
set -- "(" "$tmp/base.png" -crop 27x32+0+0 +repage -set page 38x32+0+0 ")"
for i in 1 2 3 4 5 6 7; do
  set -- "$@" "(" "$tmp/base.png" -roll "+$((i * 5))+$((i * 3))" -crop 14x17+0+0 +repage \
    -set page "38x32+$((3 * i))+$((i + 4))" ")"
done
convert -dispose Background -delay 10 "$@" +dither -colors 256 +map -loop 0 "$tmp/walker.gif"
gifsicle --transparent 0 "$tmp/walker.gif" > walker.gif
