#pragma once

// Code pages of the documents and dictionaries.
//
// Everything the engine holds in memory is 8-bit code page 1251 text, compared byte by byte.
// Documents arrive in code page 866; the window and the command line speak UTF-8. The tables and
// conversions between the three live here, together with the code page 1251 upper-casing and the
// decimal-prefix rule used wherever a text is read as a number.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace codepage {

// Unicode code points of the bytes 0x80..0xFF; U+FFFD marks a byte the page leaves undefined.
inline constexpr std::array<char16_t, 128> kCp1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // F8
};

inline constexpr std::array<char16_t, 128> kCp866High = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // 80
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // 88
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // 90
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // 98
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // A0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // A8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  // B0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,  // B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,  // C8
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  // D0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,  // D8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // E0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // E8
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E,  // F0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,  // F8
};

// The byte of code page 1251 for a Unicode code point, or -1 when the page lacks it.
constexpr int Cp1251FromUnicode(char32_t u)
{
    if (u < 0x80)
        return static_cast<int>(u);
    for (std::size_t i = 0; i < kCp1251High.size(); ++i)
        if (kCp1251High[i] == u && u != 0xFFFD)
            return static_cast<int>(0x80 + i);
    return -1;
}

// Compile-time UTF-8 -> code page 1251 for the literals the engine compares documents with.
// A character the page lacks makes the program ill-formed, so a typo cannot slip through.
template <std::size_t N>
struct Utf8Literal {
    char bytes[N] {};
    consteval Utf8Literal(const char (&s)[N])
    {
        for (std::size_t i = 0; i < N; ++i)
            bytes[i] = s[i];
    }
};

namespace detail {

struct DecodeStep {
    char32_t cp;
    std::size_t len;
};

constexpr DecodeStep DecodeUtf8At(const char* s, std::size_t i)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80)
        return { b0, 1 };
    if ((b0 & 0xE0) == 0xC0)
        return { static_cast<char32_t>(((b0 & 0x1F) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3F)), 2 };
    if ((b0 & 0xF0) == 0xE0)
        return { static_cast<char32_t>(((b0 & 0x0F) << 12) | ((static_cast<unsigned char>(s[i + 1]) & 0x3F) << 6)
                     | (static_cast<unsigned char>(s[i + 2]) & 0x3F)),
            3 };
    return { 0xFFFD, 1 };
}

template <Utf8Literal L>
consteval std::size_t Cp1251Length()
{
    std::size_t n = 0;
    for (std::size_t i = 0; i + 1 < sizeof(L.bytes);) {
        i += DecodeUtf8At(L.bytes, i).len;
        ++n;
    }
    return n;
}

template <Utf8Literal L>
consteval std::array<char, Cp1251Length<L>() + 1> ConvertLiteral()
{
    std::array<char, Cp1251Length<L>() + 1> out {};
    std::size_t n = 0;
    for (std::size_t i = 0; i + 1 < sizeof(L.bytes);) {
        const DecodeStep step = DecodeUtf8At(L.bytes, i);
        const int b = Cp1251FromUnicode(step.cp);
        if (b < 0)
            throw "character not in code page 1251";
        out[n++] = static_cast<char>(b);
        i += step.len;
    }
    return out;
}

template <Utf8Literal L>
inline constexpr auto kCp1251Storage = ConvertLiteral<L>();

} // namespace detail

// Convert a whole string between the pages. Conversions keep the length: one byte, one character.
std::string Cp866ToCp1251(std::string_view s);
std::string Cp1251ToCp866(std::string_view s);
void Cp866ToCp1251InPlace(std::string& s);
void Cp1251ToCp866InPlace(std::string& s);

// Upper-casing by the code page 1251 rule: Latin and Cyrillic letters, Ё/ё and the other letters
// of the page that have a capital in it.
char ToUpper1251(char c);
std::string ToUpper1251(std::string_view s);
void ToUpper1251InPlace(std::string& s);

// Edges of the program: the window and the command line work in UTF-8. A character the target
// page lacks becomes '?'; malformed UTF-8 sequences likewise.
std::string Cp1251ToUtf8(std::string_view s);
std::string Utf8ToCp1251(std::string_view s);
// UTF-16 code units (little-endian pairs of bytes) to code page 1251, for wide archive strings.
std::string Utf16LeToCp1251(std::string_view bytes);

} // namespace codepage

// "Текст"_cp is the code page 1251 form of a UTF-8 source literal, built at compile time.
template <codepage::Utf8Literal L>
constexpr std::string_view operator""_cp()
{
    const auto& a = codepage::detail::kCp1251Storage<L>;
    return std::string_view(a.data(), a.size() - 1);
}

// The decimal-prefix rule: skip leading white space (space, tab, CR, LF, VT, FF), take one optional
// sign, then digits up to the first other character; no digits gives 0; a value beyond the 32-bit
// range is clamped to it.
std::int32_t DecimalPrefix(std::string_view s);
