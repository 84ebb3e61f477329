#include "shell/icons.h"

#include <algorithm>

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

// Every picture is drawn on a 16 x 16 grid and scaled; the colours follow the line view's: blue
// for the Orvo base, green for the local base, orange for suspicious lines.
const QColor kOutline(0x3c, 0x3c, 0x3c);
const QColor kPaper(0xff, 0xff, 0xff);
const QColor kOrvo(0x1f, 0x5f, 0xbf);
const QColor kInner(0x2e, 0x8b, 0x3a);
const QColor kSuspicious(0xe0, 0x7b, 0x00);
const QColor kRemove(0xd0, 0x21, 0x21);
const QColor kBookmark(0x6a, 0x3d, 0xb8);
const QColor kFolder(0xe8, 0xb5, 0x3a);
const QColor kTextLine(0x9a, 0x9a, 0x9a);

QPen Pen(const QColor& color, qreal width = 1.0)
{
    QPen pen(color, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

// A page with a folded corner.
void Page(QPainter& p, QRectF r, const QColor& fill = kPaper)
{
    const qreal fold = r.width() * 0.35;
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(Pen(kOutline));
    p.setBrush(fill);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

void TextLines(QPainter& p, qreal left, qreal right, qreal top, int count, qreal step = 2.0)
{
    p.setPen(Pen(kTextLine, 0.9));
    for (int i = 0; i < count; ++i)
        p.drawLine(QPointF(left, top + i * step), QPointF(right, top + i * step));
}

// A tag line's label: a flat tag pointing left with its hole.
void Tag(QPainter& p, QRectF r, const QColor& color)
{
    const qreal nose = r.height() * 0.5;
    QPainterPath path;
    path.moveTo(r.left(), r.center().y());
    path.lineTo(r.left() + nose, r.top());
    path.lineTo(r.right(), r.top());
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left() + nose, r.bottom());
    path.closeSubpath();
    p.setPen(Pen(color.darker(140)));
    p.setBrush(color);
    p.drawPath(path);
    p.setPen(Qt::NoPen);
    p.setBrush(kPaper);
    const qreal hole = r.height() * 0.22;
    p.drawEllipse(QPointF(r.left() + nose * 0.9, r.center().y()), hole, hole);
}

void Cross(QPainter& p, QPointF c, qreal half)
{
    p.setPen(Pen(Qt::white, 3.2));
    p.drawLine(c + QPointF(-half, -half), c + QPointF(half, half));
    p.drawLine(c + QPointF(-half, half), c + QPointF(half, -half));
    p.setPen(Pen(kRemove, 1.8));
    p.drawLine(c + QPointF(-half, -half), c + QPointF(half, half));
    p.drawLine(c + QPointF(-half, half), c + QPointF(half, -half));
}

void Plus(QPainter& p, QPointF c, qreal half, const QColor& color)
{
    p.setPen(Pen(Qt::white, 3.4));
    p.drawLine(c + QPointF(-half, 0), c + QPointF(half, 0));
    p.drawLine(c + QPointF(0, -half), c + QPointF(0, half));
    p.setPen(Pen(color, 1.8));
    p.drawLine(c + QPointF(-half, 0), c + QPointF(half, 0));
    p.drawLine(c + QPointF(0, -half), c + QPointF(0, half));
}

// A filled arrow along x (dir +1 right, -1 left) or along y when vertical.
void Arrow(QPainter& p, QPointF tip, qreal length, qreal thickness, int dir, bool vertical, const QColor& color)
{
    const qreal head = thickness * 1.9;
    const qreal headLen = std::min(length * 0.55, thickness * 1.8);
    QPolygonF poly {
        QPointF(0, 0),
        QPointF(-headLen, -head / 2),
        QPointF(-headLen, -thickness / 2),
        QPointF(-length, -thickness / 2),
        QPointF(-length, thickness / 2),
        QPointF(-headLen, thickness / 2),
        QPointF(-headLen, head / 2),
    };
    for (QPointF& pt : poly) {
        QPointF q(pt.x() * dir, pt.y());
        if (vertical)
            q = QPointF(q.y(), q.x());
        pt = tip + q;
    }
    p.setPen(Pen(color.darker(150), 0.8));
    p.setBrush(color);
    p.drawPolygon(poly);
}

void Ribbon(QPainter& p, QRectF r, const QColor& color)
{
    QPainterPath path;
    path.moveTo(r.topLeft());
    path.lineTo(r.topRight());
    path.lineTo(r.bottomRight());
    path.lineTo(r.center().x(), r.bottom() - r.width() * 0.45);
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    p.setPen(Pen(color.darker(150)));
    p.setBrush(color);
    p.drawPath(path);
}

void Magnifier(QPainter& p, QPointF c, qreal radius, const QColor& glass)
{
    p.setPen(Pen(kOutline, 2.4));
    p.drawLine(c + QPointF(radius * 0.7, radius * 0.7), c + QPointF(radius * 1.9, radius * 1.9));
    p.setPen(Pen(kOutline, 1.2));
    p.setBrush(glass);
    p.drawEllipse(c, radius, radius);
}

void Link(QPainter& p, QPointF c, const QColor& color)
{
    p.setBrush(Qt::NoBrush);
    p.save();
    p.translate(c);
    p.rotate(-45);
    p.setPen(Pen(Qt::white, 3.2));
    p.drawRoundedRect(QRectF(-4.6, -1.6, 5.4, 3.2), 1.6, 1.6);
    p.drawRoundedRect(QRectF(-0.8, -1.6, 5.4, 3.2), 1.6, 1.6);
    p.setPen(Pen(color, 1.4));
    p.drawRoundedRect(QRectF(-4.6, -1.6, 5.4, 3.2), 1.6, 1.6);
    p.drawRoundedRect(QRectF(-0.8, -1.6, 5.4, 3.2), 1.6, 1.6);
    p.restore();
}

void Tick(QPainter& p, QPointF at, qreal s, const QColor& color)
{
    p.setPen(Pen(color, 1.6));
    p.drawPolyline(QPolygonF { at + QPointF(-s, 0), at + QPointF(-s * 0.3, s * 0.7), at + QPointF(s, -s * 0.8) });
}

// Go-to pictures: the target (a tag of the base, or the suspicious mark) above an arrow.
void GoTo(QPainter& p, int dir, const QColor& color, bool tag)
{
    if (tag) {
        Tag(p, QRectF(3.5, 1.5, 9, 6), color);
    } else {
        p.setPen(Pen(color.darker(130), 0.8));
        p.setBrush(color);
        p.drawEllipse(QPointF(8, 4.5), 3.6, 3.6);
        p.setPen(Pen(Qt::white, 1.5));
        p.drawLine(QPointF(8, 2.7), QPointF(8, 4.9));
        p.drawPoint(QPointF(8, 6.6));
    }
    Arrow(p, QPointF(dir > 0 ? 15 : 1, 12), 13, 3.0, dir, false, color);
}

void Paint(QPainter& p, IconId id)
{
    switch (id) {
    case IconId::None:
        break;
    case IconId::Open: {
        QPainterPath back;
        back.moveTo(1, 3);
        back.lineTo(6, 3);
        back.lineTo(7.5, 4.5);
        back.lineTo(13.5, 4.5);
        back.lineTo(13.5, 13.5);
        back.lineTo(1, 13.5);
        back.closeSubpath();
        p.setPen(Pen(kFolder.darker(160)));
        p.setBrush(kFolder.darker(115));
        p.drawPath(back);
        QPolygonF front { QPointF(1, 13.5), QPointF(3.5, 7), QPointF(15.5, 7), QPointF(13.5, 13.5) };
        p.setBrush(kFolder);
        p.drawPolygon(front);
        break;
    }
    case IconId::Reanalyse: {
        Page(p, QRectF(1.5, 0.5, 10, 13));
        TextLines(p, 3.5, 8.5, 5, 3);
        p.setBrush(Qt::NoBrush);
        p.setPen(Pen(Qt::white, 3.6));
        p.drawArc(QRectF(7, 7, 7.5, 7.5), 100 * 16, 260 * 16);
        p.setPen(Pen(kInner, 1.8));
        p.drawArc(QRectF(7, 7, 7.5, 7.5), 100 * 16, 260 * 16);
        p.setPen(Pen(kInner.darker(130), 0.6));
        p.setBrush(kInner);
        p.drawPolygon(QPolygonF { QPointF(10.0, 5.2), QPointF(13.0, 7.0), QPointF(10.0, 9.3) });
        break;
    }
    case IconId::Save: {
        p.setPen(Pen(kOrvo.darker(160)));
        p.setBrush(kOrvo);
        p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
        p.setBrush(kPaper);
        p.setPen(Pen(kOrvo.darker(160), 0.8));
        p.drawRect(QRectF(4, 1.5, 8, 5.5));
        TextLines(p, 5, 11, 3.3, 2);
        p.setPen(Pen(kOrvo.darker(160), 0.8));
        p.setBrush(QColor(0xd8, 0xd8, 0xd8));
        p.drawRect(QRectF(4.5, 9.5, 7, 5));
        p.setBrush(kOrvo.darker(140));
        p.drawRect(QRectF(9, 10.5, 1.5, 3));
        break;
    }
    case IconId::DeleteFile:
        Page(p, QRectF(1.5, 0.5, 10, 13));
        TextLines(p, 3.5, 8.5, 5, 3);
        Cross(p, QPointF(11.5, 11.5), 3.2);
        break;
    case IconId::CutTag: {
        Tag(p, QRectF(4, 0.8, 11, 5.2), kOrvo);
        p.setPen(Pen(kOutline, 1.3));
        p.drawLine(QPointF(4, 5), QPointF(10.5, 12));
        p.drawLine(QPointF(12, 5), QPointF(5.5, 12));
        p.setBrush(Qt::NoBrush);
        p.setPen(Pen(kRemove, 1.4));
        p.drawEllipse(QPointF(4, 13.2), 2.2, 2.2);
        p.drawEllipse(QPointF(12, 13.2), 2.2, 2.2);
        break;
    }
    case IconId::CopyTag:
        Page(p, QRectF(1.5, 0.5, 8.5, 10.5));
        Page(p, QRectF(6, 4.5, 8.5, 11));
        Tag(p, QRectF(6.8, 9, 7, 3.6), kOrvo);
        break;
    case IconId::PasteTag: {
        p.setPen(Pen(QColor(0x7a, 0x52, 0x2a)));
        p.setBrush(QColor(0xb8, 0x85, 0x4c));
        p.drawRoundedRect(QRectF(1.5, 2, 11, 13), 1.2, 1.2);
        p.setBrush(QColor(0xc8, 0xc8, 0xc8));
        p.setPen(Pen(kOutline, 0.8));
        p.drawRoundedRect(QRectF(4.5, 0.8, 5, 3), 1, 1);
        Page(p, QRectF(6.5, 5.5, 8.5, 10));
        Tag(p, QRectF(7.3, 9.5, 7, 3.6), kOrvo);
        break;
    }
    case IconId::DeleteTag:
        Tag(p, QRectF(1, 2.5, 13, 7.5), kOrvo);
        Cross(p, QPointF(11.5, 11.8), 3.0);
        break;
    case IconId::Undo:
    case IconId::Redo: {
        // Redo: the undo arrow, mirrored.
        if (id == IconId::Redo) {
            p.translate(16, 0);
            p.scale(-1, 1);
        }
        QPainterPath path;
        path.moveTo(4, 6);
        path.cubicTo(8, 2.5, 15, 4, 13.5, 10.5);
        path.lineTo(13.2, 11.5);
        p.setBrush(Qt::NoBrush);
        p.setPen(Pen(kOrvo, 2.2));
        p.drawPath(path);
        p.setPen(Pen(kOrvo.darker(140), 0.6));
        p.setBrush(kOrvo);
        p.drawPolygon(QPolygonF { QPointF(1, 6.8), QPointF(6.8, 2.3), QPointF(7.3, 9.6) });
        break;
    }
    case IconId::Review:
        Tag(p, QRectF(1, 1.5, 13, 7.5), kOrvo);
        Tick(p, QPointF(10.5, 12.5), 3.2, kInner.darker(120));
        break;
    case IconId::PlaceOrvoTag:
        Tag(p, QRectF(1, 2.5, 13, 7.5), kOrvo);
        Plus(p, QPointF(11.8, 11.8), 3.2, kOrvo.darker(120));
        break;
    case IconId::PlaceInnerTag:
        Tag(p, QRectF(1, 2.5, 13, 7.5), kInner);
        Plus(p, QPointF(11.8, 11.8), 3.2, kInner.darker(120));
        break;
    case IconId::ChooseRequisites: {
        for (int i = 0; i < 3; ++i) {
            const qreal y = 2.5 + i * 4.5;
            p.setPen(Pen(kOutline, 0.9));
            p.setBrush(kPaper);
            p.drawRect(QRectF(1, y - 1.5, 3.6, 3.6));
            if (i != 1)
                Tick(p, QPointF(2.8, y + 0.4), 1.6, kInner);
            p.setPen(Pen(kTextLine, 1.4));
            p.drawLine(QPointF(6.5, y + 0.3), QPointF(i == 1 ? 11 : 14.5, y + 0.3));
        }
        break;
    }
    case IconId::FoundRequisites:
        p.setPen(Pen(kOutline));
        p.setBrush(QColor(0xff, 0xf4, 0xc8));
        p.drawRect(QRectF(0.5, 2.5, 13, 10));
        TextLines(p, 2.5, 11.5, 5, 3, 2.3);
        p.setPen(Pen(kSuspicious, 1.6));
        p.drawLine(QPointF(2.5, 5), QPointF(6, 5));
        Magnifier(p, QPointF(11, 10), 3.0, QColor(0xd6, 0xe8, 0xff));
        break;
    case IconId::LinkedDocument:
        Page(p, QRectF(1.5, 0.5, 10, 13));
        TextLines(p, 3.5, 8.5, 5, 3);
        Link(p, QPointF(11, 11.5), kOrvo);
        break;
    case IconId::ShownPictures: {
        p.setPen(Pen(kOutline));
        p.setBrush(QColor(0xdd, 0xee, 0xff));
        p.drawRect(QRectF(0.5, 2.5, 15, 11));
        p.setPen(Qt::NoPen);
        p.setBrush(kInner);
        p.drawPolygon(QPolygonF { QPointF(1, 13), QPointF(6, 7), QPointF(9, 10), QPointF(11, 8), QPointF(15, 13) });
        p.setBrush(kSuspicious);
        p.drawEllipse(QPointF(11.5, 5.5), 1.6, 1.6);
        break;
    }
    case IconId::OrvoSearch:
        Page(p, QRectF(0.5, 0.5, 9.5, 12));
        TextLines(p, 2.5, 7, 4.5, 3);
        Magnifier(p, QPointF(9.5, 8.5), 3.6, QColor(0xd6, 0xe8, 0xff));
        break;
    case IconId::PrevSuspicious:
        GoTo(p, -1, kSuspicious, false);
        break;
    case IconId::NextSuspicious:
        GoTo(p, +1, kSuspicious, false);
        break;
    case IconId::PrevInnerLink:
        GoTo(p, -1, kInner, true);
        break;
    case IconId::NextInnerLink:
        GoTo(p, +1, kInner, true);
        break;
    case IconId::PrevOrvoLink:
        GoTo(p, -1, kOrvo, true);
        break;
    case IconId::NextOrvoLink:
        GoTo(p, +1, kOrvo, true);
        break;
    case IconId::MoveUp:
    case IconId::MoveDown: {
        const bool up = id == IconId::MoveUp;
        TextLines(p, 1, 9, 2.5, 6, 2.2);
        p.setPen(Pen(kOrvo, 1.8));
        const qreal y = up ? 9.1 : 6.9;
        p.drawLine(QPointF(1, y), QPointF(9, y));
        Arrow(p, QPointF(12.8, up ? 1 : 15), 13, 2.8, up ? -1 : 1, true, kOrvo);
        break;
    }
    case IconId::ToggleBookmark:
        Ribbon(p, QRectF(4, 1, 8, 14), kBookmark);
        break;
    case IconId::NextBookmark:
        Ribbon(p, QRectF(1, 1, 7, 13), kBookmark);
        Arrow(p, QPointF(15.5, 9), 8, 2.6, +1, false, kInner);
        break;
    case IconId::PrevBookmark:
        Ribbon(p, QRectF(8, 1, 7, 13), kBookmark);
        Arrow(p, QPointF(0.5, 9), 8, 2.6, -1, false, kInner);
        break;
    case IconId::ClearBookmarks:
        Ribbon(p, QRectF(2, 1, 8, 14), kBookmark);
        Cross(p, QPointF(11.5, 11.5), 3.0);
        break;
    case IconId::Program: {
        Page(p, QRectF(1.5, 0.5, 11, 14.5));
        TextLines(p, 3.5, 9.5, 5.5, 4, 2.3);
        Tag(p, QRectF(6, 8.5, 9.5, 5.5), kOrvo);
        break;
    }
    }
}

} // namespace

QPixmap DrawIcon(IconId id, int size, qreal devicePixelRatio)
{
    QPixmap pixmap(QSize(size, size) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    Paint(p, id);
    return pixmap;
}

QIcon MakeIcon(IconId id)
{
    QIcon icon;
    if (id == IconId::None)
        return icon;
    for (int size : { 16, 20, 24, 32, 48, 64 })
        icon.addPixmap(DrawIcon(id, size));
    return icon;
}

QPixmap MakeSplashPixmap(qreal devicePixelRatio)
{
    const QSize size(520, 300);
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient sky(0, 0, size.width(), size.height());
    sky.setColorAt(0, QColor(0x12, 0x2f, 0x5c));
    sky.setColorAt(1, QColor(0x1d, 0x6a, 0x8a));
    p.fillRect(QRect(QPoint(0, 0), size), sky);

    // A page of a legal text with its tag lines, on the right.
    p.save();
    p.translate(350, 40);
    p.rotate(6);
    p.setPen(QPen(QColor(0, 0, 0, 60), 1));
    p.setBrush(QColor(0, 0, 0, 50));
    p.drawRect(QRectF(6, 6, 130, 180));
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(0x90, 0x90, 0x90), 1));
    p.drawRect(QRectF(0, 0, 130, 180));
    for (int i = 0; i < 14; ++i) {
        const qreal y = 16 + i * 11;
        if (i == 3 || i == 9) {
            p.setPen(Qt::NoPen);
            p.setBrush(i == 3 ? kOrvo : kInner);
            p.drawRoundedRect(QRectF(10, y - 3, 110, 6), 2, 2);
        } else {
            p.setPen(QPen(QColor(0xb0, 0xb0, 0xb0), 2));
            p.drawLine(QPointF(10, y), QPointF(i % 4 == 2 ? 80 : 120, y));
        }
    }
    p.restore();

    p.setPen(Qt::white);
    QFont title("Liberation Sans");
    title.setPixelSize(50);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(36, 70, 320, 64), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Telvarion"));

    QFont line("Liberation Sans");
    line.setPixelSize(17);
    p.setFont(line);
    p.setPen(QColor(0xdd, 0xea, 0xf6));
    p.drawText(QRect(38, 140, 300, 60), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
        QStringLiteral("Расстановка гиперссылок\nв текстах правовых документов"));

    QFont small("Liberation Sans");
    small.setPixelSize(13);
    p.setFont(small);
    p.setPen(QColor(0xa8, 0xc4, 0xdc));
    p.drawText(QRect(38, 250, 300, 24), Qt::AlignLeft | Qt::AlignVCenter,
        QStringLiteral("Версия %1").arg(QStringLiteral(TELVARION_VERSION)));
    p.end();
    return pixmap;
}
