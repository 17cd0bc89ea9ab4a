#!/bin/sh
# Draws the pictures of the Spoolkit resource library with ImageMagick. The results are committed;
# run this again only to change them.
set -eu
cd "$(dirname "$0")/spoolkit"
FONT=DejaVu-Sans-Bold

# Splash: 400 x 240, a reel of film frames over a blue gradient with the program name.
convert -size 400x240 gradient:'#1c3f7a'-'#4f86c6' \
    -fill '#f2f2f2' -stroke '#202020' -strokewidth 2 \
    -draw 'roundrectangle 24,40 104,120 6,6' -draw 'roundrectangle 112,40 192,120 6,6' \
    -draw 'roundrectangle 200,40 280,120 6,6' -draw 'roundrectangle 288,40 368,120 6,6' \
    -stroke none -fill '#e0a020' -draw 'circle 64,80 64,62' -fill '#e07020' -draw 'circle 152,80 160,64' \
    -fill '#c04020' -draw 'circle 240,80 252,68' -fill '#a02020' -draw 'circle 328,80 344,74' \
    -font "$FONT" -fill white -pointsize 26 -annotate +24+170 'GIF Reelwright 5.0' \
    -font DejaVu-Sans -pointsize 13 -annotate +26+196 'Brightwell Software' \
    -colors 128 -type Palette BMP3:SPLASH.bmp

# Wizard side pictures: 160 x 300.
convert -size 160x300 gradient:'#2a6a3a'-'#9fd3a0' -fill '#ffffff' -stroke '#204020' \
    -draw 'rectangle 30,60 130,140' -draw 'rectangle 40,150 140,230' -stroke none \
    -font "$FONT" -pointsize 18 -fill white -annotate +20+270 'Animation' \
    -colors 128 -type Palette BMP3:ANI_WIZ.bmp
convert -size 160x300 gradient:'#6a3a2a'-'#e0b090' -fill '#ffffff' -stroke '#402010' \
    -draw 'polygon 80,50 130,150 30,150' -draw 'rectangle 40,170 120,230' -stroke none \
    -font "$FONT" -pointsize 18 -fill white -annotate +24+270 'Optimize' \
    -colors 128 -type Palette BMP3:OPT_WIZ.bmp

# Logo animation: 12 frames, a ball travelling along a film strip under the program name.
frames=""
i=0
while [ $i -lt 12 ]; do
    x=$((30 + i * 20))
    convert -size 300x120 xc:white -fill '#3a5f9a' -draw 'rectangle 10,70 290,100' \
        -fill white -draw 'rectangle 20,76 28,82' -draw 'rectangle 60,76 68,82' -draw 'rectangle 100,76 108,82' \
        -draw 'rectangle 140,76 148,82' -draw 'rectangle 180,76 188,82' -draw 'rectangle 220,76 228,82' \
        -draw 'rectangle 260,76 268,82' \
        -fill '#e07020' -draw "circle $x,85 $((x + 9)),85" \
        -font "$FONT" -pointsize 22 -fill '#1c3f7a' -annotate +38+44 'GIF Reelwright' \
        "frame$i.png"
    frames="$frames frame$i.png"
    i=$((i + 1))
done
# shellcheck disable=SC2086
convert -delay 10 -loop 0 $frames -colors 32 ANIMATED.gif
rm -f $frames
