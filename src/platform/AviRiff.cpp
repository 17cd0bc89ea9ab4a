#include "platform/AviRiff.h"

#include <QIODevice>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kRiff = aviFourCC('R', 'I', 'F', 'F');
constexpr uint32_t kList = aviFourCC('L', 'I', 'S', 'T');
constexpr uint32_t kAviType = aviFourCC('A', 'V', 'I', ' ');
constexpr uint32_t kHdrl = aviFourCC('h', 'd', 'r', 'l');
constexpr uint32_t kStrl = aviFourCC('s', 't', 'r', 'l');
constexpr uint32_t kStrh = aviFourCC('s', 't', 'r', 'h');
constexpr uint32_t kStrf = aviFourCC('s', 't', 'r', 'f');
constexpr uint32_t kAvih = aviFourCC('a', 'v', 'i', 'h');
constexpr uint32_t kMovi = aviFourCC('m', 'o', 'v', 'i');
constexpr uint32_t kRec = aviFourCC('r', 'e', 'c', ' ');
constexpr uint32_t kIdx1 = aviFourCC('i', 'd', 'x', '1');
constexpr int kStreamHeaderFixedSize = 48; // up to and including dwSampleSize
constexpr int kMaxListDepth = 4;

uint16_t le16(const QByteArray& data, int offset)
{
    return offset + 2 <= data.size() ? qFromLittleEndian<uint16_t>(data.constData() + offset) : 0;
}

uint32_t le32(const QByteArray& data, int offset)
{
    return offset + 4 <= data.size() ? qFromLittleEndian<uint32_t>(data.constData() + offset) : 0;
}

// Colour table entries a DIB of this header carries after its header (masks count as 3).
int dibTableEntries(const TAviBitmapHeader& header)
{
    if (header.biBitCount <= 8)
        return 1 << header.biBitCount;
    if (header.biCompression == kBiBitfields)
        return 3;
    return 0;
}

} // namespace

bool aviReadBitmapHeader(const QByteArray& data, TAviBitmapHeader& header)
{
    if (data.size() < 40)
        return false;
    header.biSize = le32(data, 0);
    if (header.biSize < 40 || header.biSize > uint32_t(data.size()))
        return false;
    header.biWidth = int32_t(le32(data, 4));
    header.biHeight = int32_t(le32(data, 8));
    header.biPlanes = le16(data, 12);
    header.biBitCount = le16(data, 14);
    header.biCompression = le32(data, 16);
    header.biSizeImage = le32(data, 20);
    header.biClrUsed = le32(data, 32);
    return true;
}

int64_t aviDibRowSize(int64_t width, int bitCount)
{
    if (width <= 0 || width > kAviMaxSide)
        return -1;
    switch (bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        return (width * bitCount + 31) / 32 * 4;
    default:
        return -1;
    }
}

int64_t aviDibImageSize(int64_t width, int64_t height, int bitCount)
{
    const int64_t row = aviDibRowSize(width, bitCount);
    if (row < 0 || height <= 0 || height > kAviMaxSide || width * height > kAviMaxFramePixels)
        return -1;
    return row * height;
}

int aviColorTableOffset(const TAviBitmapHeader& header)
{
    return int(header.biSize);
}

int aviColorEntriesPresent(const QByteArray& data, const TAviBitmapHeader& header)
{
    const int64_t offset = aviColorTableOffset(header);
    if (offset >= data.size())
        return 0;
    return int((data.size() - offset) / 4);
}

bool aviIsUncompressedFormat(const TAviBitmapHeader& header)
{
    if (header.biCompression == kBiRgb)
        return aviDibRowSize(1, header.biBitCount) > 0;
    if (header.biCompression == kBiBitfields)
        return header.biBitCount == 16 || header.biBitCount == 32;
    return false;
}

