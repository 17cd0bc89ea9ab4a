#pragma once
// The RIFF side of AVI files: reading the headers, the stream format and the chunk index of the
// first video stream, writing an uncompressed single-stream movie, and turning uncompressed frame
// chunks into packed DIBs. QtCore only, so the fuzz targets link it without the rest of the
// platform layer. Decoding compressed frames lives in AviFile.cpp (FFmpeg).
//
// Every size read from a file is untrusted: chunk sizes are bounded by the enclosing chunk and the
// device, picture sizes are computed from width, height and bit count (never taken from
// biSizeImage or dwLength), and nothing is allocated from an unchecked header field.
//
// One thread at a time per object.
#include <QByteArray>
#include <QRect>
#include <QString>

#include <cstdint>
#include <vector>

class QIODevice;

constexpr uint32_t aviFourCC(char a, char b, char c, char d)
{
    return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 |
           uint32_t(uint8_t(d)) << 24;
}

inline constexpr uint32_t kAviStreamTypeVideo = aviFourCC('v', 'i', 'd', 's');
inline constexpr uint32_t kAviKeyFrame = 0x10; // AVIIF_KEYFRAME
inline constexpr uint32_t kBiRgb = 0;
inline constexpr uint32_t kBiRle8 = 1;
inline constexpr uint32_t kBiRle4 = 2;
inline constexpr uint32_t kBiBitfields = 3;
// Largest picture the AVI layer hands on (the bitmap class's pixel limit) and largest side.
inline constexpr int64_t kAviMaxFramePixels = int64_t(1) << 28;
inline constexpr int kAviMaxSide = 65535;
// The writer refuses movies of this size or more: an AVI 1.0 file without the OpenDML extension
// must stay below 1 GB for common players.
inline constexpr int64_t kAviMaxFileSize = int64_t(1) << 30;
// Index entries kept for the video stream; the rest of a longer stream is not read.
inline constexpr int kAviMaxIndexEntries = 1 << 20;

// The stream information record of the platform's AVI services (AVISTREAMINFO), as far as the
// file's stream header holds it.
struct TAviStreamInfo
{
    uint32_t fccType = 0;
    uint32_t fccHandler = 0;
    uint32_t dwFlags = 0;
    uint16_t wPriority = 0;
    uint16_t wLanguage = 0;
    uint32_t dwScale = 0;
    uint32_t dwRate = 0;
    uint32_t dwStart = 0;
    uint32_t dwLength = 0;
    uint32_t dwInitialFrames = 0;
    uint32_t dwSuggestedBufferSize = 0;
    uint32_t dwQuality = 0;
    uint32_t dwSampleSize = 0;
    QRect rcFrame;
};

// The fields of a BITMAPINFOHEADER that the AVI code looks at.
struct TAviBitmapHeader
{
    uint32_t biSize = 0;
    int32_t biWidth = 0;
    int32_t biHeight = 0; // negative: rows stored top-down
    uint16_t biPlanes = 0;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    uint32_t biClrUsed = 0;
};

// Little-endian fields appended to a RIFF chunk or bitmap being built.
void aviPut16(QByteArray& data, uint16_t value);
void aviPut32(QByteArray& data, uint32_t value);
// The 40-byte BITMAPINFOHEADER of a packed DIB (one plane, no resolution, all colours important).
QByteArray aviDibHeader(int width, int height, int bitCount, uint32_t compression, uint32_t imageSize,
                        uint32_t colorsUsed);

// Reads the 40-byte header at the start of a stream format or packed DIB; false when it is shorter
// than 40 bytes or its biSize is below 40 or past the data.
bool aviReadBitmapHeader(const QByteArray& data, TAviBitmapHeader& header);
// Bytes of one DIB row (padded to 32 bits) and of all rows of an uncompressed picture; -1 when the
// width, height or bit count is not usable (zero, negative, beyond the limits above, or a bit
// count other than 1, 4, 8, 16, 24, 32).
int64_t aviDibRowSize(int64_t width, int bitCount);
int64_t aviDibImageSize(int64_t width, int64_t height, int bitCount);

// Where the colour table of a stream format or packed DIB starts and how many 4-byte entries the
// data really holds there (not what biClrUsed claims).
int aviColorTableOffset(const TAviBitmapHeader& header);
int aviColorEntriesPresent(const QByteArray& data, const TAviBitmapHeader& header);

// An uncompressed frame chunk (BI_RGB of 1, 4, 8, 16, 24 or 32 bits, or BI_BITFIELDS of 16 or 32)
// as a packed DIB: a 40-byte header with a positive height (top-down chunks are flipped), the
// colour table (2^bits entries from the format, missing entries black; three masks for
// bit fields, taken from the format or the standard ones) and the rows. Empty when the format is
// not uncompressed or the chunk is shorter than the picture.
QByteArray aviUncompressedFrameDib(const QByteArray& format, const QByteArray& chunk);
// True for the formats aviUncompressedFrameDib handles.
bool aviIsUncompressedFormat(const TAviBitmapHeader& header);

