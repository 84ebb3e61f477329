#include "view/line_model.h"

#include <algorithm>
#include <utility>

#include <QByteArray>
#include <QIcon>

#include "view/line_text.h"

CLineModel::CLineModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

int CLineModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Count(); }

QVariant CLineModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= Count() || index.column() != 0)
        return {};
    const int row = index.row();
    switch (role) {
    case Qt::DisplayRole:
        return LineDisplayText(Text(row));
    case Qt::DecorationRole: {
        const int picture = Picture(row);
        return picture == PictureNone ? QVariant() : QVariant(LinePictureIcon(picture));
    }
    case TextRole: {
        const std::string& text = Text(row);
        return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
    }
    case KindRole:
        return Record(row).nKind;
    case BookmarkRole:
        return Record(row).bBookmark != 0;
    case PictureRole:
        return Picture(row);
    case LongestLineRole:
        return LongestLine();
    default:
        return {};
    }
}

QVariant CLineModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return QStringLiteral("Текст документа");
    return {};
}

Qt::ItemFlags CLineModel::flags(const QModelIndex& index) const
{
    // Rows are never edited through the model: anchors have their own editor, tags their commands.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

void CLineModel::Reset(std::vector<std::string> texts, std::vector<CLineRecord> records)
{
    beginResetModel();
    m_texts = std::move(texts);
    m_records = std::move(records);
    m_records.resize(m_texts.size());
    m_longestKnown = false;
    endResetModel();
}

void CLineModel::Clear() { Reset({}, {}); }

void CLineModel::Copy(std::vector<std::string>& texts, std::vector<CLineRecord>* records) const
{
    texts = m_texts;
    if (records)
        *records = m_records;
}

void CLineModel::SetText(int row, std::string text)
{
    if (text.size() >= Text(row).size())
        m_longest = std::max(m_longest, static_cast<int>(text.size()));
    else
        m_longestKnown = false;
    m_texts[static_cast<std::size_t>(row)] = std::move(text);
    RowChanged(row, { Qt::DisplayRole, TextRole });
}

void CLineModel::SetRecord(int row, CLineRecord record)
{
    m_records[static_cast<std::size_t>(row)] = std::move(record);
    RowChanged(row, { Qt::DecorationRole, KindRole, BookmarkRole, PictureRole });
}

void CLineModel::SetBookmark(int row, bool on)
{
    m_records[static_cast<std::size_t>(row)].bBookmark = on ? 1 : 0;
    RowChanged(row, { Qt::DecorationRole, BookmarkRole, PictureRole });
}

void CLineModel::SetReviewState(int row, bool local, std::uint8_t state)
{
    m_records[static_cast<std::size_t>(row)].ReviewState(local) = state;
}

void CLineModel::InsertLine(int row, std::string text, CLineRecord record)
{
    beginInsertRows(QModelIndex(), row, row);
    m_longest = std::max(m_longest, static_cast<int>(text.size()));
    m_texts.insert(m_texts.begin() + row, std::move(text));
    m_records.insert(m_records.begin() + row, std::move(record));
    endInsertRows();
}

void CLineModel::RemoveLine(int row)
{
    beginRemoveRows(QModelIndex(), row, row);
    if (static_cast<int>(Text(row).size()) >= m_longest)
        m_longestKnown = false;
    m_texts.erase(m_texts.begin() + row);
    m_records.erase(m_records.begin() + row);
    endRemoveRows();
}

void CLineModel::SwapLines(int a, int b)
{
    if (a == b)
        return;
    std::swap(m_texts[static_cast<std::size_t>(a)], m_texts[static_cast<std::size_t>(b)]);
    std::swap(m_records[static_cast<std::size_t>(a)], m_records[static_cast<std::size_t>(b)]);
    RowChanged(a, {});
    RowChanged(b, {});
}

void CLineModel::MoveLine(int from, int to)
{
    if (from == to)
        return;
    // Qt counts the destination before the removal.
    beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to);
    std::string text = std::move(m_texts[static_cast<std::size_t>(from)]);
    CLineRecord record = std::move(m_records[static_cast<std::size_t>(from)]);
    m_texts.erase(m_texts.begin() + from);
    m_records.erase(m_records.begin() + from);
    m_texts.insert(m_texts.begin() + to, std::move(text));
    m_records.insert(m_records.begin() + to, std::move(record));
    endMoveRows();
}

bool CLineModel::IsShownSuspicious(int row) const
{
    const CLineRecord& record = Record(row);
    return record.nKind == Suspicious && IsShownLine(record, m_shown);
}

void CLineModel::PicturesChanged()
{
    if (Count() > 0)
        emit dataChanged(index(0), index(Count() - 1), { Qt::DecorationRole, PictureRole });
}

int CLineModel::LongestLine() const
{
    if (!m_longestKnown) {
        m_longest = 0;
        for (const std::string& text : m_texts)
            m_longest = std::max(m_longest, static_cast<int>(text.size()));
        m_longestKnown = true;
    }
    return m_longest;
}

void CLineModel::RowChanged(int row, const QList<int>& roles)
{
    const QModelIndex at = index(row);
    emit dataChanged(at, at, roles);
}
