#include "shell/recv_dict_dlg.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/phrase_match.h"
#include "core/user_interface.h"
#include "shell/dictionary_dlg.h"
#include "shell/sinonims_dlg.h"
#include "storage/recv_dict.h"
#include "storage/string_dict.h"
#include "view/qt_text.h"

namespace {

std::string JoinSynonyms(const std::vector<std::string>& synonyms)
{
    std::string text;
    for (const std::string& s : synonyms) {
        if (!text.empty())
            text += ", ";
        text += s;
    }
    return text;
}

// Whether a text is already known to the dictionary, as a value or as a synonym of any value:
// the same text under two values would make a recognition report both.
bool IsKnown(const CRecvDict& dict, const std::string& text)
{
    return std::any_of(dict.records.begin(), dict.records.end(), [&](const CRecvRec& rec) {
        return rec.value == text || std::find(rec.synonyms.begin(), rec.synonyms.end(), text) != rec.synonyms.end();
    });
}

} // namespace

CRecvDictDlg::CRecvDictDlg(
    CUserInterface& ui, const QString& caption, const QString& column, CRecvDict& dict, QWidget* parent)
    : QDialog(parent)
    , m_ui(ui)
    , m_dict(dict)
    , m_list(new CJumpList(1, this))
    , m_count(new QLineEdit(this))
    , m_newEntry(new QLineEdit(this))
    , m_remove(new QPushButton(QStringLiteral("Удалить"), this))
    , m_synonyms(new QPushButton(QStringLiteral("Синонимы"), this))
    , m_addValue(new QPushButton(QStringLiteral("Добавить"), this))
    , m_addSynonym(new QPushButton(QStringLiteral("Внести"), this))
{
    setWindowTitle(caption);
    m_list->setObjectName(QStringLiteral("list"));
    m_list->setHeaderLabels({ QStringLiteral("#"), column, QStringLiteral("Синонимы") });
    m_list->setColumnWidth(0, 40);
    m_list->setColumnWidth(1, 300);
    m_list->setColumnWidth(2, 300);
    const QFontMetrics metrics(font());
    m_list->setMinimumSize(metrics.averageCharWidth() * 80, metrics.lineSpacing() * 18);

    m_count->setObjectName(QStringLiteral("count"));
    m_count->setReadOnly(true);
    m_count->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("0000000")) + 16);
    m_newEntry->setObjectName(QStringLiteral("newEntry"));
    m_remove->setObjectName(QStringLiteral("remove"));
    m_synonyms->setObjectName(QStringLiteral("synonyms"));
    m_addValue->setObjectName(QStringLiteral("addValue"));
    m_addSynonym->setObjectName(QStringLiteral("addSynonym"));
    auto* clear = new QPushButton(QStringLiteral("Очистить"), this);
    clear->setObjectName(QStringLiteral("clear"));
    auto* save = new QPushButton(QStringLiteral("Сохранить"), this);
    save->setObjectName(QStringLiteral("save"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    for (QPushButton* b : { m_remove, m_synonyms, m_addValue, m_addSynonym, clear, save, ok, cancel })
        b->setAutoDefault(false);

    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &CRecvDictDlg::UpdateButtons);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this,
        [this](QTreeWidgetItem* item) { EditSynonyms(m_list->indexOfTopLevelItem(item)); });
    connect(m_newEntry, &QLineEdit::textChanged, this, &CRecvDictDlg::UpdateButtons);
    // Enter in the new entry's field adds it as a value rather than closing the dialog.
    connect(m_newEntry, &QLineEdit::returnPressed, this, [this] {
        if (m_addValue->isEnabled())
            OnAddValue();
    });
    connect(clear, &QPushButton::clicked, this, &CRecvDictDlg::OnClear);
    connect(m_remove, &QPushButton::clicked, this, &CRecvDictDlg::OnRemove);
    connect(m_synonyms, &QPushButton::clicked, this, [this] {
        const std::vector<int> rows = m_list->SelectedRowsDescending();
        if (rows.size() == 1)
            EditSynonyms(rows.front());
    });
    connect(m_addValue, &QPushButton::clicked, this, &CRecvDictDlg::OnAddValue);
    connect(m_addSynonym, &QPushButton::clicked, this, &CRecvDictDlg::OnAddSynonym);
    connect(save, &QPushButton::clicked, this, &CRecvDictDlg::OnSave);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* countRow = new QHBoxLayout;
    countRow->addWidget(new QLabel(QStringLiteral("Количество записей:"), this));
    countRow->addWidget(m_count);
    countRow->addStretch();
    auto* newRow = new QHBoxLayout;
    newRow->addWidget(new QLabel(QStringLiteral("Новая запись"), this));
    newRow->addWidget(m_newEntry, 1);
    newRow->addWidget(m_addValue);
    newRow->addWidget(m_addSynonym);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(clear);
    buttons->addWidget(m_remove);
    buttons->addWidget(m_synonyms);
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

