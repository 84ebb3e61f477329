#include "orvo/orvo_search.h"

#include <gtest/gtest.h>

#include "base/codepage.h"
#include "orvo/orvo_ref_maker.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

std::string S(std::string_view cp) { return std::string(cp); }

// 101 and 102 are laws of the Duma (102 also a code), 103 a decree without a body, 104 a decree
// without an adoption date, 105 adopted before 1900.
const char* const kList = "$0  НОМЕР В БАЗЕ\n101\n$5  ВИД ДОКУМЕНТА\nзакон\n$4  ПРИНЯВШИЙ ОРГАН\nгосдума\n"
                          "$6  ДАТА ПРИНЯТИЯ\n10.03.2001\n$7  НОМЕР\n5-фз\n$9  НАЗВАНИЕ ДОКУМЕНТА\n"
                          "о правилах «дорожного»\nдвижения\n\n$$\n"
                          "$0  НОМЕР В БАЗЕ\n102\n$5  ВИД ДОКУМЕНТА\nзакон\nкодекс\n$4  ПРИНЯВШИЙ ОРГАН\nгосдума\n"
                          "$6  ДАТА ПРИНЯТИЯ\n11.03.2001\n$7  НОМЕР\n6-фз\n$9  НАЗВАНИЕ ДОКУМЕНТА\n"
                          "кодекс об административных правонарушениях\n\n$$\n"
                          "$0  НОМЕР В БАЗЕ\n103\n$5  ВИД ДОКУМЕНТА\nуказ\n$4  ПРИНЯВШИЙ ОРГАН\n...\n"
                          "$6  ДАТА ПРИНЯТИЯ\n10.03.2001\n$7  НОМЕР\n7\n$9  НАЗВАНИЕ ДОКУМЕНТА\nо мерах\n\n$$\n"
                          "$0  НОМЕР В БАЗЕ\n104\n$5  ВИД ДОКУМЕНТА\nуказ\n$4  ПРИНЯВШИЙ ОРГАН\nпрезидент\n"
                          "$6  ДАТА ПРИНЯТИЯ\nнет\n$7  НОМЕР\n8\n$9  НАЗВАНИЕ ДОКУМЕНТА\nбез даты\n\n$$\n"
                          "$0  НОМЕР В БАЗЕ\n105\n$5  ВИД ДОКУМЕНТА\nпостановление\n$4  ПРИНЯВШИЙ ОРГАН\nсенат\n"
                          "$6  ДАТА ПРИНЯТИЯ\n01.01.1899\n$7  НОМЕР\n9\n$9  НАЗВАНИЕ ДОКУМЕНТА\nстарый\n\n";

struct Base {
    CTempDir dir;
    CScriptedUi ui;
    COrvoRefMaker maker { ui };
    COrvoSearchQuery query;
    std::vector<COrvoFoundDoc> found;
    SearchOutcome outcome = SearchOutcome::Done;

    Base()
    {
        maker.LoadFiles(dir.Utf8());
        EXPECT_TRUE(maker.documents.ImportListFile(ui, dir.Write("list.txt", codepage::Utf8ToCp1251(kList)), false));
        EXPECT_EQ(maker.documents.records.size(), 5u);
        ui.messages.clear();
    }

    // The numbers in base found, in order.
    std::vector<std::int32_t> Search()
    {
        found.clear();
        outcome = SearchOrvoDocuments(maker.documents, query, COleDate::FromText(2026, 1, 1), ui,
            [this](const COrvoFoundDoc& doc) { found.push_back(doc); });
        std::vector<std::int32_t> numbers;
        for (const COrvoFoundDoc& doc : found)
            numbers.push_back(doc.number);
        return numbers;
    }
};

using Numbers = std::vector<std::int32_t>;

CWordsCondition Words(std::int32_t op, std::initializer_list<std::string_view> values)
{
    CWordsCondition c;
    c.nOperator = op;
    for (std::string_view v : values)
        c.values.emplace_back(v);
    return c;
}

} // namespace

