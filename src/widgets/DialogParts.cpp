#include "widgets/DialogParts.h"

#include <QBoxLayout>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace DialogParts {

QLabel* heading(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QLabel* buddyLabel(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

QFrame* separator(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

TOkCancelRow addOkCancelRow(QDialog* dialog, QBoxLayout* layout)
{
    TOkCancelRow row;
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    row.ok = new QPushButton(QStringLiteral("OK"), dialog);
    row.ok->setObjectName(QStringLiteral("btnOK"));
    row.ok->setDefault(true);
    row.cancel = new QPushButton(QStringLiteral("Cancel"), dialog);
    row.cancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(row.ok);
    buttons->addWidget(row.cancel);
    layout->addLayout(buttons);
    // accept() and reject() are virtual: a dialog that overrides accept() gets its own checks.
    QObject::connect(row.ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(row.cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return row;
}

} // namespace DialogParts
