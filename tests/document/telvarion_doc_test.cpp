#include "document/telvarion_doc.h"

#include <gtest/gtest.h>

#include <functional>

#include "base/codepage.h"
#include "core/tag_line.h"
#include "storage/archive.h"
#include "core/dict_text.h"
#include "storage/service_file.h"
#include "support/fault.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

std::string S(std::string_view cp) { return std::string(cp); }

// An *.rla file from UTF-8 lines, as the reference system writes it.
std::string Rla(const std::vector<std::string>& header, const std::vector<std::string>& text)
{
    std::string out;
    for (const auto& l : header)
        out += codepage::Cp1251ToCp866(codepage::Utf8ToCp1251(l)) + "\r\n";
    out += codepage::Cp1251ToCp866(S("$18  Текст документа"_cp)) + "\r\n";
    for (const auto& l : text)
        out += codepage::Cp1251ToCp866(codepage::Utf8ToCp1251(l)) + "\r\n";
    return out;
}

const std::vector<std::string> kHeader = { "$1  Название", "Закон области", "$6  Дата принятия", "01.02.2003", "" };
const std::vector<std::string> kText = { "Статья 1", "В соответствии с Законом N 131-ФЗ от 06.10.2003 области", "Статья 2" };

// A data folder with one Orvo document (a law, 131-ФЗ) the text above cites.
struct Fixture {
    CTempDir data;
    CTempDir work;
    CScriptedUi ui;
    std::unique_ptr<CTelvarionDoc> doc;

    Fixture()
    {
        CScriptedUi setupUi;
        COrvoRefMaker maker(setupUi);
        maker.LoadFiles(Folder());
        maker.keywords.strings = ParseKeywordText("ЗАКОН");
        maker.types = ParseRecvDictText("ЗАКОН");
        const std::string list = codepage::Utf8ToCp1251(
            "$0  НОМЕР В БАЗЕ\n100\n$5  ВИД ДОКУМЕНТА\nЗАКОН\n$4  ПРИНЯВШИЙ ОРГАН\n...\n$6  ДАТА ПРИНЯТИЯ\n06.10.2003\n"
            "$7  НОМЕР\n131-ФЗ\n$9  НАЗВАНИЕ ДОКУМЕНТА\nОб общих принципах\n\n");
        EXPECT_TRUE(maker.documents.ImportListFile(setupUi, data.Write("orvo.lst", list), false));
        maker.MarkDictionariesModified();
        maker.MarkDocumentsModified();
        maker.SaveFiles(Folder());
        Restart();
    }
    std::string Folder() const { return data.Utf8(); }
    void Restart()
    {
        doc.reset();
        doc = std::make_unique<CTelvarionDoc>(ui, Folder());
        doc->LoadServiceData();
    }
    std::string Input(const std::string& name = "law.rla") { return work.Write(name, Rla(kHeader, kText)); }
};

} // namespace

TEST(TelvarionDoc, OpenAnalysesShowsAndTitles)
{
    Fixture f;
    f.ui.confirmAnswers.push_back(AnswerYes);
    const std::string path = f.Input();
    ASSERT_TRUE(f.doc->OpenFile(path));
    // The Orvo analysis placed one tag before the citing line.
    ASSERT_EQ(f.ui.viewTexts.size(), 4u);
    EXPECT_EQ(f.ui.viewTexts[1], FormatOrvoTag(100));
    EXPECT_EQ(f.ui.viewRecords[1].nKind, OrvoLinkNew);
    // The anchor took the blanks around "Законом", so the local analysis that follows no longer
    // sees " N " in the line.
    EXPECT_EQ(f.ui.viewTexts[2], codepage::Utf8ToCp1251("В соответствии с\x01Законом\x02N 131-ФЗ от 06.10.2003 области"));
    EXPECT_EQ(f.doc->bModified, 1);
    EXPECT_EQ(f.ui.title, "Telvarion - " + path + "* - Дата принятия: 01.02.2003");
    EXPECT_EQ(f.ui.messages.back().text,
        "*********** Ссылки на документы Орво ***********\nКоличество подозрительных строк: 1\n"
        "Количество тегов, проставленных программой: 1\nКоличество тегов, которые уже были в документе: 0\n\n"
        "*********** Ссылки на документы базы ***********\nКоличество подозрительных строк: 0\n"
        "Количество тегов, проставленных программой: 0\nКоличество тегов, которые уже были в документе: 0");
    EXPECT_EQ(f.ui.undoCleared, 1);
    EXPECT_EQ(f.doc->bBusy, 0);

    // Re-analysis: the suspicious counts of the open stay, the tag placed since counts as existing.
    f.doc->OnReanalyse();
    EXPECT_EQ(f.doc->orvoMaker.nSuspiciousLines, 1);
    EXPECT_EQ(f.doc->orvoMaker.nExistingTags, 1);
    EXPECT_EQ(f.doc->orvoMaker.nPlacedTags, 0); // the tag above the line stops a second one
}