TEST(OrvoSearch, EmptyConditionsFindEveryDatedDocumentUpToToday)
{
    Base b;
    EXPECT_EQ(b.Search(), (Numbers { 101, 102, 103 }));
    EXPECT_EQ(b.outcome, SearchOutcome::Done);
    // The row is the document's requisites text; the indicator went over every document.
    CDocRecvisits first;
    ASSERT_TRUE(b.maker.documents.FindByBaseNumber(101, first));
    EXPECT_EQ(b.found[0].row, first.Describe());
    EXPECT_EQ(b.ui.progressSteps, 5u);
    EXPECT_EQ(b.ui.progressStepped, 5u);
    EXPECT_FALSE(b.ui.progressVisible);
    EXPECT_TRUE(b.ui.messages.empty());

    // A "today" before the documents were adopted finds none of them.
    b.found.clear();
    SearchOrvoDocuments(b.maker.documents, b.query, COleDate::FromText(2001, 3, 9), b.ui,
        [&](const COrvoFoundDoc& doc) { b.found.push_back(doc); });
    EXPECT_TRUE(b.found.empty());
}

TEST(OrvoSearch, TypesAndBodiesByTheirOperators)
{
    Base b;
    b.query.types = Words(SearchOr, { "ЗАКОН"_cp, "УКАЗ"_cp });
    EXPECT_EQ(b.Search(), (Numbers { 101, 102, 103 }));
    b.query.types = Words(SearchAnd, { "ЗАКОН"_cp, "КОДЕКС"_cp });
    EXPECT_EQ(b.Search(), (Numbers { 102 }));
    b.query.types = Words(SearchNot, { "ЗАКОН"_cp });
    EXPECT_EQ(b.Search(), (Numbers { 103 }));

    // НЕ with one body keeps the documents without any body.
    b.query.types = {};
    b.query.bodies = Words(SearchNot, { "ГОСДУМА"_cp });
    EXPECT_EQ(b.Search(), (Numbers { 103 }));
    b.query.bodies = Words(SearchAnd, { "ГОСДУМА"_cp });
    EXPECT_EQ(b.Search(), (Numbers { 101, 102 }));
}

TEST(OrvoSearch, AValueNoDocumentCarriesMatchesNothing)
{
    // A dictionary value that no Orvo document has is still a value: И with it finds nothing, ИЛИ
    // goes by the other values, НЕ excludes nothing by it.
    Base b;
    b.query.types = Words(SearchAnd, { "ЗАКОН"_cp, "ПРИКАЗ"_cp });
    EXPECT_EQ(b.Search(), Numbers {});
    b.query.types = Words(SearchOr, { "ПРИКАЗ"_cp });
    EXPECT_EQ(b.Search(), Numbers {});
    b.query.types = Words(SearchOr, { "ПРИКАЗ"_cp, "УКАЗ"_cp });
    EXPECT_EQ(b.Search(), (Numbers { 103 }));
    b.query.types = Words(SearchNot, { "ПРИКАЗ"_cp });
    EXPECT_EQ(b.Search(), (Numbers { 101, 102, 103 }));
    EXPECT_TRUE(b.ui.messages.empty());
}

TEST(OrvoSearch, UnknownDocumentNumberIsSaidAndNothingIsSearched)
{
    Base b;
    b.query.numbers = Words(SearchOr, { "5-ФЗ"_cp, "99"_cp });
    bool called = false;
    const SearchOutcome outcome = SearchOrvoDocuments(b.maker.documents, b.query, COleDate::FromText(2026, 1, 1), b.ui,
        [&](const COrvoFoundDoc&) { called = true; });
    EXPECT_EQ(outcome, SearchOutcome::UnknownNumber);
    EXPECT_FALSE(called);
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0].text, "Задан неверный номер документа!");
    EXPECT_EQ(b.ui.messages[0].icon, MsgIcon::Error);
    EXPECT_EQ(b.ui.progressSteps, 0u);

    b.query.numbers = Words(SearchOr, { "5-ФЗ"_cp, "7"_cp });
    EXPECT_EQ(b.Search(), (Numbers { 101, 103 }));
    b.query.numbers = Words(SearchNot, { "5-ФЗ"_cp });
    EXPECT_EQ(b.Search(), (Numbers { 102, 103 }));
}

