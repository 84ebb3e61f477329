#include "document/recovery.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>

#include "base/platform.h"
#include "core/rla_text.h"
#include "document/kill_child/kill_loop_document.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

#ifndef _WIN32
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

recovery::CRecoveryData Sample()
{
    recovery::CRecoveryData data;
    data.textBytes = CRlaText::Encode({ "$18  Текст" }, { "строка", "", "ещё" });
    data.path = "/home/ed/in/закон.rla";
    data.inOutputFolder = true;
    data.knownFiles = { { "/home/ed/in/закон.rla", { { true, 1234, 99 }, 0xABCDEF0123456789ull } } };
    data.review.lineCount = 3;
    data.bookmarks = { 0, 2 };
    data.selected = 2;
    data.changes = 17;
    data.writtenUtc = 1700000000;
    data.owner = CDataFolderLock::ThisProcess("telvarion");
    return data;
}

// The body between the magic line and the checksum, sealed again with a checksum that fits.
std::string Resealed(const std::string& serialized, std::size_t keepBody)
{
    const std::size_t magic = serialized.find('\n') + 1;
    std::string body = serialized.substr(magic, keepBody);
    CBytesHash hash;
    hash.Add(body);
    std::string out = serialized.substr(0, magic) + body;
    for (int k = 0; k < 8; ++k)
        out += static_cast<char>((hash.Value() >> (8 * k)) & 0xFF);
    return out;
}

TEST(RecoveryData, RoundTripsWhole)
{
    const recovery::CRecoveryData data = Sample();
    const std::optional<recovery::CRecoveryData> back = recovery::Parse(recovery::Serialize(data));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->textBytes, data.textBytes);
    EXPECT_EQ(back->path, data.path);
    EXPECT_TRUE(back->inOutputFolder);
    ASSERT_EQ(back->knownFiles.size(), 1u);
    EXPECT_EQ(back->knownFiles[0].image.stamp, data.knownFiles[0].image.stamp);
    EXPECT_EQ(back->knownFiles[0].image.hash, data.knownFiles[0].image.hash);
    EXPECT_EQ(back->bookmarks, data.bookmarks);
    EXPECT_EQ(back->selected, 2);
    EXPECT_EQ(back->changes, 17u);
    EXPECT_EQ(back->writtenUtc, data.writtenUtc);
    EXPECT_EQ(back->owner.pid, data.owner.pid);
    EXPECT_EQ(back->owner.started, data.owner.started);
}

TEST(RecoveryData, AnythingTornOrDamagedIsNoData)
{
    const std::string good = recovery::Serialize(Sample());
    const std::size_t body = good.size() - (good.find('\n') + 1) - 8;
    std::vector<std::string> bad;
    for (std::size_t cut : { std::size_t { 0 }, std::size_t { 5 }, good.size() / 2, good.size() - 1 })
        bad.push_back(good.substr(0, cut));
    for (std::size_t at : { std::size_t { 0 }, std::size_t { 30 }, good.size() / 2, good.size() - 3 }) {
        std::string flipped = good;
        flipped[at] = static_cast<char>(flipped[at] ^ 0x20);
        bad.push_back(flipped);
    }
    // Sealed anew but cut short, or with bytes after the text: the checksum fits, the content does not.
    for (std::size_t keep : { std::size_t { 4 }, body / 3, body - 1 })
        bad.push_back(Resealed(good, keep));
    std::string longer = good;
    longer.insert(good.size() - 8, "x");
    bad.push_back(Resealed(longer, body + 1));
    for (const std::string& bytes : bad)
        EXPECT_FALSE(recovery::Parse(bytes)) << "size " << bytes.size();
}

TEST(RecoveryData, FileNamesSayTheirOwner)
{
    struct Case {
        std::string host;
        long long pid;
        std::string started;
    };
    for (const Case& c : std::vector<Case> {
             { platform::HostName(), 4242, "123456" }, { "office 3/ёлка", 7, "" }, { "a_b_c", 99, "1" } }) {
        CLockHolder owner;
        owner.host = c.host;
        owner.pid = c.pid;
        owner.started = c.started;
        CLockHolder back;
        ASSERT_TRUE(recovery::OwnerOfFileName(recovery::FileNameOf(owner), back)) << recovery::FileNameOf(owner);
        EXPECT_EQ(back.pid, c.pid);
        EXPECT_EQ(back.started, c.started);
        if (c.host == platform::HostName())
            EXPECT_EQ(back.host, c.host);
        else
            EXPECT_NE(back.host, platform::HostName());
    }
    for (const char* foreign : { "discarded.recovery", "h_1_2.recovery.tmp123_4", "h_12.recovery", "_12_3.recovery",
             "h_0_3.recovery", "h_12_ab.recovery", "h_12_3.review" }) {
        CLockHolder back;
        EXPECT_FALSE(recovery::OwnerOfFileName(foreign, back)) << foreign;
    }
}

