#include "document/undo_history.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

// A step of more edits than this that follow each other down the rows is applied on copies of the
// rows in one pass and put back at once; fewer go row by row.
constexpr std::size_t kRowByRowEdits = 16;
// How far the diff looks ahead for the rows to meet again after a difference, and how many equal
// rows in a row count as meeting.
constexpr std::size_t kLookAhead = 64;
constexpr std::size_t kMeeting = 3;

std::size_t RecvBytes(const CDocRecvisits& r)
{
    std::size_t bytes = r.name.capacity() + r.adoptionDates.capacity() * sizeof(COleDate);
    for (const auto* list : { &r.types, &r.bodies, &r.numbers }) {
        bytes += list->capacity() * sizeof(std::string);
        for (const std::string& s : *list)
            bytes += s.capacity() > 15 ? s.capacity() : 0;
    }
    return bytes;
}

std::size_t EditBytes(const CUndoEdit& edit)
{
    std::size_t bytes = sizeof(CUndoEdit);
    for (const auto* rows : { &edit.before, &edit.after })
        for (const CUndoRow& row : *rows)
            bytes += UndoRowBytes(row);
    return bytes;
}

bool SameRow(const std::string& textA, const CLineRecord& a, const std::string& textB, const CLineRecord& b)
{
    return textA == textB && SameRecord(a, b);
}

// How the rows put back take the marks of the rows they replace.
struct CPutting {
    bool keepAwaiting = true; // false: awaiting marks cleared
    bool carryBookmarks = false; // a row changed in place keeps its bookmark
};

// Of the rows of an edit, those the other side has in its place: when the counts differ, the rows
// are paired from the end if more texts agree that way (a tag put before a line changed).
struct CPairing {
    std::size_t common = 0;
    std::size_t leadFrom = 0; // rows of from before the paired ones
    std::size_t leadTo = 0;
};

CPairing Pair(const std::vector<CUndoRow>& from, const std::vector<CUndoRow>& to)
{
    CPairing pairing;
    pairing.common = std::min(from.size(), to.size());
    if (from.size() == to.size())
        return pairing;
    std::size_t head = 0;
    std::size_t tail = 0;
    for (std::size_t k = 0; k < pairing.common; ++k) {
        head += from[k].text == to[k].text;
        tail += from[from.size() - 1 - k].text == to[to.size() - 1 - k].text;
    }
    if (tail > head) {
        pairing.leadFrom = from.size() - pairing.common;
        pairing.leadTo = to.size() - pairing.common;
    }
    return pairing;
}

// The bookmarks of the lines (tags aside) of count rows from at, in order.
std::vector<std::uint8_t> LineMarks(const CLineRows& rows, int at, std::size_t count)
{
    std::vector<std::uint8_t> marks;
    for (int row = at; row < at + static_cast<int>(count) && row < rows.Count(); ++row)
        if (!IsTagKind(rows.Record(row).nKind))
            marks.push_back(rows.Record(row).bBookmark);
    return marks;
}

// The marks go to the lines (tags aside) of the rows put, in order.
template <typename Record> void CarryMarks(const std::vector<std::uint8_t>& marks, std::size_t count, Record record)
{
    std::size_t next = 0;
    for (std::size_t k = 0; k < count && next < marks.size(); ++k) {
        CLineRecord* r = record(k);
        if (r && !IsTagKind(r->nKind))
            r->bBookmark = marks[next++];
    }
}

