#include "document/recovery.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "base/platform.h"
#include "core/rla_text.h"
#include "document/kill_child/kill_loop_document.h"
#include "support/temp_dir.h"

#ifndef _WIN32
#include <csignal>
#include <poll.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

recovery::CRecoveryData Sample()
{
    recovery::CRecoveryData data;
    data.textBytes = CRlaText::Encode({ "$18" }, { "строка", "", "ещё" });
    data.path = "/home/ed/in/закон.rla";
    data.knownFiles = { { data.path, { { true, 1234, 99 }, 0xABCDEF0123456789ull } } };
    data.review.lineCount = 3;
    data.bookmarks = { 0, 2 };
    data.owner = CDataFolderLock::ThisProcess("telvarion");
    return data;
}

TEST(RecoveryData, AnythingTornOrDamagedIsNoData)
{
    const std::string good = recovery::Serialize(Sample());
    ASSERT_TRUE(recovery::Parse(good));
    EXPECT_EQ(recovery::Parse(good)->knownFiles[0].image.hash, Sample().knownFiles[0].image.hash);
    std::vector<std::string> bad;
    for (std::size_t cut : { std::size_t { 0 }, std::size_t { 5 }, good.size() / 2, good.size() - 1 })
        bad.push_back(good.substr(0, cut));
    for (std::size_t at : { std::size_t { 0 }, std::size_t { 30 }, good.size() / 2, good.size() - 3 }) {
        std::string flipped = good;
        flipped[at] = static_cast<char>(flipped[at] ^ 0x20);
        bad.push_back(flipped);
    }
    for (const std::string& bytes : bad)
        EXPECT_FALSE(recovery::Parse(bytes)) << "size " << bytes.size();
}

#ifndef _WIN32

// A running child of the kill loop: its output read as it comes (its first line is its id).
struct CKillChild {
    std::FILE* pipe = nullptr;
    pid_t pid = 0;
    std::string seen;

    explicit CKillChild(const std::string& folder)
        : pipe(popen(("exec '" TELVARION_RECOVERY_CHILD "' '" + folder + "'").c_str(), "r"))
    {
        char line[64];
        // Unbuffered: the stream takes no more than the line, the rest is read from its descriptor.
        if (pipe && std::setvbuf(pipe, nullptr, _IONBF, 0) == 0 && std::fgets(line, sizeof line, pipe))
            pid = static_cast<pid_t>(std::atoll(line));
    }
    // Reads what is there within the time; false at the end of the output.
    bool Read(int milliseconds)
    {
        pollfd fd { fileno(pipe), POLLIN, 0 };
        if (poll(&fd, 1, milliseconds) <= 0)
            return true;
        char buffer[4096];
        const ssize_t got = read(fileno(pipe), buffer, sizeof buffer);
        seen.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
        return got > 0;
    }
    void Kill()
    {
        kill(pid, SIGKILL);
        while (Read(1000)) { }
        pclose(pipe);
    }
    // The number of the last "word N" line told in full; 0 when none.
    std::uint64_t Last(const std::string& word) const
    {
        std::uint64_t last = 0;
        for (std::size_t pos = 0; (pos = seen.find(word + " ", pos)) != std::string::npos; ++pos)
            if (seen.find('\n', pos) != std::string::npos)
                last = std::stoull(seen.substr(pos + word.size() + 1));
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
