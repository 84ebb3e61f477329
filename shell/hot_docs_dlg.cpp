#include "shell/hot_docs_dlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

std::size_t SlotOfField(std::size_t label) { return label % 10; }

} // namespace

CHotDocsDlg::CHotDocsDlg(const std::vector<std::int32_t>& hotSlots, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("\"Горячие\" документы"));
    auto* grid = new QGridLayout;
    for (std::size_t label = 1; label <= m_fields.size(); ++label) {
        auto* field = new QLineEdit(this);
        field->setObjectName(QStringLiteral("hot%1").arg(label));
        field->setMaxLength(5);
        field->setValidator(new QIntValidator(0, 99999, field));
        field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
        const std::size_t slot = SlotOfField(label);
        if (slot < hotSlots.size() && hotSlots[slot] != 0)
            field->setText(QString::number(hotSlots[slot]));
        m_fields[label - 1] = field;
        const int row = static_cast<int>((label - 1) % 5);
        const int column = label <= 5 ? 0 : 2;
        auto* caption = new QLabel(QString::number(label), this);
        caption->setBuddy(field);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(caption, row, column);
        grid->addWidget(field, row, column + 1);
    }
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* root = new QVBoxLayout(this);
    root->addLayout(grid);
    root->addLayout(buttons);
}

std::vector<std::int32_t> CHotDocsDlg::Slots() const
{
    std::vector<std::int32_t> hotSlots(m_fields.size(), 0);
    for (std::size_t label = 1; label <= m_fields.size(); ++label)
        hotSlots[SlotOfField(label)] = m_fields[label - 1]->text().toInt();
    return hotSlots;
}
