#pragma once
// Movies other than AVI (MP4, MOV, WebM, Matroska) read through FFmpeg's demuxers and decoders:
// the first video stream's pictures in order, as packed DIBs like the AVI layer's, and the frame
// delay its frame rate gives. One thread at a time.
#include <QByteArray>
#include <QImage>
#include <QString>

#include <cstdint>
#include <memory>

// True for the file name suffixes the video import takes (".mp4", ".m4v", ".mov", ".webm", ".mkv").
bool isVideoFileName(const QString& path);
// The open-dialog filter entry for them.
QString videoFileFilter();

class TVideoFile
{
public:
    TVideoFile();
    ~TVideoFile();
    TVideoFile(const TVideoFile&) = delete;
    TVideoFile& operator=(const TVideoFile&) = delete;

    // Opens the file and the decoder of its first video stream; false when either fails.
    bool open(const QString& path);
    // Hundredths of a second per frame from the stream's average frame rate (else its base
    // rate), within 1 ... 65535; 10 when the file gives no rate.
    int frameDelay() const;
    // The next picture as a packed 24-bit DIB (rows bottom-up). Empty at the end of the stream and
    // on a failure, which sets failed.
    QByteArray nextFrame(bool& failed);

private:
    struct Data;
    std::unique_ptr<Data> m_data;
};

// Writes an H.264 MP4 movie (yuv420p; odd sizes padded by one row or column repeating the
// edge) or an animated WebP through FFmpeg, frame by frame with each frame's own time, so uneven
// delays survive. The file goes to a temporary name beside the target and replaces it only when
// finish() succeeds.
class TVideoWriter
{
public:
    enum class Kind
    {
        Mp4,
        WebP,
    };

    TVideoWriter();
    ~TVideoWriter();
    TVideoWriter(const TVideoWriter&) = delete;
    TVideoWriter& operator=(const TVideoWriter&) = delete;

    // False when the encoder or the file cannot be set up.
    bool open(const QString& path, Kind kind, int width, int height);
    // The picture (the size given to open) shown from time on, in hundredths of a second; times
    // must increase.
    bool writeFrame(const QImage& picture, int64_t time);
    // Ends the movie at endTime (when the last picture stops showing) and puts it in place.
    bool finish(int64_t endTime);

private:
    struct Data;
    std::unique_ptr<Data> m_data;
};
