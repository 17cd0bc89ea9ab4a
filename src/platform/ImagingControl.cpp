#include "ImagingControl.h"

#include "LosslessJpeg.h"

#include <Magick++.h>
#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <unistd.h>

namespace {

// ImageMagick caps its resource limits at the values of the system policy file, and Debian's
// policy allows only 16K pixels a side and 128 megapixels. A policy file of our own, found
// first through MAGICK_CONFIGURE_PATH while ImageMagick starts, replaces those limits (and only
// those: the rest of the system policy, such as the coders it forbids, stays in force).
QByteArray ownPolicy()
{
    return QByteArrayLiteral("<policymap>\n") +
           QStringLiteral("  <policy domain=\"resource\" name=\"width\" value=\"%1\"/>\n"
                          "  <policy domain=\"resource\" name=\"height\" value=\"%1\"/>\n"
                          "  <policy domain=\"resource\" name=\"area\" value=\"%2\"/>\n"
                          "  <policy domain=\"resource\" name=\"memory\" value=\"%3\"/>\n"
                          "  <policy domain=\"resource\" name=\"map\" value=\"%4\"/>\n"
                          "  <policy domain=\"resource\" name=\"disk\" value=\"%5\"/>\n")
               .arg(imgMagickSideBackstop)
               .arg(imgMaxPixels)
               .arg(imgMagickMemoryBytes)
               .arg(imgMagickMapBytes)
               .arg(imgMagickDiskBytes)
               .toLatin1() +
           QByteArrayLiteral("</policymap>\n");
}

// Writes the policy into a private folder, starts ImageMagick with that folder first on its
// configuration path, then removes the folder and restores the environment: the policy is read
// once, at start. Must run before anything else in the process initialises ImageMagick.
void startMagick()
{
    QByteArray folder = QFile::encodeName(QDir::tempPath() + QStringLiteral("/reelwright-magick-XXXXXX"));
    const bool haveFolder = ::mkdtemp(folder.data()) != nullptr;
    const QString policyPath = QFile::decodeName(folder) + QStringLiteral("/policy.xml");
    const QByteArray previous = qgetenv("MAGICK_CONFIGURE_PATH");
    const bool hadPrevious = qEnvironmentVariableIsSet("MAGICK_CONFIGURE_PATH");
    if (haveFolder) {
        QFile policy(policyPath);
        if (policy.open(QIODevice::WriteOnly) && policy.write(ownPolicy()) > 0) {
            policy.close();
            qputenv("MAGICK_CONFIGURE_PATH", hadPrevious ? folder + ':' + previous : folder);
        }
    }
    Magick::InitializeMagick(nullptr);
    // Reading a policy value makes sure the policy cache is loaded while our file is present.
    Magick::ResourceLimits::width(imgMagickSideBackstop);
    Magick::ResourceLimits::height(imgMagickSideBackstop);
    Magick::ResourceLimits::area(imgMaxPixels);
    Magick::ResourceLimits::memory(imgMagickMemoryBytes);
    Magick::ResourceLimits::map(imgMagickMapBytes);
    Magick::ResourceLimits::disk(imgMagickDiskBytes);
    // The control takes one frame, but some coders read every frame before the first is picked;
    // a file claiming millions of frames stops here.
    Magick::ResourceLimits::listLength(1024);
    if (hadPrevious)
        qputenv("MAGICK_CONFIGURE_PATH", previous);
    else
        qunsetenv("MAGICK_CONFIGURE_PATH");
    if (haveFolder) {
        QFile::remove(policyPath);
        QDir().rmdir(QFile::decodeName(folder));
    }
}

void ensureMagick()
{
    static std::once_flag once;
    std::call_once(once, startMagick);
}

} // namespace

void initializeImaging()
{
    ensureMagick();
}

