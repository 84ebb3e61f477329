#include "shell/multi_list_box.h"

#include <algorithm>
#include <cmath>

#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTextLayout>

namespace {

constexpr int kTextMargin = 4;
constexpr int kMinTextHeight = 8;
constexpr int kEmptyEntryHeight = 24;

// Where the entries' own background is not filled: the classic inactive border colour, so a
// selection stays visible after the focus has moved to a button.
const QColor kInactiveSelection(212, 208, 200);
const QColor kSeparator(192, 192, 192);

QString LayoutText(QString text)
{
    text.replace(QLatin1String("\r\n"), QString(QChar::LineSeparator));
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    return text;
}

// Words that do not fit a line are broken inside, so a long number or a path is never cut off.
qreal LayOut(QTextLayout& layout, qreal width)
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    qreal height = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
    return height;
}

template <class List> class CMultiListDelegate : public QStyledItemDelegate {
public:
    explicit CMultiListDelegate(List* list)
        : QStyledItemDelegate(list)
        , m_list(list)
    {
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        return QSize(m_list->TextWidth() + 2 * kTextMargin, m_list->RowHeight(index));
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        painter->save();
        const bool selected = option.state & QStyle::State_Selected;
        QColor fill = m_list->Background();
        QColor ink = Qt::black;
        if (selected && m_list->hasFocus()) {
            fill = option.palette.color(QPalette::Active, QPalette::Highlight);
            ink = option.palette.color(QPalette::Active, QPalette::HighlightedText);
        } else if (selected) {
            fill = kInactiveSelection;
        }
        if (!m_list->isEnabled())
            ink = option.palette.color(QPalette::Disabled, QPalette::Text);
        painter->fillRect(option.rect, fill);

        QTextLayout layout(LayoutText(index.data(Qt::DisplayRole).toString()), option.font);
        LayOut(layout, option.rect.width() - 2 * kTextMargin);
        painter->setPen(ink);
        layout.draw(painter, QPointF(option.rect.left() + kTextMargin, option.rect.top() + kTextMargin));

        if (m_list->Separators()) {
            painter->setPen(kSeparator);
            painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        }
        if ((option.state & QStyle::State_HasFocus) && m_list->hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(m_list);
            focus.rect = option.rect.adjusted(1, 1, -1, -1);
            focus.backgroundColor = fill;
            m_list->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, m_list);
        }
        painter->restore();
    }

private:
    List* m_list;
};

// The entries' font and scrolling, the same for both lists.
void SetUpEntries(QListView* list)
{
    QFont entryFont(QStringLiteral("Arial"));
    entryFont.setPixelSize(14);
    entryFont.setStyleHint(QFont::SansSerif);
    list->setFont(entryFont);
    list->setUniformItemSizes(false);
    // Heights depend on the width: lay the entries out again whenever the list is resized. The
    // scroll bar stays so that showing it never changes the width the entries were wrapped at.
    list->setResizeMode(QListView::Adjust);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list->verticalScrollBar()->setSingleStep(QFontMetrics(entryFont).height());
}

int TextWidthOf(const QListView* list) { return std::max(1, list->viewport()->width() - 2 * kTextMargin); }

int EntryHeightOf(const QListView* list, const QString& text)
{
    QTextLayout layout(LayoutText(text), list->font());
    const qreal height = LayOut(layout, TextWidthOf(list));
    if (height < kMinTextHeight)
        return kEmptyEntryHeight;
    return static_cast<int>(std::ceil(height)) + 2 * kTextMargin;
}

} // namespace

CMultiListBox::CMultiListBox(QWidget* parent)
    : QListWidget(parent)
{
    SetUpEntries(this);
    setItemDelegate(new CMultiListDelegate<CMultiListBox>(this));
    QPalette pal = palette();
    pal.setColor(QPalette::Base, m_background);
    setPalette(pal);
}

void CMultiListBox::SetEntries(const QStringList& texts)
{
    clear();
    addItems(texts);
}

void CMultiListBox::SetSeparators(bool on)
{
    m_separators = on;
    viewport()->update();
}

void CMultiListBox::SetBackground(const QColor& color)
{
    m_background = color;
    QPalette pal = palette();
    pal.setColor(QPalette::Base, color);
    setPalette(pal);
    viewport()->update();
}

int CMultiListBox::TextWidth() const { return TextWidthOf(this); }

int CMultiListBox::EntryHeight(const QString& text) const { return EntryHeightOf(this, text); }

QVariant CTextRowsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    return m_rows[index.row()];
}

void CTextRowsModel::Append(const QStringList& rows)
{
    if (rows.isEmpty())
        return;
    beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + rows.size() - 1));
    m_rows += rows;
    endInsertRows();
}

void CTextRowsModel::Clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

CMultiListView::CMultiListView(QWidget* parent)
    : QListView(parent)
    , m_rows(new CTextRowsModel(this))
{
    SetUpEntries(this);
    setModel(m_rows);
    setItemDelegate(new CMultiListDelegate<CMultiListView>(this));
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Background());
    setPalette(pal);
}

void CMultiListView::AppendEntries(const QStringList& texts) { m_rows->Append(texts); }

void CMultiListView::ClearEntries()
{
    m_heights.clear();
    m_rows->Clear();
}

int CMultiListView::RowHeight(const QModelIndex& index) const
{
    if (!index.isValid())
        return kEmptyEntryHeight;
    if (m_heightsWidth != TextWidth()) {
        m_heights.clear();
        m_heightsWidth = TextWidth();
    }
    const auto row = static_cast<std::size_t>(index.row());
    if (row >= m_heights.size())
        m_heights.resize(row + 1, -1);
    if (m_heights[row] < 0)
        m_heights[row] = EntryHeight(index.data(Qt::DisplayRole).toString());
    return m_heights[row];
}

int CMultiListView::SelectedRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() && selectionModel()->isSelected(current) ? current.row() : -1;
}

int CMultiListView::TextWidth() const { return TextWidthOf(this); }

int CMultiListView::EntryHeight(const QString& text) const { return EntryHeightOf(this, text); }
