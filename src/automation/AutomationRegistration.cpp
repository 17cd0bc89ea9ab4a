#include "automation/AutomationRegistration.h"

#include "automation/Reelwright_TLB.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// The switch an argument names, upper case; empty when it is none.
QString switchName(const QString& argument)
{
    if (argument.size() < 2 || (argument[0] != QLatin1Char('/') && argument[0] != QLatin1Char('-')))
        return {};
    const QString name = argument.mid(1).toUpper();
    static const QStringList names = {QStringLiteral("AUTOMATION"), QStringLiteral("EMBEDDING"),
                                      QStringLiteral("REGSERVER"), QStringLiteral("UNREGSERVER")};
    return names.contains(name) ? name : QString();
}

QString dataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/dbus-1");
}

QString interfaceFile(const QString& interfaceName)
{
    return dataFolder() + QStringLiteral("/interfaces/") + interfaceName + QStringLiteral(".xml");
}

// Quoting for the activation file's Exec line, which the bus splits like a shell.
QString quoted(const QString& text)
{
    QString escaped;
    for (QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\') || c == QLatin1Char('$') || c == QLatin1Char('`'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

bool writeFile(const QString& path, const QString& text, QString* error)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        if (error)
            *error = QStringLiteral("cannot create the folder of %1").arg(path);
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit()) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace

bool isAutomationSwitch(const QString& argument)
{
    return !switchName(argument).isEmpty();
}

TAutomationStartMode automationStartMode(const QStringList& arguments)
{
    QStringList names;
    for (const QString& argument : arguments)
        names.append(switchName(argument));
    if (names.contains(QStringLiteral("REGSERVER")))
        return TAutomationStartMode::Register;
    if (names.contains(QStringLiteral("UNREGSERVER")))
        return TAutomationStartMode::Unregister;
    if (names.contains(QStringLiteral("AUTOMATION")) || names.contains(QStringLiteral("EMBEDDING")))
        return TAutomationStartMode::Automation;
    return TAutomationStartMode::StandAlone;
}

QStringList withoutAutomationSwitches(const QStringList& arguments)
{
    QStringList rest;
    for (const QString& argument : arguments) {
        if (!isAutomationSwitch(argument))
            rest.append(argument);
    }
    return rest;
}

QString registrationServiceFile()
{
    return dataFolder() + QStringLiteral("/services/") + QLatin1String(kServiceName) +
           QStringLiteral(".service");
}

QStringList registrationFiles()
{
    QStringList files{registrationServiceFile()};
    for (const auto& entry : typeLibraryInterfaces())
        files.append(interfaceFile(entry.first));
    return files;
}

QString serviceFileText(const QString& programPath)
{
    return QStringLiteral("[D-BUS Service]\nName=%1\nExec=%2 -AUTOMATION\n")
        .arg(QLatin1String(kServiceName), quoted(programPath));
}

bool writeRegistration(const QString& programPath, QString* error)
{
    if (!writeFile(registrationServiceFile(), serviceFileText(programPath), error))
        return false;
    for (const auto& entry : typeLibraryInterfaces()) {
        if (!writeFile(interfaceFile(entry.first), introspectionDocument({entry.second}), error))
            return false;
    }
    return true;
}

bool removeRegistration(QString* error)
{
    bool removed = true;
    for (const QString& path : registrationFiles()) {
        if (QFileInfo::exists(path) && !QFile::remove(path)) {
            removed = false;
            if (error)
                *error = QStringLiteral("cannot remove %1").arg(path);
        }
    }
    return removed;
}