// The rows at..at+from.size() become to, row by row.
void Splice(CLineRows& rows, int at, const std::vector<CUndoRow>& from, const std::vector<CUndoRow>& to, CPutting how)
{
    const std::vector<std::uint8_t> marks
        = how.carryBookmarks ? LineMarks(rows, at, from.size()) : std::vector<std::uint8_t>();
    const CPairing pairing = Pair(from, to);
    const auto insert = [&](int row, const CUndoRow& put) {
        CLineRecord record = put.record;
        if (!how.keepAwaiting)
            record.bAwaiting = 0;
        rows.Insert(row, put.text, std::move(record));
    };
    for (std::size_t k = 0; k < pairing.leadFrom; ++k)
        rows.Remove(at);
    for (std::size_t k = 0; k < pairing.leadTo; ++k)
        insert(at + static_cast<int>(k), to[k]);
    const int first = at + static_cast<int>(pairing.leadTo);
    for (std::size_t k = 0; k < pairing.common; ++k) {
        const int row = first + static_cast<int>(k);
        const CUndoRow& put = to[pairing.leadTo + k];
        CLineRecord record = put.record;
        if (!how.keepAwaiting)
            record.bAwaiting = 0;
        if (!SameRow(rows.Text(row), rows.Record(row), put.text, record))
            rows.Set(row, put.text, std::move(record));
    }
    const int after = first + static_cast<int>(pairing.common);
    for (std::size_t k = pairing.leadFrom + pairing.common; k < from.size(); ++k)
        rows.Remove(after);
    for (std::size_t k = pairing.leadTo + pairing.common; k < to.size(); ++k)
        insert(after + static_cast<int>(k - pairing.leadTo - pairing.common), to[k]);
    if (!how.carryBookmarks)
        return;
    std::vector<CLineRecord> put;
    for (std::size_t k = 0; k < to.size(); ++k)
        put.push_back(rows.Record(at + static_cast<int>(k)));
    CarryMarks(marks, put.size(), [&](std::size_t k) { return &put[k]; });
    for (std::size_t k = 0; k < put.size(); ++k)
        if (put[k].bBookmark != rows.Record(at + static_cast<int>(k)).bBookmark)
            rows.Set(at + static_cast<int>(k), rows.Text(at + static_cast<int>(k)), std::move(put[k]));
}

bool FollowDown(const std::vector<CUndoEdit>& edits)
{
    for (std::size_t k = 1; k < edits.size(); ++k)
        if (edits[k].at < edits[k - 1].at + static_cast<int>(edits[k - 1].after.size()))
            return false;
    return true;
}

// Edits that follow each other down the rows, applied in one pass over copies: forward turns the
// rows before the step into the rows after it, backward the other way.
void Stream(CLineRows& rows, const std::vector<CUndoEdit>& edits, bool forward, CPutting how)
{
    CListRows source;
    rows.Copy(source.texts, source.records);
    CListRows out;
    out.texts.reserve(source.texts.size());
    out.records.reserve(source.records.size());
    std::size_t from = 0;
    const auto take = [&](std::size_t until) {
        while (from < until && from < source.texts.size()) {
            out.texts.push_back(std::move(source.texts[from]));
            out.records.push_back(std::move(source.records[from]));
            ++from;
        }
    };
    for (const CUndoEdit& edit : edits) {
        // Forward: at counts the rows already out; backward: the rows of the source.
        if (forward) {
            const std::size_t at = static_cast<std::size_t>(edit.at);
            if (at > out.texts.size())
                take(from + (at - out.texts.size()));
        } else {
            take(static_cast<std::size_t>(edit.at));
        }
        const std::vector<CUndoRow>& put = forward ? edit.after : edit.before;
        const std::vector<CUndoRow>& replaced = forward ? edit.before : edit.after;
        std::vector<std::uint8_t> marks;
        if (how.carryBookmarks)
            for (std::size_t k = from; k < from + replaced.size() && k < source.records.size(); ++k)
                if (!IsTagKind(source.records[k].nKind))
                    marks.push_back(source.records[k].bBookmark);
        const std::size_t first = out.records.size();
        for (const CUndoRow& row : put) {
            out.texts.push_back(row.text);
            out.records.push_back(row.record);
            if (!how.keepAwaiting)
                out.records.back().bAwaiting = 0;
        }
        CarryMarks(marks, put.size(), [&](std::size_t k) { return &out.records[first + k]; });
        from += replaced.size();
    }
    take(source.texts.size());
    rows.Replace(std::move(out.texts), std::move(out.records));
}

void Apply(CLineRows& rows, const std::vector<CUndoEdit>& edits, bool forward, CPutting how)
{
    if (edits.size() > kRowByRowEdits && FollowDown(edits)) {
        Stream(rows, edits, forward, how);
        return;
    }
    if (edits.size() > kRowByRowEdits) {
        CListRows copy;
        rows.Copy(copy.texts, copy.records);
        Apply(copy, edits, forward, how);
        rows.Replace(std::move(copy.texts), std::move(copy.records));
        return;
    }
    if (forward)
        for (const CUndoEdit& edit : edits)
            Splice(rows, edit.at, edit.before, edit.after, how);
    else
        for (auto edit = edits.rbegin(); edit != edits.rend(); ++edit)
            Splice(rows, edit->at, edit->after, edit->before, how);
}

