#pragma once
// The six undo command classes. Each captures, when it is created, what its edit is about to
// change in the working image, and puts it back in Undo according to its action type.
//
// Action types by class (the recorders choose them):
//   TActiveAnimation  any     whole animation from a snapshot file
//   TCommandPalette   1 local map added, 2 map removed, 3 map replaced, 5 entry appended,
//                     6 entry deleted (Undo puts it back at its index), 7 entry changed
//   TFrame            1 frame added, 2 frame deleted, 3 geometry or interlacing changed, 4 moved
//   TCommentExt       1 comment added, 2 deleted (Undo puts it back at its position), 3 changed
//   TGCExt            1 graphic control extension added, 2 removed, 3 changed
//   TNSLoop           1 looping extension added, 2 removed, 3 count changed
// Unlisted action types undo nothing; action type 0 is an error everywhere but TActiveAnimation.
#include "editing/UndoHistory.h"
#include "editing/UndoSnapshot.h"
#include "gif/GIFColorMap.h"
#include "gif/GIFExtensions.h"

#include <QStringList>

class TGIFImage;
class TGIFSubImage;
class TGIFGraphicControlExtension;

// A colour map that is only a saved copy: it belongs to no image, so filling it must not notify
// or remap anything.
class TCmdColorMap : public TGIFColorMap
{
public:
    void warning(int, const QString&) override {}
    std::vector<int64_t> buildHistogram() override { return {}; }
    void changed() override {}
    int frameIndex() const { return m_frameIndex; }
    void setFrameIndex(int value) { m_frameIndex = value; }

protected:
    std::vector<TGIFSubImage*> framesConcerned() const override { return {}; }

private:
    int m_frameIndex = -1;
};

class TActiveAnimation : public TCommand
{
public:
    TActiveAnimation(IUndoContext& context, uint8_t actionType, int frameIndex);
    void undo(IUndoContext& context) override;
    const QString& snapshotFileName() const { return m_snapshot.fileName(); }

private:
    TUndoSnapshot m_snapshot;
};

class TCommandPalette : public TCommand
{
public:
    TCommandPalette(IUndoContext& context, uint8_t actionType, int colorIndex, int data, int frameIndex);
    void undo(IUndoContext& context) override;

private:
    TGIFColorMap* targetMap(TGIFImage& image) const;

    std::unique_ptr<TCmdColorMap> m_savedMap;
    // Action 1 on a frame: its pixels and transparent index before the new map renumbered them.
    std::vector<uint8_t> m_savedPixels;
    int m_savedTransparentIndex = -1;
    int m_colorIndex;
    TColor m_colorValue;
};

class TFrame : public TCommand
{
public:
    TFrame(IUndoContext& context, uint8_t actionType, int data, int frameIndex);
    void undo(IUndoContext& context) override;
    QString snapshotFileName() const { return m_snapshot ? m_snapshot->fileName() : QString(); }

private:
    int m_animationHeight = 0;
    int m_animationWidth = 0;
    std::unique_ptr<TUndoSnapshot> m_snapshot; // action 2 only
    uint16_t m_frameHeight = 0;
    uint16_t m_frameLeft = 0;
    uint16_t m_frameTop = 0;
    uint16_t m_frameWidth = 0;
    bool m_interlaced = false;
    int m_targetIndex;
};

// Base of the commands that concern one extension of a frame; data is the caller's.
class TFrameExtension : public TCommand
{
public:
    TFrameExtension(uint8_t actionType, int data, int frameIndex)
        : TCommand(actionType, frameIndex), m_data(data)
    {
    }

protected:
    int m_data;
};

// data = position of the comment in the frame's extension list.
class TCommentExt : public TFrameExtension
{
public:
    TCommentExt(IUndoContext& context, uint8_t actionType, int data, int frameIndex);
    void undo(IUndoContext& context) override;
    // The comment's lines joined with line breaks.
    QString commentText() const { return m_lines.join(QLatin1Char('\n')); }

private:
    // Kept as lines rather than joined text, so a comment comes back with exactly its lines.
    QStringList m_lines;
};

class TGCExt : public TFrameExtension
{
public:
    TGCExt(IUndoContext& context, uint8_t actionType, int data, int frameIndex);
    void undo(IUndoContext& context) override;

private:
    void applyTo(TGIFSubImage& frame, TGIFGraphicControlExtension& extension) const;

    bool m_userInput = false;
    bool m_transparent = false;
    uint8_t m_transparentIndex = 0;
    TGIFDisposal m_disposal = TGIFDisposal::dmNone;
    uint16_t m_delay = 0;
    TColor m_transparentColor = 0;
};

class TNSLoop : public TFrameExtension
{
public:
    TNSLoop(IUndoContext& context, uint8_t actionType, int data, int frameIndex);
    void undo(IUndoContext& context) override;

private:
    // 1 also stands for "no looping extension"; m_hadExtension tells the two apart.
    uint16_t m_loopCount = 1;
    bool m_hadExtension = false;
};
