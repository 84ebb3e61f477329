#include "storage/doc_dict.h"

#include <gtest/gtest.h>

#include "base/codepage.h"
#include "seam/indexing_progress.h"
#include "storage/archive.h"
#include "storage/atomic_file.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

std::string S(std::string_view cp) { return std::string(cp); }

std::string Le32(std::uint32_t v)
{
    return { static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24) };
}

std::string DateBytes(const COleDate& d)
{
    CArchive ar = CArchive::StoreMemory();
    ar.WriteDate(d);
    return ar.Bytes();
}

// One record of a list file, in UTF-8 as a person would type it.
std::string ListRecord(int number, const std::string& type, const std::string& body, const std::string& date,
    const std::string& docNumber, const std::string& name, const std::string& edition = "")
{
    return "$0  НОМЕР В БАЗЕ\n" + std::to_string(number) + "\n" + edition + (edition.empty() ? "" : "\n")
        + "$5  ВИД ДОКУМЕНТА\n" + type + "\n$4  ПРИНЯВШИЙ ОРГАН\n" + body + "\n$6  ДАТА ПРИНЯТИЯ\n" + date
        + (date.empty() ? "" : "\n") + "$7  НОМЕР\n" + docNumber + "\n$9  НАЗВАНИЕ ДОКУМЕНТА\n" + name + "\n\n";
}

std::vector<std::string> Lines(std::initializer_list<std::string_view> list)
{
    std::vector<std::string> v;
    for (auto s : list)
        v.emplace_back(s);
    return v;
}

struct Dict {
    CTempDir dir;
    CScriptedUi ui;
    CDocDict dict;
    std::string titles;
    Dict()
    {
        dict.SetUserInterface(&ui);
        titles = dir.File("Telvarion.tlc");
        EXPECT_TRUE(dict.OpenOrCreateTextFile(titles));
    }
    bool Import(const std::string& utf8, bool dos = false, const std::string& name = "list.txt")
    {
        std::string bytes = codepage::Utf8ToCp1251(utf8);
        if (dos)
            codepage::Cp1251ToCp866InPlace(bytes);
        return dict.ImportListFile(ui, dir.Write(name, bytes), dos);
    }
    CDocRecvisits ToRecvisitsOfFirst() { return dict.ToRecvisits(dict.records[0]); }
    std::vector<std::string> Described()
    {
        std::vector<std::string> out;
        for (const auto& r : dict.records)
            out.push_back(codepage::Cp1251ToUtf8(dict.ToRecvisits(r).Describe()));
        return out;
    }
};

} // namespace

TEST(DocDict, StoredFormKeepsTheIdListsInFileOrder)
{
    CDocDict dict;
    CDocRec rec;
    rec.nBaseNumber = 7;
    rec.typeIds = { 1 };
    rec.bodyIds = { 2, 3 };
    rec.numberIds = { 4 };
    rec.adoptionDates = { COleDate::FromText(2001, 2, 1) };
    rec.nTitlePos = 0x100000002ULL;
    rec.nTitleLen = 5;
    dict.records.push_back(rec);
    dict.types.AddName("T");

    CArchive out = CArchive::StoreMemory();
    dict.Serialize(out);
    const std::string expected = Le32(1) + Le32(7) + Le32(2) + Le32(1) + Le32(5) + DateBytes(COleDate::NoDate()) + Le32(1)
        + DateBytes(COleDate::FromText(2001, 2, 1)) + Le32(1) + Le32(1) // types
        + Le32(1) + Le32(4)                                               // numbers
        + Le32(2) + Le32(2) + Le32(3)                                     // bodies
        + Le32(1) + "\x01T" + Le32(0) + Le32(0) + Le32(0);
    EXPECT_EQ(out.Bytes(), expected);

    CDocDict loaded;
    CArchive in = CArchive::LoadBytes(out.Bytes());
    loaded.Serialize(in);
    ASSERT_EQ(loaded.records.size(), 1u);
    EXPECT_EQ(loaded.records[0].bodyIds, rec.bodyIds);
    EXPECT_EQ(loaded.records[0].numberIds, rec.numberIds);
    EXPECT_EQ(loaded.records[0].nTitlePos, rec.nTitlePos);

    // An empty dictionary: the count 0 and three empty indexes.
    CDocDict empty;
    CArchive emptyOut = CArchive::StoreMemory();
    empty.Serialize(emptyOut);
    EXPECT_EQ(emptyOut.Bytes(), Le32(0) + Le32(0) + Le32(0) + Le32(0));

    // Every cut fails the load; a count beyond the file allocates nothing.
    for (std::size_t cut = 0; cut < expected.size(); ++cut) {
        CDocDict d;
        CArchive cutIn = CArchive::LoadBytes(expected.substr(0, cut));
        EXPECT_THROW(d.Serialize(cutIn), CArchiveException) << cut;
    }
    CDocDict huge;
    CArchive hugeIn = CArchive::LoadBytes(Le32(0x7FFFFFF0) + expected.substr(4));
    EXPECT_THROW(huge.Serialize(hugeIn), CArchiveException);
}

