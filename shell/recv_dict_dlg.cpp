#include "shell/recv_dict_dlg.h"

#include <algorithm>

#include <QLineEdit>
#include <QPushButton>

#include "seam/user_interface.h"
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
    : CListDictDlg(ui, caption, { column, QStringLiteral("Синонимы") }, 80, parent)
    , m_dict(dict)
    , m_synonyms(new QPushButton(QStringLiteral("Синонимы"), this))
    , m_addValue(new QPushButton(QStringLiteral("Добавить"), this))
    , m_addSynonym(new QPushButton(QStringLiteral("Внести"), this))
{
    m_list->setColumnWidth(1, 300);
    m_list->setColumnWidth(2, 300);
    m_synonyms->setObjectName(QStringLiteral("synonyms"));
    m_addValue->setObjectName(QStringLiteral("addValue"));
    m_addSynonym->setObjectName(QStringLiteral("addSynonym"));
    connect(m_list, &QTreeWidget::itemDoubleClicked, this,
        [this](QTreeWidgetItem* item) { EditSynonyms(m_list->indexOfTopLevelItem(item)); });
    connect(m_synonyms, &QPushButton::clicked, this, [this] {
        const std::vector<int> rows = m_list->SelectedRowsDescending();
        if (rows.size() == 1)
            EditSynonyms(rows.front());
    });
    connect(m_addValue, &QPushButton::clicked, this, &CRecvDictDlg::OnAddValue);
    connect(m_addSynonym, &QPushButton::clicked, this, &CRecvDictDlg::OnAddSynonym);
    // Enter in the new entry's field adds it as a value.
    Arrange({ m_addValue, m_addSynonym }, { m_synonyms });
}

std::size_t CRecvDictDlg::Count() const { return m_dict.records.size(); }

QStringList CRecvDictDlg::RowTexts(std::size_t row) const
{
    const CRecvRec& rec = m_dict.records[row];
    return { FromCp1251(rec.value), FromCp1251(JoinSynonyms(rec.synonyms)) };
}

void CRecvDictDlg::ClearEntries() { m_dict.records.clear(); }

void CRecvDictDlg::RemoveEntry(std::size_t row)
{
    m_dict.records.erase(m_dict.records.begin() + static_cast<std::ptrdiff_t>(row));
}

void CRecvDictDlg::UpdateButtons()
{
    CListDictDlg::UpdateButtons();
    const qsizetype selected = m_list->selectedItems().size();
    const bool hasText = !m_newEntry->text().trimmed().isEmpty();
    m_synonyms->setEnabled(selected == 1);
    m_addValue->setEnabled(hasText);
    m_addSynonym->setEnabled(hasText && selected == 1);
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
    Added(static_cast<int>(m_dict.records.size()) - 1);
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
    Added(rows.front());
}

void CRecvDictDlg::Export()
{
    std::vector<std::string> lines;
    lines.reserve(m_dict.records.size());
    for (const CRecvRec& rec : m_dict.records)
        lines.push_back(rec.synonyms.empty() ? rec.value : rec.value + " (" + JoinSynonyms(rec.synonyms) + ")");
    ExportStringList(m_ui, lines);
}
