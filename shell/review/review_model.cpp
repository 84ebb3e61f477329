#include "shell/review/review_model.h"

#include "view/line_model.h"
#include "view/qt_text.h"

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// A state no single row has: the rows of a group decided differently.
constexpr std::uint8_t kMixed = 0xFF;

} // namespace

CReviewModel::CReviewModel(const CReview& review, const CLineModel& lines, QObject* parent)
    : QAbstractTableModel(parent)
    , m_review(review)
    , m_lines(lines)
{
}

int CReviewModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return static_cast<int>(m_grouped ? m_groups.size() : m_ordered.size());
}

int CReviewModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QString CReviewModel::StateText(std::uint8_t state)
{
    switch (state) {
    case ReviewUnreviewed:
        return QStringLiteral("не проверена");
    case ReviewAccepted:
        return QStringLiteral("принята");
    case ReviewRejected:
        return QStringLiteral("отклонена");
    case ReviewOpen:
        return QStringLiteral("нужно решение");
    case kMixed:
        return QStringLiteral("проверена частично");
    default:
        return QString();
    }
}

// "100115 ФЕДЕРАЛЬНЫЙ ЗАКОН N 426-ФЗ от 28.12.2013 О СПЕЦИАЛЬНОЙ ОЦЕНКЕ УСЛОВИЙ ТРУДА": one line of
// what the requisites bar shows in full (the tool tip shows that).
QString CReviewModel::ShortDescription(const CDocRecvisits& doc)
{
    QString text = QString::number(doc.nBaseNumber);
    if (!doc.types.empty())
        text += u' ' + FromCp1251(doc.types.front());
    if (!doc.numbers.empty())
        text += QStringLiteral(" N ") + FromCp1251(doc.numbers.front());
    if (!doc.adoptionDates.empty())
        text += QStringLiteral(" от ") + FromCp1251(doc.adoptionDates.front().Format());
    if (!doc.name.empty())
        text += u' ' + FromCp1251(doc.name);
    return text.simplified();
}

QString CReviewModel::DocumentText(std::size_t k) const
{
    const CReviewRow& row = m_review.Rows()[k];
    if (row.linked.empty())
        return QString();
    QString text = ShortDescription(row.linked.front());
    if (row.linked.size() > 1)
        text += QStringLiteral(" (и ещё %1)").arg(row.linked.size() - 1);
    return text;
}

QString CReviewModel::WhyText(std::size_t k) const
{
    const CReviewRow& row = m_review.Rows()[k];
    if (m_places[k].state == ReviewOpen)
        return QStringLiteral("кандидатов: %1").arg(row.candidateCount);
    return QString::fromUtf8(LineWhyText(row.why));
}

std::uint8_t CReviewModel::GroupState(const std::vector<std::size_t>& rows) const
{
    std::uint8_t state = ReviewNone;
    bool first = true;
    for (std::size_t k : rows) {
        const std::uint8_t s = m_places[k].state;
        if (s == ReviewOpen || s == ReviewUnreviewed)
            return s;
        if (!first && s != state)
            state = kMixed;
        else if (first)
            state = s;
        first = false;
    }
    return state;
}

QVariant CReviewModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const std::vector<std::size_t> rows = RowsOf(index.row());
    if (rows.empty())
        return {};
    const std::size_t k = rows.front();
    const CReviewRow& row = m_review.Rows()[k];
    if (role == ReviewRowRole)
        return static_cast<qulonglong>(k);
    if (role == Qt::TextAlignmentRole && index.column() == LineColumn)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::ToolTipRole && index.column() == DocumentColumn) {
        QStringList all;
        for (const CDocRecvisits& doc : row.linked)
            all << FromCp1251(doc.Describe());
        return all.join(u'\n');
    }
    if (role != Qt::DisplayRole)
        return {};
    const bool group = rows.size() > 1;
    switch (index.column()) {
    case LineColumn:
        return static_cast<qulonglong>(m_places[k].line + 1);
    case BaseColumn:
        return row.local ? QStringLiteral("локальная") : QStringLiteral("Орво");
    case StateColumn:
        return StateText(group ? GroupState(rows) : m_places[k].state);
    case DocumentColumn:
        return DocumentText(k);
    case WhyColumn:
        return group ? QStringLiteral("ссылок: %1").arg(rows.size()) : WhyText(k);
    default:
        return {};
    }
}

QVariant CReviewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case LineColumn:
        return QStringLiteral("Строка");
    case BaseColumn:
        return QStringLiteral("База");
    case StateColumn:
        return QStringLiteral("Состояние");
    case DocumentColumn:
        return QStringLiteral("Документ");
    case WhyColumn:
        return QStringLiteral("Почему");
    default:
        return {};
    }
}

void CReviewModel::Refresh()
{
    beginResetModel();
    m_places = m_review.Places(m_lines.Records());
    m_counts = m_review.Count(m_places);
    Rebuild();
    endResetModel();
}

void CReviewModel::SetFilter(ReviewFilter filter)
{
    if (filter == m_filter)
        return;
    beginResetModel();
    m_filter = filter;
    Rebuild();
    endResetModel();
}

void CReviewModel::SetGrouped(bool grouped)
{
    if (grouped == m_grouped)
        return;
    beginResetModel();
    m_grouped = grouped;
    Rebuild();
    endResetModel();
}

void CReviewModel::Rebuild()
{
    // The review may have changed size since the places were taken (a new document's analysis).
    if (m_places.size() != m_review.Size())
        m_places = m_review.Places(m_lines.Records());
    m_ordered = m_review.Ordered(m_places, m_filter);
    m_groups.clear();
    if (m_grouped)
        m_groups = m_review.Groups(m_ordered);
    m_listRowOf.assign(m_review.Size(), -1);
    if (m_grouped) {
        for (std::size_t g = 0; g < m_groups.size(); ++g)
            for (std::size_t k : m_groups[g].rows)
                m_listRowOf[k] = static_cast<int>(g);
    } else {
        for (std::size_t i = 0; i < m_ordered.size(); ++i)
            m_listRowOf[m_ordered[i]] = static_cast<int>(i);
    }
}

std::vector<std::size_t> CReviewModel::RowsOf(int listRow) const
{
    if (listRow < 0)
        return {};
    const auto at = static_cast<std::size_t>(listRow);
    if (m_grouped)
        return at < m_groups.size() ? m_groups[at].rows : std::vector<std::size_t> {};
    return at < m_ordered.size() ? std::vector<std::size_t> { m_ordered[at] } : std::vector<std::size_t> {};
}

int CReviewModel::ListRowOf(std::size_t k) const { return k < m_listRowOf.size() ? m_listRowOf[k] : -1; }

bool CReviewModel::Undecided(int listRow) const
{
    for (std::size_t k : RowsOf(listRow))
        if (m_places[k].state == ReviewUnreviewed || m_places[k].state == ReviewOpen)
            return true;
    return false;
}

int CReviewModel::NextUndecided(std::size_t k) const
{
    const int rows = rowCount();
    // The list is in text order; a row of the same line stands after k when it is a local one.
    const std::size_t line = k < m_places.size() ? m_places[k].line : kNone;
    const bool local = k < m_review.Size() && m_review.Rows()[k].local;
    for (int r = 0; r < rows; ++r) {
        const std::size_t first = RowsOf(r).front();
        const std::size_t at = m_places[first].line;
        const bool after = line == kNone || at > line || (at == line && !local && m_review.Rows()[first].local);
        if (after && Undecided(r))
            return r;
    }
    for (int r = 0; r < rows; ++r)
        if (Undecided(r))
            return r;
    return -1;
}
