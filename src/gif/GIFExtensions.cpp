#include "gif/GIFExtensions.h"

#include "gif/GIFException.h"
#include "gif/GIFImage.h"
#include "gif/GIFStreamIO.h"
#include "gif/GIFSubImage.h"
#include "graphics/Bitmap.h"
#include "graphics/Streams.h"

#include <cstring>
#include <utility>

// ---- registries

namespace {

template <typename Key> using Registry = std::vector<std::pair<Key, const TGIFExtensionClass*>>;

Registry<uint8_t>& extensionRegistry()
{
    static Registry<uint8_t> registry = {
        {bsPlainTextExtension, TGIFTextExtension::staticClass()},
        {bsGraphicControlExtension, TGIFGraphicControlExtension::staticClass()},
        {bsCommentExtension, TGIFCommentExtension::staticClass()},
        {bsApplicationExtension, TGIFApplicationExtension::staticClass()},
    };
    return registry;
}

Registry<TGIFApplicationId>& appExtensionRegistry()
{
    static Registry<TGIFApplicationId> registry = {
        {gifApplicationId("NETSCAPE2.0"), TGIFAppExtNSLoop::staticClass()},
        {gifApplicationId("ANIMEXTS1.0"), TGIFAppExtNSLoop::staticClass()},
    };
    return registry;
}

template <typename Key> const TGIFExtensionClass* findLast(const Registry<Key>& registry, const Key& key)
{
    for (auto it = registry.rbegin(); it != registry.rend(); ++it)
        if (it->first == key)
            return it->second;
    return nullptr;
}

} // namespace

TGIFApplicationId gifApplicationId(const char* text)
{
    TGIFApplicationId id{};
    std::memcpy(id.data(), text, std::min<size_t>(std::strlen(text), id.size()));
    return id;
}

void registerExtension(uint8_t label, const TGIFExtensionClass* extensionClass)
{
    extensionRegistry().emplace_back(label, extensionClass);
}

const TGIFExtensionClass* findExtension(uint8_t label)
{
    return findLast(extensionRegistry(), label);
}

void registerAppExtension(const TGIFApplicationId& identifier, const TGIFExtensionClass* extensionClass)
{
    appExtensionRegistry().emplace_back(identifier, extensionClass);
}

const TGIFExtensionClass* findAppExtension(const TGIFApplicationId& identifier)
{
    return findLast(appExtensionRegistry(), identifier);
}

// ---- text sub-blocks shared by comments and plain text

namespace {

QStringList readTextSubBlocks(TStream& stream)
{
    QStringList lines;
    char buffer[255];
    for (uint8_t size = gifio::readByteOrZero(stream); size != 0; size = gifio::readByteOrZero(stream)) {
        gifio::readExact(stream, buffer, size);
        lines.append(QString::fromLatin1(buffer, size));
    }
    return lines;
}

void writeTextSubBlocks(TStream& stream, const QStringList& lines)
{
    for (const QString& line : lines) {
        const QByteArray bytes = line.toLatin1();
        for (qsizetype at = 0; at < bytes.size(); at += 255) {
            const qsizetype piece = std::min<qsizetype>(255, bytes.size() - at);
            stream.writeByte(uint8_t(piece));
            stream.writeBuffer(bytes.constData() + at, piece);
        }
    }
    stream.writeByte(0);
}

} // namespace

// ---- TGIFExtension

TGIFExtension::TGIFExtension(TGIFSubImage* subImage)
    : TGIFItem(subImage ? subImage->image() : nullptr), m_subImage(subImage)
{
}

TGIFExtension::~TGIFExtension()
{
    if (m_subImage)
        m_subImage->extensions().remove(this);
}

void TGIFExtension::saveToStream(TStream& stream)
{
    const uint8_t head[2] = {bsExtensionIntroducer, extensionType()};
    stream.writeBuffer(head, 2);
    saveBody(stream);
}

