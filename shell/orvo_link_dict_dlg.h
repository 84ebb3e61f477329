#pragma once

// "Блокнот": the notepad of Orvo documents. Adds documents by number in base, removes, clears and
// reorders them. Works on the notepad it is given; the caller hands it a copy.

#include <QDialog>

class CMultiListBox;
class COrvoDict;
class COrvoLinkDict;
class CUserInterface;
class QLineEdit;
class QPushButton;

class COrvoLinkDictDlg : public QDialog {
    Q_OBJECT
public:
    // documents: where "Добавить" looks the numbers up.
    COrvoLinkDictDlg(CUserInterface& ui, COrvoLinkDict& notepad, COrvoDict& documents, QWidget* parent = nullptr);

    bool IsModified() const { return m_modified; }

private:
    void Refill(int select);
    int SelectedRow() const;
    void UpdateButtons();
    void OnAdd();
    void OnRemove();
    void OnClear();
    void OnMove(int step);

    CUserInterface& m_ui;
    COrvoLinkDict& m_notepad;
    COrvoDict& m_documents;
    CMultiListBox* m_list;
    QLineEdit* m_count;
    QLineEdit* m_number;
    QPushButton* m_add;
    QPushButton* m_remove;
    QPushButton* m_up;
    QPushButton* m_down;
    bool m_modified = false;
};
