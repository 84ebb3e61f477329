#include "storage/service_file.h"

#include <filesystem>
#include <system_error>

#include "base/platform.h"
#include "storage/archive.h"

std::string ServicePath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    return platform::FromFsPath(platform::ToFsPath(folder) / platform::ToFsPath(name));
}

LoadResult LoadServiceFile(const std::string& path, const std::function<void(CArchive&)>& load)
{
    std::error_code ec;
    const auto fsPath = platform::ToFsPath(path);
    if (!std::filesystem::exists(fsPath, ec))
        return LoadResult::Missing;
    try {
        CArchive ar = CArchive::LoadFile(path);
        load(ar);
        ar.Close();
        return LoadResult::Loaded;
    } catch (const CArchiveException&) {
    } catch (const std::bad_alloc&) {
    }
    KeepDamagedCopy(path);
    return LoadResult::Failed;
}

std::string KeepDamagedCopy(const std::string& path)
{
    std::error_code ec;
    const auto fsPath = platform::ToFsPath(path);
    if (!std::filesystem::is_regular_file(fsPath, ec))
        return {};
    for (int n = 1; n < 1000; ++n) {
        const std::string keep = path + ".damaged" + (n == 1 ? std::string() : "-" + std::to_string(n));
        if (!std::filesystem::exists(platform::ToFsPath(keep), ec))
            return std::filesystem::copy_file(fsPath, platform::ToFsPath(keep), ec) && !ec ? keep : std::string();
    }
    return {};
}

bool StoreServiceFile(const std::string& path, const std::function<void(CArchive&)>& store)
{
    try {
        CArchive ar = CArchive::StoreFile(path);
        store(ar);
        ar.Close();
        return true;
    } catch (const CArchiveException&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

CFileStamp StampOf(const std::string& path)
{
    CFileStamp stamp;
    std::error_code ec;
    const auto fsPath = platform::ToFsPath(path);
    const std::uintmax_t size = std::filesystem::file_size(fsPath, ec);
    if (ec)
        return stamp;
    const auto written = std::filesystem::last_write_time(fsPath, ec);
    if (ec)
        return stamp;
    stamp.exists = true;
    stamp.size = size;
    stamp.modified = static_cast<std::int64_t>(written.time_since_epoch().count());
    return stamp;
}
