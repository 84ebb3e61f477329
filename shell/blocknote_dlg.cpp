#include "shell/blocknote_dlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "orvo/orvo_link_dict.h"
#include "shell/multi_list_box.h"
#include "view/qt_text.h"

CBlocknoteDlg::CBlocknoteDlg(const COrvoLinkDict& notepad, QWidget* parent)
    : QDialog(parent)
    , m_notepad(notepad)
    , m_list(new CMultiListBox(this))
{
    setWindowTitle(QStringLiteral("Блокнот"));

    m_list->setObjectName(QStringLiteral("entries"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    QStringList texts;
    for (const CDocRecvisits& entry : m_notepad.entries)
        texts << FromCp1251(entry.Describe());
    m_list->SetEntries(texts);
    const QFontMetrics listMetrics(m_list->font());
    m_list->setMinimumSize(listMetrics.averageCharWidth() * 64, listMetrics.lineSpacing() * 16);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { accept(); });

    auto* countLabel = new QLabel(QStringLiteral("Количество документов:"), this);
    auto* count = new QLineEdit(QString::number(m_notepad.entries.size()), this);
    count->setObjectName(QStringLiteral("count"));
    count->setReadOnly(true);
    count->setFocusPolicy(Qt::ClickFocus);
    count->setFixedWidth(count->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 16);
    countLabel->setBuddy(count);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(ok, &QPushButton::clicked, this, &CBlocknoteDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(countLabel);
    bottom->addWidget(count);
    bottom->addStretch();
    bottom->addWidget(ok);
    bottom->addWidget(cancel);

    auto* root = new QVBoxLayout(this);
    root->addWidget(m_list, 1);
    root->addLayout(bottom);

    setTabOrder(m_list, ok);
    setTabOrder(ok, cancel);
    m_list->setFocus();
}

void CBlocknoteDlg::accept()
{
    m_chosen.reset();
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    if (!selected.isEmpty()) {
        const int row = m_list->row(selected.front());
        if (row >= 0 && static_cast<std::size_t>(row) < m_notepad.entries.size())
            m_chosen = m_notepad.entries[static_cast<std::size_t>(row)].nBaseNumber;
    }
    QDialog::accept();
}
