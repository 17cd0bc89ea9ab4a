#pragma once
// The extension blocks of a frame and the process-wide registries that map an extension label,
// or an application identifier, to the class that reads it.
#include "gif/GIFItems.h"

#include <QStringList>
#include <array>
#include <memory>

// A class-level description of an extension class: its label, how to create an instance for a
// frame, and the look-ahead that may pick a more specific class from the stream.
struct TGIFExtensionClass
{
    const char* name;
    uint8_t label;
    TGIFExtension* (*create)(TGIFSubImage* subImage);
    // Looks ahead (the caller restores the position) and returns a more specific class, or the
    // class itself. May be null, meaning "the class itself".
    const TGIFExtensionClass* (*findSubExtension)(TStream& stream);
};

constexpr uint8_t bsPlainTextExtension = 0x01;
constexpr uint8_t bsGraphicControlExtension = 0xF9;
constexpr uint8_t bsCommentExtension = 0xFE;
constexpr uint8_t bsApplicationExtension = 0xFF;
constexpr uint8_t bsExtensionIntroducer = 0x21;
constexpr uint8_t bsImageDescriptor = 0x2C;
constexpr uint8_t bsTrailer = 0x3B;

using TGIFApplicationId = std::array<uint8_t, 11>;

// How a frame is disposed of before the next one is drawn: bits 2-4 of a graphic control
// extension's packed fields. The four named values are the ones the painter gives a meaning to;
// 4-7 occur in files, are kept as read and written back unchanged, and the painter draws nothing
// for them. The names shown to the user are "None", "Remove", "Background" and "Previous", in
// value order, so a list of those names is indexed by the value.
enum class TGIFDisposal : uint8_t
{
    dmNone = 0,       // no disposal specified: the frame stays
    dmKeep = 1,       // do not dispose: the frame stays (shown as "Remove")
    dmBackground = 2, // restore the frame's area to the background
    dmPrevious = 3,   // restore the frame's area to what was there before it
};
constexpr int disposalCount = 4; // the named values

// The 3-bit value of a disposal code; every code 0-7 round-trips through it.
constexpr int disposalValue(TGIFDisposal disposal)
{
    return int(disposal) & 7;
}
// The disposal of a 3-bit value; bits above the three are dropped, as the packed field does.
constexpr TGIFDisposal disposalFromValue(int value)
{
    return TGIFDisposal(value & 7);
}
// True for the four codes with a meaning (and a name).
constexpr bool isNamedDisposal(TGIFDisposal disposal)
{
    return disposalValue(disposal) < disposalCount;
}
// True for the codes that leave the frame standing after its time (none specified, keep).
constexpr bool disposalLeavesFrame(TGIFDisposal disposal)
{
    return disposal == TGIFDisposal::dmNone || disposal == TGIFDisposal::dmKeep;
}
// True when the frame's area is restored after its time (background or previous): what comes
// next cannot rely on the frame's pixels staying.
constexpr bool disposalRestores(TGIFDisposal disposal)
{
    return disposal == TGIFDisposal::dmBackground || disposal == TGIFDisposal::dmPrevious;
}

// Registries, searched from the last registration backwards (a later registration wins).
// Used from the user-interface thread only.
void registerExtension(uint8_t label, const TGIFExtensionClass* extensionClass);
const TGIFExtensionClass* findExtension(uint8_t label);
void registerAppExtension(const TGIFApplicationId& identifier, const TGIFExtensionClass* extensionClass);
const TGIFExtensionClass* findAppExtension(const TGIFApplicationId& identifier);
TGIFApplicationId gifApplicationId(const char* text);

// Base of the extensions. Creating one does not add it to a list; the creator appends it.
class TGIFExtension : public TGIFItem
{
public:
    explicit TGIFExtension(TGIFSubImage* subImage);
    ~TGIFExtension() override;

    TGIFSubImage* subImage() const { return m_subImage; }
    virtual uint8_t extensionType() const = 0;
    virtual const TGIFExtensionClass* extensionClass() const = 0;
    TGIFVersion version() const override { return gv89a; }

    // Introducer, label, then the body.
    void saveToStream(TStream& stream) override;
    void loadFromStream(TStream& stream) override;

protected:
    virtual void saveBody(TStream& stream) = 0;
    virtual void loadBody(TStream& stream) = 0;

    TGIFSubImage* m_subImage;
};

class TGIFGraphicControlExtension : public TGIFExtension
{
public:
    explicit TGIFGraphicControlExtension(TGIFSubImage* subImage);
    ~TGIFGraphicControlExtension() override;
    static const TGIFExtensionClass* staticClass();
    uint8_t extensionType() const override { return bsGraphicControlExtension; }
    const TGIFExtensionClass* extensionClass() const override { return staticClass(); }

