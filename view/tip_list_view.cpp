#include "view/tip_list_view.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

// The tip itself. It lets every mouse event through to the list beneath, so clicks and double
// clicks land on the row as if the tip were not there, and the list keeps seeing the pointer move.
class CTitleTip : public QWidget {
public:
    explicit CTitleTip(CTipListView* list)
        : QWidget(list,
            Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowTransparentForInput
                | Qt::WindowDoesNotAcceptFocus)
        , m_list(list)
    {
        setObjectName(QStringLiteral("ZTitleTip"));
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::ArrowCursor);
        setFont(list->font());
        setPalette(QPalette(palette().color(QPalette::ToolTipText), palette().color(QPalette::ToolTipBase)));
        setAutoFillBackground(true);
        setBackgroundRole(QPalette::ToolTipBase);
    }

    void Show(const QModelIndex& index, const QRect& globalRect)
    {
        m_index = index;
        setFont(m_list->font());
        setGeometry(globalRect);
        update();
        show();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        if (m_index.isValid())
            m_list->PaintTip(painter, rect(), m_index);
    }

private:
    CTipListView* m_list;
    QPersistentModelIndex m_index;
};

CTipListView::CTipListView(QWidget* parent)
    : QListView(parent)
{
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
}

CTipListView::~CTipListView() = default;

QModelIndex CTipListView::TipIndex() const { return (m_tip && m_tip->isVisible()) ? QModelIndex(m_tipIndex) : QModelIndex(); }

void CTipListView::HideTip()
{
    if (m_tip)
        m_tip->hide();
    m_tipIndex = QPersistentModelIndex();
}

int CTipListView::TextOffset(const QModelIndex& index) const
{
    const bool picture = !index.data(Qt::DecorationRole).isNull();
    return picture ? iconSize().width() + 3 : 6;
}

int CTipListView::TextWidth(const QModelIndex& index) const
{
    return fontMetrics().horizontalAdvance(index.data(Qt::DisplayRole).toString());
}

void CTipListView::PaintTip(QPainter& painter, const QRect& rect, const QModelIndex& index) const
{
    painter.setPen(palette().color(QPalette::ToolTipText));
    painter.drawText(rect.adjusted(TextOffset(index), 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
        index.data(Qt::DisplayRole).toString());
}

void CTipListView::UpdateTip(const QPoint& viewportPos)
{
    const QModelIndex index = indexAt(viewportPos);
    if (index.isValid() && m_tip && m_tip->isVisible() && index == m_tipIndex)
        return;
    HideTip();
    if (!index.isValid())
        return;
    const QRect cell = visualRect(index);
    const QRect visible = cell.intersected(viewport()->rect());
    const int textOffset = TextOffset(index);
    const int needed = textOffset + TextWidth(index) + 3;
    if (cell.left() + needed <= visible.right() + 1)
        return;
    if (!m_tip)
        m_tip = new CTitleTip(this);
    const QPoint topLeft = viewport()->mapToGlobal(cell.topLeft());
    m_tipIndex = index;
    m_tip->Show(index, QRect(topLeft, QSize(needed, cell.height())));
}

void CTipListView::mouseMoveEvent(QMouseEvent* event)
{
    QListView::mouseMoveEvent(event);
    if (event->buttons() == Qt::NoButton && QApplication::activeWindow())
        UpdateTip(event->position().toPoint());
    else
        HideTip();
}

void CTipListView::keyPressEvent(QKeyEvent* event)
{
    HideTip();
    QListView::keyPressEvent(event);
}

void CTipListView::leaveEvent(QEvent* event)
{
    HideTip();
    QListView::leaveEvent(event);
}

void CTipListView::focusOutEvent(QFocusEvent* event)
{
    HideTip();
    QListView::focusOutEvent(event);
}

void CTipListView::wheelEvent(QWheelEvent* event)
{
    HideTip();
    QListView::wheelEvent(event);
}

void CTipListView::scrollContentsBy(int dx, int dy)
{
    HideTip();
    QListView::scrollContentsBy(dx, dy);
}
