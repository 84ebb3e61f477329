#pragma once

// The in-place anchor editor: opens over one row of the line view with the row's text and lets
// the person place or remove anchor markers, nothing else. The words cannot be typed over or
// deleted, and the line keeps its length: a marker always takes the place of a blank or gives
// it back. The edit ends when the editor loses the focus; Esc ends it without a change.

#include <string>

#include <QLineEdit>

class CInPlaceEdit : public QLineEdit {
    Q_OBJECT
public:
    CInPlaceEdit(int row, std::string text, QWidget* parent);

    int Row() const { return m_row; }
    // The line as edited, code page 1251.
    const std::string& LineText() const { return m_text; }
    bool IsCancelled() const { return m_cancelled; }

signals:
    // Sent once, when the edit has ended (by any key or by the focus leaving).
    void EditEnded();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    // The selection as [start, end) in characters of the line.
    void Selection(int& start, int& end) const;
    void ShowText(int selectionStart, int selectionEnd);
    void EraseMarkers();
    void PutMarker(char marker);
    void MarkAnchor();
    // Hands the focus back to the list, which ends the edit.
    void GiveBackFocus();
    void End();

    int m_row;
    std::string m_text;
    bool m_cancelled = false;
    bool m_busy = false;
    bool m_ended = false;
};
