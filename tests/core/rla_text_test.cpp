#include "core/rla_text.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "base/codepage.h"
#include "core/line_record.h"
#include "storage/atomic_file.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

std::string S(std::string_view s) { return std::string(s); }
std::string Dos(std::string_view cp1251) { return codepage::Cp1251ToCp866(cp1251); }
COleDate Date(int day, int month, int year) { return COleDate::FromText(year, month, day); }
std::string Marker(std::string_view word) { return "\x04\x04" + S(word) + std::string(61, '-'); }

const std::string kAdoption = S("$6  Дата принятия"_cp);
const std::string kEdition = S("$17  Редакция от"_cp);
const std::string kTextStart = S("$18  Текст документа"_cp);

CRlaText WithHeader(std::vector<std::string> header)
{
    CRlaText text;
    text.headerLines = std::move(header);
    return text;
}

std::vector<COleDate> AdoptionOf(std::vector<std::string> header)
{
    std::vector<COleDate> adoption;
    COleDate edition;
    WithHeader(std::move(header)).GetDates(adoption, edition);
    return adoption;
}

void ExpectOneError(const CScriptedUi& ui, const std::string& text)
{
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, text);
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Error);
}

} // namespace

TEST(LineRecord, NewRecordIsPlainAndLinksNothing)
{
    const CLineRecord rec;
    EXPECT_EQ(rec.nKind, LineKind::Plain);
    EXPECT_EQ(rec.recvOrvo.nBaseNumber, -1);
    EXPECT_EQ(rec.recvLocal.nBaseNumber, -1);
    EXPECT_EQ(rec.recvFound.nBaseNumber, 0);
    EXPECT_EQ(rec.bBookmark + rec.bSuspectLocal + rec.bSuspectOrvo, 0);
}

TEST(RlaText, ReadSplitsLikeTextModeAndMapsFramesOfTextLinesOnly)
{
    CTempDir dir;
    const std::string file = Dos(kAdoption) + "\r\n15.03.2001\r\n\r\n" + Dos("Шапка "_cp) + "\xC4\r\n" + Dos(kTextStart)
        + "\r\n\xDA\xC4\xC2\xBF\xB3\xC3\xC5\xB4\xC0\xC1\xD9" + Dos(" Статья 1"_cp) + "\na\rb\r\r\n\r\nlast\x1Ajunk\r\n";
    CScriptedUi ui;
    CRlaText text;
    ASSERT_TRUE(text.ReadRla(dir.Write("a.rla", file), ui));
    ASSERT_EQ(text.headerLines.size(), 5u);
    EXPECT_EQ(text.headerLines[3], S("Шапка "_cp) + codepage::Cp866ToCp1251("\xC4"));
    EXPECT_EQ(text.headerLines[3].find('\x16'), std::string::npos);
    EXPECT_EQ(text.textLines,
        (std::vector<std::string> {
            "\x1B\x16\x18\x1A\x12\x10\x13\x11\x1C\x19\x15" + S(" Статья 1"_cp), "a\rb\r", "", "last" }));
    EXPECT_EQ(text.GetEffectiveDate(), Date(15, 3, 2001));

    // A second read replaces everything, the dates included; without the exact "$18" line all is header.
    const std::string headerOnly = dir.Write("b.rla", Dos(kAdoption) + "\n01.02.2003\n\n" + Dos(kTextStart) + " \n");
    ASSERT_TRUE(text.ReadRla(headerOnly, ui));
    EXPECT_EQ(text.headerLines.size(), 4u);
    EXPECT_TRUE(text.textLines.empty());
    EXPECT_EQ(text.path, headerOnly);
    EXPECT_EQ(text.GetEffectiveDate(), Date(1, 2, 2003));
    EXPECT_TRUE(ui.messages.empty());
}

