#include "shell/find_orvo_dlg.h"

#include <algorithm>
#include <climits>
#include <utility>

#include <QCheckBox>
#include <QDate>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "orvo/orvo_ref_maker.h"
#include "shell/multi_list_box.h"
#include "shell/select_nums_dlg.h"
#include "shell/select_words_dlg.h"
#include "shell/select_words_from_list.h"
#include "view/qt_text.h"

namespace {

QLineEdit* ConditionField(QWidget* parent, const char* name)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::ClickFocus);
    return field;
}

QDateEdit* DatePicker(QWidget* parent, const char* name)
{
    auto* picker = new QDateEdit(QDate::currentDate(), parent);
    picker->setObjectName(QString::fromLatin1(name));
    picker->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    picker->setCalendarPopup(true);
    picker->setMinimumDate(QDate(100, 1, 1));
    picker->setEnabled(false);
    return picker;
}

std::vector<std::string> Values(const CRecvDict& dict)
{
    std::vector<std::string> values;
    for (const CRecvRec& rec : dict.records)
        values.push_back(rec.value);
    return values;
}

// A condition dialog over a copy of the condition; OK gives the condition its result.
template <class Dialog, class Condition, class... Args>
void EditCondition(QWidget* parent, Condition& condition, Args&&... args)
{
    Dialog dialog(std::forward<Args>(args)..., condition, parent);
    if (dialog.exec() == QDialog::Accepted)
        condition = dialog.Condition();
}

COleDate ToOle(const QDate& date) { return COleDate::FromText(date.year(), date.month(), date.day()); }

} // namespace

