#include "graphics/Graphic.h"

#include "graphics/Exceptions.h"
#include "graphics/Streams.h"

#include <cstdlib>
#include <typeinfo>

QString TObject::className() const
{
    // Class names of this program are plain identifiers; strip the length prefixes of the mangling.
    QString name = QString::fromLatin1(typeid(*this).name());
    int i = 0;
    while (i < name.size() && name.at(i).isDigit())
        ++i;
    return name.mid(i);
}

void TPersistent::assign(const TPersistent* source)
{
    if (source) {
        source->assignTo(this);
        return;
    }
    assignError(nullptr);
}

void TPersistent::assignTo(TPersistent* target) const
{
    target->assignError(this);
}

void TPersistent::assignError(const TPersistent* source) const
{
    const QString sourceName = source ? source->className() : QStringLiteral("nil");
    throw EConvertError(QStringLiteral("Cannot assign a %1 to a %2").arg(sourceName, className()));
}

HPALETTE TGraphic::palette()
{
    return {};
}

void TGraphic::setPalette(HPALETTE)
{
}

void TGraphic::setTransparent(bool value)
{
    if (value != m_transparent) {
        m_transparent = value;
        changed(this);
    }
}

bool TGraphic::equals(TGraphic* other)
{
    if (!other || other->empty() != empty())
        return false;
    if (empty())
        return true;
    TMemoryStream mine;
    TMemoryStream theirs;
    saveToStream(mine);
    other->saveToStream(theirs);
    return mine.data() == theirs.data();
}

void TGraphic::loadFromFile(const QString& fileName)
{
    TFileStream stream(fileName, TFileStream::OpenRead);
    loadFromStream(stream);
}

void TGraphic::saveToFile(const QString& fileName)
{
    TFileStream stream(fileName, TFileStream::Create);
    saveToStream(stream);
}

void TGraphic::loadFromClipboardFormat(const QString&, const QByteArray&)
{
    throw EInvalidGraphic(QStringLiteral("Unsupported clipboard format"));
}

void TGraphic::saveToClipboardFormat(QString&, QByteArray&)
{
    throw EInvalidGraphic(QStringLiteral("Unsupported clipboard format"));
}

void TGraphic::setModified(bool value)
{
    if (value)
        changed(this);
    else
        m_modified = false;
}

void TGraphic::changed(TObject*)
{
    m_modified = true;
    if (onChange)
        onChange(this);
}

void TGraphic::progress(TObject* sender, TProgressStage stage, int percentDone, bool redrawNow, const QRect& rect,
                        const QString& message)
{
    if (onProgress)
        onProgress(sender, stage, percentDone, redrawNow, rect, message);
}

int mulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const long long product = static_cast<long long>(a) * b;
    long long quotient = product / c;
    const long long remainder = product % c;
    // Round half away from zero, as the platform's MulDiv does.
    if (2 * std::llabs(remainder) >= std::llabs(static_cast<long long>(c)))
        quotient += ((product < 0) != (c < 0)) ? -1 : 1;
    return static_cast<int>(quotient);
}
