#include "platform/VideoFile.h"

#include "platform/AviRiff.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <map>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace {

const char* const kSuffixes[] = {"mp4", "m4v", "mov", "webm", "mkv"};

} // namespace

bool isVideoFileName(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return std::any_of(std::begin(kSuffixes), std::end(kSuffixes),
                       [&](const char* known) { return suffix == QLatin1String(known); });
}

QString videoFileFilter()
{
    return QStringLiteral("Video Files (*.mp4;*.m4v;*.mov;*.webm;*.mkv)|*.mp4;*.m4v;*.mov;*.webm;*.mkv");
}

struct TVideoFile::Data
{
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    SwsContext* scaler = nullptr;
    int stream = -1;
    bool draining = false;
    bool ended = false;

    ~Data()
    {
        sws_freeContext(scaler);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }
};

TVideoFile::TVideoFile() = default;
TVideoFile::~TVideoFile() = default;

bool TVideoFile::open(const QString& path)
{
    m_data = std::make_unique<Data>();
    Data& d = *m_data;
    const QByteArray name = QFile::encodeName(path);
    if (avformat_open_input(&d.format, name.constData(), nullptr, nullptr) < 0)
        return false;
    if (avformat_find_stream_info(d.format, nullptr) < 0)
        return false;
    const AVCodec* decoder = nullptr;
    d.stream = av_find_best_stream(d.format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (d.stream < 0 || !decoder)
        return false;
    d.codec = avcodec_alloc_context3(decoder);
    d.packet = av_packet_alloc();
    d.frame = av_frame_alloc();
    if (!d.codec || !d.packet || !d.frame)
        return false;
    if (avcodec_parameters_to_context(d.codec, d.format->streams[d.stream]->codecpar) < 0)
        return false;
    d.codec->thread_count = 1;
    d.codec->max_pixels = kAviMaxFramePixels;
    return avcodec_open2(d.codec, decoder, nullptr) >= 0;
}

int TVideoFile::frameDelay() const
{
    if (!m_data || m_data->stream < 0)
        return 10;
    const AVStream* stream = m_data->format->streams[m_data->stream];
    AVRational rate = stream->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        rate = stream->r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        return 10;
    const int64_t delay = (int64_t(rate.den) * 100 + rate.num / 2) / rate.num;
    return int(std::clamp<int64_t>(delay, 1, 65535));
}

QByteArray TVideoFile::nextFrame(bool& failed)
{
    failed = false;
    if (!m_data || !m_data->codec || m_data->ended)
        return {};
    Data& d = *m_data;
    for (;;) {
        const int status = avcodec_receive_frame(d.codec, d.frame);
        if (status == 0)
            break;
        if (status == AVERROR_EOF) {
            d.ended = true;
            return {};
        }
        if (status != AVERROR(EAGAIN) || d.draining) {
            failed = true;
            return {};
        }
        // Feed the decoder the next packet of the stream, or tell it the stream has ended.
        for (;;) {
            av_packet_unref(d.packet);
            const int read = av_read_frame(d.format, d.packet);
            if (read < 0) {
                avcodec_send_packet(d.codec, nullptr);
                d.draining = true;
                break;
            }
            if (d.packet->stream_index != d.stream)
                continue;
            const int sent = avcodec_send_packet(d.codec, d.packet);
            av_packet_unref(d.packet);
            // A damaged packet is passed over; the decoder picks up at a later one.
            if (sent < 0 && sent != AVERROR_INVALIDDATA) {
                failed = true;
                return {};
            }
            break;
        }
    }

    const int width = d.frame->width, height = d.frame->height;
    const int64_t imageSize = aviDibImageSize(width, height, 24);
    if (imageSize < 0) {
        av_frame_unref(d.frame);
        failed = true;
        return {};
    }
    const int64_t row = aviDibRowSize(width, 24);
    QByteArray dib = aviDibHeader(width, height, 24, kBiRgb, uint32_t(imageSize), 0);
    const int offset = int(dib.size());
    dib.resize(int(offset + imageSize));
    d.scaler = sws_getCachedContext(d.scaler, width, height, AVPixelFormat(d.frame->format), width, height,
                                    AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr, nullptr);
    bool converted = false;
    if (d.scaler) {
        uint8_t* planes[4] = {reinterpret_cast<uint8_t*>(dib.data()) + offset + (height - 1) * row, nullptr,
                              nullptr, nullptr};
        int strides[4] = {-int(row), 0, 0, 0};
        converted =
            sws_scale(d.scaler, d.frame->data, d.frame->linesize, 0, height, planes, strides) == height;
    }
    av_frame_unref(d.frame);
    if (!converted) {
        failed = true;
        return {};
    }
    return dib;
}

// ---- writing ---------------------------------------------------------------------------------

struct TVideoWriter::Data
{
    QSaveFile file;
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    AVIOContext* io = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* scaler = nullptr;
    int width = 0, height = 0;
    int64_t lastTime = -1;
    // Frame times and how long each shows, for the packets the encoder hands back (the muxer needs
    // the last frame's duration; the others follow from the times).
    std::map<int64_t, int64_t> durations;
    bool failed = false;

    ~Data()
    {
        sws_freeContext(scaler);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        if (io) {
            av_freep(&io->buffer);
            avio_context_free(&io);
        }
        avformat_free_context(format);
    }

    static int writePacket(void* opaque, uint8_t* buffer, int size)
    {
        auto* file = static_cast<QSaveFile*>(opaque);
        return file->write(reinterpret_cast<const char*>(buffer), size) == size ? size : AVERROR(EIO);
    }

    static int64_t seekPacket(void* opaque, int64_t offset, int whence)
    {
        auto* file = static_cast<QSaveFile*>(opaque);
        whence &= ~AVSEEK_FORCE;
        if (whence == AVSEEK_SIZE)
            return file->size();
        int64_t position = offset;
        if (whence == SEEK_CUR)
            position += file->pos();
        else if (whence == SEEK_END)
            position += file->size();
        return position >= 0 && file->seek(position) ? position : -1;
    }

    bool drain()
    {
        for (;;) {
            const int status = avcodec_receive_packet(codec, packet);
            if (status == AVERROR(EAGAIN) || status == AVERROR_EOF)
                return true;
            if (status < 0)
                return false;
            const auto found = durations.find(packet->pts);
            if (found != durations.end())
                packet->duration = found->second;
            av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            if (av_interleaved_write_frame(format, packet) < 0)
                return false;
        }
    }
};

TVideoWriter::TVideoWriter() = default;
TVideoWriter::~TVideoWriter() = default;

bool TVideoWriter::open(const QString& path, Kind kind, int width, int height)
{
    m_data = std::make_unique<Data>();
    Data& d = *m_data;
    if (width <= 0 || height <= 0 || int64_t(width) * height > kAviMaxFramePixels)
        return false;
    const AVCodec* encoder = kind == Kind::Mp4 ? avcodec_find_encoder(AV_CODEC_ID_H264)
                                               : avcodec_find_encoder_by_name("libwebp_anim");
    if (!encoder)
        return false;
    if (avformat_alloc_output_context2(&d.format, nullptr, kind == Kind::Mp4 ? "mp4" : "webp", nullptr) < 0)
        return false;
    d.width = kind == Kind::Mp4 ? (width + 1) & ~1 : width;
    d.height = kind == Kind::Mp4 ? (height + 1) & ~1 : height;
    d.codec = avcodec_alloc_context3(encoder);
    d.frame = av_frame_alloc();
    d.packet = av_packet_alloc();
    if (!d.codec || !d.frame || !d.packet)
        return false;
    d.codec->width = d.width;
    d.codec->height = d.height;
    d.codec->time_base = AVRational{1, 100};
    d.codec->pix_fmt = AV_PIX_FMT_YUV420P;
    if (d.format->oformat->flags & AVFMT_GLOBALHEADER)
        d.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (kind == Kind::Mp4) {
        av_opt_set(d.codec->priv_data, "crf", "18", 0);
        av_opt_set(d.codec->priv_data, "preset", "medium", 0);
        // Without reordering every packet's decoding time is its showing time, so the sample
        // durations of the file are the animation's delays.
        d.codec->max_b_frames = 0;
    } else {
        av_opt_set_int(d.codec->priv_data, "loop", 0, 0);
    }
    if (avcodec_open2(d.codec, encoder, nullptr) < 0)
        return false;
    d.stream = avformat_new_stream(d.format, nullptr);
    if (!d.stream || avcodec_parameters_from_context(d.stream->codecpar, d.codec) < 0)
        return false;
    d.stream->time_base = d.codec->time_base;

    d.file.setFileName(path);
    if (!d.file.open(QIODevice::WriteOnly))
        return false;
    constexpr int kBufferSize = 1 << 16;
    auto* buffer = static_cast<uint8_t*>(av_malloc(kBufferSize));
    if (!buffer)
        return false;
    d.io =
        avio_alloc_context(buffer, kBufferSize, 1, &d.file, nullptr, &Data::writePacket, &Data::seekPacket);
    if (!d.io) {
        av_free(buffer);
        return false;
    }
    d.format->pb = d.io;
    d.format->flags |= AVFMT_FLAG_CUSTOM_IO;
    if (avformat_write_header(d.format, nullptr) < 0)
        return false;
    d.frame->format = d.codec->pix_fmt;
    d.frame->width = d.width;
    d.frame->height = d.height;
    return av_frame_get_buffer(d.frame, 0) >= 0;
}

bool TVideoWriter::writeFrame(const QImage& picture, int64_t time)
{
    if (!m_data || !m_data->codec || m_data->failed || time <= m_data->lastTime)
        return false;
    Data& d = *m_data;
    QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    if (rgb.size() != QSize(d.width, d.height)) {
        // Even sizes for 4:2:0: the added row or column repeats the edge, so no stripe shows.
        const QImage source = rgb;
        rgb = QImage(d.width, d.height, QImage::Format_RGB888);
        for (int y = 0; y < d.height; ++y) {
            const uchar* from = source.constScanLine(std::min(y, source.height() - 1));
            uchar* to = rgb.scanLine(y);
            std::memcpy(to, from, size_t(source.width()) * 3);
            for (int x = source.width(); x < d.width; ++x)
                std::memcpy(to + x * 3, from + (source.width() - 1) * 3, 3);
        }
    }
    if (av_frame_make_writable(d.frame) < 0) {
        d.failed = true;
        return false;
    }
    d.scaler = sws_getCachedContext(d.scaler, d.width, d.height, AV_PIX_FMT_RGB24, d.width, d.height,
                                    d.codec->pix_fmt, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!d.scaler) {
        d.failed = true;
        return false;
    }
    const uint8_t* planes[1] = {rgb.constBits()};
    const int strides[1] = {int(rgb.bytesPerLine())};
    sws_scale(d.scaler, planes, strides, 0, d.height, d.frame->data, d.frame->linesize);
    if (d.lastTime >= 0)
        d.durations[d.lastTime] = time - d.lastTime;
    d.durations[time] = 1;
    d.lastTime = time;
    d.frame->pts = time;
    if (avcodec_send_frame(d.codec, d.frame) < 0 || !d.drain()) {
        d.failed = true;
        return false;
    }
    return true;
}

bool TVideoWriter::finish(int64_t endTime)
{
    if (!m_data || !m_data->codec || m_data->failed || m_data->lastTime < 0)
        return false;
    Data& d = *m_data;
    d.durations[d.lastTime] = std::max<int64_t>(endTime - d.lastTime, 1);
    if (avcodec_send_frame(d.codec, nullptr) < 0 || !d.drain())
        return false;
    if (av_write_trailer(d.format) < 0)
        return false;
    avio_flush(d.io);
    return d.io->error == 0 && d.file.commit();
}
