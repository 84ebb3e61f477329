#include "storage/service_file.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

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

void CBytesHash::Add(std::string_view bytes)
{
    std::uint64_t value = m_value;
    for (const char c : bytes) {
        value ^= static_cast<unsigned char>(c);
        value *= 1099511628211ULL;
    }
    m_value = value;
}

bool HashOfFile(const std::string& path, std::uint64_t& hash, std::uint64_t* size)
{
    std::FILE* file = platform::OpenFile(path, "rb");
    if (!file)
        return false;
    CBytesHash bytes;
    std::uint64_t total = 0;
    std::vector<char> block(1 << 16);
    std::size_t got = 0;
    while ((got = std::fread(block.data(), 1, block.size(), file)) > 0) {
        bytes.Add(std::string_view(block.data(), got));
        total += got;
    }
    const bool ok = std::ferror(file) == 0;
    std::fclose(file);
    hash = bytes.Value();
    if (size)
        *size = total;
    return ok;
}

CFileImage ImageOf(const std::string& path)
{
    CFileImage image;
    const CFileStamp stamp = StampOf(path);
    if (stamp.exists && HashOfFile(path, image.hash))
        image.stamp = stamp;
    else
        image.hash = 0;
    return image;
}

bool StillAsImage(const std::string& path, const CFileImage& image)
{
    if (!(StampOf(path) == image.stamp))
        return false;
    if (!image.stamp.exists)
        return true;
    std::uint64_t hash = 0;
    return HashOfFile(path, hash) && hash == image.hash;
}
