#include "shell/select_orvo_doc_dlg.h"

#include <algorithm>

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QSplitter>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

#include "base/codepage.h"
#include "orvo/orvo_link_dict.h"
#include "shell/blocknote_dlg.h"
#include "shell/multi_list_box.h"
#include "view/qt_text.h"

namespace {

constexpr std::size_t kRowTextLimit = 1000;

// The document's display font at the size the dialog shows it.
QFont ContextFont(const QString& face, std::uint8_t pitchAndFamily)
{
    QFont font(face.isEmpty() ? QStringLiteral("Courier New") : face);
    font.setPixelSize(13);
    font.setWeight(QFont::Normal);
    // The low bits of pitch and family: 1 fixed, 2 variable. Keep a fixed-pitch fallback so the
    // columns of the text stay in place when the face is missing.
    if ((pitchAndFamily & 0x03) == 1) {
        font.setFixedPitch(true);
        font.setStyleHint(QFont::TypeWriter);
    }
    return font;
}

QLineEdit* ReadOnlyField(QWidget* parent, const QString& name, const QString& sample)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::ClickFocus);
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance(sample) + 16);
    return field;
}

} // namespace

QString CandidateRowText(const CDocRecvisits& candidate)
{
    std::string text = candidate.Describe();
    if (text.size() > kRowTextLimit) {
        text.resize(kRowTextLimit);
        text += "...";
    }
    return FromCp1251(text);
}

namespace {

const char* const kPreselectKey = "Candidates/PreselectCitedTogether";

} // namespace

bool PreselectsCitedTogether() { return QSettings().value(QLatin1String(kPreselectKey), true).toBool(); }

void SetPreselectsCitedTogether(bool on) { QSettings().setValue(QLatin1String(kPreselectKey), on); }

QString SelectionText(const std::vector<int>& selectedRows, int rowCount)
{
    QString text;
    for (const int row : selectedRows) {
        if (!text.isEmpty())
            text += QStringLiteral(", ");
        text += QString::number(row + 1);
    }
    if (text.isEmpty())
        text = QStringLiteral("-");
    return text + QLatin1Char(':') + QString::number(rowCount);
}

