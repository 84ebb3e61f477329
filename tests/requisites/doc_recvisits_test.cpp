#include "requisites/doc_recvisits.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <random>

#include <gtest/gtest.h>

#include "base/codepage.h"
#include "storage/archive.h"

namespace {

// The recognisers as first written, cutting each date out of a copy of the whole text and
// indexing its blanks anew: plain and slow (the square of the line), kept as the reference the
// faster ones must agree with.
namespace reference {

std::string_view Drop(std::string_view s, std::size_t n) { return n < s.size() ? s.substr(n) : std::string_view(); }
int CenturyYear(int year) { return year >= 2 && year <= 99 ? year + 1900 : year; }

// The blanks of a working copy, so that a long text without blanks is not rescanned for every
// point or name in it; rebuilt whenever the copy changes.
class Blanks {
public:
    explicit Blanks(const std::string& text) { Rebuild(text); }

    void Rebuild(const std::string& text)
    {
        m_at.clear();
        for (std::size_t i = 0; i < text.size(); ++i)
            if (text[i] == ' ')
                m_at.push_back(i);
        m_size = text.size();
    }

    // The first blank at or after pos, or the end of the text: the end of the word at pos.
    std::size_t Next(std::size_t pos) const
    {
        const auto it = std::lower_bound(m_at.begin(), m_at.end(), pos);
        return it == m_at.end() ? m_size : *it;
    }

    // The last blank at or before pos, or npos.
    std::size_t Previous(std::size_t pos) const
    {
        const auto it = std::upper_bound(m_at.begin(), m_at.end(), pos);
        return it == m_at.begin() ? std::string::npos : *(it - 1);
    }

private:
    std::vector<std::size_t> m_at;
    std::size_t m_size = 0;
};

void NumericDates(const std::string& line, std::vector<COleDate>& dates)
{
    std::string text = line;
    Blanks blanks(text);
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t p = text.find('.', from);
        if (p == std::string::npos)
            break;
        if (p + 3 >= text.size() || text[p + 3] != '.') {
            from = p + 1;
            continue;
        }
        // The fields are counted from the candidate's start even when fewer than two characters
        // precede the point, so "1.02.2003" at the very start of a line reads as 01.02.1903.
        const std::size_t begin = p >= 2 ? p - 2 : 0;
        const std::size_t end = blanks.Next(p);
        const std::string_view candidate = std::string_view(text).substr(begin, end - begin);
        const int day = DecimalPrefix(candidate.substr(0, 2));
        const std::string_view afterDay = Drop(candidate, 3);
        const int month = DecimalPrefix(afterDay.substr(0, 2));
        const int year = CenturyYear(DecimalPrefix(Drop(afterDay, 3)));
        if (day < 1 || day > 31 || month < 1 || month > 12 || year < 1900 || year >= 2050) {
            from = p + 1;
            continue;
        }
        // 31.02 and the like come out invalid and are kept: the caller counts them as dates.
        dates.push_back(COleDate::FromText(year, month, day));
        // The day digits stay; the rest of the word goes, so its second point cannot start
        // another date, and the search goes on with what followed the word.
        text.erase(p, end - p);
        blanks.Rebuild(text);
        from = p;
    }
}

void MonthNameDates(const std::string& line, std::vector<COleDate>& dates)
{
    static constexpr std::array<std::string_view, 12> kMonths = {
        "ЯНВАРЯ"_cp, "ФЕВРАЛЯ"_cp, "МАРТА"_cp, "АПРЕЛЯ"_cp, "МАЯ"_cp, "ИЮНЯ"_cp,
        "ИЮЛЯ"_cp, "АВГУСТА"_cp, "СЕНТЯБРЯ"_cp, "ОКТЯБРЯ"_cp, "НОЯБРЯ"_cp, "ДЕКАБРЯ"_cp,
    };
    std::string text = line;
    Blanks blanks(text);
    for (int month = 1; month <= 12; ++month) {
        const std::string_view name = kMonths[month - 1];
        std::size_t from = 0;
        while (from < text.size()) {
            const std::size_t q = text.find(name, from);
            // A name at the very start has no day before it.
            if (q == std::string::npos || q == 0)
                break;
            from = q + 1;
            const std::size_t afterName = q + name.size();
            if (afterName < text.size() && text[afterName] == ',')
                continue;

            // The year is the word behind the first blank after the name's start; without such a
            // blank there is no year.
            const std::size_t blank = blanks.Next(q);
            if (blank == text.size())
                continue;
            const std::size_t yearStart = blank + 1;
            const std::size_t yearEnd = blanks.Next(yearStart);
            const std::string_view yearWord = std::string_view(text).substr(yearStart, yearEnd - yearStart);
            const int year = CenturyYear(DecimalPrefix(yearWord));
            if (year < 1930 || year > 2020)
                continue;

            // The character just before the name is taken as the blank after the day's word, so the
            // backward search for the blank before that word starts one further back.
            std::size_t dayStart = 0;
            if (q >= 2) {
                const std::size_t before = blanks.Previous(q - 2);
                if (before != std::string::npos)
                    dayStart = before + 1;
            }
            const int day = DecimalPrefix(std::string_view(text).substr(dayStart, q - dayStart));
            if (day < 1 || day > 31)
                continue;

            dates.push_back(COleDate::FromText(year, month, day));
            // Day, name and year go; the blank behind the year stays, and the search resumes where
            // the day began.
            std::size_t removeEnd = dayStart;
            for (int word = 0; word < 3; ++word) {
                while (removeEnd < text.size() && text[removeEnd] == ' ')
                    ++removeEnd;
                removeEnd = blanks.Next(removeEnd);
            }
            text.erase(dayStart, removeEnd - dayStart);
            blanks.Rebuild(text);
            from = dayStart;
        }
    }
}

} // namespace reference