TEST(RecoveryData, OnlyFilesOfOwnersGoneFromThisMachineAreFound)
{
    CTempDir dir;
    const auto write = [&](CLockHolder owner, long long writtenUtc, bool damaged) {
        recovery::CRecoveryData data = Sample();
        data.owner = owner;
        data.writtenUtc = writtenUtc;
        std::string bytes = recovery::Serialize(data);
        if (damaged)
            bytes.resize(bytes.size() / 2);
        return dir.Write(recovery::FileNameOf(owner), bytes);
    };
    CLockHolder alive = CDataFolderLock::ThisProcess("telvarion");
    CLockHolder older = alive;
    older.pid = DeadPid();
    older.started = "1";
    CLockHolder newer = older;
    newer.started = "2"; // the same dead id, another start
    CLockHolder broken = older;
    broken.started = "3";
    CLockHolder reused = alive; // this process's id under an earlier start
    reused.started = alive.started.empty() ? "" : "1";
    CLockHolder elsewhere = older;
    elsewhere.host = platform::HostName() + "-other";
    write(alive, 500, false);
    const std::string olderFile = write(older, 100, false);
    const std::string newerFile = write(newer, 200, false);
    const std::string brokenFile = write(broken, 300, true);
    write(elsewhere, 400, false);
    const std::string reusedFile = alive.started.empty() ? std::string() : write(reused, 50, false);
    dir.Write(recovery::kDiscardedName, recovery::Serialize(Sample()));
    dir.Write(recovery::FileNameOf(older) + ".tmp123_4", "torn");

    const recovery::CLeft left = recovery::FindLeft(dir.Utf8());
    std::vector<std::string> offered;
    for (const auto& offer : left.offers)
        offered.push_back(offer.file);
    std::vector<std::string> expected = { newerFile, olderFile };
    if (!reusedFile.empty())
        expected.push_back(reusedFile);
    EXPECT_EQ(offered, expected);
    EXPECT_EQ(left.damaged, std::vector<std::string> { brokenFile });

    const std::string aside = recovery::SetAsideDamaged(dir.Utf8(), brokenFile);
    EXPECT_FALSE(fs::exists(brokenFile));
    EXPECT_EQ(fs::path(aside).parent_path().filename(), recovery::kDamagedFolder);
    EXPECT_TRUE(recovery::Discard(dir.Utf8(), olderFile));
    EXPECT_EQ(recovery::Load(dir.File(recovery::kDiscardedName))->writtenUtc, 100);
}

TEST(RecoveryWriter, ReportsAFolderThatCannotBeWrittenAndRemovesItsFile)
{
    CTempDir dir;
    const std::string blocked = dir.Write("recovery", "a file where the folder should be");
    std::vector<recovery::CRecoveryWriter::CReport> reports;
    {
        recovery::CRecoveryWriter writer(blocked + "/mine.recovery",
            [&](const recovery::CRecoveryWriter::CReport& report) { reports.push_back(report); });
        writer.Submit(KillLoopSnapshot(1));
        writer.Wait();
    }
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_FALSE(reports[0].ok);
    EXPECT_FALSE(reports[0].reason.empty());

    reports.clear();
    const std::string file = dir.File("ok/mine.recovery");
    recovery::CRecoveryWriter writer(
        file, [&](const recovery::CRecoveryWriter::CReport& report) { reports.push_back(report); });
    writer.Submit(KillLoopSnapshot(2));
    writer.Wait();
    ASSERT_TRUE(recovery::Load(file));
    EXPECT_EQ(recovery::Load(file)->changes, 2u);
    writer.Remove();
    writer.Wait();
    EXPECT_FALSE(fs::exists(file));
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_TRUE(reports[0].ok && reports[1].ok);
    EXPECT_EQ(reports[1].sequence, 0u);
}

