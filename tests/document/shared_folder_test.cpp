// A data folder shared between programs: its lock, a run that may only read it, and service files
// another program changed while this one ran.

#include "storage/folder_lock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#ifndef _WIN32
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "base/codepage.h"
#include "base/platform.h"
#include "document/telvarion_doc.h"
#include "storage/archive.h"
#include "core/dict_text.h"
#include "storage/recent_numbers.h"
#include "storage/service_file.h"
#include "support/child_process.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

std::string LockText(const std::string& host, long long pid, const std::string& program = "telvarion",
    const std::string& started = "")
{
    CLockHolder holder;
    holder.host = host;
    holder.user = "ivanov";
    holder.pid = pid;
    holder.program = program;
    holder.started = started;
    return CDataFolderLock::Format(holder);
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

} // namespace

TEST(DataFolderLock, ParsesWhatItWritesAndDistrustsTheRest)
{
    const CLockHolder self = CDataFolderLock::ThisProcess("telvarion");
    const CLockHolder back = CDataFolderLock::Parse(CDataFolderLock::Format(self));
    EXPECT_TRUE(back.known);
    EXPECT_EQ(back.pid, platform::ProcessId());
#ifdef __linux__
    EXPECT_FALSE(back.started.empty());
#endif

    struct Case {
        std::string text;
        bool known;
        long long pid;
    };
    const std::vector<Case> cases = {
        { "host=office-3\nuser=ivanov\npid=4242\nprogram=telvarion\n", true, 4242 },
        { "host=office-3\r\npid=7\r\n", true, 7 },                      // written elsewhere, no user
        { "host=office-3\npid=7\nstarted=today\n", true, 7 },           // keys of a later version
        { "", false, 0 },
        { "garbage", false, 0 },
        { "pid=7\nuser=ivanov\n", false, 0 },                           // no host
        { "host=office-3\nuser=ivanov\n", false, 0 },                   // no pid
        { "host=office-3\npid=abc\n", false, 0 },
        { "host=office-3\npid=-3\n", false, 0 },
        { "host=office-3\npid=12x\n", false, 0 },
        { "host=office-3\npid=99999999999999999999999\n", false, 0 },   // overflows
        { std::string("host=office-3\npid=7\n\0\0\0", 23), false, 0 }, // zeros of a torn write
        { "host=office-3\npid=7\n" + std::string(5000, 'x'), false, 0 },
    };
    for (const Case& c : cases) {
        const CLockHolder h = CDataFolderLock::Parse(c.text);
        EXPECT_EQ(h.known, c.known) << c.text;
        EXPECT_EQ(h.pid, c.pid) << c.text;
    }
}

TEST(DataFolderLock, TakenReleasedAndRefused)
{
    CTempDir dir;
    const std::string path = ServicePath(dir.Utf8(), kLockFile);
    auto window = std::make_unique<CDataFolderLock>(dir.Utf8(), "telvarion");
    ASSERT_EQ(window->Take(), CDataFolderLock::Result::Taken);
    EXPECT_EQ(CTempDir::Read(path), CDataFolderLock::Format(CDataFolderLock::ThisProcess("telvarion")));

    // Held by a live process: refused, and the holder is named.
    CDataFolderLock tool(dir.Utf8(), "telvarion-cli");
    EXPECT_EQ(tool.Take(), CDataFolderLock::Result::Held);
    EXPECT_EQ(tool.Holder().program, "telvarion");
    const std::string said = tool.HolderText();
    for (const std::string& part : { std::string("программа telvarion"), "пользователь " + platform::UserName(),
             "компьютер " + platform::HostName(), "процесс " + std::to_string(platform::ProcessId()) })
        EXPECT_TRUE(Contains(said, part)) << said << " / " << part;

    // Released with its holder's end, then free for the next.
    window.reset();
    EXPECT_FALSE(std::filesystem::exists(Fs(path)));
    ASSERT_EQ(tool.Take(), CDataFolderLock::Result::Taken);
    EXPECT_EQ(CDataFolderLock::Parse(CTempDir::Read(path)).program, "telvarion-cli");

    // A lock someone else has put in place of ours is theirs: releasing leaves it.
    const std::string theirs = LockText("office-3", 77);
    dir.Write(kLockFile, theirs);
    tool.Release();
    EXPECT_EQ(CTempDir::Read(path), theirs);

    // A folder that cannot take the file: no lock, and the reason.
    CDataFolderLock nowhere(dir.File("missing"), "telvarion");
    EXPECT_EQ(nowhere.Take(), CDataFolderLock::Result::Failed);
    EXPECT_TRUE(nowhere.Error());
    EXPECT_FALSE(nowhere.IsTaken());
}

