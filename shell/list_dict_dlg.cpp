#include "shell/list_dict_dlg.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/phrase_match.h"
#include "seam/user_interface.h"
#include "view/qt_text.h"

CJumpList::CJumpList(int searchColumn, QWidget* parent)
    : QTreeWidget(parent)
    , m_searchColumn(searchColumn)
{
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setFocus();
}

void CJumpList::keyboardSearch(const QString& search)
{
    if (search.isEmpty())
        return;
    const QString first = search.right(1);
    for (int row = 0; row < topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = topLevelItem(row);
        const QString text = item->text(m_searchColumn);
        if (text.isEmpty())
            continue;
        if (text.startsWith(first.toLower()) || text.startsWith(first.toUpper())) {
            clearSelection();
            setCurrentItem(item);
            item->setSelected(true);
            scrollToItem(item);
            return;
        }
    }
}

std::vector<int> CJumpList::SelectedRowsDescending() const
{
    std::vector<int> rows;
    for (QTreeWidgetItem* item : selectedItems())
        rows.push_back(indexOfTopLevelItem(item));
    std::sort(rows.begin(), rows.end(), std::greater<>());
    return rows;
}

CListDictDlg::CListDictDlg(
    CUserInterface& ui, const QString& title, const QStringList& columns, int minimumChars, QWidget* parent)
    : QDialog(parent)
    , m_ui(ui)
    , m_list(new CJumpList(1, this))
    , m_count(new QLineEdit(this))
    , m_newEntry(new QLineEdit(this))
    , m_remove(new QPushButton(QStringLiteral("Удалить"), this))
{
    setWindowTitle(title);
    m_list->setObjectName(QStringLiteral("list"));
    m_list->setHeaderLabels(QStringList { QStringLiteral("#") } + columns);
    m_list->setColumnWidth(0, 40);
    const QFontMetrics metrics(font());
    m_list->setMinimumSize(metrics.averageCharWidth() * minimumChars, metrics.lineSpacing() * 18);
    m_count->setObjectName(QStringLiteral("count"));
    m_count->setReadOnly(true);
    m_count->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("0000000")) + 16);
    m_newEntry->setObjectName(QStringLiteral("newEntry"));
    m_remove->setObjectName(QStringLiteral("remove"));
}

void CListDictDlg::Arrange(const QList<QPushButton*>& entryButtons, const QList<QPushButton*>& extraButtons)
{
    auto* clear = new QPushButton(QStringLiteral("Очистить"), this);
    clear->setObjectName(QStringLiteral("clear"));
    auto* save = new QPushButton(QStringLiteral("Сохранить"), this);
    save->setObjectName(QStringLiteral("save"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    // Enter in the new entry's field adds it rather than closing the dialog.
    for (QPushButton* b : entryButtons + extraButtons + QList<QPushButton*> { m_remove, clear, save, ok, cancel })
        b->setAutoDefault(false);

    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &CListDictDlg::UpdateButtons);
    connect(m_newEntry, &QLineEdit::textChanged, this, &CListDictDlg::UpdateButtons);
    if (!entryButtons.isEmpty()) {
        connect(m_newEntry, &QLineEdit::returnPressed, this, [button = entryButtons.front()] {
            if (button->isEnabled())
                button->click();
        });
    }
    connect(clear, &QPushButton::clicked, this, &CListDictDlg::OnClear);
    connect(m_remove, &QPushButton::clicked, this, &CListDictDlg::OnRemove);
    connect(save, &QPushButton::clicked, this, [this] { Export(); });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* countRow = new QHBoxLayout;
    countRow->addWidget(new QLabel(QStringLiteral("Количество записей:"), this));
    countRow->addWidget(m_count);
    countRow->addStretch();
    auto* newRow = new QHBoxLayout;
    newRow->addWidget(new QLabel(QStringLiteral("Новая запись"), this));
    newRow->addWidget(m_newEntry, 1);
    for (QPushButton* b : entryButtons)
        newRow->addWidget(b);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(clear);
    buttons->addWidget(m_remove);
    for (QPushButton* b : extraButtons)
        buttons->addWidget(b);
    buttons->addWidget(save);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* root = new QVBoxLayout(this);
    root->addLayout(countRow);
    root->addWidget(m_list, 1);
    root->addLayout(newRow);
    root->addLayout(buttons);

    Refill();
    m_list->setFocus();
}

void CListDictDlg::Refill()
{
    m_list->clear();
    QList<QTreeWidgetItem*> items;
    const std::size_t count = Count();
    for (std::size_t i = 0; i < count; ++i)
        items << new QTreeWidgetItem(QStringList { QString::number(i + 1) } + RowTexts(i));
    m_list->addTopLevelItems(items);
    m_count->setText(QString::number(count));
    UpdateButtons();
}

void CListDictDlg::UpdateButtons() { m_remove->setEnabled(!m_list->selectedItems().isEmpty()); }

void CListDictDlg::SelectRow(int row)
{
    if (QTreeWidgetItem* item = m_list->topLevelItem(row)) {
        m_list->setCurrentItem(item);
        m_list->scrollToItem(item);
    }
}

std::string CListDictDlg::NewEntry() const { return NormalizeText(ToCp1251(m_newEntry->text())); }

void CListDictDlg::Added(int row)
{
    m_modified = true;
    m_newEntry->clear();
    Refill();
    SelectRow(row);
}

void CListDictDlg::OnClear()
{
    if (m_ui.MessageBox("Очистить словарь?", MsgIcon::Question, MsgButtons::YesNo) != AnswerYes)
        return;
    ClearEntries();
    m_modified = true;
    Refill();
}

void CListDictDlg::OnRemove()
{
    const std::vector<int> rows = m_list->SelectedRowsDescending();
    if (rows.empty())
        return;
    for (int row : rows)
        RemoveEntry(static_cast<std::size_t>(row));
    m_modified = true;
    Refill();
}
