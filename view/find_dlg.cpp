#include "view/find_dlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

CFindDlg::CFindDlg(const QString& text, bool wholeWord, bool down, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("findDialog"));
    setWindowTitle(QStringLiteral("Найти"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    auto* label = new QLabel(QStringLiteral("&Что:"), this);
    m_text = new QLineEdit(text, this);
    label->setBuddy(m_text);
    m_wholeWord = new QCheckBox(QStringLiteral("Только слово &целиком"), this);
    m_wholeWord->setChecked(wholeWord);

    auto* direction = new QGroupBox(QStringLiteral("Направление"), this);
    m_up = new QRadioButton(QStringLiteral("&Вверх"), direction);
    m_down = new QRadioButton(QStringLiteral("В&низ"), direction);
    (down ? m_down : m_up)->setChecked(true);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(m_up);
    directionLayout->addWidget(m_down);

    m_findNext = new QPushButton(QStringLiteral("&Найти далее"), this);
    m_findNext->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_text, 0, 1, 1, 2);
    grid->addWidget(m_wholeWord, 1, 0, 1, 2, Qt::AlignBottom);
    grid->addWidget(direction, 1, 2);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_findNext);
    buttons->addWidget(cancel);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 3, 2, 1);

    // Nothing to look for in an empty field.
    m_findNext->setEnabled(!text.isEmpty());
    connect(m_text, &QLineEdit::textChanged, this, [this](const QString& typed) { m_findNext->setEnabled(!typed.isEmpty()); });
    connect(m_findNext, &QPushButton::clicked, this, &CFindDlg::FindNextRequested);
    connect(cancel, &QPushButton::clicked, this, &QDialog::close);
}

QString CFindDlg::Text() const { return m_text->text(); }
bool CFindDlg::WholeWord() const { return m_wholeWord->isChecked(); }
bool CFindDlg::Down() const { return m_down->isChecked(); }
