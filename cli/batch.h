#pragma once

// The command-line tool's batch work: which documents a command line names (files, folders,
// lists of paths), where each result goes, running the documents on several threads with their
// results handed on in the order given, and the progress and summary of a run.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <istream>
#include <string>
#include <vector>

// One document of a batch.
struct CBatchFile {
    std::string path; // as given or found, UTF-8
    // How the run names it, and where its result goes under the output folder: the file name for
    // a file given as such, the path below the folder for a file found in a folder given.
    std::string name;
    std::uint64_t size = 0; // 0 when it could not be sized; reading it will say why
};

// Files and folders of the command line in their order; a folder gives every *.rla in it (any
// case of the extension), sorted by name, and with recursive those of its subfolders too, sorted
// by their path below it. A folder that cannot be read is named in unreadable and gives nothing.
std::vector<CBatchFile> ListBatchFiles(const std::vector<std::string>& args, bool recursive,
    std::vector<std::string>& unreadable);

// One path a line; blank lines are skipped, a line's carriage return and surrounding blanks
// are not part of it.
std::vector<std::string> ReadPathList(std::istream& in);

// The output paths of the files under outDir. Empty error when they are sound: no two files end
// up in the same place, and no file is written over an input unless inPlace, and then only
// over itself.
std::vector<std::string> OutputPaths(const std::vector<CBatchFile>& files, const std::string& outDir, bool inPlace,
    std::string& error);

// Calls work(worker, i) for every i below count on jobs threads (worker 0..jobs-1, each thread its
// own), and done(i) on the calling thread for every i in ascending order, as soon as i and every
// one before it are done. wait() is called on the calling thread about every interval while it
// waits (for a progress line). An exception thrown by work is rethrown here after the threads
// have stopped.
void RunInOrder(std::size_t count, unsigned jobs, const std::function<void(unsigned worker, std::size_t i)>& work,
    const std::function<void(std::size_t i)>& done, const std::function<void()>& wait = {},
    std::chrono::milliseconds interval = std::chrono::milliseconds(200));

// The default number of threads: the cores of the machine, at least one.
unsigned DefaultJobs();

// What a batch did, summed over its documents.
struct CBatchTotals {
    std::size_t files = 0;  // analysed
    std::size_t failed = 0; // could not be read or written
    std::uint64_t bytes = 0;
    struct Base {
        std::int64_t suspicious = 0;
        std::int64_t placed = 0;
        std::int64_t existing = 0;
    } orvo, local;
};

// The summary at the end of a run, UTF-8, lines ending in '\n': the counts, the time and the
// throughput, and the failed files.
std::string BatchSummary(const CBatchTotals& totals, double seconds, const std::vector<std::string>& failed);

// The progress line of a run: "файлов 12 из 200, 4,5 МБ/с, осталось 01:30".
std::string BatchProgress(std::size_t done, std::size_t all, std::uint64_t bytesDone, std::uint64_t bytesAll,
    double seconds);