QByteArray aviUncompressedFrameDib(const QByteArray& format, const QByteArray& chunk)
{
    TAviBitmapHeader header;
    if (!aviReadBitmapHeader(format, header) || !aviIsUncompressedFormat(header))
        return {};
    const int64_t width = header.biWidth;
    // INT32_MIN has no positive counterpart; the size check below rejects it with the rest.
    const int64_t height = header.biHeight < 0 ? -int64_t(header.biHeight) : int64_t(header.biHeight);
    const int64_t imageSize = aviDibImageSize(width, height, header.biBitCount);
    if (imageSize < 0 || chunk.size() < imageSize)
        return {};

    const int entries = dibTableEntries(header);
    QByteArray dib = aviDibHeader(int(width), int(height), header.biBitCount, header.biCompression,
                               uint32_t(imageSize), header.biBitCount <= 8 ? uint32_t(entries) : 0);
    // Colour table: what the format holds, the rest black.
    QByteArray table(entries * 4, '\0');
    const int present = std::min(entries, aviColorEntriesPresent(format, header));
    if (present > 0)
        std::memcpy(table.data(), format.constData() + aviColorTableOffset(header), size_t(present) * 4);
    if (header.biCompression == kBiBitfields && present < 3) {
        // Masks missing from the format: the standard ones for the bit count.
        const uint32_t masks16[3] = {0xF800, 0x07E0, 0x001F};
        const uint32_t masks32[3] = {0xFF0000, 0x00FF00, 0x0000FF};
        const uint32_t* masks = header.biBitCount == 16 ? masks16 : masks32;
        for (int i = 0; i < 3; ++i)
            qToLittleEndian(masks[i], table.data() + i * 4);
    }
    dib += table;

    const int64_t row = aviDibRowSize(width, header.biBitCount);
    if (header.biHeight > 0) {
        dib.append(chunk.constData(), imageSize);
    } else {
        // Top-down chunk: the packed DIB is always bottom-up.
        const int offset = int(dib.size());
        dib.resize(offset + imageSize);
        for (int64_t y = 0; y < height; ++y)
            std::memcpy(dib.data() + offset + (height - 1 - y) * row, chunk.constData() + y * row,
                        size_t(row));
    }
    return dib;
}

QByteArray aviFrameBitmapFile(const QByteArray& format, const QByteArray& frameDib)
{
    TAviBitmapHeader frame;
    if (!aviReadBitmapHeader(frameDib, frame) || frame.biBitCount == 0)
        return {};
    const int64_t width = frame.biWidth;
    const int64_t height = frame.biHeight < 0 ? -int64_t(frame.biHeight) : int64_t(frame.biHeight);
    const int64_t imageSize = aviDibImageSize(width, height, frame.biBitCount);
    if (imageSize < 0)
        return {};
    // Only uncompressed frames can be wrapped: a decompressor always delivers those.
    if (frame.biCompression != kBiRgb && !(frame.biCompression == kBiBitfields && frame.biBitCount > 8))
        return {};
    const int tableEntries = dibTableEntries(frame);
    const int64_t tableOffset = 40;
    const int64_t pixelOffset = tableOffset + int64_t(tableEntries) * 4;
    // A frame's own header may be longer than 40 bytes; its table follows that header.
    const int64_t sourceTable = frame.biSize;
    const int64_t sourcePixels = sourceTable + int64_t(tableEntries) * 4;
    if (frameDib.size() < sourcePixels + imageSize)
        return {};

    QByteArray file;
    file.reserve(int(14 + pixelOffset + imageSize));
    file.append("BM", 2);
    aviPut32(file, uint32_t(14 + pixelOffset + imageSize));
    aviPut32(file, 0);
    aviPut32(file, uint32_t(14 + pixelOffset));
    file += aviDibHeader(int(width), frame.biHeight, frame.biBitCount, frame.biCompression, uint32_t(imageSize),
                      frame.biBitCount <= 8 ? uint32_t(tableEntries) : 0);
    QByteArray table = frameDib.mid(int(sourceTable), tableEntries * 4);

    // The stream format's colour table replaces the frame's: some decompressors hand back a
    // generic table while the movie's own colours are in the format. biClrUsed comes from the file,
    // so the copy is bounded by the format's real table and the frame's table size.
    TAviBitmapHeader stream;
    if (frame.biBitCount <= 8 && aviReadBitmapHeader(format, stream)) {
        const int64_t count =
            std::min<int64_t>({int64_t(stream.biClrUsed), int64_t(aviColorEntriesPresent(format, stream)),
                               int64_t(tableEntries)});
        if (count > 0)
            std::memcpy(table.data(), format.constData() + aviColorTableOffset(stream), size_t(count) * 4);
    }
    file += table;
    file.append(frameDib.constData() + sourcePixels, imageSize);
    return file;
}

// ---- reader ----------------------------------------------------------------------------------

