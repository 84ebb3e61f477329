#include "local/inner_ref_maker.h"

#include <gtest/gtest.h>

#include "base/codepage.h"
#include "storage/archive.h"
#include "core/dict_text.h"
#include "storage/service_file.h"
#include "support/fault.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {
std::string S(std::string_view cp) { return std::string(cp); }
} // namespace

TEST(InnerRefMaker, StartsFromNothingAndKeepsWhatItStores)
{
    CTempDir dir;
    const std::string folder = dir.Utf8();
    CScriptedUi ui;
    CInnerRefMaker maker(ui);
    EXPECT_FALSE(maker.LoadFiles(folder)); // nothing there yet
    EXPECT_TRUE(ui.messages.empty());
    maker.SaveFiles(folder); // what the program does after a failed load
    EXPECT_EQ(CTempDir::Read(ServicePath(folder, kLocalDictionariesFile)), std::string(8, '\0'));
    EXPECT_EQ(CTempDir::Read(ServicePath(folder, kLocalDocumentsFile)), std::string(16, '\0'));
    EXPECT_TRUE(std::filesystem::exists(Fs(dir.Path() / kLocalNamesFile)));

    maker.types = ParseRecvDictText("Постановление; пост.\nПриказ\n");
    maker.MarkDictionariesModified();
    ui.filePaths.push_back(dir.Write("l.txt",
        codepage::Utf8ToCp1251("$0  НОМЕР В БАЗЕ\n7\n$5  ВИД ДОКУМЕНТА\nприказ\n$4  ПРИНЯВШИЙ ОРГАН\nминздрав\n"
                               "$6  ДАТА ПРИНЯТИЯ\n01.02.2001\n$7  НОМЕР\n12н\n$9  НАЗВАНИЕ ДОКУМЕНТА\nоб этом\n")));
    ui.filterChoices.push_back(1); // "Все файлы Windows"
    ASSERT_TRUE(maker.ImportDocuments());
    EXPECT_EQ(maker.bModified, 1);
    EXPECT_EQ(ui.fileQuestions.back().request.filter, "Все файлы Dos (*.*)|*.*|Все файлы Windows (*.*)|*.*||");
    maker.SaveFiles(folder);
    EXPECT_EQ(maker.bModified, 0);

    CScriptedUi ui2;
    CInnerRefMaker again(ui2);
    ASSERT_TRUE(again.LoadFiles(folder));
    ASSERT_EQ(again.types.records.size(), 2u);
    EXPECT_EQ(again.types.records[0].synonyms, std::vector<std::string> { S("ПОСТ."_cp) });
    CDocRecvisits r;
    ASSERT_TRUE(again.documents.FindByNumber(7, r));
    EXPECT_EQ(r.numbers, std::vector<std::string> { S("12Н"_cp) });
    EXPECT_EQ(r.name, S("ОБ ЭТОМ "_cp));
    EXPECT_EQ(again.documents.IdsOf({ S("МИНЗДРАВ"_cp), S("ДУМА"_cp) }, CInnerDocDict::Index::Bodies),
        std::vector<std::int32_t> { 0 });

    // The cancelled file dialog imports nothing and changes nothing.
    ui2.filePaths.push_back(std::nullopt);
    EXPECT_FALSE(again.ImportDocuments());
    EXPECT_EQ(again.bModified, 0);

    CFaultAt fault(CAtomicFile::Step::Flush);
    again.bModified = 1;
    again.SaveFiles(folder);
    EXPECT_EQ(ui2.MessageTexts(), (std::vector<std::string> { "Ошибка сохранения файла служебных данных!",
                                      "Ошибка сохранения реквизитов документов локальной базы!" }));
}

TEST(DictText, ValuesSynonymsAndKeywordsAreNormalised)
{
    const CRecvDict dict = ParseRecvDictText("\xEF\xBB\xBF# comment\n ; orphan\n  a  b ; ; c\r\n\t\nX;Y;\n");
    ASSERT_EQ(dict.records.size(), 2u);
    EXPECT_EQ(dict.records[0].value, "A B");
    EXPECT_EQ(dict.records[0].synonyms, std::vector<std::string> { "C" });
    EXPECT_EQ(FormatRecvRec(dict.records[1]), "X; Y");
    EXPECT_EQ(ParseKeywordText("  кодекс \n#x\n\nст."), (std::vector<std::string> { S("КОДЕКС"_cp), S("СТ."_cp) }));
}