namespace {

constexpr char wpgSignature[] = "\xFF"
                                "WPC";

// Pseudo coder name for the libavcodec path.
constexpr const char* losslessJpegCoder = "LJPEG";

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

// A warning from a coder leaves a usable picture in most cases (an unknown TIFF tag, a colour
// profile that does not parse), so such pictures load. A warning that data ran out is a
// truncated file whose missing part the coder filled with a flat colour; that picture is
// refused rather than passed off as the file's content.
bool warningMeansMissingData(const Magick::Warning& warning)
{
    static const char* const phrases[] = {"premature end", "unexpected end", "insufficient image data",
                                          "truncated",     "not enough",     "unable to read"};
    const QByteArray text = QByteArray(warning.what()).toLower();
    for (const char* phrase : phrases)
        if (text.contains(phrase))
            return true;
    return false;
}

bool withinLimits(size_t columns, size_t rows)
{
    return columns > 0 && rows > 0 && columns <= imgMaxSide && rows <= imgMaxSide &&
           uint64_t(columns) * uint64_t(rows) <= imgMaxPixels;
}

uint16_t errorForMagickError(const Magick::Error& error)
{
    const QByteArray text = QByteArray(error.what()).toLower();
    if (text.contains("exceeds limit") || text.contains("exceedslimit"))
        return imgTooLarge;
    return dynamic_cast<const Magick::ErrorResourceLimit*>(&error) ? imgOutOfResources : imgCorrupt;
}

// Runs one ImageMagick step (ping or read) and classifies what it threw. Warnings that leave a
// picture are accepted (see warningMeansMissingData); everything else becomes an error code.
template <typename Step> uint16_t runMagick(const Magick::Image& image, Step step)
{
    try {
        step();
        return imgOk;
    } catch (const Magick::Warning& warning) {
        if (warningMeansMissingData(warning) || !image.isValid())
            return imgCorrupt;
        return imgOk;
    } catch (const Magick::Error& error) {
        return errorForMagickError(error);
    } catch (const Magick::Exception&) {
        return imgCorrupt;
    } catch (const std::bad_alloc&) {
        return imgOutOfResources;
    } catch (const std::exception&) {
        return imgCorrupt;
    }
}

// Only regular files are read, and never more bytes than the file had when opened: a name that
// leads to a device or a pipe would otherwise be read without end.
uint16_t readWholeFile(const QString& fileName, QByteArray& data)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return imgFileNotFound;
    const qint64 size = file.size();
    if (size > imgMaxFileBytes)
        return imgTooLarge;
    try {
        data = file.read(size);
    } catch (const std::bad_alloc&) {
        return imgOutOfResources;
    }
    return data.size() == size ? imgOk : imgFileNotFound;
}

// --- DIB block ---------------------------------------------------------------------------

constexpr int dibHeaderSize = 40;

struct DibLayout
{
    int bitCount = 24;
    int colours = 0; // entries in the colour table (biClrUsed)
    uint64_t stride = 0;
    uint64_t total = 0;
};

bool planDib(uint32_t width, uint32_t height, int bitCount, int colours, DibLayout& layout)
{
    layout.bitCount = bitCount;
    layout.colours = colours;
    layout.stride = (uint64_t(width) * uint64_t(bitCount) + 31) / 32 * 4;
    const uint64_t pixels = layout.stride * uint64_t(height);
    layout.total = dibHeaderSize + 4 * uint64_t(colours) + pixels;
    // biSizeImage and the BMP file size are 32-bit; the file adds 14 bytes to the block.
    return pixels <= std::numeric_limits<uint32_t>::max() &&
           layout.total + 14 <= std::numeric_limits<uint32_t>::max() &&
           layout.total <= uint64_t(std::numeric_limits<qsizetype>::max());
}

void putHeader(uchar* block, uint32_t width, uint32_t height, const DibLayout& layout)
{
    std::memset(block, 0, dibHeaderSize);
    qToLittleEndian<uint32_t>(dibHeaderSize, block);
    qToLittleEndian<int32_t>(int32_t(width), block + 4);
    qToLittleEndian<int32_t>(int32_t(height), block + 8); // positive: bottom row first
    qToLittleEndian<uint16_t>(1, block + 12);             // planes
    qToLittleEndian<uint16_t>(uint16_t(layout.bitCount), block + 14);
    qToLittleEndian<uint32_t>(0, block + 16); // BI_RGB
    qToLittleEndian<uint32_t>(uint32_t(layout.stride * height), block + 20);
    qToLittleEndian<uint32_t>(uint32_t(layout.colours), block + 32);
}

int bitsForColours(size_t colours)
{
    return colours <= 2 ? 1 : colours <= 16 ? 4 : 8;
}

