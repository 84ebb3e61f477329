#pragma once

// "Вставка тега межбазовой гиперссылки" ("... внутрибазовой ..." for local tags): the analyses
// ask whether the tags just placed for a line stay. Modeless, so the person can scroll and edit
// the document while deciding; it sits at the right edge of the screen, clear of the lines.

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

class CInsertTagDlg : public QDialog {
    Q_OBJECT
public:
    // local: the tags link to documents of the local base.
    CInsertTagDlg(const QString& text, bool local, QWidget* parent);

    bool IsAnswered() const { return m_answered; }
    // 6 Да (keep), 7 Нет (undo this line), 2 Отмена (undo it and end the pass).
    int Answer() const { return m_answer; }

    // Moves the window to the right edge of its screen, its bottom at half the screen's height.
    void PlaceOnScreen();

    QPlainTextEdit* TextArea() const { return m_text; }
    QPushButton* YesButton() const { return m_yes; }
    QPushButton* NoButton() const { return m_no; }
    QPushButton* CancelButton() const { return m_cancel; }

public slots:
    // Escape and the window's close button mean Отмена.
    void reject() override;

signals:
    void Answered(int answer);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void SetAnswer(int answer);

    QPlainTextEdit* m_text;
    QPushButton* m_yes;
    QPushButton* m_no;
    QPushButton* m_cancel;
    bool m_answered = false;
    int m_answer = 0;
    bool m_placed = false;
};
