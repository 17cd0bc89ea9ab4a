#pragma once
// TPicture: the holder of one graphic of any class, and the process-wide registry that maps
// file extensions to graphic classes ("bmp" → TBitmap, "ico"/"cur" → TIcon, "emf"/"wmf" → TMetafile;
// the GIF engine adds "gif"). The registry belongs to the main thread.
#include "graphics/Graphic.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

class TBitmap;

using TGraphicFactory = std::function<std::unique_ptr<TGraphic>()>;

struct TFileFormat
{
    QString extension; // lower case, without the dot
    QString description;
    TGraphicFactory factory;
};

class TPicture : public TPersistent
{
public:
    TPicture();
    ~TPicture() override;
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    // The graphic held (owned by the picture), or nullptr.
    TGraphic* graphic() const { return m_graphic.get(); }
    // Holds a copy of graphic (a new graphic of its class when that class is registered,
    // otherwise a TBitmap drawn from it); nullptr empties the picture.
    void setGraphic(const TGraphic* graphic);
    // Takes ownership of graphic.
    void setGraphic(std::unique_ptr<TGraphic> graphic);
    // The graphic as a bitmap: a graphic of another class is first converted into a TBitmap
    // (its picture is kept) that replaces it. An empty picture gets an empty bitmap.
    TBitmap* bitmap();

    int width() const;
    int height() const;

    // Chooses the graphic class by the file's extension; unknown extensions raise
    // EInvalidGraphic "Unknown picture file extension (.xyz)". The held graphic is replaced
    // only when loading succeeds.
    void loadFromFile(const QString& fileName);
    void saveToFile(const QString& fileName);

    // A picture: a copy of its graphic. A graphic: a copy of it. nullptr: empty.
    void assign(const TPersistent* source) override;

    TNotifyEvent onChange;

    static void registerFileFormat(const QString& extension, const QString& description,
                                   TGraphicFactory factory);
    static void unregisterFileFormat(const QString& extension);
    static std::vector<TFileFormat> fileFormats();
    // A new, empty graphic for a file extension (with or without the dot), or nullptr.
    static std::unique_ptr<TGraphic> createGraphic(const QString& extension);
    // A new graphic of the same class as graphic, assigned from it.
    static std::unique_ptr<TGraphic> copyGraphic(const TGraphic* graphic);

protected:
    void assignTo(TPersistent* target) const override;

private:
    void changed();
    void attach(std::unique_ptr<TGraphic> graphic);

    std::unique_ptr<TGraphic> m_graphic;
};
