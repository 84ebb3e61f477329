#include "view/findable_list_view.h"

#include "base/codepage.h"
#include "view/find_dlg.h"
#include "view/qt_text.h"
#include "view/view_message.h"

CFindableListView::CFindableListView(QWidget* parent)
    : CTipListView(parent)
{
}

CFindableListView::~CFindableListView()
{
    delete m_findDlg;
}

CFindDlg* CFindableListView::FindDialog() const { return m_findDlg; }

bool CFindableListView::CanFind() const { return model() && model()->rowCount() > 0; }

bool CFindableListView::CanFindNext() const { return !m_pattern.empty() && CanFind(); }

void CFindableListView::OnFind()
{
    if (m_findDlg) {
        m_findDlg->raise();
        m_findDlg->activateWindow();
        return;
    }
    m_findDlg = new CFindDlg(m_typed, m_wholeWord, m_down, this);
    connect(m_findDlg, &CFindDlg::FindNextRequested, this, [this] {
        FindText(m_findDlg->Text(), m_findDlg->WholeWord(), m_findDlg->Down());
    });
    m_findDlg->show();
}

void CFindableListView::OnFindNext()
{
    if (CanFindNext())
        Search();
}

bool CFindableListView::FindText(const QString& typed, bool wholeWord, bool down)
{
    m_typed = typed;
    m_wholeWord = wholeWord;
    m_down = down;
    m_pattern = codepage::ToUpper1251(ToCp1251(typed));
    if (wholeWord)
        m_pattern = ' ' + m_pattern + ' ';
    return Search();
}

std::string CFindableListView::RowText(int row) const
{
    return ToCp1251(model()->index(row, 0).data(Qt::DisplayRole).toString());
}

void CFindableListView::RowFound(int row)
{
    const QModelIndex index = model()->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    setFocus();
    scrollTo(index);
}

int CFindableListView::SingleSelectedRow() const
{
    if (!selectionModel())
        return -1;
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.front().row() : -1;
}

bool CFindableListView::Search()
{
    const int count = model() ? model()->rowCount() : 0;
    const int selected = SingleSelectedRow();
    int row = 0;
    if (selected < 0)
        row = m_down ? 0 : count - 1;
    else
        row = m_down ? selected + 1 : selected - 1;
    const int step = m_down ? 1 : -1;
    std::string searchable;
    for (; row >= 0 && row < count; row += step) {
        searchable.assign(1, ' ');
        searchable += RowText(row);
        searchable += ' ';
        codepage::ToUpper1251InPlace(searchable);
        if (searchable.find(m_pattern) != std::string::npos) {
            RowFound(row);
            return true;
        }
    }
    ViewMessageBox(this, QMessageBox::Information, QStringLiteral("Поиск завершен."));
    return false;
}