void TGIFExtension::loadFromStream(TStream& stream)
{
    uint8_t head[2];
    gifio::readExact(stream, head, 2);
    if (head[0] != bsExtensionIntroducer)
        throw GIFException(QStringLiteral("Invalid extension introducer"));
    if (head[1] != extensionType())
        throw GIFException(
            QStringLiteral("Internal error: Extension Instance does not match Extension Label"));
    loadBody(stream);
}

// ---- TGIFGraphicControlExtension

const TGIFExtensionClass* TGIFGraphicControlExtension::staticClass()
{
    static const TGIFExtensionClass info{
        "TGIFGraphicControlExtension", bsGraphicControlExtension,
        [](TGIFSubImage* s) -> TGIFExtension* { return new TGIFGraphicControlExtension(s); }, nullptr};
    return &info;
}

TGIFGraphicControlExtension::TGIFGraphicControlExtension(TGIFSubImage* subImage) : TGIFExtension(subImage)
{
    if (m_subImage && !m_subImage->graphicControlExtension())
        m_subImage->setGraphicControlExtension(this);
}

TGIFGraphicControlExtension::~TGIFGraphicControlExtension()
{
    if (!m_subImage)
        return;
    if (transparent())
        m_subImage->setTransparentFlag(false);
    if (m_subImage->graphicControlExtension() == this)
        m_subImage->setGraphicControlExtension(nullptr);
}

void TGIFGraphicControlExtension::setTransparent(bool value)
{
    m_packed = value ? (m_packed | 0x01) : (m_packed & ~0x01);
    if (m_subImage)
        m_subImage->setTransparentFlag(value);
}

void TGIFGraphicControlExtension::setTransparentColorIndex(int index)
{
    const int count = m_subImage ? m_subImage->activeColorMap().count() : 0;
    if ((index < 0 || index >= count) && count > 0) {
        warning(1, QString::fromLatin1(gifmsg::InvalidColorIndex));
        index = 0;
    }
    m_transparentIndex = uint8_t(index);
}

TColor TGIFGraphicControlExtension::transparentColor()
{
    if (!m_subImage)
        throw GIFException(QStringLiteral("Color table is empty"));
    return m_subImage->activeColorMap().color(m_transparentIndex);
}

TColor TGIFGraphicControlExtension::shownTransparentColor()
{
    if (m_subImage && m_subImage->activeColorMap().count() > 0)
        return m_subImage->activeColorMap().color(m_transparentIndex);
    const HPALETTE palette = defaultPalette(pf8bit);
    if (!palette || m_transparentIndex >= palette->entries.size())
        return 0;
    const TPaletteEntry& entry = palette->entries[m_transparentIndex];
    return rgbColor(entry.red, entry.green, entry.blue);
}

void TGIFGraphicControlExtension::setTransparentColor(TColor color)
{
    if (!m_subImage)
        return;
    m_transparentIndex = uint8_t(m_subImage->activeColorMap().addUnique(color));
}

void TGIFGraphicControlExtension::setUserInput(bool value)
{
    m_packed = value ? (m_packed | 0x02) : (m_packed & ~0x02);
}

void TGIFGraphicControlExtension::setDisposal(TGIFDisposal value)
{
    m_packed = uint8_t((m_packed & ~0x1C) | (disposalValue(value) << 2));
}

void TGIFGraphicControlExtension::saveBody(TStream& stream)
{
    const uint8_t body[6] = {m_blockSize,           m_packed,           uint8_t(m_delay),
                             uint8_t(m_delay >> 8), m_transparentIndex, m_terminator};
    stream.writeBuffer(body, 6);
}