QByteArray TAviRiffReader::readAt(int64_t offset, int64_t size)
{
    if (offset < 0 || size <= 0 || offset >= m_deviceSize)
        return {};
    size = std::min(size, m_deviceSize - offset);
    if (!m_device->seek(offset))
        return {};
    QByteArray bytes = m_device->read(size);
    return bytes.size() == size ? bytes : QByteArray();
}

bool TAviRiffReader::readChunkHeader(int64_t offset, int64_t end, Chunk& chunk)
{
    if (offset + 8 > end)
        return false;
    const QByteArray head = readAt(offset, 12);
    if (head.size() < 8)
        return false;
    chunk.id = le32(head, 0);
    chunk.data = offset + 8;
    chunk.size = std::min<int64_t>(le32(head, 4), end - chunk.data);
    chunk.listType = 0;
    if (chunk.id == kRiff || chunk.id == kList) {
        if (chunk.size < 4 || head.size() < 12)
            return false;
        chunk.listType = le32(head, 8);
    }
    return true;
}

TAviRiffReader::Status TAviRiffReader::open(QIODevice& device)
{
    *this = TAviRiffReader();
    m_device = &device;
    m_deviceSize = device.size();
    if (device.isSequential() || !device.isReadable())
        return Status::NotAvi;

    Chunk riff;
    if (!readChunkHeader(0, m_deviceSize, riff) || riff.id != kRiff || riff.listType != kAviType)
        return Status::NotAvi;
    const int64_t end = riff.data + riff.size;
    bool haveIndex = false;
    for (int64_t offset = riff.data + 4; offset + 8 <= end;) {
        Chunk chunk;
        if (!readChunkHeader(offset, end, chunk))
            break;
        if (chunk.id == kList && chunk.listType == kHdrl) {
            parseHeaderList(chunk);
        } else if (chunk.id == kList && chunk.listType == kMovi && m_movieStart < 0) {
            m_movieStart = chunk.data;
            m_movieEnd = chunk.data + chunk.size;
        } else if (chunk.id == kIdx1 && !haveIndex && m_haveStream) {
            parseIndex(chunk);
            haveIndex = !m_index.empty();
        }
        offset = chunk.data + chunk.size + (chunk.size & 1);
    }

    if (m_badInfo)
        return Status::BadStreamInfo;
    if (!m_haveStream)
        return Status::NoVideoStream;
    if (!m_haveFormat)
        return Status::NoFormat;
    if (!aviReadBitmapHeader(m_format, m_header))
        return Status::BadFormat;
    const int64_t height = m_header.biHeight < 0 ? -int64_t(m_header.biHeight) : int64_t(m_header.biHeight);
    if (m_header.biWidth <= 0 || m_header.biWidth > kAviMaxSide || height <= 0 || height > kAviMaxSide ||
        int64_t(m_header.biWidth) * height > kAviMaxFramePixels)
        return Status::BadFormat;
    // An uncompressed picture of a bit count no bitmap has.
    if (m_header.biCompression == kBiRgb && aviDibRowSize(1, m_header.biBitCount) < 0)
        return Status::BadFormat;
    if (!haveIndex && m_movieStart >= 0)
        scanMovie(m_movieStart + 4, m_movieEnd, 0);
    return Status::Ok;
}

void TAviRiffReader::parseHeaderList(const Chunk& hdrl)
{
    const int64_t end = hdrl.data + hdrl.size;
    for (int64_t offset = hdrl.data + 4; offset + 8 <= end;) {
        Chunk chunk;
        if (!readChunkHeader(offset, end, chunk))
            break;
        if (chunk.id == kList && chunk.listType == kStrl) {
            const int number = m_streamCount++;
            if (m_streamNumber < 0 && parseStreamList(chunk))
                m_streamNumber = number;
        }
        offset = chunk.data + chunk.size + (chunk.size & 1);
    }
}