TEST(RlaText, WriteGivesBackTheFileByteForByteLongLinesIncluded)
{
    const std::string oneMb = "\xDA" + std::string((1 << 20) - 2, 'a') + "\xD9";
    const std::string twentyMb(20 << 20, '\x9F'); // "Я" in code page 866
    const std::string original = Dos("$1  Название документа\r\nО порядке учёта\r\n"_cp) + Dos(kTextStart) + "\r\n"
        + "\xDA\xC4\xC2\xBF\r\n\xB3" + Dos("Ёж"_cp) + "\xB3\r\n\x04\x04" + Dos("СС_НУЛ_45_LAW#"_cp)
        + std::string(50, '-') + "\r\n\r\n   \r\n" + oneMb + "\r\n" + twentyMb + "\r\nend\r\n";
    std::string lfOnly = original;
    std::erase(lfOnly, '\r');

    CTempDir dir;
    CScriptedUi ui;
    CRlaText text;
    ASSERT_TRUE(text.ReadRla(dir.Write("crlf.rla", original), ui));
    ASSERT_EQ(text.textLines.size(), 8u);
    EXPECT_EQ(text.textLines[5].size(), oneMb.size());
    EXPECT_TRUE(text.textLines[6] == std::string(twentyMb.size(), "Я"_cp[0]));
    ASSERT_TRUE(text.WriteRla(ui));
    EXPECT_TRUE(CTempDir::Read(dir.File("crlf.rla")) == original);

    ASSERT_TRUE(text.ReadRla(dir.Write("lf.rla", lfOnly), ui));
    text.path = dir.File("out.rla");
    ASSERT_TRUE(text.WriteRla(ui));
    EXPECT_TRUE(CTempDir::Read(dir.File("out.rla")) == original);
    EXPECT_TRUE(ui.messages.empty());
}

TEST(RlaText, UnreadableFilesAreReportedAndLeaveOnlyThePath)
{
    CTempDir dir;
    std::filesystem::create_directory(Fs(dir.Path() / "folder"));
    for (const std::string& path : { dir.File("missing.rla"), dir.File("folder") }) {
        CScriptedUi ui;
        CRlaText text = WithHeader({ "h" });
        text.textLines = { "t" };
        EXPECT_FALSE(text.ReadRla(path, ui));
        EXPECT_EQ(text.path, path);
        EXPECT_TRUE(text.headerLines.empty() && text.textLines.empty());
        ExpectOneError(ui, "Ошибка чтения файла " + path + "!");
    }
}

TEST(RlaText, NulBytesRefuseTheFileUnlessPastTheEndMark)
{
    CTempDir dir;
    CScriptedUi ui;
    CRlaText text;
    const std::string binary = dir.Write("bin.rla", Dos(kTextStart) + "\r\nab" + std::string(1, '\0') + "cd\r\n");
    EXPECT_FALSE(text.ReadRla(binary, ui));
    EXPECT_TRUE(text.headerLines.empty() && text.textLines.empty());
    ExpectOneError(ui,
        "Ошибка чтения файла " + binary + "!\n\nФайл содержит нулевые байты и не является текстовым документом.");

    EXPECT_TRUE(text.ReadRla(dir.Write("tail.rla", "ok\x1A" + std::string(1, '\0')), ui));
    EXPECT_EQ(text.headerLines, std::vector<std::string> { "ok" });
}

TEST(RlaText, FailedWriteKeepsTheOldFileAndReports)
{
    struct HookReset {
        ~HookReset() { CAtomicFile::SetFaultHook(nullptr); }
    } reset;
    CTempDir dir;
    const std::string target = dir.Write("doc.rla", "old\r\n");
    for (const auto step : { CAtomicFile::Step::Create, CAtomicFile::Step::Write, CAtomicFile::Step::Flush,
             CAtomicFile::Step::Rename }) {
        CAtomicFile::SetFaultHook([step](CAtomicFile::Step s, const std::string&) { return s == step; });
        CScriptedUi ui;
        CRlaText text = WithHeader({ kTextStart, "new" });
        text.path = target;
        EXPECT_FALSE(text.WriteRla(ui));
        ExpectOneError(ui, "Ошибка записи файла " + target + "!\nПричина: ошибка ввода-вывода.");
        EXPECT_EQ(CTempDir::Read(target), "old\r\n");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Fs(dir.Path())), std::filesystem::directory_iterator {}), 1) << "temporary file left";
    }
    CAtomicFile::SetFaultHook(nullptr);

    CScriptedUi ui;
    CRlaText text;
    text.path = dir.File("no/such/folder.rla");
    EXPECT_FALSE(text.WriteRla(ui));
    // The message says why, after the path.
    ExpectOneError(ui, "Ошибка записи файла " + text.path + "!\nПричина: папка или файл не существует.");
}

