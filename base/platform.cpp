#include "base/platform.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>
#else
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/types.h>
#include <unistd.h>
#endif

namespace platform {

std::filesystem::path ToFsPath(const std::string& utf8Path)
{
    return std::filesystem::path(std::u8string(utf8Path.begin(), utf8Path.end()));
}

std::string FromFsPath(const std::filesystem::path& path)
{
    const std::u8string s = path.u8string();
    return std::string(s.begin(), s.end());
}

std::FILE* OpenFile(const std::string& utf8Path, const char* mode)
{
#ifdef _WIN32
    const std::wstring wmode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(ToFsPath(utf8Path).c_str(), wmode.c_str());
#else
    return std::fopen(utf8Path.c_str(), mode);
#endif
}

std::FILE* CreateNewFile(const std::string& utf8Path)
{
#ifdef _WIN32
    // CREATE_NEW: the system's own exclusive create (the C runtime's "x" mode is not in every one).
    // Others may read the file and remove it (the clean-up of temporary files) while it is open.
    const HANDLE h = CreateFileW(ToFsPath(utf8Path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
        nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        switch (GetLastError()) {
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS: errno = EEXIST; break;
        case ERROR_ACCESS_DENIED: errno = EACCES; break;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND: errno = ENOENT; break;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: errno = ENOSPC; break;
        case ERROR_WRITE_PROTECT: errno = EROFS; break;
        default: errno = EIO; break;
        }
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        DeleteFileW(ToFsPath(utf8Path).c_str());
        errno = EIO;
        return nullptr;
    }
    std::FILE* file = _fdopen(fd, "wb");
    if (!file) {
        _close(fd);
        DeleteFileW(ToFsPath(utf8Path).c_str());
    }
    return file;
#else
    return std::fopen(utf8Path.c_str(), "wbx");
#endif
}

bool MoveOver(const std::string& from, const std::string& to, std::error_code& error)
{
    error.clear();
#ifdef _WIN32
    const std::filesystem::path source = ToFsPath(from);
    const std::filesystem::path target = ToFsPath(to);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error = std::make_error_code(std::errc::is_a_directory);
        return false;
    }
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        error = std::error_code(ERROR_FILE_READ_ONLY, std::system_category());
        return false;
    }
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD code = GetLastError();
        // A reader that did not share deletion holds the target: Windows says "denied" or
        // "sharing violation" until it lets go.
        const bool held = code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION || code == ERROR_ACCESS_DENIED;
        if (!held || attempt >= kReplaceRetries) {
            error = std::error_code(static_cast<int>(code), std::system_category());
            return false;
        }
        Sleep(kReplacePauseMs);
    }
#else
    std::filesystem::rename(ToFsPath(from), ToFsPath(to), error);
    return !error;
#endif
}

bool ReadWholeFile(const std::string& utf8Path, std::string& bytes)
{
    std::ifstream in(ToFsPath(utf8Path), std::ios::binary);
    if (!in)
        return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad())
        return false;
    bytes = ss.str();
    return true;
}

bool ReadWholeFileUpTo(const std::string& utf8Path, std::uintmax_t largest, std::string& bytes)
{
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(ToFsPath(utf8Path), ec);
    return !ec && size <= largest && ReadWholeFile(utf8Path, bytes);
}

bool Seek(std::FILE* file, std::uint64_t pos)
{
#ifdef _WIN32
    return _fseeki64(file, static_cast<long long>(pos), SEEK_SET) == 0;
#else
    return fseeko(file, static_cast<off_t>(pos), SEEK_SET) == 0;
#endif
}

long long FileSize(std::FILE* file)
{
    if (std::fseek(file, 0, SEEK_END) != 0)
        return -1;
#ifdef _WIN32
    return _ftelli64(file);
#else
    return static_cast<long long>(ftello(file));
#endif
}

