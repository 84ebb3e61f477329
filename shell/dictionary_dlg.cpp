#include "shell/dictionary_dlg.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/phrase_match.h"
#include "core/user_interface.h"
#include "storage/string_dict.h"
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

CDictionaryDlg::CDictionaryDlg(CUserInterface& ui, const QString& title, const QString& column,
    std::vector<std::string>& strings, QWidget* parent)
    : QDialog(parent)
    , m_ui(ui)
    , m_strings(strings)
    , m_list(new CJumpList(1, this))
    , m_count(new QLineEdit(this))
    , m_newEntry(new QLineEdit(this))
    , m_remove(new QPushButton(QStringLiteral("Удалить"), this))
    , m_add(new QPushButton(QStringLiteral("Внести"), this))
{
    setWindowTitle(title);
    m_list->setObjectName(QStringLiteral("list"));
    m_list->setHeaderLabels({ QStringLiteral("#"), column });
    m_list->setColumnWidth(0, 40);
    m_list->header()->setStretchLastSection(true);
    const QFontMetrics metrics(font());
    m_list->setMinimumSize(metrics.averageCharWidth() * 60, metrics.lineSpacing() * 18);

    m_count->setObjectName(QStringLiteral("count"));
    m_count->setReadOnly(true);
    m_count->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("0000000")) + 16);
    m_newEntry->setObjectName(QStringLiteral("newEntry"));
    m_remove->setObjectName(QStringLiteral("remove"));
    m_add->setObjectName(QStringLiteral("add"));
    auto* clear = new QPushButton(QStringLiteral("Очистить"), this);
    clear->setObjectName(QStringLiteral("clear"));
    auto* save = new QPushButton(QStringLiteral("Сохранить"), this);
    save->setObjectName(QStringLiteral("save"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    // Enter in the new entry's field adds it rather than closing the dialog.
    for (QPushButton* b : { m_remove, m_add, clear, save, ok, cancel })
        b->setAutoDefault(false);

    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &CDictionaryDlg::UpdateButtons);
    connect(m_newEntry, &QLineEdit::textChanged, this, &CDictionaryDlg::UpdateButtons);
    connect(m_newEntry, &QLineEdit::returnPressed, this, [this] {
        if (m_add->isEnabled())
            OnAdd();
    });
    connect(clear, &QPushButton::clicked, this, &CDictionaryDlg::OnClear);
    connect(m_remove, &QPushButton::clicked, this, &CDictionaryDlg::OnRemove);
    connect(save, &QPushButton::clicked, this, &CDictionaryDlg::OnSave);
    connect(m_add, &QPushButton::clicked, this, &CDictionaryDlg::OnAdd);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* countRow = new QHBoxLayout;
    countRow->addWidget(new QLabel(QStringLiteral("Количество записей:"), this));
    countRow->addWidget(m_count);
    countRow->addStretch();
    auto* newRow = new QHBoxLayout;
    newRow->addWidget(new QLabel(QStringLiteral("Новая запись"), this));
    newRow->addWidget(m_newEntry, 1);
    newRow->addWidget(m_add);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(clear);
    buttons->addWidget(m_remove);
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

void CDictionaryDlg::Refill()
{
    m_list->clear();
    QList<QTreeWidgetItem*> items;
    for (std::size_t i = 0; i < m_strings.size(); ++i)
        items << new QTreeWidgetItem({ QString::number(i + 1), FromCp1251(m_strings[i]) });
    m_list->addTopLevelItems(items);
    m_count->setText(QString::number(m_strings.size()));
    UpdateButtons();
}

void CDictionaryDlg::UpdateButtons()
{
    m_remove->setEnabled(!m_list->selectedItems().isEmpty());
    m_add->setEnabled(!m_newEntry->text().trimmed().isEmpty());
}

void CDictionaryDlg::OnClear()
{
    if (m_ui.MessageBox("Очистить словарь?", MsgIcon::Question, MsgButtons::YesNo) != AnswerYes)
        return;
    m_strings.clear();
    m_modified = true;
    Refill();
}

void CDictionaryDlg::OnRemove()
{
    const std::vector<int> rows = m_list->SelectedRowsDescending();
    if (rows.empty())
        return;
    for (int row : rows)
        m_strings.erase(m_strings.begin() + row);
    m_modified = true;
    Refill();
}

void CDictionaryDlg::OnSave() { ExportStringList(m_ui, m_strings); }

void CDictionaryDlg::OnAdd()
{
    const std::string entry = NormalizeText(ToCp1251(m_newEntry->text()));
    if (entry.empty())
        return;
    if (std::find(m_strings.begin(), m_strings.end(), entry) != m_strings.end()) {
        m_ui.MessageBox("Такая запись уже есть в словаре!", MsgIcon::Error);
        return;
    }
    m_strings.push_back(entry);
    m_modified = true;
    m_newEntry->clear();
    Refill();
    QTreeWidgetItem* last = m_list->topLevelItem(m_list->topLevelItemCount() - 1);
    m_list->setCurrentItem(last);
    m_list->scrollToItem(last);
}
