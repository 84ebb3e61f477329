#include "shell/orvo_link_dict_dlg.h"

#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "seam/user_interface.h"
#include "orvo/orvo_link_dict.h"
#include "shell/multi_list_box.h"
#include "view/qt_text.h"

COrvoLinkDictDlg::COrvoLinkDictDlg(CUserInterface& ui, COrvoLinkDict& notepad, COrvoDict& documents, QWidget* parent)
    : QDialog(parent)
    , m_ui(ui)
    , m_notepad(notepad)
    , m_documents(documents)
    , m_list(new CMultiListBox(this))
    , m_count(new QLineEdit(this))
    , m_number(new QLineEdit(this))
    , m_add(new QPushButton(QStringLiteral("Добавить"), this))
    , m_remove(new QPushButton(QStringLiteral("Удалить"), this))
    , m_up(new QPushButton(QStringLiteral("Вверх"), this))
    , m_down(new QPushButton(QStringLiteral("Вниз"), this))
{
    setWindowTitle(QStringLiteral("Блокнот"));
    m_list->setObjectName(QStringLiteral("entries"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    const QFontMetrics listMetrics(m_list->font());
    m_list->setMinimumSize(listMetrics.averageCharWidth() * 64, listMetrics.lineSpacing() * 16);

    m_count->setObjectName(QStringLiteral("count"));
    m_count->setReadOnly(true);
    m_count->setFocusPolicy(Qt::ClickFocus);
    m_count->setFixedWidth(m_count->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 16);
    m_number->setObjectName(QStringLiteral("newDocument"));
    m_number->setValidator(new QIntValidator(0, 2147483647, m_number));
    m_add->setObjectName(QStringLiteral("add"));
    m_remove->setObjectName(QStringLiteral("remove"));
    m_up->setObjectName(QStringLiteral("up"));
    m_down->setObjectName(QStringLiteral("down"));
    auto* clear = new QPushButton(QStringLiteral("Очистить"), this);
    clear->setObjectName(QStringLiteral("clear"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    for (QPushButton* b : { m_add, m_remove, m_up, m_down, clear, ok, cancel })
        b->setAutoDefault(false);
    m_add->setEnabled(false);

    connect(m_list, &QListWidget::itemSelectionChanged, this, &COrvoLinkDictDlg::UpdateButtons);
    connect(m_number, &QLineEdit::textChanged, this, [this] { m_add->setEnabled(m_number->text().toLongLong() != 0); });
    connect(m_number, &QLineEdit::returnPressed, this, [this] {
        if (m_add->isEnabled())
            OnAdd();
    });
    connect(m_add, &QPushButton::clicked, this, &COrvoLinkDictDlg::OnAdd);
    connect(m_remove, &QPushButton::clicked, this, &COrvoLinkDictDlg::OnRemove);
    connect(clear, &QPushButton::clicked, this, &COrvoLinkDictDlg::OnClear);
    connect(m_up, &QPushButton::clicked, this, [this] { OnMove(-1); });
    connect(m_down, &QPushButton::clicked, this, [this] { OnMove(1); });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* side = new QVBoxLayout;
    side->addWidget(m_remove);
    side->addWidget(clear);
    side->addWidget(m_up);
    side->addWidget(m_down);
    side->addStretch();
    side->addWidget(ok);
    side->addWidget(cancel);
    auto* middle = new QHBoxLayout;
    middle->addWidget(m_list, 1);
    middle->addLayout(side);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(QStringLiteral("Количество документов:"), this));
    bottom->addWidget(m_count);
    bottom->addSpacing(16);
    bottom->addWidget(new QLabel(QStringLiteral("Новый документ"), this));
    bottom->addWidget(m_number);
    bottom->addWidget(m_add);
    bottom->addStretch();
    auto* root = new QVBoxLayout(this);
    root->addLayout(middle, 1);
    root->addLayout(bottom);

    Refill(-1);
    m_list->setFocus();
}

void COrvoLinkDictDlg::Refill(int select)
{
    QStringList texts;
    for (const CDocRecvisits& entry : m_notepad.entries)
        texts << FromCp1251(entry.Describe());
    m_list->SetEntries(texts);
    m_count->setText(QString::number(m_notepad.entries.size()));
    if (select >= 0 && select < m_list->count()) {
        m_list->setCurrentRow(select);
        m_list->item(select)->setSelected(true);
        m_list->scrollToItem(m_list->item(select));
    }
    UpdateButtons();
}

int COrvoLinkDictDlg::SelectedRow() const
{
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : m_list->row(selected.front());
}

void COrvoLinkDictDlg::UpdateButtons()
{
    const int row = SelectedRow();
    m_remove->setEnabled(row >= 0);
    m_up->setEnabled(row > 0);
    m_down->setEnabled(row >= 0 && row + 1 < m_list->count());
}

void COrvoLinkDictDlg::OnAdd()
{
    const auto number = static_cast<std::int32_t>(m_number->text().toLong());
    if (number == 0)
        return;
    if (!m_notepad.AddDocument(m_ui, m_documents, number))
        return;
    m_modified = true;
    Refill(static_cast<int>(m_notepad.entries.size()) - 1);
    m_number->clear();
    m_add->setEnabled(false);
}

void COrvoLinkDictDlg::OnRemove()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    m_notepad.entries.erase(m_notepad.entries.begin() + row);
    m_modified = true;
    Refill(-1);
}

void COrvoLinkDictDlg::OnClear()
{
    if (m_ui.MessageBox("Очистить словарь?", MsgIcon::Question, MsgButtons::YesNo) != AnswerYes)
        return;
    m_notepad.entries.clear();
    m_modified = true;
    Refill(-1);
}

void COrvoLinkDictDlg::OnMove(int step)
{
    const int row = SelectedRow();
    const int other = row + step;
    if (row < 0 || other < 0 || other >= static_cast<int>(m_notepad.entries.size()))
        return;
    m_notepad.Swap(static_cast<std::size_t>(row), static_cast<std::size_t>(other));
    m_modified = true;
    Refill(other);
}