std::string Le32(std::uint32_t v)
{
    return { static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24) };
}

std::string Str(std::string_view s) { return static_cast<char>(s.size()) + std::string(s); }

std::string Date(const COleDate& d)
{
    const double v = d.Value();
    std::string bytes(8, '\0');
    std::memcpy(bytes.data(), &v, 8);
    return Le32(static_cast<std::uint32_t>(d.GetStatus())) + bytes;
}

std::string Stored(CDocRecvisits r)
{
    CArchive ar = CArchive::StoreMemory();
    r.Serialize(ar);
    return ar.Bytes();
}

CDocRecvisits Small()
{
    CDocRecvisits r;
    r.nBaseNumber = 7;
    r.name = "Имя"_cp;
    r.editionDate = COleDate::FromText(2004, 3, 15);
    r.adoptionDates = { COleDate::FromText(2003, 2, 1), COleDate::FromText(2001, 1, 1) };
    r.types = { std::string("Закон"_cp) };
    r.numbers = { "5", "12" };
    r.bodies = { std::string("Дума"_cp) };
    return r;
}

// The stored form of Small(), one piece per field.
std::vector<std::string> SmallImage()
{
    return { Le32(7), Str("Имя"_cp), Date(COleDate::FromText(2004, 3, 15)),
        Le32(2) + Date(COleDate::FromText(2003, 2, 1)) + Date(COleDate::FromText(2001, 1, 1)),
        Le32(1) + Str("Закон"_cp), Le32(2) + Str("5") + Str("12"), Le32(1) + Str("Дума"_cp) };
}

std::vector<COleDate> Numeric(std::string_view line)
{
    std::vector<COleDate> dates;
    FindNumericDates(std::string(line), dates);
    return dates;
}

std::vector<COleDate> Named(std::string_view line)
{
    std::vector<COleDate> dates;
    FindMonthNameDates(std::string(line), dates);
    return dates;
}

// The dates as one text, "|" between them.
std::string Texts(const std::vector<COleDate>& dates)
{
    std::string out;
    for (const auto& d : dates)
        out += (out.empty() ? "" : "|") + d.Format();
    return out;
}

} // namespace

