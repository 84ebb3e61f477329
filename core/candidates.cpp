#include "core/candidates.h"

#include <algorithm>

#include "base/codepage.h"

namespace {

template <typename T>
void RemoveDuplicates(std::vector<T>& items)
{
    std::vector<T> kept;
    kept.reserve(items.size());
    for (auto& item : items)
        if (std::find(kept.begin(), kept.end(), item) == kept.end())
            kept.push_back(std::move(item));
    items = std::move(kept);
}

// Every element of one list occurs in the other; order and repetitions do not matter. Lists are
// vectors, spans of stored ids or stored date lists: anything with size() and [].
template <typename A, typename B>
bool AllIn(const A& part, const B& whole)
{
    for (std::size_t i = 0; i < part.size(); ++i) {
        bool found = false;
        for (std::size_t j = 0; j < whole.size() && !found; ++j)
            found = part[i] == whole[j];
        if (!found)
            return false;
    }
    return true;
}

// As sets: a list may repeat an element, so the shorter list is not always the one contained.
template <typename A, typename B>
bool OneHoldsTheOther(const A& a, const B& b)
{
    return AllIn(a, b) || AllIn(b, a);
}

// One kind's point: both lists empty counts only for numbers and dates.
template <typename A, typename B>
bool Point(const A& found, const B& stored, bool bothEmptyCounts)
{
    if (found.empty() || stored.empty())
        return bothEmptyCounts && found.empty() && stored.empty();
    return OneHoldsTheOther(found, stored);
}

template <typename Ids, typename Dates>
int Score(const Ids& types, const Ids& bodies, const Ids& numbers, const Dates& dates, const CFoundIds& found)
{
    return int(Point(found.types, types, false)) + int(Point(found.bodies, bodies, false))
        + int(Point(found.numbers, numbers, true)) + int(Point(found.dates, dates, true));
}

// Whether the stored record at row is scored at all, and then whether it is a candidate.
bool IsCandidate(const CDocRecords& records, std::size_t row, const CFoundIds& found, const COleDate& effective,
    bool skipWithoutNumberOrDate)
{
    const COleDate& edition = records.EditionDate(row);
    if (!edition.IsNoDate() && effective < edition)
        return false;
    if (skipWithoutNumberOrDate && records.NumberIds(row).empty() && records.AdoptionDates(row).empty())
        return false;
    return ScoreRecord(records, row, found) >= 3;
}

COleDate CandidateDate(const CDocRecvisits& r)
{
    if (!r.editionDate.IsNoDate())
        return r.editionDate;
    if (!r.adoptionDates.empty())
        return r.adoptionDates.front();
    return COleDate::NoDate();
}

} // namespace

std::vector<std::string> FindNumbers(std::string_view t)
{
    std::vector<std::string> numbers;
    std::size_t pos = 0;
    while (pos < t.size()) {
        const std::size_t hit = t.find(" N ", pos);
        if (hit == std::string_view::npos)
            break;
        std::size_t start = hit + 3;
        while (start < t.size() && t[start] == ' ')
            ++start;
        std::size_t end = t.find(' ', start);
        if (end == std::string_view::npos)
            end = t.size();
        std::string number = CleanNumber(t.substr(start, end - start));
        if (!number.empty())
            numbers.push_back(std::move(number));
        // Go on from the number's first character: an " N " among the skipped blanks is not seen.
        pos = start;
        if (start >= t.size())
            break;
    }
    return numbers;
}

CFoundRequisites RecognizeRequisites(
    std::string_view text, const CPhraseSet& typePhrases, const CPhraseSet& bodyPhrases)
{
    const std::string t = " " + NormalizeText(text) + " ";
    CFoundRequisites found;
    const std::vector<std::string> words = SplitMatchWords(text);
    found.types = FindValuesInWords(words, typePhrases);
    found.bodies = FindValuesInWords(words, bodyPhrases);
    found.numbers = FindNumbers(t);
    FindNumericDates(t, found.dates);
    FindMonthNameDates(t, found.dates);
    RemoveDuplicates(found.types);
    RemoveDuplicates(found.bodies);
    RemoveDuplicates(found.numbers);
    RemoveDuplicates(found.dates);
    std::stable_sort(found.dates.begin(), found.dates.end());
    return found;
}

CFoundIds ToFoundIds(const CDocDict& dict, const std::vector<std::string>& types, const std::vector<std::string>& bodies,
    const std::vector<std::string>& numbers, const std::vector<COleDate>& dates)
{
    CFoundIds ids;
    CDocDict::AppendIds(types, dict.types, ids.types);
    CDocDict::AppendIds(bodies, dict.bodies, ids.bodies);
    CDocDict::AppendIds(numbers, dict.numbers, ids.numbers);
    std::sort(ids.types.begin(), ids.types.end());
    std::sort(ids.bodies.begin(), ids.bodies.end());
    std::sort(ids.numbers.begin(), ids.numbers.end());
    ids.dates = dates;
    std::stable_sort(ids.dates.begin(), ids.dates.end());
    return ids;
}

