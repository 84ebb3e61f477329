// An import replaces a base's documents file and its titles together: a kill at any step leaves
// the old pair or the new one, a pair that does not belong together is found at load, and a
// stopped or failed import changes nothing.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

#if defined(__unix__) || defined(__APPLE__)
#include <sys/wait.h>
#include <unistd.h>
#define TELVARION_HAVE_FORK 1
#endif

#include "base/codepage.h"
#include "local/inner_ref_maker.h"
#include "orvo/orvo_ref_maker.h"
#include "seam/indexing_progress.h"
#include "storage/atomic_file.h"
#include "storage/doc_pair.h"
#include "storage/service_file_guard.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

struct Base {
    const char* documents;
    const char* titles;
    std::function<std::unique_ptr<CRefMaker>(CUserInterface&)> make;
    std::function<CDocDict&(CRefMaker&)> dict;
};
const Base kBases[] = {
    { kOrvoDocumentsFile, kOrvoTitlesFile, [](CUserInterface& ui) { return std::make_unique<COrvoRefMaker>(ui); },
        [](CRefMaker& m) -> CDocDict& { return static_cast<COrvoRefMaker&>(m).documents; } },
    { kLocalDocumentsFile, kLocalNamesFile, [](CUserInterface& ui) { return std::make_unique<CInnerRefMaker>(ui); },
        [](CRefMaker& m) -> CDocDict& { return static_cast<CInnerRefMaker&>(m).documents; } },
};

// A list of count records titled "документ GENERATION-i", or their titles as the dictionary
// holds them; broken: the second record lacks its dates.
std::string List(int generation, int count, bool titles = false, bool broken = false)
{
    std::string out;
    for (int i = 0; i < count; ++i) {
        const std::string title = "документ " + std::to_string(generation) + "-" + std::to_string(i);
        out += titles
            ? codepage::Utf8ToCp1251("ДОКУМЕНТ" + title.substr(16)) + " "
            : codepage::Utf8ToCp1251("$0  НОМЕР В БАЗЕ\n1\n$5  ВИД ДОКУМЕНТА\nзакон\n$4  ПРИНЯВШИЙ ОРГАН\nдума\n"
                + std::string(broken && i == 1 ? "" : "$6  ДАТА ПРИНЯТИЯ\n01.02.2001\n")
                + "$7  НОМЕР\n5\n$9  НАЗВАНИЕ ДОКУМЕНТА\n" + title + "\n\n$$\n");
    }
    return out;
}

std::string Titles(CDocDict& dict)
{
    std::string titles;
    for (std::size_t row = 0; row < dict.records.size(); ++row)
        titles += dict.ToRecvisits(row).name;
    return titles;
}

// A folder whose base holds the list of generation 1, three records.
void MakeOldPair(const Base& base, const CTempDir& dir)
{
    CScriptedUi ui;
    auto maker = base.make(ui);
    maker->LoadFiles(dir.Utf8());
    maker->SaveFiles(dir.Utf8());
    ASSERT_TRUE(maker->ImportDocumentsFile(dir.Write("old.lst", List(1, 3)), false));
}

bool Lingers(const CTempDir& dir)
{
    for (const auto& [name, bytes] : CTempDir::Files(dir.Path()))
        if (name.ends_with(".new") || name.ends_with(".pair"))
            return true;
    return false;
}

} // namespace

TEST(ImportPair, AKillAtEveryStepLeavesTheOldPairOrTheNew)
{
#ifndef TELVARION_HAVE_FORK
    GTEST_SKIP() << "needs fork";
#else
    enum { kFinished = 10, kKilled = 11 };
    for (const Base& base : kBases) {
        SCOPED_TRACE(base.documents);
        CTempDir start;
        MakeOldPair(base, start);
        const std::string list = start.Write("new.lst", List(2, 5));
        int status = 0;
        int committed = 0;
        for (int step = 1; !WIFEXITED(status) || WEXITSTATUS(status) != kFinished; ++step) {
            ASSERT_LT(step, 100);
            CTempDir dir;
            for (const auto& [name, bytes] : CTempDir::Files(start.Path()))
                dir.Write(name, bytes);
            std::fflush(nullptr);
            const pid_t child = fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                CScriptedUi ui;
                auto maker = base.make(ui);
                maker->LoadFiles(dir.Utf8());
                int calls = 0;
                const auto count = [&] { return ++calls == step ? (_exit(kKilled), false) : false; };
                CAtomicFile::SetFaultHook([&](CAtomicFile::Step, const std::string&) { return count(); });
                docpair::SetStepHook([&](docpair::Step) { return count(); });
                _exit(maker->ImportDocumentsFile(list, false) ? kFinished : 1);
            }
            ASSERT_EQ(waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) >= kFinished) << step;
            // The next start; a journal means the import had taken place.
            const bool journal = std::filesystem::exists(Fs(docpair::JournalPath(dir.File(base.documents))));
            CScriptedUi ui;
            auto maker = base.make(ui);
            EXPECT_TRUE(maker->LoadFiles(dir.Utf8())) << step;
            const std::string titles = Titles(base.dict(*maker));
            EXPECT_TRUE(titles == List(2, 5, true) || (!journal && titles == List(1, 3, true)))
                << step << ": " << titles;
            EXPECT_EQ(ui.messages.size(), 0u) << step << ": " << ui.messages[0].text;
            EXPECT_FALSE(Lingers(dir)) << step;
            committed += journal;
        }
        EXPECT_EQ(committed, 3); // killed at either rename or the journal's removal
    }