TEST(Recvisits, Describe)
{
    CDocRecvisits r;
    EXPECT_EQ(r.Describe(),
        "Номер в базе: 0\nВид документа: \nПринявший орган: \nДата принятия: \nРедакция от: \nНомер: \n"
        "Название документа: "_cp);

    r.nBaseNumber = -1;
    r.types = { std::string("Постановление"_cp) };
    r.bodies = { std::string("Правительство РФ"_cp), std::string("Минфин РФ"_cp) };
    r.adoptionDates = { COleDate::FromText(2003, 2, 1), COleDate::Invalid0(), COleDate(0.0, COleDate::Null) };
    r.editionDate = COleDate::FromText(2004, 3, 5);
    r.numbers = { "5", std::string("12-н"_cp) };
    r.name = "О мерах"_cp;
    EXPECT_EQ(r.Describe(),
        "Номер в базе: -1\nВид документа: Постановление\nПринявший орган: Правительство РФ, Минфин РФ\n"
        "Дата принятия: 01.02.2003, Invalid DateTime, \nРедакция от: 05.03.2004\nНомер: 5, 12-н\n"
        "Название документа: О мерах"_cp);
    // Only the no-date value is left out; the same day at another time of day is shown.
    r.editionDate = COleDate::FromParts(1000, 1, 1);
    EXPECT_NE(r.Describe().find("Редакция от: 01.01.1000\n"_cp), std::string::npos);
}

TEST(Recvisits, ClearEqualsAndDeterminedKinds)
{
    CDocRecvisits r = Small();
    EXPECT_EQ(r.DeterminedKinds(), 4);
    r.types.clear();
    r.numbers.clear();
    EXPECT_EQ(r.DeterminedKinds(), 2);
    r.Clear();
    EXPECT_EQ(r.DeterminedKinds(), 0);
    EXPECT_TRUE(r.Equals(CDocRecvisits()));
    EXPECT_TRUE(r.editionDate.IsNoDate());

    const CDocRecvisits base = Small();
    EXPECT_TRUE(base.Equals(Small()));
    const std::function<void(CDocRecvisits&)> changes[] = {
        [](CDocRecvisits& x) { x.nBaseNumber = -1; },
        [](CDocRecvisits& x) { x.name += ' '; },
        [](CDocRecvisits& x) { x.editionDate = COleDate::FromParts(2004, 3, 15); }, // same day, other time
        [](CDocRecvisits& x) { x.adoptionDates.pop_back(); },
        [](CDocRecvisits& x) { std::swap(x.adoptionDates[0], x.adoptionDates[1]); },
        [](CDocRecvisits& x) { x.types[0] = "ЗАКОН"_cp; }, // case counts
        [](CDocRecvisits& x) { std::swap(x.numbers[0], x.numbers[1]); },
        [](CDocRecvisits& x) { x.bodies.push_back(""); },
    };
    for (std::size_t i = 0; i < std::size(changes); ++i) {
        CDocRecvisits other = base;
        changes[i](other);
        EXPECT_FALSE(base.Equals(other)) << "change " << i;
        EXPECT_FALSE(other.Equals(base)) << "change " << i;
    }
}

TEST(Recvisits, StoredImageAndRoundTrip)
{
    const std::string noDate("\x00\x00\x00\x00\xC4\xBE\x63\x2B\x30\x10\x14\xC1", 12);
    EXPECT_EQ(Stored(CDocRecvisits()), std::string(5, '\0') + noDate + std::string(16, '\0'));
    std::string image;
    for (const auto& piece : SmallImage())
        image += piece;
    EXPECT_EQ(Stored(Small()), image);

    for (const CDocRecvisits& original : { CDocRecvisits(), Small() }) {
        const std::string bytes = Stored(original);
        CArchive in = CArchive::LoadBytes(bytes + "tail");
        CDocRecvisits loaded = Small();
        loaded.nBaseNumber = 99;
        loaded.types = { "a", "b", "c" };
        loaded.Serialize(in);
        EXPECT_TRUE(loaded.Equals(original));
        EXPECT_EQ(in.Remaining(), 4u);
    }
}