CFindOrvoDlg::CFindOrvoDlg(CQtUserInterface& ui, COrvoRefMaker& maker, TagPlacer placeTag, QWidget* parent)
    : QDialog(parent)
    , m_ui(ui)
    , m_maker(maker)
    , m_placeTag(std::move(placeTag))
    , m_typesText(ConditionField(this, "typesText"))
    , m_bodiesText(ConditionField(this, "bodiesText"))
    , m_numbersText(ConditionField(this, "numbersText"))
    , m_nameText(ConditionField(this, "nameText"))
    , m_baseNumbersText(ConditionField(this, "baseNumbersText"))
    , m_fromOn(new QCheckBox(QStringLiteral("от"), this))
    , m_toOn(new QCheckBox(QStringLiteral("до"), this))
    , m_from(DatePicker(this, "dateFrom"))
    , m_to(DatePicker(this, "dateTo"))
    , m_search(new QPushButton(QStringLiteral("Поиск"), this))
    , m_progress(new QProgressBar(this))
    , m_count(new QLineEdit(this))
    , m_results(new CMultiListBox(this))
    , m_insertTag(new QPushButton(QStringLiteral("Вставить тег"), this))
    , m_ok(new QPushButton(QStringLiteral("OK"), this))
{
    setObjectName(QStringLiteral("FindOrvoDlg"));
    setWindowTitle(QStringLiteral("Документы Орво"));
    setSizeGripEnabled(true);

    m_fromOn->setObjectName(QStringLiteral("dateFromOn"));
    m_toOn->setObjectName(QStringLiteral("dateToOn"));
    m_search->setObjectName(QStringLiteral("search"));
    m_progress->setObjectName(QStringLiteral("searchProgress"));
    m_progress->setTextVisible(false);
    m_progress->hide();
    m_count->setObjectName(QStringLiteral("foundCount"));
    m_count->setReadOnly(true);
    m_count->setFocusPolicy(Qt::ClickFocus);
    m_count->setFixedWidth(m_count->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
    m_count->setText(QStringLiteral("0"));
    m_results->setObjectName(QStringLiteral("results"));
    m_results->setSelectionMode(QAbstractItemView::SingleSelection);
    m_results->setMinimumSize(m_results->fontMetrics().averageCharWidth() * 80, m_results->fontMetrics().lineSpacing() * 18);
    m_results->installEventFilter(this);
    m_insertTag->setObjectName(QStringLiteral("insertTag"));
    m_insertTag->setEnabled(false);
    m_ok->setObjectName(QStringLiteral("ok"));

    struct Row {
        const char* label;
        QLineEdit* text;
        const char* button;
        void (CFindOrvoDlg::*edit)();
    };
    const Row rows[] = {
        { "Вид документа", m_typesText, "typesButton", &CFindOrvoDlg::EditTypes },
        { "Принявший орган", m_bodiesText, "bodiesButton", &CFindOrvoDlg::EditBodies },
        { "Номер документа", m_numbersText, "numbersButton", &CFindOrvoDlg::EditNumbers },
        { "Название документа", m_nameText, "nameButton", &CFindOrvoDlg::EditName },
        { "Номер в базе", m_baseNumbersText, "baseNumbersButton", &CFindOrvoDlg::EditBaseNumbers },
    };
    auto* grid = new QGridLayout;
    int line = 0;
    for (const Row& row : rows) {
        if (row.text == m_nameText) {
            // "Дата принятия" stands between the number and the name.
            auto* dates = new QHBoxLayout;
            dates->addWidget(m_fromOn);
            dates->addWidget(m_from);
            dates->addSpacing(12);
            dates->addWidget(m_toOn);
            dates->addWidget(m_to);
            dates->addStretch(1);
            grid->addWidget(new QLabel(QStringLiteral("Дата принятия"), this), line, 0);
            grid->addLayout(dates, line, 1, 1, 2);
            ++line;
        }
        auto* button = new QPushButton(QStringLiteral("..."), this);
        button->setObjectName(QString::fromLatin1(row.button));
        button->setFixedWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, row.edit);
        m_editButtons.push_back(button);
        auto* label = new QLabel(QString::fromUtf8(row.label), this);
        label->setBuddy(button);
        grid->addWidget(label, line, 0);
        grid->addWidget(row.text, line, 1);
        grid->addWidget(button, line, 2);
        ++line;
    }
    grid->setColumnStretch(1, 1);

    connect(m_fromOn, &QCheckBox::toggled, m_from, &QWidget::setEnabled);
    connect(m_toOn, &QCheckBox::toggled, m_to, &QWidget::setEnabled);
    connect(m_search, &QPushButton::clicked, this, &CFindOrvoDlg::Search);
    connect(m_insertTag, &QPushButton::clicked, this, &CFindOrvoDlg::PlaceTag);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_results, &QListWidget::itemSelectionChanged, this, &CFindOrvoDlg::UpdateButtons);
    connect(m_results, &QListWidget::itemDoubleClicked, this, &CFindOrvoDlg::PlaceTag);
    // Enter searches unless the result list has the focus; there it places the tag.
    m_search->setDefault(true);
    for (QPushButton* b : { m_insertTag, m_ok })
        b->setAutoDefault(false);

    auto* searchRow = new QHBoxLayout;
    m_search->setMinimumWidth(m_search->sizeHint().width() + 24);
    searchRow->addWidget(m_search);
    searchRow->addWidget(m_progress, 1);
    searchRow->addStretch(1);
    searchRow->addWidget(new QLabel(QStringLiteral("Документов найдено:"), this));
    searchRow->addWidget(m_count);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_insertTag);
    bottom->addStretch(1);
    bottom->addWidget(m_ok);

    auto* root = new QVBoxLayout(this);
    root->addLayout(grid);
    root->addLayout(searchRow);
    root->addWidget(m_results, 1);
    root->addLayout(bottom);

    RefreshConditionTexts();
}

CFindOrvoDlg::~CFindOrvoDlg() { m_ui.SetProgressSink(nullptr); }

COrvoSearchQuery CFindOrvoDlg::Query() const
{
    COrvoSearchQuery query;
    query.types = m_types;
    query.bodies = m_bodies;
    query.numbers = m_numbers;
    query.name = m_name;
    query.baseNumbers = m_baseNumbers;
    if (m_fromOn->isChecked())
        query.dateFrom = ToOle(m_from->date());
    if (m_toOn->isChecked())
        query.dateTo = ToOle(m_to->date());
    return query;
}

void CFindOrvoDlg::EditTypes()
{
    EditCondition<CSelectWordsFromList>(this, m_types, QStringLiteral("Вид документа"), Values(m_maker.types));
    RefreshConditionTexts();
}