int ScoreRecord(const CDocRec& rec, const CFoundIds& found)
{
    return Score(rec.typeIds, rec.bodyIds, rec.numberIds, rec.adoptionDates, found);
}

int ScoreRecord(const CDocRecords& records, std::size_t row, const CFoundIds& found)
{
    return Score(records.TypeIds(row), records.BodyIds(row), records.NumberIds(row), records.AdoptionDates(row), found);
}

std::vector<CDocRec> ScoreDocumentsByScan(
    const CDocDict& dict, const CFoundIds& found, const COleDate& effective, bool skipWithoutNumberOrDate)
{
    std::vector<CDocRec> candidates;
    for (std::size_t row = 0; row < dict.records.size(); ++row)
        if (IsCandidate(dict.records, row, found, effective, skipWithoutNumberOrDate))
            candidates.push_back(dict.records.Get(row));
    return candidates;
}

std::vector<CDocRec> ScoreDocuments(
    const CDocDict& dict, const CFoundIds& found, const COleDate& effective, bool skipWithoutNumberOrDate)
{
    // Types and bodies give two points at most: a candidate earns the number point or the date
    // point, and the index names every record that can (less those that cannot reach three).
    std::vector<std::uint32_t> rows;
    dict.records.CandidateRows(found.types, found.bodies, found.numbers, found.dates, rows);
    // The rows lie scattered over a large dictionary: each record's slot, then its ids and dates,
    // are asked for some rows ahead, so that their memory is on its way while others are scored.
    constexpr std::size_t kAhead = 8;
    const CDocRecords& records = dict.records;
    for (std::size_t k = 0; k < rows.size() && k < 2 * kAhead; ++k)
        records.PrefetchSlot(rows[k]);
    std::vector<CDocRec> candidates;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        if (k + 2 * kAhead < rows.size())
            records.PrefetchSlot(rows[k + 2 * kAhead]);
        if (k + kAhead < rows.size())
            records.Prefetch(rows[k + kAhead]);
        if (IsCandidate(records, rows[k], found, effective, skipWithoutNumberOrDate))
            candidates.push_back(records.Get(rows[k]));
    }
    return candidates;
}

void MergeDuplicates(std::vector<CDocRec>& records)
{
    const auto same = [](const CDocRec& a, const CDocRec& b) {
        return a.adoptionDates == b.adoptionDates && a.typeIds == b.typeIds && a.numberIds == b.numberIds
            && a.bodyIds == b.bodyIds;
    };
    for (std::size_t i = 0; i + 1 < records.size(); ++i) {
        // The group: record i, then the later equal records from the last one backwards.
        std::vector<CDocRec> group { records[i] };
        for (std::size_t j = records.size() - 1; j > i; --j) {
            if (same(records[j], records[i])) {
                group.push_back(std::move(records[j]));
                records.erase(records.begin() + static_cast<std::ptrdiff_t>(j));
            }
        }
        std::size_t latest = 0;
        for (std::size_t k = 1; k < group.size(); ++k)
            if (group[latest].editionDate < group[k].editionDate)
                latest = k;
        if (latest != 0)
            records[i] = std::move(group[latest]);
    }
}

bool CompareCandidates(const CDocRecvisits& a, const CDocRecvisits& b)
{
    const std::string na = a.numbers.empty() ? std::string() : a.numbers.front();
    const std::string nb = b.numbers.empty() ? std::string() : b.numbers.front();
    const std::int32_t va = DecimalPrefix(na);
    const std::int32_t vb = DecimalPrefix(nb);
    if (va != 0 && vb != 0 && va != vb)
        return va < vb;
    if (na != nb)
        return na < nb;
    return CandidateDate(b) < CandidateDate(a);
}

void SortCandidates(std::vector<CDocRecvisits>& candidates)
{
    std::stable_sort(candidates.begin(), candidates.end(), CompareCandidates);
}

std::vector<CCandidateAgreement> AgreementsOf(const CDocDict& dict, const std::vector<CDocRecvisits>& candidates,
    const CDocRecvisits& found, const std::vector<CCitedPair>& pairs, const CDocRecvisits& header, bool localBase)
{
    const CFoundIds ids = ToFoundIds(dict, found.types, found.bodies, found.numbers, found.adoptionDates);
    std::vector<CCandidateAgreement> agreements;
    agreements.reserve(candidates.size());
    for (const CDocRecvisits& c : candidates) {
        // The candidate's names stand for the ids its record holds.
        CFoundIds own;
        CDocDict::AppendIds(c.types, dict.types, own.types);
        CDocDict::AppendIds(c.bodies, dict.bodies, own.bodies);
        CDocDict::AppendIds(c.numbers, dict.numbers, own.numbers);
        CCandidateAgreement a;
        a.type = Point(ids.types, own.types, false);
        a.body = Point(ids.bodies, own.bodies, false);
        a.number = Point(ids.numbers, own.numbers, true);
        a.date = Point(ids.dates, c.adoptionDates, true);
        a.citedTogether = IsCitedTogether(c, pairs);
        a.itself = IsDocumentItself(c, header, localBase);
        agreements.push_back(a);
    }
    return agreements;
}
