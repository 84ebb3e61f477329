#include "storage/atomic_file.h"

#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <utility>

#include "base/platform.h"

namespace {

CAtomicFile::FaultHook& Hook()
{
    static CAtomicFile::FaultHook hook;
    return hook;
}

bool Injected(CAtomicFile::Step step, const std::string& target)
{
    const auto& hook = Hook();
    return hook && hook(step, target);
}

std::string SystemError() { return std::strerror(errno); }
std::error_code LastError() { return std::error_code(errno, std::generic_category()); }
std::error_code InjectedError() { return std::make_error_code(std::errc::io_error); }

} // namespace

void CAtomicFile::SetFaultHook(FaultHook hook) { Hook() = std::move(hook); }

CAtomicFile::CAtomicFile(std::string targetPath)
    : m_target(std::move(targetPath))
{
}

CAtomicFile::~CAtomicFile() { Abort(); }

bool CAtomicFile::Fail(Step, const std::string& text, std::error_code code)
{
    m_failed = true;
    if (m_error.empty()) {
        m_error = text;
        m_code = code;
    }
    return false;
}

namespace {

// NAME.tmpDIGITS_DIGITS, as Open names its temporary files.
bool IsTemporaryName(const std::string& name)
{
    const std::size_t tmp = name.rfind(".tmp");
    if (tmp == std::string::npos || tmp == 0)
        return false;
    const std::string_view rest = std::string_view(name).substr(tmp + 4);
    const std::size_t bar = rest.find('_');
    const auto digits = [](std::string_view s) {
        return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
    };
    return bar != std::string_view::npos && digits(rest.substr(0, bar)) && digits(rest.substr(bar + 1));
}

} // namespace

int CAtomicFile::RemoveStaleTemporaries(const std::string& folder, long long minAgeSeconds)
{
    namespace fs = std::filesystem;
    int removed = 0;
    std::error_code ec;
    const auto now = fs::file_time_type::clock::now();
    for (fs::directory_iterator it(platform::ToFsPath(folder), ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code entryError;
        if (!it->is_regular_file(entryError) || !IsTemporaryName(it->path().filename().string()))
            continue;
        const auto written = it->last_write_time(entryError);
        if (entryError || now - written < std::chrono::seconds(minAgeSeconds))
            continue;
        if (fs::remove(it->path(), entryError))
            ++removed;
    }
    return removed;
}

bool CAtomicFile::Open()
{
    Abort();
    m_failed = false;
    m_error.clear();
    m_code.clear();
    if (Injected(Step::Create, m_target))
        return Fail(Step::Create, "cannot create a temporary file", InjectedError());
    // A unique name beside the target, so that the rename stays within one file system.
    static std::atomic<unsigned> counter { 0 };
    for (int attempt = 0; attempt < 100 && !m_file; ++attempt) {
        m_temp = m_target + ".tmp" + std::to_string(static_cast<unsigned long>(std::time(nullptr)) % 100000) + "_"
            + std::to_string(counter++);
        m_file = platform::CreateNewFile(m_temp);
        if (!m_file && errno != EEXIST)
            break;
    }
    if (!m_file) {
        m_temp.clear();
        return Fail(Step::Create, SystemError(), LastError());
    }
    return true;
}

bool CAtomicFile::Write(const void* data, std::size_t size)
{
    if (!m_file || m_failed)
        return false;
    if (size == 0)
        return true;
    if (Injected(Step::Write, m_target))
        return Fail(Step::Write, "write failed", InjectedError());
    if (std::fwrite(data, 1, size, m_file) != size)
        return Fail(Step::Write, SystemError(), LastError());
    return true;
}

bool CAtomicFile::Commit()
{
    if (!m_file) {
        Fail(Step::Create, "the file was not opened", m_code ? m_code : InjectedError());
        return false;
    }
    bool ok = !m_failed;
    if (ok && Injected(Step::Flush, m_target))
        ok = Fail(Step::Flush, "flush failed", InjectedError());
    if (ok && (std::fflush(m_file) != 0 || !platform::SyncFile(m_file)))
        ok = Fail(Step::Flush, SystemError(), LastError());
    if (std::fclose(m_file) != 0 && ok)
        ok = Fail(Step::Flush, SystemError(), LastError());
    m_file = nullptr;
    if (ok) {
        std::error_code ec;
        if (Injected(Step::Rename, m_target))
            ok = Fail(Step::Rename, "rename failed", InjectedError());
        else {
            if (!platform::MoveOver(m_temp, m_target, ec))
                ok = Fail(Step::Rename, ec.message(), ec);
        }
    }
    if (!ok) {
        std::error_code ec;
        std::filesystem::remove(platform::ToFsPath(m_temp), ec);
    }
    m_temp.clear();
    return ok;
}

void CAtomicFile::Abort()
{
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    if (!m_temp.empty()) {
        std::error_code ec;
        std::filesystem::remove(platform::ToFsPath(m_temp), ec);
        m_temp.clear();
    }
}

bool CAtomicFile::WriteWhole(const std::string& targetPath, std::string_view content, std::string* error)
{
    CAtomicFile file(targetPath);
    const bool ok = file.Open() && file.Write(content) && file.Commit();
    if (!ok && error)
        *error = file.ErrorText();
    return ok;
}
