#include "shell/review/review_dock.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "document/telvarion_doc.h"
#include "seam/user_interface.h"
#include "shell/review/review_model.h"
#include "view/frame_services.h"
#include "view/line_model.h"
#include "view/qt_text.h"
#include "view/telvarion_view.h"

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// The list's own keys: plain ones only, so that Ctrl+Shift+Enter and Ctrl+Z stay the window's.
bool IsListKey(const QKeyEvent* key)
{
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_Delete:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        return false;
    }
}

} // namespace

bool CReviewList::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride && IsListKey(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QTableView::event(event);
}

void CReviewList::keyPressEvent(QKeyEvent* event)
{
    if (IsListKey(event)) {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            emit AcceptRequested();
            return;
        case Qt::Key_Delete:
            emit RejectRequested();
            return;
        default:
            break;
        }
    }
    QTableView::keyPressEvent(event);
}

CReviewDock::CReviewDock(CTelvarionDoc& doc, CTelvarionView& view, CFrameServices* frame, QWidget* parent)
    : QDockWidget(QStringLiteral("Проверка ссылок"), parent)
    , m_doc(doc)
    , m_view(view)
    , m_frame(frame)
    , m_model(new CReviewModel(doc.review, view.Model(), this))
    , m_list(new CReviewList(this))
    , m_statistics(new QLabel(this))
    , m_counts(new QLabel(this))
    , m_statusPane(new QLabel)
    , m_filter(new QComboBox(this))
    , m_grouped(new QCheckBox(QStringLiteral("Группировать по документу"), this))
{
    setObjectName(QStringLiteral("ReviewDock"));
    m_statusPane->setObjectName(QStringLiteral("reviewPane"));
    m_statusPane->hide();
    m_statistics->setObjectName(QStringLiteral("reviewStatistics"));
    m_statistics->setWordWrap(true);
    m_counts->setObjectName(QStringLiteral("reviewCounts"));
    m_filter->setObjectName(QStringLiteral("reviewFilter"));
    m_filter->addItem(QStringLiteral("все"), static_cast<int>(ReviewFilter::All));
    m_filter->addItem(QStringLiteral("не проверенные"), static_cast<int>(ReviewFilter::Unreviewed));
    m_filter->addItem(QStringLiteral("нужно решение"), static_cast<int>(ReviewFilter::Open));
    m_grouped->setObjectName(QStringLiteral("reviewGrouped"));
    auto* acceptAll = new QPushButton(QStringLiteral("Принять все"), this);
    acceptAll->setObjectName(QStringLiteral("reviewAcceptAll"));
    acceptAll->setToolTip(QStringLiteral("Принять все непроверенные ссылки (Ctrl+Shift+Enter)"));
    for (QWidget* w : std::initializer_list<QWidget*> { m_filter, m_grouped, acceptAll })
        w->setFocusPolicy(Qt::TabFocus);

    m_list->setObjectName(QStringLiteral("reviewList"));
    m_list->setModel(m_model);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setWordWrap(false);
    m_list->setAlternatingRowColors(true);
    m_list->verticalHeader()->hide();
    // One height for every row, and widths that never ask the rows: thousands of rows cost nothing.
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 6);
    QHeaderView* header = m_list->horizontalHeader();
    header->setStretchLastSection(true);
    const QFontMetrics metrics(m_list->font());
    m_list->setColumnWidth(CReviewModel::LineColumn, metrics.horizontalAdvance(QStringLiteral("Строка 9")) + 12);
    m_list->setColumnWidth(CReviewModel::BaseColumn, metrics.horizontalAdvance(QStringLiteral("локальная")) + 16);
    m_list->setColumnWidth(CReviewModel::StateColumn, metrics.horizontalAdvance(QStringLiteral("нужно решение")) + 16);
    m_list->setColumnWidth(CReviewModel::DocumentColumn, metrics.averageCharWidth() * 32);

    auto* tools = new QHBoxLayout;
    tools->addWidget(new QLabel(QStringLiteral("Показать:"), this));
    tools->addWidget(m_filter);
    tools->addWidget(m_grouped);
    tools->addStretch();
    tools->addWidget(acceptAll);
    auto* pane = new QWidget(this);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_statistics);
    layout->addWidget(m_counts);
    layout->addLayout(tools);
    layout->addWidget(m_list, 1);
    setWidget(pane);
    setFocusProxy(m_list);

    connect(m_filter, &QComboBox::currentIndexChanged, this, [this] {
        const std::vector<std::size_t> rows = CurrentRows();
        m_model->SetFilter(static_cast<ReviewFilter>(m_filter->currentData().toInt()));
        SelectListRow(rows.empty() ? 0 : std::max(0, m_model->ListRowOf(rows.front())));
    });
    connect(m_grouped, &QCheckBox::toggled, this, [this](bool on) {
        const std::vector<std::size_t> rows = CurrentRows();
        m_model->SetGrouped(on);
        SelectListRow(rows.empty() ? 0 : std::max(0, m_model->ListRowOf(rows.front())));
    });
    connect(acceptAll, &QPushButton::clicked, this, &CReviewDock::AcceptAll);
    connect(m_list, &CReviewList::AcceptRequested, this, &CReviewDock::AcceptCurrent);
    connect(m_list, &CReviewList::RejectRequested, this, &CReviewDock::RejectCurrent);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this](const QModelIndex& current) { Follow(current); });

    // Tags edited, moved or deleted by hand: the places anew once the edit is over.
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(0);
    connect(&m_refresh, &QTimer::timeout, this, &CReviewDock::RefreshNow);
    const CLineModel* lines = &view.Model();
    connect(lines, &QAbstractItemModel::modelReset, this, &CReviewDock::ScheduleRefresh);
    connect(lines, &QAbstractItemModel::rowsInserted, this, &CReviewDock::ScheduleRefresh);
    connect(lines, &QAbstractItemModel::rowsRemoved, this, &CReviewDock::ScheduleRefresh);
    connect(lines, &QAbstractItemModel::dataChanged, this, &CReviewDock::ScheduleRefresh);
    UpdateCounts();
}

