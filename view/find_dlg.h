#pragma once

// The find dialog: the text, whole word, direction; no match case, since the search compares
// upper-cased text. Modeless: it stays open between searches until the person closes it.

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class CFindDlg : public QDialog {
    Q_OBJECT
public:
    CFindDlg(const QString& text, bool wholeWord, bool down, QWidget* parent);

    QString Text() const;
    bool WholeWord() const;
    bool Down() const;

    // The widgets, for the keyboard and for tests.
    QLineEdit* TextEdit() const { return m_text; }
    QCheckBox* WholeWordBox() const { return m_wholeWord; }
    QRadioButton* UpButton() const { return m_up; }
    QRadioButton* DownButton() const { return m_down; }
    QPushButton* FindNextButton() const { return m_findNext; }

signals:
    void FindNextRequested();

private:
    QLineEdit* m_text;
    QCheckBox* m_wholeWord;
    QRadioButton* m_up;
    QRadioButton* m_down;
    QPushButton* m_findNext;
};
