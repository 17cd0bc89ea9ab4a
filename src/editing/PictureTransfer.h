#pragma once
// Pictures from the program's resource library, and the automation interface's image transfer
// (a QByteArray stands in for the variant array of bytes, bounds 0 .. size - 1).
#include <QByteArray>
#include <QString>

#include <memory>

class TBitmap;
class TMemoryStream;
class TPicture;
class TResourceLibrary;

// ---- Resource library ----------------------------------------------------------------------

bool loadBitmapResource(const TResourceLibrary& library, const QString& name, TPicture& picture);
bool loadGIFResource(const TResourceLibrary& library, const QString& name, const QString& type,
                     TPicture& picture);

// ---- Automation image transfer -------------------------------------------------------------
// A QByteArray stands in for the variant array of bytes (bounds 0 .. size - 1).

QByteArray streamToByteArray(TMemoryStream& stream);
std::unique_ptr<TMemoryStream> byteArrayToStream(const QByteArray& bytes);
// Reads a complete bitmap file; false when it does not read.
bool byteArrayToBitmap(const QByteArray& bytes, TBitmap& bitmap);
