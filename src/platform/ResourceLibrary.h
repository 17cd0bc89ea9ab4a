#pragma once
// The resource library "Spoolkit": a Qt binary resource file (Spoolkit.rcc) beside the program
// holding the splash and wizard bitmaps (type BITMAP) and the logo animation (type GIF). Like a
// resource DLL it is registered for one read and released straight away, so nothing stays mapped.
#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

inline constexpr const char* kSpoolkitLibrary = "Spoolkit.rcc";
inline constexpr const char* kResourceTypeBitmap = "BITMAP";
inline constexpr const char* kResourceTypeGif = "GIF";

class TResourceLibrary
{
public:
    // The library file in the given folder (the program's folder by default).
    explicit TResourceLibrary(const QString& folder = {});

    // The raw bytes of one resource; empty when the library or the resource is missing.
    // With reportMissing, a library that cannot be loaded shows "Could not load %s library file."
    // through the message service (error, OK).
    std::optional<QByteArray> load(const QString& type, const QString& name, bool reportMissing) const;
    // A bitmap resource as an image (null when missing; the missing library is reported).
    QImage loadBitmap(const QString& name) const;
    // A GIF resource's complete file; missing library or resource is not reported.
    QByteArray loadGif(const QString& name) const;

    QString filePath() const { return m_filePath; }

    // Folder searched when none is given; tests point it elsewhere. Empty restores the program's folder.
    static void setDefaultFolder(const QString& folder);
    static QString defaultFolder();

private:
    QString m_filePath;
};
