#include "core/candidates.h"

#include <gtest/gtest.h>

#include "base/codepage.h"
#include "storage/recv_dict.h"

namespace {

std::string S(std::string_view cp) { return std::string(cp); }

CDocRecvisits Candidate(const std::string& number, COleDate edition = COleDate::NoDate(),
    std::vector<COleDate> adoption = {})
{
    CDocRecvisits r;
    if (!number.empty())
        r.numbers = { number };
    r.editionDate = edition;
    r.adoptionDates = std::move(adoption);
    return r;
}

CDocRec Rec(std::vector<std::int32_t> types, std::vector<std::int32_t> bodies, std::vector<std::int32_t> numbers,
    std::vector<COleDate> dates, COleDate edition = COleDate::NoDate(), std::int32_t base = 1)
{
    CDocRec r;
    r.nBaseNumber = base;
    r.typeIds = std::move(types);
    r.bodyIds = std::move(bodies);
    r.numberIds = std::move(numbers);
    r.adoptionDates = std::move(dates);
    r.editionDate = edition;
    return r;
}

const COleDate d2000 = COleDate::FromText(2000, 2, 1);

} // namespace

TEST(Candidates, NumbersAfterTheLatinN)
{
    const auto numbers = [](std::string_view text) { return FindNumbers(" " + NormalizeText(text) + " "); };
    EXPECT_EQ(numbers("N 45, и N 45., и N 45,."), (std::vector<std::string> { "45", "45", "45" }));
    EXPECT_EQ(numbers("N (12) и N123 и N"), (std::vector<std::string> { "(12)" }));
    EXPECT_EQ(numbers("ПОСТАНОВЛЕНИЕ N   7-фз"_cp), (std::vector<std::string> { S("7-ФЗ"_cp) }));
    // Punctuation alone gives no number; the search goes on from where the number stood.
    EXPECT_EQ(numbers("N , N 5"), (std::vector<std::string> { "5" }));
    EXPECT_TRUE(numbers("N  ").empty());
}

TEST(Candidates, RecognitionOfTheFourKinds)
{
    CRecvDict types;
    types.records.emplace_back(S("ПОСТАНОВЛЕНИЕ"_cp), std::vector<std::string> {});
    const auto phrases = BuildPhrases(types);
    const CFoundRequisites found = RecognizeRequisites(
        "Постановление Правительства N 123 от 01.02.2000, постановлением N 123 от 1 февраля 2000 г."_cp, phrases, {});
    EXPECT_EQ(found.types, (std::vector<std::string> { S("ПОСТАНОВЛЕНИЕ"_cp) }));
    EXPECT_EQ(found.numbers, (std::vector<std::string> { "123" }));
    EXPECT_EQ(found.dates, (std::vector<COleDate> { COleDate::FromText(2000, 2, 1) }));
    EXPECT_TRUE(found.bodies.empty());
}

TEST(Candidates, ScoringNeedsThreeKinds)
{
    const CFoundIds found { { 1, 2 }, { 5 }, {}, {} };
    // Types: the record's one type is in the found two; numbers and dates both empty.
    EXPECT_EQ(ScoreRecord(Rec({ 2 }, { 9 }, {}, {}), found), 3);
    EXPECT_EQ(ScoreRecord(Rec({ 2 }, { 5 }, {}, {}), found), 4);
    EXPECT_EQ(ScoreRecord(Rec({ 3 }, { 9 }, {}, {}), found), 2);
    EXPECT_EQ(ScoreRecord(Rec({ 2 }, { 5 }, { 7 }, { d2000 }), found), 2);
    // Order and repetitions do not matter for containment.
    EXPECT_EQ(ScoreRecord(Rec({ 2, 2, 1 }, {}, {}, {}), found), 3);
    EXPECT_EQ(ScoreRecord(Rec({ 1, 2, 3 }, {}, {}, {}), CFoundIds { { 3, 1 }, {}, {}, {} }), 3);
    // Containment is of sets, whichever list is longer: a record that repeats an id is held
    // by what was found, and what was found by a record that repeats one of its ids.
    const CFoundIds cited { { 1 }, { 5 }, { 2, 45 }, { d2000 } };
    EXPECT_EQ(ScoreRecord(Rec({ 1 }, { 9 }, { 2, 2 }, { d2000 }), cited), 3);
    EXPECT_EQ(ScoreRecord(Rec({ 1, 1, 1 }, { 5 }, { 45 }, {}), cited), 3);
    EXPECT_EQ(ScoreRecord(Rec({ 1 }, { 9 }, { 2, 2 }, { d2000, d2000, d2000 }), CFoundIds { { 1 }, {}, { 2, 45 }, { d2000, COleDate::FromText(2001, 1, 1) } }), 3);
    EXPECT_EQ(ScoreRecord(Rec({ 4 }, { 5, 5, 5 }, { 2, 3, 3 }, { d2000 }), cited), 2);

    CDocDict dict;
    dict.records = { Rec({ 1 }, { 5 }, {}, {}, COleDate::FromText(2010, 1, 1), 1), Rec({ 1 }, { 5 }, {}, {}, COleDate::NoDate(), 2),
        Rec({ 1 }, { 5 }, { 3 }, { d2000 }, COleDate::NoDate(), 3) };
    // An edition later than the document's date is never a candidate.
    auto matched = ScoreDocuments(dict, found, COleDate::FromText(2009, 12, 31), false);
    ASSERT_EQ(matched.size(), 1u);
    EXPECT_EQ(matched[0].nBaseNumber, 2);
    EXPECT_EQ(ScoreDocuments(dict, found, COleDate::FromText(2010, 1, 1), false).size(), 2u);
    // The no-date value is earlier than every edition.
    EXPECT_EQ(ScoreDocuments(dict, found, COleDate::NoDate(), false).size(), 1u);
    // The local analysis scores only records with a number or a date.
    EXPECT_TRUE(ScoreDocuments(dict, found, COleDate::FromText(2020, 1, 1), true).empty());
}