bool SyncFile(std::FILE* file)
{
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

std::string ExecutableDir()
{
    std::filesystem::path exe;
#ifdef _WIN32
    wchar_t buf[32768];
    const DWORD n = GetModuleFileNameW(nullptr, buf, static_cast<DWORD>(std::size(buf)));
    if (n == 0 || n >= std::size(buf))
        return {};
    exe = std::filesystem::path(std::wstring(buf, n));
#else
    std::error_code ec;
    exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return {};
#endif
    std::string dir = FromFsPath(exe.parent_path());
    if (!dir.empty() && dir.back() != '/' && dir.back() != '\\')
        dir += static_cast<char>(std::filesystem::path::preferred_separator);
    return dir;
}

std::string Environment(const char* name)
{
#ifdef _WIN32
    // The ANSI environment has no room for most paths; the wide one holds them whole.
    const std::wstring wideName(name, name + std::strlen(name));
    const wchar_t* value = _wgetenv(wideName.c_str());
    if (!value)
        return {};
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, value, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(bytes > 0 ? static_cast<std::size_t>(bytes - 1) : 0, '\0');
    if (bytes > 1)
        WideCharToMultiByte(CP_UTF8, 0, value, -1, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
#else
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
#endif
}

std::string UserDataHome()
{
    const auto env = [](const char* name) { return Environment(name); };
#if defined(_WIN32)
    // The local folder, not the roaming one: the dictionaries run to hundreds of megabytes and
    // belong to this machine. The roaming one only where the system names no local one.
    const std::string local = env("LOCALAPPDATA");
    return local.empty() ? env("APPDATA") : local;
#else
    // Relative values are to be ignored, as the XDG rules say.
    if (const std::string xdg = env("XDG_DATA_HOME"); !xdg.empty() && xdg.front() == '/')
        return xdg;
    const std::string home = env("HOME");
    if (home.empty())
        return {};
#if defined(__APPLE__)
    return home + "/Library/Application Support";
#else
    return home + "/.local/share";
#endif
#endif
}

std::string ErrorReason(const std::error_code& error)
{
    if (!error)
        return std::string();
    struct Known {
        std::errc code;
        const char* text;
    };
    static const Known known[] = {
        { std::errc::no_such_file_or_directory, "папка или файл не существует" },
        { std::errc::not_a_directory, "папка не существует" },
        { std::errc::permission_denied, "нет прав доступа" },
        { std::errc::operation_not_permitted, "нет прав доступа" },
        { std::errc::no_space_on_device, "на диске нет свободного места" },
        { std::errc::read_only_file_system, "диск доступен только для чтения" },
        { std::errc::device_or_resource_busy, "файл занят другой программой" },
        { std::errc::text_file_busy, "файл занят другой программой" },
        { std::errc::is_a_directory, "на месте файла находится папка" },
        { std::errc::filename_too_long, "слишком длинное имя файла" },
        { std::errc::file_too_large, "файл слишком велик" },
        { std::errc::too_many_files_open, "открыто слишком много файлов" },
        { std::errc::io_error, "ошибка ввода-вывода" },
    };
    std::string text;
#ifdef _WIN32
    if (error.category() == std::system_category()) {
        switch (error.value()) {
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION: text = "файл занят другой программой"; break;
        case ERROR_FILE_READ_ONLY: text = "файл только для чтения"; break;
        // Also what a rename over a file another program holds open gets.
        case ERROR_ACCESS_DENIED: text = "нет прав доступа или файл занят другой программой"; break;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND: text = "папка или файл не существует"; break;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: text = "на диске нет свободного места"; break;
        case ERROR_WRITE_PROTECT: text = "диск доступен только для чтения"; break;
        }
    }
#endif
    for (const Known& k : known)
        if (text.empty() && error == k.code)
            text = k.text;
#ifdef EDQUOT
    if (text.empty() && error.default_error_condition() == std::error_condition(EDQUOT, std::generic_category()))
        text = "превышена квота на диске";
#endif
    if (text.empty())
        text = error.message();
    return "Причина: " + text + ".";
}

bool IsTerminal(std::FILE* stream)
{
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

void SetUpStandardStreams()
{
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
    // The texts are UTF-8; a console shows them as such.
    SetConsoleOutputCP(CP_UTF8);
#endif
}

std::vector<std::string> Utf8Arguments(int argc, char** argv)
{
#ifdef _WIN32
    // argv holds the arguments in the ANSI code page, which has no room for most paths; the
    // command line itself is UTF-16.
    (void)argv;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 0; wide && i < count; ++i) {
        const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(bytes > 0 ? static_cast<std::size_t>(bytes - 1) : 0, '\0');
        if (bytes > 1)
            WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, arg.data(), bytes, nullptr, nullptr);
        args.push_back(std::move(arg));
    }
    if (wide)
        LocalFree(wide);
    if (!args.empty() || argc == 0)
        return args;
#endif
    return std::vector<std::string>(argv, argv + argc);
}

namespace {

#ifndef _WIN32
// Writes all of content to a descriptor opened for writing, then to the disk.
bool WriteAllAndSync(int fd, std::string_view content)
{
    while (!content.empty()) {
        const ssize_t n = ::write(fd, content.data(), content.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        content.remove_prefix(static_cast<std::size_t>(n));
    }
    return ::fsync(fd) == 0;
}
#endif

} // namespace

bool CreateExclusive(const std::string& utf8Path, std::string_view content, std::error_code& error)
{
    error.clear();
#ifdef _WIN32
    // CREATE_NEW is atomic on Windows; the content follows at once.
    const HANDLE h = CreateFileW(ToFsPath(utf8Path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        error = code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS
            ? std::make_error_code(std::errc::file_exists)
            : std::error_code(static_cast<int>(code), std::system_category());
        return false;
    }
    DWORD written = 0;
    const bool ok = WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr)
        && written == content.size() && FlushFileBuffers(h);
    CloseHandle(h);
    if (!ok) {
        error = std::error_code(static_cast<int>(GetLastError()), std::system_category());
        DeleteFileW(ToFsPath(utf8Path).c_str());
    }
    return ok;
#else
    // A name of this process alone beside the target, so the link stays within one file system;
    // of the form of the atomic writer's temporary files, so that one left by a crash is cleared
    // with theirs.
    static int counter = 0;
    const std::string temp = utf8Path + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = std::error_code(errno, std::generic_category());
        return false;
    }
    const bool written = WriteAllAndSync(fd, content);
    const int writeErrno = errno;
    ::close(fd);
    if (!written) {
        ::unlink(temp.c_str());
        error = std::error_code(writeErrno ? writeErrno : EIO, std::generic_category());
        return false;
    }
    bool ok = ::link(temp.c_str(), utf8Path.c_str()) == 0;
    int linkErrno = ok ? 0 : errno;
    if (!ok && linkErrno != EEXIST) {
        // File systems without hard links (some network shares, FAT): an exclusive create, whose
        // content others may see half-written for the moment of one write.
        const int target = ::open(utf8Path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (target >= 0) {
            ok = WriteAllAndSync(target, content);
            linkErrno = ok ? 0 : errno;
            ::close(target);
            if (!ok)
                ::unlink(utf8Path.c_str());
        } else {
            linkErrno = errno;
        }
    }
    ::unlink(temp.c_str());
    if (!ok)
        error = std::error_code(linkErrno ? linkErrno : EIO, std::generic_category());
    return ok;
#endif
}

std::string HostName()
{
#ifdef _WIN32
    wchar_t buf[256];
    DWORD n = static_cast<DWORD>(std::size(buf));
    if (!GetComputerNameW(buf, &n))
        return {};
    return FromFsPath(std::filesystem::path(std::wstring(buf, n)));
#else
    char buf[256] = {};
    if (::gethostname(buf, sizeof buf - 1) != 0)
        return {};
    return std::string(buf);
#endif
}

std::string UserName()
{
#ifdef _WIN32
    wchar_t buf[256];
    DWORD n = static_cast<DWORD>(std::size(buf));
    if (!GetUserNameW(buf, &n) || n == 0)
        return {};
    return FromFsPath(std::filesystem::path(std::wstring(buf, n - 1)));
#else
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name && *pw->pw_name)
        return pw->pw_name;
    if (const char* user = std::getenv("USER"); user && *user)
        return user;
    return std::to_string(::geteuid());
#endif
}

long long ProcessId()
{
#ifdef _WIN32
    return static_cast<long long>(GetCurrentProcessId());
#else
    return static_cast<long long>(::getpid());
#endif
}

bool ProcessAlive(long long pid)
{
    if (pid <= 0)
        return false;
#ifdef _WIN32
    const HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!h)
        return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(h, &code) && code == STILL_ACTIVE;
    CloseHandle(h);
    return running;
#else
    if (pid > static_cast<long long>(std::numeric_limits<pid_t>::max()))
        return false;
    // Another user's process answers "not permitted", and it is alive all the same.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
#endif
}

std::string ProcessStartMark(long long pid)
{
    if (pid <= 0)
        return {};
#ifdef _WIN32
    const HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!h)
        return {};
    FILETIME created, exited, kernel, user;
    const bool ok = GetProcessTimes(h, &created, &exited, &kernel, &user);
    CloseHandle(h);
    if (!ok)
        return {};
    return std::to_string((static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime);
#elif defined(__linux__)
    // The start time in clock ticks since boot: the 22nd field of /proc/PID/stat, counted after
    // the command name, which may hold blanks and parentheses itself.
    std::string stat;
    if (!ReadWholeFile("/proc/" + std::to_string(pid) + "/stat", stat) || stat.size() > 4096)
        return {};
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return {};
    std::istringstream fields(stat.substr(close + 1));
    std::string field;
    for (int k = 3; k <= 22; ++k)
        if (!(fields >> field))
            return {};
    if (field.empty() || field.find_first_not_of("0123456789") != std::string::npos)
        return {};
    return field;
#else
    return {};
#endif
}

} // namespace platform