TEST(Recvisits, CutLoadKeepsTheFieldsReadBeforeTheCut)
{
    CDocRecvisits old;
    old.nBaseNumber = 99;
    old.name = "старое"_cp;
    old.adoptionDates = { COleDate::FromText(1999, 9, 9) };
    old.types = { "a", "b" };
    old.numbers = { "x" };
    old.bodies = { "y", "z" };
    const CDocRecvisits fresh = Small();
    // In stored order; a list is emptied as soon as its count is read.
    const std::function<bool(const CDocRecvisits&, const CDocRecvisits&)> same[] = {
        [](auto& a, auto& b) { return a.nBaseNumber == b.nBaseNumber; },
        [](auto& a, auto& b) { return a.name == b.name; },
        [](auto& a, auto& b) { return a.editionDate == b.editionDate; },
        [](auto& a, auto& b) { return a.adoptionDates == b.adoptionDates; },
        [](auto& a, auto& b) { return a.types == b.types; },
        [](auto& a, auto& b) { return a.numbers == b.numbers; },
        [](auto& a, auto& b) { return a.bodies == b.bodies; },
    };
    const auto pieces = SmallImage();
    const std::string bytes = Stored(fresh);
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        CDocRecvisits r = old;
        CArchive in = CArchive::LoadBytes(bytes.substr(0, cut));
        EXPECT_THROW(r.Serialize(in), CArchiveException) << "cut " << cut;
        std::size_t start = 0;
        for (std::size_t f = 0; f < pieces.size(); ++f) {
            const std::size_t end = start + pieces[f].size();
            const std::size_t untouchedBelow = f >= 3 ? start + 4 : end;
            if (end <= cut) {
                EXPECT_TRUE(same[f](r, fresh)) << "cut " << cut << " field " << f;
            }
            if (cut < untouchedBelow) {
                EXPECT_TRUE(same[f](r, old)) << "cut " << cut << " field " << f;
            }
            start = end;
        }
    }
}

TEST(RecognizeNumericDates, ExamplesAndRanges)
{
    const auto found = Numeric("от 01.02.2003"_cp);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0], COleDate::FromText(2003, 2, 1)); // dates from text carry 01:01:01
    EXPECT_EQ(Texts(Numeric("от 1.02.2003"_cp)), "01.02.2003");
    EXPECT_EQ(Texts(Numeric("01.02.03")), "01.02.1903");
    EXPECT_TRUE(Numeric("1.2.2003 и 1.2.03"_cp).empty());
    const auto invalid = Numeric("от 31.02.2001 N 5"_cp);
    ASSERT_EQ(invalid.size(), 1u);
    EXPECT_EQ(invalid[0].GetStatus(), COleDate::Invalid);
    EXPECT_EQ(Texts(Numeric("от 01.02.2003 и 04.05.06, а также 7.08.2009г."_cp)), "01.02.2003|04.05.1906|07.08.2009");
    // With fewer than two characters before the point the fields still count from the text's start.
    EXPECT_EQ(Texts(Numeric("1.02.2003")), "01.02.1903");

    EXPECT_TRUE(Numeric("00.01.2001 32.01.2001 01.00.2001 01.13.2001 01.01.1899 01.01.2050 01.01.01 01.01.00").empty());
    EXPECT_EQ(Texts(Numeric("31.12.2049 01.01.1900 01.01.99 01.01.02")), "31.12.2049|01.01.1900|01.01.1999|01.01.1902");
}

