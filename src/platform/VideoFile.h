#pragma once
// Movies other than AVI (MP4, MOV, WebM, Matroska) read through FFmpeg's demuxers and decoders:
// the first video stream's pictures in order, as packed DIBs like the AVI layer's, and the frame
// delay its frame rate gives. One thread at a time.
#include <QByteArray>
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
