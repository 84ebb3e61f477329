// The date recognisers of running text and of list and header fields, and the date values any
// service file may carry: every stored double must format and compare without harm.

#include <cstring>

#include "base/codepage.h"
#include "base/date_text.h"
#include "requisites/doc_recvisits.h"
#include "fuzz/fuzz_support.h"

namespace {

void Use(const COleDate& date)
{
    COleDate::Parts parts;
    if (date.GetParts(parts)) {
        fuzz::Check(parts.month >= 1 && parts.month <= 12 && parts.day >= 1 && parts.day <= 31, "a date of no calendar");
        fuzz::Check(date.Format().size() == 10, "a valid date that does not format as DD.MM.YYYY");
    } else {
        date.Format();
    }
    static_cast<void>(date < COleDate::NoDate());
    static_cast<void>(date == COleDate::NoDate());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string line(reinterpret_cast<const char*>(data), size);
    std::vector<COleDate> dates;
    FindNumericDates(line, dates);
    std::string upper = line;
    codepage::ToUpper1251InPlace(upper);
    FindMonthNameDates(upper, dates);
    Use(ParseDottedDate(line));
    DecimalPrefix(line);
    for (const auto& date : dates) {
        fuzz::Check(date.GetStatus() != COleDate::Null, "a recogniser made a null date");
        Use(date);
    }
    // Dates as a service file holds them: a status and any double at all.
    for (std::size_t at = 0; at + 12 <= size; at += 12) {
        double value;
        std::int32_t status;
        std::memcpy(&status, data + at, sizeof status);
        std::memcpy(&value, data + at + 4, sizeof value);
        Use(COleDate(value, static_cast<COleDate::Status>(static_cast<std::uint32_t>(status) % 3)));
    }
    return 0;
}
