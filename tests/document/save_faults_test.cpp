// Every file the program writes, failed at each step of the atomic write in turn: the old file
// stays byte for byte and still loads, the person is told with the file's own message, no
// temporary file is left, and the same save succeeds once the fault is gone.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>

#include "base/codepage.h"
#include "core/dict_text.h"
#include "document/telvarion_doc.h"
#include "storage/archive.h"
#include "storage/atomic_file.h"
#include "storage/doc_pair.h"
#include "storage/service_file.h"
#include "storage/string_dict.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

using Step = CAtomicFile::Step;
constexpr Step kSteps[] = { Step::Create, Step::Write, Step::Flush, Step::Rename };

const char* StepName(Step step)
{
    switch (step) {
    case Step::Create:
        return "create";
    case Step::Write:
        return "write";
    case Step::Flush:
        return "flush";
    case Step::Rename:
        return "rename";
    }
    return "?";
}

std::string List(int number, const char* type, const std::string& name)
{
    return codepage::Utf8ToCp1251("$0  НОМЕР В БАЗЕ\n" + std::to_string(number) + "\n$5  ВИД ДОКУМЕНТА\n" + type
        + "\n$4  ПРИНЯВШИЙ ОРГАН\nДУМА\n$6  ДАТА ПРИНЯТИЯ\n06.10.2003\n$7  НОМЕР\n" + std::to_string(number)
        + "\n$9  НАЗВАНИЕ ДОКУМЕНТА\n" + name + "\n\n");
}

std::string Rla(const std::string& line)
{
    return codepage::Cp1251ToCp866(codepage::Utf8ToCp1251("$1  Название\n$18  Текст документа\r\n" + line + "\r\n"));
}

// A program folder in which every service file exists with some content, and a work folder.
struct Program {
    CTempDir data;
    CTempDir work;
    CScriptedUi ui;
    std::unique_ptr<CTelvarionDoc> doc;
    int counter = 0;

    Program()
    {
        Start();
        doc->orvoMaker.keywords.strings = ParseKeywordText("ЗАКОН");
        doc->orvoMaker.types = ParseRecvDictText("ЗАКОН");
        doc->innerMaker.types = ParseRecvDictText("УКАЗ");
        EXPECT_TRUE(doc->orvoMaker.documents.ImportListFile(ui, work.Write("orvo.lst", List(100, "ЗАКОН", "Первый")), false));
        EXPECT_TRUE(doc->innerMaker.documents.ImportListFile(ui, work.Write("local.lst", List(7, "УКАЗ", "Второй")), false));
        doc->orvoMaker.MarkDictionariesModified();
        doc->orvoMaker.MarkDocumentsModified();
        doc->innerMaker.MarkDictionariesModified();
        doc->innerMaker.MarkDocumentsModified();
        doc->recentOrvo.AddNumber(100);
        doc->recentLocal.AddNumber(7);
        doc->bSettingsChanged = 1;
        Start();
        ui.messages.clear();
    }
    std::string Folder() const { return data.Utf8(); }
    std::string Service(const char* name) const { return ServicePath(Folder(), name); }
    void Start()
    {
        doc.reset();
        doc = std::make_unique<CTelvarionDoc>(ui, Folder());
        doc->LoadServiceData();
    }
    // Something new to store, different each time.
    std::int32_t Next() { return ++counter * 10 + 1000; }
};

struct Writer {
    const char* name;
    // The file written, given the program.
    std::function<std::string(Program&)> target;
    // Changes something and saves it.
    std::function<void(Program&)> save;
    // The message expected when the write fails at the step.
    std::function<std::string(Program&, Step)> message;
    // Loads the target as the program would; true when it loaded.
    std::function<bool(Program&)> loads;
};

bool LoadsAs(const std::string& path, const std::function<void(CArchive&)>& load)
{
    return LoadServiceFile(path, load) == LoadResult::Loaded;
}

// A list of one document whose title differs with every number.
std::string Titled(int number, const char* type) { return List(number, type, "Новый " + std::to_string(number)); }

// The dictionary an import left still finds its titles in the titles file on disk.
bool TitlesRead(CDocDict& dict)
{
    return !dict.records.empty()
        && dict.ToRecvisits(dict.records.back()).name
        == codepage::Utf8ToCp1251("НОВЫЙ " + std::to_string(dict.records.back().nBaseNumber) + " ");
}

