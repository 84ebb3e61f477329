#include "shell/select_words_from_list.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "view/qt_text.h"

namespace {

void InsertSorted(std::vector<std::string>& values, std::string value)
{
    values.insert(std::upper_bound(values.begin(), values.end(), value), std::move(value));
}

void Show(QListWidget* list, const std::vector<std::string>& values, int current)
{
    list->clear();
    for (const std::string& v : values)
        list->addItem(FromCp1251(v));
    if (list->count() > 0)
        list->setCurrentRow(std::clamp(current, 0, list->count() - 1));
}

} // namespace

CSelectWordsFromList::CSelectWordsFromList(const QString& title, const std::vector<std::string>& offered,
    const CWordsCondition& condition, QWidget* parent)
    : CSearchConditionDlg(title, condition.nOperator, parent)
    , m_chosen(condition.values)
    , m_offered(offered)
    , m_chosenList(new QListWidget(this))
    , m_offeredList(new QListWidget(this))
{
    setObjectName(QStringLiteral("SelectWordsFromList"));
    std::sort(m_chosen.begin(), m_chosen.end());
    std::sort(m_offered.begin(), m_offered.end());
    // A chosen value is not offered a second time: moving it back restores the offer exactly.
    for (const std::string& v : m_chosen)
        if (auto it = std::lower_bound(m_offered.begin(), m_offered.end(), v); it != m_offered.end() && *it == v)
            m_offered.erase(it);

    m_chosenList->setObjectName(QStringLiteral("chosen"));
    m_offeredList->setObjectName(QStringLiteral("offered"));
    const QFontMetrics metrics(font());
    for (QListWidget* list : { m_chosenList, m_offeredList }) {
        list->setMinimumWidth(metrics.averageCharWidth() * 50);
        list->installEventFilter(this);
    }
    m_chosenList->setMinimumHeight(metrics.lineSpacing() * 6);
    m_offeredList->setMinimumHeight(metrics.lineSpacing() * 12);
    connect(m_chosenList, &QListWidget::itemDoubleClicked, this,
        [this](QListWidgetItem* item) { Move(m_chosen, m_offered, m_chosenList->row(item)); });
    connect(m_offeredList, &QListWidget::itemDoubleClicked, this,
        [this](QListWidgetItem* item) { Move(m_offered, m_chosen, m_offeredList->row(item)); });

    auto* clear = new QPushButton(QStringLiteral("Очистить"), this);
    clear->setObjectName(QStringLiteral("clear"));
    clear->setAutoDefault(false);
    connect(clear, &QPushButton::clicked, this, [this] {
        for (std::string& v : m_chosen)
            InsertSorted(m_offered, std::move(v));
        m_chosen.clear();
        Refill();
    });

    auto* chosenHead = new QHBoxLayout;
    auto* chosenLabel = new QLabel(QStringLiteral("Выбранные"), this);
    chosenLabel->setBuddy(m_chosenList);
    chosenHead->addWidget(chosenLabel);
    chosenHead->addStretch(1);
    chosenHead->addWidget(clear);
    auto* content = new QVBoxLayout;
    content->addLayout(chosenHead);
    content->addWidget(m_chosenList, 1);
    content->addWidget(m_offeredList, 2);
    Finish(content);
    Refill();
    m_offeredList->setFocus();
}

CWordsCondition CSelectWordsFromList::Condition() const { return CWordsCondition { Operator(), m_chosen }; }

void CSelectWordsFromList::Move(std::vector<std::string>& from, std::vector<std::string>& to, int row)
{
    if (row < 0 || row >= static_cast<int>(from.size()))
        return;
    std::string value = std::move(from[static_cast<std::size_t>(row)]);
    from.erase(from.begin() + row);
    InsertSorted(to, std::move(value));
    // The neighbour of the moved value stays current, so Enter can move one value after another.
    Show(m_chosenList, m_chosen, &from == &m_chosen ? row : m_chosenList->currentRow());
    Show(m_offeredList, m_offered, &from == &m_offered ? row : m_offeredList->currentRow());
}

void CSelectWordsFromList::Refill()
{
    Show(m_chosenList, m_chosen, 0);
    Show(m_offeredList, m_offered, 0);
}

bool CSelectWordsFromList::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == m_chosenList)
                Move(m_chosen, m_offered, m_chosenList->currentRow());
            else if (watched == m_offeredList)
                Move(m_offered, m_chosen, m_offeredList->currentRow());
            return true;
        }
    }
    return CSearchConditionDlg::eventFilter(watched, event);
}
