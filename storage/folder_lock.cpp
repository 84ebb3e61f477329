#include "storage/folder_lock.h"

#include <charconv>
#include <chrono>
#include <filesystem>
#include <thread>
#include <utility>

#include "base/platform.h"
#include "storage/service_file.h"

namespace {

namespace fs = std::filesystem;

// A lock file is a few short lines; anything larger is not one.
constexpr std::uintmax_t kMaxLockSize = 4096;

// The file's bytes; false when it is gone, unreadable or too large to be a lock.
bool ReadLock(const std::string& path, std::string& text, bool& gone)
{
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(platform::ToFsPath(path), ec);
    gone = ec == std::errc::no_such_file_or_directory;
    if (ec || size > kMaxLockSize)
        return false;
    if (!platform::ReadWholeFile(path, text)) {
        gone = !fs::exists(platform::ToFsPath(path), ec);
        return false;
    }
    return text.size() <= kMaxLockSize;
}

bool RefusesNewFiles(const std::error_code& ec)
{
    return ec == std::errc::permission_denied || ec == std::errc::operation_not_permitted
        || ec == std::errc::read_only_file_system;
}

} // namespace

bool HolderGone(const CLockHolder& holder)
{
    if (!holder.known || holder.pid <= 0 || holder.host != platform::HostName())
        return false;
    const std::string running = holder.started.empty() ? std::string() : platform::ProcessStartMark(holder.pid);
    return !platform::ProcessAlive(holder.pid) || (!running.empty() && running != holder.started);
}

CDataFolderLock::CDataFolderLock(std::string folder, std::string program)
    : m_folder(std::move(folder))
    , m_path(ServicePath(m_folder, kLockFile))
    , m_program(std::move(program))
{
}

CDataFolderLock::~CDataFolderLock() { Release(); }

std::string CDataFolderLock::Format(const CLockHolder& holder)
{
    // A value never spans lines, whatever the system called its machine or user.
    const auto line = [](const char* key, std::string value) {
        for (char& c : value)
            if (c == '\n' || c == '\r')
                c = ' ';
        return std::string(key) + "=" + value + "\n";
    };
    return line("host", holder.host) + line("user", holder.user) + line("pid", std::to_string(holder.pid))
        + line("program", holder.program) + (holder.started.empty() ? std::string() : line("started", holder.started));
}

CLockHolder CDataFolderLock::Parse(const std::string& text)
{
    CLockHolder holder;
    if (text.size() > kMaxLockSize)
        return holder;
    bool pidSeen = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos || line.find('\0') != std::string::npos)
            return CLockHolder {};
        const std::string key = line.substr(0, eq);
        std::string value = line.substr(eq + 1);
        if (key == "host") {
            holder.host = std::move(value);
        } else if (key == "user") {
            holder.user = std::move(value);
        } else if (key == "program") {
            holder.program = std::move(value);
        } else if (key == "started") {
            holder.started = std::move(value);
        } else if (key == "pid") {
            long long pid = 0;
            const auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), pid);
            if (ec != std::errc() || ptr != value.data() + value.size() || pid <= 0)
                return CLockHolder {};
            holder.pid = pid;
            pidSeen = true;
        }
        // Other keys are left for later versions to add.
    }
    holder.known = pidSeen && !holder.host.empty();
    if (!holder.known)
        return CLockHolder {};
    return holder;
}

CLockHolder CDataFolderLock::ThisProcess(const std::string& program)
{
    CLockHolder holder;
    holder.host = platform::HostName();
    holder.user = platform::UserName();
    holder.pid = platform::ProcessId();
    holder.program = program;
    holder.started = platform::ProcessStartMark(holder.pid);
    holder.known = true;
    return holder;
}

std::string CDataFolderLock::HolderText() const
{
    if (!m_holder.known)
        return "неизвестно (файл " + m_path + " не читается как файл блокировки)";
    const auto orUnknown = [](const std::string& s) { return s.empty() ? std::string("неизвестно") : s; };
    return "программа " + orUnknown(m_holder.program) + ", пользователь " + orUnknown(m_holder.user) + ", компьютер "
        + m_holder.host + ", процесс " + std::to_string(m_holder.pid);
}

CDataFolderLock::Result CDataFolderLock::Take()
{
    if (m_taken)
        return Result::Taken;
    m_holder = CLockHolder {};
    m_error.clear();
    const std::string content = Format(ThisProcess(m_program));
    // A few rounds: a lock may vanish or be taken over between our looks at it.
    for (int attempt = 0; attempt < 5; ++attempt) {
        std::error_code ec;
        if (platform::CreateExclusive(m_path, content, ec)) {
            m_content = content;
            m_taken = true;
            return Result::Taken;
        }
        if (ec != std::errc::file_exists) {
            m_error = ec;
            return RefusesNewFiles(ec) ? Result::ReadOnly : Result::Failed;
        }
        std::string seen;
        bool gone = false;
        if (!ReadLock(m_path, seen, gone)) {
            if (gone)
                continue;
            m_holder = CLockHolder {};
            return Result::Held;
        }
        m_holder = Parse(seen);
        if (!HolderGone(m_holder) || !TakeOverStale(seen))
            return Result::Held;
    }
    return Result::Held;
}

bool CDataFolderLock::TakeOverStale(const std::string& seen)
{
    // Of several programs that find the same stale lock, only the one holding the takeover file
    // may remove it, and only after seeing under that file that it is still the stale one: a
    // fresh lock taken meanwhile by another is never removed. The takeover file lives for a few
    // system calls; one older than that was left by a crash in between.
    const std::string takeover = m_path + ".takeover";
    const fs::path takeoverPath = platform::ToFsPath(takeover);
    std::error_code ec;
    bool mine = false;
    for (int attempt = 0; attempt < 50 && !mine; ++attempt) {
        if ((mine = platform::CreateExclusive(takeover, Format(ThisProcess(m_program)), ec)))
            break;
        if (ec != std::errc::file_exists)
            return false;
        const auto written = fs::last_write_time(takeoverPath, ec);
        if (!ec && fs::file_time_type::clock::now() - written > std::chrono::seconds(10))
            fs::remove(takeoverPath, ec);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!mine)
        return false;
    std::string now;
    bool gone = false;
    const bool read = ReadLock(m_path, now, gone);
    bool freed = gone;
    if (read && now == seen)
        freed = fs::remove(platform::ToFsPath(m_path), ec) || ec == std::errc::no_such_file_or_directory;
    fs::remove(takeoverPath, ec);
    return freed;
}

void CDataFolderLock::Release()
{
    if (!m_taken)
        return;
    m_taken = false;
    std::string text;
    bool gone = false;
    // Only our own file goes: one someone took over (believing us dead) is theirs now.
    if (ReadLock(m_path, text, gone) && text == m_content) {
        std::error_code ec;
        fs::remove(platform::ToFsPath(m_path), ec);
    }
}
