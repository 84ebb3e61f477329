// The indexed candidate search against the scan over every record, on dictionaries and texts
// generated from a fixed seed: the two must never differ in a candidate, its place or its fields.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "core/candidates.h"
#include "base/codepage.h"
#include "storage/archive.h"
#include "storage/recv_dict.h"

namespace {

std::string S(std::string_view cp) { return std::string(cp); }

class CGen {
public:
    explicit CGen(std::uint32_t seed)
        : m_rng(seed)
    {
    }
    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }
    bool Chance(int percent) { return Int(0, 99) < percent; }

    // Few distinct dates, so that records and found lists meet often; with the values that
    // compare unlike their bits: both zeros, NaN, invalid and null dates of any value.
    COleDate Date()
    {
        switch (Int(0, 11)) {
        case 0:
            return COleDate::NoDate();
        case 1:
            return COleDate(Chance(50) ? 0.0 : -0.0, COleDate::Valid);
        case 2:
            return COleDate(std::numeric_limits<double>::quiet_NaN(), COleDate::Valid);
        case 3:
            return COleDate(Int(0, 2), COleDate::Invalid);
        case 4:
            return COleDate(Int(0, 2), COleDate::Null);
        default:
            return COleDate::FromText(2000 + Int(0, 2), 1 + Int(0, 1), 1 + Int(0, 1));
        }
    }
    std::vector<std::int32_t> Ids(int universe, int maxCount)
    {
        std::vector<std::int32_t> ids;
        const int n = Int(0, maxCount);
        for (int i = 0; i < n; ++i) {
            // Lists repeat ids (a list file may name a number twice); now and then an id only a
            // damaged file holds.
            if (!ids.empty() && Chance(25))
                ids.push_back(ids[static_cast<std::size_t>(Int(0, static_cast<int>(ids.size()) - 1))]);
            else if (Chance(3))
                ids.push_back(Chance(50) ? -1 - Int(0, 1) : 2000000000 + Int(0, 1));
            else
                ids.push_back(Int(0, universe - 1));
        }
        return ids;
    }
    std::vector<COleDate> Dates(int maxCount)
    {
        std::vector<COleDate> dates;
        const int n = Int(0, maxCount);
        for (int i = 0; i < n; ++i)
            dates.push_back(!dates.empty() && Chance(25) ? dates.back() : Date());
        return dates;
    }
    CDocRec Rec(std::int32_t base)
    {
        CDocRec r;
        r.nBaseNumber = base;
        r.typeIds = Ids(4, 2);
        r.bodyIds = Ids(4, 2);
        r.numberIds = Ids(6, 3);
        r.adoptionDates = Dates(3);
        r.editionDate = Chance(60) ? COleDate::NoDate() : Date();
        r.nTitlePos = static_cast<std::uint64_t>(Int(0, 1 << 20)) << Int(0, 40);
        r.nTitleLen = Int(0, 300);
        return r;
    }
    CFoundIds Found()
    {
        CFoundIds f { Ids(4, 3), Ids(4, 3), Ids(6, 3), Dates(3) };
        return f;
    }

private:
    std::mt19937 m_rng;
};

// The points of one record as the rules state them, with sets: independent of the engine's own
// scoring, so that a fault there is seen by the scan as well as by the index.
int PointsBySets(const CDocRec& r, const CFoundIds& f)
{
    const auto point = [](const auto& found, const auto& stored, bool bothEmptyCounts) {
        if (found.empty() || stored.empty())
            return bothEmptyCounts && found.empty() && stored.empty();
        const auto holds = [](const auto& whole, const auto& part) {
            return std::all_of(part.begin(), part.end(),
                [&](const auto& x) { return std::find(whole.begin(), whole.end(), x) != whole.end(); });
        };
        return holds(found, stored) || holds(stored, found);
    };
    return point(f.types, r.typeIds, false) + point(f.bodies, r.bodyIds, false) + point(f.numbers, r.numberIds, true)
        + point(f.dates, r.adoptionDates, true);
}

bool SameRec(const CDocRec& a, const CDocRec& b)
{
    const auto sameDates = [](const std::vector<COleDate>& x, const std::vector<COleDate>& y) {
        if (x.size() != y.size())
            return false;
        for (std::size_t i = 0; i < x.size(); ++i)
        {
            const double vx = x[i].Value();
            const double vy = y[i].Value();
            if (x[i].GetStatus() != y[i].GetStatus() || std::memcmp(&vx, &vy, sizeof vx) != 0)
                return false;
        }
        return true;
    };
    const COleDate ea = a.editionDate;
    const COleDate eb = b.editionDate;
    const double va = ea.Value();
    const double vb = eb.Value();
    return a.nBaseNumber == b.nBaseNumber && a.typeIds == b.typeIds && a.bodyIds == b.bodyIds
        && a.numberIds == b.numberIds && sameDates(a.adoptionDates, b.adoptionDates) && ea.GetStatus() == eb.GetStatus()
        && std::memcmp(&va, &vb, sizeof va) == 0 && a.nTitlePos == b.nTitlePos && a.nTitleLen == b.nTitleLen;
}

