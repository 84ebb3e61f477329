// Numbers and dates cited together, and the candidate that is the open document itself, on
// citations as real legal texts write them.

#include "requisites/citation.h"

#include <gtest/gtest.h>

#include "base/codepage.h"

namespace {

std::string Cp(const char* utf8) { return codepage::Utf8ToCp1251(utf8); }
COleDate D(int y, int m, int d) { return COleDate::FromText(y, m, d); }

CDocRecvisits Doc(std::int32_t base, const char* type, const char* body, const char* number, COleDate date)
{
    CDocRecvisits d;
    d.nBaseNumber = base;
    d.types = { Cp(type) };
    d.bodies = { Cp(body) };
    d.numbers = { Cp(number) };
    d.adoptionDates = { date };
    return d;
}

} // namespace

TEST(Citation, NumbersAndDatesCitedTogether)
{
    struct Case {
        const char* text;
        std::vector<std::pair<const char*, COleDate>> pairs;
    };
    const Case cases[] = {
        { "Федеральным законом от 29 июня 2004 г. N 58-ФЗ \"О внесении\"", { { "58-ФЗ", D(2004, 6, 29) } } },
        { "приказом N 245-п от 22.06.2016, а также", { { "245-П", D(2016, 6, 22) } } },
        // A list of citations, each its own pair; a date in words without "г.".
        { "от 09.07.1999 N 154-ФЗ, от 27.07.2006 N 137-ФЗ и от 5 февраля 2024 года N 14;",
            { { "154-ФЗ", D(1999, 7, 9) }, { "137-ФЗ", D(2006, 7, 27) }, { "14", D(2024, 2, 5) } } },
        // Broken across the lines of the recognition text, blanks doubled at the joint, or lines
        // joined by line breaks.
        { " Указом Президента Российской Федерации от 15.07.2015  N 364 \"О мерах", { { "364", D(2015, 7, 15) } } },
        { "от 29 июня 2004 г.\nN 58-ФЗ", { { "58-ФЗ", D(2004, 6, 29) } } },
        // "N 2" is not "N 25"; the number keeps what the number recogniser keeps.
        { "от 01.02.2003 N 2 и N 25 от 3 марта 2004 г.", { { "2", D(2003, 2, 1) }, { "25", D(2004, 3, 3) } } },
        // No pair: a date far from the number, a number without a date, a malformed date.
        { "от 01.02.2003 постановлением N 7", {} },
        { "N 7 и от 01.02.2003", {} },
        { "от 1.2.2003 N 7, от 32 марта 2003 г. N 8, N , от 01.02.2003", {} },
    };
    for (const Case& c : cases) {
        const std::vector<CCitedPair> found = FindCitedPairs(Cp(c.text));
        ASSERT_EQ(found.size(), c.pairs.size()) << c.text;
        for (std::size_t k = 0; k < found.size(); ++k) {
            EXPECT_EQ(found[k].number, Cp(c.pairs[k].first)) << c.text;
            EXPECT_TRUE(found[k].date == c.pairs[k].second) << c.text << " pair " << k;
        }
    }

    // A candidate is cited together only by one citation holding both its number and its date.
    const auto pairs = FindCitedPairs(Cp("от 01.02.2003 N 2 и от 05.06.2007 N 25-ФЗ"));
    EXPECT_TRUE(IsCitedTogether(Doc(1, "ЗАКОН", "ДУМА", "25-фз", D(2007, 6, 5)), pairs));
    EXPECT_TRUE(IsCitedTogether(Doc(1, "ЗАКОН", "ДУМА", "2", D(2003, 2, 1)), pairs));
    EXPECT_FALSE(IsCitedTogether(Doc(1, "ЗАКОН", "ДУМА", "2", D(2007, 6, 5)), pairs));
    EXPECT_FALSE(IsCitedTogether(Doc(1, "ЗАКОН", "ДУМА", "25", D(2007, 6, 5)), pairs));
}

// Only the citations of the line itself count for it: one the lines above made belongs to them,

