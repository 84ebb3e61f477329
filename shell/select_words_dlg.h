#pragma once

// A search condition over values the person types: document numbers or words of a name. Each
// value is normalised as the dictionaries hold theirs (trimmed, upper-cased, single blanks) and
// shown in byte order; equal values may stand twice.

#include <string>
#include <vector>

#include "orvo/orvo_search.h"
#include "shell/search_condition_dlg.h"

class CSelectWordsDlg : public CTypedValuesDlg {
    Q_OBJECT
public:
    CSelectWordsDlg(const QString& title, const CWordsCondition& condition, QWidget* parent = nullptr);

    // The operator and the values as they stand now; the caller takes them after OK.
    CWordsCondition Condition() const;

protected:
    bool Append(const QString& text) override;
    QStringList Shown() const override;
    void RemoveShown(const QList<int>& rows) override;
    void ClearValues() override { m_values.clear(); }

private:
    std::vector<std::string> m_values; // code page 1251, in byte order
};
