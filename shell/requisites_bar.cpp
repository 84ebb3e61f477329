#include "shell/requisites_bar.h"

#include <algorithm>

#include <QApplication>
#include <QPlainTextEdit>

CRequisitesBar::CRequisitesBar(QWidget* parent)
    : QDockWidget(QStringLiteral("Реквизиты"), parent)
    , m_text(new QPlainTextEdit(this))
{
    // The name is the key of the bar in the saved layout.
    setObjectName(QStringLiteral("RequisitesBar"));
    setFeatures(DockWidgetClosable | DockWidgetMovable | DockWidgetFloatable);
    setAllowedAreas(Qt::AllDockWidgetAreas);

    m_text->setObjectName(QStringLiteral("requisitesText"));
    m_text->setReadOnly(true);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_text->setFont(QApplication::font());
    // Long names wrap at the bar's edge instead of hiding behind a horizontal scroll bar.
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWidget(m_text);
}

void CRequisitesBar::SetText(const QString& text) { m_text->setPlainText(text); }

QString CRequisitesBar::Text() const { return m_text->toPlainText(); }

QSize CRequisitesBar::sizeHint() const
{
    // Wide enough for a body's name to wrap between words rather than inside them.
    return { std::max(150, m_text->fontMetrics().averageCharWidth() * 36), 200 };
}
