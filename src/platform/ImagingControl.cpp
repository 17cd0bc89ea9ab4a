#include "ImagingControl.h"

#include "ImagingDib.h"
#include "ImagingFormats.h"
#include "LosslessJpeg.h"

#include <Magick++.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>
#include <mutex>

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

using imaging::coderForContent;
using imaging::coderForExtension;
using imaging::isPlausibleUtahRle;
using imaging::isPlausibleWpg;
using imaging::losslessJpegCoder;

// --- the control ---------------------------------------------------------------------------

TImagingControl::TImagingControl() = default;
TImagingControl::~TImagingControl() = default;

void TImagingControl::setFileName(const QString& fileName)
{
    release();
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
        return imaging::dibFromImage(*m_image);
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
