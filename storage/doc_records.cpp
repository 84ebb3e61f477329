#include "storage/doc_records.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "storage/archive.h"

namespace {

constexpr std::size_t kDateSize = 12;
constexpr std::size_t kIdSize = 4;
constexpr std::uint64_t kPoolLimit = std::numeric_limits<std::uint32_t>::max();

std::uint64_t DateBits(const COleDate& d)
{
    std::uint64_t bits;
    const double v = d.Value();
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

std::uint64_t Mix(std::uint64_t x)
{
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    return x;
}

// What COleDate's equality looks at: the value of a valid date (both zeros alike), the status
// alone of any other. Valid NaN equals nothing, itself included: such a date has no class.
bool DateClassKey(const COleDate& d, std::uint64_t& key, std::int32_t& status)
{
    status = d.GetStatus();
    if (d.GetStatus() != COleDate::Valid) {
        key = 0;
        return true;
    }
    if (std::isnan(d.Value()))
        return false;
    key = d.Value() == 0.0 ? 0 : DateBits(d);
    return true;
}

// A class of equal dates: the status, then the value's bits for a valid date (0 for the others).
struct CClassKey {
    std::int32_t status;
    std::uint64_t key;
    auto operator<=>(const CClassKey&) const = default;
};

// One bit for each id of a list, 16 bits in all: lists that share an id share a bit.
std::uint32_t Signature(std::span<const std::int32_t> ids)
{
    std::uint32_t bits = 0;
    for (std::int32_t id : ids)
        bits |= 1u << (static_cast<std::uint32_t>(id) & 15u);
    return bits;
}

void CheckPool(std::size_t size)
{
    if (size > kPoolLimit)
        throw CArchiveException(CArchiveException::BadCount, "too many ids or dates in one dictionary");
}

} // namespace

CDocRecords::CDocRecords() { clear(); }

CDocRecords::CDocRecords(std::initializer_list<CDocRec> list)
    : CDocRecords()
{
    for (const auto& rec : list)
        push_back(rec);
}

CDocRecords& CDocRecords::operator=(std::initializer_list<CDocRec> list)
{
    clear();
    for (const auto& rec : list)
        push_back(rec);
    return *this;
}

void CDocRecords::clear()
{
    m_slots.assign(1, Slot());
    m_wide.clear();
    m_idPool.clear();
    m_datePool.clear();
    m_dates.clear();
    m_dateSlots.clear();
    Changed();
}

void CDocRecords::reserve(std::size_t n)
{
    m_slots.reserve(n + 1);
    m_idPool.reserve(3 * n);
    m_datePool.reserve(n);
}

std::uint32_t CDocRecords::InternDate(const COleDate& date)
{
    const std::uint64_t bits = DateBits(date);
    const auto status = static_cast<std::uint64_t>(static_cast<std::uint32_t>(date.GetStatus()));
    if (m_dateSlots.size() < 2 * (m_dates.size() + 1)) {
        // Grow the table to keep it at most half full, and place every known date anew.
        std::vector<std::uint32_t> slots(std::bit_ceil(std::max<std::size_t>(64, 4 * (m_dates.size() + 1))), 0);
        const std::size_t mask = slots.size() - 1;
        for (std::uint32_t i = 0; i < m_dates.size(); ++i) {
            const auto s = static_cast<std::uint64_t>(static_cast<std::uint32_t>(m_dates[i].GetStatus()));
            std::size_t at = Mix(DateBits(m_dates[i]) ^ (s * 0x9E3779B97F4A7C15ULL)) & mask;
            while (slots[at] != 0)
                at = (at + 1) & mask;
            slots[at] = i + 1;
        }
        m_dateSlots = std::move(slots);
    }
    const std::size_t mask = m_dateSlots.size() - 1;
    std::size_t at = Mix(bits ^ (status * 0x9E3779B97F4A7C15ULL)) & mask;
    while (m_dateSlots[at] != 0) {
        const COleDate& known = m_dates[m_dateSlots[at] - 1];
        if (DateBits(known) == bits && known.GetStatus() == date.GetStatus())
            return m_dateSlots[at] - 1;
        at = (at + 1) & mask;
    }
    CheckPool(m_dates.size() + 1);
    m_dates.push_back(date);
    m_dateSlots[at] = static_cast<std::uint32_t>(m_dates.size());
    return static_cast<std::uint32_t>(m_dates.size() - 1);
}

void CDocRecords::AppendIds(const std::vector<std::int32_t>& ids)
{
    CheckPool(m_idPool.size() + ids.size());
    m_idPool.insert(m_idPool.end(), ids.begin(), ids.end());
}

void CDocRecords::CloseRecord(std::size_t types, std::size_t numbers)
{
    Slot& s = m_slots.back();
    if (types >= kWide || numbers >= kWide) {
        s.typeCount = kWide;
        s.numberCount = kWide;
        m_wide.push_back({ static_cast<std::uint32_t>(m_slots.size() - 1), static_cast<std::uint32_t>(types),
            static_cast<std::uint32_t>(numbers) });
    } else {
        s.typeCount = static_cast<std::uint16_t>(types);
        s.numberCount = static_cast<std::uint16_t>(numbers);
    }
    Slot closing;
    closing.idStart = static_cast<std::uint32_t>(m_idPool.size());
    closing.dateStart = static_cast<std::uint32_t>(m_datePool.size());
    m_slots.push_back(closing);
}

std::pair<std::uint32_t, std::uint32_t> CDocRecords::WideCountsOf(std::size_t row) const
{
    const auto it = std::lower_bound(
        m_wide.begin(), m_wide.end(), row, [](const WideCounts& w, std::size_t r) { return w.row < r; });
    return { it->types, it->numbers };
}

void CDocRecords::PrefetchSlot(std::size_t row) const
{
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(&m_slots[row]);
#else
    (void)row;
#endif
}

void CDocRecords::Prefetch(std::size_t row) const
{
#if defined(__GNUC__) || defined(__clang__)
    const Slot& s = m_slots[row];
    __builtin_prefetch(m_idPool.data() + s.idStart);
    __builtin_prefetch(m_datePool.data() + s.dateStart);
    __builtin_prefetch(&m_slots[row + 1]);
#else
    (void)row;
#endif
}

void CDocRecords::push_back(const CDocRec& rec)
{
    Slot& s = m_slots.back();
    s.baseNumber = rec.nBaseNumber;
    s.titlePos = rec.nTitlePos;
    s.titleLen = rec.nTitleLen;
    s.edition = InternDate(rec.editionDate);
    AppendIds(rec.typeIds);
    AppendIds(rec.numberIds);
    AppendIds(rec.bodyIds);
    CheckPool(m_datePool.size() + rec.adoptionDates.size());
    for (const auto& d : rec.adoptionDates)
        m_datePool.push_back(InternDate(d));
    CloseRecord(rec.typeIds.size(), rec.numberIds.size());
    Changed();
}

CDocRec CDocRecords::Get(std::size_t row) const
{
    CDocRec rec;
    rec.nBaseNumber = BaseNumber(row);
    rec.nTitlePos = TitlePos(row);
    rec.nTitleLen = TitleLen(row);
    rec.editionDate = EditionDate(row);
    const auto copy = [](std::span<const std::int32_t> ids) { return std::vector<std::int32_t>(ids.begin(), ids.end()); };
    rec.typeIds = copy(TypeIds(row));
    rec.numberIds = copy(NumberIds(row));
    rec.bodyIds = copy(BodyIds(row));
    const CDateList dates = AdoptionDates(row);
    rec.adoptionDates.reserve(dates.size());
    for (std::size_t i = 0; i < dates.size(); ++i)
        rec.adoptionDates.push_back(dates[i]);
    return rec;
}

void CDocRecords::Serialize(CArchive& ar)
{
    // The smallest stored record: number, position, length, edition date and four empty lists.
    constexpr std::size_t kMinRecordSize = 4 + 8 + 4 + kDateSize + 4 * 4;
    if (ar.IsStoring()) {
        ar.WriteUInt(static_cast<std::uint32_t>(size()));
        for (std::size_t r = 0; r < size(); ++r) {
            const Slot& slot = m_slots[r];
            ar.WriteInt(slot.baseNumber);
            ar.WriteUInt(static_cast<std::uint32_t>(slot.titlePos));
            ar.WriteUInt(static_cast<std::uint32_t>(slot.titlePos >> 32));
            ar.WriteInt(slot.titleLen);
            ar.WriteDate(EditionDate(r));
            const CDateList dates = AdoptionDates(r);
            ar.WriteUInt(static_cast<std::uint32_t>(dates.size()));
            for (std::size_t i = 0; i < dates.size(); ++i)
                ar.WriteDate(dates[i]);
            for (const auto ids : { TypeIds(r), NumberIds(r), BodyIds(r) }) {
                ar.WriteUInt(static_cast<std::uint32_t>(ids.size()));
                for (std::int32_t id : ids)
                    ar.WriteInt(id);
            }
        }
        return;
    }
    clear();
    const std::uint32_t count = ar.ReadCount(kMinRecordSize);
    reserve(count);
    for (std::uint32_t r = 0; r < count; ++r) {
        Slot& slot = m_slots.back();
        slot.baseNumber = ar.ReadInt();
        const std::uint64_t low = ar.ReadUInt();
        const std::uint64_t high = ar.ReadUInt();
        slot.titlePos = low | (high << 32);
        slot.titleLen = ar.ReadInt();
        slot.edition = InternDate(ar.ReadDate());
        const std::uint32_t dates = ar.ReadCount(kDateSize);
        CheckPool(m_datePool.size() + dates);
        for (std::uint32_t i = 0; i < dates; ++i)
            m_datePool.push_back(InternDate(ar.ReadDate()));
        std::uint32_t counts[3];
        for (std::uint32_t& n : counts) {
            n = ar.ReadCount(kIdSize);
            CheckPool(m_idPool.size() + n);
            const std::size_t at = m_idPool.size();
            m_idPool.resize(at + n);
            ar.ReadInts(m_idPool.data() + at, n);
        }
        CloseRecord(counts[0], counts[1]);
    }
    // A base of few ids or dates per record leaves the estimate mostly unused.
    if (m_idPool.capacity() > m_idPool.size() + m_idPool.size() / 4 + 64)
        m_idPool.shrink_to_fit();
    if (m_datePool.capacity() > m_datePool.size() + m_datePool.size() / 4 + 64)
        m_datePool.shrink_to_fit();
}

void CDocRecords::BuildIndex() const
{
    Index index;
    const std::size_t rows = size();

    // Number ids: a dense table over the ids a sound file holds (0 .. count of ids), sorted
    // pairs for the rest, so a hostile id never sizes an allocation.
    const std::size_t limit = std::min<std::size_t>(m_idPool.size() + 1, std::numeric_limits<std::int32_t>::max());
    std::size_t maxId = 0;
    std::size_t entries = 0;
    for (std::size_t r = 0; r < rows; ++r) {
        for (std::int32_t id : NumberIds(r)) {
            if (id >= 0 && static_cast<std::size_t>(id) < limit) {
                maxId = std::max(maxId, static_cast<std::size_t>(id) + 1);
                ++entries;
            }
        }
    }
    index.numberStart.assign(maxId + 1, 0);
    for (std::size_t r = 0; r < rows; ++r)
        for (std::int32_t id : NumberIds(r))
            if (id >= 0 && static_cast<std::size_t>(id) < limit)
                ++index.numberStart[static_cast<std::size_t>(id) + 1];
    for (std::size_t k = 1; k < index.numberStart.size(); ++k)
        index.numberStart[k] += index.numberStart[k - 1];
    index.numberRows.resize(entries);
    {
        std::vector<std::uint32_t> fill(index.numberStart.begin(), index.numberStart.end() - 1);
        for (std::size_t r = 0; r < rows; ++r) {
            const auto ids = NumberIds(r);
            if (ids.empty())
                index.withoutNumbers.push_back(static_cast<std::uint32_t>(r));
            for (std::int32_t id : ids) {
                if (id >= 0 && static_cast<std::size_t>(id) < limit)
                    index.numberRows[fill[static_cast<std::size_t>(id)]++] = static_cast<std::uint32_t>(r);
                else
                    index.oddNumbers.push_back((static_cast<std::uint64_t>(static_cast<std::uint32_t>(id)) << 32) | r);
            }
        }
    }
    std::sort(index.oddNumbers.begin(), index.oddNumbers.end());

    // Date classes.
    std::vector<CClassKey> keys;
    std::vector<std::pair<CClassKey, std::uint32_t>> byKey;
    for (std::uint32_t i = 0; i < m_dates.size(); ++i) {
        CClassKey k {};
        if (DateClassKey(m_dates[i], k.key, k.status))
            byKey.emplace_back(k, i);
    }
    std::sort(byKey.begin(), byKey.end());
    constexpr std::uint32_t kNoClass = std::numeric_limits<std::uint32_t>::max();
    index.classOfDate.assign(m_dates.size(), kNoClass);
    for (std::size_t i = 0; i < byKey.size(); ++i) {
        if (keys.empty() || keys.back() != byKey[i].first)
            keys.push_back(byKey[i].first);
        index.classOfDate[byKey[i].second] = static_cast<std::uint32_t>(keys.size() - 1);
    }
    index.classKeys.reserve(2 * keys.size());
    for (const auto& k : keys) {
        index.classKeys.push_back(static_cast<std::uint32_t>(k.status));
        index.classKeys.push_back(k.key);
    }
    index.classStart.assign(keys.size() + 1, 0);
    std::size_t dated = 0;
    for (std::uint32_t d : m_datePool) {
        if (index.classOfDate[d] != kNoClass) {
            ++index.classStart[index.classOfDate[d] + 1];
            ++dated;
        }
    }
    for (std::size_t k = 1; k < index.classStart.size(); ++k)
        index.classStart[k] += index.classStart[k - 1];
    index.classRows.resize(dated);
    {
        std::vector<std::uint32_t> fill(index.classStart.begin(), index.classStart.end() - 1);
        for (std::size_t r = 0; r < rows; ++r) {
            const std::uint32_t from = m_slots[r].dateStart;
            const std::uint32_t to = m_slots[r + 1].dateStart;
            if (from == to)
                index.withoutDates.push_back(static_cast<std::uint32_t>(r));
            for (std::uint32_t i = from; i < to; ++i) {
                const std::uint32_t c = index.classOfDate[m_datePool[i]];
                if (c != kNoClass)
                    index.classRows[fill[c]++] = static_cast<std::uint32_t>(r);
            }
        }
    }
    index.signatures.resize(rows);
    for (std::size_t r = 0; r < rows; ++r)
        index.signatures[r] = Signature(TypeIds(r)) | (Signature(BodyIds(r)) << 16);
    m_index = std::move(index);
}

namespace {

// Sorts what was gathered from several runs and drops repeats (a record that names the same
// number or date twice repeats even within one run).
void SortRuns(std::vector<std::uint32_t>& rows, std::size_t runs)
{
    if (runs > 1)
        std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
}

} // namespace

void CDocRecords::NumberRows(const std::vector<std::int32_t>& numberIds, std::vector<std::uint32_t>& rows) const
{
    const Index& x = m_index;
    rows.clear();
    if (numberIds.empty()) {
        rows.assign(x.withoutNumbers.begin(), x.withoutNumbers.end());
        return;
    }
    std::size_t runs = 0;
    for (std::int32_t id : numberIds) {
        const std::size_t before = rows.size();
        if (id >= 0 && static_cast<std::size_t>(id) + 1 < x.numberStart.size()) {
            const auto k = static_cast<std::size_t>(id);
            rows.insert(rows.end(), x.numberRows.begin() + x.numberStart[k], x.numberRows.begin() + x.numberStart[k + 1]);
        } else {
            const std::uint64_t first = static_cast<std::uint64_t>(static_cast<std::uint32_t>(id)) << 32;
            for (auto it = std::lower_bound(x.oddNumbers.begin(), x.oddNumbers.end(), first);
                 it != x.oddNumbers.end() && (*it >> 32) == (first >> 32); ++it)
                rows.push_back(static_cast<std::uint32_t>(*it));
        }
        runs += rows.size() != before;
    }
    SortRuns(rows, runs);
}

void CDocRecords::DateRows(const std::vector<COleDate>& dates, std::vector<std::uint32_t>& rows) const
{
    const Index& x = m_index;
    rows.clear();
    if (dates.empty()) {
        rows.assign(x.withoutDates.begin(), x.withoutDates.end());
        return;
    }
    std::size_t runs = 0;
    const std::size_t classes = x.classKeys.size() / 2;
    for (const auto& d : dates) {
        CClassKey k {};
        if (!DateClassKey(d, k.key, k.status))
            continue;
        std::size_t lo = 0;
        std::size_t hi = classes;
        while (lo < hi) {
            const std::size_t mid = (lo + hi) / 2;
            const CClassKey m { static_cast<std::int32_t>(x.classKeys[2 * mid]), x.classKeys[2 * mid + 1] };
            if (m < k)
                lo = mid + 1;
            else
                hi = mid;
        }
        if (lo < classes && static_cast<std::int32_t>(x.classKeys[2 * lo]) == k.status && x.classKeys[2 * lo + 1] == k.key
            && x.classStart[lo] != x.classStart[lo + 1]) {
            rows.insert(rows.end(), x.classRows.begin() + x.classStart[lo], x.classRows.begin() + x.classStart[lo + 1]);
            ++runs;
        }
    }
    SortRuns(rows, runs);
}

void CDocRecords::CandidateRows(
    const std::vector<std::int32_t>& numberIds, const std::vector<COleDate>& dates, std::vector<std::uint32_t>& rows) const
{
    m_indexBuilt.Ensure([this] { BuildIndex(); });
    std::vector<std::uint32_t> byDate;
    NumberRows(numberIds, rows);
    DateRows(dates, byDate);
    const std::size_t half = rows.size();
    rows.insert(rows.end(), byDate.begin(), byDate.end());
    std::inplace_merge(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(half), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
}

void CDocRecords::CandidateRows(const std::vector<std::int32_t>& typeIds, const std::vector<std::int32_t>& bodyIds,
    const std::vector<std::int32_t>& numberIds, const std::vector<COleDate>& dates, std::vector<std::uint32_t>& rows) const
{
    m_indexBuilt.Ensure([this] { BuildIndex(); });
    std::vector<std::uint32_t> byNumber;
    std::vector<std::uint32_t> byDate;
    NumberRows(numberIds, byNumber);
    DateRows(dates, byDate);
    // A record named by one of the two lists only needs both the type and the body point; it can
    // have neither when it shares no bit of the signature with what was found.
    const std::uint32_t typeBits = typeIds.empty() ? 0 : Signature(typeIds);
    const std::uint32_t bodyBits = bodyIds.empty() ? 0 : Signature(bodyIds);
    const auto both = [&](std::uint32_t row) {
        const std::uint32_t sig = m_index.signatures[row];
        return (sig & typeBits) != 0 && ((sig >> 16) & bodyBits) != 0;
    };
    rows.clear();
    std::size_t a = 0;
    std::size_t b = 0;
    while (a < byNumber.size() || b < byDate.size()) {
        if (b == byDate.size() || (a < byNumber.size() && byNumber[a] < byDate[b])) {
            if (both(byNumber[a]))
                rows.push_back(byNumber[a]);
            ++a;
        } else if (a == byNumber.size() || byDate[b] < byNumber[a]) {
            if (both(byDate[b]))
                rows.push_back(byDate[b]);
            ++b;
        } else {
            rows.push_back(byNumber[a]);
            ++a;
            ++b;
        }
    }
}

std::size_t CDocRecords::MemoryBytes() const
{
    const auto bytes = [](const auto& v) { return v.capacity() * sizeof(v[0]); };
    const Index& x = m_index;
    return bytes(m_slots) + bytes(m_wide) + bytes(m_idPool) + bytes(m_datePool)
        + bytes(m_dates) + bytes(m_dateSlots) + bytes(x.numberStart) + bytes(x.numberRows) + bytes(x.oddNumbers)
        + bytes(x.classOfDate) + bytes(x.classKeys) + bytes(x.classStart) + bytes(x.classRows)
        + bytes(x.withoutNumbers) + bytes(x.withoutDates) + bytes(x.signatures);
}

void CDocRec::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteInt(nBaseNumber);
        ar.WriteUInt(static_cast<std::uint32_t>(nTitlePos));
        ar.WriteUInt(static_cast<std::uint32_t>(nTitlePos >> 32));
        ar.WriteInt(nTitleLen);
        ar.WriteDate(editionDate);
        ar.WriteDateList(adoptionDates);
        ar.WriteIntList(typeIds);
        ar.WriteIntList(numberIds);
        ar.WriteIntList(bodyIds);
        return;
    }
    *this = CDocRec();
    nBaseNumber = ar.ReadInt();
    const std::uint64_t low = ar.ReadUInt();
    const std::uint64_t high = ar.ReadUInt();
    nTitlePos = low | (high << 32);
    nTitleLen = ar.ReadInt();
    editionDate = ar.ReadDate();
    ar.ReadDateList(adoptionDates);
    ar.ReadIntList(typeIds);
    ar.ReadIntList(numberIds);
    ar.ReadIntList(bodyIds);
}
