#!/bin/sh
# Makes the sample pictures of the "Images" folder with ImageMagick. The results are committed;
# run this again only to change them.
set -eu
cd "$(dirname "$0")/Images"

# A spinning square: 8 frames, looping forever.
frames=""
i=0
while [ $i -lt 8 ]; do
    convert -size 64x64 xc:'#fffbe8' -fill '#3070c0' -stroke '#103060' \
        -draw "translate 32,32 rotate $((i * 45 / 4)) rectangle -16,-16 16,16" "spin$i.png"
    frames="$frames spin$i.png"
    i=$((i + 1))
done
# shellcheck disable=SC2086
convert -delay 12 -loop 0 $frames -colors 16 Spinner.gif
rm -f $frames

# A bouncing ball over a transparent background: 10 frames, previous frame removed.
frames=""
i=0
while [ $i -lt 10 ]; do
    y=$(( i < 5 ? 14 + i * 10 : 14 + (9 - i) * 10 ))
    convert -size 48x80 xc:none -fill '#d04030' -draw "circle 24,$y 24,$((y + 10))" "ball$i.png"
    frames="$frames ball$i.png"
    i=$((i + 1))
done
# shellcheck disable=SC2086
convert -dispose Background -delay 8 -loop 0 $frames Bounce.gif
rm -f $frames

# A three-frame traffic light played five times.
convert -delay 60 -loop 5 \
    \( -size 40x96 xc:'#303030' -fill '#ff2020' -draw 'circle 20,18 20,6' -fill '#402000' -draw 'circle 20,48 20,36' -fill '#003000' -draw 'circle 20,78 20,66' \) \
    \( -size 40x96 xc:'#303030' -fill '#401010' -draw 'circle 20,18 20,6' -fill '#ffb000' -draw 'circle 20,48 20,36' -fill '#003000' -draw 'circle 20,78 20,66' \) \
    \( -size 40x96 xc:'#303030' -fill '#401010' -draw 'circle 20,18 20,6' -fill '#402000' -draw 'circle 20,48 20,36' -fill '#20e020' -draw 'circle 20,78 20,66' \) \
    Lights.gif

# Still pictures in the other common formats.
convert -size 120x80 gradient:'#80c0ff'-'#f0f8ff' -fill '#40a040' -draw 'rectangle 0,60 120,80' \
    -fill '#ffd020' -draw 'circle 90,22 90,10' Landscape.png
convert -size 100x100 plasma:'#e0a060'-'#6040a0' -seed 7 -quality 85 Plasma.jpg
convert -size 64x64 pattern:checkerboard -fill '#c03030' -draw 'circle 32,32 32,12' -type Palette BMP3:Target.bmp
