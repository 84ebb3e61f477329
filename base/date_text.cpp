#include "base/date_text.h"

#include <cctype>

namespace {

// One "%0Nd" conversion: blanks skipped, then at most width characters of sign and digits.
bool ScanField(std::string_view text, std::size_t& pos, std::size_t width, int& value)
{
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos])))
        ++pos;
    std::size_t used = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
        ++used;
    }
    int v = 0;
    bool digits = false;
    while (used < width && pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        v = v * 10 + (text[pos] - '0');
        ++pos;
        ++used;
        digits = true;
    }
    if (!digits)
        return false;
    value = negative ? -v : v;
    return true;
}

bool ScanLiteral(std::string_view text, std::size_t& pos, char c)
{
    if (pos < text.size() && text[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

} // namespace

COleDate ParseDottedDate(std::string_view text)
{
    std::size_t pos = 0;
    int day = 0;
    int month = 0;
    int year = 0;
    if (!ScanField(text, pos, 2, day) || !ScanLiteral(text, pos, '.') || !ScanField(text, pos, 2, month)
        || !ScanLiteral(text, pos, '.') || !ScanField(text, pos, 4, year))
        return COleDate::Invalid0();
    return COleDate::FromText(year, month, day);
}
