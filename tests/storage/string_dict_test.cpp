#include "storage/string_dict.h"

#include <gtest/gtest.h>

#include "base/codepage.h"
#include "storage/archive.h"
#include "storage/atomic_file.h"
#include "storage/recent_numbers.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

std::string Le32(std::uint32_t v)
{
    return { static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24) };
}

std::deque<std::int32_t> Numbers(std::initializer_list<std::int32_t> list) { return list; }

} // namespace

TEST(RecentNumbers, MostRecentFirstWithoutRepeatsAndAtMostTwenty)
{
    RecentNumbers recent;
    for (int n : { 3, 5, 7 })
        recent.AddNumber(n);
    EXPECT_EQ(recent.Numbers(), Numbers({ 7, 5, 3 }));
    recent.AddNumber(5);
    EXPECT_EQ(recent.Numbers(), Numbers({ 5, 7, 3 }));

    for (int n = 100; n < 120; ++n)
        recent.AddNumber(n);
    ASSERT_EQ(recent.Numbers().size(), 20u);
    EXPECT_EQ(recent.Numbers().front(), 119);
    EXPECT_EQ(recent.Numbers().back(), 100); // 5, 7 and 3 fell off the end
    recent.AddNumber(110);
    EXPECT_EQ(recent.Numbers().size(), 20u);
    EXPECT_EQ(recent.Numbers()[0], 110);
    EXPECT_EQ(recent.Numbers()[1], 119);
}

TEST(RecentNumbers, StoredFormAndDamagedFiles)
{
    RecentNumbers recent;
    {
        CArchive out = CArchive::StoreMemory();
        recent.Serialize(out);
        EXPECT_EQ(out.Bytes(), std::string(4, '\0'));
    }
    recent.AddNumber(1);
    recent.AddNumber(-2);
    CArchive out = CArchive::StoreMemory();
    recent.Serialize(out);
    EXPECT_EQ(out.Bytes(), Le32(2) + Le32(static_cast<std::uint32_t>(-2)) + Le32(1));

    RecentNumbers loaded;
    CArchive in = CArchive::LoadBytes(out.Bytes());
    loaded.Serialize(in);
    EXPECT_EQ(loaded.Numbers(), recent.Numbers());

    // A list whose count runs past the end of the file fails before anything is read, and the
    // numbers held before stay.
    RecentNumbers cut;
    cut.AddNumber(4);
    CArchive cutIn = CArchive::LoadBytes(Le32(3) + Le32(8) + Le32(9) + "\x01");
    EXPECT_THROW(cut.Serialize(cutIn), CArchiveException);
    EXPECT_EQ(cut.Numbers(), Numbers({ 4 }));

    // A hand-made file with repeats and too many entries still gives a sound list.
    std::string bytes = Le32(30);
    for (int i = 0; i < 30; ++i)
        bytes += Le32(i % 25);
    RecentNumbers odd;
    CArchive oddIn = CArchive::LoadBytes(bytes);
    odd.Serialize(oddIn);
    ASSERT_EQ(odd.Numbers().size(), 20u);
    EXPECT_EQ(odd.Numbers().front(), 0);
    EXPECT_EQ(odd.Numbers().back(), 19);
}

TEST(StringDict, StoredAsListOfStrings)
{
    CStringDict dict;
    dict.strings = { "ЗАКОН"_cp.data(), "" };
    CArchive out = CArchive::StoreMemory();
    dict.Serialize(out);
    EXPECT_EQ(out.Bytes(), Le32(2) + "\x05" + std::string("ЗАКОН"_cp) + std::string(1, '\0'));

    CStringDict loaded;
    loaded.strings = { "old" };
    CArchive in = CArchive::LoadBytes(out.Bytes());
    loaded.Serialize(in);
    EXPECT_EQ(loaded.strings, dict.strings);
}

TEST(StringDict, EditTakesTheCopyOnlyOnAChange)
{
    CStringDict dict;
    dict.strings = { "a", "b" };
    CScriptedUi ui;
    ui.listEdits.push_back(std::nullopt);                           // Cancel
    ui.listEdits.push_back(std::vector<std::string> { "a", "b" });  // OK without a change
    ui.listEdits.push_back(std::vector<std::string> { "b" });       // OK after deleting "a"

    EXPECT_FALSE(dict.Edit(ui, "Словарь ключевых слов", "Слова"));
    EXPECT_FALSE(dict.Edit(ui, "Словарь ключевых слов", "Слова"));
    EXPECT_EQ(dict.strings, (std::vector<std::string> { "a", "b" }));
    EXPECT_TRUE(dict.Edit(ui, "Словарь ключевых слов", "Слова"));
    EXPECT_EQ(dict.strings, (std::vector<std::string> { "b" }));

    ASSERT_EQ(ui.listQuestions.size(), 3u);
    EXPECT_EQ(ui.listQuestions[0].title, "Словарь ключевых слов");
    EXPECT_EQ(ui.listQuestions[0].column, "Слова");
    EXPECT_EQ(ui.listQuestions[0].shown, (std::vector<std::string> { "a", "b" }));
}

TEST(StringDict, ExportWritesNumberedLines)
{
    CTempDir dir;
    CScriptedUi ui;
    const std::string path = dir.File("words.txt");
    ui.filePaths.push_back(path);
    const std::vector<std::string> words = { "first", "СЛОВО"_cp.data() };
    ASSERT_TRUE(ExportStringList(ui, words));
    EXPECT_EQ(CTempDir::Read(path), "\r\n\r\n   1.  first\r\n   2.  " + std::string("СЛОВО"_cp) + "\r\n");
    ASSERT_EQ(ui.fileQuestions.size(), 1u);
    EXPECT_TRUE(ui.fileQuestions[0].save);
    EXPECT_EQ(ui.fileQuestions[0].request.fileName, "Словарь");
    EXPECT_EQ(ui.fileQuestions[0].request.defaultExt, "txt");
    EXPECT_EQ(ui.fileQuestions[0].request.filter, "Текстовые файлы(*.txt)|*.txt||");
    EXPECT_TRUE(ui.messages.empty());

    // Numbers past 999 just widen the column.
    std::vector<std::string> many(1000, "w");
    const std::string text = FormatStringListExport(many);
    EXPECT_NE(text.find("\r\n 999.  w\r\n 1000.  w\r\n"), std::string::npos);
}

TEST(StringDict, ExportFailuresAreReportedAndKeepTheOldFile)
{
    CTempDir dir;
    CScriptedUi ui;
    ui.filePaths.push_back(std::nullopt);
    EXPECT_FALSE(ExportStringList(ui, { "x" }));
    EXPECT_TRUE(ui.messages.empty());

    ui.filePaths.push_back(dir.File("missing/folder/words.txt"));
    EXPECT_FALSE(ExportStringList(ui, { "x" }));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Ошибка открытия файла!");
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Error);

    const std::string path = dir.Write("words.txt", "old content");
    ui.filePaths.push_back(path);
    CAtomicFile::SetFaultHook([](CAtomicFile::Step s, const std::string&) { return s == CAtomicFile::Step::Flush; });
    EXPECT_FALSE(ExportStringList(ui, { "x" }));
    CAtomicFile::SetFaultHook(nullptr);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].text, "Ошибка сохранения файла");
    EXPECT_EQ(CTempDir::Read(path), "old content");
}
