#pragma once
// The progress form: a small borderless box centred on the screen with the file it works on, a
// progress bar and a Cancel button. Long work shows it without making it modal, steps the bar and
// lets pending events run once per unit of work; pressing Cancel (or Escape) only sets the modal
// result, which the work polls. Used by the AVI export and the plug-in loading at start-up.
#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

class TfrmProgress : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmProgress(QWidget* parent = nullptr);

    // mrNone until Cancel is pressed, then mrCancel (the edit session's modal results).
    int modalResult() const { return m_modalResult; }
    void setModalResult(int result) { m_modalResult = result; }
    // Moves the bar one step on.
    void stepIt();

    QLabel* lblFileName;
    QProgressBar* prgBar;
    QPushButton* btnCancel;
    QLabel* lblProgress;

public slots:
    // Escape and the Cancel button: the work in progress stops at its next check.
    void reject() override;

private:
    int m_modalResult = 0;
};
