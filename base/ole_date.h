#pragma once

// The date of every record, dictionary and file: an OLE automation date (days since
// 30 December 1899 as a double, the fraction being the time of day) with a status word.

#include <cstdint>
#include <string>

class COleDate {
public:
    enum Status : std::int32_t { Valid = 0, Invalid = 1, Null = 2 };

    struct Parts {
        int year = 0;
        int month = 0;
        int day = 0;
        int hour = 0;
        int minute = 0;
        int second = 0;
    };

    COleDate() = default;
    COleDate(double value, Status status)
        : m_value(value)
        , m_status(status)
    {
    }

    // A date of the calendar; one that does not exist (31.02, month 13, a year outside
    // 100..9999, 24 o'clock) is invalid with the value 0.0.
    static COleDate FromParts(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
    // Dates made from text carry the time of day 01:01:01.
    static COleDate FromText(int year, int month, int day) { return FromParts(year, month, day, 1, 1, 1); }
    // 1 January 1000, 01:01:01: stands for "no date" everywhere.
    static COleDate NoDate();
    static COleDate Invalid0() { return COleDate(0.0, Invalid); }

    double Value() const { return m_value; }
    Status GetStatus() const { return m_status; }
    bool IsValid() const { return m_status == Valid; }
    bool IsNoDate() const;

    // The calendar parts of a valid date, rounded to the second; false for invalid or null dates
    // and values outside the years 100..9999.
    bool GetParts(Parts& parts) const;

    // "%d.%m.%Y": "DD.MM.YYYY"; a null date gives "", an invalid one "Invalid DateTime".
    std::string Format() const;

    // The point in time on one straight line: before 30 December 1899 the whole days count
    // backwards while the time of day still counts forwards within its day.
    double TimeLine() const;

    // Two valid dates are equal when their values are; otherwise the statuses decide.
    friend bool operator==(const COleDate& a, const COleDate& b);
    // Earlier point in time first; the status plays no part (an invalid date sits at 0.0).
    friend bool operator<(const COleDate& a, const COleDate& b) { return a.TimeLine() < b.TimeLine(); }
    friend bool operator>(const COleDate& a, const COleDate& b) { return b < a; }

private:
    double m_value = 0.0;
    Status m_status = Valid;
};

// Days from 30 December 1899 to the given day of the proleptic Gregorian calendar.
std::int64_t OleDayNumber(int year, int month, int day);
bool IsExistingDay(int year, int month, int day);
