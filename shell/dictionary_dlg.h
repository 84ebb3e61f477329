#pragma once

// The string dictionary dialog (the Orvo keywords are one such dictionary): shows the list with
// row numbers, removes, clears, adds normalised entries and exports the list as a text file.
// Works on the list it is given; the caller hands it a working copy.

#include <string>
#include <vector>

#include <QDialog>
#include <QTreeWidget>

class CUserInterface;
class QLineEdit;
class QPushButton;

// A report list whose typed character jumps to the first row whose search column begins with it.
class CJumpList : public QTreeWidget {
    Q_OBJECT
public:
    explicit CJumpList(int searchColumn, QWidget* parent = nullptr);
    void keyboardSearch(const QString& search) override;

    // The selected rows, highest first, so they can be removed one after another.
    std::vector<int> SelectedRowsDescending() const;

private:
    int m_searchColumn;
};

class CDictionaryDlg : public QDialog {
    Q_OBJECT
public:
    CDictionaryDlg(CUserInterface& ui, const QString& title, const QString& column, std::vector<std::string>& strings,
        QWidget* parent = nullptr);

    bool IsModified() const { return m_modified; }

private:
    void Refill();
    void UpdateButtons();
    void OnClear();
    void OnRemove();
    void OnSave();
    void OnAdd();

    CUserInterface& m_ui;
    std::vector<std::string>& m_strings;
    CJumpList* m_list;
    QLineEdit* m_count;
    QLineEdit* m_newEntry;
    QPushButton* m_remove;
    QPushButton* m_add;
    bool m_modified = false;
};
