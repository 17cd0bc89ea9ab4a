#pragma once
// How the imaging control chooses a decoder for a file: by extension, overridden by a clear
// signature in the content, plus checks for the two record-based formats whose ImageMagick
// readers draw pictures out of garbage. Pure functions over bytes; safe from any thread.
#include <QByteArray>
#include <QString>

namespace imaging {

// Coder name used for lossless JPEG, which goes to libavcodec rather than ImageMagick.
inline constexpr const char* losslessJpegCoder = "LJPEG";

// The ImageMagick coder (or losslessJpegCoder) for a file name suffix, case-insensitive;
// nullptr for a suffix the control does not read.
const char* coderForExtension(const QString& suffix);

// The coder named by an unmistakable signature at the start of the data; nullptr otherwise.
const char* coderForContent(const QByteArray& data);

// False when data starting like a WordPerfect graphic / Utah RLE picture is not a well-formed
// record or opcode stream; true for well-formed streams and for data of any other kind.
bool isPlausibleWpg(const QByteArray& data);
bool isPlausibleUtahRle(const QByteArray& data);

} // namespace imaging
