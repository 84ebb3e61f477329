#pragma once

// The string dictionary dialog (the Orvo keywords are one such dictionary): shows the list with
// row numbers, removes, clears, adds normalised entries and exports the list as a text file.
// Works on the list it is given; the caller hands it a working copy.

#include <string>
#include <vector>

#include "shell/list_dict_dlg.h"

class CDictionaryDlg : public CListDictDlg {
    Q_OBJECT
public:
    CDictionaryDlg(CUserInterface& ui, const QString& title, const QString& column, std::vector<std::string>& strings,
        QWidget* parent = nullptr);

private:
    std::size_t Count() const override { return m_strings.size(); }
    QStringList RowTexts(std::size_t row) const override;
    void ClearEntries() override { m_strings.clear(); }
    void RemoveEntry(std::size_t row) override;
    void Export() override;
    void UpdateButtons() override;
    void OnAdd();

    std::vector<std::string>& m_strings;
    QPushButton* m_add;
};
