#include "core/platform.h"

#ifdef _WIN32
#include <io.h>
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

bool SyncFile(std::FILE* file)
{
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

} // namespace platform