CSelectOrvoDocDlg::CSelectOrvoDocDlg(std::vector<CDocRecvisits> candidates, const QString& contextText,
    const QString& dateText, const QString& fontFace, std::uint8_t pitchAndFamily, const COrvoLinkDict* notepad,
    QWidget* parent)
    : QDialog(parent)
    , m_candidates(std::move(candidates))
    , m_notepad(notepad)
    , m_context(new QPlainTextEdit(this))
    , m_date(ReadOnlyField(this, QStringLiteral("date"), QStringLiteral("00.00.00000")))
    , m_selection(ReadOnlyField(this, QStringLiteral("selection"), QStringLiteral("10, 20, 30:400")))
    , m_list(new CMultiListBox(this))
    , m_fromList(new QRadioButton(QStringLiteral("Вставить из списка"), this))
    , m_byNumber(new QRadioButton(QStringLiteral("Вставить документ  номер"), this))
    , m_numberEdit(new QLineEdit(this))
    , m_blocknote(new QPushButton(QStringLiteral("Блокнот"), this))
    , m_remove(new QPushButton(QStringLiteral("Удалить"), this))
    , m_yes(new QPushButton(QStringLiteral("Да"), this))
    , m_base(new QLabel(QStringLiteral("База Орво"), this))
    , m_status(new QLabel(this))
{
    setWindowTitle(QStringLiteral("Возможные документы для простановки ссылок"));

    // The text around the line, as the document shows it: no wrapping, so the lines keep their
    // columns and the scroll position counts document lines.
    m_context->setObjectName(QStringLiteral("context"));
    m_context->setReadOnly(true);
    m_context->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_context->setFont(ContextFont(fontFace, pitchAndFamily));
    m_context->setPlainText(contextText);
    const QFontMetrics contextMetrics(m_context->font());
    m_context->setMinimumSize(contextMetrics.horizontalAdvance(QString(70, QLatin1Char('0'))),
        contextMetrics.lineSpacing() * 4);
    auto* contextBox = new QGroupBox(QStringLiteral("Обработанный текст"), this);
    auto* contextLayout = new QVBoxLayout(contextBox);
    contextLayout->addWidget(m_context);

    m_date->setText(dateText);
    auto* dateLabel = new QLabel(QStringLiteral("Дата принятия:"), this);
    dateLabel->setBuddy(m_date);
    auto* selectionLabel = new QLabel(QStringLiteral("Количество документов:"), this);
    selectionLabel->setBuddy(m_selection);

    m_list->setObjectName(QStringLiteral("candidates"));
    m_list->setSelectionMode(QAbstractItemView::MultiSelection);
    m_list->setMinimumHeight(QFontMetrics(m_list->font()).lineSpacing() * 8);
    m_list->installEventFilter(this);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &CSelectOrvoDocDlg::UpdateSelection);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) { ChooseRow(m_list->row(item)); });

    m_remove->setObjectName(QStringLiteral("remove"));
    connect(m_remove, &QPushButton::clicked, this, &CSelectOrvoDocDlg::RemoveSelected);

    m_fromList->setObjectName(QStringLiteral("fromList"));
    m_byNumber->setObjectName(QStringLiteral("byNumber"));
    m_fromList->setChecked(true);
    connect(m_fromList, &QRadioButton::toggled, this, &CSelectOrvoDocDlg::UpdateInsertChoice);
    connect(m_byNumber, &QRadioButton::clicked, this, [this] {
        m_numberEdit->setFocus();
        m_numberEdit->selectAll();
    });

    // Numbers in base of a real Orvo base run to seven digits and more: the field takes every
    // 32-bit number (ten digits; a larger value is clamped when read).
    m_numberEdit->setObjectName(QStringLiteral("number"));
    m_numberEdit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,10}")), m_numberEdit));
    m_numberEdit->setFixedWidth(m_numberEdit->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 16);

    m_blocknote->setObjectName(QStringLiteral("blocknote"));
    connect(m_blocknote, &QPushButton::clicked, this, &CSelectOrvoDocDlg::PickFromNotepad);

    QPushButton* yes = m_yes;
    yes->setObjectName(QStringLiteral("yes"));
    yes->setDefault(true);
    yes->installEventFilter(this);
    auto* no = new QPushButton(QStringLiteral("Нет"), this);
    no->setObjectName(QStringLiteral("no"));
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(yes, &QPushButton::clicked, this, &CSelectOrvoDocDlg::Yes);
    connect(no, &QPushButton::clicked, this, &CSelectOrvoDocDlg::No);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* infoRow = new QHBoxLayout;
    infoRow->addWidget(dateLabel);
    infoRow->addWidget(m_date);
    infoRow->addSpacing(contextMetrics.averageCharWidth() * 4);
    infoRow->addWidget(selectionLabel);
    infoRow->addWidget(m_selection);
    infoRow->addStretch();
    infoRow->addWidget(m_remove);

    auto* listPane = new QWidget(this);
    auto* listLayout = new QVBoxLayout(listPane);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->addLayout(infoRow);
    listLayout->addWidget(m_list, 1);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(contextBox);
    splitter->addWidget(listPane);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);

    auto* insertRow = new QHBoxLayout;
    insertRow->addWidget(m_fromList);
    insertRow->addSpacing(contextMetrics.averageCharWidth() * 4);
    insertRow->addWidget(m_byNumber);
    insertRow->addWidget(m_numberEdit);
    insertRow->addWidget(m_blocknote);
    insertRow->addStretch();

    m_base->setObjectName(QStringLiteral("base"));
    QFont baseFont = m_base->font();
    baseFont.setBold(true);
    m_base->setFont(baseFont);
    m_status->setObjectName(QStringLiteral("status"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_status, 1);
    buttons->addWidget(yes);
    buttons->addWidget(no);
    buttons->addWidget(cancel);

    auto* root = new QVBoxLayout(this);
    root->addWidget(m_base);
    root->addWidget(splitter, 1);
    root->addLayout(insertRow);
    root->addLayout(buttons);

    setTabOrder(m_list, m_remove);
    setTabOrder(m_remove, m_fromList);
    setTabOrder(m_fromList, m_byNumber);
    setTabOrder(m_byNumber, m_numberEdit);
    setTabOrder(m_numberEdit, m_blocknote);
    setTabOrder(m_blocknote, yes);
    setTabOrder(yes, no);
    setTabOrder(no, cancel);
    setTabOrder(cancel, m_context);

    // Room for about nine lines of context and a few candidates; never more than the screen.
    const QFontMetrics metrics = fontMetrics();
    QSize size(std::max(metrics.averageCharWidth() * 110, m_context->minimumWidth() + 60), metrics.lineSpacing() * 42);
    if (const QScreen* where = parent ? parent->screen() : screen())
        size = size.boundedTo(where->availableGeometry().size() * 9 / 10);
    resize(size);
    splitter->setSizes({ contextMetrics.lineSpacing() * 9 + 40, size.height() });

    Fill();
    UpdateInsertChoice();
    m_list->setFocus();
}