void CFindOrvoDlg::EditBodies()
{
    EditCondition<CSelectWordsFromList>(this, m_bodies, QStringLiteral("Принявший орган"), Values(m_maker.bodies));
    RefreshConditionTexts();
}

void CFindOrvoDlg::EditNumbers()
{
    EditCondition<CSelectWordsDlg>(this, m_numbers, QStringLiteral("Номер документа"));
    RefreshConditionTexts();
}

void CFindOrvoDlg::EditName()
{
    EditCondition<CSelectWordsDlg>(this, m_name, QStringLiteral("Название документа"));
    RefreshConditionTexts();
}

void CFindOrvoDlg::EditBaseNumbers()
{
    EditCondition<CSelectNumsDlg>(this, m_baseNumbers, QStringLiteral("Номер в базе"));
    RefreshConditionTexts();
}

void CFindOrvoDlg::RefreshConditionTexts()
{
    m_typesText->setText(FromCp1251(ConditionText(m_types)));
    m_bodiesText->setText(FromCp1251(ConditionText(m_bodies)));
    m_numbersText->setText(FromCp1251(ConditionText(m_numbers)));
    m_nameText->setText(FromCp1251(ConditionText(m_name)));
    m_baseNumbersText->setText(FromCp1251(ConditionText(m_baseNumbers)));
    // A long condition is read from its start.
    for (QLineEdit* field : { m_typesText, m_bodiesText, m_numbersText, m_nameText, m_baseNumbersText })
        field->setCursorPosition(0);
}

void CFindOrvoDlg::SetControlsEnabled(bool on)
{
    m_search->setEnabled(on);
    m_ok->setEnabled(on);
    for (QPushButton* button : m_editButtons)
        button->setEnabled(on);
    m_fromOn->setEnabled(on);
    m_toOn->setEnabled(on);
    m_from->setEnabled(on && m_fromOn->isChecked());
    m_to->setEnabled(on && m_toOn->isChecked());
}

void CFindOrvoDlg::Search()
{
    if (m_searching)
        return;
    SetControlsEnabled(false);
    m_searching = true;
    m_stop = false;
    m_ui.SetProgressSink(this);
    const COrvoSearchQuery query = Query();
    const QDate today = QDate::currentDate();
    SearchOrvoDocuments(m_maker.documents, query, ToOle(today), m_ui, [this](const COrvoFoundDoc& doc) {
        m_results->addItem(FromCp1251(doc.row));
        m_foundNumbers.push_back(doc.number);
        m_count->setText(QString::number(m_foundNumbers.size()));
    });
    m_ui.SetProgressSink(nullptr);
    m_searching = false;
    SetControlsEnabled(true);
    UpdateButtons();
    if (m_closeAfterSearch)
        QDialog::reject();
}

void CFindOrvoDlg::ShowProgress(std::size_t steps)
{
    m_results->clear();
    m_foundNumbers.clear();
    m_count->setText(QStringLiteral("0"));
    m_search->hide();
    m_progress->setRange(0, static_cast<int>(std::min<std::size_t>(steps, INT_MAX)));
    m_progress->setValue(0);
    m_progress->show();
}

void CFindOrvoDlg::StepProgress()
{
    if (m_progress->value() < m_progress->maximum())
        m_progress->setValue(m_progress->value() + 1);
}

void CFindOrvoDlg::HideProgress()
{
    m_progress->hide();
    m_search->show();
}

void CFindOrvoDlg::UpdateButtons() { m_insertTag->setEnabled(m_placeTag && !m_results->selectedItems().isEmpty()); }

void CFindOrvoDlg::PlaceTag()
{
    const int row = m_results->currentRow();
    if (row < 0 || row >= static_cast<int>(m_foundNumbers.size()) || !m_results->item(row)->isSelected())
        return;
    if (m_placeTag)
        m_placeTag(m_foundNumbers[static_cast<std::size_t>(row)]);
}

void CFindOrvoDlg::reject()
{
    // Closed while searching: the search stops at its next document, then the dialog closes.
    if (m_searching) {
        m_stop = true;
        m_closeAfterSearch = true;
        return;
    }
    QDialog::reject();
}

bool CFindOrvoDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_results && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && m_insertTag->isEnabled()) {
            PlaceTag();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
