#include "view/line_delegate.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QStyle>

#include "view/line_model.h"
#include "view/line_text.h"

namespace {

// One cell per byte: the advance of a digit, which in a fixed-pitch font is every character's.
qreal CellWidth(const QFontMetricsF& fm) { return fm.horizontalAdvance(QLatin1Char('0')); }

void DrawFrame(QPainter& p, const QRectF& cell, const QRect& row, std::uint8_t arms, const QColor& colour)
{
    // Arms run to the cell's edges and the row's full height, so pieces join across cells and rows.
    const qreal cx = std::floor(cell.left() + cell.width() / 2) + 0.5;
    const qreal cy = std::floor(row.top() + row.height() / 2.0) + 0.5;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(colour, 1));
    if (arms & ArmLeft)
        p.drawLine(QPointF(cell.left(), cy), QPointF(cx, cy));
    if (arms & ArmRight)
        p.drawLine(QPointF(cx, cy), QPointF(cell.right() + 0.5, cy));
    if (arms & ArmUp)
        p.drawLine(QPointF(cx, row.top()), QPointF(cx, cy));
    if (arms & ArmDown)
        p.drawLine(QPointF(cx, cy), QPointF(cx, row.bottom() + 1));
    p.restore();
}

void DrawMarker(QPainter& p, const QRectF& cell, qreal ascent, qreal baseline, GlyphKind kind, const QColor& colour)
{
    // Markers stand between the baseline and the height of capitals, like the letters beside them.
    const qreal top = baseline - ascent * 0.78;
    const qreal bottom = baseline;
    const qreal midY = (top + bottom) / 2;
    const qreal w = cell.width();
    const qreal left = cell.left() + w * 0.12;
    const qreal right = cell.right() - w * 0.12;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    switch (kind) {
    case GlyphKind::AnchorStart: {
        const QPointF tri[3] = { { left, top }, { right, midY }, { left, bottom } };
        p.drawPolygon(tri, 3);
        break;
    }
    case GlyphKind::AnchorEnd: {
        const QPointF tri[3] = { { right, top }, { left, midY }, { right, bottom } };
        p.drawPolygon(tri, 3);
        break;
    }
    case GlyphKind::AnchorSeparator: {
        const qreal bar = std::max<qreal>(1.0, w * 0.16);
        p.drawRect(QRectF(cell.left() + w * 0.28 - bar / 2, top - 1, bar, bottom - top + 2));
        p.drawRect(QRectF(cell.left() + w * 0.72 - bar / 2, top - 1, bar, bottom - top + 2));
        break;
    }
    case GlyphKind::TagLead: {
        const qreal cx = cell.left() + w / 2;
        const qreal half = std::min(w * 0.45, (bottom - top) / 2);
        const QPointF diamond[4] = { { cx, midY - half }, { cx + half, midY }, { cx, midY + half }, { cx - half, midY } };
        p.drawPolygon(diamond, 4);
        break;
    }
    default: {
        // Any other control code: a hollow box, so the byte is seen even without a meaning.
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(colour, 1));
        p.drawRect(QRectF(left + 0.5, top + 0.5, right - left - 1, bottom - top - 1));
        break;
    }
    }
    p.restore();
}

} // namespace

CLineDelegate::CLineDelegate(QObject* parent)
    : QStyledItemDelegate(parent)
{
}

CLineDelegate::Colours CLineDelegate::RowColours(const QPalette& palette, bool selected, bool active)
{
    const QPalette::ColorGroup group = active ? QPalette::Active : QPalette::Inactive;
    if (selected) {
        const QColor text = palette.color(group, QPalette::HighlightedText);
        return { text, QColor(0xff, 0xd0, 0x80), text, text };
    }
    const QColor text = palette.color(group, QPalette::Text);
    const QColor base = palette.color(group, QPalette::Base);
    // The frame a little lighter than the words, so tables do not shout.
    const QColor frame = QColor::fromRgbF((text.redF() * 2 + base.redF()) / 3, (text.greenF() * 2 + base.greenF()) / 3,
        (text.blueF() * 2 + base.blueF()) / 3);
    return { text, QColor(0xc0, 0x18, 0x5a), palette.color(group, QPalette::Link), frame };
}

