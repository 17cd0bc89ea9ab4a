#pragma once
// How GoogleTest prints Qt's strings in failure messages: as text, not as object bytes. Included
// into every test source by the build, so every comparison of QString or QByteArray uses it.
#include <QByteArray>
#include <QString>

#include <iosfwd>

void PrintTo(const QString& text, std::ostream* out);
// Printable ASCII as it is, everything else escaped; long arrays are cut after 96 bytes with the
// total size given (EXPECT_SAME_BYTES shows where two arrays differ).
void PrintTo(const QByteArray& bytes, std::ostream* out);
