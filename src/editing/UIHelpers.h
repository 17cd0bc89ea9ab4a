#pragma once
// Small user-interface helpers shared by the editing dialogs and the windows above them: the
// hourglass cursor, a question whose answer can be remembered, field checks and layout helpers,
// and the disposal names.
#include "gif/GIFExtensions.h"
#include "platform/MessageService.h"

#include <QString>

#include <cstdint>

class QLineEdit;
class QScrollArea;
class QWidget;

// Shows the wait cursor for its lifetime, on every path out of the scope.
class TWaitCursor
{
public:
    TWaitCursor();
    ~TWaitCursor();
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

// The name of a disposal code (platform/UserTexts.h); the codes without a name (4-7, which do
// occur in files) show as their number.
QString disposalName(TGIFDisposal disposal);

// Asks a question unless "Settings"\name remembers a Yes (6) or No (7). A checked box stores
// the answer (not Cancel). Returns a TModalResult.
int askWithRememberedAnswer(const QString& message, const QString& checkCaption, const QString& name,
                            TMsgButtons buttons, TMsgType type);

// The field's remembered value is its "tag" property (an int); a refused text puts it back.
bool validateIntegerField(QLineEdit& field, bool fifteenBit);
// Digits, spaces ignored; empty is not a number.
bool isNumber(const QString& text);
void centerInScrollBox(QScrollArea& box, QWidget& control);
void suspendDrawing(QWidget& window, bool suspend);
// At least 1.
int64_t kilobytes(int64_t bytes);
