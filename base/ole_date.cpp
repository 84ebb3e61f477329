#include "base/ole_date.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr double kMinValue = -657434.0; // 1 January 100
constexpr double kMaxValue = 2958466.0; // 1 January 10000

std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    // Days since 1 January 1970 (H. Hinnant's algorithm, exact for every year).
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

constexpr std::int64_t kEpochShift = 25569; // 30.12.1899 .. 01.01.1970

} // namespace

std::int64_t OleDayNumber(int year, int month, int day)
{
    return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) + kEpochShift;
}

bool IsExistingDay(int year, int month, int day)
{
    static constexpr int kDays[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int last = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
    return day <= last;
}

COleDate COleDate::FromParts(int year, int month, int day, int hour, int minute, int second)
{
    if (!IsExistingDay(year, month, day) || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0
        || second > 59)
        return Invalid0();
    const auto n = static_cast<double>(OleDayNumber(year, month, day));
    const double s = hour * 3600 + minute * 60 + second;
    // Stored files depend on this exact form: whole days, then the time of day added towards the
    // sign of the day number.
    return COleDate(n >= 0 ? n + s / 86400.0 : n - s / 86400.0, Valid);
}

COleDate COleDate::NoDate()
{
    static const COleDate kNoDate = FromParts(1000, 1, 1, 1, 1, 1);
    return kNoDate;
}

bool COleDate::IsNoDate() const { return *this == NoDate(); }

double COleDate::TimeLine() const
{
    if (m_value >= 0)
        return m_value;
    const double whole = std::ceil(m_value);
    return whole + (whole - m_value);
}

bool COleDate::GetParts(Parts& parts) const
{
    // Before the epoch the time of day pushes the value below its day, so the whole of
    // 1 January 100 lies above kMinValue - 1.
    if (m_status != Valid || !(m_value > kMinValue - 1.0 && m_value < kMaxValue))
        return false;
    double whole = std::trunc(m_value);
    auto seconds = static_cast<std::int64_t>(std::llround(std::fabs(m_value - whole) * 86400.0));
    auto dayNumber = static_cast<std::int64_t>(whole);
    if (seconds >= 86400) {
        seconds -= 86400;
        ++dayNumber; // the day after, on the time line
    }
    CivilFromDays(dayNumber - kEpochShift, parts.year, parts.month, parts.day);
    parts.hour = static_cast<int>(seconds / 3600);
    parts.minute = static_cast<int>(seconds / 60 % 60);
    parts.second = static_cast<int>(seconds % 60);
    return parts.year >= 100 && parts.year <= 9999;
}

std::string COleDate::Format() const
{
    if (m_status == Null)
        return {};
    Parts p;
    if (!GetParts(p))
        return "Invalid DateTime";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", p.day, p.month, p.year);
    return buf;
}

bool operator==(const COleDate& a, const COleDate& b)
{
    if (a.m_status == COleDate::Valid && b.m_status == COleDate::Valid)
        return a.m_value == b.m_value;
    return a.m_status == b.m_status;
}
