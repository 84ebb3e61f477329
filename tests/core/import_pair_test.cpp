// An import replaces a base's documents file and its titles together: a kill at any step leaves
// the old pair or the new one, a pair that does not belong together is found at load, and a
// stopped or failed import changes nothing.

#include <gtest/gtest.h>

#include <filesystem>

#if defined(__unix__) || defined(__APPLE__)
#include <sys/wait.h>
#include <unistd.h>
#define TELVARION_HAVE_FORK 1
#endif

#include "base/codepage.h"
#include "orvo/orvo_ref_maker.h"
#include "storage/atomic_file.h"
#include "storage/doc_pair.h"
#include "storage/service_file_guard.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

// A list of count records.
std::string List(int count)
{
    std::string out;
    for (int i = 0; i < count; ++i)
        out += "$0  НОМЕР В БАЗЕ\n1\n$5  ВИД ДОКУМЕНТА\nзакон\n$4  ПРИНЯВШИЙ ОРГАН\nдума\n$6  ДАТА ПРИНЯТИЯ\n"
               "01.02.2001\n$7  НОМЕР\n5\n$9  НАЗВАНИЕ ДОКУМЕНТА\nдокумент "
            + std::to_string(i) + "\n\n$$\n";
    return codepage::Utf8ToCp1251(out);
}

// Loads the base of the folder, written afresh when it cannot be loaded as at start, and imports.
bool Import(const CTempDir& dir, const std::string& list)
{
    CScriptedUi ui;
    COrvoRefMaker maker(ui);
    if (!maker.LoadFiles(dir.Utf8()))
        maker.SaveFiles(dir.Utf8());
    return maker.ImportDocumentsFile(list, false);
}

} // namespace

TEST(ImportPair, AKillAtEveryStepLeavesTheOldPairOrTheNew)
{
#ifndef TELVARION_HAVE_FORK
    GTEST_SKIP() << "needs fork";
#else
    enum { kFinished = 10, kKilled = 11 };
    CTempDir start;
    CTempDir done;
    ASSERT_TRUE(Import(start, start.Write("old.lst", List(3))));
    const std::string list = start.Write("new.lst", List(5));
    std::filesystem::copy(start.Path(), done.Path());
    ASSERT_TRUE(Import(done, list));
    const auto oldPair = CTempDir::Files(start.Path());
    const auto newPair = CTempDir::Files(done.Path());
    int status = 0;
    int committed = 0;
    for (int step = 1; !WIFEXITED(status) || WEXITSTATUS(status) != kFinished; ++step) {
        ASSERT_LT(step, 100);
        CTempDir dir;
        std::filesystem::copy(start.Path(), dir.Path());
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int calls = 0;
            const auto count = [&] { return ++calls == step ? (_exit(kKilled), false) : false; };
            CAtomicFile::SetFaultHook([&](CAtomicFile::Step, const std::string&) { return count(); });
            docpair::SetStepHook([&](docpair::Step) { return count(); });
            _exit(Import(dir, list) ? kFinished : 1);
        }
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) >= kFinished) << step;
        // The next start; a journal means the import had taken place.
        const bool journal = std::filesystem::exists(Fs(docpair::JournalPath(dir.File(kOrvoDocumentsFile))));
        CScriptedUi ui;
        EXPECT_TRUE(COrvoRefMaker(ui).LoadFiles(dir.Utf8())) << step;
        EXPECT_EQ(ui.MessageTexts(), std::vector<std::string>()) << step;
        auto files = CTempDir::Files(dir.Path());
        // A killed write leaves its temporary file, which a later start removes.
        std::erase_if(files, [](const auto& file) { return file.first.find(".tmp") != std::string::npos; });
        EXPECT_TRUE(files == newPair || (!journal && files == oldPair)) << step;
        committed += journal;
    }
    EXPECT_EQ(committed, 3); // killed at either rename or the journal's removal
#endif
}

