#include "core/platform.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
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

std::string UserDataHome()
{
    const auto env = [](const char* name) -> std::string {
        const char* value = std::getenv(name);
        return value ? std::string(value) : std::string();
    };
#if defined(_WIN32)
    const std::string local = env("LOCALAPPDATA");
    return local.empty() ? std::string() : local;
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
    for (const Known& k : known)
        if (error == k.code)
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

} // namespace platform
