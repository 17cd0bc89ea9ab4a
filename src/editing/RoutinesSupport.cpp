// Bitmap and frame exchange with the engine, resource pictures, settings, user-interface helpers
// and the automation image transfer.
#include "editing/Routines.h"

#include "gif/GIFImage.h"
#include "gif/GIFRender.h"
#include "graphics/Bitmap.h"
#include "graphics/BitmapFile.h"
#include "graphics/Canvas.h"
#include "graphics/Picture.h"
#include "graphics/Streams.h"
#include "platform/ResourceLibrary.h"
#include "platform/Settings.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <cstring>
#include <exception>
#include <vector>

// ---- Resource library ----------------------------------------------------------------------

namespace {
void showLibraryError(const TResourceLibrary& library)
{
    messageDlg(
        QStringLiteral("Could not load %1 library file.").arg(QFileInfo(library.filePath()).fileName()),
        TMsgType::Error, TMsgButtons::Ok);
}
} // namespace

bool loadBitmapResource(const TResourceLibrary& library, const QString& name, TPicture& picture)
{
    // A missing library, a missing resource and an unreadable one all get the same message.
    const std::optional<QByteArray> bytes =
        library.load(QString::fromLatin1(kResourceTypeBitmap), name, false);
    if (!bytes) {
        showLibraryError(library);
        return false;
    }
    try {
        auto bitmap = std::make_unique<TBitmap>();
        TMemoryStream stream(*bytes);
        bitmap->loadFromStream(stream);
        picture.setGraphic(std::move(bitmap));
        return true;
    } catch (const std::exception&) {
        const QImage image = QImage::fromData(*bytes);
        if (!image.isNull()) {
            auto bitmap = std::make_unique<TBitmap>();
            bitmap->fromImage(image);
            picture.setGraphic(std::move(bitmap));
            return true;
        }
    }
    showLibraryError(library);
    return false;
}

bool loadGIFResource(const TResourceLibrary& library, const QString& name, const QString& type,
                     TPicture& picture)
{
    const std::optional<QByteArray> bytes = library.load(type, name, false);
    if (!bytes) {
        showLibraryError(library);
        return false;
    }
    try {
        auto image = std::make_unique<TGIFImage>();
        TMemoryStream stream(*bytes);
        image->loadFromStream(stream);
        picture.setGraphic(std::move(image));
        return true;
    } catch (const std::exception&) {
        showLibraryError(library);
        return false;
    }
}

// ---- Settings ------------------------------------------------------------------------------

int regReadInteger(const QString& section, const QString& name, int defaultValue)
{
    return Settings::readInteger(section, name, defaultValue);
}

QString regReadString(const QString& section, const QString& name, const QString& defaultValue)
{
    return Settings::readString(section, name, defaultValue);
}

void regWriteInteger(const QString& section, const QString& name, int value)
{
    Settings::writeInteger(section, name, value);
}

void regWriteString(const QString& section, const QString& name, const QString& value)
{
    Settings::writeString(section, name, value);
}

// ---- User interface ------------------------------------------------------------------------

bool validateIntegerField(QLineEdit& field, bool fifteenBit)
{
    const QString text = field.text();
    const int limit = fifteenBit ? 32767 : 65535;
    bool valid = !text.isEmpty();
    qint64 value = 0;
    bool anyDigit = false;
    for (QChar c : text) {
        if (c == QLatin1Char(' '))
            continue;
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            valid = false;
            break;
        }
        anyDigit = true;
        value = std::min<qint64>(value * 10 + (c.unicode() - '0'), qint64(limit) + 1);
    }
    if (valid && anyDigit && value <= limit)
        return true;
    messageDlg(QStringLiteral("'%1' is not a valid integer value.").arg(text), TMsgType::Error,
               TMsgButtons::Ok);
    field.setText(QString::number(field.property("tag").toInt()));
    field.setFocus();
    return false;
}

bool isYes(const QString& text)
{
    return text.toLower() == QLatin1String("yes");
}

bool isNumber(const QString& text)
{
    QString digits = text;
    digits.remove(QLatin1Char(' '));
    if (digits.isEmpty())
        return false;
    return std::all_of(digits.begin(), digits.end(),
                       [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

int findMenuEntry(const QMenu& menu, const QString& text)
{
    const QList<QAction*> entries = menu.actions();
    for (int i = 0; i < entries.size(); ++i) {
        if (entries[i]->text().contains(text))
            return i;
    }
    return -1;
}

void centerInScrollBox(QScrollArea& box, QWidget& control)
{
    box.horizontalScrollBar()->setValue(0);
    box.verticalScrollBar()->setValue(0);
    const QSize client = box.viewport()->size();
    const int left = control.width() < client.width() ? (client.width() - control.width()) / 2 : 0;
    const int top = control.height() < client.height() ? (client.height() - control.height()) / 2 : 0;
    control.move(left, top);
}

void suspendDrawing(QWidget& window, bool suspend)
{
    window.setUpdatesEnabled(!suspend);
    if (suspend)
        return;
    window.update();
    for (QWidget* child : window.findChildren<QWidget*>())
        child->update();
}

QString nameWithoutExtension(const QString& path)
{
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? path : path.left(dot);
}

int documentTabForFile(const QStringList& tabPaths, const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    int start = -1;
    for (int i = 0; i < tabPaths.size(); ++i) {
        if (QFileInfo(tabPaths[i]).fileName() == name) {
            start = i;
            break;
        }
    }
    if (start < 0)
        return -1;
    for (int i = start; i < tabPaths.size(); ++i) {
        if (tabPaths[i] == path)
            return i;
    }
    return -1;
}

int64_t kilobytes(int64_t bytes)
{
    return bytes <= 1024 ? 1 : bytes / 1024;
}

int centerTextLeft(const QRect& rect, const TCanvas& canvas, const QString& text)
{
    return rect.left() + (rect.width() - canvas.textWidth(text)) / 2;
}

int centerTextTop(const QRect& rect, const TCanvas& canvas, const QString& text)
{
    return rect.top() + (rect.height() - canvas.textHeight(text)) / 2;
}

// ---- Automation image transfer -------------------------------------------------------------

QByteArray streamToByteArray(TMemoryStream& stream)
{
    return stream.data();
}

std::unique_ptr<TMemoryStream> byteArrayToStream(const QByteArray& bytes)
{
    auto stream = std::make_unique<TMemoryStream>(bytes);
    stream->setPosition(0);
    return stream;
}

bool byteArrayToBitmap(const QByteArray& bytes, TBitmap& bitmap)
{
    return loadBitmapTransferValue(bytes, bitmap);
}
