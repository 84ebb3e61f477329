#include "orvo/orvo_link_dict.h"
#include "orvo/orvo_ref_maker.h"

#include <gtest/gtest.h>

#include "base/codepage.h"
#include "storage/archive.h"
#include "storage/service_file.h"
#include "support/fault.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

std::string S(std::string_view cp) { return std::string(cp); }

const char* const kList = "$0  НОМЕР В БАЗЕ\n45\n03.03.2003\n$5  ВИД ДОКУМЕНТА\nзакон\n$4  ПРИНЯВШИЙ ОРГАН\nгосдума\n"
                          "$6  ДАТА ПРИНЯТИЯ\n01.02.2001\n$7  НОМЕР\n5-фз\n$9  НАЗВАНИЕ ДОКУМЕНТА\nо чём-то\n\n$$\n"
                          "$0  НОМЕР В БАЗЕ\n46\n$5  ВИД ДОКУМЕНТА\nуказ\n$4  ПРИНЯВШИЙ ОРГАН\nпрезидент\n"
                          "$6  ДАТА ПРИНЯТИЯ\n02.02.2002\n$7  НОМЕР\n7\n$9  НАЗВАНИЕ ДОКУМЕНТА\nвторой\n\n";

struct Base {
    CTempDir dir;
    CScriptedUi ui;
    COrvoRefMaker maker { ui };
    Base()
    {
        maker.LoadFiles(dir.Utf8());
        EXPECT_TRUE(maker.documents.ImportListFile(ui, dir.Write("list.txt", codepage::Utf8ToCp1251(kList)), false));
        ui.messages.clear();
    }
};

} // namespace

TEST(OrvoLinkDict, AddDocumentAsksAndRefusesRepeatsAndUnknownNumbers)
{
    Base b;
    COrvoLinkDict notepad;
    b.ui.answers = { AnswerNo, AnswerYes };
    EXPECT_FALSE(notepad.AddDocument(b.ui, b.maker.documents, 45));
    EXPECT_TRUE(notepad.AddDocument(b.ui, b.maker.documents, 45));
    ASSERT_EQ(notepad.entries.size(), 1u);
    EXPECT_EQ(notepad.entries[0].name, S("О ЧЁМ-ТО "_cp));
    EXPECT_EQ(b.ui.messages[0].text,
        "Документ Орво\nНомер в базе: 45\nВид документа: ЗАКОН\nПринявший орган: ГОСДУМА\nДата принятия: 01.02.2001\n"
        "Номер: 5-ФЗ\nНазвание документа: О ЧЁМ-ТО \nЗанести в блокнот?");
    EXPECT_EQ(b.ui.messages[0].icon, MsgIcon::Question);

    EXPECT_FALSE(notepad.AddDocument(b.ui, b.maker.documents, 45));
    EXPECT_EQ(b.ui.messages.back().text, "Документ уже внесён в блокнот!");
    EXPECT_FALSE(notepad.AddDocument(b.ui, b.maker.documents, 999));
    EXPECT_EQ(b.ui.messages.back().text, "Неправильный базовый номер документа!");
    EXPECT_EQ(b.ui.messages.back().icon, MsgIcon::Error);

    // Entries keep their requisites when the dictionary is refilled.
    b.maker.documents.records.clear();
    EXPECT_EQ(notepad.entries[0].numbers, std::vector<std::string> { S("5-ФЗ"_cp) });

    // Stored as a count and the requisites; Swap exchanges entries.
    b.ui.answers = { AnswerYes };
    b.maker.documents.ImportListFile(b.ui, b.dir.File("list.txt"), false);
    ASSERT_TRUE(notepad.AddDocument(b.ui, b.maker.documents, 46));
    notepad.Swap(0, 1);
    notepad.Swap(0, 7); // out of range: nothing happens
    CArchive out = CArchive::StoreMemory();
    notepad.Serialize(out);
    COrvoLinkDict loaded;
    CArchive in = CArchive::LoadBytes(out.Bytes());
    loaded.Serialize(in);
    ASSERT_EQ(loaded.entries.size(), 2u);
    EXPECT_EQ(loaded.entries[0].nBaseNumber, 46);
    EXPECT_TRUE(loaded.entries[1].Equals(notepad.entries[1]));
}