// Only a lock of this machine whose process has ended is taken over; everything else is left as
// it was and named.
TEST(DataFolderLock, StaleOnlyWhenItsProcessIsGoneFromThisMachine)
{
    const std::string host = platform::HostName();
    const CLiveProcess live;
    struct Case {
        const char* name;
        std::string content;
        CDataFolderLock::Result result;
        const char* said; // a part of HolderText when refused
    };
    const std::vector<Case> cases = {
        { "dead process here", LockText(host, DeadPid()), CDataFolderLock::Result::Taken, "" },
        { "live process here", LockText(host, live.Pid(), "telvarion-cli"), CDataFolderLock::Result::Held,
            "программа telvarion-cli" },
        { "live process here, its start told", LockText(host, live.Pid(), "telvarion", platform::ProcessStartMark(live.Pid())),
            CDataFolderLock::Result::Held, "программа telvarion" },
#ifdef __linux__
        { "its id now another process's", LockText(host, live.Pid(), "telvarion", "1"), CDataFolderLock::Result::Taken, "" },
#endif
        { "dead pid of another machine", LockText(host + "-other", DeadPid()), CDataFolderLock::Result::Held,
            "компьютер " },
        { "garbage", "\x01\x02 not a lock", CDataFolderLock::Result::Held, "неизвестно" },
        { "empty", "", CDataFolderLock::Result::Held, "неизвестно" },
    };
    for (const Case& c : cases) {
        CTempDir dir;
        const std::string path = dir.Write(kLockFile, c.content);
        CDataFolderLock lock(dir.Utf8(), "telvarion");
        EXPECT_EQ(lock.Take(), c.result) << c.name;
        if (c.result == CDataFolderLock::Result::Taken) {
            EXPECT_EQ(CDataFolderLock::Parse(CTempDir::Read(path)).pid, platform::ProcessId()) << c.name;
        } else {
            EXPECT_EQ(CTempDir::Read(path), c.content) << c.name;
            EXPECT_TRUE(Contains(lock.HolderText(), c.said)) << c.name << ": " << lock.HolderText();
        }
        // Nothing of the takeover is left lying about.
        std::size_t files = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(Fs(dir.Path())))
            ++files;
        EXPECT_EQ(files, 1u) << c.name;
    }
}

// Programs starting together over a stale lock: exactly one gets the folder, and nothing of the
// takeover is left once they have ended.
TEST(DataFolderLock, OneOfManyTakesOverAStaleLock)
{
#ifdef _WIN32
    GTEST_SKIP() << "starts its programs with fork";
#else
    CTempDir dir;
    dir.Write(kLockFile, LockText(platform::HostName(), DeadPid()));
    int start[2];
    int results[2];
    ASSERT_EQ(pipe(start), 0);
    ASSERT_EQ(pipe(results), 0);
    constexpr int kPrograms = 8;
    std::vector<pid_t> children;
    for (int k = 0; k < kPrograms; ++k) {
        const pid_t child = fork();
        if (child == 0) {
            close(start[1]);
            char go;
            [[maybe_unused]] const auto n = read(start[0], &go, 1); // returns when the parent closes it
            CDataFolderLock lock(dir.Utf8(), "telvarion-cli");
            const char result = lock.Take() == CDataFolderLock::Result::Taken ? 'T' : 'H';
            [[maybe_unused]] const auto w = write(results[1], &result, 1);
            // Held while the others try.
            usleep(300000);
            lock.Release();
            _exit(0);
        }
        children.push_back(child);
    }
    close(start[0]);
    close(results[1]);
    close(start[1]);
    std::string got;
    char c;
    while (read(results[0], &c, 1) == 1)
        got += c;
    close(results[0]);
    for (const pid_t child : children)
        waitpid(child, nullptr, 0);
    EXPECT_EQ(got.size(), static_cast<std::size_t>(kPrograms));
    EXPECT_EQ(std::count(got.begin(), got.end(), 'T'), 1) << got;
    EXPECT_TRUE(std::filesystem::is_empty(Fs(dir.Path())));
#endif
}

