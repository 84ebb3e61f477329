#include "base/ole_date.h"

#include <cmath>
#include <cstdio>
#include <random>
#include <tuple>

#include <gtest/gtest.h>

#include "storage/archive.h"

namespace {

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m)
{
    static constexpr int kDays[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    return kDays[m - 1] + (m == 2 && IsLeap(y) ? 1 : 0);
}

auto Tie(const COleDate::Parts& p) { return std::tie(p.year, p.month, p.day, p.hour, p.minute, p.second); }

} // namespace

TEST(OleDate, NoDateValueAndArchiveImage)
{
    const COleDate none = COleDate::NoDate();
    EXPECT_TRUE(none.IsValid());
    EXPECT_TRUE(none.IsNoDate());
    EXPECT_EQ(none.Value(), -328716 - 3661 / 86400.0);
    EXPECT_EQ(none.Format(), "01.01.1000");

    CArchive out = CArchive::StoreMemory();
    out.WriteDate(none);
    EXPECT_EQ(out.Bytes(), std::string("\x00\x00\x00\x00\xC4\xBE\x63\x2B\x30\x10\x14\xC1", 12));
    CArchive in = CArchive::LoadBytes(out.Bytes());
    EXPECT_TRUE(in.ReadDate().IsNoDate());

    // The same day at another time, or the same value with another status, is a date after all.
    EXPECT_FALSE(COleDate::FromParts(1000, 1, 1).IsNoDate());
    EXPECT_FALSE(COleDate(none.Value(), COleDate::Invalid).IsNoDate());
}

TEST(OleDate, PartsAndValuesOnBothSidesOfTheEpoch)
{
    struct Case {
        COleDate::Parts parts;
        double value;
    };
    const Case cases[] = {
        { { 1899, 12, 30, 0, 0, 0 }, 0.0 },
        { { 1899, 12, 30, 12, 0, 0 }, 0.5 },
        { { 1899, 12, 29, 0, 0, 0 }, -1.0 },
        { { 1899, 12, 29, 6, 0, 0 }, -1.25 },
        { { 1899, 12, 28, 18, 0, 0 }, -2.75 },
        { { 1900, 1, 1, 0, 0, 0 }, 2.0 },
        { { 1900, 3, 1, 6, 0, 0 }, 61.25 },
        { { 2000, 1, 1, 0, 0, 0 }, 36526.0 },
        { { 100, 1, 1, 0, 0, 0 }, -657434.0 },
        { { 100, 1, 1, 18, 0, 0 }, -657434.75 },
        { { 9999, 12, 31, 0, 0, 0 }, 2958465.0 },
        { { 9999, 12, 31, 12, 0, 0 }, 2958465.5 },
    };
    for (const auto& c : cases) {
        const auto& p = c.parts;
        const COleDate d = COleDate::FromParts(p.year, p.month, p.day, p.hour, p.minute, p.second);
        ASSERT_TRUE(d.IsValid()) << p.year << "-" << p.month << "-" << p.day;
        EXPECT_EQ(d.Value(), c.value) << p.year << "-" << p.month << "-" << p.day;
        COleDate::Parts back;
        ASSERT_TRUE(COleDate(c.value, COleDate::Valid).GetParts(back)) << c.value;
        EXPECT_EQ(Tie(back), Tie(p)) << c.value;
    }
    // A time of day that rounds up to midnight lands on the next day of the time line, on either
    // side of the epoch.
    COleDate::Parts p;
    ASSERT_TRUE(COleDate(-1.9999999999, COleDate::Valid).GetParts(p));
    EXPECT_EQ(Tie(p), Tie(COleDate::Parts { 1899, 12, 30, 0, 0, 0 }));
    ASSERT_TRUE(COleDate(5.9999999999, COleDate::Valid).GetParts(p));
    EXPECT_EQ(Tie(p), Tie(COleDate::Parts { 1900, 1, 5, 0, 0, 0 }));
}

TEST(OleDate, DaysThatDoNotExistAreInvalidZero)
{
    EXPECT_FALSE(COleDate::FromParts(1900, 2, 29).IsValid());
    EXPECT_FALSE(COleDate::FromParts(2100, 2, 29).IsValid());
    EXPECT_TRUE(COleDate::FromParts(2000, 2, 29).IsValid());
    EXPECT_TRUE(COleDate::FromParts(2004, 2, 29).IsValid());
    EXPECT_EQ(COleDate::FromParts(1900, 3, 1).Value() - COleDate::FromParts(1900, 2, 28).Value(), 1.0);
    EXPECT_EQ(COleDate::FromParts(2000, 3, 1).Value() - COleDate::FromParts(2000, 2, 28).Value(), 2.0);

    const int bad[][6] = {
        { 1900, 2, 29, 0, 0, 0 }, { 2001, 4, 31, 0, 0, 0 }, { 2001, 13, 1, 0, 0, 0 }, { 2001, 0, 1, 0, 0, 0 },
        { 2001, 1, 0, 0, 0, 0 }, { 2001, 1, 32, 0, 0, 0 }, { 99, 12, 31, 0, 0, 0 }, { 10000, 1, 1, 0, 0, 0 },
        { 2001, 1, 1, 24, 0, 0 }, { 2001, 1, 1, 0, 60, 0 }, { 2001, 1, 1, 0, 0, 60 }, { 2001, 1, 1, -1, 0, 0 },
    };
    for (const auto& b : bad) {
        const COleDate d = COleDate::FromParts(b[0], b[1], b[2], b[3], b[4], b[5]);
        EXPECT_EQ(d.GetStatus(), COleDate::Invalid) << b[0] << "-" << b[1] << "-" << b[2] << " " << b[3];
        EXPECT_EQ(d.Value(), 0.0);
        EXPECT_EQ(d.Format(), "Invalid DateTime");
    }
    EXPECT_EQ(COleDate::FromText(2001, 2, 31).GetStatus(), COleDate::Invalid);
}