#endif
}

TEST(ImportPair, APairThatDoesNotBelongTogetherIsKeptAsideAndSaidOnce)
{
    const std::function<void(const Base&, const CTempDir&)> spoils[] = {
        [](const Base& b, const CTempDir& dir) { dir.Write(b.titles, List(1, 2, true)); }, // a title beyond the end
        // A commit left unfinished, whose new documents file was then damaged.
        [](const Base& b, const CTempDir& dir) {
            docpair::SetStepHook([](docpair::Step s) { return s == docpair::Step::DocumentsRename; });
            CScriptedUi ui;
            auto maker = b.make(ui);
            maker->LoadFiles(dir.Utf8());
            EXPECT_TRUE(maker->ImportDocumentsFile(dir.Write("new.lst", List(2, 5)), false));
            EXPECT_EQ(ui.MessageTexts().back(), "Ошибка записи файла " + dir.File(b.documents) + "!");
            EXPECT_EQ(Titles(b.dict(*maker)), List(2, 5, true));
            docpair::SetStepHook(nullptr);
            dir.Write(std::string(b.documents) + ".new", "spoilt");
        },
    };
    for (const Base& base : kBases) {
        for (const auto& spoil : spoils) {
            SCOPED_TRACE(base.documents);
            CTempDir dir;
            MakeOldPair(base, dir);
            const std::string documents = CTempDir::Read(dir.File(base.documents));
            spoil(base, dir);
            for (const bool mayWrite : { false, true }) {
                const auto before = CTempDir::Files(dir.Path());
                CScriptedUi ui;
                auto maker = base.make(ui);
                EXPECT_FALSE(maker->LoadFiles(dir.Utf8(), mayWrite));
                const std::string kept = dir.File(base.documents) + ".damaged";
                EXPECT_EQ(ui.MessageTexts(),
                    std::vector<std::string> { std::string("Словарь документов ") + base.documents
                        + " не соответствует файлу названий " + base.titles + ": "
                        + (mayWrite ? "словарь сохранён как " + kept : "словарь не загружен")
                        + "; пополните словарь заново." });
                EXPECT_TRUE(base.dict(*maker).records.empty());
                if (!mayWrite) {
                    EXPECT_EQ(CTempDir::Files(dir.Path()), before);
                    continue;
                }
                EXPECT_EQ(CTempDir::Read(kept), documents);
                maker->SaveFiles(dir.Utf8()); // as the start does after a failed load
            }
            EXPECT_FALSE(Lingers(dir));
            CScriptedUi ui;
            EXPECT_TRUE(base.make(ui)->LoadFiles(dir.Utf8()));
            EXPECT_TRUE(ui.messages.empty());
        }
    }
}

TEST(ImportPair, AStoppedOrFailedImportChangesNothing)
{
    // "Отмена" at a quarter, "Да" to a broken record, "Нет" to replacing the documents file another
    // program changed since the load; the new documents file or the titles' rename failing.
    enum Stop { Cancel, Broken, Changed, Written, Renamed };
    for (const Base& base : kBases) {
        for (const Stop stop : { Cancel, Broken, Changed, Written, Renamed }) {
            SCOPED_TRACE(std::string(base.documents) + " " + std::to_string(stop));
            CTempDir dir;
            MakeOldPair(base, dir);
            CScriptedUi ui;
            CServiceFileGuard guard(ui);
            auto maker = base.make(ui);
            maker->SetFileGuard(&guard);
            ASSERT_TRUE(maker->LoadFiles(dir.Utf8()));
            const std::string list = dir.Write("new.lst", List(2, 200, false, stop == Broken));
            const std::string documents = dir.File(base.documents);
            ui.answers = { stop == Broken ? AnswerYes : AnswerNo };
            ui.onEvents = [stop](CScriptedUi& u) {
                if (stop == Cancel && u.progress && u.progress->Percent() >= 25)
                    u.progress->Cancel();
            };
            if (stop == Changed)
                CAtomicFile::WriteWhole(documents, CTempDir::Read(documents) + "x");
            CAtomicFile::SetFaultHook([&](CAtomicFile::Step s, const std::string& path) {
                return stop == Written && s == CAtomicFile::Step::Flush && path == docpair::NewPath(documents);
            });
            docpair::SetStepHook(
                [stop](docpair::Step s) { return stop == Renamed && s == docpair::Step::TitlesRename; });
            const auto before = CTempDir::Files(dir.Path());
            EXPECT_FALSE(maker->ImportDocumentsFile(list, false));
            CAtomicFile::SetFaultHook(nullptr);
            docpair::SetStepHook(nullptr);
            auto said = ui.MessageTexts();
            if (stop == Changed && !said.empty()
                && said[0].starts_with("Файл " + documents + " изменён другой программой"))
                said[0] = "?";
            const std::string stopped = "Загрузка прервана: словарь не изменён";
            const std::vector<std::string> expected[]
                = { { stopped }, { "Ошибка разбора записей. Прервать разбор?", stopped }, { "?", stopped },
                      { "Ошибка записи файла " + documents + "!" },
                      { "Ошибка записи файла " + dir.File(base.titles) + "!" } };
            EXPECT_EQ(said, expected[stop]);
            EXPECT_EQ(CTempDir::Files(dir.Path()), before);
            EXPECT_EQ(Titles(base.dict(*maker)), List(1, 3, true));
        }
    }
}
