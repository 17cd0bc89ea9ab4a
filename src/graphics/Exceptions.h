#pragma once
// The exception classes the graphic classes and the engine raise. Every exception carries
// only a message; the engine's own messages are fixed English texts.
#include <QByteArray>
#include <QString>
#include <exception>

class Exception : public std::exception
{
public:
    explicit Exception(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

#define REELWRIGHT_EXCEPTION(Name, Base)                                                                     \
    class Name : public Base                                                                                 \
    {                                                                                                        \
    public:                                                                                                  \
        using Base::Base;                                                                                    \
    };

// A graphic that cannot be read, written or converted.
REELWRIGHT_EXCEPTION(EInvalidGraphic, Exception)
// An operation a graphic cannot carry out in its present state ("Scan line index out of range").
REELWRIGHT_EXCEPTION(EInvalidGraphicOperation, Exception)
// Assignment between incompatible objects.
REELWRIGHT_EXCEPTION(EConvertError, Exception)
// Stream failures: short reads, failed writes, seeks on write-only streams.
REELWRIGHT_EXCEPTION(EStreamError, Exception)
REELWRIGHT_EXCEPTION(EReadError, EStreamError)
REELWRIGHT_EXCEPTION(EWriteError, EStreamError)
REELWRIGHT_EXCEPTION(EFOpenError, EStreamError)
// Index outside an owning list.
REELWRIGHT_EXCEPTION(EListError, Exception)
REELWRIGHT_EXCEPTION(EOutOfMemory, Exception)
// Raised by a progress handler to abort the operation quietly.
REELWRIGHT_EXCEPTION(EAbort, Exception)
// The user ended a process (the Abort answer to an engine warning); unlike EAbort it is reported,
// with its own message.
REELWRIGHT_EXCEPTION(EProcessAborted, Exception)

#undef REELWRIGHT_EXCEPTION