// Which line a citation is the place of: the first examined line it stands on, else the examined
// line just before it; what else the line cites by itself; gazette issues and two-digit years.
TEST(Citation, TheLineACitationBelongsTo)
{
    struct Case {
        std::vector<const char*> lines; // the window; '*' first: a line the analysis examines
        std::size_t at;
        const char* own; // numbers of the citations the line is the place of, joined by blanks
        const char* others; // numbers of the citations that are other lines'
        const char* numbers; // numbers of the line outside others' citations (its own among them)
        bool publication;
    };
    const Case cases[] = {
        // Broken across two examined lines: the line where it begins.
        { { "*Федеральным законом от 25 декабря", "*2008 г. N 273-ФЗ \"О противодействии\"" }, 0, "273-ФЗ", "", "",
            false },
        { { "*Федеральным законом от 25 декабря", "*2008 г. N 273-ФЗ \"О противодействии\"" }, 1, "", "273-ФЗ", "",
            false },
        // The next line is not examined: the citation is that of the line naming the act.
        { { "*постановлением Правительства Российской Федерации от", "24.12.2021 N 2464 \"О порядке" }, 0, "2464", "",
            "", false },
        // The next line is examined: there.
        { { "*постановлением Правительства", "*от 24.12.2021 N 2464 \"О порядке" }, 0, "", "2464", "", false },
        // A joint act's numbers each on their line; the date closes the last.
        { { "*приказом Генпрокуратуры России N 39,", "*МВД России N 1070 от 29.12.2005" }, 0, "", "1070", "39", false },
        { { "*Законом Российской Федерации от", "*07.07.93 г. N 5334-I" }, 0, "", "5334-I", "", false },
        { { "*от 07.07.93 г. N 5334-I" }, 0, "5334-I", "", "5334-I", false },
        // "N 52, ст. 5881" is an issue of a gazette.
        { { "*(Собрание законодательства Российской Федерации, 1996, N 52, ст. 5881)" }, 0, "", "", "", true },
        { { "*законом N 52, ст. 3 которого" }, 0, "", "", "", true },
    };
    const auto joined = [](const std::vector<CCitedPair>& pairs) {
        std::string out;
        for (const CCitedPair& p : pairs)
            out += (out.empty() ? "" : " ") + p.number;
        return out;
    };
    for (const Case& c : cases) {
        std::vector<std::string> texts;
        std::vector<bool> suspicious;
        for (const char* line : c.lines) {
            suspicious.push_back(line[0] == '*');
            texts.push_back(Cp(line + (line[0] == '*' ? 1 : 0)));
        }
        const std::vector<std::string_view> views(texts.begin(), texts.end());
        const CLineCitations cited = CitationsOfLine(views, suspicious, c.at);
        const std::string context = std::string(c.lines[c.at]);
        EXPECT_EQ(joined(cited.own), Cp(c.own)) << context;
        EXPECT_EQ(joined(cited.elsewhere), Cp(c.others)) << context;
        std::string numbers;
        for (const std::string& n : cited.numbers)
            numbers += (numbers.empty() ? "" : " ") + n;
        EXPECT_EQ(numbers, Cp(c.numbers)) << context;
        EXPECT_EQ(cited.publication, c.publication) << context;
    }
    // A two-digit year reads as the century's: 93 is 1993, 05 is 2005.
    const std::vector<std::string> one { Cp("от 07.07.93 N 1 и от 01.02.05 N 2") };
    const CLineCitations years = CitationsOfLine({ one[0] }, { true }, 0);
    ASSERT_EQ(years.own.size(), 2u);
    EXPECT_TRUE(years.own[0].date == D(1993, 7, 7));
    EXPECT_TRUE(years.own[1].date == D(2005, 2, 1));
}

// one broken across the line's edges or made on the next line belongs to it.
TEST(Citation, TheCitationsOfOneLine)
{
    struct Case {
        const char* before;
        const char* line;
        const char* after;
        std::vector<const char*> numbers;
    };
    const Case cases[] = {
        { "постановлением от 27.12.2019 N 610-п \"Об утверждении", "7. Признать утратившим силу постановление",
            "от 22 июня 2016 г. N 245-п", { "245-П" } },
        { "от 27.12.2019 N 610-п", "и постановлением от 01.02.2003 N 5", "", { "5" } },
        { "Законом от 01.02.2003", "N 5 и", "", { "5" } },
        { "", "приказом N 12", "от 03.04.2005, а также", { "12" } },
        // The same citation above and in the line: the line's own still counts.
        { "от 01.02.2003 N 5", "(от 01.02.2003 N 5)", "", { "5" } },
        { "от 01.02.2003 N 5", "в редакции", "от 03.04.2005 N 6", { "6" } },
        { "от 01.02.2003 N 5 и от 03.04.2005", "", "", {} },
    };
    for (const Case& c : cases) {
        const auto pairs = FindCitedPairsOfLine(Cp(c.before), Cp(c.line), Cp(c.after));
        std::vector<std::string> numbers;
        for (const auto& p : pairs)
            numbers.push_back(p.number);
        std::vector<std::string> expected;
        for (const char* n : c.numbers)
            expected.push_back(Cp(n));
        EXPECT_EQ(numbers, expected) << c.line;
    }
}

TEST(Citation, TheDocumentItself)
{
    const std::vector<std::string> header = { Cp("$0  Номер в базе"), "2028", Cp("$5  Вид документа"), Cp("Указ"),
        Cp("$4  Принявший орган"), Cp("Губернатор Северо-Озерской области"), Cp("$6  Дата принятия"), "05.02.2024",
        Cp("$7  Номер"), "14", "", Cp("$18  Текст документа") };
    const CDocRecvisits h = HeaderRequisites(header);
    EXPECT_EQ(h.nBaseNumber, 2028);
    EXPECT_EQ(h.types, std::vector<std::string> { Cp("УКАЗ") });
    ASSERT_EQ(h.adoptionDates.size(), 1u);

    const CDocRecvisits itself = Doc(7, "УКАЗ", "ГУБЕРНАТОР СЕВЕРО-ОЗЕРСКОЙ ОБЛАСТИ", "14", D(2024, 2, 5));
    EXPECT_TRUE(IsDocumentItself(itself, h, false));
    // One requisite apart is another document; the local base knows its own number in base too.
    CDocRecvisits other = itself;
    other.numbers = { "15" };
    EXPECT_FALSE(IsDocumentItself(other, h, false));
    other.nBaseNumber = 2028;
    EXPECT_TRUE(IsDocumentItself(other, h, true));
    EXPECT_FALSE(IsDocumentItself(other, h, false));
    // A header without a number names no document by its requisites.
    const CDocRecvisits bare = HeaderRequisites({ Cp("$5  Вид документа"), Cp("Указ"), Cp("$6  Дата принятия"), "05.02.2024" });
    EXPECT_EQ(bare.nBaseNumber, 0);
    EXPECT_FALSE(IsDocumentItself(itself, bare, true));
}