std::vector<Writer> Writers()
{
    const auto fixed = [](const char* text) { return [text](Program&, Step) { return std::string(text); }; };
    const auto service = [](const char* name) { return [name](Program& p) { return p.Service(name); }; };
    const auto titlesMessage = [](Program&, Step step, const std::string& titles) {
        // The temporary titles file is made before anything is parsed.
        return step == Step::Create ? "Ошибка чтения файла " + titles + "!" : "Ошибка записи файла " + titles + "!";
    };
    return {
        { "Telvarion.dat", service(kSettingsFile),
            [](Program& p) {
                p.doc->settings.hotDocuments[0] = p.Next();
                p.doc->SaveSettings();
            },
            fixed("Ошибка сохранения файла служебных данных!"),
            [](Program& p) {
                CDocSettings s;
                return LoadsAs(p.Service(kSettingsFile), [&](CArchive& ar) { s.Serialize(ar); });
            } },
        { "Telvarion.lst", service(kRecentOrvoFile),
            [](Program& p) {
                p.doc->recentOrvo.AddNumber(p.Next());
                p.Start(); // stored when the document ends
            },
            fixed("Ошибка сохранения словаря номеров последних документов Орво!"),
            [](Program& p) {
                RecentNumbers r;
                return LoadsAs(p.Service(kRecentOrvoFile), [&](CArchive& ar) { r.Serialize(ar); });
            } },
        { "Telvarion.llc", service(kRecentLocalFile),
            [](Program& p) {
                p.doc->recentLocal.AddNumber(p.Next());
                p.Start();
            },
            fixed("Ошибка сохранения словаря номеров последних внутрибазовых документов!"),
            [](Program& p) {
                RecentNumbers r;
                return LoadsAs(p.Service(kRecentLocalFile), [&](CArchive& ar) { r.Serialize(ar); });
            } },
        { "Telvarion.dov", service(kOrvoDictionariesFile),
            [](Program& p) {
                p.doc->orvoMaker.keywords.strings.push_back(std::to_string(p.Next()));
                p.doc->orvoMaker.MarkDictionariesModified();
                p.doc->orvoMaker.SaveFiles(p.Folder());
            },
            fixed("Ошибка сохранения файла служебных данных!"),
            [](Program& p) {
                CScriptedUi ui;
                return COrvoRefMaker(ui).LoadDictionaries(p.Folder());
            } },
        { "Telvarion.orv", service(kOrvoDocumentsFile),
            [](Program& p) {
                CDocRec rec;
                rec.nBaseNumber = p.Next();
                p.doc->orvoMaker.documents.records.push_back(rec);
                p.doc->orvoMaker.MarkDocumentsModified();
                p.doc->orvoMaker.SaveFiles(p.Folder());
            },
            fixed("Ошибка сохранения реквизитов документов Орво!"),
            [](Program& p) {
                CScriptedUi ui;
                return COrvoRefMaker(ui).LoadDocuments(p.Folder());
            } },
        { "Telvarion.dlc", service(kLocalDictionariesFile),
            [](Program& p) {
                p.doc->innerMaker.types.records.emplace_back(std::to_string(p.Next()), std::vector<std::string> {});
                p.doc->innerMaker.MarkDictionariesModified();
                p.doc->innerMaker.SaveFiles(p.Folder());
            },
            fixed("Ошибка сохранения файла служебных данных!"),
            [](Program& p) {
                CScriptedUi ui;
                return CInnerRefMaker(ui).LoadDictionaries(p.Folder());
            } },
        { "Telvarion.loc", service(kLocalDocumentsFile),
            [](Program& p) {
                CDocRec rec;
                rec.nBaseNumber = p.Next();
                p.doc->innerMaker.documents.records.push_back(rec);
                p.doc->innerMaker.MarkDocumentsModified();
                p.doc->innerMaker.SaveFiles(p.Folder());
            },
            fixed("Ошибка сохранения реквизитов документов локальной базы!"),
            [](Program& p) {
                CScriptedUi ui;
                return CInnerRefMaker(ui).LoadDocuments(p.Folder());
            } },
        { "Telvarion.ttl (import)", service(kOrvoTitlesFile),
            [](Program& p) {
                p.doc->orvoMaker.documents.ImportListFile(
                    p.ui, p.work.Write("more.lst", Titled(p.Next(), "ЗАКОН")), false);
            },
            [titlesMessage](Program& p, Step step) { return titlesMessage(p, step, p.Service(kOrvoTitlesFile)); },
            [](Program& p) { return TitlesRead(p.doc->orvoMaker.documents); } },
        { "Telvarion.tlc (import)", service(kLocalNamesFile),
            [](Program& p) {
                p.doc->innerMaker.documents.ImportListFile(
                    p.ui, p.work.Write("more.lst", Titled(p.Next(), "УКАЗ")), false);
            },
            [titlesMessage](Program& p, Step step) { return titlesMessage(p, step, p.Service(kLocalNamesFile)); },
            [](Program& p) { return TitlesRead(p.doc->innerMaker.documents); } },
        { "document (save)", [](Program& p) { return p.work.File("doc.rla"); },
            [](Program& p) {
                if (p.doc->currentPath.empty()) {
                    ASSERT_TRUE(p.doc->OpenFile(p.work.Write("doc.rla", Rla("Статья 1")), false));
                    p.doc->bInOutputFolder = 1;
                }
                p.ui.viewTexts.push_back(std::to_string(p.Next()));
                p.doc->SetModified();
                p.doc->OnFileSave();
            },
            [](Program& p, Step) { return "Ошибка записи файла " + p.work.File("doc.rla") + "!\nПричина: ошибка ввода-вывода."; },
            [](Program& p) {
                CRlaText text;
                // A failed save leaves the document modified, so the edits are not lost at close.
                return text.ReadRla(p.work.File("doc.rla"), p.ui) && (p.doc->bModified || p.ui.messages.empty());
            } },
        { "document (save as)", [](Program& p) { return p.work.File("copy.rla"); },
            [](Program& p) {
                if (p.doc->currentPath.empty()) {
                    p.work.Write("copy.rla", Rla("старая копия"));
                    ASSERT_TRUE(p.doc->OpenFile(p.work.Write("doc.rla", Rla("Статья 1")), false));
                }
                p.ui.viewTexts.push_back(std::to_string(p.Next()));
                p.doc->SetModified();
                p.ui.filePaths.push_back(p.work.File("copy.rla"));
                p.doc->OnFileSaveAs();
            },
            [](Program& p, Step) { return "Ошибка записи файла " + p.work.File("copy.rla") + "!\nПричина: ошибка ввода-вывода."; },
            [](Program& p) {
                CRlaText text;
                return text.ReadRla(p.work.File("copy.rla"), p.ui);
            } },
        { "dictionary export", [](Program& p) { return p.work.File("dict.txt"); },
            [](Program& p) {
                if (!std::filesystem::exists(Fs(p.work.File("dict.txt"))))
                    p.work.Write("dict.txt", "old export\r\n");
                p.ui.filePaths.push_back(p.work.File("dict.txt"));
                ExportStringList(p.ui, { std::to_string(p.Next()) });
            },
            [](Program&, Step step) {
                return std::string(step == Step::Create ? "Ошибка открытия файла!" : "Ошибка сохранения файла");
            },
            [](Program& p) { return !CTempDir::Read(p.work.File("dict.txt")).empty(); } },
    };
}