// The tags a question asks about are marked for the interface while it waits; one that went
// meanwhile (an interface that did not hold it) is not counted as placed, and no mark outlives
// the question.
TEST(TelvarionDoc, OnlyTagsInTheDocumentAreCounted)
{
    for (const bool removeTag : { false, true }) {
        Fixture f;
        f.ui.confirmAnswers.push_back(AnswerYes);
        std::vector<std::int32_t> marked;
        f.ui.duringConfirm = [&](std::vector<std::string>& texts, std::vector<CLineRecord>& records) {
            for (const auto& r : records)
                marked.push_back(r.bAwaiting);
            if (removeTag) {
                texts.erase(texts.begin() + 1);
                records.erase(records.begin() + 1);
            }
        };
        ASSERT_TRUE(f.doc->OpenFile(f.Input(), false));
        EXPECT_EQ(marked, (std::vector<std::int32_t> { 0, 1, 0, 0 }));
        EXPECT_EQ(f.doc->orvoMaker.nPlacedTags, removeTag ? 0 : 1);
        EXPECT_EQ(f.ui.viewTexts.size(), removeTag ? 3u : 4u);
        for (const auto& r : f.ui.viewRecords)
            EXPECT_EQ(r.bAwaiting, 0);
    }
}

TEST(TelvarionDoc, FailedOpenKeepsTheOpenDocument)
{
    Fixture f;
    f.ui.confirmAnswers.push_back(AnswerYes);
    const std::string path = f.Input();
    ASSERT_TRUE(f.doc->OpenFile(path));
    const auto texts = f.ui.viewTexts;
    // Asked to save first, the person says No; the file then cannot be read.
    f.ui.filePaths.push_back(f.work.File("missing.rla"));
    f.ui.answers.push_back(AnswerNo);
    f.doc->OnFileOpen();
    EXPECT_EQ(f.ui.messages.back().text, "Ошибка чтения файла " + f.work.File("missing.rla") + "!");
    EXPECT_EQ(f.doc->currentPath, path);
    EXPECT_EQ(f.doc->text.path, path);
    EXPECT_EQ(f.doc->bModified, 1);
    EXPECT_EQ(f.ui.viewTexts, texts);
    // Cancel to the save question leaves everything as it was, without reading anything.
    f.ui.filePaths.push_back(f.Input("other.rla"));
    f.ui.answers.push_back(AnswerCancel);
    f.doc->OnFileOpen();
    EXPECT_EQ(f.doc->currentPath, path);
    EXPECT_EQ(f.ui.messages[f.ui.messages.size() - 1].text, "Сохранить файл " + path + "?");
    EXPECT_EQ(f.ui.messages.back().buttons, MsgButtons::YesNoCancel);
}

TEST(TelvarionDoc, AFileWithoutTheTextLineIsNamedAndLeftAlone)
{
    Fixture f;
    std::string bytes;
    for (const auto& l : kHeader)
        bytes += codepage::Cp1251ToCp866(codepage::Utf8ToCp1251(l)) + "\r\n";
    const std::string path = f.work.Write("header.rla", bytes);
    ASSERT_TRUE(f.doc->OpenFile(path));
    ASSERT_GE(f.ui.messages.size(), 2u);
    const auto& warning = f.ui.messages[f.ui.messages.size() - 2];
    EXPECT_EQ(warning.text, "В файле " + path + " нет строки \"$18  Текст документа\": в нём нет текста документа, "
        "ссылки искать не в чем. Файл не изменён.");
    EXPECT_EQ(warning.icon, MsgIcon::Warning);
    EXPECT_EQ(f.doc->bModified, 0);
    EXPECT_EQ(CTempDir::Read(path), bytes);
    // A document with the line, even with no text after it, opens without a word.
    const std::size_t before = f.ui.messages.size();
    ASSERT_TRUE(f.doc->OpenFile(f.work.Write("empty.rla", Rla(kHeader, {})), false));
    EXPECT_EQ(f.ui.messages.size(), before);
}

