#include "base/codepage.h"

#include <gtest/gtest.h>

using namespace codepage;

TEST(Codepage, SharedCharactersRoundTripBetween866And1251)
{
    // Every byte of 866 that 1251 has too comes back unchanged; in particular all of Cyrillic,
    // Ё/ё and №.
    int shared = 0;
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        const std::string there = Cp866ToCp1251(one);
        if (there != "?" && there != "+" && there != "-" && there != "|" && there != "=") {
            EXPECT_EQ(Cp1251ToCp866(there), one) << "byte " << b;
            ++shared;
        }
    }
    EXPECT_GE(shared, 128 + 66 + 6);
    EXPECT_EQ(Cp866ToCp1251("\x80\xA0\xF0\xF1\xFC\x9F\xEF"), "\xC0\xE0\xA8\xB8\xB9\xDF\xFF");
}

TEST(Codepage, MissingCharactersBecomeLookAlikes)
{
    // Single and double frames keep their shape; blocks and shades have none.
    EXPECT_EQ(Cp866ToCp1251("\xC4\xCD\xB3\xBA\xDA\xC5\xCE\xB0\xDB"), "-=||+++??");
    // Quotes, dashes and the euro sign are missing from 866.
    EXPECT_EQ(Cp1251ToCp866("\xAB\x97\x88\xE0"), std::string("??" "?") + "\xA0");
}

TEST(Codepage, UpperCaseFollows1251)
{
    EXPECT_EQ(ToUpper1251("абвгдеёжзийклмнопрстуфхцчшщъыьэюя abc №1"_cp),
        "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ ABC №1"_cp);
    EXPECT_EQ(ToUpper1251("їієґў"_cp), "ЇІЄҐЎ"_cp);
    // Characters without a capital in the page stay as they are.
    EXPECT_EQ(ToUpper1251("\xB5\xDF"), "\xB5\xDF");
}

TEST(Codepage, Utf8EdgesAreLosslessForThePage)
{
    for (int b = 0; b < 256; ++b) {
        if (b == 0x98)
            continue; // undefined in 1251
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(one)), one) << "byte " << b;
    }
    EXPECT_EQ(Cp1251ToUtf8("Текст"_cp), "Текст");
    EXPECT_EQ(Utf8ToCp1251("中 \xFF\xC3"), "? ??");
    EXPECT_EQ(Utf16LeToCp1251(std::string("\x16\x04" "A\0" "\x3D\xD8", 6)), std::string("Ж"_cp) + "A?");
}

TEST(DecimalPrefix, ReadsLikeTheSystemAlwaysHas)
{
    EXPECT_EQ(DecimalPrefix(" \t\r\n\v\f-12abc"), -12);
    EXPECT_EQ(DecimalPrefix("+7"), 7);
    EXPECT_EQ(DecimalPrefix(""), 0);
    EXPECT_EQ(DecimalPrefix("N 5"), 0);
    EXPECT_EQ(DecimalPrefix("- 5"), 0);
    EXPECT_EQ(DecimalPrefix("99999999999999999999"), 2147483647);
    EXPECT_EQ(DecimalPrefix("-99999999999999999999"), -2147483648LL);
    EXPECT_EQ(DecimalPrefix("2147483648"), 2147483647);
    EXPECT_EQ(DecimalPrefix("-2147483648"), -2147483648LL);
}
