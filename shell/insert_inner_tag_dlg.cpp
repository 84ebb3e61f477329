#include "shell/insert_inner_tag_dlg.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

CInsertInnerTagDlg::CInsertInnerTagDlg(const QString& text, std::int32_t number, QWidget* parent)
    : QDialog(parent)
    , m_text(new QPlainTextEdit(this))
    , m_fields(this, QStringLiteral("Cтрока"), Qt::Horizontal)
    , m_number(number)
{
    setWindowTitle(QStringLiteral("Параметры тега внутрибазовой гиперссылки"));

    m_text->setObjectName(QStringLiteral("text"));
    m_text->setReadOnly(true);
    m_text->setFocusPolicy(Qt::ClickFocus);
    m_text->setPlainText(text);
    const QFontMetrics metrics = m_text->fontMetrics();
    m_text->setMinimumSize(metrics.averageCharWidth() * 60, metrics.lineSpacing() * 8);

    auto* yes = new QPushButton(QStringLiteral("Да"), this);
    yes->setObjectName(QStringLiteral("yes"));
    yes->setDefault(true);
    auto* no = new QPushButton(QStringLiteral("Нет"), this);
    no->setObjectName(QStringLiteral("no"));
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(yes, &QPushButton::clicked, this, [this] { Finish(6); });
    connect(no, &QPushButton::clicked, this, [this] { Finish(7); });
    connect(cancel, &QPushButton::clicked, this, &CInsertInnerTagDlg::reject);

    auto* fieldsRow = new QHBoxLayout;
    fieldsRow->addWidget(m_fields.kindLabel);
    fieldsRow->addWidget(m_fields.kind);
    fieldsRow->addSpacing(metrics.averageCharWidth() * 2);
    fieldsRow->addWidget(m_fields.lineLabel);
    fieldsRow->addWidget(m_fields.line);
    fieldsRow->addSpacing(metrics.averageCharWidth() * 2);
    fieldsRow->addWidget(m_fields.keys);
    fieldsRow->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(yes);
    buttons->addWidget(no);
    buttons->addWidget(cancel);

    auto* root = new QVBoxLayout(this);
    root->addWidget(m_text, 1);
    root->addLayout(fieldsRow);
    root->addLayout(buttons);

    // A whole requisites text with a long name, without scrolling.
    resize(sizeHint().expandedTo(QSize(metrics.averageCharWidth() * 72, metrics.lineSpacing() * 15)));

    setTabOrder(m_fields.kind, m_fields.line);
    setTabOrder(m_fields.line, m_fields.keyO);
    setTabOrder(m_fields.keyO, m_fields.keyP);
    setTabOrder(m_fields.keyP, yes);
    setTabOrder(yes, no);
    setTabOrder(no, cancel);
    m_fields.kind->setFocus();
}

void CInsertInnerTagDlg::Finish(int answer)
{
    m_answer = answer;
    if (answer == 6)
        m_tag = m_fields.Compose(m_number);
    QDialog::accept();
}

void CInsertInnerTagDlg::reject()
{
    m_answer = 2;
    QDialog::reject();
}

void CInsertInnerTagDlg::PlaceAtRightEdge()
{
    QScreen* where = parentWidget() ? parentWidget()->screen() : screen();
    if (!where)
        return;
    const QRect area = where->availableGeometry();
    const QRect frame = frameGeometry();
    const int left = area.x() + area.width() - 2 - frame.width();
    const int top = std::max(area.y(), area.y() + area.height() / 2 - frame.height());
    move(std::max(area.x(), left), top);
}

void CInsertInnerTagDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_placed) {
        m_placed = true;
        PlaceAtRightEdge();
        // Window managers report the frame only after the first show; place it again with it.
        QTimer::singleShot(0, this, &CInsertInnerTagDlg::PlaceAtRightEdge);
    }
}