TEST(TelvarionDoc, FirstSaveMovesTheFileIntoTheOutputFolder)
{
    Fixture f;
    CTempDir out;
    f.doc->settings.outputFolder = out.Utf8();
    f.ui.confirmAnswers.push_back(AnswerYes);
    const std::string path = f.Input();
    ASSERT_TRUE(f.doc->OpenFile(path, false));
    ASSERT_TRUE(f.doc->IsEnabled(CTelvarionDoc::Command::Save));
    f.doc->OnFileSave();
    const std::string moved = out.File("law.rla");
    EXPECT_FALSE(std::filesystem::exists(Fs(path)));
    EXPECT_EQ(f.doc->currentPath, moved);
    EXPECT_EQ(f.doc->bModified, 0);
    EXPECT_EQ(f.doc->bInOutputFolder, 1);
    CRlaText back;
    ASSERT_TRUE(back.ReadRla(moved, f.ui));
    EXPECT_EQ(back.textLines, f.ui.viewTexts);
    EXPECT_TRUE(f.doc->IsEnabled(CTelvarionDoc::Command::Save)); // saved, it may be saved again

    // A later change of the output folder does not move the file again.
    f.doc->settings.outputFolder = f.work.Utf8();
    f.doc->SetModified();
    f.doc->OnFileSave();
    EXPECT_EQ(f.doc->currentPath, moved);
    EXPECT_TRUE(std::filesystem::exists(Fs(moved)));
}

TEST(TelvarionDoc, SaveWithTheSameFoldersWritesInPlace)
{
    Fixture f;
    f.doc->settings.outputFolder = f.work.Utf8();
    f.ui.confirmAnswers.push_back(AnswerYes);
    const std::string path = f.Input();
    ASSERT_TRUE(f.doc->OpenFile(path, false));
    const std::size_t messages = f.ui.messages.size();
    f.doc->OnFileSave();
    EXPECT_EQ(f.ui.messages.size(), messages); // no error for a move that is not needed
    CRlaText back;
    ASSERT_TRUE(back.ReadRla(path, f.ui));
    EXPECT_EQ(back.textLines.size(), 4u);

    // A write that fails keeps the document modified, so the edits are not lost at close.
    f.doc->SetModified();
    {
        CFaultAt fault(CAtomicFile::Step::Rename);
        f.doc->OnFileSave();
        EXPECT_EQ(f.ui.messages.back().text, "Ошибка записи файла " + path + "!\nПричина: ошибка ввода-вывода.");
        EXPECT_EQ(f.doc->bModified, 1);
        f.ui.answers.push_back(AnswerYes);
        EXPECT_FALSE(f.doc->SaveModified());
    }
    f.ui.answers.push_back(AnswerNo);
    EXPECT_TRUE(f.doc->SaveModified());
}

// A save that fails changes nothing: path, place and modified mark stay, so the next save tries
// again with the output folder as it is then. Save As and the save question of Open alike.
TEST(TelvarionDoc, AFailedSaveChangesNothing)
{
    Fixture f;
    f.doc->settings.outputFolder = f.work.File("missing");
    f.ui.confirmAnswers.push_back(AnswerYes);
    const std::string path = f.Input();
    ASSERT_TRUE(f.doc->OpenFile(path, false));
    const std::string input = CTempDir::Read(path);
    const auto unchanged = [&](const char* step) {
        EXPECT_EQ(f.doc->currentPath, path) << step;
        EXPECT_EQ(f.doc->text.path, path) << step;
        EXPECT_EQ(f.doc->bInOutputFolder, 0) << step;
        EXPECT_EQ(f.doc->bModified, 1) << step;
        EXPECT_EQ(f.ui.title, "Telvarion - " + path + "* - Дата принятия: 01.02.2003") << step;
        EXPECT_EQ(CTempDir::Read(path), input) << step;
    };
    f.doc->OnFileSave();
    EXPECT_EQ(f.ui.messages.back().text,
        "Ошибка записи файла " + f.work.File("missing/law.rla") + "!\nПричина: папка или файл не существует.");
    EXPECT_EQ(f.ui.messages.back().icon, MsgIcon::Error);
    unchanged("save into a missing folder");

    f.ui.filePaths.push_back(f.work.File("missing/copy.rla"));
    f.doc->OnFileSaveAs();
    unchanged("save as into a missing folder");

    // Asked to save before another document opens, Yes with a write that fails keeps this one.
    f.ui.filePaths.push_back(f.Input("other.rla"));
    f.ui.answers.push_back(AnswerYes);
    {
        CFaultAt fault(CAtomicFile::Step::Rename);
        f.doc->OnFileOpen();
    }
    unchanged("open after a failed save");

    CTempDir out;
    f.doc->settings.outputFolder = out.Utf8();
    f.doc->OnFileSave();
    EXPECT_EQ(f.doc->currentPath, out.File("law.rla"));
    EXPECT_EQ(f.doc->bInOutputFolder, 1);
    EXPECT_EQ(f.doc->bModified, 0);
    EXPECT_FALSE(std::filesystem::exists(Fs(path)));
    CRlaText back;
    ASSERT_TRUE(back.ReadRla(out.File("law.rla"), f.ui));
    EXPECT_EQ(back.textLines, f.ui.viewTexts);
}