void ExpectSameCandidates(const std::vector<CDocRec>& indexed, const std::vector<CDocRec>& scanned, int trial)
{
    ASSERT_EQ(indexed.size(), scanned.size()) << "trial " << trial;
    for (std::size_t i = 0; i < indexed.size(); ++i)
        ASSERT_TRUE(SameRec(indexed[i], scanned[i])) << "trial " << trial << " candidate " << i;
}

// The stored image of records, written one expanded record at a time.
std::string ImageOf(const std::vector<CDocRec>& records)
{
    CArchive ar = CArchive::StoreMemory();
    ar.WriteUInt(static_cast<std::uint32_t>(records.size()));
    for (auto rec : records)
        rec.Serialize(ar);
    return ar.Bytes();
}

} // namespace

TEST(CandidatesIndex, AgreesWithTheScanOnGeneratedDictionaries)
{
    CGen gen(20240611);
    int candidatesSeen = 0;
    for (int trial = 0; trial < 300; ++trial) {
        CDocDict dict;
        std::vector<CDocRec> plain;
        const int count = gen.Int(0, 60);
        for (int i = 0; i < count; ++i) {
            // Copies of earlier records with another edition give MergeDuplicates work.
            CDocRec r = !plain.empty() && gen.Chance(20) ? plain[static_cast<std::size_t>(gen.Int(0, i - 1))] : gen.Rec(i);
            r.nBaseNumber = i;
            if (gen.Chance(30))
                r.editionDate = gen.Date();
            plain.push_back(r);
            dict.records.push_back(r);
        }
        ASSERT_EQ(dict.records.size(), plain.size());
        for (int query = 0; query < 20; ++query) {
            const CFoundIds found = gen.Found();
            const COleDate effective = gen.Chance(20) ? COleDate::NoDate() : gen.Date();
            const bool skip = gen.Chance(50);
            std::vector<CDocRec> indexed = ScoreDocuments(dict, found, effective, skip);
            std::vector<CDocRec> scanned = ScoreDocumentsByScan(dict, found, effective, skip);
            ExpectSameCandidates(indexed, scanned, trial);
            candidatesSeen += static_cast<int>(scanned.size());
            // The scan itself against scoring the plain records one by one.
            std::vector<CDocRec> byHand;
            for (const auto& r : plain)
                if ((r.editionDate.IsNoDate() || !(effective < r.editionDate))
                    && !(skip && r.numberIds.empty() && r.adoptionDates.empty()) && PointsBySets(r, found) >= 3)
                    byHand.push_back(r);
            ExpectSameCandidates(scanned, byHand, trial);
            MergeDuplicates(indexed);
            MergeDuplicates(scanned);
            ExpectSameCandidates(indexed, scanned, trial);
        }
        // The stored image is that of the plain records, and reads back to the same records.
        CArchive out = CArchive::StoreMemory();
        dict.records.Serialize(out);
        ASSERT_EQ(out.Bytes(), ImageOf(plain)) << "trial " << trial;
        CDocRecords loaded;
        CArchive in = CArchive::LoadBytes(out.Bytes());
        loaded.Serialize(in);
        ASSERT_EQ(loaded.size(), plain.size());
        for (std::size_t i = 0; i < plain.size(); ++i)
            ASSERT_TRUE(SameRec(loaded[i], plain[i])) << "trial " << trial << " record " << i;
    }
    // The generator must give the comparison something to compare.
    EXPECT_GT(candidatesSeen, 1000);
}

