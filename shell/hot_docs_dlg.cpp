#include "shell/hot_docs_dlg.h"

#include <limits>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "seam/user_interface.h"
#include "view/view_message.h"

namespace {

std::size_t SlotOfField(std::size_t label) { return label % 10; }

} // namespace

CHotDocsDlg::CHotDocsDlg(CUserInterface& ui, const std::vector<std::int32_t>& hotSlots, QWidget* parent)
    : QDialog(parent)
    , m_ui(ui)
{
    setWindowTitle(QStringLiteral("\"Горячие\" документы"));
    auto* grid = new QGridLayout;
    for (std::size_t label = 1; label <= m_fields.size(); ++label) {
        auto* field = new QLineEdit(this);
        field->setObjectName(QStringLiteral("hot%1").arg(label));
        // Numbers in base of a real Orvo base have six to nine digits: every 32-bit number fits.
        field->setMaxLength(10);
        field->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,10}")), field));
        field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("00000000000")) + 12);
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
    connect(ok, &QPushButton::clicked, this, &CHotDocsDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* root = new QVBoxLayout(this);
    root->addLayout(grid);
    root->addLayout(buttons);
    FitTitleWidth(this);
}

void CHotDocsDlg::accept()
{
    for (QLineEdit* field : m_fields) {
        if (field->text().toLongLong() > std::numeric_limits<std::int32_t>::max()) {
            m_ui.MessageBox(QStringLiteral("Номер документа %1 слишком велик: номер в базе не больше %2.")
                                .arg(field->text())
                                .arg(std::numeric_limits<std::int32_t>::max())
                                .toStdString(),
                MsgIcon::Warning);
            field->setFocus();
            field->selectAll();
            return;
        }
    }
    QDialog::accept();
}

std::vector<std::int32_t> CHotDocsDlg::Slots() const
{
    std::vector<std::int32_t> hotSlots(m_fields.size(), 0);
    for (std::size_t label = 1; label <= m_fields.size(); ++label)
        hotSlots[SlotOfField(label)] = m_fields[label - 1]->text().toInt();
    return hotSlots;
}
