#include "shell/find_orvo_dlg.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <string>
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

#include "base/phrase_match.h"
#include "orvo/orvo_ref_maker.h"
#include "shell/multi_list_box.h"
#include "shell/select_nums_dlg.h"
#include "shell/select_words_dlg.h"
#include "shell/select_words_from_list.h"
#include "view/qt_text.h"

namespace {

// A condition's text: set by its picker, or typed and read back on the search.
QLineEdit* ConditionField(QWidget* parent, const char* name)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    return field;
}

// Typed words as the words pickers keep them; a piece holding an operator word is two values.
std::optional<std::string> FreeValue(const std::string& piece)
{
    std::string value = NormalizeText(piece);
    for (const std::string& word : NameWords(value))
        if (IsOperatorWord(word))
            return std::nullopt;
    if (value.empty())
        return std::nullopt;
    return value;
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
    , m_results(new CMultiListView(this))
    , m_stopButton(new QPushButton(QStringLiteral("Отмена"), this))
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
    m_stopButton->setObjectName(QStringLiteral("stop"));
    m_stopButton->setToolTip(QStringLiteral("Остановить поиск; найденное остаётся в списке"));
    m_stopButton->setAutoDefault(false);
    m_stopButton->hide();
    connect(m_stopButton, &QPushButton::clicked, this, [this] { m_stop = true; });
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
    connect(m_results->selectionModel(), &QItemSelectionModel::selectionChanged, this, &CFindOrvoDlg::UpdateButtons);
    connect(m_results, &QListView::doubleClicked, this, &CFindOrvoDlg::PlaceTag);
    // Enter searches unless the result list has the focus; there it places the tag.
    m_search->setDefault(true);
    for (QPushButton* b : { m_insertTag, m_ok })
        b->setAutoDefault(false);

    auto* searchRow = new QHBoxLayout;
    m_search->setMinimumWidth(m_search->sizeHint().width() + 24);
    searchRow->addWidget(m_search);
    searchRow->addWidget(m_progress, 1);
    searchRow->addWidget(m_stopButton);
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
    if (!TakeTyped(m_typesText))
        return;
    EditCondition<CSelectWordsFromList>(this, m_types, QStringLiteral("Вид документа"), Values(m_maker.types));
    RefreshConditionTexts();
}

void CFindOrvoDlg::EditBodies()
{
    if (!TakeTyped(m_bodiesText))
        return;
    EditCondition<CSelectWordsFromList>(this, m_bodies, QStringLiteral("Принявший орган"), Values(m_maker.bodies));
    RefreshConditionTexts();
}

void CFindOrvoDlg::EditNumbers()
{
    if (!TakeTyped(m_numbersText))
        return;
    EditCondition<CSelectWordsDlg>(this, m_numbers, QStringLiteral("Номер документа"));
    RefreshConditionTexts();
}

void CFindOrvoDlg::EditName()
{
    if (!TakeTyped(m_nameText))
        return;
    EditCondition<CSelectWordsDlg>(this, m_name, QStringLiteral("Название документа"));
    RefreshConditionTexts();
}

void CFindOrvoDlg::EditBaseNumbers()
{
    if (!TakeTyped(m_baseNumbersText))
        return;
    EditCondition<CSelectNumsDlg>(this, m_baseNumbers, QStringLiteral("Номер в базе"));
    RefreshConditionTexts();
}

void CFindOrvoDlg::RefreshConditionTexts()
{
    const std::pair<QLineEdit*, std::string> texts[] = { { m_typesText, ConditionText(m_types) },
        { m_bodiesText, ConditionText(m_bodies) }, { m_numbersText, ConditionText(m_numbers) },
        { m_nameText, ConditionText(m_name) }, { m_baseNumbersText, ConditionText(m_baseNumbers) } };
    for (const auto& [field, text] : texts) {
        // A field typed in and not read yet keeps what was typed.
        if (field->isModified())
            continue;
        field->setText(FromCp1251(text));
        // A long condition is read from its start.
        field->setCursorPosition(0);
    }
}