int CSelectOrvoDocDlg::ContextScrollLine(const QString& contextText)
{
    const int lines = static_cast<int>(contextText.count(QLatin1Char('\n'))) + 1;
    return std::max(0, lines / 2 - 1);
}

void CSelectOrvoDocDlg::SetQuestion(bool localBase, int contextLine, bool inPass)
{
    m_base->setText(localBase ? QStringLiteral("Локальная база") : QStringLiteral("База Орво"));
    m_contextLine = contextLine >= 0 && contextLine < m_context->document()->blockCount() ? contextLine : -1;
    m_inPass = inPass;
    MarkContextLine();
    UpdateSelection();
}

void CSelectOrvoDocDlg::MarkContextLine()
{
    QList<QTextEdit::ExtraSelection> marks;
    const QTextBlock block = m_context->document()->findBlockByNumber(m_contextLine);
    if (m_contextLine >= 0 && block.isValid()) {
        // The whole width of the line on a background, its text in bold.
        QTextEdit::ExtraSelection line;
        line.cursor = QTextCursor(block);
        line.format.setBackground(QColor(255, 236, 160));
        line.format.setProperty(QTextFormat::FullWidthSelection, true);
        QTextEdit::ExtraSelection text;
        text.cursor = QTextCursor(block);
        text.cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        text.format.setFontWeight(QFont::Bold);
        marks << line << text;
    }
    m_context->setExtraSelections(marks);
}

void CSelectOrvoDocDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_scrolled) {
        m_scrolled = true;
        // The line asked about just below the top, where the middle line of a whole context is.
        m_context->verticalScrollBar()->setValue(
            m_contextLine >= 0 ? std::max(0, m_contextLine - 1) : ContextScrollLine(m_context->toPlainText()));
        // The first candidate selected at the start is in sight, however far down it is.
        for (int row = 0; row < m_list->count(); ++row) {
            if (m_list->item(row)->isSelected()) {
                m_list->doItemsLayout();
                m_list->selectionModel()->setCurrentIndex(
                    m_list->model()->index(row, 0), QItemSelectionModel::NoUpdate);
                m_list->scrollToItem(m_list->item(row), QAbstractItemView::PositionAtTop);
                break;
            }
        }
    }
}

bool CSelectOrvoDocDlg::EnterSkips() const { return m_fromList->isChecked() && SelectedRows().empty(); }