std::vector<std::string> FolderListing(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Fs(folder)))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(SaveFaults, EveryWrittenFileSurvivesAFaultAtEveryStep)
{
    for (const Writer& writer : Writers()) {
        SCOPED_TRACE(writer.name);
        Program p;
        // Once without a fault, so the file exists with content of the program's own.
        writer.save(p);
        ASSERT_TRUE(p.ui.MessageTexts().empty() || p.ui.messages.back().icon != MsgIcon::Error)
            << p.ui.messages.back().text;
        const std::string target = writer.target(p);
        ASSERT_TRUE(std::filesystem::exists(Fs(target)));
        for (const Step step : kSteps) {
            SCOPED_TRACE(StepName(step));
            const std::string before = CTempDir::Read(target);
            const auto dataFiles = FolderListing(p.data.Path());
            const auto workFiles = FolderListing(p.work.Path());
            p.ui.messages.clear();
            int faults = 0;
            CAtomicFile::SetFaultHook([&](Step s, const std::string& path) {
                // An import writes its files beside the old ones first.
                const bool hit = s == step && (path == target || path == docpair::NewPath(target));
                faults += hit;
                return hit;
            });
            writer.save(p);
            CAtomicFile::SetFaultHook(nullptr);

            EXPECT_EQ(faults, 1) << "the write never reached the step";
            EXPECT_EQ(CTempDir::Read(target), before) << "the old file changed";
            EXPECT_EQ(FolderListing(p.data.Path()), dataFiles) << "a file left behind or lost";
            EXPECT_EQ(FolderListing(p.work.Path()), workFiles) << "a file left behind or lost";
            const auto texts = p.ui.MessageTexts();
            const std::string expected = writer.message(p, step);
            EXPECT_EQ(std::count(texts.begin(), texts.end(), expected), 1) << expected;
            for (const auto& m : p.ui.messages) {
                if (m.text == expected) {
                    EXPECT_EQ(m.icon, MsgIcon::Error);
                }
            }
            EXPECT_TRUE(writer.loads(p)) << "the old file no longer loads";

            // Without the fault the same save goes through.
            p.ui.messages.clear();
            writer.save(p);
            EXPECT_NE(CTempDir::Read(target), before) << "the save after the fault wrote nothing";
            for (const auto& m : p.ui.messages)
                EXPECT_NE(m.icon, MsgIcon::Error) << m.text;
            EXPECT_TRUE(writer.loads(p));
        }
    }
}

TEST(SaveFaults, TitlesFileThatCannotBeCreatedIsReported)
{
    // A missing titles file is created empty at start; when that fails at any step the maker says
    // so and nothing is left in the folder. (An empty file has nothing to write.)
    for (const Step step : { Step::Create, Step::Flush, Step::Rename }) {
        SCOPED_TRACE(StepName(step));
        CTempDir data;
        const auto files = FolderListing(data.Path());
        CAtomicFile::SetFaultHook([step](Step s, const std::string&) { return s == step; });
        CScriptedUi ui;
        COrvoRefMaker orvo(ui);
        CInnerRefMaker local(ui);
        orvo.LoadDocuments(data.Utf8());
        local.LoadDocuments(data.Utf8());
        CAtomicFile::SetFaultHook(nullptr);
        EXPECT_EQ(ui.MessageTexts(),
            (std::vector<std::string> { "Ошибка создания службного файла Telvarion.ttl!",
                "Ошибка создания служебного файла Telvarion.tlc!" }));
        EXPECT_EQ(FolderListing(data.Path()), files);
    }
}
