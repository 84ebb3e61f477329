#pragma once

// The documents archive of a base and the titles file its records point into belong together:
// an import replaces both, and a kill at any moment must leave either the old pair or the new one.
//
// The new files are first written beside the old ones as "<name>.new", each atomically and
// flushed. Then a small journal "<documents>.pair" is written, naming both with the size and the
// FNV-1a hash of each new file: writing it is the moment the import takes place. Then the titles
// and the documents are renamed into place, in that order, and the journal is removed. The next
// load finishes what an interrupted commit began (RecoverPair), and a journal that cannot be
// finished, or a record whose title lies beyond the titles file, means the pair does not belong
// together.

#include <cstdint>
#include <functional>
#include <string>

namespace docpair {

// "<path>.new": where a new file waits for the commit.
std::string NewPath(const std::string& path);
// "<documents>.pair": the commit's journal.
std::string JournalPath(const std::string& documents);

struct CFileSum {
    std::uint64_t size = 0;
    std::uint64_t hash = 0; // FNV-1a, 64 bits, over the whole file
    bool operator==(const CFileSum&) const = default;
};
// False when the file cannot be read whole.
bool SumOfFile(const std::string& path, CFileSum& sum);

// The steps of a commit after its journal is written. Tests stop or fail a commit there: the hook
// returns true to fail the step.
enum class Step { TitlesRename, DocumentsRename, JournalRemove };
using StepHook = std::function<bool(Step step)>;
void SetStepHook(StepHook hook);

// Kept: nothing was replaced, the old pair stays and the new files are gone. Replaced: the new
// pair is in place. Unfinished: the new titles are in place, the new documents wait beside with
// the journal, and the next load finishes the commit.
enum class Outcome { Kept, Replaced, Unfinished };
// Puts "<titles>.new" and "<documents>.new", both written and flushed, in place of the pair. The
// titles file must not be open (Windows would refuse to replace it). documents empty: a
// dictionary stored in no archive, whose titles alone are replaced. failed receives the file that
// could not be written.
Outcome CommitPair(const std::string& titles, const std::string& documents, std::string& failed);

// Removes the new files of an import given up.
void DiscardNew(const std::string& titles, const std::string& documents);

// belongs false: the files on disk are not one pair. titles, documents: the files to load, the
// targets, or where the folder may not be written and the commit cannot be finished, the new
// files the journal vouches for.
struct CRecovery {
    bool belongs = true;
    std::string titles;
    std::string documents;
};
// Before a base's files are read. With a journal, the commit is finished: each new file that
// matches the journal is renamed into place. Without one, new files of an import that never
// reached its journal are removed. mayWrite false: nothing is written or removed, the files to
// read are chosen instead.
CRecovery RecoverPair(const std::string& titles, const std::string& documents, bool mayWrite);

} // namespace docpair