TEST(DocDict, RequisitesFromIdsAndTitles)
{
    Dict d;
    ASSERT_TRUE(d.Import(ListRecord(10, "Закон", "Госдума", "01.02.2001", "5-ФЗ", "об образовании") + "$$\n"
        + ListRecord(10, "Указ", "Президент", "02.03.2002", "7", "второй")));
    ASSERT_EQ(d.dict.records.size(), 2u);
    CDocRecvisits found;
    ASSERT_TRUE(d.dict.FindByNumber(10, found));
    EXPECT_EQ(found.name, S("ОБ ОБРАЗОВАНИИ "_cp)); // the first of two records with the number
    EXPECT_EQ(found.types, Lines({ "ЗАКОН"_cp }));
    EXPECT_EQ(found.numbers, Lines({ "5-ФЗ"_cp }));
    CDocRecvisits untouched;
    untouched.name = "x";
    EXPECT_FALSE(d.dict.FindByNumber(11, untouched));
    EXPECT_EQ(untouched.name, "x");

    // An id the index does not know is left out without a word; a zero length reads nothing.
    CDocRec odd = d.dict.records[0];
    odd.typeIds = { 0, 99 };
    odd.nTitleLen = 0;
    const CDocRecvisits r = d.dict.ToRecvisits(odd);
    EXPECT_EQ(r.types, Lines({ "ЗАКОН"_cp }));
    EXPECT_EQ(r.name, "");
    EXPECT_TRUE(d.ui.messages.size() == 1); // only "Внесено"

    // A title beyond the file's end fails with one message, however many records ask.
    odd.nTitleLen = 1000;
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(d.dict.ToRecvisits(odd).name, "");
    odd.nTitlePos = ~0ULL;
    odd.nTitleLen = 0x7FFFFFFF;
    EXPECT_EQ(d.dict.ToRecvisits(odd).name, "");
    ASSERT_EQ(d.ui.messages.size(), 2u);
    EXPECT_EQ(d.ui.messages[1].text, "Ошибка получения названия документа");
    EXPECT_EQ(d.ui.messages[1].icon, MsgIcon::Error);
    // Opening the file again lets the next failure speak once more.
    ASSERT_TRUE(d.dict.OpenTextFile(d.titles));
    d.dict.ToRecvisits(odd);
    EXPECT_EQ(d.ui.messages.size(), 3u);
}

