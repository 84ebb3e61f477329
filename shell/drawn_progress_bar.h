#pragma once

// The progress bar of the import's progress dialog, drawn by the program itself: the filled part
// in the highlight colour, the rest in the window colour, and the percentage (or a text of its
// own) centred on it, in the window colour over the filled part and in the highlight colour over
// the rest, so that it reads on both.

#include <QString>
#include <QWidget>

class CDrawnProgressBar : public QWidget {
    Q_OBJECT
public:
    explicit CDrawnProgressBar(QWidget* parent = nullptr);

    void SetRange(int lower, int upper);
    // Repaints only when the filled width changes.
    void SetPos(int pos);
    int Pos() const { return m_pos; }
    // A text shown instead of the percentage; empty shows the percentage.
    void SetText(const QString& text);
    // The percentage or the text, as drawn.
    QString ShownText() const;
    // The width of the filled part at the current size.
    int FilledWidth() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The position's share of the range, as a part of whole, truncated.
    int ShareOf(int whole) const;

    int m_lower = 0;
    int m_upper = 100;
    int m_pos = 0;
    int m_drawnWidth = -1;
    QString m_text;
};
