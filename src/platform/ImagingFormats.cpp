#include "ImagingFormats.h"

#include <QByteArrayView>
#include <QtEndian>
#include <cstdint>

namespace {

constexpr char wpgSignature[] = "\xFF"
                                "WPC";

// A WPG record length: one byte, or 0xFF and 16 bits, or 15 + 16 bits when the top bit is set.
bool readWpgLength(const QByteArray& data, qsizetype& at, uint64_t& length)
{
    const auto byteAt = [&data](qsizetype i) {
        return uint8_t(data[i]);
    };
    if (at >= data.size())
        return false;
    length = byteAt(at++);
    if (length < 0xFF)
        return true;
    if (at + 2 > data.size())
        return false;
    length = byteAt(at) | (uint64_t(byteAt(at + 1)) << 8);
    at += 2;
    if (length < 0x8000)
        return true;
    if (at + 2 > data.size())
        return false;
    length = ((length & 0x7FFF) << 16) | byteAt(at) | (uint64_t(byteAt(at + 1)) << 8);
    at += 2;
    return true;
}

} // namespace

namespace imaging {

// The coder each extension goes to. ".pic" is read as Macintosh PICT, the only ".pic" format
// ImageMagick knows; ".rle" as Utah RLE unless the content says Windows RLE bitmap (sniffed).
// ".gif" and ".bmp" are here for the image browser and automation, which ask the control about
// any picture file.
const char* coderForExtension(const QString& suffix)
{
    static const struct
    {
        const char* suffix;
        const char* coder;
    } table[] = {
        {"jpg", "JPEG"}, {"jpeg", "JPEG"}, {"jif", "JPEG"}, {"dcx", "DCX"},  {"ico", "ICO"},
        {"pbm", "PNM"},  {"pgm", "PNM"},   {"ppm", "PNM"},  {"pcx", "PCX"},  {"pic", "PICT"},
        {"png", "PNG"},  {"rle", "RLE"},   {"tga", "TGA"},  {"tif", "TIFF"}, {"tiff", "TIFF"},
        {"wmf", "WMF"},  {"wpg", "WPG"},   {"gif", "GIF"},  {"bmp", "BMP"},  {"ljp", losslessJpegCoder},
    };
    const QByteArray lower = suffix.toLower().toLatin1();
    for (const auto& entry : table)
        if (lower == entry.suffix)
            return entry.coder;
    return nullptr;
}

// Deliberate leniency: files are often named with the wrong extension (a PNG saved as ".jpg").
// When the first bytes carry an unmistakable signature, that format's coder is used instead of
// the extension's. Only formats with long or well-anchored signatures are sniffed; the rest
// (PCX, TGA, ICO, PNM, PICT) keep the extension's coder.
const char* coderForContent(const QByteArray& data)
{
    static const struct
    {
        QByteArrayView magic;
        const char* coder;
    } signatures[] = {
        {QByteArrayView("\xFF\xD8\xFF", 3), "JPEG"},
        {QByteArrayView("\x89PNG\r\n\x1A\n", 8), "PNG"},
        {QByteArrayView("GIF87a", 6), "GIF"},
        {QByteArrayView("GIF89a", 6), "GIF"},
        {QByteArrayView("II*\0", 4), "TIFF"},
        {QByteArrayView("MM\0*", 4), "TIFF"},
        {QByteArrayView("\xB1\x68\xDE\x3A", 4), "DCX"},
        {QByteArrayView("\xD7\xCD\xC6\x9A", 4), "WMF"},
        {QByteArrayView(wpgSignature, 4), "WPG"},
        {QByteArrayView("\x52\xCC", 2), "RLE"},
        {QByteArrayView("BM", 2), "BMP"},
    };
    for (const auto& signature : signatures)
        if (data.startsWith(signature.magic))
            return signature.coder;
    return nullptr;
}

// WordPerfect graphics are a chain of records, and ImageMagick's reader happily makes a picture of
// whatever records garbage after a valid header happens to form. A real file starts with its
// "start" record and ends with its "end" record, every record lying inside the file; anything
// else is refused before the coder sees it.
bool isPlausibleWpg(const QByteArray& data)
{
    if (data.size() < 16 || !data.startsWith(QByteArrayView(wpgSignature, 4)))
        return true; // not a WPG at all: the coder refuses it with its own error
    const int level = uint8_t(data[10]);
    const uint8_t startType = level == 2 ? 0x01 : 0x0F;
    const uint8_t endType = level == 2 ? 0x02 : 0x10;
    qsizetype at = qFromLittleEndian<uint32_t>(data.constData() + 4);
    bool first = true;
    while (at >= 16 && at < data.size()) {
        if (level == 2)
            ++at; // record class
        if (at >= data.size())
            return false;
        const uint8_t type = uint8_t(data[at++]);
        uint64_t length = 0;
        if (!readWpgLength(data, at, length) || length > uint64_t(data.size() - at))
            return false;
        if (first && type != startType)
            return false;
        if (type == endType)
            return true;
        first = false;
        at += qsizetype(length);
    }
    return false;
}

// Utah RLE pictures are drawn by a stream of opcodes, and ImageMagick's reader skips opcodes it
// does not know, so garbage after a valid header still "draws" a picture. A real file uses only
// the six defined opcodes and ends with the end opcode; anything else is refused.
bool isPlausibleUtahRle(const QByteArray& data)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.constData());
    const qsizetype size = data.size();
    if (size < 15 || bytes[0] != 0x52 || bytes[1] != 0xCC)
        return true; // not Utah RLE: the coder refuses it with its own error
    const uint8_t flags = bytes[10];
    const qsizetype planes = bytes[11];
    const qsizetype colourMaps = bytes[13];
    const qsizetype mapLength = bytes[14] < 22 ? qsizetype(1) << bytes[14] : 0;
    qsizetype at = 15 + ((flags & 0x02) ? 1 : planes) + ((planes & 1) == 0 ? 1 : 0);
    at += colourMaps * mapLength * 2;
    if ((flags & 0x08) && at + 2 <= size) { // comment: a length, then the text padded to even
        const qsizetype length = bytes[at] | (qsizetype(bytes[at + 1]) << 8);
        at += 2 + (length > 0 ? length - 1 + ((length & 1) == 0 ? 1 : 0) : 0);
    }
    while (at < size) {
        const uint8_t opcode = bytes[at++];
        const qsizetype operandBytes = (opcode & 0x40) ? 3 : 1;
        switch (opcode & 0x3F) {
        case 0x07: // end of picture
            return true;
        case 0x01: // skip lines
        case 0x03: // skip pixels
            at += operandBytes;
            break;
        case 0x02: // set colour plane
            at += 1;
            break;
        case 0x05: { // literal bytes: count - 1, then the bytes padded to even
            if (at + operandBytes > size)
                return false;
            const qsizetype count =
                ((opcode & 0x40) ? (bytes[at + 1] | (qsizetype(bytes[at + 2]) << 8)) : bytes[at]) + 1;
            at += operandBytes + count + (count & 1);
            break;
        }
        case 0x06: // run: count - 1, then the value and a pad byte
            at += operandBytes + 2;
            break;
        default:
            return false;
        }
    }
    return false;
}

} // namespace imaging
