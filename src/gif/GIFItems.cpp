#include "gif/GIFItems.h"

#include "gif/GIFException.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "gif/GIFStreamIO.h"
#include "gif/GIFSubImage.h"
#include "graphics/Exceptions.h"
#include "graphics/Streams.h"

#include <algorithm>

namespace {

// position × 100 / size, rounded, without the 32-bit limit of mulDiv (files may exceed 2 GB).
int streamPercent(TStream& stream)
{
    const int64_t size = stream.size();
    if (size <= 0)
        return 0;
    const int64_t position = std::clamp<int64_t>(stream.position(), 0, size);
    return int((position * 100 + size / 2) / size);
}

constexpr int64_t FrameOverhead = 4096;

// Reads the next byte that is not 0; false at the end of the data.
bool readSkippingZeros(TStream& stream, uint8_t& value)
{
    do {
        if (!stream.readByte(value))
            return false;
    } while (value == 0);
    return true;
}

} // namespace

void TGIFItem::warning(int severity, const QString& message)
{
    if (m_image)
        m_image->warning(this, severity, message);
}

void TGIFItem::saveToFile(const QString& fileName)
{
    TFileStream stream(fileName, TFileStream::Create);
    saveToStream(stream);
}

void TGIFItem::loadFromFile(const QString& fileName)
{
    TFileStream stream(fileName, TFileStream::OpenRead);
    loadFromStream(stream);
}

// ---- TGIFList

TGIFList::~TGIFList()
{
    clear();
}

void TGIFList::checkIndex(int index, int limit) const
{
    if (index < 0 || index >= limit)
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
}

TGIFItem* TGIFList::item(int index) const
{
    checkIndex(index, count());
    return m_items[size_t(index)];
}

int TGIFList::indexOf(const TGIFItem* item) const
{
    const auto it = std::find(m_items.begin(), m_items.end(), item);
    return it == m_items.end() ? -1 : int(it - m_items.begin());
}

int TGIFList::add(TGIFItem* item)
{
    m_items.push_back(item);
    return count() - 1;
}

void TGIFList::insert(int index, TGIFItem* item)
{
    checkIndex(index, count() + 1);
    m_items.insert(m_items.begin() + index, item);
}

void TGIFList::deleteAt(int index)
{
    checkIndex(index, count());
    TGIFItem* doomed = m_items[size_t(index)];
    m_items.erase(m_items.begin() + index);
    delete doomed; // its destructor finds itself unlinked already
}

void TGIFList::move(int from, int to)
{
    checkIndex(from, count());
    checkIndex(to, count());
    TGIFItem* moving = m_items[size_t(from)];
    m_items.erase(m_items.begin() + from);
    m_items.insert(m_items.begin() + to, moving);
}

int TGIFList::remove(TGIFItem* item)
{
    const int index = indexOf(item);
    if (index >= 0)
        m_items.erase(m_items.begin() + index);
    return index;
}

void TGIFList::clear()
{
    // Detach all first, then destroy from index 0: each destructor's unlink then finds an empty
    // list, so clearing stays linear even for hostile files with very many blocks.
    std::vector<TGIFItem*> doomed;
    doomed.swap(m_items);
    for (TGIFItem* item : doomed)
        delete item;
}

void TGIFList::warning(int severity, const QString& message)
{
    if (m_image)
        m_image->warning(this, severity, message);
}

// ---- TGIFImageList

TGIFSubImage* TGIFImageList::subImage(int index) const
{
    return static_cast<TGIFSubImage*>(item(index));
}

void TGIFImageList::saveToStream(TStream& stream)
{
    const int total = count();
    for (int i = 0; i < total; ++i) {
        subImage(i)->saveToStream(stream);
        if (m_image)
            m_image->reportProgress(psRunning, mulDiv(i + 1, 100, total), false, QStringLiteral("Saving..."));
    }
}