TEST(TelvarionDoc, SaveAsAndDelete)
{
    Fixture f;
    f.ui.confirmAnswers.push_back(AnswerYes);
    ASSERT_TRUE(f.doc->OpenFile(f.Input(), false));
    const std::string other = f.work.File("copy.rla");
    f.ui.filePaths.push_back(other);
    f.doc->OnFileSaveAs();
    EXPECT_EQ(f.ui.fileQuestions.back().request.defaultExt, "rla");
    EXPECT_TRUE(f.ui.fileQuestions.back().request.confirmOverwrite);
    EXPECT_EQ(f.doc->currentPath, other);
    EXPECT_TRUE(std::filesystem::exists(Fs(other)));
    EXPECT_EQ(f.doc->bModified, 0);

    f.ui.answers.push_back(AnswerNo);
    f.doc->OnFileDelete();
    EXPECT_TRUE(std::filesystem::exists(Fs(other)));
    EXPECT_EQ(f.ui.messages.back().text, "Вы действительно хотите удалить файл?\n\n" + other);
    f.ui.answers.push_back(AnswerYes);
    f.doc->OnFileDelete();
    EXPECT_EQ(f.ui.trashed, std::vector<std::string> { other });
    EXPECT_TRUE(f.doc->currentPath.empty());
    EXPECT_TRUE(f.ui.viewTexts.empty());
    EXPECT_EQ(f.ui.title, "Telvarion");
    EXPECT_FALSE(f.doc->IsEnabled(CTelvarionDoc::Command::Delete));
}

TEST(TelvarionDoc, ServiceDataAtStartAndEnd)
{
    Fixture f;
    const std::string dat = ServicePath(f.Folder(), kSettingsFile);
    // The first start wrote the defaults at once.
    ASSERT_TRUE(std::filesystem::exists(Fs(dat)));
    EXPECT_EQ(f.doc->settings.fontFace, "Courier New");
    f.doc->recentOrvo.AddNumber(100);
    f.doc->settings.hotDocuments[3] = 100;
    f.doc->bSettingsChanged = 1;
    f.Restart();
    EXPECT_EQ(f.doc->recentOrvo.Numbers(), std::deque<std::int32_t> { 100 });
    EXPECT_EQ(f.doc->HotDocument(3), 100);
    EXPECT_EQ(f.doc->HotDocument(10), 0);

    // Without Telvarion.dat the recent lists are not read, and are overwritten at the end.
    f.doc.reset();
    std::filesystem::remove(Fs(dat));
    f.Restart();
    EXPECT_TRUE(f.doc->recentOrvo.Numbers().empty());
    EXPECT_EQ(f.doc->HotDocument(3), 0);
    f.doc.reset();
    CArchive in = CArchive::LoadFile(ServicePath(f.Folder(), kRecentOrvoFile));
    EXPECT_EQ(in.ReadInt(), 0);

    // Failures at the end are reported, each with its own message, and do not stop the rest.
    f.Restart();
    f.doc->bSettingsChanged = 1;
    {
        CFaultAt fault(CAtomicFile::Step::Write);
        f.doc.reset();
    }
    EXPECT_EQ(f.ui.MessageTexts(), (std::vector<std::string> { "Ошибка сохранения файла служебных данных!",
                                       "Ошибка сохранения словаря номеров последних документов Орво!",
                                       "Ошибка сохранения словаря номеров последних внутрибазовых документов!" }));
}