// Each candidate's agreement: the scoring's points kind by kind, whether the line cites its
// number and date together, whether it is the open document.
TEST(Candidates, AgreementOfEachCandidate)
{
    CDocDict dict;
    const auto id = [](CIndexDict& index, const char* utf8) { return index.AddName(codepage::Utf8ToCp1251(utf8)); };
    const std::int32_t law = id(dict.types, "ЗАКОН");
    const std::int32_t duma = id(dict.bodies, "ДУМА");
    const std::int32_t five = id(dict.numbers, "5");
    const std::int32_t seven = id(dict.numbers, "7");
    const COleDate d2003 = COleDate::FromText(2003, 4, 5);
    std::vector<CDocRecvisits> candidates;
    for (const CDocRec& r : { Rec({ law }, { duma }, { five }, { d2000 }, COleDate::NoDate(), 1),
             Rec({ law }, { duma }, { seven }, { d2000 }, COleDate::NoDate(), 2),
             Rec({ law }, { duma }, { five }, { d2003 }, COleDate::NoDate(), 3) })
        candidates.push_back(dict.ToRecvisits(r));

    CDocRecvisits found;
    found.types = { S("ЗАКОН"_cp) };
    found.numbers = { "5", "7" };
    found.adoptionDates = { d2000 };
    // The line cites N 5 of 01.02.2000; the open document is law N 5 of 05.04.2003.
    const auto pairs = FindCitedPairs(S("Законом от 01.02.2000 N 5 и N 7"_cp));
    CDocRecvisits header = candidates[2];
    const auto a = AgreementsOf(dict, candidates, found, pairs, header, false);
    ASSERT_EQ(a.size(), 3u);
    const auto flags = [](const CCandidateAgreement& x) {
        return std::vector<bool> { x.type, x.body, x.number, x.date, x.citedTogether, x.itself };
    };
    EXPECT_EQ(flags(a[0]), (std::vector<bool> { true, false, true, true, true, false }));
    EXPECT_EQ(flags(a[1]), (std::vector<bool> { true, false, true, true, false, false }));
    EXPECT_EQ(flags(a[2]), (std::vector<bool> { true, false, true, false, false, true }));
}

TEST(Candidates, DuplicatesCollapseIntoTheLatestEdition)
{
    std::vector<CDocRec> records = {
        Rec({ 1 }, { 2 }, { 3 }, { d2000 }, COleDate::FromText(2001, 1, 1), 10),
        Rec({ 9 }, { 2 }, { 3 }, { d2000 }, COleDate::NoDate(), 11),
        Rec({ 1 }, { 2 }, { 3 }, { d2000 }, COleDate::FromText(2001, 6, 1), 12),
        Rec({ 1 }, { 2 }, { 3 }, { d2000 }, COleDate::FromText(2001, 6, 1), 13),
    };
    MergeDuplicates(records);
    ASSERT_EQ(records.size(), 2u);
    // 12 and 13 are equally late; collected from the last backwards, 13 comes first.
    EXPECT_EQ(records[0].nBaseNumber, 13);
    EXPECT_EQ(records[1].nBaseNumber, 11);

    std::vector<CDocRec> kept = { Rec({ 1 }, {}, {}, {}, COleDate::FromText(2003, 1, 1), 1), Rec({ 1 }, {}, {}, {}, COleDate::FromText(2001, 1, 1), 2) };
    MergeDuplicates(kept);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].nBaseNumber, 1);
}

TEST(Candidates, OrderByNumberThenLatestFirst)
{
    std::vector<CDocRecvisits> list = { Candidate("12"), Candidate(S("3-ФЗ"_cp)), Candidate("3"), Candidate("") };
    SortCandidates(list);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].numbers, std::vector<std::string> {}); // the empty number is the smallest text
    EXPECT_EQ(list[1].numbers[0], "3");
    EXPECT_EQ(list[2].numbers[0], S("3-ФЗ"_cp));
    EXPECT_EQ(list[3].numbers[0], "12");

    // Equal numbers: the later edition first, or the first adoption date without an edition.
    std::vector<CDocRecvisits> same = { Candidate("9", COleDate::NoDate(), { COleDate::FromText(2001, 1, 1) }),
        Candidate("9", COleDate::FromText(2005, 1, 1)), Candidate("9", COleDate::NoDate(), { COleDate::FromText(2003, 1, 1) }) };
    SortCandidates(same);
    EXPECT_EQ(same[0].editionDate, COleDate::FromText(2005, 1, 1));
    EXPECT_EQ(same[1].adoptionDates[0], COleDate::FromText(2003, 1, 1));
    EXPECT_EQ(same[2].adoptionDates[0], COleDate::FromText(2001, 1, 1));
    EXPECT_FALSE(CompareCandidates(same[0], same[0]));
}