CLineDelegate::Colours CLineDelegate::TipColours(const QPalette& palette)
{
    const QColor text = palette.color(QPalette::ToolTipText);
    return { text, QColor(0xc0, 0x18, 0x5a), palette.color(QPalette::Link), text };
}

void CLineDelegate::DrawLine(
    QPainter& painter, const QRect& rect, const QFont& font, std::string_view line, const Colours& colours)
{
    const QFontMetricsF fm(font);
    const qreal cell = CellWidth(fm);
    const qreal baseline = rect.top() + (rect.height() - fm.height()) / 2 + fm.ascent();
    QFont linkFont = font;
    linkFont.setUnderline(true);

    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    qreal x = rect.left();
    for (const LineRun& run : SplitLineRuns(line)) {
        if (x > rect.right())
            break;
        const std::string_view bytes = line.substr(static_cast<std::size_t>(run.start), static_cast<std::size_t>(run.length));
        if (run.kind == LineRun::Glyph) {
            const LineGlyph& glyph = GlyphOf(static_cast<unsigned char>(bytes.front()));
            const QRectF cellRect(x, rect.top(), cell, rect.height());
            if (glyph.kind == GlyphKind::Frame)
                DrawFrame(painter, cellRect, rect, glyph.arms, colours.frame);
            else
                DrawMarker(painter, cellRect, fm.ascent(), baseline, glyph.kind, colours.marker);
            x += cell;
            continue;
        }
        const QString text = LineDisplayText(bytes);
        const bool anchor = run.kind == LineRun::Anchor;
        painter.setFont(anchor ? linkFont : font);
        painter.setPen(anchor ? colours.link : colours.text);
        painter.drawText(QPointF(x, baseline), text);
        x += fm.horizontalAdvance(text);
    }
    painter.restore();
}

qreal CLineDelegate::LineWidth(const QFont& font, std::string_view line)
{
    const QFontMetricsF fm(font);
    const qreal cell = CellWidth(fm);
    qreal width = 0;
    for (const LineRun& run : SplitLineRuns(line)) {
        if (run.kind == LineRun::Glyph)
            width += cell;
        else
            width += fm.horizontalAdvance(LineDisplayText(
                line.substr(static_cast<std::size_t>(run.start), static_cast<std::size_t>(run.length))));
    }
    return width;
}

int CLineDelegate::RowHeight(const QFont& font)
{
    return std::max(static_cast<int>(std::ceil(QFontMetricsF(font).height())), kPictureSize) + 2;
}

void CLineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    // The option is used as it comes: filling it from the model would convert the text for nothing.
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &option, painter, widget);

    const int picture = index.data(CLineModel::PictureRole).toInt();
    if (picture != PictureNone) {
        const QRect at(option.rect.left() + kPictureLeft, option.rect.top() + (option.rect.height() - kPictureSize) / 2,
            kPictureSize, kPictureSize);
        LinePictureIcon(picture).paint(painter, at);
    }

    const QByteArray bytes = index.data(CLineModel::TextRole).toByteArray();
    const bool selected = option.state & QStyle::State_Selected;
    const bool active = option.state & QStyle::State_Active;
    QRect textRect = option.rect;
    textRect.setLeft(option.rect.left() + kTextLeft);
    DrawLine(*painter, textRect, option.font, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
        RowColours(option.palette, selected, active));

    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.backgroundColor = option.palette.color(selected ? QPalette::Highlight : QPalette::Base);
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
}

QSize CLineDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const int longest = index.data(CLineModel::LongestLineRole).toInt();
    const QFontMetricsF fm(option.font);
    const int width = kTextLeft + static_cast<int>(std::ceil(CellWidth(fm) * longest)) + 3;
    return { width, RowHeight(option.font) };
}