// The decompressed frame made ready for the bitmap loader: the stream format's colour table
// (biClrUsed entries, bounded by what the format and the frame really hold) is copied over the
// frame's, then the frame is wrapped in a 14-byte "BM" file header. Sizes come from width,
// height and bit count. Empty when the frame is not a usable packed DIB.
QByteArray aviFrameBitmapFile(const QByteArray& format, const QByteArray& frameDib);

// One chunk of the video stream in the file.
struct TAviIndexEntry
{
    int64_t offset = 0; // of the chunk's data
    uint32_t size = 0;  // bounded by the file
    bool keyFrame = false;
};

// Reads the headers, the first video stream's format and its chunk index from a random-access
// device. Chunks that run past their enclosing chunk or the device are cut at that end (files cut
// short in copying still show the frames they hold).
class TAviRiffReader
{
public:
    enum class Status
    {
        Ok,
        NotAvi,        // no RIFF "AVI " file (or unreadable)
        NoVideoStream, // no stream header of type "vids"
        BadStreamInfo, // stream header shorter than its fixed part
        NoFormat,      // no stream format chunk
        BadFormat,     // format shorter than a bitmap header, or an unusable picture size
    };

    Status open(QIODevice& device);

    const TAviStreamInfo& streamInfo() const { return m_info; }
    const QByteArray& format() const { return m_format; }
    const TAviBitmapHeader& bitmapHeader() const { return m_header; }
    // Chunks of the video stream in stream order (from the index, else from the movie list).
    const std::vector<TAviIndexEntry>& index() const { return m_index; }
    int streamNumber() const { return m_streamNumber; }
    // The chunk's bytes; empty when it cannot be read.
    QByteArray readChunk(const TAviIndexEntry& entry);

private:
    struct Chunk
    {
        uint32_t id = 0;
        int64_t data = 0; // offset of the data
        int64_t size = 0; // bounded data size
        uint32_t listType = 0;
    };
    bool readChunkHeader(int64_t offset, int64_t end, Chunk& chunk);
    void parseHeaderList(const Chunk& hdrl);
    bool parseStreamList(const Chunk& strl);
    void parseIndex(const Chunk& idx1);
    void scanMovie(int64_t begin, int64_t end, int depth);
    bool isVideoChunkId(uint32_t id) const;
    QByteArray readAt(int64_t offset, int64_t size);

    QIODevice* m_device = nullptr;
    int64_t m_deviceSize = 0;
    TAviStreamInfo m_info;
    TAviBitmapHeader m_header;
    QByteArray m_format;
    bool m_haveStream = false;
    bool m_haveFormat = false;
    bool m_badInfo = false;
    int m_streamCount = 0;
    int m_streamNumber = -1;
    int64_t m_movieStart = -1; // offset of the "movi" list type
    int64_t m_movieEnd = -1;
    std::vector<TAviIndexEntry> m_index;
};

// Writes one uncompressed video stream: the main header, the stream header and format, a movie
// list of "00db" chunks and an idx1 index. Frames are written in position order; positions left
// out get empty chunks so that later frames keep their numbers. The device must be seekable.
class TAviRiffWriter
{
public:
    explicit TAviRiffWriter(QIODevice& device) : m_device(device) {}

    // Writes the headers; the sizes in them are fixed up by finish(). frameBytes is the size of
    // every written frame, frameCount the number of positions; false when the movie would reach
    // kAviMaxFileSize or the device refuses the write.
    bool begin(const TAviStreamInfo& info, const QByteArray& format, int64_t frameBytes, int frameCount);
    // Writes the frame at position (>= every earlier position); false on a write error.
    bool writeFrame(int64_t position, const QByteArray& pixels, bool keyFrame);
    // Writes the index and fixes the header sizes; false on a write error.
    bool finish();

    // Size of the movie for that many frames of frameBytes each.
    static int64_t predictedSize(int64_t formatBytes, int64_t frameBytes, int64_t frameCount);

private:
    bool put(const QByteArray& bytes);
    bool putChunk(uint32_t id, const QByteArray& data);
    bool patch32(int64_t offset, uint32_t value);

    struct Entry
    {
        uint32_t flags;
        uint32_t offset;
        uint32_t size;
    };
    QIODevice& m_device;
    TAviStreamInfo m_info;
    std::vector<Entry> m_entries;
    int64_t m_riffSizeAt = 0;
    int64_t m_movieSizeAt = 0;
    int64_t m_movieType = 0;
    int64_t m_totalFramesAt = 0;
    int64_t m_lengthAt = 0;
    int64_t m_nextPosition = 0;
    bool m_ok = false;
};