TEST(OrvoSearch, BaseNumbers)
{
    Base b;
    // A document has one number in base, so И with two numbers finds nothing.
    b.query.baseNumbers = { SearchAnd, { 101, 103 } };
    EXPECT_EQ(b.Search(), Numbers {});
    b.query.baseNumbers = { SearchAnd, { 103 } };
    EXPECT_EQ(b.Search(), (Numbers { 103 }));
    b.query.baseNumbers = { SearchOr, { 101, 103, 104 } };
    EXPECT_EQ(b.Search(), (Numbers { 101, 103 }));
    b.query.baseNumbers = { SearchNot, { 101 } };
    EXPECT_EQ(b.Search(), (Numbers { 102, 103 }));
}

TEST(OrvoSearch, DateRange)
{
    Base b;
    // "от" alone: that one day.
    b.query.dateFrom = COleDate::FromText(2001, 3, 10);
    EXPECT_EQ(b.Search(), (Numbers { 101, 103 }));
    // A picker's date at another time of day still means the whole day.
    b.query.dateFrom = COleDate::FromParts(2001, 3, 11, 17, 30, 0);
    EXPECT_EQ(b.Search(), (Numbers { 102 }));
    // "до" alone: from 01.01.1900.
    b.query.dateFrom.reset();
    b.query.dateTo = COleDate::FromText(2001, 3, 10);
    EXPECT_EQ(b.Search(), (Numbers { 101, 103 }));
    // Both: the ends are included.
    b.query.dateFrom = COleDate::FromText(2001, 3, 10);
    b.query.dateTo = COleDate::FromText(2001, 3, 11);
    EXPECT_EQ(b.Search(), (Numbers { 101, 102, 103 }));
    // Before 1900, when asked for.
    b.query.dateFrom = COleDate::FromText(1899, 1, 1);
    b.query.dateTo = COleDate::FromText(1899, 12, 31);
    EXPECT_EQ(b.Search(), (Numbers { 105 }));
    EXPECT_TRUE(b.ui.messages.empty());

    // Upside down: said, not searched.
    b.query.dateFrom = COleDate::FromText(2001, 3, 11);
    b.query.dateTo = COleDate::FromText(2001, 3, 10);
    EXPECT_EQ(b.Search(), Numbers {});
    EXPECT_EQ(b.outcome, SearchOutcome::BadRange);
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0].icon, MsgIcon::Error);

    COleDate low;
    COleDate high;
    SearchDateRange(COrvoSearchQuery {}, COleDate::FromParts(2026, 5, 6, 12, 0, 0), low, high);
    EXPECT_EQ(low, COleDate::FromText(1900, 1, 1));
    EXPECT_EQ(high, COleDate::FromText(2026, 5, 6));
}

TEST(OrvoSearch, NameWordsAndPhrases)
{
    Base b;
    // Whole words, upper-cased; the quotes around a word do not hide it.
    b.query.name = Words(SearchAnd, { "дорожного"_cp, "ДВИЖЕНИЯ"_cp });
    EXPECT_EQ(b.Search(), (Numbers { 101 }));
    b.query.name = Words(SearchOr, { "ПРАВИЛ"_cp });
    EXPECT_EQ(b.Search(), Numbers {});
    // A value of several words is a phrase.
    b.query.name = Words(SearchOr, { "ОБ АДМИНИСТРАТИВНЫХ"_cp, "МЕРАХ"_cp });
    EXPECT_EQ(b.Search(), (Numbers { 102, 103 }));
    b.query.name = Words(SearchOr, { "АДМИНИСТРАТИВНЫХ ОБ"_cp });
    EXPECT_EQ(b.Search(), Numbers {});
    b.query.name = Words(SearchNot, { "О"_cp });
    EXPECT_EQ(b.Search(), (Numbers { 102 }));

    EXPECT_EQ(NameWords("«О ПРАВИЛАХ», (ЧАСТЬ 1)  5-ФЗ \"Т\" "_cp),
        (std::vector<std::string> { S("О"_cp), S("ПРАВИЛАХ"_cp), S("ЧАСТЬ"_cp), "1", S("5-ФЗ"_cp), S("Т"_cp) }));
}

