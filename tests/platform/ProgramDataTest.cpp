// Where the program finds its own files: beside itself in the build tree, in share/reelwright
// relative to itself when installed (also when the installation was moved or unpacked elsewhere),
// and the program's folder as the last answer, where a missing file is then reported.
#include "platform/ProgramData.h"
#include "platform/ResourceLibrary.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

TEST(ProgramData, BuildTreeThenInstalledLayoutThenTheProgramFolder)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QDir dir(root.path());
    const QString library = QString::fromLatin1(kSpoolkitLibrary);

    // Build tree: the library sits beside the program.
    touch(dir.filePath("build/bin/" + library));
    EXPECT_EQ(programDataFolderFor(dir.filePath("build/bin")), dir.filePath("build/bin"));

    // Installed (or unpacked with dpkg -x): <root>/usr/bin and <root>/usr/share/reelwright.
    touch(dir.filePath("usr/share/reelwright/" + library));
    QDir().mkpath(dir.filePath("usr/bin"));
    EXPECT_EQ(programDataFolderFor(dir.filePath("usr/bin")), dir.filePath("usr/share/reelwright"));

    // Beside the program wins over the installed layout.
    touch(dir.filePath("usr/bin/" + library));
    EXPECT_EQ(programDataFolderFor(dir.filePath("usr/bin")), dir.filePath("usr/bin"));

    // Nothing anywhere near: the program's folder.
    QDir().mkpath(dir.filePath("elsewhere/bin"));
    const QString found = programDataFolderFor(dir.filePath("elsewhere/bin"));
    EXPECT_TRUE(found == dir.filePath("elsewhere/bin") || QFileInfo(found + "/" + library).isFile())
        << found.toStdString();
}

TEST(ProgramData, TheRunningTestFindsTheBuiltLibrary)
{
    EXPECT_TRUE(QFileInfo(QDir(programDataFolder()).filePath(QString::fromLatin1(kSpoolkitLibrary))).isFile())
        << programDataFolder().toStdString();
    EXPECT_EQ(TResourceLibrary().filePath(),
              QDir(programDataFolder()).filePath(QString::fromLatin1(kSpoolkitLibrary)));
}

} // namespace
