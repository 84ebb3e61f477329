#include "view/goto_line_dlg.h"

#include <algorithm>
#include <limits>

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "view/view_message.h"

CLineNumberSpin::CLineNumberSpin(int lineCount, QWidget* parent)
    : QSpinBox(parent)
    , m_lineCount(lineCount)
{
    setRange(0, std::numeric_limits<int>::max());
    setValue(1);
    setAccelerated(true);
}

void CLineNumberSpin::stepBy(int steps)
{
    const int upper = std::max(1, m_lineCount);
    setValue(std::clamp(value() + steps, 1, upper));
    selectAll();
}

QAbstractSpinBox::StepEnabled CLineNumberSpin::stepEnabled() const
{
    StepEnabled enabled = StepNone;
    if (value() > 1)
        enabled |= StepDownEnabled;
    if (value() < m_lineCount)
        enabled |= StepUpEnabled;
    return enabled;
}

CGotoLineDlg::CGotoLineDlg(int lineCount, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("gotoLineDialog"));
    setWindowTitle(QStringLiteral("Перейти на строку"));
    m_prompt = new QLabel(QStringLiteral("Выберите строку от 1 до %1").arg(lineCount), this);
    m_spin = new CLineNumberSpin(lineCount, this);
    m_prompt->setBuddy(m_spin);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_prompt);
    layout->addWidget(m_spin);
    layout->addWidget(buttons);
    m_spin->setFocus();
    m_spin->selectAll();
    FitTitleWidth(this);
}

int CGotoLineDlg::Number() const { return m_spin->value(); }
