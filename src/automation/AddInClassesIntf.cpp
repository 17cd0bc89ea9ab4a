#include "automation/AddInClassesIntf.h"

QString platformErrorMessage(HRESULT status)
{
    switch (status) {
    case E_NOTIMPL:
        return QStringLiteral("Not implemented");
    case E_NOINTERFACE:
        return QStringLiteral("No such interface supported");
    case E_POINTER:
        return QStringLiteral("Invalid pointer");
    case E_ABORT:
        return QStringLiteral("Operation aborted");
    case E_FAIL:
        return QStringLiteral("Unspecified error");
    case E_UNEXPECTED:
        return QStringLiteral("Catastrophic failure");
    case E_ACCESSDENIED:
        return QStringLiteral("Access is denied.");
    case E_OUTOFMEMORY:
        return QStringLiteral("Not enough storage is available to complete this operation.");
    case E_INVALIDARG:
        return QStringLiteral("The parameter is incorrect.");
    default:
        return QStringLiteral("OLE error %1")
            .arg(QString::number(quint32(status), 16).toUpper().rightJustified(8, QLatin1Char('0')));
    }
}
