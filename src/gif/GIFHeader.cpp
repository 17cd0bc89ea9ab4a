#include "gif/GIFHeader.h"

#include "gif/GIFException.h"
#include "gif/GIFImage.h"
#include "gif/GIFStreamIO.h"
#include "graphics/Streams.h"

#include <climits>
#include <cstring>

TGIFHeader::TGIFHeader(TGIFImage* image) : TGIFItem(image), m_colorMap(this) {}

void TGIFHeader::setBackgroundColorIndex(int index)
{
    if ((index < 0 || index >= m_colorMap.count()) && m_colorMap.count() > 0) {
        warning(1, QString::fromLatin1(gifmsg::InvalidColorIndex));
        index = 0;
    }
    m_background = uint8_t(index);
}

TColor TGIFHeader::backgroundColor()
{
    return m_colorMap.color(m_background);
}

void TGIFHeader::setBackgroundColor(TColor color)
{
    int index = m_colorMap.indexOf(color);
    if (index < 0 && m_colorMap.count() < GIFMaxColors) {
        index = m_colorMap.add(color);
    } else if (index < 0) {
        // A full map (256 colours is common) cannot take one more; the background is only a
        // hint for the screen around the frames, so the closest colour serves, where refusing
        // would make every save of the animation fail.
        const TGIFColor wanted = TGIFColor::fromValue(color);
        int best = INT_MAX;
        for (int i = 0; i < m_colorMap.count(); ++i) {
            const TGIFColor& have = m_colorMap.entry(i);
            const int dr = int(have.red) - wanted.red;
            const int dg = int(have.green) - wanted.green;
            const int db = int(have.blue) - wanted.blue;
            const int distance = dr * dr + dg * dg + db * db;
            if (distance < best) {
                best = distance;
                index = i;
            }
        }
    }
    setBackgroundColorIndex(index);
}

void TGIFHeader::prepare()
{
    const unsigned resolution = unsigned(bitsPerPixel() - 1); // all ones for an empty map
    uint8_t packed = 0;
    if (m_colorMap.count() > 0)
        packed = m_colorMap.optimized() ? 0x88 : 0x80;
    packed |= uint8_t((resolution << 4) & 0x70);
    packed |= uint8_t(resolution & 0x07);
    m_packed = packed;
}

void TGIFHeader::clear()
{
    m_colorMap.clear();
    m_width = m_height = 0;
    m_packed = m_background = m_aspect = 0;
}

void TGIFHeader::assign(const TPersistent* source)
{
    if (const auto* header = dynamic_cast<const TGIFHeader*>(source)) {
        if (header == this)
            return;
        m_colorMap.assign(&header->m_colorMap);
        m_width = header->m_width;
        m_height = header->m_height;
        m_packed = header->m_packed;
        m_background = header->m_background;
        m_aspect = header->m_aspect;
        return;
    }
    if (const auto* map = dynamic_cast<const TGIFColorMap*>(source)) {
        clear();
        m_colorMap.assign(map);
        return;
    }
    TGIFItem::assign(source);
}

void TGIFHeader::saveToStream(TStream& stream)
{
    const TGIFVersion version = m_image ? m_image->version() : gvUnknown;
    if (version == gvUnknown)
        throw GIFException(QStringLiteral("Unsupported GIF version"));
    const QByteArray signature = "GIF" + gifVersionText(version).toLatin1();
    stream.writeBuffer(signature.constData(), 6);
    prepare();
    gifio::writeWord(stream, m_width);
    gifio::writeWord(stream, m_height);
    const uint8_t rest[3] = {m_packed, m_background, m_aspect};
    stream.writeBuffer(rest, 3);
    if (m_packed & 0x80)
        m_colorMap.saveToStream(stream);
}

namespace {

bool signatureMatches(const char* bytes)
{
    return QByteArray(bytes, 3).toUpper() == "GIF";
}

} // namespace

void TGIFHeader::loadFromStream(TStream& stream)
{
    const int64_t start = stream.position();
    char signature[6] = {};
    // Some containers put 4 bytes before the signature; accept one such prefix. The version
    // characters are not checked: unknown versions read like 89a.
    if (stream.read(signature, 6) != 6 || !signatureMatches(signature)) {
        stream.setPosition(start + 4);
        gifio::readExact(stream, signature, 6);
        if (!signatureMatches(signature))
            throw GIFException(QStringLiteral("Invalid GIF signature"));
    }
    uint8_t descriptor[7];
    gifio::readExact(stream, descriptor, 7);
    m_width = uint16_t(descriptor[0] | (descriptor[1] << 8));
    m_height = uint16_t(descriptor[2] | (descriptor[3] << 8));
    m_packed = descriptor[4];
    m_background = descriptor[5];
    m_aspect = descriptor[6];
    if (m_packed & 0x80)
        m_colorMap.loadFromStream(stream, 1 << ((m_packed & 7) + 1));
    else
        m_colorMap.clear();
}
