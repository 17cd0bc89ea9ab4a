#pragma once
// The AVI file services the AVI import and export use, one object per open file: opening, the
// first video stream, its stream information and format, frames as packed DIBs, and writing an
// uncompressed movie. Stream headers, the format and the chunk index come from our own RIFF
// reader (AviRiff.h), so dwScale, dwRate, dwStart and dwLength are exactly what the file says;
// compressed frames are decoded by FFmpeg whatever the codec; uncompressed ones are taken as
// they are.
//
// Every call that can fail returns false (or an empty result); the object releases what it holds
// on destruction, so every exit path of a caller releases the file. A movie being written goes to
// a temporary file beside the target that replaces it only when commit() succeeds: a failed or
// abandoned export never leaves a half-written file or destroys an older one.
//
// GUI thread or any one thread at a time.
#include "platform/AviRiff.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>

class TAviFile
{
public:
    TAviFile();
    ~TAviFile();
    TAviFile(const TAviFile&) = delete;
    TAviFile& operator=(const TAviFile&) = delete;

    // ---- reading ----
    // Opens a movie for reading (others may read it too). False when it is no readable AVI file.
    bool openRead(const QString& path);
    // The first video stream; false when there is none.
    bool getVideoStream();
    bool streamInfo(TAviStreamInfo& info) const;
    // The stream format at position 0: the bitmap header and colour table (and codec data). The
    // size first, then the data; false when the stream has no usable format.
    bool readFormatSize(int64_t& size) const;
    bool readFormat(QByteArray& format) const;
    // Prepares reading frames from position 0 on.
    bool beginStreaming();
    // Opens the frame decompressor for the stream's format; false when no decoder handles it.
    bool getFrameOpen();
    // The picture at a stream position (dwStart counts as the first) as a packed DIB: information
    // header, colour table, rows bottom-up; 8 bits with a table for palette pictures, else 24 bits.
    // A position whose chunk is empty shows the picture before it. Empty on failure.
    QByteArray getFrame(int64_t position);
    // Chunks of the video stream present in the file (positions dwStart onwards).
    int64_t framesPresent() const;

    // ---- writing ----
    // Creates the movie (through a temporary file beside path; see commit()).
    bool createFile(const QString& path);
    // frameBytes is the pixel size of every frame, frameCount the number of positions; false when
    // the movie would not stay below 1 GB.
    bool createStream(const TAviStreamInfo& info, int64_t frameBytes, int frameCount);
    bool setFormat(const QByteArray& bitmapInfo);
    bool write(int64_t position, const QByteArray& pixels, uint32_t flags);
    // Completes the movie and puts it in place of path; false when anything failed.
    bool commit();

private:
    struct Reading;
    struct Writing;
    std::unique_ptr<Reading> m_read;
    std::unique_ptr<Writing> m_write;
};
