#pragma once

// "Индексирование": the modeless progress of a list-file import. It only shows what the engine's
// progress model computes, and turns "Отмена" into the model's cancel request.

#include <QDialog>

class CIndexingProgress;
class QLabel;
class QProgressBar;
class QTimer;

class CProgressIndexingDlg : public QDialog {
    Q_OBJECT
public:
    CProgressIndexingDlg(CIndexingProgress& progress, QWidget* parent = nullptr);

    // Takes the share done now; the times follow once a second.
    void Refresh();

protected:
    void reject() override;

private:
    void RefreshTimes();

    CIndexingProgress& m_progress;
    QProgressBar* m_bar;
    QLabel* m_elapsed;
    QLabel* m_remaining;
    QTimer* m_timer;
};
