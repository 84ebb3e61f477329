#pragma once

// "Параметры тега внутрибазовой гиперссылки": the analysis has chosen a local document and asks
// for the link kind, the line and the keys of its tag. Answers: 6 Да, 7 Нет, 2 Отмена (also the
// Escape key and the close box).

#include <cstdint>
#include <string>

#include <QDialog>

#include "shell/inner_tag_dlg.h"

class QPlainTextEdit;

class CInsertInnerTagDlg : public QDialog {
    Q_OBJECT
public:
    // text: the linked document's requisites as shown to the person.
    CInsertInnerTagDlg(const QString& text, std::int32_t number, QWidget* parent = nullptr);

    int Answer() const { return m_answer; }
    // The composed tag line (code page 1251), set when the answer is 6.
    const std::string& Tag() const { return m_tag; }

    // At the right edge of the screen, its bottom at half the screen's height: the window's text
    // around the processed line stays in sight.
    void PlaceAtRightEdge();

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Finish(int answer);

    QPlainTextEdit* m_text;
    CInnerTagFields m_fields;
    std::int32_t m_number;
    int m_answer = 2;
    std::string m_tag;
    bool m_placed = false;
};