bool CFindOrvoDlg::TakeTyped(QLineEdit* field)
{
    if (!field->isModified())
        return true;
    const std::string typed = ToCp1251(field->text());
    std::string bad;
    std::optional<CWordsCondition> read;
    QString what;
    QString badSays;
    if (field == m_typesText || field == m_bodiesText) {
        const bool types = field == m_typesText;
        const CRecvDict& dict = types ? m_maker.types : m_maker.bodies;
        what = types ? QStringLiteral("Вид документа") : QStringLiteral("Принявший орган");
        badSays = QStringLiteral("нет в словаре");
        // The dictionary's own spelling of the value, as the picker offers it.
        read = ParseConditionText(
            typed, (types ? m_types : m_bodies).nOperator,
            [&dict](const std::string& piece) -> std::optional<std::string> {
                const std::string wanted = NormalizeText(piece);
                for (const CRecvRec& rec : dict.records)
                    if (NormalizeText(rec.value) == wanted)
                        return rec.value;
                return std::nullopt;
            },
            bad);
        if (read)
            (types ? m_types : m_bodies) = std::move(*read);
    } else if (field == m_numbersText || field == m_nameText) {
        const bool numbers = field == m_numbersText;
        what = numbers ? QStringLiteral("Номер документа") : QStringLiteral("Название документа");
        badSays = QStringLiteral("не значение условия");
        read = ParseConditionText(typed, (numbers ? m_numbers : m_name).nOperator, FreeValue, bad);
        if (read)
            (numbers ? m_numbers : m_name) = std::move(*read);
    } else {
        what = QStringLiteral("Номер в базе");
        badSays = QStringLiteral("не номер в базе");
        read = ParseConditionText(
            typed, m_baseNumbers.nOperator,
            [](const std::string& piece) -> std::optional<std::string> {
                const bool digits = !piece.empty() && piece.size() <= 10
                    && std::all_of(piece.begin(), piece.end(), [](char c) { return c >= '0' && c <= '9'; });
                if (!digits || std::stoll(piece) > INT_MAX)
                    return std::nullopt;
                return piece;
            },
            bad);
        if (read) {
            CNumsCondition numbers { read->nOperator, {} };
            for (const std::string& value : read->values)
                numbers.values.push_back(static_cast<std::int32_t>(std::stoll(value)));
            m_baseNumbers = std::move(numbers);
        }
    }
    if (!read) {
        const QString why = bad.empty() ? QStringLiteral("И, ИЛИ и НЕ в одном условии не смешиваются.")
                                        : QStringLiteral("«%1» %2.").arg(FromCp1251(bad), badSays);
        m_ui.MessageBox((what + QStringLiteral(": ") + why).toStdString(), MsgIcon::Warning, MsgButtons::Ok);
        field->setFocus();
        field->selectAll();
        return false;
    }
    field->setModified(false);
    RefreshConditionTexts();
    return true;
}

bool CFindOrvoDlg::TakeAllTyped()
{
    for (QLineEdit* field : { m_typesText, m_bodiesText, m_numbersText, m_nameText, m_baseNumbersText })
        if (!TakeTyped(field))
            return false;
    return true;
}

void CFindOrvoDlg::SetControlsEnabled(bool on)
{
    m_search->setEnabled(on);
    m_ok->setEnabled(on);
    for (QPushButton* button : m_editButtons)
        button->setEnabled(on);
    for (QLineEdit* field : { m_typesText, m_bodiesText, m_numbersText, m_nameText, m_baseNumbersText })
        field->setReadOnly(!on);
    m_fromOn->setEnabled(on);
    m_toOn->setEnabled(on);
    m_from->setEnabled(on && m_fromOn->isChecked());
    m_to->setEnabled(on && m_toOn->isChecked());
}

void CFindOrvoDlg::Search()
{
    if (m_searching || !TakeAllTyped())
        return;
    SetControlsEnabled(false);
    m_searching = true;
    m_stop = false;
    m_ui.SetProgressSink(this);
    const COrvoSearchQuery query = Query();
    const QDate today = QDate::currentDate();
    SearchOrvoDocuments(m_maker.documents, query, ToOle(today), m_ui, [this](const COrvoFoundDoc& doc) {
        m_pending << FromCp1251(doc.row);
        m_foundNumbers.push_back(doc.number);
        if (m_sinceShown.elapsed() >= kBatchMilliseconds)
            ShowFound();
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
    m_results->ClearEntries();
    m_pending.clear();
    m_foundNumbers.clear();
    m_steps = 0;
    m_count->setText(QStringLiteral("0"));
    m_search->hide();
    m_progress->setRange(0, static_cast<int>(std::min<std::size_t>(steps, INT_MAX)));
    m_progress->setValue(0);
    m_progress->show();
    m_stopButton->show();
    m_stopButton->setEnabled(true);
    m_sinceShown.start();
}

void CFindOrvoDlg::StepProgress()
{
    ++m_steps;
    // The bar moves by thousandths of the way, not by each of millions of documents.
    const auto maximum = static_cast<std::size_t>(std::max(m_progress->maximum(), 0));
    const auto shown = static_cast<std::size_t>(std::max(m_progress->value(), 0));
    if (m_steps <= maximum && (m_steps - shown) * 1000 >= maximum)
        m_progress->setValue(static_cast<int>(m_steps));
    // The clock is read every 256 documents: millions of reads would cost as much as the search.
    if ((m_steps & 0xFF) == 0 && m_sinceShown.elapsed() >= kBatchMilliseconds)
        ShowFound();
}

bool CFindOrvoDlg::TurnDue()
{
    if (m_sinceTurn.isValid() && m_sinceTurn.elapsed() < kTurnMilliseconds)
        return false;
    m_sinceTurn.start();
    return true;
}

void CFindOrvoDlg::ShowFound()
{
    m_results->AppendEntries(m_pending);
    m_pending.clear();
    m_count->setText(QString::number(m_results->Count()));
    m_progress->setValue(
        static_cast<int>(std::min<std::size_t>(m_steps, static_cast<std::size_t>(std::max(m_progress->maximum(), 0)))));
    m_sinceShown.restart();
}

void CFindOrvoDlg::HideProgress()
{
    ShowFound();
    m_progress->hide();
    m_stopButton->hide();
    m_search->show();
}

void CFindOrvoDlg::UpdateButtons()
{
    m_insertTag->setEnabled(m_placeTag && m_results->selectionModel()->hasSelection());
}

void CFindOrvoDlg::PlaceTag()
{
    const int row = m_results->SelectedRow();
    if (row < 0 || row >= static_cast<int>(m_foundNumbers.size()))
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