std::vector<int> Bookmarks(const CLineRows& rows)
{
    std::vector<int> marked;
    for (int row = 0; row < rows.Count(); ++row)
        if (rows.Record(row).bBookmark)
            marked.push_back(row);
    return marked;
}

void SetBookmark(CLineRows& rows, int row, std::uint8_t on)
{
    if (row < 0 || row >= rows.Count() || rows.Record(row).bBookmark == on)
        return;
    CLineRecord record = rows.Record(row);
    record.bBookmark = on;
    rows.Set(row, rows.Text(row), std::move(record));
}

void SelectClamped(CLineRows& rows, int row)
{
    if (row < 0 || rows.Count() == 0)
        rows.ClearSelection();
    else
        rows.Select(std::min(row, rows.Count() - 1));
}

} // namespace

bool SameRecord(const CLineRecord& a, const CLineRecord& b)
{
    return a.nKind == b.nKind && a.nReviewOrvo == b.nReviewOrvo && a.nReviewLocal == b.nReviewLocal
        && a.bSuspectLocal == b.bSuspectLocal && a.bSuspectOrvo == b.bSuspectOrvo && a.bBookmark == b.bBookmark
        && a.bAwaiting == b.bAwaiting && a.reviewStateOrvo == b.reviewStateOrvo
        && a.reviewStateLocal == b.reviewStateLocal && a.recvOrvo.Equals(b.recvOrvo) && a.recvLocal.Equals(b.recvLocal)
        && a.recvFound.Equals(b.recvFound);
}

std::size_t UndoRowBytes(const CUndoRow& row)
{
    return sizeof(CUndoRow) + (row.text.capacity() > 15 ? row.text.capacity() : 0) + RecvBytes(row.record.recvOrvo)
        + RecvBytes(row.record.recvLocal) + RecvBytes(row.record.recvFound);
}

std::vector<CUndoEdit> DiffRows(
    const CLineRows& rows, const std::vector<std::string>& texts, const std::vector<CLineRecord>& records)
{
    const std::size_t n = static_cast<std::size_t>(rows.Count());
    const std::size_t m = texts.size();
    const CLineRecord blank;
    const auto newRecord = [&](std::size_t j) -> const CLineRecord& { return j < records.size() ? records[j] : blank; };
    const auto same = [&](std::size_t i, std::size_t j) {
        return SameRow(rows.Text(static_cast<int>(i)), rows.Record(static_cast<int>(i)), texts[j], newRecord(j));
    };
    std::size_t head = 0;
    while (head < n && head < m && same(head, head))
        ++head;
    std::size_t tail = 0;
    while (tail < n - head && tail < m - head && same(n - 1 - tail, m - 1 - tail))
        ++tail;
    const std::size_t oldEnd = n - tail;
    const std::size_t newEnd = m - tail;

    // The rows meet again at (i, j) when a few rows in a row are the same there, or the ends are.
    const auto meets = [&](std::size_t i, std::size_t j) {
        for (std::size_t k = 0; k < kMeeting; ++k) {
            if (i + k == oldEnd || j + k == newEnd)
                return i + k == oldEnd && j + k == newEnd;
            if (!same(i + k, j + k))
                return false;
        }
        return true;
    };
    std::vector<CUndoEdit> edits;
    std::size_t i = head;
    std::size_t j = head;
    while (i < oldEnd || j < newEnd) {
        if (i < oldEnd && j < newEnd && same(i, j)) {
            ++i;
            ++j;
            continue;
        }
        // The nearest meeting, fewest rows skipped first; none near: the rest is one edit.
        std::size_t skipOld = oldEnd - i;
        std::size_t skipNew = newEnd - j;
        bool found = false;
        for (std::size_t d = 1; d <= kLookAhead && !found; ++d) {
            for (std::size_t k = 0; k <= d && !found; ++k) {
                const std::size_t a = i + k;
                const std::size_t b = j + (d - k);
                if (a > oldEnd || b > newEnd)
                    continue;
                if (meets(a, b)) {
                    skipOld = k;
                    skipNew = d - k;
                    found = true;
                }
            }
        }
        CUndoEdit edit;
        edit.at = static_cast<int>(j);
        for (std::size_t k = 0; k < skipOld; ++k)
            edit.before.push_back({ rows.Text(static_cast<int>(i + k)), rows.Record(static_cast<int>(i + k)) });
        for (std::size_t k = 0; k < skipNew; ++k)
            edit.after.push_back({ texts[j + k], newRecord(j + k) });
        edits.push_back(std::move(edit));
        i += skipOld;
        j += skipNew;
    }
    return edits;
}

