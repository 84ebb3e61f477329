#pragma once

// The few calls that differ between operating systems. Paths are UTF-8 strings everywhere in the
// engine; this file turns them into the system's own form.

#include <cstdio>
#include <filesystem>
#include <string>

namespace platform {

std::filesystem::path ToFsPath(const std::string& utf8Path);
std::string FromFsPath(const std::filesystem::path& path);

// fopen with a UTF-8 path.
std::FILE* OpenFile(const std::string& utf8Path, const char* mode);

// Push the file's data to the disk before it replaces another file.
bool SyncFile(std::FILE* file);

} // namespace platform
