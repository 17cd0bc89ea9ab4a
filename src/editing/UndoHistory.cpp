#include "editing/UndoHistory.h"
#include "platform/UserTexts.h"

#include <algorithm>

TCommand::TCommand(uint8_t actionType, int frameIndex)
    : m_caption(QString::fromLatin1(kUnidentifiedActionCaption)), m_actionType(actionType),
      m_frameIndex(frameIndex)
{
}

void TCommand::checkActionType() const
{
    if (m_actionType == 0)
        throw ECommandError(QStringLiteral("Unknown Action Type from %1!").arg(className()));
}

void THistoryList::addCommand(IUndoContext& context, int kind, uint8_t actionType, int colorIndex, int data,
                              int frameIndex, const QString& caption)
{
    std::unique_ptr<TCommand> command =
        createCommand(context, kind, actionType, colorIndex, data, frameIndex);
    if (!command)
        return;
    command->setCaption(caption);
    add(std::move(command));
}

void THistoryList::add(std::unique_ptr<TCommand> command)
{
    // A capacity from the settings can be anything; below 0 it would empty the list forever.
    const int kept = std::max(m_capacity, 0) + 1;
    while (count() >= kept)
        deleteAt(0);
    m_commands.push_back(std::move(command));
}

void THistoryList::deleteAt(int index)
{
    if (index < 0 || index >= count())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    // Unlink before destroying, so a destructor that fails cannot leave a dangling entry.
    std::unique_ptr<TCommand> doomed = std::move(m_commands[size_t(index)]);
    m_commands.erase(m_commands.begin() + index);
}

void THistoryList::clear()
{
    while (!m_commands.empty())
        deleteAt(0);
}

QString THistoryList::lastCaption() const
{
    return m_commands.empty() ? QString() : m_commands.back()->caption();
}

int THistoryList::lastFrameIndex() const
{
    return m_commands.empty() ? -1 : m_commands.back()->frameIndex();
}

void THistoryList::undo(IUndoContext& context)
{
    if (m_commands.empty())
        return;
    m_commands.back()->undo(context);
    deleteAt(count() - 1);
}
