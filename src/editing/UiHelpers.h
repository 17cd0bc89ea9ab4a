#pragma once
// Small helpers of the editing dialogs: number fields, yes/no texts, remembered questions,
// drawing suspension, names and sizes, and the hourglass cursor. GUI thread only.
#include "platform/MessageService.h"

#include <QString>
#include <QStringList>

#include <cstdint>

class QLineEdit;
class QWidget;

// ---- User interface ------------------------------------------------------------------------

// The field's remembered value is its "tag" property (an int).
bool validateIntegerField(QLineEdit& field, bool fifteenBit);
bool isYes(const QString& text);
bool isNumber(const QString& text);
void suspendDrawing(QWidget& window, bool suspend);
QString nameWithoutExtension(const QString& path);
// tabPaths: the full path of every document tab in tab order.
int documentTabForFile(const QStringList& tabPaths, const QString& path);
int64_t kilobytes(int64_t bytes);

// Asks a question unless "Settings"\name remembers a Yes (6) or No (7). A checked box stores
// the answer (not Cancel). Returns a TModalResult.
int askWithRememberedAnswer(const QString& message, const QString& checkCaption, const QString& name,
                            TMsgButtons buttons, TMsgType type);

// ---- Hourglass cursor ----------------------------------------------------------------------

// Shows the wait cursor for its lifetime, on every path out of the scope.
class TWaitCursor
{
public:
    TWaitCursor();
    ~TWaitCursor();
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};