bool isPalettePicture(const Magick::Image& image)
{
    const MagickCore::ColorspaceType space = image.colorSpace();
    return image.classType() == MagickCore::PseudoClass && !image.matte() && image.colorMapSize() > 0 &&
           image.colorMapSize() <= 256 &&
           (space == MagickCore::sRGBColorspace || space == MagickCore::GRAYColorspace);
}

QByteArray paletteDib(const Magick::Image& image)
{
    const uint32_t width = uint32_t(image.columns());
    const uint32_t height = uint32_t(image.rows());
    const size_t colours = image.colorMapSize();
    DibLayout layout;
    if (!planDib(width, height, bitsForColours(colours), int(colours), layout))
        return {};
    QByteArray block(qsizetype(layout.total), '\0');
    auto* bytes = reinterpret_cast<uchar*>(block.data());
    putHeader(bytes, width, height, layout);
    uchar* table = bytes + dibHeaderSize;
    for (size_t i = 0; i < colours; ++i) {
        const Magick::Color colour = image.colorMap(i);
        table[4 * i + 0] = MagickCore::ScaleQuantumToChar(colour.blueQuantum());
        table[4 * i + 1] = MagickCore::ScaleQuantumToChar(colour.greenQuantum());
        table[4 * i + 2] = MagickCore::ScaleQuantumToChar(colour.redQuantum());
    }
    uchar* pixels = table + 4 * colours;
    const int bits = layout.bitCount;
    const int perByte = 8 / bits;
    for (uint32_t y = 0; y < height; ++y) {
        image.getConstPixels(0, ssize_t(y), width, 1);
        const MagickCore::IndexPacket* indexes = image.getConstIndexes();
        if (!indexes)
            return {};
        uchar* row = pixels + uint64_t(height - 1 - y) * layout.stride;
        for (uint32_t x = 0; x < width; ++x) {
            // A coder should never leave an index outside its map; if one does, colour 0 is
            // safer than reading past the table.
            size_t index = size_t(indexes[x]);
            if (index >= colours)
                index = 0;
            const int shift = 8 - bits * int(x % uint32_t(perByte) + 1);
            row[x / uint32_t(perByte)] |= uchar(index << shift);
        }
    }
    return block;
}

// Grey pictures (PGM, bilevel PBM, grey PNG and TIFF) come as DirectClass from ImageMagick; they
// are handed over with a grey table so that the frame conversion sees few colours: two entries
// for one-bit pictures, 256 otherwise (deeper greys are reduced to 8 bits).
bool isGreyPicture(const Magick::Image& image)
{
    return image.colorSpace() == MagickCore::GRAYColorspace && !image.matte();
}

QByteArray greyDib(const Magick::Image& image)
{
    const uint32_t width = uint32_t(image.columns());
    const uint32_t height = uint32_t(image.rows());
    const bool bilevel = image.depth() == 1;
    const int colours = bilevel ? 2 : 256;
    DibLayout layout;
    if (!planDib(width, height, bilevel ? 1 : 8, colours, layout))
        return {};
    QByteArray block(qsizetype(layout.total), '\0');
    auto* bytes = reinterpret_cast<uchar*>(block.data());
    putHeader(bytes, width, height, layout);
    uchar* table = bytes + dibHeaderSize;
    for (int i = 0; i < colours; ++i) {
        const uchar level = bilevel ? uchar(i * 255) : uchar(i);
        table[4 * i + 0] = table[4 * i + 1] = table[4 * i + 2] = level;
    }
    uchar* pixels = table + 4 * colours;
    for (uint32_t y = 0; y < height; ++y) {
        const Magick::PixelPacket* source = image.getConstPixels(0, ssize_t(y), width, 1);
        if (!source)
            return {};
        uchar* row = pixels + uint64_t(height - 1 - y) * layout.stride;
        for (uint32_t x = 0; x < width; ++x) {
            const uchar level = MagickCore::ScaleQuantumToChar(source[x].red);
            if (!bilevel)
                row[x] = level;
            else if (level >= 128)
                row[x / 8] |= uchar(0x80 >> (x % 8));
        }
    }
    return block;
}

