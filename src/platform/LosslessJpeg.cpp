#include "LosslessJpeg.h"

#include <cstring>
#include <limits>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace {

struct CodecContextDeleter
{
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameDeleter
{
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketDeleter
{
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct ScaleDeleter
{
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};

using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using ScalePtr = std::unique_ptr<SwsContext, ScaleDeleter>;

// The "J" formats are the full-range YUV the JPEG decoder reports; swscale wants the plain
// format plus a range flag and warns about the deprecated names otherwise.
AVPixelFormat plainFormat(AVPixelFormat format, bool& fullRange)
{
    fullRange = true;
    switch (format) {
    case AV_PIX_FMT_YUVJ420P:
        return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P:
        return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P:
        return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P:
        return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P:
        return AV_PIX_FMT_YUV411P;
    default:
        fullRange = false;
        return format;
    }
}

// Finds the frame header (SOFn) by walking the marker segments before the first scan, so
// that a picture above the limits is named too large instead of merely failing to decode.
bool frameHeader(const QByteArray& data, uint8_t& marker, uint32_t& width, uint32_t& height)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.constData());
    const qsizetype size = data.size();
    if (size < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return false;
    qsizetype at = 2;
    while (at + 4 <= size) {
        if (bytes[at] != 0xFF)
            return false;
        marker = bytes[at + 1];
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) { // segments without a length
            at += 2;
            continue;
        }
        const qsizetype length = (qsizetype(bytes[at + 2]) << 8) | bytes[at + 3];
        if (length < 2)
            return false;
        const bool isFrameHeader =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (isFrameHeader) {
            if (length < 7 || at + 9 > size)
                return false;
            height = (uint32_t(bytes[at + 5]) << 8) | bytes[at + 6];
            width = (uint32_t(bytes[at + 7]) << 8) | bytes[at + 8];
            return true;
        }
        if (marker == 0xDA || marker == 0xD9) // a scan or the end before any frame header
            return false;
        at += 2 + length;
    }
    return false;
}

TLosslessJpegResult decodeFrame(const QByteArray& data, uint64_t maxPixels, AVFrame* frame)
{
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MJPEG);
    if (!codec)
        return TLosslessJpegResult::Corrupt;
    CodecContextPtr context(avcodec_alloc_context3(codec));
    PacketPtr packet(av_packet_alloc());
    if (!context || !packet)
        return TLosslessJpegResult::NoMemory;
    // The decoder checks the frame size against max_pixels before allocating the picture,
    // so an absurd header never becomes an absurd allocation.
    context->max_pixels = static_cast<int64_t>(maxPixels);
    context->thread_count = 1;
    context->err_recognition = AV_EF_EXPLODE;
    if (avcodec_open2(context.get(), codec, nullptr) < 0)
        return TLosslessJpegResult::Corrupt;
    // av_new_packet zeroes the padding the bitstream reader may over-read.
    if (av_new_packet(packet.get(), static_cast<int>(data.size())) < 0)
        return TLosslessJpegResult::NoMemory;
    std::memcpy(packet->data, data.constData(), static_cast<size_t>(data.size()));
    int status = avcodec_send_packet(context.get(), packet.get());
    if (status == AVERROR(ENOMEM))
        return TLosslessJpegResult::NoMemory;
    if (status < 0)
        return TLosslessJpegResult::Corrupt;
    avcodec_send_packet(context.get(), nullptr);
    status = avcodec_receive_frame(context.get(), frame);
    if (status == AVERROR(ENOMEM))
        return TLosslessJpegResult::NoMemory;
    if (status < 0 || (frame->decode_error_flags != 0) || (frame->flags & AV_FRAME_FLAG_CORRUPT))
        return TLosslessJpegResult::Corrupt;
    return TLosslessJpegResult::Ok;
}

TLosslessJpegResult convertToBgr(const AVFrame* frame, TLosslessJpegPicture& picture)
{
    const int width = frame->width;
    const int height = frame->height;
    bool fullRange = false;
    const AVPixelFormat source = plainFormat(static_cast<AVPixelFormat>(frame->format), fullRange);
    ScalePtr scale(sws_getContext(width, height, source, width, height, AV_PIX_FMT_BGR24, SWS_POINT, nullptr,
                                  nullptr, nullptr));
    if (!scale)
        return TLosslessJpegResult::Corrupt;
    if (fullRange) {
        const int* coefficients = sws_getCoefficients(SWS_CS_ITU601);
        sws_setColorspaceDetails(scale.get(), coefficients, 1, coefficients, 0, 0, 1 << 16, 1 << 16);
    }
    // Sizes were bounded by the caller's limits (at most 65535 a side and maxPixels), so
    // width * 3 and the total fit comfortably in 64 bits; qsizetype is checked below.
    const uint64_t stride = static_cast<uint64_t>(width) * 3;
    const uint64_t total = stride * static_cast<uint64_t>(height);
    constexpr uint64_t slack = 64; // swscale's vector code may store a little past a row
    if (total + slack > static_cast<uint64_t>(std::numeric_limits<qsizetype>::max() / 2))
        return TLosslessJpegResult::TooLarge;
    QByteArray rows;
    try {
        rows.resize(static_cast<qsizetype>(total + slack));
    } catch (const std::bad_alloc&) {
        return TLosslessJpegResult::NoMemory;
    }
    uint8_t* destination[4] = {reinterpret_cast<uint8_t*>(rows.data()), nullptr, nullptr, nullptr};
    int destinationStride[4] = {static_cast<int>(stride), 0, 0, 0};
    if (sws_scale(scale.get(), frame->data, frame->linesize, 0, height, destination, destinationStride) !=
        height)
        return TLosslessJpegResult::Corrupt;
    rows.truncate(static_cast<qsizetype>(total));
    picture.width = width;
    picture.height = height;
    picture.bgr = std::move(rows);
    return TLosslessJpegResult::Ok;
}

} // namespace

TLosslessJpegResult decodeLosslessJpeg(const QByteArray& data, uint32_t maxSide, uint64_t maxPixels,
                                       TLosslessJpegPicture& picture)
{
    picture = {};
    if (data.isEmpty() || data.size() > std::numeric_limits<int>::max() - AV_INPUT_BUFFER_PADDING_SIZE)
        return TLosslessJpegResult::Corrupt;
    uint8_t marker = 0;
    uint32_t headerWidth = 0;
    uint32_t headerHeight = 0;
    if (!frameHeader(data, marker, headerWidth, headerHeight))
        return TLosslessJpegResult::Corrupt;
    if (headerWidth > maxSide || headerHeight > maxSide || uint64_t(headerWidth) * headerHeight > maxPixels)
        return TLosslessJpegResult::TooLarge;
    FramePtr frame(av_frame_alloc());
    if (!frame)
        return TLosslessJpegResult::NoMemory;
    const TLosslessJpegResult decoded = decodeFrame(data, maxPixels, frame.get());
    if (decoded != TLosslessJpegResult::Ok)
        return decoded;
    if (frame->width <= 0 || frame->height <= 0)
        return TLosslessJpegResult::Corrupt;
    if (static_cast<uint32_t>(frame->width) > maxSide || static_cast<uint32_t>(frame->height) > maxSide ||
        static_cast<uint64_t>(frame->width) * static_cast<uint64_t>(frame->height) > maxPixels)
        return TLosslessJpegResult::TooLarge;
    return convertToBgr(frame.get(), picture);
}

bool isLosslessJpeg(const QByteArray& data)
{
    uint8_t marker = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    return frameHeader(data, marker, width, height) && marker == 0xC3;
}
