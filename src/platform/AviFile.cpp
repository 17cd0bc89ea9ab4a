#include "platform/AviFile.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace {

struct CodecContextDeleter
{
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameDeleter
{
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketDeleter
{
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct SwsDeleter
{
    void operator()(SwsContext* context) const { sws_freeContext(context); }
};

int64_t absHeight(int32_t height)
{
    return height < 0 ? -int64_t(height) : int64_t(height);
}

} // namespace

struct TAviFile::Reading
{
    QFile file;
    TAviRiffReader riff;
    TAviRiffReader::Status status = TAviRiffReader::Status::NotAvi;
    bool haveStream = false;
    bool streaming = false;
    bool uncompressed = false;
    std::unique_ptr<AVCodecContext, CodecContextDeleter> codec;
    std::unique_ptr<AVFrame, FrameDeleter> frame;
    std::unique_ptr<AVPacket, PacketDeleter> packet;
    std::unique_ptr<SwsContext, SwsDeleter> scaler;
    int64_t nextPacket = 0; // index entry the decoder gets next
    int64_t lastIndex = -1; // index entry of the picture in lastDib
    int64_t lastPts = -1;   // stamp of the last picture the decoder delivered
    QByteArray lastDib;
    bool paletteSent = false;

    QByteArray decodeUncompressed(int64_t index);
    QByteArray decodeCompressed(int64_t index);
    QByteArray frameToDib(const AVFrame& picture);
    bool sendPacket(int64_t index);
    void restartAt(int64_t index);
};

TAviFile::TAviFile() = default;
TAviFile::~TAviFile() = default;

bool TAviFile::openRead(const QString& path)
{
    m_read = std::make_unique<Reading>();
    m_read->file.setFileName(path);
    if (!m_read->file.open(QIODevice::ReadOnly)) {
        m_read.reset();
        return false;
    }
    m_read->status = m_read->riff.open(m_read->file);
    if (m_read->status == TAviRiffReader::Status::NotAvi) {
        m_read.reset();
        return false;
    }
    return true;
}

bool TAviFile::getVideoStream()
{
    if (!m_read || m_read->riff.streamNumber() < 0)
        return false;
    m_read->haveStream = true;
    return true;
}

bool TAviFile::streamInfo(TAviStreamInfo& info) const
{
    if (!m_read || !m_read->haveStream || m_read->status == TAviRiffReader::Status::BadStreamInfo)
        return false;
    info = m_read->riff.streamInfo();
    return true;
}

bool TAviFile::readFormatSize(int64_t& size) const
{
    using Status = TAviRiffReader::Status;
    if (!m_read || !m_read->haveStream || m_read->status == Status::BadStreamInfo ||
        m_read->status == Status::NoFormat || m_read->riff.format().isEmpty())
        return false;
    size = m_read->riff.format().size();
    return true;
}

bool TAviFile::readFormat(QByteArray& format) const
{
    // The reader has checked the picture size and bit count of a format it accepts.
    if (!m_read || !m_read->haveStream || m_read->status != TAviRiffReader::Status::Ok)
        return false;
    format = m_read->riff.format();
    return true;
}

bool TAviFile::beginStreaming()
{
    if (!m_read || !m_read->haveStream || m_read->status != TAviRiffReader::Status::Ok)
        return false;
    m_read->streaming = true;
    return true;
}

int64_t TAviFile::framesPresent() const
{
    return m_read ? int64_t(m_read->riff.index().size()) : 0;
}

bool TAviFile::getFrameOpen()
{
    if (!m_read || !m_read->streaming)
        return false;
    Reading& r = *m_read;
    const QByteArray& format = r.riff.format();
    TAviBitmapHeader header;
    if (!aviReadBitmapHeader(format, header))
        return false;
    if (aviIsUncompressedFormat(header)) {
        r.uncompressed = true;
        return true;
    }

    // The codec: the format's compression code, else the stream's handler, through FFmpeg's table
    // of AVI codec tags.
    const AVCodecTag* const tags[] = {avformat_get_riff_video_tags(), nullptr};
    uint32_t tag = header.biCompression;
    AVCodecID id = av_codec_get_id(tags, tag);
    if (id == AV_CODEC_ID_NONE && r.riff.streamInfo().fccHandler != 0) {
        tag = r.riff.streamInfo().fccHandler;
        id = av_codec_get_id(tags, tag);
    }
    const AVCodec* decoder = id == AV_CODEC_ID_NONE ? nullptr : avcodec_find_decoder(id);
    if (!decoder)
        return false;
    r.codec.reset(avcodec_alloc_context3(decoder));
    r.frame.reset(av_frame_alloc());
    r.packet.reset(av_packet_alloc());
    if (!r.codec || !r.frame || !r.packet)
        return false;
    AVCodecContext& c = *r.codec;
    c.width = header.biWidth;
    c.height = int(absHeight(header.biHeight));
    c.codec_tag = tag;
    c.bits_per_coded_sample = header.biBitCount;
    c.thread_count = 1;
    c.max_pixels = kAviMaxFramePixels;
    // Codec data follows the 40-byte header in the format (the colour table for palette codecs).
    const int extra = int(format.size()) - int(header.biSize);
    if (extra > 0) {
        c.extradata = static_cast<uint8_t*>(av_mallocz(size_t(extra) + AV_INPUT_BUFFER_PADDING_SIZE));
        if (!c.extradata)
            return false;
        std::memcpy(c.extradata, format.constData() + header.biSize, size_t(extra));
        c.extradata_size = extra;
    }
    if (avcodec_open2(&c, decoder, nullptr) < 0) {
        r.codec.reset();
        return false;
    }
    return true;
}

QByteArray TAviFile::getFrame(int64_t position)
{
    if (!m_read || !m_read->streaming || (!m_read->uncompressed && !m_read->codec))
        return {};
    Reading& r = *m_read;
    const int64_t index = position - int64_t(r.riff.streamInfo().dwStart);
    const auto& entries = r.riff.index();
    if (index < 0 || index >= int64_t(entries.size()))
        return {};
    // An empty chunk repeats the picture before it.
    int64_t shown = index;
    if (r.lastIndex >= 0 && r.lastIndex < index) {
        int64_t j = index;
        while (j > r.lastIndex && entries[size_t(j)].size == 0)
            --j;
        shown = j;
    } else {
        while (shown > 0 && entries[size_t(shown)].size == 0)
            --shown;
    }
    if (entries[size_t(shown)].size == 0)
        return {};
    if (shown == r.lastIndex)
        return r.lastDib;
    QByteArray dib = r.uncompressed ? r.decodeUncompressed(shown) : r.decodeCompressed(shown);
    if (!dib.isEmpty()) {
        r.lastIndex = shown;
        r.lastDib = dib;
    }
    return dib;
}

QByteArray TAviFile::Reading::decodeUncompressed(int64_t index)
{
    const QByteArray chunk = riff.readChunk(riff.index()[size_t(index)]);
    return aviUncompressedFrameDib(riff.format(), chunk);
}

void TAviFile::Reading::restartAt(int64_t index)
{
    const auto& entries = riff.index();
    int64_t key = index;
    while (key > 0 && !entries[size_t(key)].keyFrame)
        --key;
    avcodec_flush_buffers(codec.get());
    nextPacket = key;
    lastPts = -1;
}

bool TAviFile::Reading::sendPacket(int64_t index)
{
    const QByteArray chunk = riff.readChunk(riff.index()[size_t(index)]);
    if (chunk.isEmpty())
        return true; // a dropped frame: nothing for the decoder
    av_packet_unref(packet.get());
    if (av_new_packet(packet.get(), int(chunk.size())) < 0)
        return false;
    std::memcpy(packet->data, chunk.constData(), size_t(chunk.size()));
    packet->pts = packet->dts = index;
    if (riff.index()[size_t(index)].keyFrame)
        packet->flags |= AV_PKT_FLAG_KEY;
    // Palette codecs take the movie's colours with the first packet, as the demuxer would pass them.
    TAviBitmapHeader header;
    if (!paletteSent && aviReadBitmapHeader(riff.format(), header) && header.biBitCount <= 8) {
        const int present = std::min(aviColorEntriesPresent(riff.format(), header), 256);
        if (present > 0) {
            uint8_t* palette = av_packet_new_side_data(packet.get(), AV_PKT_DATA_PALETTE, AVPALETTE_SIZE);
            if (palette) {
                std::memset(palette, 0, AVPALETTE_SIZE);
                for (int i = 0; i < present; ++i) {
                    const uint32_t bgr = qFromLittleEndian<uint32_t>(riff.format().constData() +
                                                                     aviColorTableOffset(header) + i * 4);
                    const uint32_t argb = 0xFF000000u | (bgr & 0xFFFFFFu);
                    std::memcpy(palette + i * 4, &argb, 4);
                }
            }
        }
        paletteSent = true;
    }
    const int status = avcodec_send_packet(codec.get(), packet.get());
    av_packet_unref(packet.get());
    // A damaged packet is passed over: the decoder recovers at a later one, and only the picture
    // asked for has to come out.
    return status >= 0 || status == AVERROR_INVALIDDATA;
}

QByteArray TAviFile::Reading::decodeCompressed(int64_t index)
{
    if ((lastIndex >= 0 && index < lastIndex) || (lastIndex < 0 && nextPacket == 0))
        restartAt(index);
    else if (lastPts >= index)
        return lastDib; // the decoder skipped the picture asked for and is already past it
    const int64_t count = int64_t(riff.index().size());
    bool draining = false;
    for (;;) {
        const int status = avcodec_receive_frame(codec.get(), frame.get());
        if (status == 0) {
            int64_t pts = frame->pts != AV_NOPTS_VALUE ? frame->pts : frame->best_effort_timestamp;
            if (pts == AV_NOPTS_VALUE)
                pts = index;
            if (pts >= index) {
                QByteArray dib = frameToDib(*frame);
                av_frame_unref(frame.get());
                lastPts = pts;
                return dib;
            }
            av_frame_unref(frame.get());
            continue;
        }
        if (status == AVERROR_EOF)
            return {};
        if (status != AVERROR(EAGAIN))
            return {};
        if (draining)
            return {};
        if (nextPacket < count) {
            if (!sendPacket(nextPacket++))
                return {};
        } else {
            // Out of packets: the decoder hands out what it still holds, then needs a restart.
            avcodec_send_packet(codec.get(), nullptr);
            draining = true;
            nextPacket = count + 1;
        }
    }
}

QByteArray TAviFile::Reading::frameToDib(const AVFrame& picture)
{
    const int width = picture.width, height = picture.height;
    if (width <= 0 || height <= 0)
        return {};
    const bool palette = picture.format == AV_PIX_FMT_PAL8;
    const int bits = palette ? 8 : 24;
    const int64_t imageSize = aviDibImageSize(width, height, bits);
    if (imageSize < 0)
        return {};
    const int64_t row = aviDibRowSize(width, bits);
    QByteArray dib = aviDibHeader(width, height, bits, kBiRgb, uint32_t(imageSize), palette ? 256 : 0);
    if (palette) {
        const auto* colors = reinterpret_cast<const uint32_t*>(picture.data[1]);
        for (int i = 0; i < 256; ++i)
            aviPut32(dib, colors ? (colors[i] & 0xFFFFFFu) : 0);
        const int offset = int(dib.size());
        dib.resize(int(offset + imageSize));
        for (int y = 0; y < height; ++y)
            std::memcpy(dib.data() + offset + int64_t(height - 1 - y) * row,
                        picture.data[0] + int64_t(y) * picture.linesize[0], size_t(width));
        return dib;
    }
    scaler.reset(sws_getCachedContext(scaler.release(), width, height, AVPixelFormat(picture.format), width,
                                      height, AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!scaler)
        return {};
    const int offset = int(dib.size());
    dib.resize(int(offset + imageSize));
    // Bottom-up rows: start at the last row and step backwards.
    uint8_t* last = reinterpret_cast<uint8_t*>(dib.data()) + offset + (height - 1) * row;
    uint8_t* planes[4] = {last, nullptr, nullptr, nullptr};
    int strides[4] = {-int(row), 0, 0, 0};
    if (sws_scale(scaler.get(), picture.data, picture.linesize, 0, height, planes, strides) != height)
        return {};
    return dib;
}

// ---- writing ----

struct TAviFile::Writing
{
    QSaveFile file;
    std::unique_ptr<TAviRiffWriter> writer;
    TAviStreamInfo info;
    int64_t frameBytes = 0;
    int frameCount = 0;
    bool haveStream = false;
    bool haveFormat = false;
};

bool TAviFile::createFile(const QString& path)
{
    m_write = std::make_unique<Writing>();
    m_write->file.setFileName(path);
    if (!m_write->file.open(QIODevice::WriteOnly)) {
        m_write.reset();
        return false;
    }
    return true;
}

bool TAviFile::createStream(const TAviStreamInfo& info, int64_t frameBytes, int frameCount)
{
    if (!m_write || m_write->haveStream)
        return false;
    // An 8-bit format is at most a header and 256 colours.
    if (frameBytes < 0 || frameCount < 0 ||
        TAviRiffWriter::predictedSize(40 + 1024, frameBytes, frameCount) >= kAviMaxFileSize)
        return false;
    m_write->info = info;
    m_write->frameBytes = frameBytes;
    m_write->frameCount = frameCount;
    m_write->haveStream = true;
    return true;
}

bool TAviFile::setFormat(const QByteArray& bitmapInfo)
{
    if (!m_write || !m_write->haveStream || m_write->haveFormat)
        return false;
    TAviBitmapHeader header;
    if (!aviReadBitmapHeader(bitmapInfo, header))
        return false;
    m_write->writer = std::make_unique<TAviRiffWriter>(m_write->file);
    if (!m_write->writer->begin(m_write->info, bitmapInfo, m_write->frameBytes, m_write->frameCount))
        return false;
    m_write->haveFormat = true;
    return true;
}

bool TAviFile::write(int64_t position, const QByteArray& pixels, uint32_t flags)
{
    if (!m_write || !m_write->haveFormat)
        return false;
    return m_write->writer->writeFrame(position, pixels, (flags & kAviKeyFrame) != 0);
}

bool TAviFile::commit()
{
    if (!m_write || !m_write->haveFormat)
        return false;
    const bool ok = m_write->writer->finish() && m_write->file.commit();
    m_write.reset();
    return ok;
}