TEST(RlaTextDates, AdoptionListSortedEmptyOrInFileOrder)
{
    // Lines of another length than 10 are passed over.
    EXPECT_EQ(AdoptionOf({ "$1", kAdoption, "15.03.2001", "1.02.1999", "01.02.1999", "" }),
        (std::vector<COleDate> { Date(1, 2, 1999), Date(15, 3, 2001) }));
    EXPECT_EQ(AdoptionOf({ kAdoption, "" }), std::vector<COleDate> { COleDate::NoDate() });
    EXPECT_TRUE(AdoptionOf({ "$1" }).empty());
    // The header ends inside the field: no sorting.
    EXPECT_EQ(AdoptionOf({ kAdoption, "15.03.2001", "01.02.1999" }),
        (std::vector<COleDate> { Date(15, 3, 2001), Date(1, 2, 1999) }));

    const auto withInvalid = AdoptionOf({ kAdoption, "15.03.2001", "31.02.2001", "01.02.1999", "" });
    ASSERT_EQ(withInvalid.size(), 3u);
    EXPECT_EQ(withInvalid[0].GetStatus(), COleDate::Invalid);
    EXPECT_EQ(withInvalid[1], Date(1, 2, 1999));
}

TEST(RlaTextDates, EditionFieldAndEffectiveDate)
{
    const auto effective = [](std::vector<std::string> header) { return WithHeader(std::move(header)).GetEffectiveDate(); };
    EXPECT_EQ(effective({ kEdition, "20.05.2002" }), Date(20, 5, 2002));
    EXPECT_EQ(effective({}), COleDate::NoDate());
    // A later date line replaces the earlier; the edition wins only when later than every adoption.
    EXPECT_EQ(effective({ kEdition, "01.01.2000", "20.05.2002", "", kAdoption, "15.03.2001", "" }), Date(20, 5, 2002));
    EXPECT_EQ(effective({ kEdition, "01.01.2000", "", kAdoption, "15.03.2001", "" }), Date(15, 3, 2001));
    // The empty line after the adoption dates ends the walk: the edition after it is not read.
    EXPECT_EQ(effective({ kAdoption, "15.03.2001", "", kEdition, "20.05.2002" }), Date(15, 3, 2001));
    // "$6" right after "$17" only closes the edition field.
    EXPECT_TRUE(AdoptionOf({ kEdition, kAdoption, "15.03.2001", "" }).empty());

    CRlaText text = WithHeader({ kEdition, "20.05.2002" });
    EXPECT_EQ(text.GetEffectiveDate(), Date(20, 5, 2002));
    text.headerLines = { kAdoption, "15.03.2001", "" };
    text.InvalidateDates();
    EXPECT_EQ(text.GetEffectiveDate(), Date(15, 3, 2001));
}

TEST(RlaTextDates, DateLinesAreReadAsScanfReadsThem)
{
    const auto edition = [](const char* line) {
        std::vector<COleDate> adoption;
        COleDate date;
        WithHeader({ kEdition, line }).GetDates(adoption, date);
        return date;
    };
    for (const char* good : { " 1.02.2001", "+1.02.2001", "1.2.2001xx", "1.02.20015" })
        EXPECT_EQ(edition(good), Date(1, 2, 2001)) << good;
    for (const char* bad : { "01/02/2001", "ab.cd.efgh", "00.01.2001", "01.13.2001", "-1.02.2001", "01 .02.200" })
        EXPECT_EQ(edition(bad).GetStatus(), COleDate::Invalid) << bad;
}

TEST(RlaText, FirstTextLineAndExcludedBlocks)
{
    const std::string title = Marker("ЗАГ"_cp);
    EXPECT_EQ(CRlaText::FindFirstTextLine({ "// c", title, "Title", "// c", Marker("КОН"_cp), "", "   ", "Body" }), 7u);
    EXPECT_EQ(CRlaText::FindFirstTextLine({ Marker("ОГЛ"_cp) + "x", "Contents", Marker("!!!"_cp), "Body" }), 3u);
    EXPECT_EQ(CRlaText::FindFirstTextLine({ "", title.substr(0, 65), "Body" }), 1u); // a cut marker is text
    EXPECT_EQ(CRlaText::FindFirstTextLine({ "", "  ", "// only" }), 0u);
    EXPECT_EQ(CRlaText::FindFirstTextLine({ title, "never closed" }), 0u);

    for (const auto word : { "ЛИП"_cp, "ЛЕВ"_cp, "ПРВ"_cp })
        EXPECT_TRUE(CRlaText::IsBlockStart(Marker(word)));
    EXPECT_FALSE(CRlaText::IsBlockStart(Marker("ЛИП"_cp) + "-"));
    EXPECT_FALSE(CRlaText::IsBlockStart(" \x04" + Marker("ЛИП"_cp).substr(2)));
    EXPECT_FALSE(CRlaText::IsBlockStart(title));
    EXPECT_TRUE(CRlaText::IsBlockEnd(Marker("!!!"_cp)));
    EXPECT_FALSE(CRlaText::IsBlockEnd(Marker("!!!"_cp).substr(0, 65)));
}
