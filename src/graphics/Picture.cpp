#include "graphics/Picture.h"

#include "graphics/Bitmap.h"
#include "graphics/Exceptions.h"
#include "graphics/Icon.h"
#include "graphics/Metafile.h"

#include <QFileInfo>
#include <mutex>

namespace {

struct Registration
{
    TFileFormat format;
    QString className; // learnt from the first instance made, to copy graphics by class
};

std::recursive_mutex registryLock;

std::vector<Registration>& registry()
{
    static std::vector<Registration> formats = [] {
        std::vector<Registration> builtIn;
        builtIn.push_back({{QStringLiteral("bmp"), QStringLiteral("Bitmaps"),
                            [] {
                                return std::unique_ptr<TGraphic>(new TBitmap);
                            }},
                           QStringLiteral("TBitmap")});
        builtIn.push_back({{QStringLiteral("ico"), QStringLiteral("Icons"),
                            [] {
                                return std::unique_ptr<TGraphic>(new TIcon);
                            }},
                           QStringLiteral("TIcon")});
        builtIn.push_back({{QStringLiteral("cur"), QStringLiteral("Cursors"),
                            [] {
                                return std::unique_ptr<TGraphic>(new TIcon);
                            }},
                           QStringLiteral("TIcon")});
        builtIn.push_back({{QStringLiteral("emf"), QStringLiteral("Enhanced Metafiles"),
                            [] {
                                return std::unique_ptr<TGraphic>(new TMetafile);
                            }},
                           QStringLiteral("TMetafile")});
        builtIn.push_back({{QStringLiteral("wmf"), QStringLiteral("Metafiles"),
                            [] {
                                return std::unique_ptr<TGraphic>(new TMetafile);
                            }},
                           QStringLiteral("TMetafile")});
        return builtIn;
    }();
    return formats;
}

QString normalExtension(QString extension)
{
    if (extension.startsWith(QLatin1Char('.')))
        extension.remove(0, 1);
    return extension.toLower();
}

} // namespace

TPicture::TPicture() = default;

TPicture::~TPicture() = default;

void TPicture::registerFileFormat(const QString& extension, const QString& description,
                                  TGraphicFactory factory)
{
    std::lock_guard guard(registryLock);
    const QString key = normalExtension(extension);
    unregisterFileFormat(key);
    registry().push_back({{key, description, std::move(factory)}, QString()});
}

void TPicture::unregisterFileFormat(const QString& extension)
{
    std::lock_guard guard(registryLock);
    const QString key = normalExtension(extension);
    auto& formats = registry();
    std::erase_if(formats, [&](const Registration& r) { return r.format.extension == key; });
}

std::vector<TFileFormat> TPicture::fileFormats()
{
    std::lock_guard guard(registryLock);
    std::vector<TFileFormat> result;
    for (const Registration& r : registry())
        result.push_back(r.format);
    return result;
}

std::unique_ptr<TGraphic> TPicture::createGraphic(const QString& extension)
{
    TGraphicFactory factory;
    {
        std::lock_guard guard(registryLock);
        const QString key = normalExtension(extension);
        for (const Registration& r : registry())
            if (r.format.extension == key)
                factory = r.format.factory;
    }
    return factory ? factory() : nullptr;
}

std::unique_ptr<TGraphic> TPicture::copyGraphic(const TGraphic* graphic)
{
    if (!graphic)
        return nullptr;
    const QString wanted = graphic->className();
    std::unique_ptr<TGraphic> copy;
    {
        std::lock_guard guard(registryLock);
        for (Registration& r : registry()) {
            if (r.className.isEmpty()) {
                if (std::unique_ptr<TGraphic> probe = r.format.factory())
                    r.className = probe->className();
            }
            if (r.className == wanted) {
                copy = r.format.factory();
                break;
            }
        }
    }
    if (copy) {
        try {
            copy->assign(graphic);
            return copy;
        } catch (const EConvertError&) {
            // The class cannot copy itself: keep its picture instead.
        }
    }
    // A class nobody registered is kept as its picture.
    copy = std::make_unique<TBitmap>();
    copy->assign(graphic);
    return copy;
}

void TPicture::changed()
{
    if (onChange)
        onChange(this);
}

void TPicture::attach(std::unique_ptr<TGraphic> graphic)
{
    m_graphic = std::move(graphic);
    if (m_graphic)
        m_graphic->onChange = [this](TObject*) {
            changed();
        };
    changed();
}

void TPicture::setGraphic(const TGraphic* graphic)
{
    if (graphic == m_graphic.get())
        return;
    attach(copyGraphic(graphic));
}

void TPicture::setGraphic(std::unique_ptr<TGraphic> graphic)
{
    attach(std::move(graphic));
}

TBitmap* TPicture::bitmap()
{
    if (auto* bitmap = dynamic_cast<TBitmap*>(m_graphic.get()))
        return bitmap;
    auto bitmap = std::make_unique<TBitmap>();
    if (m_graphic)
        bitmap->assign(m_graphic.get());
    TBitmap* result = bitmap.get();
    attach(std::move(bitmap));
    return result;
}

int TPicture::width() const
{
    return m_graphic ? m_graphic->width() : 0;
}

int TPicture::height() const
{
    return m_graphic ? m_graphic->height() : 0;
}

void TPicture::loadFromFile(const QString& fileName)
{
    const QString extension = QFileInfo(fileName).suffix();
    std::unique_ptr<TGraphic> graphic = createGraphic(extension);
    if (!graphic)
        throw EInvalidGraphic(QStringLiteral("Unknown picture file extension (.%1)").arg(extension));
    graphic->loadFromFile(fileName);
    attach(std::move(graphic));
}

void TPicture::saveToFile(const QString& fileName)
{
    if (m_graphic)
        m_graphic->saveToFile(fileName);
}

void TPicture::assign(const TPersistent* source)
{
    if (!source) {
        attach(nullptr);
        return;
    }
    if (const auto* picture = dynamic_cast<const TPicture*>(source)) {
        if (picture != this)
            setGraphic(picture->graphic());
        return;
    }
    if (const auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        setGraphic(graphic);
        return;
    }
    TPersistent::assign(source);
}

void TPicture::assignTo(TPersistent* target) const
{
    if (auto* graphic = dynamic_cast<TGraphic*>(target)) {
        graphic->assign(m_graphic.get());
        return;
    }
    TPersistent::assignTo(target);
}