QByteArray trueColourDib(const Magick::Image& image)
{
    const uint32_t width = uint32_t(image.columns());
    const uint32_t height = uint32_t(image.rows());
    DibLayout layout;
    if (!planDib(width, height, 24, 0, layout))
        return {};
    QByteArray block(qsizetype(layout.total), '\0');
    auto* bytes = reinterpret_cast<uchar*>(block.data());
    putHeader(bytes, width, height, layout);
    uchar* pixels = bytes + dibHeaderSize;
    // Magick::Image::write is non-const only by declaration; exporting changes nothing.
    auto& source = const_cast<Magick::Image&>(image);
    for (uint32_t y = 0; y < height; ++y) {
        uchar* row = pixels + uint64_t(height - 1 - y) * layout.stride;
        source.write(0, ssize_t(y), width, 1, "BGR", Magick::CharPixel, row);
    }
    return block;
}

// Brings any picture into the two shapes the DIB is made from: palette in sRGB or grey, or
// opaque sRGB. Transparency is put on white (the DIB has no alpha).
void normalise(Magick::Image& image)
{
    const MagickCore::ColorspaceType space = image.colorSpace();
    if (space != MagickCore::sRGBColorspace && space != MagickCore::GRAYColorspace)
        image.colorSpace(MagickCore::sRGBColorspace);
    if (image.matte()) {
        image.backgroundColor(Magick::Color("white"));
        image.alphaChannel(MagickCore::RemoveAlphaChannel);
        image.matte(false);
    }
}

} // namespace

// --- the control ---------------------------------------------------------------------------

TImagingControl::TImagingControl() = default;
TImagingControl::~TImagingControl() = default;

void TImagingControl::setFileName(const QString& fileName)
{
    release();
    m_fileName = fileName;
    const QFileInfo info(fileName);
    if (fileName.isEmpty() || !info.isFile()) {
        m_errorCode = imgFileNotFound;
        return;
    }
    const char* coder = coderForExtension(info.suffix());
    if (!coder) {
        m_errorCode = imgUnsupported;
        return;
    }
    QByteArray data;
    m_errorCode = readWholeFile(fileName, data);
    if (m_errorCode != imgOk)
        return;
    if (const char* sniffed = coderForContent(data)) {
        // A ".ljp" holding a lossy JPEG still goes to libavcodec, which reads both.
        if (!(qstrcmp(sniffed, "JPEG") == 0 && qstrcmp(coder, losslessJpegCoder) == 0))
            coder = sniffed;
    }
    if (qstrcmp(coder, "JPEG") == 0 && isLosslessJpeg(data))
        coder = losslessJpegCoder;
    m_errorCode =
        qstrcmp(coder, losslessJpegCoder) == 0 ? loadLosslessJpeg(data) : loadWithMagick(data, coder);
    if (m_errorCode != imgOk)
        m_image.reset();
}

uint16_t TImagingControl::loadLosslessJpeg(const QByteArray& data)
{
    TLosslessJpegPicture picture;
    switch (decodeLosslessJpeg(data, imgMaxSide, imgMaxPixels, picture)) {
    case TLosslessJpegResult::Ok:
        break;
    case TLosslessJpegResult::TooLarge:
        return imgTooLarge;
    case TLosslessJpegResult::NoMemory:
        return imgOutOfResources;
    case TLosslessJpegResult::Corrupt:
        return imgCorrupt;
    }
    ensureMagick();
    auto image = std::make_unique<Magick::Image>();
    const uint16_t status = runMagick(*image, [&] {
        image->read(size_t(picture.width), size_t(picture.height), "BGR", Magick::CharPixel,
                    picture.bgr.constData());
    });
    if (status != imgOk)
        return status;
    m_image = std::move(image);
    return imgOk;
}

uint16_t TImagingControl::loadWithMagick(const QByteArray& data, const char* coder)
{
    if ((qstrcmp(coder, "WPG") == 0 && !isPlausibleWpg(data)) ||
        (qstrcmp(coder, "RLE") == 0 && !isPlausibleUtahRle(data)))
        return imgCorrupt;
    ensureMagick();
    const Magick::Blob blob(data.constData(), size_t(data.size()));
    // The size is checked before any pixel is decoded: the area limit alone would only move
    // the pixel cache to disk rather than refuse the picture.
    Magick::Image probe;
    probe.quiet(false);
    uint16_t status = runMagick(probe, [&] {
        probe.magick(coder);
        probe.subRange(1);
        probe.ping(blob);
    });
    if (status != imgOk)
        return status;
    if (!withinLimits(probe.columns(), probe.rows()))
        return probe.columns() == 0 || probe.rows() == 0 ? imgCorrupt : imgTooLarge;

    auto image = std::make_unique<Magick::Image>();
    status = runMagick(*image, [&] {
        // The format is named before reading: TGA and ICO have no signature to be found by.
        image->magick(coder);
        image->subImage(0);
        image->subRange(1);
        image->read(blob);
    });
    if (status != imgOk)
        return status;
    if (!withinLimits(image->columns(), image->rows()))
        return imgTooLarge;
    status = runMagick(*image, [&] { normalise(*image); });
    if (status != imgOk)
        return status;
    m_image = std::move(image);
    return imgOk;
}