void TGIFGraphicControlExtension::loadBody(TStream& stream)
{
    // Six bytes whatever the block size says; a short block keeps what was there.
    uint8_t body[6] = {m_blockSize,           m_packed,           uint8_t(m_delay),
                       uint8_t(m_delay >> 8), m_transparentIndex, m_terminator};
    const int64_t got = stream.read(body, 6);
    m_blockSize = body[0];
    m_packed = body[1];
    m_delay = uint16_t(body[2] | (body[3] << 8));
    m_transparentIndex = body[4];
    m_terminator = body[5];
    if (got < 6) {
        warning(1, QString::fromLatin1(gifmsg::PrematureEnd));
        return;
    }
    if (transparent() && m_subImage)
        m_subImage->setTransparentFlag(true);
}

// ---- TGIFCommentExtension

const TGIFExtensionClass* TGIFCommentExtension::staticClass()
{
    static const TGIFExtensionClass info{
        "TGIFCommentExtension", bsCommentExtension,
        [](TGIFSubImage* s) -> TGIFExtension* { return new TGIFCommentExtension(s); }, nullptr};
    return &info;
}

void TGIFCommentExtension::saveBody(TStream& stream)
{
    writeTextSubBlocks(stream, m_text);
}

void TGIFCommentExtension::loadBody(TStream& stream)
{
    m_text = readTextSubBlocks(stream);
}

// ---- TGIFTextExtension

const TGIFExtensionClass* TGIFTextExtension::staticClass()
{
    static const TGIFExtensionClass info{
        "TGIFTextExtension", bsPlainTextExtension,
        [](TGIFSubImage* s) -> TGIFExtension* { return new TGIFTextExtension(s); }, nullptr};
    return &info;
}

void TGIFTextExtension::saveBody(TStream& stream)
{
    const Fields& f = m_fields;
    const uint8_t body[13] = {f.blockSize,           uint8_t(f.left),     uint8_t(f.left >> 8),
                              uint8_t(f.top),        uint8_t(f.top >> 8), uint8_t(f.width),
                              uint8_t(f.width >> 8), uint8_t(f.height),   uint8_t(f.height >> 8),
                              f.cellWidth,           f.cellHeight,        f.foreground,
                              f.background};
    stream.writeBuffer(body, 13);
    writeTextSubBlocks(stream, m_text);
}

void TGIFTextExtension::loadBody(TStream& stream)
{
    uint8_t b[13];
    gifio::readExact(stream, b, 13);
    m_fields = {b[0],
                uint16_t(b[1] | (b[2] << 8)),
                uint16_t(b[3] | (b[4] << 8)),
                uint16_t(b[5] | (b[6] << 8)),
                uint16_t(b[7] | (b[8] << 8)),
                b[9],
                b[10],
                b[11],
                b[12]};
    m_text = readTextSubBlocks(stream);
}

// ---- TGIFApplicationExtension

namespace {

// Looks at the block size and identifier after the label to pick the application class.
const TGIFExtensionClass* findApplicationClass(TStream& stream)
{
    const uint8_t blockSize = gifio::readByteOrZero(stream);
    if (blockSize == 10) {
        uint8_t skipped[10];
        gifio::readExact(stream, skipped, 10);
        return TGIFUnknownAppExtension::staticClass();
    }
    if (blockSize == 11) {
        TGIFApplicationId id;
        gifio::readExact(stream, id.data(), 11);
        const TGIFExtensionClass* registered = findAppExtension(id);
        return registered ? registered : TGIFUnknownAppExtension::staticClass();
    }
    return TGIFApplicationExtension::staticClass();
}

} // namespace

const TGIFExtensionClass* TGIFApplicationExtension::staticClass()
{
    static const TGIFExtensionClass info{
        "TGIFApplicationExtension", bsApplicationExtension,
        [](TGIFSubImage* s) -> TGIFExtension* { return new TGIFApplicationExtension(s); },
        findApplicationClass};
    return &info;
}

TGIFApplicationExtension::TGIFApplicationExtension(TGIFSubImage* subImage) : TGIFExtension(subImage) {}