TEST(RecognizeNumericDates, RecognisedWordIsRemovedButTheDayDigitsStay)
{
    // Without the removal the second point pair would give 03.04.1905.
    EXPECT_EQ(Texts(Numeric("01.02.2003.04.05")), "01.02.2003");
    // After the removal the next candidate starts in the kept day digits: "1 .05.06".
    EXPECT_EQ(Texts(Numeric("01.02.2003 .05.06")), "01.02.2003|01.05.1906");
}

TEST(RecognizeMonthNameDates, ExamplesAndRanges)
{
    const auto found = Named("12 ЯНВАРЯ 2001 Г."_cp);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0], COleDate::FromText(2001, 1, 12));
    EXPECT_TRUE(Named("12 ЯНВАРЯ, 2001"_cp).empty());
    EXPECT_TRUE(Named("5 МАЯ 1925"_cp).empty());
    EXPECT_EQ(Texts(Named("ОТ 1 МАРТА 2020 Г. И ОТ 2 МАРТА 2021 Г."_cp)), "01.03.2020");
    EXPECT_EQ(Texts(Named("1 МАЯ 1930, 2 МАЯ 1929, 3 МАЯ 95"_cp)), "01.05.1930|03.05.1995");
    EXPECT_TRUE(Named("ОТ 32 МАЯ 2001 ОТ 0 МАЯ 2001 ОТ МАЯ 2001"_cp).empty());
    const auto invalid = Named("ОТ 31 ФЕВРАЛЯ 2001"_cp);
    ASSERT_EQ(invalid.size(), 1u);
    EXPECT_EQ(invalid[0].GetStatus(), COleDate::Invalid);
}

TEST(RecognizeMonthNameDates, OrderPositionsAndRemoval)
{
    // Found month by month, not in the order of the text.
    EXPECT_EQ(Texts(Named("ОТ 3 ДЕКАБРЯ 2001 И 4 ЯНВАРЯ 2002 И 5 ДЕКАБРЯ 2002"_cp)), "04.01.2002|03.12.2001|05.12.2002");
    // A name at the very start ends the search for that month, even with a date behind it.
    EXPECT_TRUE(Named("МАЯ 1 МАЯ 2001"_cp).empty());
    EXPECT_EQ(Texts(Named("МАЯ 1 ИЮНЯ 2001"_cp)), "01.06.2001");
    EXPECT_EQ(Texts(Named("1МАЯ 2001 И 2ИЮНЯ 2002"_cp)), "01.05.2001|02.06.2002");
    // The year "31" of the first date would be the day of the second one if it stayed.
    EXPECT_EQ(Texts(Named("1 МАЯ 31 ИЮНЯ 2002"_cp)), "01.05.1931");
    // Exactly three words go: the next word can be the next day.
    EXPECT_EQ(Texts(Named("1 МАЯ 2001 2 ИЮНЯ 2002"_cp)), "01.05.2001|02.06.2002");
}

