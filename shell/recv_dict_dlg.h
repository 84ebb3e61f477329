#pragma once

// The requisite value dictionary dialog: values with their synonyms; removes, clears, edits the
// synonyms of one value, adds values and synonyms, exports the list as a text file. Works on the
// dictionary it is given; the caller hands it a copy.

#include <QDialog>

class CJumpList;
class CRecvDict;
class CUserInterface;
class QLineEdit;
class QPushButton;
class QTreeWidgetItem;

class CRecvDictDlg : public QDialog {
    Q_OBJECT
public:
    CRecvDictDlg(CUserInterface& ui, const QString& caption, const QString& column, CRecvDict& dict,
        QWidget* parent = nullptr);

    bool IsModified() const { return m_modified; }

private:
    void Refill();
    void UpdateButtons();
    void OnClear();
    void OnRemove();
    void EditSynonyms(int row);
    void OnAddValue();
    void OnAddSynonym();
    void OnSave();
    void SelectRow(int row);
    // The normalised text of "Новая запись"; empty when there is nothing to add.
    std::string NewEntry() const;

    CUserInterface& m_ui;
    CRecvDict& m_dict;
    CJumpList* m_list;
    QLineEdit* m_count;
    QLineEdit* m_newEntry;
    QPushButton* m_remove;
    QPushButton* m_synonyms;
    QPushButton* m_addValue;
    QPushButton* m_addSynonym;
    bool m_modified = false;
};