TEST(OrvoSearch, ConditionTexts)
{
    EXPECT_EQ(ConditionText(Words(SearchAnd, { "ЗАКОН"_cp, "УКАЗ"_cp })), S("ЗАКОН И УКАЗ"_cp));
    EXPECT_EQ(ConditionText(Words(SearchOr, { "ЗАКОН"_cp, "УКАЗ"_cp, "КОДЕКС"_cp })), S("ЗАКОН ИЛИ УКАЗ ИЛИ КОДЕКС"_cp));
    EXPECT_EQ(ConditionText(Words(SearchNot, { "ЗАКОН"_cp, "УКАЗ"_cp })), S(" НЕ ЗАКОН НЕ УКАЗ"_cp));
    EXPECT_EQ(ConditionText(CNumsCondition { SearchOr, { 5, -7 } }), S("5 ИЛИ -7"_cp));
    EXPECT_EQ(ConditionText(CNumsCondition { SearchNot, {} }), "");
}

// Typed conditions read back into values: values whole, even with И inside, in any case.
TEST(OrvoSearch, TypedConditionsReadBackIntoValues)
{
    const std::vector<std::string> bodies { S("ГОСДУМА"_cp), S("МИНИСТЕРСТВО ТРУДА И ЗАНЯТОСТИ"_cp), S("ТРУДА"_cp) };
    const auto accept = [&](const std::string& piece) -> std::optional<std::string> {
        for (const std::string& b : bodies)
            if (b == codepage::ToUpper1251(piece))
                return b;
        return std::nullopt;
    };
    const struct {
        const char* typed;
        std::optional<CWordsCondition> expected;
        const char* bad;
    } cases[] = {
        { "", Words(SearchOr, {}), "" },
        { "госдума", Words(SearchOr, { "ГОСДУМА"_cp }), "" },
        { "Госдума или  министерство труда и занятости",
            Words(SearchOr, { "ГОСДУМА"_cp, "МИНИСТЕРСТВО ТРУДА И ЗАНЯТОСТИ"_cp }), "" },
        { "госдума и труда", Words(SearchAnd, { "ГОСДУМА"_cp, "ТРУДА"_cp }), "" },
        { " НЕ ГОСДУМА НЕ ТРУДА", Words(SearchNot, { "ГОСДУМА"_cp, "ТРУДА"_cp }), "" },
        { "ГОСДУМА И СЕНАТ", std::nullopt, "СЕНАТ" },
        { "ГОСДУМА И ТРУДА ИЛИ ГОСДУМА", std::nullopt, "" },
        { "НЕ", std::nullopt, "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        std::string bad = "untouched";
        EXPECT_EQ(ParseConditionText(codepage::Utf8ToCp1251(c.typed), SearchOr, accept, bad), c.expected);
        EXPECT_EQ(bad, codepage::Utf8ToCp1251(c.bad));
    }
}

TEST(OrvoSearch, LongRowsAreCutAtABlank)
{
    const std::string blankless(1500, 'A');
    EXPECT_EQ(SearchResultRow(blankless), blankless);
    // The cut comes at the first blank from the 1024th character on; the words before it stay whole.
    std::string words = std::string(1020, 'A') + " BB CCCC DD";
    EXPECT_EQ(SearchResultRow(words), std::string(1020, 'A') + " BB...");
    words = std::string(1023, 'A') + " BB CCCC DD";
    EXPECT_EQ(SearchResultRow(words), std::string(1023, 'A') + "...");
    words = std::string(1022, 'A') + " BB CCCC DD";
    EXPECT_EQ(SearchResultRow(words), std::string(1022, 'A') + " BB...");
    // Not longer than 1023: as it is, blanks or not.
    words = std::string(1000, 'A') + " " + std::string(22, 'B');
    EXPECT_EQ(SearchResultRow(words), words);
    EXPECT_EQ(SearchResultRow(std::string(1023, 'A')), std::string(1023, 'A'));
}

TEST(OrvoSearch, StopsWhenAsked)
{
    Base b;
    b.ui.stopRequested = true;
    EXPECT_EQ(b.Search(), (Numbers { 101 }));
    EXPECT_EQ(b.outcome, SearchOutcome::Stopped);
    EXPECT_EQ(b.ui.progressStepped, 1u);
    EXPECT_FALSE(b.ui.progressVisible);
}