TEST(RecognizeDates, HostileTextNeitherCrashesNorInventsDates)
{
    const std::string samples[] = {
        "", ".", "..", "...", "....", ".....", "1.", "01.02.", "01.02", ".01.2003", "x.02.2003", "01.02. 2003",
        "12345678", " .  .", std::string(100000, '.'), std::string(100000, '7'),
        std::string("МАЯ"_cp), std::string("1 МАЯ"_cp), std::string("1 МАЯ "_cp), std::string("МАЯМАЯ 2001"_cp),
        std::string("2001 1 МАЯ"_cp), std::string("1  МАЯ  2001"_cp),
    };
    for (const auto& s : samples) {
        const auto numeric = Numeric(s);
        const auto named = Named(s);
        EXPECT_TRUE(numeric.empty() && named.empty()) << s.substr(0, 40);
    }

    std::string many;
    for (int i = 0; i < 3000; ++i)
        many += "01.02.2003 1 МАЯ 2001 "_cp;
    EXPECT_EQ(Numeric(many).size(), 3000u);
    EXPECT_EQ(Named(many).size(), 3000u);

    // Random text from pieces of dates: every date found is either a proper date of text in the
    // allowed years or an invalid one.
    const std::string words[] = { "1", "31", "02", "32", "2001", "95", "1925", "2049", std::string("МАЯ"_cp),
        std::string("ФЕВРАЛЯ"_cp) };
    const std::string separators[] = { ".", ".", " ", " ", ",", std::string(1, '\0') };
    std::mt19937 rng(1251);
    std::size_t total = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string s;
        for (int n = std::uniform_int_distribution<int>(0, 8)(rng); n > 0; --n) {
            s += words[std::uniform_int_distribution<std::size_t>(0, std::size(words) - 1)(rng)];
            s += separators[std::uniform_int_distribution<std::size_t>(0, std::size(separators) - 1)(rng)];
        }
        auto dates = Numeric(s);
        const std::size_t numericCount = dates.size();
        FindMonthNameDates(s, dates);
        total += dates.size();
        for (std::size_t k = 0; k < dates.size(); ++k) {
            if (!dates[k].IsValid()) {
                EXPECT_EQ(dates[k].GetStatus(), COleDate::Invalid) << s;
                EXPECT_EQ(dates[k].Value(), 0.0) << s;
                continue;
            }
            COleDate::Parts p;
            ASSERT_TRUE(dates[k].GetParts(p));
            EXPECT_EQ(p.hour * 3600 + p.minute * 60 + p.second, 3661) << s;
            if (k < numericCount) {
                EXPECT_TRUE(p.year >= 1900 && p.year < 2050) << s;
            } else {
                EXPECT_TRUE(p.year >= 1930 && p.year <= 2020) << s;
            }
        }
    }
    EXPECT_GT(total, 100u); // the property above was put to work
}

TEST(RecognizeDates, AgreeWithThePlainRecognisersOnRandomText)
{
    // Pieces that make dates, near-dates and their neighbours, joined by what separates them,
    // including the cases where a cut joins words or a day word reaches back past a cut.
    const std::string words[] = { "1", "31", "02", "12", "2001", "95", "1925", "0", "+7", "-3", "00000000005", "x",
        std::string("МАЯ"_cp), std::string("ФЕВРАЛЯ"_cp), std::string("ДЕКАБРЯ"_cp), "01.02.2003", "1.2.03", "31.12.99",
        "01.02.", ".2003", "5.05.2005.", "\t9" };
    const std::string separators[] = { ".", " ", " ", "  ", ",", "", std::string(1, '\0') };
    std::mt19937 rng(866);
    std::size_t found = 0;
    for (int i = 0; i < 40000; ++i) {
        std::string s;
        for (int n = std::uniform_int_distribution<int>(0, 14)(rng); n > 0; --n) {
            s += words[std::uniform_int_distribution<std::size_t>(0, std::size(words) - 1)(rng)];
            s += separators[std::uniform_int_distribution<std::size_t>(0, std::size(separators) - 1)(rng)];
        }
        std::vector<COleDate> expected;
        std::vector<COleDate> actual;
        reference::NumericDates(s, expected);
        FindNumericDates(s, actual);
        ASSERT_EQ(actual, expected) << s;
        expected.clear();
        actual.clear();
        reference::MonthNameDates(s, expected);
        FindMonthNameDates(s, actual);
        ASSERT_EQ(actual, expected) << s;
        found += actual.size();
    }
    EXPECT_GT(found, 500u);

    // A long line of many dates gives each of them, in order.
    std::string many;
    for (int i = 0; i < 20000; ++i)
        many += "ОТ 01.02.2003 И 6 ОКТЯБРЯ 2003 Г. N 131-ФЗ, "_cp;
    std::vector<COleDate> dates;
    FindNumericDates(many, dates);
    EXPECT_EQ(dates, std::vector<COleDate>(20000, COleDate::FromText(2003, 2, 1)));
    dates.clear();
    FindMonthNameDates(many, dates);
    EXPECT_EQ(dates, std::vector<COleDate>(20000, COleDate::FromText(2003, 10, 6)));
}
