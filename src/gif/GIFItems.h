#pragma once
// Base of every block object of the GIF model, the owning lists, the trailer block and the raw
// data sub-block of unknown application extensions.
//
// Ownership: only a list owns its items. Destroying an item unlinks it from the list that holds
// it, so deleting a frame or an extension needs nothing but its destruction; a list's own
// deleteAt/clear remove the item first and then destroy it.
#include "gif/GIFTypes.h"
#include "graphics/Graphic.h"

#include <QByteArray>
#include <vector>

class TStream;

class TGIFItem : public TPersistent
{
public:
    explicit TGIFItem(TGIFImage* image) : m_image(image) {}
    TGIFItem(const TGIFItem&) = delete;
    TGIFItem& operator=(const TGIFItem&) = delete;

    TGIFImage* image() const { return m_image; }

    // The GIF version this item needs to be written faithfully.
    virtual TGIFVersion version() const { return gv87a; }
    // Forwards to the image's warning handler with this item as sender (severity 1 by convention).
    virtual void warning(int severity, const QString& message);
    virtual void saveToStream(TStream& stream) = 0;
    virtual void loadFromStream(TStream& stream) = 0;
    virtual void saveToFile(const QString& fileName);
    virtual void loadFromFile(const QString& fileName);

protected:
    TGIFImage* m_image;
};

// Owning ordered list of items. Index errors raise EListError.
class TGIFList : public TPersistent
{
public:
    explicit TGIFList(TGIFImage* image) : m_image(image) {}
    ~TGIFList() override;
    TGIFList(const TGIFList&) = delete;
    TGIFList& operator=(const TGIFList&) = delete;

    TGIFImage* image() const { return m_image; }
    int count() const { return int(m_items.size()); }
    TGIFItem* item(int index) const;
    int indexOf(const TGIFItem* item) const;
    // Takes ownership; returns the new index.
    int add(TGIFItem* item);
    void insert(int index, TGIFItem* item);
    // Removes the item at index and destroys it.
    void deleteAt(int index);
    void move(int from, int to);
    // Unlinks the item without destroying it; the caller takes ownership. Returns its old index or -1.
    int remove(TGIFItem* item);
    // Deletes from index 0 until the list is empty.
    void clear();

    virtual void warning(int severity, const QString& message);
    virtual void saveToStream(TStream& stream) = 0;
    virtual void loadFromStream(TStream& stream) = 0;

protected:
    void checkIndex(int index, int limit) const;

    TGIFImage* m_image;
    std::vector<TGIFItem*> m_items;
};

// The frame list of an image.
class TGIFImageList : public TGIFList
{
public:
    using TGIFList::TGIFList;
    TGIFSubImage* subImage(int index) const;
    void saveToStream(TStream& stream) override;
    // Reads frames up to the trailer (tolerant: see the implementation for what is skipped).
    void loadFromStream(TStream& stream) override;
};

// The extension list of one frame.
class TGIFExtensionList : public TGIFList
{
public:
    TGIFExtensionList(TGIFSubImage* subImage);
    TGIFSubImage* subImage() const { return m_subImage; }
    TGIFExtension* extension(int index) const;
    void saveToStream(TStream& stream) override;
    // Reads extensions up to the next image descriptor or trailer.
    void loadFromStream(TStream& stream) override;

private:
    TGIFSubImage* m_subImage;
};

// The trailer block; exists only while an image is loaded or saved.
class TGIFTrailer : public TGIFItem
{
public:
    using TGIFItem::TGIFItem;
    void saveToStream(TStream& stream) override;
    void loadFromStream(TStream& stream) override;
};

// One raw data sub-block (size 1–255 and its bytes) of an unknown application extension.
class TGIFBlock : public TObject
{
public:
    explicit TGIFBlock(QByteArray data = {}) : m_data(std::move(data)) {}
    int size() const { return int(m_data.size()); }
    const QByteArray& data() const { return m_data; }
    void setData(QByteArray data) { m_data = std::move(data); }
    void saveToStream(TStream& stream) const;
    // Reads the data of a sub-block whose size byte has been read already.
    void loadFromStream(TStream& stream, int size);

private:
    QByteArray m_data;
};
