#include "base/codepage.h"

#include <limits>

namespace codepage {
namespace {

using ByteTable = std::array<unsigned char, 256>;

constexpr char32_t UnicodeOf(const std::array<char16_t, 128>& high, unsigned b)
{
    return b < 0x80 ? b : high[b - 0x80];
}

// What a character that the target page lacks turns into: frames keep their shape in ASCII.
constexpr unsigned char LookAlike(char32_t u)
{
    if (u == 0x2500)
        return '-';
    if (u == 0x2550)
        return '=';
    if (u == 0x2502 || u == 0x2551)
        return '|';
    if (u >= 0x2500 && u <= 0x256C)
        return '+';
    return '?';
}

constexpr int FindIn(const std::array<char16_t, 128>& high, char32_t u)
{
    if (u < 0x80)
        return static_cast<int>(u);
    for (unsigned i = 0; i < 128; ++i)
        if (high[i] == u && u != 0xFFFD)
            return static_cast<int>(0x80 + i);
    return -1;
}

constexpr ByteTable MakeTable(const std::array<char16_t, 128>& from, const std::array<char16_t, 128>& to)
{
    ByteTable t {};
    for (unsigned b = 0; b < 256; ++b) {
        const char32_t u = UnicodeOf(from, b);
        const int mapped = FindIn(to, u);
        t[b] = mapped >= 0 ? static_cast<unsigned char>(mapped) : LookAlike(u);
    }
    return t;
}

constexpr char32_t UpperUnicode(char32_t u)
{
    if (u >= 'a' && u <= 'z')
        return u - 0x20;
    if (u >= 0x0430 && u <= 0x044F)
        return u - 0x20;
    if (u >= 0x0450 && u <= 0x045F)
        return u - 0x50;
    if (u == 0x0491) // ґ
        return 0x0490;
    return u;
}

constexpr ByteTable MakeUpperTable()
{
    ByteTable t {};
    for (unsigned b = 0; b < 256; ++b) {
        const char32_t u = UnicodeOf(kCp1251High, b);
        const char32_t up = UpperUnicode(u);
        const int mapped = up == u ? -1 : FindIn(kCp1251High, up);
        t[b] = static_cast<unsigned char>(mapped >= 0 ? mapped : static_cast<int>(b));
    }
    return t;
}

constexpr ByteTable k866To1251 = MakeTable(kCp866High, kCp1251High);
constexpr ByteTable k1251To866 = MakeTable(kCp1251High, kCp866High);
constexpr ByteTable kUpper1251 = MakeUpperTable();

void Apply(const ByteTable& t, std::string& s)
{
    for (char& c : s)
        c = static_cast<char>(t[static_cast<unsigned char>(c)]);
}

void AppendUtf8(std::string& out, char32_t u)
{
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | (u >> 6));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (u >> 12));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
}

char FromUnicode(char32_t u)
{
    const int b = FindIn(kCp1251High, u);
    return b >= 0 ? static_cast<char>(b) : '?';
}

} // namespace

std::string Cp866ToCp1251(std::string_view s)
{
    std::string out(s);
    Apply(k866To1251, out);
    return out;
}

std::string Cp1251ToCp866(std::string_view s)
{
    std::string out(s);
    Apply(k1251To866, out);
    return out;
}

void Cp866ToCp1251InPlace(std::string& s) { Apply(k866To1251, s); }
void Cp1251ToCp866InPlace(std::string& s) { Apply(k1251To866, s); }

char ToUpper1251(char c) { return static_cast<char>(kUpper1251[static_cast<unsigned char>(c)]); }

std::string ToUpper1251(std::string_view s)
{
    std::string out(s);
    Apply(kUpper1251, out);
    return out;
}

void ToUpper1251InPlace(std::string& s) { Apply(kUpper1251, s); }

std::string Cp1251ToUtf8(std::string_view s)
{
    std::string out;
    out.reserve(s.size() * 2);
    for (char c : s) {
        const char32_t u = UnicodeOf(kCp1251High, static_cast<unsigned char>(c));
        AppendUtf8(out, u);
    }
    return out;
}

std::string Utf8ToCp1251(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b0 = static_cast<unsigned char>(s[i]);
        std::size_t len = 0;
        char32_t u = 0;
        if (b0 < 0x80) {
            len = 1;
            u = b0;
        } else if ((b0 & 0xE0) == 0xC0) {
            len = 2;
            u = b0 & 0x1F;
        } else if ((b0 & 0xF0) == 0xE0) {
            len = 3;
            u = b0 & 0x0F;
        } else if ((b0 & 0xF8) == 0xF0) {
            len = 4;
            u = b0 & 0x07;
        }
        bool ok = len != 0 && i + len <= s.size();
        for (std::size_t k = 1; ok && k < len; ++k) {
            const auto b = static_cast<unsigned char>(s[i + k]);
            if ((b & 0xC0) != 0x80)
                ok = false;
            else
                u = (u << 6) | (b & 0x3F);
        }
        if (!ok) {
            out += '?';
            ++i;
            continue;
        }
        out += FromUnicode(u);
        i += len;
    }
    return out;
}

std::string Utf16LeToCp1251(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char32_t u = static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
        // A surrogate half stands for a character far outside the page.
        out += (u >= 0xD800 && u <= 0xDFFF) ? '?' : FromUnicode(u);
    }
    return out;
}

} // namespace codepage

std::int32_t DecimalPrefix(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r' || s[i] == '\n' || s[i] == '\v' || s[i] == '\f'))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    // Accumulate in 64 bits and stop growing once past the 32-bit range: the result is clamped.
    std::int64_t value = 0;
    constexpr std::int64_t kLimit = static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        if (value <= kLimit)
            value = value * 10 + (s[i] - '0');
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}
