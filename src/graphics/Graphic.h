#pragma once
// Base classes of the graphic framework the engine is built on: persistent objects that can
// be assigned, and the abstract graphic (size, drawing, streaming, clipboard, change and
// progress notifications).
#include "graphics/Palette.h"

#include <QRect>
#include <QString>
#include <functional>

class TCanvas;
class TStream;
class TObject;

// Root of every class that has a run-time class name.
class TObject
{
public:
    virtual ~TObject() = default;
    virtual QString className() const;
};

// An object whose contents can be copied from another object. assign() asks the source to
// assignTo() when it does not know the source's class; the base assignTo raises EConvertError
// "Cannot assign a <source> to a <target>".
class TPersistent : public TObject
{
public:
    virtual void assign(const TPersistent* source);

protected:
    virtual void assignTo(TPersistent* target) const;
    [[noreturn]] void assignError(const TPersistent* source) const;
};

enum TProgressStage { psStarting = 0, psRunning = 1, psEnding = 2 };

using TNotifyEvent = std::function<void(TObject* sender)>;
using TProgressEvent = std::function<void(TObject* sender, TProgressStage stage, int percentDone, bool redrawNow,
                                          const QRect& rect, const QString& message)>;

// Abstract graphic: everything that can be drawn, sized, streamed and put on the clipboard.
class TGraphic : public TPersistent
{
public:
    TGraphic() = default;
    TGraphic(const TGraphic&) = delete;
    TGraphic& operator=(const TGraphic&) = delete;

    virtual void draw(TCanvas& canvas, const QRect& rect) = 0;
    virtual bool empty() const = 0;
    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual void setWidth(int value) = 0;
    virtual void setHeight(int value) = 0;
    virtual HPALETTE palette();
    virtual void setPalette(HPALETTE value);
    virtual bool transparent() const { return m_transparent; }
    virtual void setTransparent(bool value);
    virtual bool equals(TGraphic* other);

    virtual void loadFromStream(TStream& stream) = 0;
    virtual void saveToStream(TStream& stream) = 0;
    virtual void loadFromFile(const QString& fileName);
    virtual void saveToFile(const QString& fileName);

    // Clipboard: the format names the data ("image/gif", "image/bmp", ...).
    virtual void loadFromClipboardFormat(const QString& format, const QByteArray& data);
    virtual void saveToClipboardFormat(QString& format, QByteArray& data);

    bool modified() const { return m_modified; }
    void setModified(bool value);
    bool paletteModified() const { return m_paletteModified; }
    void setPaletteModified(bool value) { m_paletteModified = value; }

    TNotifyEvent onChange;
    TProgressEvent onProgress;

    // Fires onChange and sets the modified flag.
    virtual void changed(TObject* sender);
    virtual void progress(TObject* sender, TProgressStage stage, int percentDone, bool redrawNow,
                          const QRect& rect, const QString& message);

private:
    bool m_modified = false;
    bool m_paletteModified = false;
    bool m_transparent = false;
};

// Platform multiply-divide: a * b / c with a 64-bit intermediate, rounded to nearest
// (halves away from zero); -1 when c is 0.
int mulDiv(int a, int b, int c);
