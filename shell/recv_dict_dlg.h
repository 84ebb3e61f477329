#pragma once

// The requisite value dictionary dialog: values with their synonyms; removes, clears, edits the
// synonyms of one value, adds values and synonyms, exports the list as a text file. Works on the
// dictionary it is given; the caller hands it a copy.

#include "shell/list_dict_dlg.h"

class CRecvDict;

class CRecvDictDlg : public CListDictDlg {
    Q_OBJECT
public:
    CRecvDictDlg(
        CUserInterface& ui, const QString& caption, const QString& column, CRecvDict& dict, QWidget* parent = nullptr);

private:
    std::size_t Count() const override;
    QStringList RowTexts(std::size_t row) const override;
    void ClearEntries() override;
    void RemoveEntry(std::size_t row) override;
    void Export() override;
    void UpdateButtons() override;
    void EditSynonyms(int row);
    void OnAddValue();
    void OnAddSynonym();

    CRecvDict& m_dict;
    QPushButton* m_synonyms;
    QPushButton* m_addValue;
    QPushButton* m_addSynonym;
};