TEST(ImportPair, APairThatDoesNotBelongTogetherIsKeptAsideAndSaidOnce)
{
    for (const bool unfinished : { false, true }) {
        SCOPED_TRACE(unfinished);
        CTempDir dir;
        ASSERT_TRUE(Import(dir, dir.Write("old.lst", List(3))));
        const std::string documents = dir.File(kOrvoDocumentsFile);
        if (unfinished) {
            // The documents' rename fails: the new titles are in place, the new documents wait
            // beside them and are then damaged.
            docpair::SetStepHook([](docpair::Step s) { return s == docpair::Step::DocumentsRename; });
            EXPECT_TRUE(Import(dir, dir.Write("new.lst", List(5))));
            docpair::SetStepHook(nullptr);
            dir.Write(docpair::NewPath(kOrvoDocumentsFile), "spoilt");
        } else {
            dir.Write(kOrvoTitlesFile, "x"); // the records' titles lie beyond its end
        }
        for (const bool mayWrite : { false, true }) {
            const auto before = CTempDir::Files(dir.Path());
            CScriptedUi ui;
            COrvoRefMaker maker(ui);
            EXPECT_FALSE(maker.LoadFiles(dir.Utf8(), mayWrite));
            EXPECT_EQ(ui.MessageTexts(),
                std::vector<std::string> { std::string("Словарь документов ") + kOrvoDocumentsFile
                    + " не соответствует файлу названий " + kOrvoTitlesFile + ": "
                    + (mayWrite ? "словарь сохранён как " + documents + ".damaged" : "словарь не загружен")
                    + "; пополните словарь заново." });
            if (!mayWrite)
                EXPECT_EQ(CTempDir::Files(dir.Path()), before);
            else
                maker.SaveFiles(dir.Utf8()); // as the start does after a failed load
        }
        CScriptedUi ui;
        EXPECT_TRUE(COrvoRefMaker(ui).LoadFiles(dir.Utf8()));
        EXPECT_TRUE(ui.messages.empty());
    }
}

TEST(ImportPair, ARefusedOrFailedCommitChangesNothing)
{
    // "Нет" to replacing the documents file another program changed since the load; writing the
    // new documents file fails; renaming the titles fails.
    enum Stop { Changed, Written, Renamed };
    for (const Stop stop : { Changed, Written, Renamed }) {
        SCOPED_TRACE(stop);
        CTempDir dir;
        ASSERT_TRUE(Import(dir, dir.Write("old.lst", List(3))));
        const std::string documents = dir.File(kOrvoDocumentsFile);
        CScriptedUi ui;
        CServiceFileGuard guard(ui);
        COrvoRefMaker maker(ui);
        maker.SetFileGuard(&guard);
        ASSERT_TRUE(maker.LoadFiles(dir.Utf8()));
        if (stop == Changed)
            CAtomicFile::WriteWhole(documents, CTempDir::Read(documents) + "x");
        const std::string list = dir.Write("new.lst", List(5));
        const auto before = CTempDir::Files(dir.Path());
        ui.answers = { AnswerNo };
        CAtomicFile::SetFaultHook([&](CAtomicFile::Step s, const std::string& path) {
            return stop == Written && s == CAtomicFile::Step::Flush && path == docpair::NewPath(documents);
        });
        docpair::SetStepHook([stop](docpair::Step s) { return stop == Renamed && s == docpair::Step::TitlesRename; });
        EXPECT_FALSE(maker.ImportDocumentsFile(list, false));
        CAtomicFile::SetFaultHook(nullptr);
        docpair::SetStepHook(nullptr);
        const auto said = ui.MessageTexts(); // after the guard's question
        ASSERT_EQ(said.size(), stop == Changed ? 2u : 1u);
        const std::string failed = stop == Written ? documents : dir.File(kOrvoTitlesFile);
        EXPECT_EQ(said.back(),
            stop == Changed ? "Загрузка прервана: словарь не изменён" : "Ошибка записи файла " + failed + "!");
        EXPECT_EQ(CTempDir::Files(dir.Path()), before);
        EXPECT_EQ(maker.documents.records.size(), 3u);
    }
}
