#include "shell/select_num_dlg.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "orvo/orvo_link_dict.h"
#include "shell/blocknote_dlg.h"

CSelectNumDlg::CSelectNumDlg(const std::deque<std::int32_t>& recentNumbers, const COrvoLinkDict* notepad, QWidget* parent)
    : QDialog(parent)
    , m_notepad(notepad)
    , m_number(new QComboBox(this))
    , m_ok(new QPushButton(QStringLiteral("OK"), this))
{
    setWindowTitle(QStringLiteral("Номер документа базы Орво"));

    auto* label = new QLabel(QStringLiteral("Номер документа:"), this);
    m_number->setObjectName(QStringLiteral("number"));
    m_number->setEditable(true);
    m_number->setInsertPolicy(QComboBox::NoInsert);
    for (const std::int32_t n : recentNumbers)
        m_number->addItem(QString::number(n));
    m_number->setCurrentIndex(recentNumbers.empty() ? -1 : 0);
    m_number->setMinimumContentsLength(12);
    label->setBuddy(m_number);
    connect(m_number, &QComboBox::currentTextChanged, this, &CSelectNumDlg::UpdateOk);

    auto* blocknote = new QPushButton(QStringLiteral("Блокнот"), this);
    blocknote->setObjectName(QStringLiteral("blocknote"));
    blocknote->setEnabled(m_notepad != nullptr);
    connect(blocknote, &QPushButton::clicked, this, &CSelectNumDlg::PickFromNotepad);

    m_ok->setObjectName(QStringLiteral("ok"));
    m_ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(m_ok, &QPushButton::clicked, this, &CSelectNumDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(label);
    numberRow->addWidget(m_number, 1);
    numberRow->addWidget(blocknote);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);

    auto* root = new QVBoxLayout(this);
    root->addLayout(numberRow);
    root->addStretch();
    root->addLayout(buttons);
    root->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_number, blocknote);
    setTabOrder(blocknote, m_ok);
    setTabOrder(m_ok, cancel);
    m_number->setFocus();
    UpdateOk();
}

QString CSelectNumDlg::NumberText() const { return m_number->currentText(); }

void CSelectNumDlg::accept()
{
    if (m_check && !m_check(NumberText())) {
        m_number->setFocus();
        m_number->lineEdit()->selectAll();
        return;
    }
    QDialog::accept();
}

void CSelectNumDlg::PickFromNotepad()
{
    CBlocknoteDlg dlg(*m_notepad, this);
    if (dlg.exec() != QDialog::Accepted || !dlg.ChosenNumber())
        return;
    m_number->setEditText(QString::number(*dlg.ChosenNumber()));
    UpdateOk();
    m_ok->setFocus();
}

// An empty box names no document; OK waits for a number.
void CSelectNumDlg::UpdateOk() { m_ok->setEnabled(!m_number->currentText().trimmed().isEmpty()); }
