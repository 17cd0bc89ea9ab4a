#pragma once
// A document's undo history: a bounded stack of edit commands. An edit records one command that
// captures what the edit is about to destroy, then changes the working image; Undo lets the newest
// command put that back and throws the command away. There is no redo.
//
// Commands work on the working image they reach through IUndoContext (UndoHost.h). Everything
// here runs on the user-interface thread.
#include "graphics/Exceptions.h"
#include "graphics/Graphic.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class IUndoContext;

// The exception of the undo commands. Raised while a command is created, nothing is recorded;
// raised by Undo, the command stays on the history so a later Undo tries it again.
class ECommandError : public Exception
{
public:
    using Exception::Exception;
};

// Command kinds as recorders pass them. Kind 6 and every unlisted value create no command.
enum TCommandKind : int
{
    ckActiveAnimation = 1,
    ckPalette = 2,
    ckFrame = 3,
    ckCommentExt = 4,
    ckGCExt = 5,
    ckNSLoop = 7,
};

inline constexpr int kDefaultUndoCapacity = 50;

class TCommand : public TObject
{
public:
    TCommand(uint8_t actionType, int frameIndex);
    TCommand(const TCommand&) = delete;
    TCommand& operator=(const TCommand&) = delete;

    // Puts back what the command captured. Raises ECommandError (or an engine error) and leaves
    // the image as far as it got when that is impossible.
    virtual void undo(IUndoContext& context) = 0;

    const QString& caption() const { return m_caption; }
    void setCaption(const QString& caption) { m_caption = caption; }
    uint8_t actionType() const { return m_actionType; }
    int frameIndex() const { return m_frameIndex; }

protected:
    // Action type 0 means "none"; undoing it is an error in every class that looks at it.
    void checkActionType() const;

    QString m_caption;
    uint8_t m_actionType;
    int m_frameIndex;
};

// Creates the command of a kind, capturing from the working image now; nullptr for kinds that
// make no command. Exceptions from the capture pass out.
std::unique_ptr<TCommand> createCommand(IUndoContext& context, int kind, uint8_t actionType, int colorIndex,
                                        int data, int frameIndex);

class THistoryList : public TObject
{
public:
    explicit THistoryList(int capacity = kDefaultUndoCapacity) : m_capacity(capacity) {}
    ~THistoryList() override { clear(); }
    THistoryList(const THistoryList&) = delete;
    THistoryList& operator=(const THistoryList&) = delete;

    // Creates the command first, so a failing capture records nothing; unknown kinds are ignored.
    void addCommand(IUndoContext& context, int kind, uint8_t actionType, int colorIndex, int data,
                    int frameIndex, const QString& caption);
    // Keeps at most capacity + 1 commands: the oldest go first.
    void add(std::unique_ptr<TCommand> command);
    void deleteAt(int index);
    // Oldest first, so snapshot files disappear in recording order.
    void clear();

    int count() const { return int(m_commands.size()); }
    TCommand* command(int index) const { return m_commands.at(size_t(index)).get(); }
    TCommand* last() const { return m_commands.empty() ? nullptr : m_commands.back().get(); }
    QString lastCaption() const;
    int lastFrameIndex() const;

    // Undoes and drops the newest command; when its Undo raises, the history is left as it was.
    void undo(IUndoContext& context);

    int capacity() const { return m_capacity; }
    // Only stores the number: existing commands are trimmed by the next add.
    void setCapacity(int value) { m_capacity = value; }

private:
    std::vector<std::unique_ptr<TCommand>> m_commands; // oldest first
    int m_capacity;
};
