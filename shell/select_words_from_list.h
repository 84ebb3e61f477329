#pragma once

// A search condition over the values of a dictionary (the Orvo types or bodies): "Выбранные"
// above, the values on offer below, each in byte order. A double click (or Enter) moves a value
// from one list to the other; "Очистить" moves every chosen value back.

#include <string>
#include <vector>

#include "orvo/orvo_search.h"
#include "shell/search_condition_dlg.h"

class QListWidget;
class QListWidgetItem;

class CSelectWordsFromList : public CSearchConditionDlg {
    Q_OBJECT
public:
    // offered: every value of the dictionary, code page 1251.
    CSelectWordsFromList(const QString& title, const std::vector<std::string>& offered, const CWordsCondition& condition,
        QWidget* parent = nullptr);

    // The operator and the chosen values as they stand now; the caller takes them after OK.
    CWordsCondition Condition() const;

    QListWidget* ChosenList() const { return m_chosenList; }
    QListWidget* OfferedList() const { return m_offeredList; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Move(std::vector<std::string>& from, std::vector<std::string>& to, int row);
    void Refill();

    std::vector<std::string> m_chosen;  // byte order
    std::vector<std::string> m_offered; // byte order
    QListWidget* m_chosenList;
    QListWidget* m_offeredList;
};
