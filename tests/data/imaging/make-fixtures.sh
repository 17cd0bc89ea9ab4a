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
"$CONVERT" "$tmp/quad.png" $strip -colorspace CMYK -quality 95 -sampling-factor 1x1 JPEG:quad-cmyk.jpg
# Two pages: the control takes the first.
"$CONVERT" "$tmp/quad.png" -size 4x4 xc:black $strip TIFF:two-pages.tif
"$CONVERT" "$tmp/quad.png" $strip GIF:quad.gif
"$CONVERT" "$tmp/quad.png" $strip BMP3:quad.bmp
# A Windows RLE bitmap (".rle" in the Windows sense): an 8-bit BMP with RLE8 compression.
"$CONVERT" "$tmp/quad.png" $strip -type Palette -compress RLE BMP3:quad.rle
# Lossless JPEG (SOF3), which only the libavcodec path reads.
ffmpeg -v error -y -i "$tmp/quad.png" -c:v ljpeg -pix_fmt bgr24 -f image2 -update 1 quad.ljp
# The same in full-range YUV 4:2:0 (the quadrant edges fall on even pixels, so chroma stays clean).
ffmpeg -v error -y -i "$tmp/quad.png" -c:v ljpeg -pix_fmt yuvj420p -strict -1 -f image2 -update 1 quad-yuv.ljp

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
# Formats ImageMagick reads but cannot write, also written byte by byte.
python3 - <<'PY'
import struct
# --- WMF: placeable, 1 x 0.75 inch at 1440 units per inch; left half red, right half blue.
def rec(func, *params):
    return struct.pack('<IH', 3 + len(params), func) + b''.join(struct.pack('<h', p) for p in params)
def rec_raw(func, body):
    assert len(body) % 2 == 0
    return struct.pack('<IH', 3 + len(body)//2, func) + body
W, H = 1440, 1080
records = b''.join([
    rec(0x020B, 0, 0),                # SETWINDOWORG y, x
    rec(0x020C, H, W),                # SETWINDOWEXT y, x
    rec_raw(0x02FA, struct.pack('<HhhBBBB', 5, 0, 0, 0, 0, 0, 0)),   # CREATEPENINDIRECT PS_NULL
    rec(0x012D, 0),                   # SELECTOBJECT 0 (pen)
    rec_raw(0x02FC, struct.pack('<HBBBBH', 0, 255, 0, 0, 0, 0)),      # CREATEBRUSHINDIRECT solid red
    rec(0x012D, 1),                   # SELECTOBJECT 1
    rec(0x041B, H, W // 2, 0, 0),     # RECTANGLE bottom, right, top, left
    rec(0x01F0, 1),                   # DELETEOBJECT 1
    rec_raw(0x02FC, struct.pack('<HBBBBH', 0, 0, 0, 255, 0, 0)),      # solid blue
    rec(0x012D, 1),
    rec(0x041B, H, W, 0, W // 2),
    struct.pack('<IH', 3, 0),         # EOF
])
header = struct.pack('<HHHIHIH', 1, 9, 0x0300, (18 + len(records)) // 2, 2, 8, 0)
words = struct.unpack('<10H', struct.pack('<IHhhhhH', 0x9AC6CDD7, 0, 0, 0, W, H, 1440) + b'\0\0\0\0')
checksum = 0
for w in words: checksum ^= w
placeable = struct.pack('<IHhhhhHIH', 0x9AC6CDD7, 0, 0, 0, W, H, 1440, 0, checksum)
open('quad.wmf', 'wb').write(placeable + header + records)

# --- WPG level 1: a 16 x 12 bitmap with a four-colour palette (quad layout).
def wpg_record(kind, body):
    n = len(body)
    length = bytes([n]) if n < 0xFF else b'\xFF' + struct.pack('<H', n)
    return bytes([kind]) + length + body
palette = struct.pack('<HH', 0, 4) + bytes([255,0,0, 0,255,0, 0,0,255, 255,255,255])
rows = b''
for y in range(12):
    row = bytes((0 if x < 8 else 1) if y < 6 else (2 if x < 8 else 3) for x in range(16))
    rows += bytes([len(row)]) + row          # one literal run per row
bitmap = struct.pack('<HHHHH', 16, 12, 8, 75, 75) + rows
start = bytes([1, 0]) + struct.pack('<HH', 16 * 75, 12 * 75)
body = wpg_record(0x0F, start) + wpg_record(0x0E, palette) + wpg_record(0x0B, bitmap) + wpg_record(0x10, b'')
header = b'\xFFWPC' + struct.pack('<I', 16) + bytes([1, 0x16, 1, 0]) + b'\0\0\0\0'
open('quad.wpg', 'wb').write(header + body)

# --- Utah RLE: the quad as three planes of runs, bottom scanline first.
out = b"\x52\xCC" + struct.pack("<hhhh", 0, 0, 16, 12) + bytes([0x02, 3, 8, 0, 0]) + b"\0"
colours = {"red": (255, 0, 0), "green": (0, 255, 0), "blue": (0, 0, 255), "white": (255, 255, 255)}
for y in range(12):  # y = 0 is the bottom scanline
    left, right = ("blue", "white") if y < 6 else ("red", "green")
    for plane in range(3):
        out += bytes([0x02, plane])
        for name in (left, right):
            out += bytes([0x06, 8 - 1, colours[name][plane], 0])
    out += bytes([0x01, 1])
out += bytes([0x07])
open("quad-utah.rle", "wb").write(out)
PY
echo "fixtures made in $(pwd)"
