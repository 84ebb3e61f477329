#pragma once

// Loading and storing one service file (an archive stream) in the data folder.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

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

// A 64-bit hash of bytes given in pieces (FNV-1a): how the bytes are cut does not change it.
class CBytesHash {
public:
    void Add(std::string_view bytes);
    std::uint64_t Value() const { return m_value; }

private:
    std::uint64_t m_value = 14695981039346656037ULL;
};

// The hash of a file's bytes, and their count when size is given; false when it cannot be read
// whole.
bool HashOfFile(const std::string& path, std::uint64_t& hash, std::uint64_t* size = nullptr);

// A file as this program read or wrote it: its stamp and, when it was there, the hash of its
// bytes. Another program may write a file within one tick of the clock and keep its size; the
// hash tells that apart.
struct CFileImage {
    CFileStamp stamp;
    std::uint64_t hash = 0;
};
// The file as it is now, its bytes hashed. A file that cannot be read whole has no image
// (absent).
CFileImage ImageOf(const std::string& path);
// Whether the file is still the one of the image: absent as it was, or of the same stamp and
// then of the same bytes.
bool StillAsImage(const std::string& path, const CFileImage& image);
