#include "shell/select_words_dlg.h"

#include <algorithm>

#include "base/phrase_match.h"
#include "view/qt_text.h"

CSelectWordsDlg::CSelectWordsDlg(const QString& title, const CWordsCondition& condition, QWidget* parent)
    : CTypedValuesDlg(title, condition.nOperator, parent)
    , m_values(condition.values)
{
    setObjectName(QStringLiteral("SelectWordsDlg"));
    std::sort(m_values.begin(), m_values.end());
    Refill();
}

CWordsCondition CSelectWordsDlg::Condition() const { return CWordsCondition { Operator(), m_values }; }

bool CSelectWordsDlg::Append(const QString& text)
{
    std::string value = NormalizeText(ToCp1251(text));
    if (value.empty())
        return false;
    m_values.insert(std::upper_bound(m_values.begin(), m_values.end(), value), std::move(value));
    return true;
}

QStringList CSelectWordsDlg::Shown() const
{
    QStringList texts;
    for (const std::string& v : m_values)
        texts << FromCp1251(v);
    return texts;
}

void CSelectWordsDlg::RemoveShown(const QList<int>& rows)
{
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        if (*it >= 0 && *it < static_cast<int>(m_values.size()))
            m_values.erase(m_values.begin() + *it);
}
