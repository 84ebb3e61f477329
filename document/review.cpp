#include "document/review.h"

#include <algorithm>
#include <unordered_map>

#include "core/ref_maker.h"
#include "document/tag_editor.h"

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

bool IsTagOf(const CLineRecord& record, bool local)
{
    return local ? record.nKind == InnerLinkNew || record.nKind == InnerLinkExisting
                 : record.nKind == OrvoLinkNew || record.nKind == OrvoLinkExisting;
}

std::uint64_t Key(bool local, std::uint32_t id) { return (static_cast<std::uint64_t>(local) << 32) | id; }

// "1 214": thousands grouped by a blank, as the status bar shows counts.
std::string Grouped(std::size_t n)
{
    std::string digits = std::to_string(n);
    for (std::size_t at = digits.size(); at > 3;) {
        at -= 3;
        digits.insert(at, " ");
    }
    return digits;
}

} // namespace

void CReview::Add(const CReviewNote& note)
{
    CReviewRow row;
    row.id = note.id;
    row.local = note.local;
    row.kind = note.kind;
    row.why = note.why;
    row.candidateCount = note.candidateCount;
    row.linked = note.linked;
    row.anchorChanges = note.anchorChanges;
    m_rows.push_back(std::move(row));
}

template <typename RecordAt>
std::vector<CReviewPlace> CReview::PlacesOf(std::size_t count, const RecordAt& recordAt) const
{
    std::vector<CReviewPlace> places(m_rows.size());
    if (m_rows.empty())
        return places;
    std::unordered_map<std::uint64_t, std::size_t> index;
    index.reserve(m_rows.size() * 2);
    for (std::size_t k = 0; k < m_rows.size(); ++k)
        index.emplace(Key(m_rows[k].local, m_rows[k].id), k);
    for (std::size_t line = 0; line < count; ++line) {
        const CLineRecord& record = recordAt(line);
        for (bool local : { false, true }) {
            const std::uint32_t id = record.ReviewId(local);
            if (id == 0)
                continue;
            const auto found = index.find(Key(local, id));
            if (found == index.end())
                continue;
            CReviewPlace& place = places[found->second];
            if (IsTagKind(record.nKind)) {
                // A tag of the other base copies the line's record: only a tag of the row's base is the row's.
                if (!IsTagOf(record, local))
                    continue;
                if (place.firstTag == kNone)
                    place.firstTag = line;
                ++place.tags;
                place.tagLines.push_back(line);
            } else if (place.line == kNone) {
                place.line = line;
                place.state = record.ReviewState(local);
            }
        }
    }
    return places;
}

std::vector<CReviewPlace> CReview::Places(const std::vector<CLineRecord>& records) const
{
    return PlacesOf(records.size(), [&](std::size_t line) -> const CLineRecord& { return records[line]; });
}

std::vector<CReviewPlace> CReview::Places(const CLineRows& rows) const
{
    return PlacesOf(static_cast<std::size_t>(std::max(rows.Count(), 0)),
        [&](std::size_t line) -> const CLineRecord& { return rows.Record(static_cast<int>(line)); });
}

std::vector<std::size_t> CReview::Ordered(const std::vector<CReviewPlace>& places, ReviewFilter filter) const
{
    std::vector<std::size_t> ordered;
    ordered.reserve(m_rows.size());
    for (std::size_t k = 0; k < m_rows.size() && k < places.size(); ++k) {
        const CReviewPlace& place = places[k];
        if (place.line == kNone)
            continue;
        if (filter == ReviewFilter::Unreviewed && place.state != ReviewUnreviewed && place.state != ReviewOpen)
            continue;
        if (filter == ReviewFilter::Open && place.state != ReviewOpen)
            continue;
        ordered.push_back(k);
    }
    // Told per base in text order: the two runs merged by line, Orvo first on a line.
    std::stable_sort(ordered.begin(), ordered.end(), [&](std::size_t a, std::size_t b) {
        if (places[a].line != places[b].line)
            return places[a].line < places[b].line;
        return !m_rows[a].local && m_rows[b].local;
    });
    return ordered;
}

CReview::CCounts CReview::Count(const std::vector<CReviewPlace>& places) const
{
    CCounts counts;
    for (const CReviewPlace& place : places) {
        if (place.line == kNone)
            continue;
        ++counts.rows;
        counts.reviewed += place.state == ReviewAccepted || place.state == ReviewRejected;
        counts.unreviewed += place.state == ReviewUnreviewed;
        counts.open += place.state == ReviewOpen;
    }
    return counts;
}

