#include "view/in_place_edit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>

#include "core/anchor_marks.h"
#include "view/line_text.h"
#include "view/view_message.h"

CInPlaceEdit::CInPlaceEdit(int row, std::string text, QWidget* parent)
    : QLineEdit(parent)
    , m_row(row)
    , m_text(std::move(text))
{
    setObjectName(QStringLiteral("inPlaceEdit"));
    setFrame(false);
    // Nothing may reach the line except the markers put by the keys below.
    setAcceptDrops(false);
    setDragEnabled(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    ShowText(0, 0);
}

void CInPlaceEdit::Selection(int& start, int& end) const
{
    if (hasSelectedText()) {
        start = selectionStart();
        end = selectionEnd();
    } else {
        start = end = cursorPosition();
    }
}

void CInPlaceEdit::ShowText(int selectionStart, int selectionEnd)
{
    setText(LineDisplayText(m_text));
    if (selectionEnd > selectionStart)
        setSelection(selectionStart, selectionEnd - selectionStart);
    else
        setCursorPosition(selectionEnd);
}

bool CInPlaceEdit::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        // Every key belongs to the editor while it is open: Insert, Delete and Ctrl+C are the
        // window's tag commands otherwise.
        event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        // Tab would move the focus on by itself; here it ends the edit like Enter.
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
            GiveBackFocus();
            return true;
        }
    }
    return QLineEdit::event(event);
}

void CInPlaceEdit::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    event->accept();
    if (modifiers == Qt::ControlModifier && key >= Qt::Key_1 && key <= Qt::Key_3) {
        PutMarker(static_cast<char>(key - Qt::Key_1 + 1));
        return;
    }
    if (modifiers == Qt::ControlModifier && key == Qt::Key_C) {
        copy();
        return;
    }
    if ((modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier) && (key == Qt::Key_Left || key == Qt::Key_Right)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (modifiers != Qt::NoModifier)
        return;
    switch (key) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        EraseMarkers();
        break;
    case Qt::Key_Insert:
        MarkAnchor();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Up:
    case Qt::Key_Down:
        GiveBackFocus();
        break;
    case Qt::Key_Escape:
        m_cancelled = true;
        GiveBackFocus();
        break;
    default:
        // Letters, digits and every other key change nothing.
        break;
    }
}

void CInPlaceEdit::inputMethodEvent(QInputMethodEvent* event) { event->ignore(); }

void CInPlaceEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // The question of the Insert key takes the focus for a while; the edit goes on meanwhile.
    if (!m_busy)
        End();
}

void CInPlaceEdit::EraseMarkers()
{
    int start = 0;
    int end = 0;
    Selection(start, end);
    setUpdatesEnabled(false);
    ClearMarkers(m_text, static_cast<std::size_t>(start), static_cast<std::size_t>(end));
    ShowText(end, end);
    setUpdatesEnabled(true);
}

void CInPlaceEdit::PutMarker(char marker)
{
    int start = 0;
    int end = 0;
    Selection(start, end);
    if (!::PutMarker(m_text, static_cast<std::size_t>(start), static_cast<std::size_t>(end), marker)) {
        QApplication::beep();
        return;
    }
    ShowText(start, end);
}

void CInPlaceEdit::MarkAnchor()
{
    m_busy = true;
    setUpdatesEnabled(false);
    int start = 0;
    int end = 0;
    Selection(start, end);
    const std::size_t from = static_cast<std::size_t>(start);
    const std::size_t to = std::min(static_cast<std::size_t>(end), m_text.size());
    const bool severalWords = m_text.substr(std::min(from, to), to - std::min(from, to)).find(' ') != std::string::npos;
    MarkSelectionAsAnchor(m_text, from, to);
    ShowText(start, end);
    setUpdatesEnabled(true);
    if (severalWords
        && ViewAskYesNo(this,
            QStringLiteral("В выделенной части строки обнаружено несколько слов.\nПоставить различные ссылки?"))) {
        SeparateWords(m_text, from, to);
        ShowText(start, end);
    }
    m_busy = false;
    End();
}

void CInPlaceEdit::GiveBackFocus()
{
    // The list takes the focus back when it hears that the edit has ended.
    End();
}

void CInPlaceEdit::End()
{
    if (m_ended)
        return;
    m_ended = true;
    emit EditEnded();
}
