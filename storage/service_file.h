#pragma once

// Loading and storing one service file (an archive stream) in the data folder.

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

// Runs store into a new archive and puts it in place atomically. False when anything failed; the
// old file then stays as it was.
bool StoreServiceFile(const std::string& path, const std::function<void(CArchive&)>& store);
