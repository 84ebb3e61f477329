#pragma once

// The records of a documents dictionary held flat: one slot of fixed fields per record, the ids
// of all records in one shared pool and their dates in another, each record owning a stretch of
// each pool. Dates repeat a great deal (a few thousand days serve millions of records), so each
// distinct date (its exact bits and status) is kept once and records hold its number. A base of
// millions of documents thus loads with a handful of large allocations and costs a few dozen
// bytes a record.
//
// Beside the records lives an index of which records carry which number id and which adoption
// date, built when first asked for after a change, so that candidate scoring need not visit
// every record.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <utility>
#include <vector>

#include "base/ole_date.h"
#include "storage/build_once.h"

class CArchive;

struct CDocRec {
    std::int32_t nBaseNumber = -1;       // the document's number in its base
    std::vector<std::int32_t> typeIds;   // ids in the types index
    std::vector<std::int32_t> bodyIds;   // ids in the bodies index
    std::vector<std::int32_t> numberIds; // ids in the numbers index
    std::vector<COleDate> adoptionDates;
    COleDate editionDate = COleDate::NoDate();
    std::uint64_t nTitlePos = 0; // byte position of the title (name) in the text file
    std::int32_t nTitleLen = 0;  // its length in bytes

    // Number, title position (64 bits), title length, edition date, adoption dates, then the id
    // lists in the order types, numbers, bodies.
    void Serialize(CArchive& ar);
};

// The adoption dates of one stored record, read through the table of distinct dates.
class CDateList {
public:
    CDateList(std::span<const std::uint32_t> ids, const COleDate* table)
        : m_ids(ids)
        , m_table(table)
    {
    }
    std::size_t size() const { return m_ids.size(); }
    bool empty() const { return m_ids.empty(); }
    const COleDate& operator[](std::size_t i) const { return m_table[m_ids[i]]; }

private:
    std::span<const std::uint32_t> m_ids;
    const COleDate* m_table;
};

class CDocRecords {
public:
    class const_iterator {
    public:
        using value_type = CDocRec;
        using difference_type = std::ptrdiff_t;
        const_iterator() = default;
        const_iterator(const CDocRecords* owner, std::size_t row)
            : m_owner(owner)
            , m_row(row)
        {
        }
        CDocRec operator*() const { return m_owner->Get(m_row); }
        const_iterator& operator++()
        {
            ++m_row;
            return *this;
        }
        bool operator==(const const_iterator& other) const { return m_row == other.m_row; }

    private:
        const CDocRecords* m_owner = nullptr;
        std::size_t m_row = 0;
    };

    CDocRecords();
    CDocRecords(std::initializer_list<CDocRec> list);
    CDocRecords& operator=(std::initializer_list<CDocRec> list);

    std::size_t size() const { return m_slots.size() - 1; }
    bool empty() const { return m_slots.size() == 1; }
    void clear();
    // Room for n records of about one id of each kind and one date.
    void reserve(std::size_t n);
    void push_back(const CDocRec& rec);
    // A copy of the record with its lists expanded; changing it changes nothing here.
    const CDocRec operator[](std::size_t row) const { return Get(row); }
    const CDocRec back() const { return Get(size() - 1); }
    CDocRec Get(std::size_t row) const;
    const_iterator begin() const { return { this, 0 }; }
    const_iterator end() const { return { this, size() }; }

    // The stored fields of a record, without copying.
    std::int32_t BaseNumber(std::size_t row) const { return m_slots[row].baseNumber; }
    std::uint64_t TitlePos(std::size_t row) const { return m_slots[row].titlePos; }
    std::int32_t TitleLen(std::size_t row) const { return m_slots[row].titleLen; }
    const COleDate& EditionDate(std::size_t row) const { return m_dates[m_slots[row].edition]; }
    std::span<const std::int32_t> TypeIds(std::size_t row) const
    {
        const Slot& s = m_slots[row];
        return Ids(s.idStart, s.idStart + Counts(row).first);
    }
    std::span<const std::int32_t> NumberIds(std::size_t row) const
    {
        const Slot& s = m_slots[row];
        const auto [types, numbers] = Counts(row);
        return Ids(s.idStart + types, s.idStart + types + numbers);
    }
    std::span<const std::int32_t> BodyIds(std::size_t row) const
    {
        const Slot& s = m_slots[row];
        const auto [types, numbers] = Counts(row);
        return Ids(s.idStart + types + numbers, m_slots[row + 1].idStart);
    }
    CDateList AdoptionDates(std::size_t row) const
    {
        const std::uint32_t from = m_slots[row].dateStart;
        return { std::span<const std::uint32_t>(m_datePool.data() + from, m_slots[row + 1].dateStart - from), m_dates.data() };
    }
    // Asks the processor for what scoring the record will read, ahead of reading it.
    void Prefetch(std::size_t row) const;
    void PrefetchSlot(std::size_t row) const;