void TGIFApplicationExtension::saveBody(TStream& stream)
{
    stream.writeByte(11);
    stream.writeBuffer(m_identifier.data(), 11);
    saveData(stream);
}

void TGIFApplicationExtension::loadBody(TStream& stream)
{
    const uint8_t blockSize = gifio::readByteOrZero(stream);
    if (blockSize < 10)
        throw GIFException(QStringLiteral("Unsupported Application Extension block size"));
    if (blockSize == 10)
        m_identifier.fill(0);
    gifio::readExact(stream, m_identifier.data(), 11);
    gifio::skip(stream, int64_t(blockSize) - 11);
    loadData(stream);
}

void TGIFApplicationExtension::saveData(TStream& stream)
{
    stream.writeByte(0);
}

void TGIFApplicationExtension::loadData(TStream&)
{
    // Only block sizes of 12 or more end up here: no class knows such a block.
    throw GIFException(QStringLiteral("Unsupported Application Extension block size"));
}

// ---- TGIFUnknownAppExtension

const TGIFExtensionClass* TGIFUnknownAppExtension::staticClass()
{
    static const TGIFExtensionClass info{
        "TGIFUnknownAppExtension", bsApplicationExtension,
        [](TGIFSubImage* s) -> TGIFExtension* { return new TGIFUnknownAppExtension(s); },
        findApplicationClass};
    return &info;
}

void TGIFUnknownAppExtension::saveData(TStream& stream)
{
    for (const auto& block : m_blocks)
        block->saveToStream(stream);
    stream.writeByte(0);
}

void TGIFUnknownAppExtension::loadData(TStream& stream)
{
    m_blocks.clear();
    for (uint8_t size = gifio::readByteOrZero(stream); size != 0; size = gifio::readByteOrZero(stream)) {
        auto block = std::make_unique<TGIFBlock>();
        block->loadFromStream(stream, size);
        m_blocks.push_back(std::move(block));
    }
}

// ---- TGIFAppExtNSLoop

const TGIFExtensionClass* TGIFAppExtNSLoop::staticClass()
{
    static const TGIFExtensionClass info{
        "TGIFAppExtNSLoop", bsApplicationExtension,
        [](TGIFSubImage* s) -> TGIFExtension* { return new TGIFAppExtNSLoop(s); }, findApplicationClass};
    return &info;
}

TGIFAppExtNSLoop::TGIFAppExtNSLoop(TGIFSubImage* subImage) : TGIFApplicationExtension(subImage)
{
    m_identifier = gifApplicationId("NETSCAPE2.0");
}

void TGIFAppExtNSLoop::saveData(TStream& stream)
{
    const uint8_t loopBlock[2] = {3, 1};
    stream.writeBuffer(loopBlock, 2);
    gifio::writeWord(stream, m_loops);
    if (m_bufferSize != 0) {
        const uint8_t bufferBlock[2] = {5, 2};
        stream.writeBuffer(bufferBlock, 2);
        gifio::writeDWord(stream, m_bufferSize);
    }
    stream.writeByte(0);
}

void TGIFAppExtNSLoop::loadData(TStream& stream)
{
    for (uint8_t size = gifio::readByteOrZero(stream); size != 0; size = gifio::readByteOrZero(stream)) {
        const uint8_t kind = gifio::readByteOrZero(stream) & 7; // only the low three bits count
        if (kind == 1) {
            if (size < 3)
                throw GIFException(QStringLiteral("Invalid GIF data"));
            m_loops = gifio::readWord(stream);
            gifio::skip(stream, size - 3);
        } else if (kind == 2) {
            if (size < 5)
                throw GIFException(QStringLiteral("Invalid GIF data"));
            uint8_t b[4];
            gifio::readExact(stream, b, 4);
            m_bufferSize =
                uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
            gifio::skip(stream, size - 5);
        } else {
            gifio::skip(stream, size - 1);
        }
    }
}