TEST(DocDict, ParseListRecordStateMachine)
{
    CIndexDict t, b, n;
    std::string titles = "xx";
    CDocRec rec;
    const auto parse = [&](std::vector<std::string> lines) { return CDocDict::ParseListRecord(lines, rec, t, b, n, titles.size(), titles); };

    EXPECT_TRUE(parse(Lines({ "ignored"_cp, "$0  НОМЕР В БАЗЕ"_cp, " 42abc"_cp, "05.06.2007"_cp, "1.2.2001"_cp,
        "$5  ВИД ДОКУМЕНТА"_cp, "ЗАКОН"_cp, ""_cp, "ПРИКАЗ"_cp, "ЗАКОН"_cp, "$4  ПРИНЯВШИЙ ОРГАН"_cp, "..."_cp,
        "$6  ДАТА ПРИНЯТИЯ"_cp, "03.03.2003"_cp, "01.02.2001"_cp, "1.2.2001"_cp, "$7  НОМЕР"_cp, "..."_cp,
        "$9  НАЗВАНИЕ ДОКУМЕНТА"_cp, "ОБ УТВЕРЖДЕНИИ"_cp, "ПРАВИЛ"_cp, ""_cp, "AFTER"_cp })));
    EXPECT_EQ(rec.nBaseNumber, 42);
    EXPECT_EQ(rec.editionDate, COleDate::FromText(2007, 6, 5));
    EXPECT_EQ(rec.typeIds, (std::vector<std::int32_t> { 0, 0, 1 })); // ЗАКОН twice keeps one id
    EXPECT_TRUE(rec.bodyIds.empty());  // "..." counts as a body line but is not a body
    EXPECT_TRUE(rec.numberIds.empty()); // a record without numbers is complete
    EXPECT_EQ(rec.adoptionDates, (std::vector<COleDate> { COleDate::FromText(2001, 2, 1), COleDate::FromText(2003, 3, 3) }));
    EXPECT_EQ(rec.nTitlePos, 2u);
    EXPECT_EQ(rec.nTitleLen, 22);
    EXPECT_EQ(titles, "xx" + S("ОБ УТВЕРЖДЕНИИ ПРАВИЛ "_cp));

    // An empty date section leaves the record incomplete; its name and texts are kept all the same.
    EXPECT_FALSE(parse(Lines({ "$0  НОМЕР В БАЗЕ"_cp, "1"_cp, "$5  ВИД ДОКУМЕНТА"_cp, "УКАЗ"_cp,
        "$4  ПРИНЯВШИЙ ОРГАН"_cp, "ОРГАН"_cp, "$6  ДАТА ПРИНЯТИЯ"_cp, "$7  НОМЕР"_cp, "$9  НАЗВАНИЕ ДОКУМЕНТА"_cp,
        "ИМЯ"_cp })));
    EXPECT_EQ(titles.substr(titles.size() - 4), S("ИМЯ "_cp));
    std::int32_t id;
    EXPECT_TRUE(t.FindId(S("УКАЗ"_cp), id));

    // One blank after the digit is not the marker.
    EXPECT_FALSE(parse(Lines({ "$0 НОМЕР В БАЗЕ"_cp, "1"_cp, "$5  ВИД ДОКУМЕНТА"_cp, "УКАЗ"_cp,
        "$4  ПРИНЯВШИЙ ОРГАН"_cp, "ОРГАН"_cp, "$6  ДАТА ПРИНЯТИЯ"_cp, "01.01.2001"_cp, "$7  НОМЕР"_cp,
        "$9  НАЗВАНИЕ ДОКУМЕНТА"_cp, "ИМЯ"_cp })));
    EXPECT_EQ(rec.nBaseNumber, -1);
}