void CUndoHistory::Begin(std::string name, int selected)
{
    if (m_depth++ > 0)
        return;
    m_open = CUndoStep();
    m_open.name = std::move(name);
    m_open.selectedBefore = selected;
}

void CUndoHistory::Rename(std::string name)
{
    if (m_depth > 0)
        m_open.name = std::move(name);
}

void CUndoHistory::End(const CLineRows& rows)
{
    if (m_depth == 0 || --m_depth > 0)
        return;
    CUndoStep step = std::move(m_open);
    m_open = CUndoStep();
    if (step.edits.empty()) {
        Changed();
        return;
    }
    step.selectedAfter = rows.Selected();
    step.bookmarksAfter = Bookmarks(rows);
    step.bytes += step.bookmarksAfter.capacity() * sizeof(int) + sizeof(CUndoStep);
    Commit(std::move(step));
}

void CUndoHistory::Commit(CUndoStep step)
{
    for (const CUndoStep& gone : m_redo)
        m_bytes -= gone.bytes;
    m_redo.clear();
    m_bytes += step.bytes;
    step.id = ++m_serial;
    m_undo.push_back(std::move(step));
    Trim();
    Changed();
}

void CUndoHistory::Trim()
{
    std::size_t drop = 0;
    std::size_t bytes = m_bytes;
    while (m_undo.size() - drop > 1 && (m_undo.size() - drop > kMaxSteps || bytes > kMaxBytes)) {
        bytes -= m_undo[drop].bytes;
        ++drop;
    }
    m_undo.erase(m_undo.begin(), m_undo.begin() + static_cast<std::ptrdiff_t>(drop));
    m_bytes = bytes;
}

void CUndoHistory::Record(CUndoEdit edit)
{
    if (m_depth == 0) {
        Lost();
        return;
    }
    ++m_serial;
    // One row changed again: the step already holds what it was.
    if (!m_open.edits.empty() && edit.before.size() == 1 && edit.after.size() == 1) {
        CUndoEdit& last = m_open.edits.back();
        const int offset = edit.at - last.at;
        if (offset >= 0 && offset < static_cast<int>(last.after.size())) {
            CUndoRow& row = last.after[static_cast<std::size_t>(offset)];
            m_open.bytes -= UndoRowBytes(row);
            row = std::move(edit.after.front());
            m_open.bytes += UndoRowBytes(row);
            return;
        }
    }
    m_open.bytes += EditBytes(edit);
    m_open.edits.push_back(std::move(edit));
}

const std::string& CUndoHistory::UndoName() const
{
    static const std::string none;
    return m_undo.empty() ? none : m_undo.back().name;
}

const std::string& CUndoHistory::RedoName() const
{
    static const std::string none;
    return m_redo.empty() ? none : m_redo.back().name;
}

bool CUndoHistory::Undo(CLineRows& rows, bool keepAwaiting)
{
    if (!CanUndo())
        return false;
    const bool first = m_redo.empty();
    const int selected = rows.Selected();
    CUndoStep step = std::move(m_undo.back());
    m_undo.pop_back();
    // The bookmarks toggled since the step ended go back first, where the rows still stand.
    step.laterBookmarks.clear();
    const std::vector<int> now = Bookmarks(rows);
    std::vector<int> toggled;
    std::set_symmetric_difference(
        step.bookmarksAfter.begin(), step.bookmarksAfter.end(), now.begin(), now.end(), std::back_inserter(toggled));
    for (int row : toggled) {
        if (row >= rows.Count())
            continue;
        step.laterBookmarks.emplace_back(row, rows.Record(row).bBookmark);
        SetBookmark(rows, row, rows.Record(row).bBookmark ? 0 : 1);
    }
    Apply(rows, step.edits, false, { keepAwaiting, false });
    if (!first)
        SelectClamped(rows, step.selectedBefore);
    else if (selected >= 0 && selected < rows.Count())
        rows.Select(selected);
    else
        rows.ClearSelection();
    m_redo.push_back(std::move(step));
    ++m_serial;
    Changed();
    return true;
}