    bool transparent() const { return (m_packed & 0x01) != 0; }
    void setTransparent(bool value);
    uint8_t transparentColorIndex() const { return m_transparentIndex; }
    void setTransparentColorIndex(int index);
    TColor transparentColor();
    // The colour a view shows for the transparent index. Unlike transparentColor() it never
    // throws: a frame without any colour map is drawn with the default 256-colour palette, so
    // the index is looked up there.
    TColor shownTransparentColor();
    void setTransparentColor(TColor color);
    uint16_t delay() const { return m_delay; }
    void setDelay(uint16_t value) { m_delay = value; }
    bool userInput() const { return (m_packed & 0x02) != 0; }
    void setUserInput(bool value);
    TGIFDisposal disposal() const { return disposalFromValue(m_packed >> 2); }
    // Stores the 3-bit code; values 4-7 are kept as they are.
    void setDisposal(TGIFDisposal value);
    uint8_t packedFields() const { return m_packed; }

protected:
    void saveBody(TStream& stream) override;
    void loadBody(TStream& stream) override;

private:
    uint8_t m_blockSize = 4;
    uint8_t m_packed = 0;
    uint16_t m_delay = 0;
    uint8_t m_transparentIndex = 0;
    uint8_t m_terminator = 0;
};

class TGIFCommentExtension : public TGIFExtension
{
public:
    using TGIFExtension::TGIFExtension;
    static const TGIFExtensionClass* staticClass();
    uint8_t extensionType() const override { return bsCommentExtension; }
    const TGIFExtensionClass* extensionClass() const override { return staticClass(); }
    QStringList& text() { return m_text; }

protected:
    void saveBody(TStream& stream) override;
    void loadBody(TStream& stream) override;

private:
    QStringList m_text;
};

class TGIFTextExtension : public TGIFExtension
{
public:
    using TGIFExtension::TGIFExtension;
    static const TGIFExtensionClass* staticClass();
    uint8_t extensionType() const override { return bsPlainTextExtension; }
    const TGIFExtensionClass* extensionClass() const override { return staticClass(); }
    QStringList& text() { return m_text; }

    // The 13 bytes after the label: block size, grid left, top, width, height, cell width,
    // cell height, foreground and background colour index.
    struct Fields
    {
        uint8_t blockSize = 12;
        uint16_t left = 0, top = 0, width = 0, height = 0;
        uint8_t cellWidth = 0, cellHeight = 0, foreground = 0, background = 0;
    };
    Fields& fields() { return m_fields; }

protected:
    void saveBody(TStream& stream) override;
    void loadBody(TStream& stream) override;

private:
    Fields m_fields;
    QStringList m_text;
};

// Base of the application extensions. Read for a block size the look-ahead cannot place; it has
// no data reader of its own, so such a block fails to load.
class TGIFApplicationExtension : public TGIFExtension
{
public:
    explicit TGIFApplicationExtension(TGIFSubImage* subImage);
    static const TGIFExtensionClass* staticClass();
    uint8_t extensionType() const override { return bsApplicationExtension; }
    const TGIFExtensionClass* extensionClass() const override { return staticClass(); }
    const TGIFApplicationId& identifier() const { return m_identifier; }
    void setIdentifier(const TGIFApplicationId& value) { m_identifier = value; }

protected:
    void saveBody(TStream& stream) override;
    void loadBody(TStream& stream) override;
    virtual void saveData(TStream& stream);
    virtual void loadData(TStream& stream);

    TGIFApplicationId m_identifier{};
};

class TGIFUnknownAppExtension : public TGIFApplicationExtension
{
public:
    using TGIFApplicationExtension::TGIFApplicationExtension;
    static const TGIFExtensionClass* staticClass();
    const TGIFExtensionClass* extensionClass() const override { return staticClass(); }
    std::vector<std::unique_ptr<TGIFBlock>>& blocks() { return m_blocks; }

protected:
    void saveData(TStream& stream) override;
    void loadData(TStream& stream) override;

private:
    std::vector<std::unique_ptr<TGIFBlock>> m_blocks;
};

// The looping extension ("NETSCAPE2.0"; "ANIMEXTS1.0" is read the same way).
class TGIFAppExtNSLoop : public TGIFApplicationExtension
{
public:
    explicit TGIFAppExtNSLoop(TGIFSubImage* subImage);
    static const TGIFExtensionClass* staticClass();
    const TGIFExtensionClass* extensionClass() const override { return staticClass(); }
    // 0 = forever, otherwise the number of extra repetitions.
    uint16_t loops() const { return m_loops; }
    void setLoops(uint16_t value) { m_loops = value; }
    uint32_t bufferSize() const { return m_bufferSize; }
    void setBufferSize(uint32_t value) { m_bufferSize = value; }

protected:
    void saveData(TStream& stream) override;
    void loadData(TStream& stream) override;

private:
    uint16_t m_loops = 0;
    uint32_t m_bufferSize = 0;
};