namespace {

// A data folder of the program's own files, written by a first run.
struct SharedFolder {
    CTempDir data;
    CScriptedUi ui;

    SharedFolder()
    {
        CScriptedUi setupUi;
        CTelvarionDoc first(setupUi, Folder());
        first.LoadServiceData();
        first.orvoMaker.types = ParseRecvDictText("ЗАКОН");
        first.orvoMaker.MarkDictionariesModified();
    }
    std::string Folder() const { return data.Utf8(); }
    std::string Path(const char* name) const { return ServicePath(Folder(), name); }
    std::map<std::string, std::string> Snapshot() const { return CTempDir::Files(data.Path()); }
};

} // namespace

// Another program works on the folder: the person chooses read-only and works on, or quits.
TEST(SharedDataFolder, ASecondProgramWorksReadOnlyOrQuits)
{
    for (const int answer : { AnswerYes, AnswerNo }) {
        SharedFolder f;
        CDataFolderLock other(f.Folder(), "telvarion");
        ASSERT_EQ(other.Take(), CDataFolderLock::Result::Taken);
        const auto before = f.Snapshot();
        {
            CTelvarionDoc doc(f.ui, f.Folder());
            f.ui.answers.push_back(answer);
            const bool goesOn = doc.LockDataFolder("telvarion");
            ASSERT_EQ(f.ui.messages.size(), 1u);
            EXPECT_EQ(f.ui.messages[0].buttons, MsgButtons::YesNo);
            for (const std::string& part : { std::string("программа telvarion,"), "компьютер " + platform::HostName(),
                     "процесс " + std::to_string(platform::ProcessId()) })
                EXPECT_TRUE(Contains(f.ui.messages[0].text, part)) << f.ui.messages[0].text;
            EXPECT_EQ(goesOn, answer == AnswerYes);
            if (!goesOn)
                continue;
            EXPECT_TRUE(doc.IsReadOnly());
            doc.LoadServiceData();
            EXPECT_EQ(doc.orvoMaker.types.records.size(), 1u);
            EXPECT_TRUE(Contains(f.ui.title, " [только чтение]")) << f.ui.title;
            EXPECT_FALSE(doc.IsEnabled(CTelvarionDoc::Command::ImportOrvo));
            EXPECT_FALSE(doc.IsEnabled(CTelvarionDoc::Command::ImportLocal));
            EXPECT_TRUE(doc.IsEnabled(CTelvarionDoc::Command::OrvoTypes));
            // Routed by hand all the same, the import asks nothing and writes nothing.
            doc.OnImportOrvo();
            doc.OnImportLocal();
            EXPECT_TRUE(f.ui.fileQuestions.empty());

            // Dictionaries, notepad and settings change for the run; the person is told they stay unsaved.
            f.ui.recvEdits.push_back(ParseRecvDictText("ЗАКОН\nУКАЗ"));
            doc.OnOrvoTypes();
            EXPECT_EQ(doc.orvoMaker.types.records.size(), 2u);
            f.ui.hotAnswers.push_back([](std::vector<std::int32_t>& slots) {
                slots[0] = 5;
                return true;
            });
            doc.OnHotDocuments();
            EXPECT_EQ(doc.HotDocument(0), 5);
            ASSERT_EQ(f.ui.messages.size(), 3u);
            for (std::size_t k : { 1u, 2u })
                EXPECT_TRUE(Contains(f.ui.messages[k].text, "сохранены не будут")) << f.ui.messages[k].text;
            doc.recentOrvo.AddNumber(100);
        }
        // Nothing was written, not even at the end, and the other program's lock stands.
        EXPECT_EQ(f.Snapshot(), before) << answer;
    }
}