TEST(DocDict, ImportEdgeCases)
{
    Dict d;
    // Lower case is stored upper-cased; the last record needs no "$$"; a short record is dropped
    // without a word; an incomplete record in the middle asks, and No goes on.
    const std::string list = "$$\nshort\n$$\n" + ListRecord(1, "закон", "госдума", "01.02.2001", "5-фз", "об утверждении\nправил")
        + "$$\n" + ListRecord(2, "указ", "президент", "", "7", "пустые даты") + "$$\n"
        + ListRecord(3, "закон", "президент", "99.99.9999", "N 3", "третий");
    d.ui.answers.push_back(AnswerNo);
    ASSERT_TRUE(d.Import(list));
    ASSERT_EQ(d.dict.records.size(), 2u);
    EXPECT_EQ(d.Described()[0],
        "Номер в базе: 1\nВид документа: ЗАКОН\nПринявший орган: ГОСДУМА\nДата принятия: 01.02.2001\nРедакция от: "
        "\nНомер: 5-ФЗ\nНазвание документа: ОБ УТВЕРЖДЕНИИ ПРАВИЛ ");
    EXPECT_EQ(d.dict.records[1].typeIds, d.dict.records[0].typeIds); // the same type text, one id
    EXPECT_EQ(d.dict.records[1].adoptionDates[0].GetStatus(), COleDate::Invalid);
    EXPECT_EQ(d.ui.MessageTexts(),
        (std::vector<std::string> { "Ошибка разбора записей. Прервать разбор?", "Внесено 2 записей" }));
    EXPECT_EQ(d.ui.messages[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(d.ui.messages[1].icon, MsgIcon::Information);
    EXPECT_EQ(d.ui.waitCursorDepth, 0);
    EXPECT_EQ(d.ui.progress, nullptr);
    EXPECT_EQ(d.ui.progressShown, 1);

    // Yes stops at the broken record, and nothing is imported.
    Dict stop;
    stop.ui.answers.push_back(AnswerYes);
    EXPECT_FALSE(stop.Import(list));
    EXPECT_TRUE(stop.dict.records.empty());
}

TEST(DocDict, BothCodePagesGiveTheSameDictionary)
{
    const std::string list = ListRecord(5, "Постановление", "Правительство РФ", "12.12.2012", "№ 1", "о чём-то ёмком")
        + "$$\r\n" + ListRecord(6, "Приказ", "Минфин", "01.01.2001", "2н", "второй");
    Dict windows;
    Dict dos;
    ASSERT_TRUE(windows.Import(list, false));
    ASSERT_TRUE(dos.Import(list, true));
    EXPECT_EQ(windows.Described(), dos.Described());
    EXPECT_EQ(CTempDir::Read(windows.titles), CTempDir::Read(dos.titles));
    EXPECT_EQ(windows.Described().size(), 2u);
}

TEST(DocDict, FailedImportLeavesTheDictionaryAndTitlesAsTheyWere)
{
    Dict d;
    ASSERT_TRUE(d.Import(ListRecord(1, "закон", "дума", "01.02.2001", "5", "первый")));
    const auto before = d.Described();
    const std::string titlesBefore = CTempDir::Read(d.titles);

    // A list file that cannot be read.
    EXPECT_FALSE(d.dict.ImportListFile(d.ui, d.dir.File("missing.txt"), false));
    EXPECT_EQ(d.ui.messages.back().text, "Ошибка чтения файла " + d.dir.File("missing.txt") + "!");
    EXPECT_FALSE(d.dict.ImportListFile(d.ui, d.dir.Utf8(), false));

    // The new titles cannot be written.
    CAtomicFile::SetFaultHook([](CAtomicFile::Step s, const std::string&) { return s == CAtomicFile::Step::Rename; });
    EXPECT_FALSE(d.Import(ListRecord(2, "указ", "президент", "01.02.2001", "5", "второй")));
    CAtomicFile::SetFaultHook(nullptr);
    EXPECT_EQ(d.ui.messages.back().text, "Ошибка записи файла " + d.titles + "!");

    EXPECT_EQ(d.Described(), before);
    EXPECT_EQ(CTempDir::Read(d.titles), titlesBefore);
    std::int32_t id;
    EXPECT_FALSE(d.dict.types.FindId(S("УКАЗ"_cp), id));
}

TEST(DocDict, CancelInTheProgressDialogImportsNothing)
{
    Dict d;
    std::string list;
    for (int i = 1; i <= 50; ++i)
        list += ListRecord(i, "закон", "дума", "01.02.2001", std::to_string(i), "имя") + "$$\n";
    // Cancel once the progress bar has passed a quarter.
    d.ui.onEvents = [](CScriptedUi& ui) {
        if (ui.progress && ui.progress->Percent() >= 25)
            ui.progress->Cancel();
    };
    d.dir.Write("list.txt", codepage::Utf8ToCp1251(list)); // as the import writes it
    const auto before = CTempDir::Files(d.dir.Path());
    EXPECT_FALSE(d.Import(list));
    EXPECT_GT(d.ui.eventTurns, 5);
    EXPECT_TRUE(d.dict.records.empty());
    EXPECT_EQ(CTempDir::Files(d.dir.Path()), before);
    EXPECT_EQ(d.ui.messages.back().text, "Загрузка прервана: словарь не изменён");
    EXPECT_EQ(d.ui.messages.back().icon, MsgIcon::Information);
}

TEST(DocDict, HostileListFilesEndCleanly)
{
    Dict d;
    std::string garbage;
    for (int i = 0; i < 5000; ++i)
        garbage += static_cast<char>((i * 7919) % 256);
    d.ui.answers.assign(100, AnswerNo);
    EXPECT_TRUE(d.dict.ImportListFile(d.ui, d.dir.Write("garbage.bin", garbage), true));
    EXPECT_TRUE(d.dict.records.empty());

    // A long line without a newline, and a record of markers only.
    const std::string longLine(3 << 20, 'a');
    EXPECT_TRUE(d.dict.ImportListFile(d.ui, d.dir.Write("long.txt", longLine), false));
    EXPECT_TRUE(d.Import("$0  НОМЕР В БАЗЕ\n$5  ВИД ДОКУМЕНТА\n$4  ПРИНЯВШИЙ ОРГАН\n$6  ДАТА ПРИНЯТИЯ\n$7  НОМЕР\n"
                         "$9  НАЗВАНИЕ ДОКУМЕНТА\n$$\n"
        + ListRecord(99999999, "закон", "дума", "01.02.2001", "5", "имя")));
    ASSERT_EQ(d.dict.records.size(), 1u);
    EXPECT_EQ(d.dict.records[0].nBaseNumber, 2147483647 > 99999999 ? 99999999 : 0);
}

TEST(DocDict, ZeroBytesInAListEndTheirLine)
{
    // Found by fuzzing: a body with a zero byte went into the index whole, but every stored text
    // ends at its first zero, so the dictionary loaded back as another one.
    Dict d;
    std::string list = ListRecord(1, "закон", "госдума", "01.02.2001", "5", "имя");
    list.insert(list.find("госдума") + std::string("госдума").size(), std::string("\0хвост", 11));
    ASSERT_TRUE(d.Import(list));
    ASSERT_EQ(d.dict.records.size(), 1u);
    EXPECT_EQ(d.ToRecvisitsOfFirst().bodies, std::vector<std::string> { S("ГОСДУМА"_cp) });

    CArchive out = CArchive::StoreMemory();
    d.dict.Serialize(out);
    CDocDict loaded;
    CArchive in = CArchive::LoadBytes(out.Bytes());
    loaded.Serialize(in);
    CArchive again = CArchive::StoreMemory();
    loaded.Serialize(again);
    EXPECT_EQ(again.Bytes(), out.Bytes());
}

TEST(IndexingProgress, PercentAndTimeTexts)
{
    std::int64_t now = 1000;
    CIndexingProgress p(400, [&] { return now; });
    EXPECT_EQ(p.Percent(), 0);
    EXPECT_EQ(p.ElapsedText(), "00:00");
    EXPECT_EQ(p.RemainingText(), ""); // nothing to estimate from yet
    p.SetPos(100);
    now += 75;
    EXPECT_EQ(p.Percent(), 25);
    EXPECT_EQ(p.ElapsedText(), "01:15");
    EXPECT_EQ(p.RemainingText(), "03:45"); // (400/100 - 1) * 75 s
    p.SetPos(399);
    EXPECT_EQ(p.Percent(), 99);
    CIndexingProgress hundred(100, [&] { return now; });
    hundred.SetPos(29); // 0.29 * 100 is 28.999... in floating point
    EXPECT_EQ(hundred.Percent(), 29);
    now += 3600; // the elapsed minutes wrap like a clock's
    EXPECT_EQ(p.ElapsedText(), "01:15");
    CIndexingProgress slow(1000000, [&] { return now; });
    slow.SetPos(1);
    now += 10;
    EXPECT_EQ(slow.RemainingText(), "166666:30"); // minutes do not wrap
    CIndexingProgress empty(0, [&] { return now; });
    EXPECT_EQ(empty.Percent(), 0);
    EXPECT_FALSE(empty.IsCancelled());
    empty.Cancel();
    EXPECT_TRUE(empty.IsCancelled());
}

TEST(DocDict, TitlesReadInAnyOrderAndAcrossBlocks)
{
    // Titles are read a block at a time: in file order, backwards, one longer than a block, one
    // that ends with the file, one starting inside the block held but ending past it.
    CTempDir dir;
    CScriptedUi ui;
    std::string bytes;
    for (int i = 0; bytes.size() < 300000; ++i)
        bytes += static_cast<char>('a' + (i * 7 + i / 26) % 26);
    const std::string path = dir.Write("titles.ttl", bytes);
    CDocDict dict;
    dict.SetUserInterface(&ui);
    ASSERT_TRUE(dict.OpenTextFile(path));
    const std::pair<std::uint64_t, std::int32_t> reads[] = { { 0, 10 }, { 10, 100 }, { 65530, 20 }, { 5, 3 },
        { 70000, 200000 }, { bytes.size() - 7, 7 }, { 65536 + 65530, 12 }, { 1, 65536 }, { 200000, 1 } };
    for (const auto& [pos, len] : reads)
        EXPECT_EQ(dict.GetText(pos, len), bytes.substr(pos, static_cast<std::size_t>(len))) << pos << " " << len;
    EXPECT_TRUE(ui.messages.empty());
    // One byte past the end fails, even right after a block that reached the end was read.
    EXPECT_EQ(dict.GetText(bytes.size() - 7, 8), "");
    ASSERT_EQ(ui.messages.size(), 1u);
    // A file written anew is read anew once opened again.
    dir.Write("titles.ttl", std::string(bytes.rbegin(), bytes.rend()));
    ASSERT_TRUE(dict.OpenTextFile(path));
    EXPECT_EQ(dict.GetText(0, 5), std::string(bytes.rbegin(), bytes.rbegin() + 5));
}
