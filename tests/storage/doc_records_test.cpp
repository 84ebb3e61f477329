#include "storage/doc_records.h"

#include <gtest/gtest.h>

#include <cstring>

#include "storage/archive.h"

namespace {

std::uint64_t Bits(double v)
{
    std::uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

} // namespace

TEST(DocRecords, ManyDistinctDatesKeepTheirExactBits)
{
    // Far more distinct dates than any table starts with, among them dates that compare equal
    // while their bits differ: each keeps its own bits and status through storing and loading.
    CDocRecords records;
    std::vector<CDocRec> plain;
    for (int i = 0; i < 5000; ++i) {
        CDocRec r;
        r.nBaseNumber = i;
        r.adoptionDates = { COleDate(30000.0 + i * 0.25, COleDate::Valid), COleDate(i % 2 ? 0.0 : -0.0, COleDate::Valid) };
        r.editionDate = COleDate(static_cast<double>(i % 7), i % 3 == 0 ? COleDate::Invalid : COleDate::Null);
        r.numberIds = { i, i + 1 };
        plain.push_back(r);
        records.push_back(r);
    }
    CArchive out = CArchive::StoreMemory();
    records.Serialize(out);
    CDocRecords loaded;
    CArchive in = CArchive::LoadBytes(out.Bytes());
    loaded.Serialize(in);
    ASSERT_EQ(loaded.size(), plain.size());
    for (std::size_t i = 0; i < plain.size(); ++i) {
        const CDocRec r = loaded[i];
        ASSERT_EQ(r.adoptionDates.size(), 2u);
        for (std::size_t k = 0; k < 2; ++k)
            EXPECT_EQ(Bits(r.adoptionDates[k].Value()), Bits(plain[i].adoptionDates[k].Value())) << i;
        EXPECT_EQ(r.editionDate.GetStatus(), plain[i].editionDate.GetStatus());
        EXPECT_EQ(Bits(r.editionDate.Value()), Bits(plain[i].editionDate.Value()));
        EXPECT_EQ(r.numberIds, plain[i].numberIds);
    }
    // Both zeros are one date to the index: every record has one.
    std::vector<std::uint32_t> rows;
    loaded.CandidateRows({}, { COleDate(-0.0, COleDate::Valid) }, rows);
    EXPECT_EQ(rows.size(), plain.size());
    loaded.CandidateRows({ 4999 }, { COleDate(0.0, COleDate::Invalid) }, rows);
    EXPECT_EQ(rows, (std::vector<std::uint32_t> { 4998, 4999 }));
}

TEST(DocRecords, ListsLongerThanASlotCountsKeepTheirBounds)
{
    CDocRecords records;
    CDocRec wide;
    for (int i = 0; i < 70000; ++i)
        wide.typeIds.push_back(i % 50);
    wide.numberIds = { 1, 2, 3 };
    wide.bodyIds = { 9 };
    CDocRec small;
    small.typeIds = { 4 };
    small.numberIds = std::vector<std::int32_t>(66000, 5);
    small.bodyIds = { 8, 9 };
    records = { small, wide, small };
    for (std::size_t r : { 0u, 2u }) {
        EXPECT_EQ(records[r].numberIds, small.numberIds) << r;
        EXPECT_EQ(records[r].bodyIds, small.bodyIds) << r;
    }
    EXPECT_EQ(records[1].typeIds, wide.typeIds);
    EXPECT_EQ(records[1].numberIds, wide.numberIds);
    EXPECT_EQ(records[1].bodyIds, wide.bodyIds);
    std::vector<std::uint32_t> rows;
    records.CandidateRows({ 2 }, { COleDate::FromText(2000, 1, 1) }, rows);
    EXPECT_EQ(rows, (std::vector<std::uint32_t> { 1 }));
}

TEST(DocRecords, ExpandedCopiesAndMemory)
{
    CDocRecords records { CDocRec {}, CDocRec {} };
    CDocRec r;
    r.typeIds = { 3, 1 };
    r.bodyIds = { 2 };
    r.numberIds = { 7, 7 };
    r.nTitlePos = 0x123456789ULL;
    r.nTitleLen = 42;
    records.push_back(r);
    ASSERT_EQ(records.size(), 3u);
    // A record's lists stay apart although they share one pool.
    EXPECT_TRUE(records[0].typeIds.empty());
    EXPECT_EQ(records.back().typeIds, r.typeIds);
    EXPECT_EQ(records.back().bodyIds, r.bodyIds);
    EXPECT_EQ(records.back().numberIds, r.numberIds);
    EXPECT_EQ(records.back().nTitlePos, r.nTitlePos);
    int seen = 0;
    for (const auto& rec : records)
        seen += rec.nTitleLen;
    EXPECT_EQ(seen, 42);
    // A record naming a number twice is one row.
    std::vector<std::uint32_t> rows;
    records.CandidateRows({ 7 }, { COleDate::FromText(2001, 1, 1) }, rows);
    EXPECT_EQ(rows, (std::vector<std::uint32_t> { 2 }));
    EXPECT_GT(records.MemoryBytes(), 0u);
    records.clear();
    EXPECT_TRUE(records.empty());
    records.CandidateRows({}, {}, rows);
    EXPECT_TRUE(rows.empty());
}
