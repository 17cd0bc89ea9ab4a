#pragma once
// The per-user settings store. One QSettings INI file (organisation "Brightwell Software",
// application "GIF Reelwright 5.0", under the XDG config home) stands in for the registry root
// "Software\Brightwell Software\GIF Reelwright 5.0\". Sections are backslash-separated sub-key
// paths ("Settings\Toolbars\Standard") and become nested INI groups.
//
// Every value is stored as text. Integers are decimal text; reading one yields the default when
// the value is missing or is not a decimal integer. Text is written with one NUL appended and is
// cut at the first NUL on reading, so values written by either form read back the same.
//
// The store keeps no state between batches: a batch opens the file, does its reads and writes and
// closes (flushes) it again. Failures (read-only or missing config folder, unwritable file) are
// never reported: reads give their defaults and writes are lost silently.
#include "platform/SettingsTable.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QSettings;

// Registry-style root path kept for outside readers and messages; QSettings derives the file from
// the organisation and application names below.
inline constexpr const char* kSettingsRootKey = "Software\\Brightwell Software\\GIF Reelwright 5.0\\";
inline constexpr const char* kSettingsOrganization = "Brightwell Software";
inline constexpr const char* kSettingsApplication = "GIF Reelwright 5.0";

// Parses strictly decimal text (optional sign, digits, within 32 bits); anything else is empty.
std::optional<int> parseDecimalInteger(const QString& text);

// Batch form: the constructor opens the root, the destructor (or close()) closes it.
class TSettingsBatch
{
public:
    TSettingsBatch();
    ~TSettingsBatch();
    TSettingsBatch(const TSettingsBatch&) = delete;
    TSettingsBatch& operator=(const TSettingsBatch&) = delete;

    int readInteger(const QString& section, const QString& name, int defaultValue) const;
    QString readString(const QString& section, const QString& name, const QString& defaultValue) const;
    void writeInteger(const QString& section, const QString& name, int value);
    void writeString(const QString& section, const QString& name, const QString& value);
    void deleteSection(const QString& section);
    // Names of the values (not sub-sections) held directly in a section.
    QStringList valueNames(const QString& section) const;
    bool valueExists(const QString& section, const QString& name) const;

    // Table keys: the default comes from the settings table; dynamic defaults are passed in.
    int readInteger(const TSettingKey& key) const;
    int readInteger(const TSettingKey& key, int dynamicDefault) const;
    QString readString(const TSettingKey& key) const;
    QString readString(const TSettingKey& key, const QString& dynamicDefault) const;
    void writeInteger(const TSettingKey& key, int value) { writeInteger(key.section, key.name, value); }
    void writeString(const TSettingKey& key, const QString& value)
    {
        writeString(key.section, key.name, value);
    }

    void close();

private:
    std::unique_ptr<QSettings> m_store;
};

// One-shot form: each call opens the root, reads or writes one value and closes it again.
namespace Settings {
int readInteger(const QString& section, const QString& name, int defaultValue);
int readInteger(const TSettingKey& key);
QString readString(const QString& section, const QString& name, const QString& defaultValue);
void writeInteger(const QString& section, const QString& name, int value);
void writeInteger(const TSettingKey& key, int value);
void writeString(const QString& section, const QString& name, const QString& value);
// Full path of the INI file the store uses (for diagnostics and tests).
QString fileName();
} // namespace Settings