#ifndef _WIN32

// A running child of the kill loop: its output read as it comes.
struct CKillChild {
    pid_t pid = 0;
    int output = -1;
    std::string seen;

    explicit CKillChild(const std::string& folder)
    {
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
        posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
        std::string program = TELVARION_RECOVERY_CHILD;
        std::string argument = folder;
        char* argv[] = { program.data(), argument.data(), nullptr };
        if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ) != 0)
            pid = 0;
        posix_spawn_file_actions_destroy(&actions);
        close(pipeEnds[1]);
        output = pipeEnds[0];
    }
    ~CKillChild()
    {
        Kill();
        if (output >= 0)
            close(output);
    }
    // Reads what is there within the time; false at the end of the output.
    bool Read(int milliseconds)
    {
        pollfd fd { output, POLLIN, 0 };
        if (poll(&fd, 1, milliseconds) <= 0)
            return true;
        char buffer[4096];
        const ssize_t got = read(output, buffer, sizeof buffer);
        if (got <= 0)
            return false;
        seen.append(buffer, static_cast<std::size_t>(got));
        return true;
    }
    void Kill()
    {
        if (pid <= 0)
            return;
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        pid = 0;
        while (Read(0)) { }
    }
    // The number of the last "word N" line told in full; 0 when none.
    std::uint64_t Last(const std::string& word) const
    {
        std::uint64_t last = 0;
        std::size_t pos = 0;
        while ((pos = seen.find(word + " ", pos)) != std::string::npos) {
            const std::size_t end = seen.find('\n', pos);
            if (end == std::string::npos)
                break;
            last = std::stoull(seen.substr(pos + word.size() + 1, end - pos));
            pos = end;
        }
        return last;
    }
};

TEST(RecoveryKillLoop, AKilledWriterLeavesTheLastFinishedWriteOrTheNextWhole)
{
    CTempDir dir;
    std::mt19937 random(25);
    int midWrite = 0;
    for (int round = 0; round < 20; ++round) {
        const std::string folder = dir.File("round" + std::to_string(round));
        fs::create_directories(folder);
        CKillChild child(folder);
        ASSERT_GT(child.pid, 0);
        if (round % 2 == 0) {
            // Any moment, the start included.
            const auto until = std::chrono::steady_clock::now()
                + std::chrono::milliseconds(std::uniform_int_distribution<int>(0, 600)(random));
            while (std::chrono::steady_clock::now() < until && child.Read(5)) { }
        } else {
            // Soon after a large document's write began.
            const std::uint64_t target = 3 * static_cast<std::uint64_t>(1 + round % 4);
            while (child.Last("begin") < target && child.Read(50)) { }
            usleep(static_cast<useconds_t>(std::uniform_int_distribution<int>(0, 40000)(random)));
        }
        child.Kill();
        const std::uint64_t done = child.Last("done");
        for (const auto& entry : fs::directory_iterator(folder))
            midWrite += entry.path().string().find(".tmp") != std::string::npos;

        const recovery::CLeft left = recovery::FindLeft(folder);
        EXPECT_TRUE(left.damaged.empty()) << "round " << round;
        ASSERT_LE(left.offers.size(), 1u) << "round " << round;
        if (left.offers.empty()) {
            EXPECT_EQ(done, 0u) << "round " << round;
            continue;
        }
        const recovery::CRecoveryData& data = left.offers[0].data;
        EXPECT_TRUE(data.changes == done || data.changes == done + 1)
            << "round " << round << ": " << data.changes << " after done " << done;
        const recovery::CSnapshot expected = KillLoopSnapshot(data.changes);
        EXPECT_EQ(data.textBytes, CRlaText::Encode(expected.headerLines, expected.textLines)) << "round " << round;
        EXPECT_EQ(data.path, expected.data.path);
        EXPECT_EQ(data.bookmarks, expected.data.bookmarks);
    }
    RecordProperty("killed_mid_write", midWrite);
}

#else

TEST(RecoveryKillLoop, AKilledWriterLeavesTheLastFinishedWriteOrTheNextWhole)
{
    GTEST_SKIP() << "the kill loop kills with SIGKILL and spawns with posix_spawn: Linux only";
}

#endif

} // namespace
