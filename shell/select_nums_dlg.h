#pragma once

// A search condition over numbers in base: typed one at a time, shown in ascending order.

#include <cstdint>
#include <vector>

#include "orvo/orvo_search.h"
#include "shell/search_condition_dlg.h"

class CSelectNumsDlg : public CTypedValuesDlg {
    Q_OBJECT
public:
    CSelectNumsDlg(const QString& title, const CNumsCondition& condition, QWidget* parent = nullptr);

    // The operator and the numbers as they stand now; the caller takes them after OK.
    CNumsCondition Condition() const;

protected:
    bool Append(const QString& text) override;
    QStringList Shown() const override;
    void RemoveShown(const QList<int>& rows) override;
    void ClearValues() override { m_values.clear(); }

private:
    std::vector<std::int32_t> m_values; // ascending
};
