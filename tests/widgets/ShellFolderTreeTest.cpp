// The folder tree and the folder-browse dialog: what they report and keep.
#include "widgets/ShellFolderTree.h"
#include "platform/ScriptedMessageService.h"
#include "widgets/FolderBrowseDialog.h"

#include <QDir>
#include <QFileSystemModel>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(ShellFolderTree, ReportsEachNewFolderOnceWhetherSetOrPicked)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    QDir(dir.path()).mkdir(QStringLiteral(".hidden"));
    TShellFolderTree tree;
    QSignalSpy changed(&tree, &TShellFolderTree::folderChanged);
    tree.setFolder(dir.path() + QStringLiteral("/"));
    EXPECT_EQ(tree.folder(), QDir::cleanPath(dir.path()));
    tree.setFolder(dir.path());
    EXPECT_EQ(changed.count(), 1) << "the same folder again is no change";

    // The user picks a folder in the view.
    auto* model = qobject_cast<QFileSystemModel*>(tree.model());
    ASSERT_NE(model, nullptr);
    EXPECT_TRUE(model->filter() & QDir::Hidden);
    tree.setCurrentIndex(model->index(dir.path() + QStringLiteral("/sub")));
    EXPECT_EQ(tree.folder(), dir.path() + QStringLiteral("/sub"));
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(changed.last().at(0).toString(), dir.path() + QStringLiteral("/sub"));

    // A folder that does not exist is held and reported; the listener decides what to do.
    tree.setFolder(dir.path() + QStringLiteral("/gone"));
    EXPECT_EQ(changed.count(), 3);
    EXPECT_EQ(tree.folder(), dir.path() + QStringLiteral("/gone"));
}

TEST(FolderBrowseDialog, KeepsItsFolderAndGivesBackTheChosenOne)
{
    TScriptedMessageService messages;
    TScopedMessageService scope(messages);
    TFolderBrowseDialog dialog;
    dialog.setFolder(QStringLiteral("/start"));
    messages.pushFolder(QStringLiteral("/chosen/"));
    EXPECT_TRUE(dialog.execute());
    EXPECT_EQ(dialog.folder(), QStringLiteral("/chosen"));
    messages.pushFolder(std::nullopt);
    EXPECT_FALSE(dialog.execute());
    EXPECT_EQ(dialog.folder(), QStringLiteral("/chosen"));
    ASSERT_EQ(messages.recorded().size(), 2u);
    EXPECT_EQ(messages.recorded()[1].kind, TDialogKind::ChooseFolder);
}

} // namespace