// Each dialog that changes a service file writes it when it closes with OK; a dialog closed
// without a change writes nothing, and neither does a run that may not write.
TEST(TelvarionDoc, DialogsWriteWhatTheyChangedOnOk)
{
    struct Case {
        const char* name;
        const char* file;
        std::function<void(CScriptedUi&, bool change)> answer;
        void (CTelvarionDoc::*command)();
    };
    const auto edit = [](bool change, auto& queue, auto modify) {
        queue.push_back([change, modify](auto&... args) {
            if (change)
                modify(args...);
            return change;
        });
    };
    const std::vector<Case> cases = {
        { "options", kSettingsFile,
            [&](CScriptedUi& ui, bool change) {
                edit(change, ui.optionAnswers, [](std::string&, std::string& out) { out = "/tmp/out"; });
            },
            &CTelvarionDoc::OnSettings },
        { "Orvo keywords", kOrvoDictionariesFile,
            [](CScriptedUi& ui, bool change) {
                ui.listEdits.push_back(change ? std::optional(std::vector<std::string> { S("ЗАКОН"_cp), S("УКАЗ"_cp) }) : std::nullopt);
            },
            &CTelvarionDoc::OnOrvoKeywords },
        { "local bodies", kLocalDictionariesFile,
            [](CScriptedUi& ui, bool change) {
                ui.recvEdits.push_back(change ? std::optional(ParseRecvDictText("ДУМА")) : std::nullopt);
            },
            &CTelvarionDoc::OnLocalBodies },
    };
    for (const Case& c : cases) {
        Fixture f;
        const std::string path = ServicePath(f.Folder(), c.file);
        const std::string before = CTempDir::Read(path);
        c.answer(f.ui, false);
        ((*f.doc).*c.command)();
        EXPECT_EQ(CTempDir::Read(path), before) << c.name << ": nothing changed, nothing written";
        c.answer(f.ui, true);
        ((*f.doc).*c.command)();
        const std::string after = CTempDir::Read(path);
        EXPECT_NE(after, before) << c.name;
        // What the end of the run stores is what was written on OK.
        f.doc.reset();
        EXPECT_EQ(CTempDir::Read(path), after) << c.name;

        CTelvarionDoc batch(f.ui, f.Folder());
        batch.LoadServiceData(false);
        std::filesystem::remove(Fs(path));
        c.answer(f.ui, true);
        (batch.*c.command)();
        EXPECT_FALSE(std::filesystem::exists(Fs(path))) << c.name << ": a run that may not write";
    }
}

TEST(TelvarionDoc, CommandsWhileAPassRuns)
{
    Fixture f;
    f.doc->currentPath = "x.rla";
    f.doc->bModified = 1;
    f.doc->bBusy = 1;
    using C = CTelvarionDoc::Command;
    for (C c : { C::Open, C::Save, C::SaveAs, C::Delete, C::Reanalyse, C::Exit, C::OrvoKeywords, C::LocalTypes, C::ImportOrvo,
             C::ImportLocal })
        EXPECT_FALSE(f.doc->IsEnabled(c)) << static_cast<int>(c);
    for (C c : { C::Statistics, C::Settings, C::Notepad, C::HotDocuments })
        EXPECT_TRUE(f.doc->IsEnabled(c)) << static_cast<int>(c);
    f.doc->OnFileOpen(); // disabled: asks nothing
    EXPECT_TRUE(f.ui.fileQuestions.empty());
}

