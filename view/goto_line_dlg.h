#pragma once

// "Перейти на строку": a line number between 1 and the number of lines.

#include <QDialog>
#include <QSpinBox>

class QLabel;

// The arrows stop at the range; typing may go beyond it, and the caller decides what such a
// number means.
class CLineNumberSpin : public QSpinBox {
    Q_OBJECT
public:
    explicit CLineNumberSpin(int lineCount, QWidget* parent = nullptr);
    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;

private:
    int m_lineCount;
};

class CGotoLineDlg : public QDialog {
    Q_OBJECT
public:
    CGotoLineDlg(int lineCount, QWidget* parent);

    // The number as entered, 1-based; it may lie outside 1..lineCount.
    int Number() const;
    CLineNumberSpin* NumberSpin() const { return m_spin; }
    QLabel* Prompt() const { return m_prompt; }

private:
    QLabel* m_prompt;
    CLineNumberSpin* m_spin;
};
