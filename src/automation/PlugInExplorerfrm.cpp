#include "automation/PlugInExplorerfrm.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

TfrmPlugInExplorer::TfrmPlugInExplorer(QList<TAddInRecord> records, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), m_records(std::move(records))
{
    setObjectName(QStringLiteral("frmPlugInExplorer"));
    setWindowTitle(QStringLiteral("Plugin Information"));
    auto* layout = new QVBoxLayout(this);
    auto* tabs = new QTabWidget(this);
    layout->addWidget(tabs);
    auto* page = new QWidget(tabs);
    tabs->addTab(page, QStringLiteral("Plugins"));
    auto* pageLayout = new QVBoxLayout(page);

    auto* installed = new QLabel(QStringLiteral("Installed Plugins"), page);
    pageLayout->addWidget(installed);
    lbPlugIns = new QListWidget(page);
    lbPlugIns->setObjectName(QStringLiteral("lbPlugIns"));
    // Long titles scroll sideways instead of being cut.
    lbPlugIns->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    lbPlugIns->setTextElideMode(Qt::ElideNone);
    installed->setBuddy(lbPlugIns);
    pageLayout->addWidget(lbPlugIns);

    auto* details = new QGroupBox(QStringLiteral("Plugin Details"), page);
    auto* form = new QFormLayout(details);
    txtTitle = new QLineEdit(details);
    txtTitle->setObjectName(QStringLiteral("txtTitle"));
    txtTitle->setReadOnly(true);
    txtVersion = new QLineEdit(details);
    txtVersion->setObjectName(QStringLiteral("txtVersion"));
    txtVersion->setReadOnly(true);
    mmoInfo = new QPlainTextEdit(details);
    mmoInfo->setObjectName(QStringLiteral("mmoInfo"));
    mmoInfo->setReadOnly(true);
    mmoInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    form->addRow(QStringLiteral("&Title:"), txtTitle);
    form->addRow(QStringLiteral("&Version:"), txtVersion);
    auto* infoLabel = new QLabel(QStringLiteral("&Description"), details);
    infoLabel->setBuddy(mmoInfo);
    form->addRow(infoLabel);
    form->addRow(mmoInfo);
    pageLayout->addWidget(details);

    auto* buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(lbPlugIns, &QListWidget::currentRowChanged, this, &TfrmPlugInExplorer::showDetails);
    setFixedSize(sizeHint().expandedTo(QSize(360, 380)));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

void TfrmPlugInExplorer::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (lbPlugIns->count() > 0)
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    for (const TAddInRecord& record : std::as_const(m_records))
        lbPlugIns->addItem(record.title);
    if (!m_records.isEmpty())
        lbPlugIns->setCurrentRow(0);
    QGuiApplication::restoreOverrideCursor();
}

void TfrmPlugInExplorer::showDetails(int row)
{
    if (row < 0 || row >= m_records.size())
        return;
    const TAddInRecord& record = m_records[row];
    txtTitle->setText(record.title);
    txtVersion->setText(record.version);
    mmoInfo->clear();
    mmoInfo->setPlainText(record.description);
}
