#include "shell/sinonims_dlg.h"

#include <algorithm>

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/phrase_match.h"
#include "seam/user_interface.h"
#include "shell/list_dict_dlg.h"
#include "storage/recv_dict.h"
#include "view/qt_text.h"

CSinonimsDlg::CSinonimsDlg(CUserInterface& ui, CRecvRec& record, QWidget* parent)
    : QDialog(parent)
    , m_ui(ui)
    , m_record(record)
    , m_list(new CJumpList(1, this))
    , m_newSynonym(new QLineEdit(this))
    , m_remove(new QPushButton(QStringLiteral("Удалить"), this))
    , m_add(new QPushButton(QStringLiteral("Добавить"), this))
{
    setWindowTitle(QStringLiteral("Синонимы"));
    auto* value = new QLineEdit(FromCp1251(record.value), this);
    value->setObjectName(QStringLiteral("value"));
    value->setReadOnly(true);

    auto* group = new QGroupBox(QStringLiteral("Синонимы"), this);
    m_list->setParent(group);
    m_list->setObjectName(QStringLiteral("list"));
    m_list->setHeaderLabels({ QStringLiteral("#"), QStringLiteral("Синонимы") });
    m_list->setColumnWidth(0, 40);
    m_list->header()->setStretchLastSection(true);
    const QFontMetrics metrics(font());
    m_list->setMinimumSize(metrics.averageCharWidth() * 50, metrics.lineSpacing() * 14);
    m_newSynonym->setObjectName(QStringLiteral("newSynonym"));
    m_remove->setObjectName(QStringLiteral("remove"));
    m_add->setObjectName(QStringLiteral("add"));
    auto* clear = new QPushButton(QStringLiteral("Очистить"), this);
    clear->setObjectName(QStringLiteral("clear"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    for (QPushButton* b : { m_remove, m_add, clear, ok, cancel })
        b->setAutoDefault(false);

    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &CSinonimsDlg::UpdateButtons);
    connect(m_newSynonym, &QLineEdit::textChanged, this, &CSinonimsDlg::UpdateButtons);
    connect(m_newSynonym, &QLineEdit::returnPressed, this, [this] {
        if (m_add->isEnabled())
            OnAdd();
    });
    connect(clear, &QPushButton::clicked, this, &CSinonimsDlg::OnClear);
    connect(m_remove, &QPushButton::clicked, this, &CSinonimsDlg::OnRemove);
    connect(m_add, &QPushButton::clicked, this, &CSinonimsDlg::OnAdd);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* valueRow = new QHBoxLayout;
    valueRow->addWidget(new QLabel(QStringLiteral("Основная запись"), this));
    valueRow->addWidget(value, 1);
    auto* newRow = new QHBoxLayout;
    newRow->addWidget(new QLabel(QStringLiteral("Новый"), group));
    newRow->addWidget(m_newSynonym, 1);
    newRow->addWidget(m_add);
    auto* groupButtons = new QHBoxLayout;
    groupButtons->addWidget(clear);
    groupButtons->addWidget(m_remove);
    groupButtons->addStretch();
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_list, 1);
    groupLayout->addLayout(newRow);
    groupLayout->addLayout(groupButtons);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* root = new QVBoxLayout(this);
    root->addLayout(valueRow);
    root->addWidget(group, 1);
    root->addLayout(buttons);

    Refill();
    // The dialog is opened to add synonyms: typing starts in the field for a new one.
    m_newSynonym->setFocus();
}

void CSinonimsDlg::Refill()
{
    m_list->clear();
    QList<QTreeWidgetItem*> items;
    for (std::size_t i = 0; i < m_record.synonyms.size(); ++i)
        items << new QTreeWidgetItem({ QString::number(i + 1), FromCp1251(m_record.synonyms[i]) });
    m_list->addTopLevelItems(items);
    UpdateButtons();
}

void CSinonimsDlg::UpdateButtons()
{
    m_remove->setEnabled(!m_list->selectedItems().isEmpty());
    m_add->setEnabled(!m_newSynonym->text().trimmed().isEmpty());
}

void CSinonimsDlg::OnClear()
{
    if (m_ui.MessageBox("Удалить синонимы?", MsgIcon::Question, MsgButtons::YesNo) != AnswerYes)
        return;
    m_record.synonyms.clear();
    Refill();
}

void CSinonimsDlg::OnRemove()
{
    for (int row : m_list->SelectedRowsDescending())
        m_record.synonyms.erase(m_record.synonyms.begin() + row);
    Refill();
}

void CSinonimsDlg::OnAdd()
{
    const std::string synonym = NormalizeText(ToCp1251(m_newSynonym->text()));
    if (synonym.empty())
        return;
    const auto& list = m_record.synonyms;
    if (synonym == m_record.value || std::find(list.begin(), list.end(), synonym) != list.end()) {
        m_ui.MessageBox("Такой синоним уже есть!", MsgIcon::Error);
        return;
    }
    m_record.synonyms.push_back(synonym);
    m_newSynonym->clear();
    Refill();
}
