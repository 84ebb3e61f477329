#include "core/tag_line.h"

#include <gtest/gtest.h>

#include "base/codepage.h"

namespace {

std::string Code4() { return "\x04\x04"; }

} // namespace

TEST(TagLine, LocalTagPiecesAndPadding)
{
    const std::string plain = FormatLocalTag("РЕД"_cp, 123, 0, false, false);
    EXPECT_EQ(plain, Code4() + std::string("СС_РЕД_123#"_cp) + std::string(53, '-'));
    EXPECT_EQ(plain.size(), kTagLineLength);

    const std::string full = FormatLocalTag("РЕД"_cp, 123, 7, true, true);
    EXPECT_EQ(full, Code4() + std::string("СС_РЕД_123_7-О-П#"_cp) + std::string(47, '-'));

    // A negative line number is not 0, so it is written; key P alone has no key O before it.
    EXPECT_EQ(FormatLocalTag("ВИЗ"_cp, 5, -2, false, true).substr(0, 17), Code4() + std::string("СС_ВИЗ_5_-2-П#"_cp) + "-");
}

TEST(TagLine, OrvoTagIsRecognisedAndTellsItselfFromLocalNullLink)
{
    const std::string orvo = FormatOrvoTag(45);
    EXPECT_EQ(orvo, Code4() + std::string("СС_НУЛ_45_LAW#"_cp) + std::string(50, '-'));
    EXPECT_TRUE(IsTagLine(orvo));
    EXPECT_TRUE(IsOrvoTagLine(orvo));
    EXPECT_FALSE(IsLocalTagLine(orvo));
    EXPECT_EQ(ParseTagNumber(orvo), 45);

    // The local null link shares the first nine characters; only the marker decides.
    const std::string localNull = FormatLocalTag("НУЛ"_cp, 45, 0, false, false);
    EXPECT_EQ(localNull.substr(0, 9), orvo.substr(0, 9));
    EXPECT_FALSE(IsOrvoTagLine(localNull));
    EXPECT_TRUE(IsLocalTagLine(localNull));
    EXPECT_EQ(ParseTagNumber(localNull), 45);

    // The largest numbers still leave a hyphen after the marker.
    const std::string widest = FormatOrvoTag(-2147483647 - 1);
    EXPECT_EQ(widest.size(), kTagLineLength);
    EXPECT_TRUE(IsOrvoTagLine(widest));
    EXPECT_EQ(ParseTagNumber(widest), -2147483647 - 1);
}

TEST(TagLine, NumbersOfEveryKindAndOddLines)
{
    for (const auto& kind : LinkKinds())
        EXPECT_EQ(ParseTagNumber(FormatLocalTag(kind.code, 9876, 3, true, false)), 9876) << kind.code;
    EXPECT_EQ(ParseTagNumber(Code4() + std::string("СС_РЕД_X12#"_cp)), 0);
    EXPECT_EQ(ParseTagNumber(Code4() + "x"), 0);
    EXPECT_EQ(ParseTagNumber(""), 0);

    EXPECT_FALSE(IsTagLine(std::string("СС_РЕД_123#"_cp)));
    EXPECT_FALSE(IsTagLine("\x04"));
    EXPECT_FALSE(IsOrvoTagLine(""));
    EXPECT_FALSE(IsLocalTagLine(Code4() + std::string("ЗАГ---"_cp)));
    // The length of a tag line plays no part in recognising it.
    EXPECT_TRUE(IsLocalTagLine(Code4() + std::string("СС_"_cp)));
    // A body of 66 characters or more is neither cut nor padded.
    const std::string longBody(80, '7');
    EXPECT_EQ(FormatLocalTag("РЕД"_cp, 1, 0, false, false).size(), kTagLineLength);
    EXPECT_EQ(FormatLocalTag(std::string("РЕД"_cp) + longBody, 1, 0, false, false).size(), 2 + 3 + 3 + 80 + 3);
}

TEST(TagLine, LinkKindTable)
{
    ASSERT_EQ(LinkKinds().size(), 10u);
    EXPECT_EQ(LinkKinds()[0].code, "ПОТ"_cp);
    EXPECT_EQ(LinkKinds()[kNullLinkKind].code, "НУЛ"_cp);
    EXPECT_EQ(LinkKinds()[kNullLinkKind].description, "Нулевая ссылка"_cp);
    EXPECT_EQ(LinkKinds()[9].description, "Принят В СООТВЕТСТВИИ со следующим документом"_cp);
}
