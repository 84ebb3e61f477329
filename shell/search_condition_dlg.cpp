#include "shell/search_condition_dlg.h"

#include <algorithm>

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "orvo/orvo_search.h"

CSearchConditionDlg::CSearchConditionDlg(const QString& title, std::int32_t op, QWidget* parent)
    : QDialog(parent)
    , m_and(new QRadioButton(QStringLiteral("И"), this))
    , m_or(new QRadioButton(QStringLiteral("ИЛИ"), this))
    , m_not(new QRadioButton(QStringLiteral("НЕ"), this))
{
    setWindowTitle(title);
    m_and->setObjectName(QStringLiteral("opAnd"));
    m_or->setObjectName(QStringLiteral("opOr"));
    m_not->setObjectName(QStringLiteral("opNot"));
    (op == SearchOr ? m_or : op == SearchNot ? m_not : m_and)->setChecked(true);
}

std::int32_t CSearchConditionDlg::Operator() const
{
    if (m_or->isChecked())
        return SearchOr;
    if (m_not->isChecked())
        return SearchNot;
    return SearchAnd;
}

void CSearchConditionDlg::Finish(QLayout* content)
{
    auto* group = new QGroupBox(QStringLiteral("Условия поиска"), this);
    auto* radios = new QHBoxLayout(group);
    radios->addWidget(m_and);
    radios->addWidget(m_or);
    radios->addWidget(m_not);
    radios->addStretch(1);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    ok->setDefault(true);
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* root = new QVBoxLayout(this);
    root->addLayout(content, 1);
    root->addWidget(group);
    root->addLayout(buttons);
}

CTypedValuesDlg::CTypedValuesDlg(const QString& title, std::int32_t op, QWidget* parent)
    : CSearchConditionDlg(title, op, parent)
    , m_list(new QListWidget(this))
    , m_field(new QLineEdit(this))
    , m_add(new QPushButton(QStringLiteral("Добавить"), this))
    , m_remove(new QPushButton(QStringLiteral("Удалить"), this))
{
    m_list->setObjectName(QStringLiteral("values"));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setMinimumSize(m_list->fontMetrics().averageCharWidth() * 40, m_list->fontMetrics().lineSpacing() * 10);
    m_field->setObjectName(QStringLiteral("newValue"));
    m_add->setObjectName(QStringLiteral("add"));
    m_remove->setObjectName(QStringLiteral("remove"));
    auto* clear = new QPushButton(QStringLiteral("Очистить"), this);
    clear->setObjectName(QStringLiteral("clear"));
    for (QPushButton* b : { m_add, m_remove, clear })
        b->setAutoDefault(false);
    m_add->setEnabled(false);
    m_remove->setEnabled(false);

    connect(m_field, &QLineEdit::textChanged, this, &CTypedValuesDlg::UpdateButtons);
    // Enter in a field with text adds it, as a person typing one value after another expects; in
    // an empty field it is OK.
    m_field->installEventFilter(this);
    connect(m_add, &QPushButton::clicked, this, &CTypedValuesDlg::OnAdd);
    connect(m_remove, &QPushButton::clicked, this, &CTypedValuesDlg::OnRemove);
    connect(clear, &QPushButton::clicked, this, [this] {
        ClearValues();
        Refill();
    });
    connect(m_list, &QListWidget::itemSelectionChanged, this, &CTypedValuesDlg::UpdateButtons);

    auto* side = new QVBoxLayout;
    side->addWidget(m_remove);
    side->addWidget(clear);
    side->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(m_list, 1);
    top->addLayout(side);
    auto* entry = new QHBoxLayout;
    entry->addWidget(new QLabel(QStringLiteral("Новое"), this));
    entry->addWidget(m_field, 1);
    entry->addWidget(m_add);
    auto* content = new QVBoxLayout;
    content->addLayout(top, 1);
    content->addLayout(entry);
    Finish(content);
    m_field->setFocus();
}

bool CTypedValuesDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && m_add->isEnabled()) {
            OnAdd();
            return true;
        }
    }
    return CSearchConditionDlg::eventFilter(watched, event);
}

void CTypedValuesDlg::Refill()
{
    m_list->clear();
    m_list->addItems(Shown());
    UpdateButtons();
}

void CTypedValuesDlg::UpdateButtons()
{
    m_add->setEnabled(!m_field->text().trimmed().isEmpty());
    m_remove->setEnabled(!m_list->selectedItems().isEmpty());
}

void CTypedValuesDlg::OnAdd()
{
    if (m_field->text().trimmed().isEmpty())
        return;
    if (!Append(m_field->text()))
        return;
    m_field->clear();
    Refill();
}

void CTypedValuesDlg::OnRemove()
{
    QList<int> rows;
    for (QListWidgetItem* item : m_list->selectedItems())
        rows << m_list->row(item);
    std::sort(rows.begin(), rows.end());
    RemoveShown(rows);
    Refill();
}