void CReviewDock::ScheduleRefresh()
{
    if (!m_refresh.isActive())
        m_refresh.start();
}

void CReviewDock::RefreshNow()
{
    m_refresh.stop();
    const std::vector<std::size_t> rows = CurrentRows();
    m_model->Refresh();
    const int row = rows.empty() ? -1 : m_model->ListRowOf(rows.front());
    if (row >= 0) {
        m_quiet = true;
        m_list->setCurrentIndex(m_model->index(row, 0));
        m_quiet = false;
    }
    UpdateCounts();
    emit Changed();
}

void CReviewDock::UpdateCounts()
{
    const CReview::CCounts& counts = m_model->Counts();
    const QString text = counts.rows ? QString::fromStdString(CReview::CountText(counts)) : QString();
    m_counts->setText(text);
    m_statusPane->setText(text);
    m_statusPane->setVisible(counts.rows > 0);
}

std::size_t CReviewDock::Undecided() const { return m_model->Counts().unreviewed + m_model->Counts().open; }

bool CReviewDock::CanAcceptAll() const { return !m_doc.bBusy && m_model->Counts().unreviewed > 0; }

void CReviewDock::ShowReview(const QString& statistics)
{
    m_statistics->setText(statistics);
    RefreshNow();
    show();
    raise();
    const int first = m_model->NextUndecided(kNone);
    m_showing = true;
    SelectListRow(first >= 0 ? first : 0);
    m_showing = false;
    m_list->setFocus();
}

std::vector<std::size_t> CReviewDock::CurrentRows() const { return m_model->RowsOf(m_list->currentIndex().row()); }

void CReviewDock::SelectListRow(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    const QModelIndex index = m_model->index(row, 0);
    if (index == m_list->currentIndex())
        Follow(index);
    else
        m_list->setCurrentIndex(index);
    m_list->scrollTo(index);
}

void CReviewDock::Follow(const QModelIndex& current)
{
    // Not under a pass waiting for an answer: its line stands selected.
    if (m_quiet || (m_doc.bBusy && !m_showing))
        return;
    const std::vector<std::size_t> rows = m_model->RowsOf(current.row());
    if (rows.empty())
        return;
    const CReviewPlace* place = m_model->Place(rows.front());
    if (!place || place->line == kNone)
        return;
    // The view's own selection: the line shown, its panes and the requisites bar updated.
    m_view.Rows().Select(static_cast<int>(place->line));
    // The line is selected; the bar shows the document its tags link.
    const CLineModel& lines = m_view.Model();
    if (m_frame && m_frame->IsRequisitesBarVisible() && place->firstTag < static_cast<std::size_t>(lines.Count())) {
        const CLineRecord& tag = lines.Record(static_cast<int>(place->firstTag));
        const CDocRecvisits& linked = m_doc.review.Rows()[rows.front()].local ? tag.recvLocal : tag.recvOrvo;
        if (linked.nBaseNumber != -1)
            m_frame->SetRequisitesText(FromCp1251(linked.Describe()));
    }
    if (isVisible())
        m_list->setFocus();
}

void CReviewDock::MoveToNext(std::size_t after)
{
    const int next = m_model->NextUndecided(after);
    if (next >= 0) {
        SelectListRow(next);
        return;
    }
    const int same = m_model->ListRowOf(after);
    SelectListRow(same >= 0 ? same : m_model->rowCount() - 1);
}

void CReviewDock::AcceptCurrent()
{
    if (m_doc.bBusy)
        return;
    const std::vector<std::size_t> rows = CurrentRows();
    if (rows.empty())
        return;
    const CReviewPlace* place = m_model->Place(rows.front());
    if (rows.size() == 1 && place && place->state == ReviewOpen) {
        // The line's candidates dialog; the row then tells what was decided. Whatever the dialogs
        // place is one step of the history.
        {
            const CUndoScope step = m_view.Editor().Step("решение по строке " + std::to_string(place->line + 1));
            m_doc.DecideReviewRow(rows.front());
        }
        RefreshNow();
        MoveToNext(rows.front());
        // Back from the dialogs: the keys are the list's again.
        window()->activateWindow();
        m_list->setFocus();
        return;
    }
    m_doc.review.Accept(m_view.Editor(), rows);
    RefreshNow();
    MoveToNext(rows.back());
}

void CReviewDock::RejectCurrent()
{
    if (m_doc.bBusy)
        return;
    const std::vector<std::size_t> rows = CurrentRows();
    if (rows.empty())
        return;
    // All the rows of a group in one undo step.
    if (m_doc.review.Reject(m_view.Editor(), rows) > 0)
        m_doc.SetModified();
    RefreshNow();
    MoveToNext(rows.back());
}

void CReviewDock::AcceptAll()
{
    RefreshNow();
    if (!CanAcceptAll())
        return;
    const std::size_t count = m_model->Counts().unreviewed;
    const QString question = QStringLiteral("Принять все непроверенные ссылки (%1)?").arg(count);
    if (m_doc.Ui().MessageBox(question.toStdString(), MsgIcon::Question, MsgButtons::YesNo) != AnswerYes)
        return;
    m_doc.review.AcceptAll(m_view.Editor());
    RefreshNow();
    const int next = m_model->NextUndecided(kNone);
    if (next >= 0)
        SelectListRow(next);
    m_list->setFocus();
}
