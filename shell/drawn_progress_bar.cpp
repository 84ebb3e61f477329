#include "shell/drawn_progress_bar.h"

#include <algorithm>

#include <QPainter>

CDrawnProgressBar::CDrawnProgressBar(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("progressBar"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(16);
    setFont(font);
}

void CDrawnProgressBar::SetRange(int lower, int upper)
{
    m_lower = lower;
    m_upper = upper;
    m_drawnWidth = -1;
    update();
}

void CDrawnProgressBar::SetPos(int pos)
{
    m_pos = std::clamp(pos, std::min(m_lower, m_upper), std::max(m_lower, m_upper));
    if (FilledWidth() != m_drawnWidth)
        update();
}

void CDrawnProgressBar::SetText(const QString& text)
{
    m_text = text;
    update();
}

int CDrawnProgressBar::ShareOf(int whole) const
{
    // In integers: in floating point 29 % of 100 would come out as 28.999... and show 28.
    if (m_upper <= m_lower)
        return 0;
    const long long done = static_cast<long long>(m_pos) - m_lower;
    const long long range = static_cast<long long>(m_upper) - m_lower;
    return static_cast<int>(std::clamp(done, 0LL, range) * whole / range);
}

int CDrawnProgressBar::FilledWidth() const { return ShareOf(width()); }

QString CDrawnProgressBar::ShownText() const
{
    if (!m_text.isEmpty())
        return m_text;
    return QStringLiteral("%1%").arg(ShareOf(100));
}

QSize CDrawnProgressBar::sizeHint() const { return QSize(240, fontMetrics().height() + 6); }

void CDrawnProgressBar::resizeEvent(QResizeEvent* event)
{
    m_drawnWidth = -1;
    QWidget::resizeEvent(event);
}

void CDrawnProgressBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor filledColour = palette().color(QPalette::Highlight);
    const QColor restColour = palette().color(QPalette::Base);
    m_drawnWidth = FilledWidth();
    const QRect filled(0, 0, m_drawnWidth, height());
    const QRect rest(m_drawnWidth, 0, width() - m_drawnWidth, height());
    painter.fillRect(filled, filledColour);
    painter.fillRect(rest, restColour);

    const QString text = ShownText();
    painter.setFont(font());
    painter.setClipRect(filled);
    painter.setPen(restColour);
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text);
    painter.setClipRect(rest);
    painter.setPen(filledColour);
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text);
}
