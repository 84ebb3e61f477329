#pragma once

// A list view that shows the whole text of a row in a tip when the row is wider than the part of
// it the view shows. Knows nothing of documents; the line view and the dialogs' lists use it.

#include <QListView>
#include <QPersistentModelIndex>
#include <QPointer>

class CTitleTip;

class CTipListView : public QListView {
    Q_OBJECT
public:
    explicit CTipListView(QWidget* parent = nullptr);
    ~CTipListView() override;

    // The row whose tip is shown, or an invalid index.
    QModelIndex TipIndex() const;
    void HideTip();

protected:
    // Where a row's text begins inside its cell, and how wide the text is in the list's font.
    // The defaults suit the standard delegate: the picture, 3 pixels, the display text.
    virtual int TextOffset(const QModelIndex& index) const;
    virtual int TextWidth(const QModelIndex& index) const;
    // Draws the row's text into the tip; rect is the tip's whole area.
    virtual void PaintTip(QPainter& painter, const QRect& rect, const QModelIndex& index) const;

    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    friend class CTitleTip;
    void UpdateTip(const QPoint& viewportPos);

    QPointer<CTitleTip> m_tip;
    QPersistentModelIndex m_tipIndex;
};