// The folder's owner may write, this user may only read: the lock cannot be taken, the run is
// read-only, says so once and writes nothing. (Reading the titles there is the tool's test.) Run
// as an unprivileged user in a child process, because the tests run as root, whom permissions do
// not stop.
TEST(SharedDataFolder, AFolderThisUserMayOnlyRead)
{
#ifdef _WIN32
    GTEST_SKIP() << "folder permissions of POSIX; Windows folders are shared by their access lists";
#else
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to run a child as another user";
    SharedFolder f;
    namespace fs = std::filesystem;
    fs::permissions(Fs(f.data.Path()), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    for (const auto& entry : fs::directory_iterator(Fs(f.data.Path())))
        fs::permissions(Fs(entry.path()), fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    const auto before = f.Snapshot();

    // The child says what it found by the bits of its exit code.
    enum : int { NotReadOnly = 1, NotToldOnce = 2, NotLoaded = 4, NoSuffix = 8, CannotSwitch = 16 };
    const pid_t child = fork();
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
            _exit(CannotSwitch);
        int found = 0;
        CScriptedUi ui;
        {
            CTelvarionDoc doc(ui, f.Folder());
            if (!doc.LockDataFolder("telvarion") || !doc.IsReadOnly())
                found |= NotReadOnly;
            doc.LoadServiceData();
            doc.bSettingsChanged = 1;
            if (doc.orvoMaker.types.records.size() != 1)
                found |= NotLoaded;
            if (!Contains(ui.title, " [только чтение]"))
                found |= NoSuffix;
        }
        if (ui.messages.size() != 1 || !Contains(ui.messages[0].text, "нет прав доступа"))
            found |= NotToldOnce;
        _exit(found);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "bits: 1 not read-only, 2 not told once, 4 not loaded, 8 no title suffix, "
                                         "16 could not become another user";
    EXPECT_EQ(f.Snapshot(), before);
#endif
}

// Another program changed a service file after this one read it: the person decides whether ours
// replaces it. "Нет" leaves the file and keeps our change for the next save, which asks again.
TEST(SharedDataFolder, AServiceFileChangedByAnotherProgram)
{
    struct Case {
        const char* name;
        const char* file;
        std::function<void(CTelvarionDoc&, CScriptedUi&)> change; // makes a change and saves it
        std::function<bool(CTelvarionDoc&)> stillToSave;
        std::function<bool(const std::string& path)> holdsOurs;
    };
    const auto loadSettings = [](const std::string& path) {
        CDocSettings s;
        LoadServiceFile(path, [&](CArchive& ar) { s.Serialize(ar); });
        return s;
    };
    const std::vector<Case> cases = {
        { "settings", kSettingsFile,
            [](CTelvarionDoc& doc, CScriptedUi& ui) {
                ui.hotAnswers.push_back([](std::vector<std::int32_t>& slots) {
                    slots[2] = 321;
                    return true;
                });
                doc.OnHotDocuments();
            },
            [](CTelvarionDoc& doc) { return doc.bSettingsChanged != 0; },
            [&](const std::string& path) { return loadSettings(path).hotDocuments[2] == 321; } },
        { "Orvo dictionaries", kOrvoDictionariesFile,
            [](CTelvarionDoc& doc, CScriptedUi& ui) {
                ui.recvEdits.push_back(ParseRecvDictText("ЗАКОН\nУКАЗ"));
                doc.OnOrvoTypes();
            },
            [](CTelvarionDoc& doc) { return doc.orvoMaker.bModified != 0; },
            [](const std::string& path) {
                CScriptedUi ui;
                COrvoRefMaker maker(ui);
                maker.LoadDictionaries(platform::FromFsPath(Fs(path).parent_path()));
                return maker.types.records.size() == 2;
            } },
    };
    for (const Case& c : cases) {
        for (const bool sameSize : { false, true }) {
            SharedFolder f;
            const std::string path = f.Path(c.file);
            CTelvarionDoc doc(f.ui, f.Folder());
            ASSERT_TRUE(doc.LockDataFolder("telvarion"));
            doc.LoadServiceData();
            // The other program's version: a different size, or the same bytes written again later.
            std::string theirs = CTempDir::Read(path);
            if (!sameSize)
                theirs += "x";
            {
                std::ofstream out(Fs(path), std::ios::binary | std::ios::trunc);
                out << theirs;
            }
            std::filesystem::last_write_time(Fs(path), std::filesystem::last_write_time(Fs(path)) + std::chrono::seconds(2));

            f.ui.answers.push_back(AnswerNo);
            c.change(doc, f.ui);
            ASSERT_EQ(f.ui.messages.size(), 1u) << c.name;
            EXPECT_TRUE(Contains(f.ui.messages[0].text, path)) << c.name;
            EXPECT_EQ(f.ui.messages[0].buttons, MsgButtons::YesNo) << c.name;
            EXPECT_EQ(CTempDir::Read(path), theirs) << c.name << (sameSize ? " same size" : "");
            EXPECT_TRUE(c.stillToSave(doc)) << c.name;

            f.ui.answers.push_back(AnswerYes);
            c.change(doc, f.ui);
            EXPECT_EQ(f.ui.messages.size(), 2u) << c.name << ": asked again";
            EXPECT_TRUE(c.holdsOurs(path)) << c.name;
            // Our own write is known: the next save does not ask.
            c.change(doc, f.ui);
            EXPECT_EQ(f.ui.messages.size(), 2u) << c.name;
        }
    }

    // The import replaces the titles at once, so it asks before it starts, once for both files.
    for (const int answer : { AnswerNo, AnswerYes }) {
        SharedFolder f;
        const std::string path = f.Path(kOrvoDocumentsFile);
        std::string theirs;
        {
            CTelvarionDoc doc(f.ui, f.Folder());
            ASSERT_TRUE(doc.LockDataFolder("telvarion"));
            doc.LoadServiceData();
            std::ofstream(Fs(path), std::ios::binary | std::ios::app) << "x";
            theirs = CTempDir::Read(path);
            f.ui.answers.push_back(answer);
            f.ui.filePaths.push_back(std::nullopt); // the list file dialog, cancelled
            doc.OnImportOrvo();
            ASSERT_EQ(f.ui.messages.size(), 1u) << answer;
            EXPECT_TRUE(Contains(f.ui.messages[0].text, path));
            EXPECT_EQ(f.ui.fileQuestions.size(), answer == AnswerYes ? 1u : 0u);
            // What the end of the run stores; agreed to, it asks no more.
            doc.orvoMaker.MarkDocumentsModified();
            if (answer == AnswerNo)
                f.ui.answers.push_back(AnswerNo);
        }
        EXPECT_EQ(f.ui.messages.size(), answer == AnswerYes ? 1u : 2u);
        EXPECT_EQ(CTempDir::Read(path) == theirs, answer == AnswerNo);
    }

    // The recent numbers are stored when the run ends: asked then.
    for (const int answer : { AnswerNo, AnswerYes }) {
        SharedFolder f;
        const std::string path = f.Path(kRecentLocalFile);
        std::string theirs;
        {
            CTelvarionDoc doc(f.ui, f.Folder());
            ASSERT_TRUE(doc.LockDataFolder("telvarion"));
            doc.LoadServiceData();
            doc.recentLocal.AddNumber(555);
            theirs = CTempDir::Read(path) + "x";
            std::ofstream(Fs(path), std::ios::binary | std::ios::trunc) << theirs;
            f.ui.answers.push_back(answer);
        }
        ASSERT_EQ(f.ui.messages.size(), 1u) << answer;
        EXPECT_TRUE(Contains(f.ui.messages[0].text, path));
        RecentNumbers stored;
        const bool ours = LoadServiceFile(path, [&](CArchive& ar) { stored.Serialize(ar); }) == LoadResult::Loaded
            && stored.Numbers() == std::deque<std::int32_t> { 555 };
        EXPECT_EQ(ours, answer == AnswerYes);
        EXPECT_EQ(CTempDir::Read(path) == theirs, answer == AnswerNo);
    }
}
