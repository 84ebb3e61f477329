#include "view/pictures.h"

#include <cmath>

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

ShownPicturesFlags DefaultShownPictures()
{
    ShownPicturesFlags flags;
    flags.fill(1);
    flags[9] = 0;
    return flags;
}

bool IsShownLine(const CLineRecord& record, const ShownPicturesFlags& shown)
{
    switch (record.nKind) {
    case OrvoLinkExisting:
        return shown[0] != 0;
    case OrvoLinkNew:
        return shown[1] != 0;
    case InnerLinkExisting:
        return shown[2] != 0;
    case InnerLinkNew:
        return shown[3] != 0;
    case Suspicious: {
        const int k = record.recvFound.DeterminedKinds();
        const bool orvo = record.bSuspectOrvo != 0 && shown[4 + k] != 0;
        const bool local = record.bSuspectLocal != 0 && shown[9 + k] != 0;
        return orvo || local;
    }
    default:
        return false;
    }
}

int PictureIndex(const CLineRecord& record, const ShownPicturesFlags& shown)
{
    if (record.bBookmark)
        return PictureBookmark;
    if (!IsShownLine(record, shown))
        return PictureNone;
    switch (record.nKind) {
    case Suspicious:
        // The picture tells where requisites were found, even when only one base's group is shown.
        if (record.bSuspectOrvo && record.bSuspectLocal)
            return PictureSuspectBoth;
        return record.bSuspectOrvo ? PictureSuspectOrvo : PictureSuspectLocal;
    case OrvoLinkExisting:
        return PictureOrvoLinkExisting;
    case OrvoLinkNew:
        return PictureOrvoLinkNew;
    case InnerLinkNew:
        return PictureInnerLinkNew;
    case InnerLinkExisting:
        return PictureInnerLinkExisting;
    default:
        return PictureNone;
    }
}

namespace {

// One colour per base throughout: blue for Orvo, green for the local base.
const QColor kOrvo(0x1f, 0x5f, 0xc8);
const QColor kLocal(0x23, 0x9b, 0x3c);
const QColor kNewStar(0xf5, 0xb8, 0x00);
const QColor kBookmark(0xd2, 0x2b, 0x2b);

// A question mark on a disc: "this line may cite a document". Both bases split the disc.
void DrawSuspect(QPainter& p, bool orvo, bool local)
{
    const QRectF disc(1, 1, 14, 14);
    p.setPen(Qt::NoPen);
    if (orvo && local) {
        // Half and half: the base colours side by side.
        p.setBrush(kOrvo);
        p.drawPie(disc, 90 * 16, 180 * 16);
        p.setBrush(kLocal);
        p.drawPie(disc, 270 * 16, 180 * 16);
    } else {
        p.setBrush(orvo ? kOrvo : kLocal);
        p.drawEllipse(disc);
    }
    // Drawn, not typed, so it looks the same whatever fonts are installed.
    QPainterPath mark;
    mark.moveTo(5.6, 6.2);
    mark.cubicTo(5.6, 3.2, 10.6, 3.2, 10.6, 6.0);
    mark.cubicTo(10.6, 7.8, 8.0, 8.0, 8.0, 10.0);
    QPen pen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(mark);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8.0, 12.6), 1.25, 1.25);
}

// Two chain links across the square: a hyperlink, coloured by the base it points into.
void DrawChain(QPainter& p, const QColor& colour)
{
    p.save();
    p.translate(8, 8);
    p.rotate(-45);
    QPen pen(colour.darker(115), 2.0);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(-7.2, -2.6, 8.4, 5.2), 2.6, 2.6);
    p.drawRoundedRect(QRectF(-1.2, -2.6, 8.4, 5.2), 2.6, 2.6);
    p.restore();
}

// A star in the top right corner: placed since the document was opened.
void DrawNewBadge(QPainter& p)
{
    const QPointF centre(11.8, 4.2);
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const double r = (i % 2 == 0) ? 4.2 : 1.9;
        const double a = (-90.0 + 36.0 * i) * 3.14159265358979 / 180.0;
        star << QPointF(centre.x() + r * std::cos(a), centre.y() + r * std::sin(a));
    }
    p.setPen(QPen(QColor(0x8a, 0x5a, 0x00), 0.8));
    p.setBrush(kNewStar);
    p.drawPolygon(star);
}

void DrawBookmark(QPainter& p)
{
    QPolygonF ribbon;
    ribbon << QPointF(3.5, 1) << QPointF(12.5, 1) << QPointF(12.5, 15) << QPointF(8, 10.8) << QPointF(3.5, 15);
    p.setPen(QPen(kBookmark.darker(140), 1.0));
    p.setBrush(kBookmark);
    p.drawPolygon(ribbon);
}

} // namespace

QPixmap DrawLinePicture(int index, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // Every picture is drawn on a 16 x 16 grid and scaled, so both sizes match.
    p.scale(size / 16.0, size / 16.0);
    switch (index) {
    case PictureSuspectOrvo:
        DrawSuspect(p, true, false);
        break;
    case PictureSuspectLocal:
        DrawSuspect(p, false, true);
        break;
    case PictureSuspectBoth:
        DrawSuspect(p, true, true);
        break;
    case PictureOrvoLinkExisting:
        DrawChain(p, kOrvo);
        break;
    case PictureOrvoLinkNew:
        DrawChain(p, kOrvo);
        DrawNewBadge(p);
        break;
    case PictureInnerLinkNew:
        DrawChain(p, kLocal);
        DrawNewBadge(p);
        break;
    case PictureInnerLinkExisting:
        DrawChain(p, kLocal);
        break;
    case PictureBookmark:
        DrawBookmark(p);
        break;
    default:
        break;
    }
    return pixmap;
}

const QIcon& LinePictureIcon(int index)
{
    static const std::array<QIcon, kPictureCount> icons = [] {
        std::array<QIcon, kPictureCount> all;
        for (int i = 0; i < kPictureCount; ++i) {
            all[i].addPixmap(DrawLinePicture(i, 16));
            all[i].addPixmap(DrawLinePicture(i, 32));
        }
        return all;
    }();
    static const QIcon none;
    if (index < 0 || index >= kPictureCount)
        return none;
    return icons[index];
}
