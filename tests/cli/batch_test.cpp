#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>

#include "cli/batch.h"
#include "support/temp_dir.h"

namespace {

std::vector<std::string> Names(const std::vector<CBatchFile>& files)
{
    std::vector<std::string> names;
    for (const auto& f : files)
        names.push_back(f.name);
    return names;
}

} // namespace

// A folder gives its *.rla files (any case) by name, subfolders only when recursive; files given
// as such keep their place and their name, missing or not.
TEST(BatchFiles, FoldersGiveTheirDocumentsByName)
{
    CTempDir dir;
    for (const char* name : { "b.rla", "A.RLA", "notes.txt", "sub/c.rla", "sub/deeper/d.Rla", "sub/e.doc" }) {
        std::filesystem::create_directories(Fs((dir.Path() / name).parent_path()));
        dir.Write(name, "12345");
    }
    std::vector<std::string> unreadable;
    const std::string folder = dir.Utf8();
    const std::string lone = dir.File("sub/c.rla");
    const std::string missing = dir.File("missing.rla");

    const auto flat = ListBatchFiles({ lone, folder, missing }, false, unreadable);
    EXPECT_EQ(Names(flat), (std::vector<std::string> { "c.rla", "A.RLA", "b.rla", "missing.rla" }));
    EXPECT_EQ(flat[0].path, lone);
    EXPECT_EQ(flat[1].size, 5u);
    EXPECT_EQ(flat[3].size, 0u);

    const auto deep = ListBatchFiles({ folder }, true, unreadable);
    EXPECT_EQ(Names(deep), (std::vector<std::string> { "A.RLA", "b.rla", CTempDir::Native("sub/c.rla"),
                               CTempDir::Native("sub/deeper/d.Rla") }));
    EXPECT_EQ(deep[3].path, dir.File("sub/deeper/d.Rla"));
    EXPECT_TRUE(unreadable.empty());
}

// Where results go: never two into one place, never over an input unless in place and then only
// over itself.
TEST(BatchFiles, OutputPathsNeverOverwriteAnotherInput)
{
    CTempDir dir;
    const std::string in = dir.File("in");
    const std::string out = dir.File("out");
    const CBatchFile a { in + "/a.rla", "a.rla", 1 };
    const CBatchFile b { in + "/b.rla", "b.rla", 1 };
    const CBatchFile otherA { dir.File("other/a.rla"), "a.rla", 1 };
    const CBatchFile nested { in + "/x/a.rla", "x/a.rla", 1 };
    struct Case {
        std::vector<CBatchFile> files;
        std::string outDir;
        bool inPlace;
        std::string error; // a part of the message; empty: sound
    };
    const Case cases[] = {
        { { a, b, nested }, out, false, "" },
        { { a, b }, "", false, "" },
        { { a, otherA }, out, false, "would be written to" },
        { { a, b }, in, false, "--in-place" },
        { { a, b }, in, true, "" },
        { { a, otherA }, in, true, "would be written to" },
        { { nested, a }, in + "/x", true, "would overwrite the input" },
    };
    for (const Case& c : cases) {
        std::string error;
        const auto paths = OutputPaths(c.files, c.outDir, c.inPlace, error);
        if (c.error.empty()) {
            EXPECT_EQ(error, "") << c.outDir;
            ASSERT_EQ(paths.size(), c.outDir.empty() ? 0 : c.files.size());
            for (std::size_t k = 0; k < paths.size(); ++k)
                EXPECT_EQ(std::filesystem::path(paths[k]), std::filesystem::path(c.outDir) / c.files[k].name);
        } else {
            EXPECT_NE(error.find(c.error), std::string::npos) << error;
            EXPECT_TRUE(paths.empty());
        }
    }
}

// Whatever finishes first, the results are handed on in order, each once, on the calling thread.
TEST(BatchRun, ResultsComeInTheOrderGiven)
{
    for (const unsigned jobs : { 1u, 2u, 3u, 8u }) {
        for (const std::size_t count : { std::size_t(0), std::size_t(1), std::size_t(40) }) {
            std::vector<std::atomic<int>> worked(count);
            std::vector<std::size_t> order;
            std::atomic<unsigned> highestWorker { 0 };
            const auto caller = std::this_thread::get_id();
            RunInOrder(
                count, jobs,
                [&](unsigned worker, std::size_t i) {
                    // The early items take longest, so later ones finish first.
                    std::this_thread::sleep_for(std::chrono::microseconds((count - i) * 50));
                    ++worked[i];
                    for (unsigned seen = highestWorker; worker > seen && !highestWorker.compare_exchange_weak(seen, worker);) { }
                },
                [&](std::size_t i) {
                    EXPECT_EQ(std::this_thread::get_id(), caller);
                    EXPECT_EQ(worked[i], 1);
                    order.push_back(i);
                });
            ASSERT_EQ(order.size(), count) << jobs;
            for (std::size_t i = 0; i < count; ++i)
                EXPECT_EQ(order[i], i);
            EXPECT_LT(highestWorker, jobs);
        }
    }
}

TEST(BatchRun, AFailureStopsTheRunAndReachesTheCaller)
{
    std::vector<std::size_t> done;
    EXPECT_THROW(RunInOrder(
                     30, 3,
                     [](unsigned, std::size_t i) {
                         if (i == 7)
                             throw std::runtime_error("seven");
                     },
                     [&](std::size_t i) { done.push_back(i); }),
        std::runtime_error);
    ASSERT_LE(done.size(), 7u);
    for (std::size_t i = 0; i < done.size(); ++i)
        EXPECT_EQ(done[i], i);
}

// The time left follows from the bytes done in the time gone by.
TEST(BatchRun, ProgressEstimatesTheTimeLeft)
{
    EXPECT_EQ(BatchProgress(5, 20, 1'000'000, 4'000'000, 30.0), "файлов 5 из 20, 0,03 МБ/с, осталось 01:30");
    EXPECT_EQ(BatchProgress(0, 20, 0, 4'000'000, 0.0), "файлов 0 из 20, -- МБ/с, осталось --:--");
}
