#pragma once
// Where the program's own files are: the resource library, the sample Images, Tips.txt and help.
// In the build tree they sit beside the program; installed they are in <prefix>/share/reelwright,
// found relative to the program first (so a moved or unpacked installation works), then at the
// prefix the build was configured with.
#include <QString>

// The first of: the program's folder when it holds the resource library; <program>/../share/reelwright;
// <install prefix>/share/reelwright; the program's folder (where a missing file is then reported).
QString programDataFolder();
// The same search from a given program folder; programDataFolder() passes the running program's.
QString programDataFolderFor(const QString& programFolder);

// Where edits of the sample images are saved: "working" beside the Images folder when that
// can be written, else "working" in the user's data folder (an installed copy is read-only).
QString sampleWorkingFolder();