bool TAviRiffReader::parseStreamList(const Chunk& strl)
{
    const int64_t end = strl.data + strl.size;
    bool isVideo = false;
    for (int64_t offset = strl.data + 4; offset + 8 <= end;) {
        Chunk chunk;
        if (!readChunkHeader(offset, end, chunk))
            break;
        if (chunk.id == kStrh && !isVideo) {
            const QByteArray h = readAt(chunk.data, std::min<int64_t>(chunk.size, 64));
            if (le32(h, 0) != kAviStreamTypeVideo)
                return false;
            isVideo = true;
            if (h.size() < kStreamHeaderFixedSize) {
                m_badInfo = true;
                return true;
            }
            m_info.fccType = le32(h, 0);
            m_info.fccHandler = le32(h, 4);
            m_info.dwFlags = le32(h, 8);
            m_info.wPriority = le16(h, 12);
            m_info.wLanguage = le16(h, 14);
            m_info.dwInitialFrames = le32(h, 16);
            m_info.dwScale = le32(h, 20);
            m_info.dwRate = le32(h, 24);
            m_info.dwStart = le32(h, 28);
            m_info.dwLength = le32(h, 32);
            m_info.dwSuggestedBufferSize = le32(h, 36);
            m_info.dwQuality = le32(h, 40);
            m_info.dwSampleSize = le32(h, 44);
            if (h.size() >= 56) {
                const int16_t left = int16_t(le16(h, 48)), top = int16_t(le16(h, 50));
                const int16_t right = int16_t(le16(h, 52)), bottom = int16_t(le16(h, 54));
                m_info.rcFrame = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
            }
            m_haveStream = true;
        } else if (chunk.id == kStrf && isVideo && !m_haveFormat) {
            // A format larger than a bitmap header and a full colour table plus codec data is
            // not a video format: the rest is ignored.
            m_format = readAt(chunk.data, std::min<int64_t>(chunk.size, 1 << 20));
            m_haveFormat = true;
        }
        offset = chunk.data + chunk.size + (chunk.size & 1);
    }
    return isVideo;
}

bool TAviRiffReader::isVideoChunkId(uint32_t id) const
{
    const char c0 = char(id & 0xFF), c1 = char((id >> 8) & 0xFF);
    const char c2 = char((id >> 16) & 0xFF), c3 = char((id >> 24) & 0xFF);
    if (c0 < '0' || c0 > '9' || c1 < '0' || c1 > '9')
        return false;
    if ((c0 - '0') * 10 + (c1 - '0') != m_streamNumber)
        return false;
    // "db" uncompressed, "dc" compressed; "pc" palette changes and others are not frames.
    return c2 == 'd' && (c3 == 'b' || c3 == 'c');
}

void TAviRiffReader::parseIndex(const Chunk& idx1)
{
    const int64_t count = idx1.size / 16;
    if (count <= 0 || m_movieStart < 0)
        return;
    // Offsets count from the "movi" list type in most files and from the file start in some;
    // the first video entry tells which.
    int64_t base = -1;
    constexpr int64_t kBatch = 4096;
    std::vector<TAviIndexEntry> entries;
    for (int64_t first = 0; first < count && int(entries.size()) < kAviMaxIndexEntries; first += kBatch) {
        const int64_t n = std::min(kBatch, count - first);
        const QByteArray block = readAt(idx1.data + first * 16, n * 16);
        if (block.size() < n * 16)
            break;
        for (int64_t i = 0; i < n && int(entries.size()) < kAviMaxIndexEntries; ++i) {
            const int at = int(i * 16);
            const uint32_t id = le32(block, at);
            if (!isVideoChunkId(id))
                continue;
            const uint32_t flags = le32(block, at + 4);
            const int64_t offset = le32(block, at + 8);
            const int64_t length = le32(block, at + 12);
            if (base < 0) {
                for (const int64_t candidate : {m_movieStart, int64_t(0)}) {
                    if (le32(readAt(candidate + offset, 4), 0) == id) {
                        base = candidate;
                        break;
                    }
                }
                if (base < 0)
                    return; // an index that points nowhere: the movie list is scanned instead
            }
            TAviIndexEntry entry;
            entry.offset = base + offset + 8;
            if (entry.offset < 8 || entry.offset > m_deviceSize)
                continue;
            entry.size = uint32_t(std::min(length, m_deviceSize - entry.offset));
            entry.keyFrame = (flags & kAviKeyFrame) != 0;
            entries.push_back(entry);
        }
    }
    m_index = std::move(entries);
}

void TAviRiffReader::scanMovie(int64_t begin, int64_t end, int depth)
{
    for (int64_t offset = begin; offset + 8 <= end && int(m_index.size()) < kAviMaxIndexEntries;) {
        Chunk chunk;
        if (!readChunkHeader(offset, end, chunk))
            break;
        if (chunk.id == kList && chunk.listType == kRec && depth < kMaxListDepth) {
            scanMovie(chunk.data + 4, chunk.data + chunk.size, depth + 1);
        } else if (isVideoChunkId(chunk.id)) {
            TAviIndexEntry entry;
            entry.offset = chunk.data;
            entry.size = uint32_t(chunk.size);
            // Without an index nothing says which frames are key frames; decoding starts at
            // the first and runs forward, which every codec accepts.
            entry.keyFrame = m_index.empty();
            m_index.push_back(entry);
        }
        offset = chunk.data + chunk.size + (chunk.size & 1);
    }
}

