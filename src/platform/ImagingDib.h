#pragma once
// The DIB block the imaging control hands over, and its conversion into a complete BMP file.
#include <QByteArray>

namespace Magick {
class Image;
}

namespace imaging {

// The picture as a DIB block: a 40-byte BITMAPINFOHEADER, the colour table, then the rows, bottom
// row first, each padded to a multiple of 4 bytes. Palette pictures (sRGB or grey, no alpha) with
// up to 2, 16 or 256 colours come as 1, 4 or 8 bits per pixel with biClrUsed table entries; grey
// pictures as 8 bits with 256 greys (1 bit with black and white when bilevel); everything else as
// 24 bits without a table. The image must already be opaque sRGB or grey. Empty when the block
// would not fit the 32-bit size fields. May throw Magick::Exception or std::bad_alloc.
QByteArray dibFromImage(const Magick::Image& image);

} // namespace imaging

// Turns a DIB block into a complete BMP file: the 14-byte file header ("BM", file size, two
// zero words, pixel offset = 14 + header size + 4 x colours in the table) followed by the whole
// block. Empty when the block is too short to hold its own header or the file would exceed 4 GiB.
QByteArray dibToBitmapFile(const QByteArray& dib);
