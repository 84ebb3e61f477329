#pragma once

// "Индексирование": the modeless progress of a list-file import, of the local base and of the
// Orvo base alike. It shows what the engine's progress model computes on a bar of its own, the
// time gone by and the time left, and turns "Отмена" into the model's cancel request.

#include <QDialog>

class CDrawnProgressBar;
class CIndexingProgress;
class QLineEdit;
class QTimer;

class CProgressIndexingDlg : public QDialog {
    Q_OBJECT
public:
    CProgressIndexingDlg(CIndexingProgress& progress, QWidget* parent = nullptr);

    // Takes the share done now; the times follow once a second.
    void Refresh();
    // The times as of now (the timer's tick).
    void RefreshTimes();

    CDrawnProgressBar* Bar() const { return m_bar; }

protected:
    void reject() override;

private:
    CIndexingProgress& m_progress;
    CDrawnProgressBar* m_bar;
    QLineEdit* m_elapsed;
    QLineEdit* m_remaining;
    QTimer* m_timer;
};
