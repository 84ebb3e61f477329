#include "view/insert_tag_dlg.h"

#include <algorithm>

#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>

#include "seam/user_interface.h"

CInsertTagDlg::CInsertTagDlg(const QString& text, bool local, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("insertTagDialog"));
    setWindowTitle(local ? QStringLiteral("Вставка тега внутрибазовой гиперссылки")
                         : QStringLiteral("Вставка тега межбазовой гиперссылки"));
    setModal(false);
    setSizeGripEnabled(true);

    m_text = new QPlainTextEdit(text, this);
    m_text->setReadOnly(true);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_yes = new QPushButton(QStringLiteral("&Да"), this);
    m_no = new QPushButton(QStringLiteral("&Нет"), this);
    m_cancel = new QPushButton(QStringLiteral("Отмена"), this);
    m_yes->setDefault(true);
    setTabOrder(m_yes, m_no);
    setTabOrder(m_no, m_cancel);
    setTabOrder(m_cancel, m_text);

    connect(m_yes, &QPushButton::clicked, this, [this] { SetAnswer(AnswerYes); });
    connect(m_no, &QPushButton::clicked, this, [this] { SetAnswer(AnswerNo); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { SetAnswer(AnswerCancel); });

    const int buttonWidth = std::max({ m_yes->sizeHint().width(), m_no->sizeHint().width(), m_cancel->sizeHint().width(), 80 });
    for (QPushButton* button : { m_yes, m_no, m_cancel })
        button->resize(buttonWidth, m_yes->sizeHint().height());
    // Да | Нет | Отмена, as in every dialog of the program, centred.
    setMinimumSize(3 * buttonWidth + 60, 140);
    resize(std::max(380, minimumWidth()), 300);
    m_yes->setFocus();
}

void CInsertTagDlg::reject() { SetAnswer(AnswerCancel); }

void CInsertTagDlg::SetAnswer(int answer)
{
    hide();
    m_answer = answer;
    m_answered = true;
    emit Answered(answer);
}

void CInsertTagDlg::PlaceOnScreen()
{
    const QScreen* where = parentWidget() ? parentWidget()->screen() : screen();
    if (!where)
        return;
    const QRect area = where->geometry();
    const QRect frame = frameGeometry();
    move(area.right() - 2 - frame.width() + 1, area.top() + area.height() / 2 - frame.height());
}

void CInsertTagDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_placed) {
        m_placed = true;
        PlaceOnScreen();
    }
}

void CInsertTagDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    const int w = event->size().width();
    const int h = event->size().height();
    m_text->setGeometry(10, 10, w - 20, h - 50);
    const int top = h - 30;
    // Да | Нет | Отмена, the row centred, in the order of every other question of the program.
    const int row = m_yes->width() + m_no->width() + m_cancel->width() + 20;
    m_yes->move((w - row) / 2, top);
    m_no->move(m_yes->x() + m_yes->width() + 10, top);
    m_cancel->move(m_no->x() + m_no->width() + 10, top);
}