QByteArray TAviRiffReader::readChunk(const TAviIndexEntry& entry)
{
    if (!m_device || entry.size == 0)
        return {};
    return readAt(entry.offset, entry.size);
}

// ---- writer ----------------------------------------------------------------------------------

int64_t TAviRiffWriter::predictedSize(int64_t formatBytes, int64_t frameBytes, int64_t frameCount)
{
    const int64_t headers = 12 + 12 + (8 + 56) + 12 + (8 + 56) + (8 + formatBytes + (formatBytes & 1)) + 12;
    const int64_t frames = frameCount * (8 + frameBytes + (frameBytes & 1));
    const int64_t index = 8 + frameCount * 16;
    return headers + frames + index;
}

bool TAviRiffWriter::put(const QByteArray& bytes)
{
    if (!m_ok)
        return false;
    m_ok = m_device.write(bytes) == bytes.size();
    return m_ok;
}

bool TAviRiffWriter::putChunk(uint32_t id, const QByteArray& data)
{
    QByteArray head;
    aviPut32(head, id);
    aviPut32(head, uint32_t(data.size()));
    if (!put(head) || !put(data))
        return false;
    return (data.size() & 1) == 0 || put(QByteArray(1, '\0'));
}

bool TAviRiffWriter::patch32(int64_t offset, uint32_t value)
{
    if (!m_ok)
        return false;
    const int64_t here = m_device.pos();
    QByteArray bytes;
    aviPut32(bytes, value);
    m_ok = m_device.seek(offset) && m_device.write(bytes) == 4 && m_device.seek(here);
    return m_ok;
}

bool TAviRiffWriter::begin(const TAviStreamInfo& info, const QByteArray& format, int64_t frameBytes,
                           int frameCount)
{
    m_info = info;
    m_entries.clear();
    m_nextPosition = 0;
    if (frameCount < 0 || frameBytes < 0 ||
        predictedSize(format.size(), frameBytes, frameCount) >= kAviMaxFileSize || m_device.isSequential()) {
        m_ok = false;
        return false;
    }
    m_ok = true;
    const int width = info.rcFrame.width(), height = info.rcFrame.height();

    QByteArray avih;
    const uint32_t microSeconds =
        info.dwRate
            ? uint32_t(std::min<uint64_t>(uint64_t(info.dwScale) * 1000000u / info.dwRate, 0xFFFFFFFFu))
            : 0;
    aviPut32(avih, microSeconds);
    aviPut32(avih, 0);    // dwMaxBytesPerSec
    aviPut32(avih, 0);    // dwPaddingGranularity
    aviPut32(avih, 0x10); // AVIF_HASINDEX
    aviPut32(avih, 0);    // dwTotalFrames, fixed up by finish()
    aviPut32(avih, 0);    // dwInitialFrames
    aviPut32(avih, 1);    // dwStreams
    aviPut32(avih, info.dwSuggestedBufferSize);
    aviPut32(avih, uint32_t(width));
    aviPut32(avih, uint32_t(height));
    avih.append(16, '\0');

    QByteArray strh;
    aviPut32(strh, info.fccType);
    aviPut32(strh, info.fccHandler);
    aviPut32(strh, info.dwFlags);
    aviPut16(strh, info.wPriority);
    aviPut16(strh, info.wLanguage);
    aviPut32(strh, info.dwInitialFrames);
    aviPut32(strh, info.dwScale);
    aviPut32(strh, info.dwRate);
    aviPut32(strh, info.dwStart);
    aviPut32(strh, 0); // dwLength, fixed up by finish()
    aviPut32(strh, info.dwSuggestedBufferSize);
    aviPut32(strh, info.dwQuality);
    aviPut32(strh, info.dwSampleSize);
    aviPut16(strh, uint16_t(info.rcFrame.left()));
    aviPut16(strh, uint16_t(info.rcFrame.top()));
    aviPut16(strh, uint16_t(info.rcFrame.left() + width));
    aviPut16(strh, uint16_t(info.rcFrame.top() + height));

    const int64_t strfSize = 8 + format.size() + (format.size() & 1);
    const int64_t strlSize = 4 + (8 + 56) + strfSize;
    const int64_t hdrlSize = 4 + (8 + 56) + 8 + strlSize;

    QByteArray head;
    aviPut32(head, aviFourCC('R', 'I', 'F', 'F'));
    m_riffSizeAt = m_device.pos() + 4;
    aviPut32(head, 0);
    aviPut32(head, kAviType);
    aviPut32(head, kList);
    aviPut32(head, uint32_t(hdrlSize));
    aviPut32(head, kHdrl);
    if (!put(head))
        return false;
    m_totalFramesAt = m_device.pos() + 8 + 16;
    if (!putChunk(kAvih, avih))
        return false;
    QByteArray strl;
    aviPut32(strl, kList);
    aviPut32(strl, uint32_t(strlSize));
    aviPut32(strl, kStrl);
    if (!put(strl))
        return false;
    m_lengthAt = m_device.pos() + 8 + 32;
    if (!putChunk(kStrh, strh) || !putChunk(kStrf, format))
        return false;
    QByteArray movi;
    aviPut32(movi, kList);
    m_movieSizeAt = m_device.pos() + 4;
    aviPut32(movi, 0);
    aviPut32(movi, kMovi);
    if (!put(movi))
        return false;
    m_movieType = m_movieSizeAt + 4;
    return true;
}

