#pragma once
// Small pieces the program's dialogs are built from, so each dialog spells out only what is
// its own: bold section headings, labels that give their field a mnemonic, sunken separators
// and the right-aligned OK / Cancel row.
#include <QString>

class QBoxLayout;
class QDialog;
class QFrame;
class QLabel;
class QPushButton;
class QWidget;

namespace DialogParts {

// A bold label heading a group of fields.
QLabel* heading(const QString& text, QWidget* parent);
// A label whose mnemonic ("&Width") moves the focus to buddy.
QLabel* buddyLabel(const QString& text, QWidget* buddy, QWidget* parent);
// A sunken horizontal line between parts of a dialog.
QFrame* separator(QWidget* parent);

// The OK and Cancel buttons at the bottom right of a dialog (object names "btnOK" and
// "btnCancel", OK the default button), added to layout and connected to the dialog's accept()
// and reject() slots, so a dialog that overrides them gets its own checks.
struct TOkCancelRow
{
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
};
TOkCancelRow addOkCancelRow(QDialog* dialog, QBoxLayout* layout);

} // namespace DialogParts