uint16_t TImagingControl::width() const
{
    return m_image ? uint16_t(m_image->columns()) : 0;
}

uint16_t TImagingControl::height() const
{
    return m_image ? uint16_t(m_image->rows()) : 0;
}

bool TImagingControl::resize(uint16_t width, uint16_t height)
{
    if (!m_image) {
        m_errorCode = imgNoPicture;
        return false;
    }
    if (width == 0 || height == 0) {
        m_errorCode = imgBadSize;
        return false;
    }
    Magick::Image scaled(*m_image);
    const uint16_t status = runMagick(scaled, [&] {
        Magick::Geometry size(width, height);
        size.aspect(true); // exactly this size: the caller has already kept the proportions
        scaled.resize(size);
    });
    if (status != imgOk || scaled.columns() != width || scaled.rows() != height) {
        m_errorCode = status != imgOk ? status : uint16_t(imgCorrupt);
        return false;
    }
    // Scaling a one-bit picture makes grey edges; keeping depth 1 would threshold them away.
    if (scaled.depth() < 8)
        scaled.depth(8);
    *m_image = scaled;
    m_errorCode = imgOk;
    return true;
}

QByteArray TImagingControl::takeDib()
{
    if (!m_image)
        return {};
    try {
        if (isPalettePicture(*m_image))
            return paletteDib(*m_image);
        return isGreyPicture(*m_image) ? greyDib(*m_image) : trueColourDib(*m_image);
    } catch (const Magick::Exception&) {
        return {};
    } catch (const std::bad_alloc&) {
        return {};
    }
}

void TImagingControl::release()
{
    m_image.reset();
    m_errorCode = imgNoPicture;
}

QByteArray dibToBitmapFile(const QByteArray& dib)
{
    if (dib.size() < 16)
        return {};
    const auto* block = reinterpret_cast<const uchar*>(dib.constData());
    const uint32_t headerSize = qFromLittleEndian<uint32_t>(block);
    if (headerSize < 12 || headerSize > uint32_t(dib.size()))
        return {};
    uint64_t tableBytes = 0;
    if (headerSize >= 40) {
        const uint16_t bitCount = qFromLittleEndian<uint16_t>(block + 14);
        const uint32_t compression = qFromLittleEndian<uint32_t>(block + 16);
        const uint32_t used = qFromLittleEndian<uint32_t>(block + 32);
        // biClrUsed 0 means a full table for 1, 4 and 8 bits; counting it as no table would
        // point the offset into the colour table. BI_BITFIELDS adds three masks after a
        // 40-byte header.
        const uint64_t colours = (used == 0 && bitCount <= 8) ? (uint64_t(1) << bitCount) : used;
        tableBytes = 4 * colours;
        if (compression == 3 && headerSize == 40)
            tableBytes += 12;
    } else {
        const uint16_t bitCount = qFromLittleEndian<uint16_t>(block + 10); // BITMAPCOREHEADER
        tableBytes = bitCount <= 8 ? 3 * (uint64_t(1) << bitCount) : 0;
    }
    const uint64_t offset = 14 + uint64_t(headerSize) + tableBytes;
    const uint64_t fileSize = 14 + uint64_t(dib.size());
    if (fileSize > std::numeric_limits<uint32_t>::max() || offset > fileSize)
        return {};
    QByteArray file(14, '\0');
    auto* header = reinterpret_cast<uchar*>(file.data());
    header[0] = 'B';
    header[1] = 'M';
    qToLittleEndian<uint32_t>(uint32_t(fileSize), header + 2);
    qToLittleEndian<uint32_t>(uint32_t(offset), header + 10);
    file.append(dib);
    return file;
}