bool CUndoHistory::Redo(CLineRows& rows, bool keepAwaiting)
{
    if (!CanRedo())
        return false;
    CUndoStep step = std::move(m_redo.back());
    m_redo.pop_back();
    Apply(rows, step.edits, true, { keepAwaiting, false });
    for (const auto& [row, on] : step.laterBookmarks)
        SetBookmark(rows, row, on);
    step.laterBookmarks.clear();
    SelectClamped(rows, step.selectedAfter);
    m_undo.push_back(std::move(step));
    ++m_serial;
    Changed();
    return true;
}

void CUndoHistory::Clear()
{
    const bool had = !m_undo.empty() || !m_redo.empty();
    m_undo.clear();
    m_redo.clear();
    m_bytes = 0;
    ++m_serial;
    if (had)
        Changed();
}

void CUndoHistory::RollBack(CLineRows& rows, const CMark& mark)
{
    if (m_depth > 0) {
        if (mark.openEdits >= m_open.edits.size())
            return;
        std::vector<CUndoEdit> since(
            std::make_move_iterator(m_open.edits.begin() + static_cast<std::ptrdiff_t>(mark.openEdits)),
            std::make_move_iterator(m_open.edits.end()));
        m_open.edits.resize(mark.openEdits);
        for (const CUndoEdit& edit : since)
            m_open.bytes -= std::min(m_open.bytes, EditBytes(edit));
        Apply(rows, since, false, { true, true });
        ++m_serial;
        return;
    }
    if (m_undo.empty() || m_serial == mark.serial)
        return;
    m_bytes -= m_undo.back().bytes;
    Apply(rows, m_undo.back().edits, false, { true, true });
    m_undo.pop_back();
    ++m_serial;
    Changed();
}

void CUndoHistory::Changed()
{
    if (onChange)
        onChange();
}

void CRecordingRows::Note(CUndoEdit edit) { m_history.Record(std::move(edit)); }

void CRecordingRows::SetText(int row, std::string text)
{
    CUndoRow after { text, m_inner.Record(row) };
    Note({ row, { Row(row) }, { std::move(after) } });
    m_inner.SetText(row, std::move(text));
}

void CRecordingRows::SetReviewState(int row, bool local, std::uint8_t state)
{
    CUndoRow after = Row(row);
    after.record.ReviewState(local) = state;
    Note({ row, { Row(row) }, { std::move(after) } });
    m_inner.SetReviewState(row, local, state);
}

void CRecordingRows::Set(int row, std::string text, CLineRecord record)
{
    Note({ row, { Row(row) }, { { text, record } } });
    m_inner.Set(row, std::move(text), std::move(record));
}

void CRecordingRows::Insert(int row, std::string text, CLineRecord record)
{
    Note({ row, {}, { { text, record } } });
    m_inner.Insert(row, std::move(text), std::move(record));
}

void CRecordingRows::Remove(int row)
{
    Note({ row, { Row(row) }, {} });
    m_inner.Remove(row);
}

void CRecordingRows::Swap(int a, int b)
{
    if (a == b)
        return;
    const int first = std::min(a, b);
    const int second = std::max(a, b);
    if (second - first == 1) {
        Note({ first, { Row(first), Row(second) }, { Row(second), Row(first) } });
    } else {
        // The rows between the two stay: two edits keep only the rows exchanged.
        Note({ first, { Row(first) }, { Row(second) } });
        Note({ second, { Row(second) }, { Row(first) } });
    }
    m_inner.Swap(a, b);
}

void CRecordingRows::Replace(std::vector<std::string> texts, std::vector<CLineRecord> records)
{
    records.resize(texts.size());
    if (m_history.IsOpen())
        for (CUndoEdit& edit : DiffRows(m_inner, texts, records))
            Note(std::move(edit));
    else
        m_history.Lost();
    m_inner.Replace(std::move(texts), std::move(records));
}
