#include "widgets/FolderBrowseDialog.h"

#include "platform/MessageService.h"

#include <QDir>

TFolderBrowseDialog::TFolderBrowseDialog(QString caption) : m_caption(std::move(caption)) {}

bool TFolderBrowseDialog::execute()
{
    const std::optional<QString> chosen = messageService().chooseFolder(m_caption, m_folder);
    if (!chosen || chosen->isEmpty())
        return false;
    m_folder = QDir::cleanPath(*chosen);
    return true;
}
