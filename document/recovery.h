#pragma once

// The recovery data of the open document: while it is modified, the program keeps in its per-user
// folder's "recovery" what a crash would otherwise take: the text exactly as a save would write it
// now, where it came from and where a save would write it, what the document knew of the file it
// read (so that a save still notices another program's change), the review, the bookmarks and the
// selected line, and how many changes are unsaved.
//
// One file per running program, named by its owner (host, process id, process start mark), so
// that two programs of one user never take each other's file; at start a program offers the files
// whose owner is gone on this machine (HolderGone of the data folder's lock). The file is written
// whole and atomically by CRecoveryWriter off the window's thread; the reader distrusts it: a
// magic line, a version, every count and length checked, a checksum over the whole content. A torn
// or damaged file is damaged, never opened half.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "document/review_store.h"
#include "storage/folder_lock.h"
#include "storage/service_file.h"

namespace recovery {

inline constexpr const char* kExtension = ".recovery";
// The last recovery the person chose not to restore; the next such choice replaces it.
inline constexpr const char* kDiscardedName = "discarded.recovery";
// Where damaged files are set aside.
inline constexpr const char* kDamagedFolder = "damaged";

struct CKnownFile {
    std::string path;
    CFileImage image;
};

struct CRecoveryData {
    std::string textBytes; // the .rla bytes a save would write
    std::string path; // the document's path (currentPath)
    bool inOutputFolder = false;
    std::vector<CKnownFile> knownFiles;
    review_store::CKeptReview review;
    std::vector<std::uint32_t> bookmarks; // line indexes, ascending
    std::int64_t selected = -1; // the selected line; -1: none
    std::uint32_t changes = 0; // changes since the last save
    std::int64_t writtenUtc = 0; // seconds since 1970, UTC
    CLockHolder owner;
};

// What the window's thread hands the writer: the lines as they are, the rest of the data as it
// will be written (its textBytes and writtenUtc filled by the writer).
struct CSnapshot {
    std::vector<std::string> headerLines;
    std::vector<std::string> textLines;
    CRecoveryData data;
};

std::string Serialize(const CRecoveryData& data);
std::optional<CRecoveryData> Parse(std::string bytes);
// Reads and parses a file; nothing for a file that is missing, too large or damaged.
std::optional<CRecoveryData> Load(const std::string& file);

// <per-user folder>/recovery/ (with a trailing separator); empty when the system names no home.
std::string DefaultFolder();
// "<host>_<pid>_<start mark>.recovery", the host's characters other than letters, digits, '-'
// and '.' as '_'.
std::string FileNameOf(const CLockHolder& owner);
// The owner a file name says (its host as this machine's name when they agree); false for a name
// of no recovery file of a program (the discarded file, temporaries, anything else).
bool OwnerOfFileName(const std::string& name, CLockHolder& owner);

// The recovery files of the folder whose owner is gone: parsed ones, newest first, and damaged
// ones. Files of another machine or of a live owner are not looked at.
struct CLeft {
    struct COffer {
        std::string file;
        CRecoveryData data;
    };
    std::vector<COffer> offers;
    std::vector<std::string> damaged;
};
CLeft FindLeft(const std::string& folder);
// Moves a damaged file into damaged/ under a free name; the new path, empty when it failed.
std::string SetAsideDamaged(const std::string& folder, const std::string& file);
// Moves the file to discarded.recovery, replacing the one there.
bool Discard(const std::string& folder, const std::string& file);

// Writes snapshots to one file on a thread of its own. The window's thread hands a snapshot and
// goes on; a newer snapshot handed while one is written replaces any still waiting (the newest
// wins). Remove drops what waits and removes the file after a write under way.
class CRecoveryWriter {
public:
    struct CReport {
        std::uint64_t sequence = 0; // of the snapshot written; 0 for a removal
        bool ok = false;
        std::string reason; // the system's reason when not ok, UTF-8
    };
    // Called on the writer's thread after each write or removal.
    using Report = std::function<void(const CReport&)>;

    CRecoveryWriter(std::string file, Report report);
    // Finishes what was handed, then stops.
    ~CRecoveryWriter();
    CRecoveryWriter(const CRecoveryWriter&) = delete;
    CRecoveryWriter& operator=(const CRecoveryWriter&) = delete;

    const std::string& File() const { return m_file; }
    // The sequence number of the snapshot (from 1).
    std::uint64_t Submit(CSnapshot snapshot);
    void Remove();
    // Until nothing waits and nothing is being written.
    void Wait();

private:
    void Work();

    const std::string m_file;
    const Report m_report;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<CSnapshot> m_pending;
    std::uint64_t m_pendingSequence = 0;
    std::uint64_t m_lastSequence = 0;
    bool m_removePending = false;
    bool m_busy = false;
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace recovery