bool TAviRiffWriter::writeFrame(int64_t position, const QByteArray& pixels, bool keyFrame)
{
    if (!m_ok || position < m_nextPosition)
        return false;
    constexpr uint32_t kFrameId = aviFourCC('0', '0', 'd', 'b');
    // Positions left out become empty chunks, the file's way of saying "no new picture here".
    while (m_nextPosition < position) {
        m_entries.push_back({0, uint32_t(m_device.pos() - m_movieType), 0});
        if (!putChunk(kFrameId, {}))
            return false;
        ++m_nextPosition;
    }
    if (m_device.pos() - m_movieType + 8 + pixels.size() + 16 * (int64_t(m_entries.size()) + 1) >=
        kAviMaxFileSize) {
        m_ok = false;
        return false;
    }
    m_entries.push_back(
        {keyFrame ? kAviKeyFrame : 0, uint32_t(m_device.pos() - m_movieType), uint32_t(pixels.size())});
    ++m_nextPosition;
    return putChunk(kFrameId, pixels);
}

bool TAviRiffWriter::finish()
{
    if (!m_ok)
        return false;
    const int64_t movieEnd = m_device.pos();
    QByteArray index;
    index.reserve(int(8 + m_entries.size() * 16));
    aviPut32(index, kIdx1);
    aviPut32(index, uint32_t(m_entries.size() * 16));
    for (const Entry& entry : m_entries) {
        aviPut32(index, aviFourCC('0', '0', 'd', 'b'));
        aviPut32(index, entry.flags);
        aviPut32(index, entry.offset);
        aviPut32(index, entry.size);
    }
    if (!put(index))
        return false;
    const int64_t fileEnd = m_device.pos();
    const uint32_t frames = uint32_t(m_entries.size());
    return patch32(m_riffSizeAt, uint32_t(fileEnd - m_riffSizeAt - 4)) &&
           patch32(m_movieSizeAt, uint32_t(movieEnd - m_movieSizeAt - 4)) &&
           patch32(m_totalFramesAt, frames) && patch32(m_lengthAt, frames);
}

void aviPut16(QByteArray& data, uint16_t value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    data.append(bytes, 2);
}

void aviPut32(QByteArray& data, uint32_t value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    data.append(bytes, 4);
}

QByteArray aviDibHeader(int width, int height, int bitCount, uint32_t compression, uint32_t imageSize,
                        uint32_t colorsUsed)
{
    QByteArray header;
    header.reserve(40);
    aviPut32(header, 40);
    aviPut32(header, uint32_t(width));
    aviPut32(header, uint32_t(height));
    aviPut16(header, 1);
    aviPut16(header, uint16_t(bitCount));
    aviPut32(header, compression);
    aviPut32(header, imageSize);
    aviPut32(header, 0);
    aviPut32(header, 0);
    aviPut32(header, colorsUsed);
    aviPut32(header, 0);
    return header;
}
