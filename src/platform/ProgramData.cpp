#include "platform/ProgramData.h"

#include "platform/ResourceLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifndef REELWRIGHT_INSTALL_DATADIR
#define REELWRIGHT_INSTALL_DATADIR "/usr/local/share/reelwright"
#endif

QString programDataFolderFor(const QString& programFolder)
{
    const QDir program(programFolder);
    if (QFileInfo(program.filePath(QString::fromLatin1(kSpoolkitLibrary))).isFile())
        return program.absolutePath();
    const QString besideProgram = QDir::cleanPath(program.filePath(QStringLiteral("../share/reelwright")));
    if (QFileInfo(QDir(besideProgram).filePath(QString::fromLatin1(kSpoolkitLibrary))).isFile())
        return besideProgram;
    const QString installed = QStringLiteral(REELWRIGHT_INSTALL_DATADIR);
    if (QFileInfo(QDir(installed).filePath(QString::fromLatin1(kSpoolkitLibrary))).isFile())
        return installed;
    return program.absolutePath();
}

QString programDataFolder()
{
    return programDataFolderFor(QCoreApplication::applicationDirPath());
}

QString sampleWorkingFolder()
{
    const QString data = programDataFolder();
    if (QFileInfo(data).isWritable())
        return QDir(data).filePath(QStringLiteral("working"));
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("working"));
}
