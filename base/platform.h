#pragma once

// The few calls that differ between operating systems. Paths are UTF-8 strings everywhere in the
// engine; this file turns them into the system's own form.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace platform {

std::filesystem::path ToFsPath(const std::string& utf8Path);
std::string FromFsPath(const std::filesystem::path& path);

// fopen with a UTF-8 path.
std::FILE* OpenFile(const std::string& utf8Path, const char* mode);

// Creates a file that must not exist yet and opens it for writing ("wb"); null with errno EEXIST
// when the name is taken.
std::FILE* CreateNewFile(const std::string& utf8Path);

// Puts the file `from` in the place of `to` in one step, replacing what is there. On Windows a
// target that another program holds open (a virus scanner, a second reader) is retried for a
// moment (kReplaceRetries, kReplacePauseMs) before giving up, and a target marked read-only is
// never replaced. On failure both files stay as they were and error says why.
bool MoveOver(const std::string& from, const std::string& to, std::error_code& error);
inline constexpr int kReplaceRetries = 20;
inline constexpr int kReplacePauseMs = 100;

// Reads a whole file with a UTF-8 path. False when it cannot be opened or read.
bool ReadWholeFile(const std::string& utf8Path, std::string& bytes);
// The same for a file of at most largest bytes; a larger one is not read (false).
bool ReadWholeFileUpTo(const std::string& utf8Path, std::uintmax_t largest, std::string& bytes);

// Moves to a 64-bit position from the start.
bool Seek(std::FILE* file, std::uint64_t pos);

// The size of an open file, or -1.
long long FileSize(std::FILE* file);

// Push the file's data to the disk before it replaces another file.
bool SyncFile(std::FILE* file);

// The folder of the running program's executable, with a trailing separator; empty if unknown.
std::string ExecutableDir();

// The root of the user's own data folders: $XDG_DATA_HOME, else ~/.local/share (Windows:
// %LOCALAPPDATA%, else %APPDATA%; macOS: ~/Library/Application Support). Empty when unknown.
std::string UserDataHome();

// Why a file operation failed, for the person reading the message: "Причина: ...", UTF-8, in
// Russian for the usual causes (a missing folder, no permission, a full disk), the system's own
// words otherwise. Empty when there is no error.
std::string ErrorReason(const std::error_code& error);

// Whether the stream is a terminal (progress bars are drawn only there).
bool IsTerminal(std::FILE* stream);
// Standard output gets the bytes as they are written: on Windows a "\n" stays one byte, so the
// tool's output is the same on every system, and a console shows UTF-8.
void SetUpStandardStreams();
// The program's arguments as UTF-8, whatever the system's code page (on Windows from the UTF-16
// command line; elsewhere argv as it is).
std::vector<std::string> Utf8Arguments(int argc, char** argv);
// An environment variable as UTF-8; empty when it is not set.
std::string Environment(const char* name);

// Creates a file that must not exist yet, with its whole content at once: the content goes to a
// temporary file beside it, which is then linked to the name (the link fails when the name is
// taken). Others never see the file half-written. False with error set when the name is taken
// (file_exists) or the folder refuses the file.
bool CreateExclusive(const std::string& utf8Path, std::string_view content, std::error_code& error);

// Who and where this process is, for lock files: the machine's name, the user's login name,
// the process id. Empty (0) when the system does not say.
std::string HostName();
std::string UserName();
long long ProcessId();
// Whether a process with this id runs on this machine (of any user).
bool ProcessAlive(long long pid);
// When the process with this id started, as an opaque text that differs between two processes
// that had the same id one after the other; empty when the system does not say.
std::string ProcessStartMark(long long pid);

} // namespace platform