std::string CReview::CountText(const CCounts& counts)
{
    return "проверено " + Grouped(counts.reviewed) + " из " + Grouped(counts.rows)
        + " · нужно решение: " + Grouped(counts.open);
}

std::size_t CReview::Accept(CLineRows& rows, const std::vector<std::size_t>& which) const
{
    std::vector<CLineRecord> records;
    std::vector<std::string> texts;
    rows.Copy(texts, records);
    const std::vector<CReviewPlace> places = Places(records);
    std::size_t changed = 0;
    for (std::size_t k : which) {
        if (k >= m_rows.size() || places[k].line == kNone || places[k].state != ReviewUnreviewed)
            continue;
        rows.SetReviewState(static_cast<int>(places[k].line), m_rows[k].local, ReviewAccepted);
        ++changed;
    }
    return changed;
}

std::size_t CReview::AcceptAll(CLineRows& rows) const
{
    std::vector<std::size_t> all(m_rows.size());
    for (std::size_t k = 0; k < all.size(); ++k)
        all[k] = k;
    return Accept(rows, all);
}

std::size_t CReview::Accept(CTagEditor& editor, const std::vector<std::size_t>& which) const
{
    const CUndoScope step = editor.Step(which.size() > 1 ? "принятие ссылок" : "принятие ссылки");
    return Accept(editor.Rows(), which);
}

std::size_t CReview::AcceptAll(CTagEditor& editor) const
{
    const CUndoScope step = editor.Step("принятие всех ссылок");
    return AcceptAll(editor.Rows());
}

std::size_t CReview::Reject(CTagEditor& editor, const std::vector<std::size_t>& which) const
{
    CLineRows& rows = editor.Rows();
    std::vector<std::string> texts;
    std::vector<CLineRecord> records;
    rows.Copy(texts, records);
    const std::vector<CReviewPlace> places = Places(records);
    std::vector<std::size_t> chosen;
    for (std::size_t k : which)
        if (k < m_rows.size() && places[k].line != kNone && places[k].state != ReviewRejected)
            chosen.push_back(k);
    if (chosen.empty())
        return 0;
    const CUndoScope step = editor.Step(chosen.size() > 1 ? "отклонение ссылок" : "отклонение ссылки");
    for (std::size_t k : chosen)
        CRefMaker::TakeBackReviewRow(texts, records, m_rows[k].local, m_rows[k].id, m_rows[k].anchorChanges);
    // The lines stand where they stood once their tags are gone; states go on the lines.
    const std::vector<CReviewPlace> after = Places(records);
    for (std::size_t k : chosen)
        if (after[k].line != kNone)
            records[after[k].line].ReviewState(m_rows[k].local) = ReviewRejected;
    rows.Replace(std::move(texts), std::move(records));
    return chosen.size();
}

void CReview::Decided(std::vector<CLineRecord>& records, std::size_t row, const std::vector<std::size_t>& placedTags)
{
    if (row >= m_rows.size())
        return;
    CReviewRow& r = m_rows[row];
    r.linked.clear();
    for (std::size_t at : placedTags) {
        if (at >= records.size() || !IsTagOf(records[at], r.local))
            continue;
        records[at].ReviewId(r.local) = r.id;
        r.linked.push_back(r.local ? records[at].recvLocal : records[at].recvOrvo);
    }
    r.kind = r.linked.empty() ? LineClass::Open : LineClass::Link;
    const std::vector<CReviewPlace> places = Places(records);
    if (places[row].line != kNone)
        records[places[row].line].ReviewState(r.local) = r.linked.empty() ? ReviewRejected : ReviewAccepted;
}

std::vector<CReview::CGroup> CReview::Groups(const std::vector<std::size_t>& ordered) const
{
    std::vector<CGroup> groups;
    std::unordered_map<std::uint64_t, std::size_t> byDocument;
    for (std::size_t k : ordered) {
        if (k >= m_rows.size())
            continue;
        const CReviewRow& r = m_rows[k];
        if (r.kind != LineClass::Link || r.linked.empty()) {
            groups.push_back({ r.local, -1, { k } });
            continue;
        }
        const std::int32_t number = r.linked.front().nBaseNumber;
        const std::uint64_t key = Key(r.local, static_cast<std::uint32_t>(number));
        const auto found = byDocument.find(key);
        if (found == byDocument.end()) {
            byDocument.emplace(key, groups.size());
            groups.push_back({ r.local, number, { k } });
        } else {
            groups[found->second].rows.push_back(k);
        }
    }
    return groups;
}