TEST(CandidatesIndex, FollowsEveryChangeOfTheRecords)
{
    CGen gen(7);
    CDocDict dict;
    const CFoundIds found { { 1 }, { 1 }, { 2 }, { COleDate::FromText(2000, 1, 1) } };
    const auto agree = [&](const char* step) {
        for (bool skip : { false, true }) {
            const auto indexed = ScoreDocuments(dict, found, COleDate::FromText(2030, 1, 1), skip);
            const auto scanned = ScoreDocumentsByScan(dict, found, COleDate::FromText(2030, 1, 1), skip);
            ASSERT_EQ(indexed.size(), scanned.size()) << step;
            for (std::size_t i = 0; i < indexed.size(); ++i)
                EXPECT_EQ(indexed[i].nBaseNumber, scanned[i].nBaseNumber) << step;
        }
    };
    agree("empty");
    CDocRec match;
    match.typeIds = { 1 };
    match.bodyIds = { 1 };
    match.numberIds = { 2 };
    match.adoptionDates = { COleDate::FromText(2000, 1, 1) };
    for (int i = 0; i < 50; ++i)
        dict.records.push_back(gen.Rec(i));
    agree("generated");
    match.nBaseNumber = 100;
    dict.records.push_back(match); // after the index was built
    ASSERT_FALSE(ScoreDocuments(dict, found, COleDate::FromText(2030, 1, 1), false).empty());
    agree("appended");
    dict.records = { match, gen.Rec(1) };
    agree("assigned");
    ASSERT_EQ(ScoreDocuments(dict, found, COleDate::FromText(2030, 1, 1), false).size(), 1u);
    dict.records.clear();
    EXPECT_TRUE(ScoreDocuments(dict, found, COleDate::FromText(2030, 1, 1), false).empty());
    CDocRecords other { match };
    dict.records = std::move(other);
    EXPECT_EQ(ScoreDocuments(dict, found, COleDate::FromText(2030, 1, 1), false).size(), 1u);
}

TEST(CandidatesIndex, FindCandidatesOnGeneratedTextsMatchesTheScan)
{
    // Texts written from a few types, bodies, numbers and dates, recognised as the analyses do.
    CRecvDict typeDict;
    CRecvDict bodyDict;
    const std::vector<std::string> typeWords = { S("ЗАКОН"_cp), S("УКАЗ"_cp), S("ПРИКАЗ"_cp) };
    const std::vector<std::string> bodyWords = { S("ДУМА"_cp), S("ПРЕЗИДЕНТ"_cp), S("МИНФИН"_cp) };
    for (const auto& w : typeWords)
        typeDict.records.emplace_back(w, std::vector<std::string> {});
    for (const auto& w : bodyWords)
        bodyDict.records.emplace_back(w, std::vector<std::string> {});
    const auto typePhrases = BuildPhrases(typeDict);
    const auto bodyPhrases = BuildPhrases(bodyDict);
    const std::vector<std::string> numberTexts = { "1", "2", S("5-ФЗ"_cp), "17" };
    const std::vector<std::string> dateTexts = { "01.02.2000", "03.04.2001", S("1 февраля 2000 г."_cp) };

    CGen gen(99);
    CDocDict dict;
    for (const auto& w : typeWords)
        dict.types.AddName(w);
    for (const auto& w : bodyWords)
        dict.bodies.AddName(w);
    for (const auto& n : numberTexts)
        dict.numbers.AddName(n);
    for (int i = 0; i < 400; ++i) {
        CDocRec r;
        r.nBaseNumber = i;
        r.typeIds = gen.Ids(3, 1);
        r.bodyIds = gen.Ids(3, 1);
        r.numberIds = gen.Ids(4, 1);
        if (gen.Chance(80))
            r.adoptionDates.push_back(gen.Chance(50) ? COleDate::FromText(2000, 2, 1) : COleDate::FromText(2001, 4, 3));
        if (gen.Chance(20))
            r.editionDate = COleDate::FromText(2000 + gen.Int(0, 9), 1, 1);
        dict.records.push_back(r);
    }
    int withCandidates = 0;
    for (int t = 0; t < 2000; ++t) {
        std::string text;
        const int words = gen.Int(0, 6);
        for (int w = 0; w < words; ++w) {
            switch (gen.Int(0, 4)) {
            case 0:
                text += typeWords[static_cast<std::size_t>(gen.Int(0, 2))];
                break;
            case 1:
                text += bodyWords[static_cast<std::size_t>(gen.Int(0, 2))];
                break;
            case 2:
                text += "N " + numberTexts[static_cast<std::size_t>(gen.Int(0, 3))];
                break;
            case 3:
                text += S("от "_cp) + dateTexts[static_cast<std::size_t>(gen.Int(0, 2))];
                break;
            default:
                text += "N 999";
                break;
            }
            text += gen.Chance(30) ? ", " : " ";
        }
        const CFoundRequisites found = RecognizeRequisites(text, typePhrases, bodyPhrases);
        const CFoundIds ids = ToFoundIds(dict, found.types, found.bodies, found.numbers, found.dates);
        const COleDate effective = COleDate::FromText(2000 + gen.Int(0, 12), 6, 1);
        const bool skip = gen.Chance(50);
        auto indexed = ScoreDocuments(dict, ids, effective, skip);
        auto scanned = ScoreDocumentsByScan(dict, ids, effective, skip);
        ExpectSameCandidates(indexed, scanned, t);
        withCandidates += !scanned.empty();
    }
    EXPECT_GT(withCandidates, 200);
}