void TGIFImageList::loadFromStream(TStream& stream)
{
    const TGIFSettings& settings = gifSettings();
    int64_t pixelsRead = 0;
    uint8_t introducer = 0;
    if (!readSkippingZeros(stream, introducer))
        return;
    while (introducer != bsTrailer) {
        stream.seek(-1, SeekOrigin::Current);
        if (introducer != bsExtensionIntroducer && introducer != bsImageDescriptor) {
            warning(1, QStringLiteral("Unknown GIF block type"));
            // One more byte back, so the trailer check reports the broken end as well.
            stream.seek(-1, SeekOrigin::Current);
            return;
        }
        auto* frame = new TGIFSubImage(m_image);
        try {
            frame->loadFromStream(stream);
        } catch (...) {
            delete frame;
            throw;
        }
        add(frame);
        // Each frame counts at least FrameOverhead pixels, so that floods of tiny frames are
        // bounded by the same budget as huge ones.
        pixelsRead += std::max<int64_t>(frame->dataSize(), FrameOverhead);
        if (pixelsRead > settings.maxLoadPixels)
            throw GIFException(QString::fromLatin1(gifmsg::FrameTooLarge));
        if (m_image)
            m_image->reportProgress(psRunning, streamPercent(stream), settings.renderOnLoad,
                                    QStringLiteral("Loading..."));
        if (!readSkippingZeros(stream, introducer))
            return;
    }
    stream.seek(-1, SeekOrigin::Current); // the trailer reads itself
}

// ---- TGIFExtensionList

TGIFExtensionList::TGIFExtensionList(TGIFSubImage* subImage)
    : TGIFList(subImage ? subImage->image() : nullptr), m_subImage(subImage)
{
}

TGIFExtension* TGIFExtensionList::extension(int index) const
{
    return static_cast<TGIFExtension*>(item(index));
}

void TGIFExtensionList::saveToStream(TStream& stream)
{
    for (int i = 0; i < count(); ++i)
        extension(i)->saveToStream(stream);
}

namespace {

// Reads the label after an introducer and picks the class that reads the block, asking each
// class for a more specific one until it names itself. Leaves the stream after the introducer.
const TGIFExtensionClass* findExtensionClass(TStream& stream)
{
    const int64_t afterIntroducer = stream.position();
    const TGIFExtensionClass* found = findExtension(gifio::readByteOrZero(stream));
    // Bounded: the registered look-aheads settle after one step; a faulty registration must
    // not loop forever.
    for (int round = 0; found && found->findSubExtension && round < 8; ++round) {
        stream.setPosition(afterIntroducer + 1);
        const TGIFExtensionClass* specific = found->findSubExtension(stream);
        if (!specific || specific == found)
            break;
        found = specific;
    }
    stream.setPosition(afterIntroducer);
    return found;
}

} // namespace

void TGIFExtensionList::loadFromStream(TStream& stream)
{
    uint8_t introducer = 0;
    if (!stream.readByte(introducer))
        return;
    while (introducer != bsImageDescriptor && introducer != bsTrailer) {
        if (introducer != bsExtensionIntroducer) {
            warning(1, QStringLiteral("Invalid extension introducer"));
            break;
        }
        const TGIFExtensionClass* extensionClass = findExtensionClass(stream);
        if (!extensionClass)
            throw GIFException(QStringLiteral("Unknown extension type"));
        stream.seek(-1, SeekOrigin::Current);
        TGIFExtension* extension = extensionClass->create(m_subImage);
        try {
            extension->loadFromStream(stream);
        } catch (...) {
            delete extension;
            throw;
        }
        add(extension);
        if (count() > gifSettings().maxExtensionsPerFrame)
            throw GIFException(QStringLiteral("Too many extension blocks"));
        if (!stream.readByte(introducer))
            return; // the data ends after this extension: the frame ends with it
    }
    stream.seek(-1, SeekOrigin::Current);
}

// ---- TGIFTrailer

void TGIFTrailer::saveToStream(TStream& stream)
{
    stream.writeByte(bsTrailer);
}

void TGIFTrailer::loadFromStream(TStream& stream)
{
    uint8_t value = 0;
    // A stream that simply ends is accepted quietly: many writers omit the trailer.
    if (stream.readByte(value) && value != bsTrailer)
        warning(1, QStringLiteral("Invalid Image trailer"));
}

// ---- TGIFBlock

void TGIFBlock::saveToStream(TStream& stream) const
{
    stream.writeByte(uint8_t(m_data.size()));
    stream.writeBuffer(m_data.constData(), m_data.size());
}

void TGIFBlock::loadFromStream(TStream& stream, int size)
{
    m_data.resize(size);
    gifio::readExact(stream, m_data.data(), size);
}
