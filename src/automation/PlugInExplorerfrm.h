#pragma once
// "Plugin Information": the loaded plug-ins' titles, and the title, version and description of
// the one selected. OK and Cancel only close it.
#include "automation/AddInManager.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

class TfrmPlugInExplorer : public QDialog
{
    Q_OBJECT
public:
    TfrmPlugInExplorer(QList<TAddInRecord> records, QWidget* parent = nullptr);

    QListWidget* lbPlugIns;
    QLineEdit* txtTitle;
    QLineEdit* txtVersion;
    QPlainTextEdit* mmoInfo;
    QPushButton* btnOK;
    QPushButton* btnCancel;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showDetails(int row);

    QList<TAddInRecord> m_records;
};