TEST(OleDate, OrderFollowsTheTimeLineAcross1899)
{
    const COleDate midnight29 = COleDate::FromParts(1899, 12, 29);
    const COleDate morning29 = COleDate::FromParts(1899, 12, 29, 6);
    const COleDate evening28 = COleDate::FromParts(1899, 12, 28, 18);
    const COleDate epoch = COleDate::FromParts(1899, 12, 30);
    EXPECT_TRUE(morning29 > midnight29);
    EXPECT_TRUE(morning29 < epoch);
    EXPECT_TRUE(evening28 < midnight29);
    EXPECT_FALSE(midnight29 < midnight29);
    EXPECT_TRUE(COleDate::NoDate() < COleDate::FromParts(1000, 1, 1, 1, 1, 2));
    EXPECT_TRUE(COleDate::NoDate() > COleDate::FromParts(1000, 1, 1, 1, 1, 0));

    // Equality: values for valid dates, statuses otherwise.
    EXPECT_EQ(COleDate(3.0, COleDate::Invalid), COleDate(0.0, COleDate::Invalid));
    EXPECT_FALSE(COleDate(0.0, COleDate::Valid) == COleDate::Invalid0());
    EXPECT_FALSE(COleDate(0.0, COleDate::Null) == COleDate::Invalid0());
    EXPECT_FALSE(midnight29 == morning29);
}

TEST(OleDate, FormatOfEachStatus)
{
    EXPECT_EQ(COleDate::FromText(2003, 2, 1).Format(), "01.02.2003");
    EXPECT_EQ(COleDate::FromParts(1899, 12, 29, 23, 59, 59).Format(), "29.12.1899");
    EXPECT_EQ(COleDate(0.0, COleDate::Null).Format(), "");
    EXPECT_EQ(COleDate(36526.0, COleDate::Null).Format(), "");
    EXPECT_EQ(COleDate::Invalid0().Format(), "Invalid DateTime");
    // Valid in status but outside the calendar.
    EXPECT_EQ(COleDate(3.0e6, COleDate::Valid).Format(), "Invalid DateTime");
    EXPECT_EQ(COleDate(-7.0e5, COleDate::Valid).Format(), "Invalid DateTime");
}

TEST(OleDate, RandomDatesRoundTripAndOrderLikeTheirParts)
{
    std::mt19937 rng(20240229);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto randomParts = [&] {
        COleDate::Parts p;
        // Every tenth date is on the edges of the calendar, where the range checks bite.
        const int edge = pick(0, 9);
        p.year = edge == 0 ? 100 : edge == 1 ? 9999 : pick(100, 9999);
        p.month = edge == 0 ? 1 : edge == 1 ? 12 : pick(1, 12);
        p.day = edge == 0 ? 1 : edge == 1 ? 31 : pick(1, DaysInMonth(p.year, p.month));
        p.hour = pick(0, 23);
        p.minute = pick(0, 59);
        p.second = pick(0, 59);
        return p;
    };
    COleDate::Parts prevParts = randomParts();
    COleDate prev = COleDate::FromParts(prevParts.year, prevParts.month, prevParts.day, prevParts.hour,
        prevParts.minute, prevParts.second);
    for (int i = 0; i < 200000; ++i) {
        const COleDate::Parts p = randomParts();
        const COleDate d = COleDate::FromParts(p.year, p.month, p.day, p.hour, p.minute, p.second);
        ASSERT_TRUE(d.IsValid());
        // The calendar, checked against its own rules: the next day is one day further on.
        const bool lastOfMonth = p.day == DaysInMonth(p.year, p.month);
        const int nextYear = lastOfMonth && p.month == 12 ? p.year + 1 : p.year;
        const int nextMonth = lastOfMonth ? p.month % 12 + 1 : p.month;
        const COleDate next = COleDate::FromParts(nextYear, nextMonth, lastOfMonth ? 1 : p.day + 1);
        if (nextYear <= 9999) {
            ASSERT_EQ(next.Value(), std::trunc(d.Value()) + 1) << p.year << "-" << p.month << "-" << p.day;
        }

        COleDate::Parts back;
        ASSERT_TRUE(d.GetParts(back)) << p.year << "-" << p.month << "-" << p.day << " " << p.hour;
        ASSERT_EQ(Tie(back), Tie(p));
        char text[16];
        std::snprintf(text, sizeof text, "%02d.%02d.%04d", p.day, p.month, p.year);
        ASSERT_EQ(d.Format(), text);

        ASSERT_EQ(d < prev, Tie(p) < Tie(prevParts)) << d.Value() << " " << prev.Value();
        ASSERT_EQ(d == prev, Tie(p) == Tie(prevParts));
        prev = d;
        prevParts = p;
    }
}
