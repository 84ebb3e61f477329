#include "shell/dictionary_dlg.h"

#include <algorithm>

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>

#include "seam/user_interface.h"
#include "storage/string_dict.h"
#include "view/qt_text.h"

CDictionaryDlg::CDictionaryDlg(
    CUserInterface& ui, const QString& title, const QString& column, std::vector<std::string>& strings, QWidget* parent)
    : CListDictDlg(ui, title, { column }, 60, parent)
    , m_strings(strings)
    , m_add(new QPushButton(QStringLiteral("Внести"), this))
{
    m_list->header()->setStretchLastSection(true);
    m_add->setObjectName(QStringLiteral("add"));
    connect(m_add, &QPushButton::clicked, this, &CDictionaryDlg::OnAdd);
    Arrange({ m_add }, {});
}

QStringList CDictionaryDlg::RowTexts(std::size_t row) const { return { FromCp1251(m_strings[row]) }; }

void CDictionaryDlg::RemoveEntry(std::size_t row)
{
    m_strings.erase(m_strings.begin() + static_cast<std::ptrdiff_t>(row));
}

void CDictionaryDlg::Export() { ExportStringList(m_ui, m_strings); }

void CDictionaryDlg::UpdateButtons()
{
    CListDictDlg::UpdateButtons();
    m_add->setEnabled(!m_newEntry->text().trimmed().isEmpty());
}

void CDictionaryDlg::OnAdd()
{
    const std::string entry = NewEntry();
    if (entry.empty())
        return;
    if (std::find(m_strings.begin(), m_strings.end(), entry) != m_strings.end()) {
        m_ui.MessageBox("Такая запись уже есть в словаре!", MsgIcon::Error);
        return;
    }
    m_strings.push_back(entry);
    Added(static_cast<int>(m_strings.size()) - 1);
}
