#pragma once
// Temporary files of the program (working copies, undo snapshots, the frame clipboard): empty
// files named with a prefix and six random characters in the system's temporary folder.
// The name is reserved by creating the file (mkstemp, mode 0600), so two documents or two
// running programs never get the same name. Thread-safe.
#include <QString>

// Creates a new empty file "<QDir::tempPath()>/<prefix>XXXXXX<suffix>" and returns its full
// path; an empty string when no file could be created (folder missing or not writable).
QString createTempFile(const QString& prefix = QStringLiteral("~GA"), const QString& suffix = {});

// Deletes a file made by createTempFile (or any file); true when it is gone afterwards,
// also when it never existed. An empty name does nothing and returns true.
bool deleteTempFile(const QString& fileName);