TEST(OrvoRefMaker, FilesRoundTripAndDamagedFilesAreKept)
{
    Base b;
    const std::string folder = b.dir.Utf8();
    b.maker.keywords.strings = { S("ЗАКОН"_cp) };
    b.maker.types.records.emplace_back(S("ЗАКОН"_cp), std::vector<std::string> { S("ФЗ"_cp) });
    b.maker.bModified = 1;
    b.maker.SaveFiles(folder);
    EXPECT_EQ(b.maker.bModified, 0);
    EXPECT_TRUE(b.ui.messages.empty());

    CScriptedUi ui;
    COrvoRefMaker again(ui);
    ASSERT_TRUE(again.LoadFiles(folder));
    EXPECT_EQ(again.bModified, 0);
    EXPECT_EQ(again.keywords.strings, b.maker.keywords.strings);
    EXPECT_EQ(again.types.records.size(), 1u);
    CDocRecvisits r;
    ASSERT_TRUE(again.documents.FindByBaseNumber(46, r));
    EXPECT_EQ(r.name, S("ВТОРОЙ "_cp));

    // A damaged dictionaries file does not stop the documents from loading, and the old bytes
    // are kept aside before anything overwrites them.
    const std::string dov = ServicePath(folder, kOrvoDictionariesFile);
    const std::string good = CTempDir::Read(dov);
    b.dir.Write(kOrvoDictionariesFile, good.substr(0, good.size() - 3));
    COrvoRefMaker damaged(ui);
    EXPECT_FALSE(damaged.LoadFiles(folder));
    EXPECT_EQ(damaged.bModified, 1);
    EXPECT_EQ(damaged.documents.records.size(), 2u);
    EXPECT_EQ(CTempDir::Read(dov + ".damaged"), good.substr(0, good.size() - 3));
    EXPECT_TRUE(ui.messages.empty()); // loading failures are silent

    // The save after the failed load writes only the file that failed; a failure is reported and
    // clears the flag all the same.
    const std::string orv = CTempDir::Read(ServicePath(folder, kOrvoDocumentsFile));
    {
        CFaultAt fault(CAtomicFile::Step::Rename);
        damaged.SaveFiles(folder);
    }
    EXPECT_EQ(ui.MessageTexts(), (std::vector<std::string> { "Ошибка сохранения файла служебных данных!" }));
    EXPECT_EQ(damaged.bModified, 0);
    damaged.MarkDocumentsModified();
    damaged.SaveFiles(folder);
    EXPECT_EQ(CTempDir::Read(dov), good.substr(0, good.size() - 3)); // still the damaged one
    EXPECT_EQ(CTempDir::Read(ServicePath(folder, kOrvoDocumentsFile)), orv);
    // A second damaged load keeps its copy under a new name.
    COrvoRefMaker twice(ui);
    EXPECT_FALSE(twice.LoadFiles(folder));
    EXPECT_TRUE(std::filesystem::exists(Fs(dov + ".damaged-2")));
    twice.SaveFiles(folder);
    COrvoRefMaker healed(ui);
    EXPECT_TRUE(healed.LoadFiles(folder));
    EXPECT_EQ(healed.documents.records.size(), 2u);
}