void CSelectOrvoDocDlg::keyPressEvent(QKeyEvent* event)
{
    // Enter reaches the dialog from the list, the radio buttons and the context.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && EnterSkips()) {
        No();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool CSelectOrvoDocDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete && !m_list->selectedItems().isEmpty()) {
        RemoveSelected();
        return true;
    }
    // Enter on "Да" itself, which a click would leave waiting for a choice.
    if (watched == m_yes && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && EnterSkips()) {
            No();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CSelectOrvoDocDlg::Fill()
{
    QStringList texts;
    for (std::size_t k = 0; k < m_candidates.size(); ++k) {
        const QString requisites = CandidateRowText(m_candidates[k]);
        texts << (k < m_agreements.size() ? FromUtf8(AgreementText(m_agreements[k])) + QLatin1Char('\n') + requisites : requisites);
    }
    m_list->SetEntries(texts);
    UpdateSelection();
}

void CSelectOrvoDocDlg::SetAgreements(std::vector<CCandidateAgreement> agreements, bool preselect)
{
    if (agreements.size() != m_candidates.size())
        return;
    m_agreements = std::move(agreements);
    Fill();
    if (!preselect)
        return;
    for (std::size_t k = 0; k < m_agreements.size(); ++k)
        if (ChosenWhenPaired(m_agreements[k]))
            m_list->item(static_cast<int>(k))->setSelected(true);
    UpdateSelection();
}

void CSelectOrvoDocDlg::Preselect(const std::vector<std::size_t>& rows)
{
    m_list->clearSelection();
    for (std::size_t k : rows)
        if (k < static_cast<std::size_t>(m_list->count()))
            m_list->item(static_cast<int>(k))->setSelected(true);
    UpdateSelection();
}

std::vector<int> CSelectOrvoDocDlg::SelectedRows() const
{
    std::vector<int> rows;
    for (int row = 0; row < m_list->count(); ++row)
        if (m_list->item(row)->isSelected())
            rows.push_back(row);
    return rows;
}

void CSelectOrvoDocDlg::UpdateSelection()
{
    const std::vector<int> rows = SelectedRows();
    m_selection->setText(SelectionText(rows, m_list->count()));
    m_remove->setEnabled(!rows.empty() && m_fromList->isChecked());
    if (EnterSkips())
        m_status->setText(m_inPass ? QStringLiteral("Ничего не выбрано: Enter пропускает строку, Esc завершает разбор")
                                   : QStringLiteral("Ничего не выбрано: Enter — то же, что «Нет», Esc — отмена"));
    else
        m_status->clear();
}

void CSelectOrvoDocDlg::UpdateInsertChoice()
{
    const bool fromList = m_fromList->isChecked();
    m_list->setEnabled(fromList);
    m_numberEdit->setEnabled(!fromList);
    m_blocknote->setEnabled(!fromList && m_notepad != nullptr);
    UpdateSelection();
}

void CSelectOrvoDocDlg::RemoveSelected()
{
    const std::vector<int> rows = SelectedRows();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        m_candidates.erase(m_candidates.begin() + *it);
        if (static_cast<std::size_t>(*it) < m_agreements.size())
            m_agreements.erase(m_agreements.begin() + *it);
    }
    Fill();
}

void CSelectOrvoDocDlg::PickFromNotepad()
{
    if (!m_notepad)
        return;
    CBlocknoteDlg dlg(*m_notepad, this);
    if (dlg.exec() != QDialog::Accepted || !dlg.ChosenNumber())
        return;
    m_number = *dlg.ChosenNumber();
    m_numberEdit->setText(QString::number(m_number));
}

void CSelectOrvoDocDlg::Yes()
{
    if (m_byNumber->isChecked()) {
        // An empty or zero field keeps the number as it was.
        const std::int32_t typed = DecimalPrefix(ToCp1251(m_numberEdit->text()));
        if (typed != 0)
            m_number = typed;
        m_mode = 1;
        accept();
        return;
    }
    const std::vector<int> rows = SelectedRows();
    if (rows.empty())
        return;
    for (const int row : rows)
        m_chosen.push_back(m_candidates[static_cast<std::size_t>(row)]);
    m_mode = 0;
    accept();
}

void CSelectOrvoDocDlg::No()
{
    m_mode = 0;
    m_chosen.clear();
    accept();
}

void CSelectOrvoDocDlg::ChooseRow(int row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= m_candidates.size())
        return;
    m_chosen.push_back(m_candidates[static_cast<std::size_t>(row)]);
    accept();
}
