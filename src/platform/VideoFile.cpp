#include "platform/VideoFile.h"

#include "platform/AviRiff.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace {

const char* const kSuffixes[] = {"mp4", "m4v", "mov", "webm", "mkv"};

void put16(QByteArray& data, uint16_t value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    data.append(bytes, 2);
}

void put32(QByteArray& data, uint32_t value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    data.append(bytes, 4);
}

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
    QByteArray dib;
    put32(dib, 40);
    put32(dib, uint32_t(width));
    put32(dib, uint32_t(height));
    put16(dib, 1);
    put16(dib, 24);
    put32(dib, kBiRgb);
    put32(dib, uint32_t(imageSize));
    dib.append(16, '\0');
    const int offset = int(dib.size());
    dib.resize(int(offset + imageSize));
    d.scaler = sws_getCachedContext(d.scaler, width, height, AVPixelFormat(d.frame->format), width, height,
                                    AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr, nullptr);
    bool converted = false;
    if (d.scaler) {
        uint8_t* planes[4] = {reinterpret_cast<uint8_t*>(dib.data()) + offset + (height - 1) * row, nullptr, nullptr,
                              nullptr};
        int strides[4] = {-int(row), 0, 0, 0};
        converted = sws_scale(d.scaler, d.frame->data, d.frame->linesize, 0, height, planes, strides) == height;
    }
    av_frame_unref(d.frame);
    if (!converted) {
        failed = true;
        return {};
    }
    return dib;
}