TEST(OrvoRefMaker, MissingTitlesFileIsCreatedAndUsableAtOnce)
{
    CTempDir dir;
    CScriptedUi ui;
    COrvoRefMaker maker(ui);
    EXPECT_FALSE(maker.LoadFiles(dir.Utf8()));
    EXPECT_TRUE(std::filesystem::exists(Fs(dir.Path() / kOrvoTitlesFile)));
    EXPECT_TRUE(maker.documents.IsTextFileOpen());
    ASSERT_TRUE(maker.documents.ImportListFile(ui, dir.Write("l.txt", codepage::Utf8ToCp1251(kList)), false));
    CDocRecvisits r;
    ASSERT_TRUE(maker.documents.FindByBaseNumber(45, r));
    EXPECT_EQ(r.name, S("О ЧЁМ-ТО "_cp));

    // Lost titles do not cost the documents: they load, and only a title asked for is missing.
    maker.SaveFiles(dir.Utf8());
    maker.documents.CloseTextFile();
    std::filesystem::remove(Fs(dir.Path() / kOrvoTitlesFile));
    CScriptedUi again;
    COrvoRefMaker reloaded(again);
    EXPECT_TRUE(reloaded.LoadFiles(dir.Utf8()));
    EXPECT_TRUE(again.messages.empty());
    ASSERT_TRUE(reloaded.documents.FindByBaseNumber(45, r));
    EXPECT_EQ(r.name, "");

    // A folder where the titles file should be cannot be replaced: the message, and no crash.
    CTempDir other;
    std::filesystem::create_directory(Fs(other.Path() / kOrvoTitlesFile));
    COrvoRefMaker blocked(ui);
    blocked.LoadFiles(other.Utf8());
    EXPECT_EQ(ui.messages.back().text, "Ошибка создания службного файла Telvarion.ttl!");
}

TEST(OrvoRefMaker, DictionaryCommandsGoThroughTheirDialogs)
{
    CScriptedUi ui;
    COrvoRefMaker maker(ui);
    maker.bModified = 0;
    ui.listEdits.push_back(std::nullopt);
    EXPECT_FALSE(maker.EditKeywords());
    EXPECT_EQ(maker.bModified, 0);
    CRecvDict edited;
    edited.records.emplace_back("X", std::vector<std::string> {});
    ui.recvEdits.push_back(edited);
    EXPECT_TRUE(maker.EditBodies());
    EXPECT_EQ(maker.bModified, 1);
    EXPECT_EQ(maker.bodies.records.size(), 1u);
    EXPECT_EQ(ui.listQuestions[0].title, "Словарь ключевых слов");
    EXPECT_EQ(ui.recvQuestions[0], "Словарь принявших органов Орво");
}

TEST(OrvoRefMaker, DictionariesFileCutAtAnyByteFailsCleanly)
{
    CTempDir dir;
    const std::string folder = dir.Utf8();
    CScriptedUi ui;
    COrvoRefMaker maker(ui);
    maker.keywords.strings = { "A", "BB" };
    maker.types.records.emplace_back("T", std::vector<std::string> { "S1", "S2" });
    maker.bodies.records.emplace_back("B", std::vector<std::string> {});
    ASSERT_TRUE(maker.SaveDictionaries(folder));
    const std::string full = CTempDir::Read(ServicePath(folder, kOrvoDictionariesFile));
    for (std::size_t cut = 0; cut < full.size(); ++cut) {
        dir.Write(kOrvoDictionariesFile, full.substr(0, cut));
        COrvoRefMaker loaded(ui);
        EXPECT_FALSE(loaded.LoadDictionaries(folder)) << cut;
    }
    // Counts and lengths far beyond the file.
    dir.Write(kOrvoDictionariesFile, std::string("\xFF\xFF\xFF\x7F", 4) + full.substr(4));
    COrvoRefMaker huge(ui);
    EXPECT_FALSE(huge.LoadDictionaries(folder));
    dir.Write(kOrvoDictionariesFile, full);
    COrvoRefMaker whole(ui);
    EXPECT_TRUE(whole.LoadDictionaries(folder));
    EXPECT_EQ(whole.types.records[0].synonyms.size(), 2u);
}
