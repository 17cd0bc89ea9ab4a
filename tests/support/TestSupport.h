#pragma once
// Shared helpers for every test program: where the test corpora live, temporary folders.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace testsupport {

// Root of the shared GIF corpus (conformance, malformed, real).
QString sharedTestData(const QString& relative = {});
// Fixtures made by this project (tests/data).
QString localTestData(const QString& relative = {});
// Folder with the built programs (reelwright, reelwright-cli, resources).
QString binDir();
// All files below a folder whose names end with one of the suffixes, sorted.
QStringList filesBelow(const QString& folder, const QStringList& suffixes);
QByteArray readFile(const QString& path);

} // namespace testsupport
