#pragma once

// What the dictionary dialogs share: a numbered list with first-letter jump, the count of entries,
// the "Новая запись" field, and Очистить / Удалить / Сохранить / OK / Отмена. A dialog of one kind
// of dictionary gives the rows and what removing, clearing and saving do to its entries.

#include <cstddef>
#include <string>
#include <vector>

#include <QDialog>
#include <QList>
#include <QStringList>
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

class CListDictDlg : public QDialog {
    Q_OBJECT
public:
    bool IsModified() const { return m_modified; }

protected:
    // columns: the headers after "#"; the list is wide enough for minimumChars characters.
    CListDictDlg(
        CUserInterface& ui, const QString& title, const QStringList& columns, int minimumChars, QWidget* parent);

    // Lays the dialog out, the entry buttons beside "Новая запись" and the extra ones after
    // "Удалить", and fills the list; the derived constructor calls it last.
    void Arrange(const QList<QPushButton*>& entryButtons, const QList<QPushButton*>& extraButtons);

    virtual std::size_t Count() const = 0;
    // The texts of a row's columns after its number.
    virtual QStringList RowTexts(std::size_t row) const = 0;
    virtual void ClearEntries() = 0;
    virtual void RemoveEntry(std::size_t row) = 0;
    // "Сохранить": the entries as a text file.
    virtual void Export() = 0;
    // Enables the buttons by the selection and the new entry's text.
    virtual void UpdateButtons();

    void Refill();
    void SelectRow(int row);
    // The normalised text of "Новая запись"; empty when there is nothing to add.
    std::string NewEntry() const;
    // After an entry was added: the field emptied, the list refilled, the row shown.
    void Added(int row);

    CUserInterface& m_ui;
    CJumpList* m_list;
    QLineEdit* m_count;
    QLineEdit* m_newEntry;
    QPushButton* m_remove;
    bool m_modified = false;

private:
    void OnClear();
    void OnRemove();
};
