#pragma once

// Loading and storing one service file (an archive stream) in the data folder.

#include <cstdint>
#include <functional>
#include <string>

class CArchive;

enum class LoadResult { Loaded, Missing, Failed };

// The full path of a service file in a folder (with or without a trailing separator).
std::string ServicePath(const std::string& folder, const std::string& name);

// Runs load over the file's archive. A file that exists but cannot be read whole is first kept
// beside it as "<name>.damaged" (or "<name>.damaged-2", ... when that name is taken), before
// anything can overwrite it, so a damaged dictionary is never lost for good.
LoadResult LoadServiceFile(const std::string& path, const std::function<void(CArchive&)>& load);

// Copies the file to the first free name of "<name>.damaged", "<name>.damaged-2", ... and returns
// that name; empty when the file is not there or the copy failed.
std::string KeepDamagedCopy(const std::string& path);

// Runs store into a new archive and puts it in place atomically. False when anything failed; the
// old file then stays as it was.
bool StoreServiceFile(const std::string& path, const std::function<void(CArchive&)>& store);

// What a file looked like at one moment: whether it was there, its size and the time it was
// last written. Two stamps differ when another program has written the file in between.
struct CFileStamp {
    bool exists = false;
    std::uintmax_t size = 0;
    std::int64_t modified = 0; // in the file system clock's ticks
    bool operator==(const CFileStamp&) const = default;
};
CFileStamp StampOf(const std::string& path);
