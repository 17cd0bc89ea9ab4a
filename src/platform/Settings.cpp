#include "platform/Settings.h"

#include <QSettings>

#include <limits>

namespace {

// Backslash-separated sections map onto QSettings' slash-separated groups.
QString groupKey(const QString& section, const QString& name)
{
    QString path = section;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return name.isEmpty() ? path : path + QLatin1Char('/') + name;
}

QString cutAtNul(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

std::unique_ptr<QSettings> openRoot()
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QString::fromLatin1(kSettingsOrganization),
                                       QString::fromLatin1(kSettingsApplication));
}

// A value is read as text whatever QSettings made of it; values written by hand into the INI file
// as lists or other types fall back to the default rather than being guessed at.
std::optional<QString> readRaw(const QSettings& store, const QString& key)
{
    const QVariant value = store.value(key);
    if (!value.isValid() || value.typeId() != QMetaType::QString)
        return std::nullopt;
    return cutAtNul(value.toString());
}

} // namespace

std::optional<int> parseDecimalInteger(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    qsizetype i = 0;
    bool negative = false;
    if (text[0] == QLatin1Char('-') || text[0] == QLatin1Char('+')) {
        negative = text[0] == QLatin1Char('-');
        i = 1;
    }
    if (i == text.size())
        return std::nullopt;
    qint64 magnitude = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        magnitude = magnitude * 10 + (c.unicode() - '0');
        if (magnitude > qint64(std::numeric_limits<int>::max()) + 1)
            return std::nullopt;
    }
    const qint64 value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(value);
}

TSettingsBatch::TSettingsBatch() : m_store(openRoot()) {}

TSettingsBatch::~TSettingsBatch()
{
    close();
}

void TSettingsBatch::close()
{
    if (m_store) {
        m_store->sync(); // errors (read-only folder) are deliberately ignored
        m_store.reset();
    }
}

int TSettingsBatch::readInteger(const QString& section, const QString& name, int defaultValue) const
{
    if (!m_store)
        return defaultValue;
    const auto text = readRaw(*m_store, groupKey(section, name));
    if (!text)
        return defaultValue;
    return parseDecimalInteger(*text).value_or(defaultValue);
}

QString TSettingsBatch::readString(const QString& section, const QString& name,
                                   const QString& defaultValue) const
{
    if (!m_store)
        return defaultValue;
    return readRaw(*m_store, groupKey(section, name)).value_or(defaultValue);
}

void TSettingsBatch::writeInteger(const QString& section, const QString& name, int value)
{
    if (m_store)
        m_store->setValue(groupKey(section, name), QString::number(value));
}

void TSettingsBatch::writeString(const QString& section, const QString& name, const QString& value)
{
    if (m_store)
        m_store->setValue(groupKey(section, name), value + QChar(0));
}

void TSettingsBatch::deleteSection(const QString& section)
{
    if (m_store)
        m_store->remove(groupKey(section, {}));
}

QStringList TSettingsBatch::valueNames(const QString& section) const
{
    if (!m_store)
        return {};
    m_store->beginGroup(groupKey(section, {}));
    QStringList names = m_store->childKeys();
    m_store->endGroup();
    return names;
}

bool TSettingsBatch::valueExists(const QString& section, const QString& name) const
{
    return m_store && m_store->contains(groupKey(section, name));
}

int TSettingsBatch::readInteger(const TSettingKey& key) const
{
    return readInteger(key.section, key.name, key.intDefault);
}

int TSettingsBatch::readInteger(const TSettingKey& key, int dynamicDefault) const
{
    return readInteger(key.section, key.name, dynamicDefault);
}

QString TSettingsBatch::readString(const TSettingKey& key) const
{
    return readString(key.section, key.name, QString::fromUtf8(key.textDefault ? key.textDefault : ""));
}

QString TSettingsBatch::readString(const TSettingKey& key, const QString& dynamicDefault) const
{
    return readString(key.section, key.name, dynamicDefault);
}

namespace Settings {

int readInteger(const QString& section, const QString& name, int defaultValue)
{
    return TSettingsBatch().readInteger(section, name, defaultValue);
}

int readInteger(const TSettingKey& key)
{
    return TSettingsBatch().readInteger(key);
}

QString readString(const QString& section, const QString& name, const QString& defaultValue)
{
    return TSettingsBatch().readString(section, name, defaultValue);
}

void writeInteger(const QString& section, const QString& name, int value)
{
    TSettingsBatch().writeInteger(section, name, value);
}

void writeInteger(const TSettingKey& key, int value)
{
    TSettingsBatch().writeInteger(key, value);
}

void writeString(const QString& section, const QString& name, const QString& value)
{
    TSettingsBatch().writeString(section, name, value);
}

QString fileName()
{
    return openRoot()->fileName();
}

} // namespace Settings
