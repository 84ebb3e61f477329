// A process storing a large documents dictionary, killed at random moments over and over: the
// file on disk is always either the old dictionary or the new one, whole, and loads.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <random>

#if defined(__unix__) || defined(__APPLE__)
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#define TELVARION_HAVE_FORK 1
#endif

#include "storage/archive.h"
#include "storage/atomic_file.h"
#include "storage/doc_dict.h"
#include "storage/service_file.h"
#include "support/temp_dir.h"

namespace {

// A dictionary of some megabytes; generation tells the two contents apart.
[[maybe_unused]] std::unique_ptr<CDocDict> MakeDict(int generation)
{
    auto made = std::make_unique<CDocDict>();
    CDocDict& dict = *made;
    for (int i = 0; i < 15000; ++i) {
        CDocRec rec;
        rec.nBaseNumber = i * 2 + generation;
        rec.nTitlePos = static_cast<std::uint64_t>(i) * 40;
        rec.nTitleLen = 40;
        rec.typeIds = { dict.types.AddName("TYPE " + std::to_string(i % 50 + generation)) };
        rec.numberIds = { dict.numbers.AddName(std::to_string(i) + "-" + std::to_string(generation)) };
        rec.adoptionDates = { COleDate::FromText(2000 + i % 20, 1 + i % 12, 1 + i % 28) };
        dict.records.push_back(rec);
    }
    return made;
}

[[maybe_unused]] std::string Image(CDocDict& dict)
{
    CArchive ar = CArchive::StoreMemory();
    dict.Serialize(ar);
    return ar.Bytes();
}

[[maybe_unused]] bool Store(const std::string& path, CDocDict& dict)
{
    return StoreServiceFile(path, [&](CArchive& ar) { dict.Serialize(ar); });
}

[[maybe_unused]] bool Loads(const std::string& path)
{
    CDocDict dict;
    return LoadServiceFile(path, [&](CArchive& ar) { dict.Serialize(ar); }) == LoadResult::Loaded;
}

} // namespace

TEST(KilledWriter, FileIsAlwaysTheOldOrTheNewContent)
{
#ifndef TELVARION_HAVE_FORK
    GTEST_SKIP() << "needs fork and kill";
#else
    const std::unique_ptr<CDocDict> dicts[2] = { MakeDict(0), MakeDict(1) };
    const std::string images[2] = { Image(*dicts[0]), Image(*dicts[1]) };
    ASSERT_GT(images[0].size(), 1u << 20);
    CTempDir dir;
    const std::string path = dir.File("Telvarion.loc");
    ASSERT_TRUE(Store(path, *dicts[0]));

    // Kills spread over about three writes, however fast this machine writes.
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(Store(path, *dicts[1]));
    ASSERT_TRUE(Store(path, *dicts[0]));
    const auto write = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start) / 2;
    std::mt19937 random(20240607);
    std::uniform_int_distribution<long long> pause(0, 3 * write.count()); // microseconds
    int sawOld = 0;
    int sawNew = 0;
    for (int round = 0; round < 30; ++round) {
        const std::string before = CTempDir::Read(path);
        const int next = before == images[0] ? 1 : 0;
        std::fflush(nullptr);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // The writer: the other content, then back and forth until killed.
            for (int i = next;; i ^= 1)
                Store(path, *dicts[i]);
        }
        usleep(static_cast<useconds_t>(pause(random)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));

        const std::string after = CTempDir::Read(path);
        ASSERT_TRUE(after == images[0] || after == images[1]) << "round " << round << ": " << after.size() << " bytes";
        sawOld += after == before;
        sawNew += after == images[next];
        ASSERT_TRUE(Loads(path)) << "round " << round;
        // A killed writer may leave its temporary file; it never takes the target's name.
        for (const auto& entry : std::filesystem::directory_iterator(Fs(dir.Path())))
            EXPECT_TRUE(entry.path() == Fs(path)
                || entry.path().filename().string().rfind("Telvarion.loc.tmp", 0) == 0)
                << entry.path();
    }
    // What the killed writers left goes once it is old enough; a fresh one stays, and so does the file.
    const int left = static_cast<int>(std::distance(std::filesystem::directory_iterator(Fs(dir.Path())), {})) - 1;
    EXPECT_EQ(CAtomicFile::RemoveStaleTemporaries(dir.Utf8()), 0);
    EXPECT_EQ(CAtomicFile::RemoveStaleTemporaries(dir.Utf8(), 0), left);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Fs(dir.Path())), {}), 1);
    EXPECT_TRUE(Loads(path));
    // Where the kills landed, for whoever reads the test's report.
    RecordProperty("rounds_unchanged", sawOld);
    RecordProperty("rounds_replaced", sawNew);
#endif
}

TEST(KilledWriter, OnlyOldTemporaryFilesOfTheWriterAreRemoved)
{
    CTempDir dir;
    const auto aged = [&](const std::string& name) {
        const std::string path = dir.Write(name, "x");
        std::filesystem::last_write_time(Fs(path), std::filesystem::file_time_type::clock::now() - std::chrono::hours(2));
        return path;
    };
    aged("Telvarion.orv.tmp4711_0");
    aged("Telvarion.dat.tmp12_345");
    for (const char* kept : { "Telvarion.orv", "notes.tmp", "b.tmp12", "c.tmp1_x", ".tmp1_2", "d.tmp_3" })
        aged(kept);
    dir.Write("Telvarion.dov.tmp99_1", "a writer still at work");
    std::filesystem::create_directory(Fs(dir.Path() / "folder.tmp1_1"));

    EXPECT_EQ(CAtomicFile::RemoveStaleTemporaries(dir.Utf8()), 2);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Fs(dir.Path())))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string> { ".tmp1_2", "Telvarion.dov.tmp99_1", "Telvarion.orv", "b.tmp12",
                         "c.tmp1_x", "d.tmp_3", "folder.tmp1_1", "notes.tmp" }));
    EXPECT_EQ(CAtomicFile::RemoveStaleTemporaries((dir.Path() / "missing").string()), 0);
}