TEST(TelvarionDoc, ChosenRequisitesGoToTheChosenBase)
{
    Fixture f;
    CLineRecord record;
    record.recvFound.types = { S("ЗАКОН"_cp) };
    record.recvFound.numbers = { S("131-ФЗ"_cp) };
    record.recvFound.adoptionDates = { COleDate::FromText(2003, 10, 6) };
    std::vector<CLineRecord> out;
    // Cancelled: nothing.
    f.ui.requisiteAnswers.push_back([](CDocRecvisits&, bool&) { return false; });
    EXPECT_FALSE(f.doc->ProposeByChosenRequisites(record, "", out));
    // The Orvo base, chosen once, stays chosen for the run.
    f.ui.requisiteAnswers.push_back([](CDocRecvisits&, bool& local) {
        local = false;
        return true;
    });
    ASSERT_TRUE(f.doc->ProposeByChosenRequisites(record, "", out));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].nKind, OrvoLinkNew);
    EXPECT_EQ(out[0].recvOrvo.nBaseNumber, 100);
    bool seen = true;
    f.ui.requisiteAnswers.push_back([&seen](CDocRecvisits& r, bool& local) {
        seen = local;
        r.types.clear(); // no known type: no candidates
        return true;
    });
    EXPECT_FALSE(f.doc->ProposeByChosenRequisites(record, "", out));
    EXPECT_FALSE(seen);
    CTelvarionDoc::LocalBaseChosen() = true;
}

// The first save into the output folder and a later one replace a file another program wrote (or
// changed keeping its size and time) since the document read or wrote it only on Да.
TEST(TelvarionDoc, ASaveAsksBeforeReplacingAnotherProgramsFile)
{
    enum Change { None, Written, SameSizeAndTime };
    for (const bool first : { true, false })
        for (const Change change : { None, Written, SameSizeAndTime })
            for (const int answer : { AnswerYes, AnswerNo }) {
                SCOPED_TRACE(testing::Message() << first << change << answer);
                Fixture f;
                CTempDir out;
                f.doc->settings.outputFolder = out.Utf8();
                const std::string target = out.File("law.rla");
                if (change != Written) // else it appears after the open
                    out.Write("law.rla", "there before");
                f.ui.confirmAnswers.push_back(AnswerYes);
                ASSERT_TRUE(f.doc->OpenFile(f.Input(), false));
                if (!first) {
                    f.doc->OnFileSave();
                    f.doc->SetModified();
                }
                if (change == Written)
                    out.Write("law.rla", "other program");
                if (change == SameSizeAndTime) {
                    const auto time = std::filesystem::last_write_time(Fs(target));
                    out.Write("law.rla", "X" + CTempDir::Read(target).substr(1));
                    std::filesystem::last_write_time(Fs(target), time);
                }
                const std::string before = CTempDir::Read(target);
                if (change != None)
                    f.ui.answers.push_back(answer);
                f.ui.viewTexts.back() += "!"; // an edit, so that a write shows
                f.doc->OnFileSave();
                EXPECT_EQ(f.ui.messages.empty() ? "" : f.ui.messages.back().text,
                    change == None ? "" : "Файл " + target + " изменён другой программой. Заменить его?");
                EXPECT_EQ(CTempDir::Read(target) != before, change == None || answer == AnswerYes);
            }
}

// A re-analysis proposes no tag the file holds before the line, here past two tags of the other
// base (the open proposed it again; the person said Нет), and counts it. With that tag gone, a
// stopped re-analysis (Esc, or Отмена in a question) leaves the statistics of the last whole one.
TEST(TelvarionDoc, AReanalysisKeepsToTheTagsHeldAndAStopKeepsTheStatistics)
{
    Fixture f;
    const auto local = [](int n) { return codepage::Cp1251ToUtf8(FormatLocalTag("НУЛ"_cp, n, 0, false, false)); };
    const std::string path = f.work.Write("law.rla",
        Rla(kHeader, { kText[0], codepage::Cp1251ToUtf8(FormatOrvoTag(100)), local(7), local(8), kText[1] }));
    f.ui.confirmAnswers.push_back(AnswerNo);
    ASSERT_TRUE(f.doc->OpenFile(path, false));
    f.doc->OnReanalyse(); // a confirmation now would fail the test: none is queued
    EXPECT_EQ(f.doc->orvoMaker.nExistingTags, 1);
    const std::string whole = f.doc->GetStatisticsText();
    f.ui.viewTexts.erase(f.ui.viewTexts.begin() + 1);
    f.ui.viewRecords.erase(f.ui.viewRecords.begin() + 1);
    f.ui.confirmAnswers.push_back(AnswerCancel); // for the second
    for (const bool esc : { true, false }) {
        f.ui.stopRequested = esc;
        f.doc->OnReanalyse();
        EXPECT_EQ(f.doc->GetStatisticsText(), whole) << (esc ? "Esc" : "Отмена");
    }
}
