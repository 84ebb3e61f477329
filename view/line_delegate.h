#pragma once

// Draws one row of the line view: the picture, then the line in the view font with its control
// codes made visible. Markers and tag leads get glyphs of their own in a colour of their own,
// frame codes are drawn as the table frame they stand for, anchored words look like links.
// Every byte takes exactly one character cell, so fixed-pitch columns stay in place.

#include <string_view>

#include <QColor>
#include <QStyledItemDelegate>

class QFont;
class QPainter;
class QPalette;

class CLineDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int kPictureLeft = 2;
    static constexpr int kPictureSize = 16;
    // The text starts 3 pixels after the picture; the place of the picture is kept on every row.
    static constexpr int kTextLeft = kPictureLeft + kPictureSize + 3;

    struct Colours {
        QColor text;
        QColor marker; // anchor markers, tag leads, other control codes
        QColor link;   // anchored words
        QColor frame;
    };
    static Colours RowColours(const QPalette& palette, bool selected, bool active);
    static Colours TipColours(const QPalette& palette);

    // The line's bytes (code page 1251) drawn from the left edge of rect, vertically centred.
    static void DrawLine(QPainter& painter, const QRect& rect, const QFont& font, std::string_view line,
        const Colours& colours);
    // How wide DrawLine draws the line.
    static qreal LineWidth(const QFont& font, std::string_view line);
    static int RowHeight(const QFont& font);

    explicit CLineDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // Every row reports the width of the longest one: the view lays out rows of one size, and the
    // horizontal scroll range must still cover the widest line.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
