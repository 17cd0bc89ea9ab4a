#!/bin/sh
# Makes the imaging-control fixtures in this folder. Needs ImageMagick's convert, ffmpeg and
# python3. Every picture shows the same 16 x 12 "quad": top-left 8 x 6 red, top-right green,
# bottom-left blue, bottom-right white, so a test can tell rows from columns and top from bottom.
# Run it again after changing it; the tests read the files it leaves here.
set -eu
cd "$(dirname "$0")"
CONVERT=${CONVERT:-convert}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

"$CONVERT" -size 8x6 xc:red xc:lime +append "$tmp/top.png"
"$CONVERT" -size 8x6 xc:blue xc:white +append "$tmp/bottom.png"
"$CONVERT" "$tmp/top.png" "$tmp/bottom.png" -append -strip -define png:color-type=2 "$tmp/quad.png"
# Palette formats are told to keep a palette; true-colour ones get 24-bit samples.
strip="-strip"
"$CONVERT" "$tmp/quad.png" $strip quad.png
"$CONVERT" "$tmp/quad.png" $strip -type Palette PNG8:quad8.png
"$CONVERT" "$tmp/quad.png" $strip -alpha set -fill none -draw 'color 0,0 point' quad-alpha.png
"$CONVERT" "$tmp/quad.png" $strip -quality 95 -sampling-factor 1x1 quad.jpg
"$CONVERT" "$tmp/quad.png" $strip -quality 95 -sampling-factor 1x1 JPEG:quad.jif
"$CONVERT" "$tmp/quad.png" $strip DCX:quad.dcx
"$CONVERT" "$tmp/quad.png" $strip ICO:quad.ico
"$CONVERT" "$tmp/quad.png" $strip -type Palette PCX:quad.pcx
"$CONVERT" "$tmp/quad.png" $strip PICT:quad.pic
"$CONVERT" "$tmp/quad.png" $strip PPM:quad.ppm
"$CONVERT" "$tmp/quad.png" $strip TGA:quad.tga
"$CONVERT" "$tmp/quad.png" $strip -compress LZW TIFF:quad.tif
"$CONVERT" "$tmp/quad.png" $strip GIF:quad.gif
"$CONVERT" "$tmp/quad.png" $strip BMP3:quad.bmp
# A Windows RLE bitmap (".rle" in the Windows sense): an 8-bit BMP with RLE8 compression.
"$CONVERT" "$tmp/quad.png" $strip -type Palette -compress RLE BMP3:quad.rle
# Lossless JPEG (SOF3), which only the libavcodec path reads.
ffmpeg -v error -y -i "$tmp/quad.png" -c:v ljpeg -pix_fmt bgr24 -f image2 -update 1 quad.ljp

# Grey and bilevel pictures written byte by byte, so their values are known exactly.
python3 - <<'PY'
# 5 x 3 grey ramp: value = 17 * (row * 5 + column), 0 to 238.
with open("ramp.pgm", "wb") as f:
    f.write(b"P5\n5 3\n255\n" + bytes(17 * i for i in range(15)))
# 10 x 4 bilevel: black (1) on the diagonal x == y and in the last column, white elsewhere.
rows = []
for y in range(4):
    bits = [1 if (x == y or x == 9) else 0 for x in range(10)]
    value = 0
    for b in bits:
        value = value << 1 | b
    value <<= 16 - 10
    rows.append(value.to_bytes(2, "big"))
with open("diag.pbm", "wb") as f:
    f.write(b"P4\n10 4\n" + b"".join(rows))
PY
echo "fixtures made in $(pwd)"
