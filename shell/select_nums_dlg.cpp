#include "shell/select_nums_dlg.h"

#include <algorithm>
#include <climits>

#include <QIntValidator>
#include <QLineEdit>

CSelectNumsDlg::CSelectNumsDlg(const QString& title, const CNumsCondition& condition, QWidget* parent)
    : CTypedValuesDlg(title, condition.nOperator, parent)
    , m_values(condition.values)
{
    setObjectName(QStringLiteral("SelectNumsDlg"));
    Field()->setValidator(new QIntValidator(0, INT_MAX, Field()));
    std::sort(m_values.begin(), m_values.end());
    Refill();
}

CNumsCondition CSelectNumsDlg::Condition() const { return CNumsCondition { Operator(), m_values }; }

bool CSelectNumsDlg::Append(const QString& text)
{
    // The decimal digits at the start of the field; the validator lets no others in.
    const QString trimmed = text.trimmed();
    qsizetype digits = 0;
    while (digits < trimmed.size() && trimmed[digits].isDigit() && trimmed[digits].unicode() < 128)
        ++digits;
    bool ok = false;
    const qlonglong number = trimmed.left(digits).toLongLong(&ok);
    if (!ok || number > INT_MAX)
        return false;
    const auto value = static_cast<std::int32_t>(number);
    m_values.insert(std::upper_bound(m_values.begin(), m_values.end(), value), value);
    return true;
}

QStringList CSelectNumsDlg::Shown() const
{
    QStringList texts;
    for (std::int32_t v : m_values)
        texts << QString::number(v);
    return texts;
}

void CSelectNumsDlg::RemoveShown(const QList<int>& rows)
{
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        if (*it >= 0 && *it < static_cast<int>(m_values.size()))
            m_values.erase(m_values.begin() + *it);
}