    // The count, then every record (see CDocRec::Serialize). Loading empties the records first.
    void Serialize(CArchive& ar);

    // The rows, ascending and each once, that can agree with found numbers and dates in one of
    // the two kinds: every record sharing a number id with numberIds (or, when numberIds is
    // empty, every record without numbers), and every record with an adoption date equal to one
    // of dates (or, when dates is empty, every record without adoption dates).
    void CandidateRows(const std::vector<std::int32_t>& numberIds, const std::vector<COleDate>& dates,
        std::vector<std::uint32_t>& rows) const;
    // Of those, the rows that can reach three points of four: a record named by only one of the
    // two lists must also be able to agree in both type and body, which a signature of its type
    // and body ids rules out for most records without reading them.
    void CandidateRows(const std::vector<std::int32_t>& typeIds, const std::vector<std::int32_t>& bodyIds,
        const std::vector<std::int32_t>& numberIds, const std::vector<COleDate>& dates,
        std::vector<std::uint32_t>& rows) const;

    // Bytes held by the records, their pools and the index as built now.
    std::size_t MemoryBytes() const;

private:
    struct Index {
        // Rows by number id for ids 0..limit-1: rows of id k are numberRows[numberStart[k] ..
        // numberStart[k+1]). Ids outside that range (only a damaged file holds them) are kept as
        // sorted (id, row) pairs.
        std::vector<std::uint32_t> numberStart;
        std::vector<std::uint32_t> numberRows;
        std::vector<std::uint64_t> oddNumbers;
        // Classes of equal dates (equal as COleDate compares them): the class of each stored
        // date, the key of each class ascending, and the rows of each class as above.
        std::vector<std::uint32_t> classOfDate;
        std::vector<std::uint64_t> classKeys;
        std::vector<std::uint32_t> classStart;
        std::vector<std::uint32_t> classRows;
        std::vector<std::uint32_t> withoutNumbers;
        std::vector<std::uint32_t> withoutDates;
        // Per record: a bit for each type id (low half) and each body id (high half), modulo 16.
        std::vector<std::uint32_t> signatures;
    };

    // One record's fixed fields, 32 bytes. Its ids run from idStart to the next slot's idStart:
    // types, numbers, then bodies; its dates from dateStart to the next slot's dateStart. The
    // last slot only closes the one before it.
    struct Slot {
        std::uint64_t titlePos = 0;
        std::int32_t baseNumber = 0;
        std::int32_t titleLen = 0;
        std::uint32_t edition = 0; // into m_dates
        std::uint32_t idStart = 0;
        std::uint32_t dateStart = 0;
        // kWide: the counts are in m_wide.
        std::uint16_t typeCount = 0;
        std::uint16_t numberCount = 0;
    };
    static constexpr std::uint16_t kWide = 0xFFFF;
    struct WideCounts {
        std::uint32_t row;
        std::uint32_t types;
        std::uint32_t numbers;
    };

    std::span<const std::int32_t> Ids(std::uint32_t from, std::uint32_t to) const
    {
        return { m_idPool.data() + from, to - from };
    }
    std::pair<std::uint32_t, std::uint32_t> Counts(std::size_t row) const
    {
        const Slot& s = m_slots[row];
        if (s.typeCount != kWide && s.numberCount != kWide)
            return { s.typeCount, s.numberCount };
        return WideCountsOf(row);
    }
    std::pair<std::uint32_t, std::uint32_t> WideCountsOf(std::size_t row) const;
    std::uint32_t InternDate(const COleDate& date);
    void AppendIds(const std::vector<std::int32_t>& ids);
    // Sets the counts of the last record and opens the closing slot after it.
    void CloseRecord(std::size_t types, std::size_t numbers);
    void Changed()
    {
        if (m_indexBuilt.Built()) {
            m_index = Index();
            m_indexBuilt.Reset();
        }
    }
    void BuildIndex() const;
    // Sorted rows each appearing once: those the number list names, those the date list names.
    void NumberRows(const std::vector<std::int32_t>& numberIds, std::vector<std::uint32_t>& rows) const;
    void DateRows(const std::vector<COleDate>& dates, std::vector<std::uint32_t>& rows) const;

    std::vector<Slot> m_slots; // size() + 1
    std::vector<WideCounts> m_wide; // by row
    std::vector<std::int32_t> m_idPool;
    std::vector<std::uint32_t> m_datePool; // into m_dates
    // The distinct dates, and an open-addressing table over them for interning.
    std::vector<COleDate> m_dates;
    std::vector<std::uint32_t> m_dateSlots;
    // Built when first asked for, by one of the threads that read the records at once.
    mutable Index m_index;
    CBuildOnce m_indexBuilt;
};