void CRecvDictDlg::Refill()
{
    m_list->clear();
    QList<QTreeWidgetItem*> items;
    for (std::size_t i = 0; i < m_dict.records.size(); ++i) {
        const CRecvRec& rec = m_dict.records[i];
        items << new QTreeWidgetItem(
            { QString::number(i + 1), FromCp1251(rec.value), FromCp1251(JoinSynonyms(rec.synonyms)) });
    }
    m_list->addTopLevelItems(items);
    m_count->setText(QString::number(m_dict.records.size()));
    UpdateButtons();
}

void CRecvDictDlg::UpdateButtons()
{
    const qsizetype selected = m_list->selectedItems().size();
    const bool hasText = !m_newEntry->text().trimmed().isEmpty();
    m_remove->setEnabled(selected > 0);
    m_synonyms->setEnabled(selected == 1);
    m_addValue->setEnabled(hasText);
    m_addSynonym->setEnabled(hasText && selected == 1);
}

void CRecvDictDlg::SelectRow(int row)
{
    if (QTreeWidgetItem* item = m_list->topLevelItem(row)) {
        m_list->setCurrentItem(item);
        m_list->scrollToItem(item);
    }
}

std::string CRecvDictDlg::NewEntry() const { return NormalizeText(ToCp1251(m_newEntry->text())); }

void CRecvDictDlg::OnClear()
{
    if (m_ui.MessageBox("Очистить словарь?", MsgIcon::Question, MsgButtons::YesNo) != AnswerYes)
        return;
    m_dict.records.clear();
    m_modified = true;
    Refill();
}

void CRecvDictDlg::OnRemove()
{
    const std::vector<int> rows = m_list->SelectedRowsDescending();
    if (rows.empty())
        return;
    for (int row : rows)
        m_dict.records.erase(m_dict.records.begin() + row);
    m_modified = true;
    Refill();
}

void CRecvDictDlg::EditSynonyms(int row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= m_dict.records.size())
        return;
    CRecvRec& record = m_dict.records[static_cast<std::size_t>(row)];
    CRecvRec working = record;
    CSinonimsDlg dialog(m_ui, working, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    record = working; // the assignment puts the synonyms in byte order
    m_modified = true;
    Refill();
    SelectRow(row);
}

void CRecvDictDlg::OnAddValue()
{
    const std::string value = NewEntry();
    if (value.empty())
        return;
    if (IsKnown(m_dict, value)) {
        m_ui.MessageBox("Такая запись уже есть в словаре!", MsgIcon::Error);
        return;
    }
    m_dict.records.emplace_back(value, std::vector<std::string> {});
    m_modified = true;
    m_newEntry->clear();
    Refill();
    SelectRow(static_cast<int>(m_dict.records.size()) - 1);
}

void CRecvDictDlg::OnAddSynonym()
{
    const std::vector<int> rows = m_list->SelectedRowsDescending();
    const std::string synonym = NewEntry();
    if (rows.size() != 1 || synonym.empty())
        return;
    if (IsKnown(m_dict, synonym)) {
        m_ui.MessageBox("Такая запись уже есть в словаре!", MsgIcon::Error);
        return;
    }
    CRecvRec& record = m_dict.records[static_cast<std::size_t>(rows.front())];
    record.synonyms.push_back(synonym);
    record.SortSynonyms();
    m_modified = true;
    m_newEntry->clear();
    Refill();
    SelectRow(rows.front());
}

void CRecvDictDlg::OnSave()
{
    std::vector<std::string> lines;
    lines.reserve(m_dict.records.size());
    for (const CRecvRec& rec : m_dict.records)
        lines.push_back(rec.synonyms.empty() ? rec.value : rec.value + " (" + JoinSynonyms(rec.synonyms) + ")");
    ExportStringList(m_ui, lines);
}
