#include "document/recovery.h"

#include <algorithm>
#include <charconv>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "base/platform.h"
#include "core/rla_text.h"
#include "document/data_folder.h"
#include "storage/archive.h"
#include "storage/atomic_file.h"

namespace recovery {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kMagic = "Telvarion recovery data\n";
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kHashBytes = 8;
// Far more than the recovery data of any real document: a file that large is none of ours.
constexpr std::uintmax_t kLargest = 1ull << 30;
// The smallest known file as stored: a path, a stamp and a hash.
constexpr std::size_t kKnownBytes = 1 + 1 + 4 * 6;

void WriteUInt64(CArchive& ar, std::uint64_t v)
{
    ar.WriteUInt(static_cast<std::uint32_t>(v));
    ar.WriteUInt(static_cast<std::uint32_t>(v >> 32));
}

std::uint64_t ReadUInt64(CArchive& ar)
{
    const std::uint64_t low = ar.ReadUInt();
    return low | (static_cast<std::uint64_t>(ar.ReadUInt()) << 32);
}

std::string HashBytes(std::string_view body)
{
    CBytesHash hash;
    hash.Add(body);
    std::string out(kHashBytes, '\0');
    for (std::size_t k = 0; k < kHashBytes; ++k)
        out[k] = static_cast<char>((hash.Value() >> (8 * k)) & 0xFF);
    return out;
}

std::string SafeHost(const std::string& host)
{
    std::string safe = host.empty() ? std::string("host") : host;
    for (char& c : safe) {
        const bool plain
            = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
        if (!plain)
            c = '_';
    }
    return safe;
}

std::string Join(const std::string& folder, const std::string& name)
{
    return platform::FromFsPath(platform::ToFsPath(folder) / platform::ToFsPath(name));
}

bool MoveFile(const std::string& from, const std::string& to)
{
    std::error_code ec;
    fs::rename(platform::ToFsPath(from), platform::ToFsPath(to), ec);
    return !ec;
}

// A length of eight bytes, then the bytes.
void AppendBlock(std::string& out, std::string_view block)
{
    const std::uint64_t size = block.size();
    for (int k = 0; k < 8; ++k)
        out += static_cast<char>((size >> (8 * k)) & 0xFF);
    out += block;
}

bool TakeBlock(std::string_view& rest, std::string_view& block)
{
    if (rest.size() < 8)
        return false;
    std::uint64_t size = 0;
    for (int k = 0; k < 8; ++k)
        size |= static_cast<std::uint64_t>(static_cast<unsigned char>(rest[static_cast<std::size_t>(k)])) << (8 * k);
    rest.remove_prefix(8);
    if (size > rest.size())
        return false;
    block = rest.substr(0, static_cast<std::size_t>(size));
    rest.remove_prefix(static_cast<std::size_t>(size));
    return true;
}

} // namespace

std::string Serialize(const CRecoveryData& data)
{
    CArchive ar = CArchive::StoreMemory();
    ar.WriteUInt(kVersion);
    ar.WriteString(data.owner.host);
    WriteUInt64(ar, static_cast<std::uint64_t>(data.owner.pid));
    ar.WriteString(data.owner.started);
    WriteUInt64(ar, static_cast<std::uint64_t>(data.writtenUtc));
    ar.WriteString(data.path);
    ar.WriteByte(data.inOutputFolder ? 1 : 0);
    ar.WriteUInt(data.changes);
    WriteUInt64(ar, static_cast<std::uint64_t>(data.selected));
    ar.WriteUInt(static_cast<std::uint32_t>(data.knownFiles.size()));
    for (const CKnownFile& known : data.knownFiles) {
        ar.WriteString(known.path);
        ar.WriteByte(known.image.stamp.exists ? 1 : 0);
        WriteUInt64(ar, known.image.stamp.size);
        WriteUInt64(ar, static_cast<std::uint64_t>(known.image.stamp.modified));
        WriteUInt64(ar, known.image.hash);
    }
    ar.WriteUInt(static_cast<std::uint32_t>(data.bookmarks.size()));
    for (std::uint32_t line : data.bookmarks)
        ar.WriteUInt(line);
    // The review and the text as blocks of their own: their bytes are binary, never cut at a zero.
    std::string body;
    AppendBlock(body, ar.Bytes());
    AppendBlock(body, review_store::Serialize(data.review));
    AppendBlock(body, data.textBytes);
    std::string bytes(kMagic);
    bytes += body;
    bytes += HashBytes(body);
    return bytes;
}

std::optional<CRecoveryData> Parse(std::string bytes)
{
    if (bytes.size() < kMagic.size() + kHashBytes || std::string_view(bytes).substr(0, kMagic.size()) != kMagic)
        return std::nullopt;
    const std::string_view body
        = std::string_view(bytes).substr(kMagic.size(), bytes.size() - kMagic.size() - kHashBytes);
    if (HashBytes(body) != std::string_view(bytes).substr(bytes.size() - kHashBytes))
        return std::nullopt;
    std::string_view rest = body;
    std::string_view meta;
    std::string_view review;
    std::string_view text;
    if (!TakeBlock(rest, meta) || !TakeBlock(rest, review) || !TakeBlock(rest, text) || !rest.empty())
        return std::nullopt;
    try {
        CArchive ar = CArchive::LoadBytes(std::string(meta));
        if (ar.ReadUInt() != kVersion)
            return std::nullopt;
        CRecoveryData data;
        data.owner.host = ar.ReadString();
        data.owner.pid = static_cast<long long>(ReadUInt64(ar));
        data.owner.started = ar.ReadString();
        data.owner.known = true;
        data.writtenUtc = static_cast<std::int64_t>(ReadUInt64(ar));
        data.path = ar.ReadString();
        const std::uint8_t inOutput = ar.ReadByte();
        if (inOutput > 1 || data.path.empty())
            return std::nullopt;
        data.inOutputFolder = inOutput == 1;
        data.changes = ar.ReadUInt();
        data.selected = static_cast<std::int64_t>(ReadUInt64(ar));
        const std::uint32_t known = ar.ReadCount(kKnownBytes);
        for (std::uint32_t k = 0; k < known; ++k) {
            CKnownFile file;
            file.path = ar.ReadString();
            const std::uint8_t exists = ar.ReadByte();
            if (exists > 1)
                return std::nullopt;
            file.image.stamp.exists = exists == 1;
            file.image.stamp.size = ReadUInt64(ar);
            file.image.stamp.modified = static_cast<std::int64_t>(ReadUInt64(ar));
            file.image.hash = ReadUInt64(ar);
            data.knownFiles.push_back(std::move(file));
        }
        const std::uint32_t bookmarks = ar.ReadCount(4);
        data.bookmarks.reserve(bookmarks);
        for (std::uint32_t k = 0; k < bookmarks; ++k)
            data.bookmarks.push_back(ar.ReadUInt());
        if (ar.Remaining() != 0)
            return std::nullopt;
        std::optional<review_store::CKeptReview> kept = review_store::Parse(std::string(review));
        if (!kept)
            return std::nullopt;
        data.review = std::move(*kept);
        data.textBytes = std::string(text);
        return data;
    } catch (const CArchiveException&) {
        return std::nullopt;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

std::optional<CRecoveryData> Load(const std::string& file)
{
    std::string bytes;
    if (!platform::ReadWholeFileUpTo(file, kLargest, bytes))
        return std::nullopt;
    return Parse(std::move(bytes));
}

std::string DefaultFolder()
{
    const std::string user = data_folder::UserFolder();
    if (user.empty())
        return {};
    return platform::FromFsPath(platform::ToFsPath(user) / "recovery")
        + static_cast<char>(fs::path::preferred_separator);
}

std::string FileNameOf(const CLockHolder& owner)
{
    return SafeHost(owner.host) + "_" + std::to_string(owner.pid) + "_" + (owner.started.empty() ? "-" : owner.started)
        + kExtension;
}

bool OwnerOfFileName(const std::string& name, CLockHolder& owner)
{
    const std::string_view extension = kExtension;
    if (name.size() <= extension.size()
        || name.compare(name.size() - extension.size(), extension.size(), extension) != 0)
        return false;
    const std::string stem = name.substr(0, name.size() - extension.size());
    const std::size_t last = stem.rfind('_');
    if (last == std::string::npos || last == 0)
        return false;
    const std::size_t before = stem.rfind('_', last - 1);
    if (before == std::string::npos || before == 0)
        return false;
    const std::string started = stem.substr(last + 1);
    const std::string pidText = stem.substr(before + 1, last - before - 1);
    long long pid = 0;
    const auto [ptr, ec] = std::from_chars(pidText.data(), pidText.data() + pidText.size(), pid);
    if (ec != std::errc() || ptr != pidText.data() + pidText.size() || pid <= 0 || started.empty()
        || (started != "-" && started.find_first_not_of("0123456789") != std::string::npos))
        return false;
    owner = CLockHolder {};
    owner.host = stem.substr(0, before);
    if (owner.host == SafeHost(platform::HostName()))
        owner.host = platform::HostName();
    owner.pid = pid;
    owner.started = started == "-" ? std::string() : started;
    owner.known = true;
    return true;
}

CLeft FindLeft(const std::string& folder)
{
    CLeft left;
    if (folder.empty())
        return left;
    std::error_code ec;
    for (fs::directory_iterator it(platform::ToFsPath(folder), ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec))
            continue;
        const std::string file = platform::FromFsPath(it->path());
        CLockHolder owner;
        if (!OwnerOfFileName(platform::FromFsPath(it->path().filename()), owner) || !HolderGone(owner))
            continue;
        if (std::optional<CRecoveryData> data = Load(file))
            left.offers.push_back({ file, std::move(*data) });
        else
            left.damaged.push_back(file);
    }
    std::stable_sort(left.offers.begin(), left.offers.end(),
        [](const CLeft::COffer& a, const CLeft::COffer& b) { return a.data.writtenUtc > b.data.writtenUtc; });
    std::sort(left.damaged.begin(), left.damaged.end());
    return left;
}

std::string SetAsideDamaged(const std::string& folder, const std::string& file)
{
    const std::string damaged = Join(folder, kDamagedFolder);
    std::error_code ec;
    fs::create_directories(platform::ToFsPath(damaged), ec);
    const std::string name = platform::FromFsPath(platform::ToFsPath(file).filename());
    for (int k = 1; k < 1000; ++k) {
        const std::string target = Join(damaged, k == 1 ? name : name + "-" + std::to_string(k));
        if (fs::exists(platform::ToFsPath(target), ec))
            continue;
        return MoveFile(file, target) ? target : std::string();
    }
    return {};
}

bool Discard(const std::string& folder, const std::string& file)
{
    return MoveFile(file, Join(folder, kDiscardedName));
}

CRecoveryWriter::CRecoveryWriter(std::string file, Report report)
    : m_file(std::move(file))
    , m_report(std::move(report))
    , m_thread([this] { Work(); })
{
}

CRecoveryWriter::~CRecoveryWriter()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

std::uint64_t CRecoveryWriter::Submit(CSnapshot snapshot)
{
    std::uint64_t sequence = 0;
    {
        std::lock_guard lock(m_mutex);
        m_pending = std::move(snapshot);
        sequence = m_pendingSequence = ++m_lastSequence;
    }
    m_wake.notify_all();
    return sequence;
}

void CRecoveryWriter::Remove()
{
    {
        std::lock_guard lock(m_mutex);
        m_pending.reset();
        m_removePending = true;
    }
    m_wake.notify_all();
}

void CRecoveryWriter::Wait()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return !m_busy && !m_pending && !m_removePending; });
}

void CRecoveryWriter::Work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || m_pending || m_removePending; });
        if (!m_pending && !m_removePending)
            return; // stopped with nothing left to do
        m_busy = true;
        CReport report;
        if (m_removePending) {
            m_removePending = false;
            lock.unlock();
            std::error_code ec;
            fs::remove(platform::ToFsPath(m_file), ec);
            report.ok = !ec;
            report.reason = platform::ErrorReason(ec);
        } else {
            CSnapshot snapshot = std::move(*m_pending);
            m_pending.reset();
            report.sequence = m_pendingSequence;
            lock.unlock();
            snapshot.data.textBytes = CRlaText::Encode(snapshot.headerLines, snapshot.textLines);
            snapshot.data.writtenUtc = static_cast<std::int64_t>(std::time(nullptr));
            const std::string bytes = Serialize(snapshot.data);
            std::error_code ec;
            fs::create_directories(platform::ToFsPath(m_file).parent_path(), ec);
            CAtomicFile file(m_file);
            report.ok = file.Open() && file.Write(bytes) && file.Commit();
            if (!report.ok) {
                file.Abort();
                report.reason = file.ErrorCode() ? platform::ErrorReason(file.ErrorCode()) : file.ErrorText();
                if (report.reason.empty() && ec)
                    report.reason = platform::ErrorReason(ec);
            }
        }
        if (m_report)
            m_report(report);
        lock.lock();
        m_busy = false;
        m_idle.notify_all();
    }
}

} // namespace recovery
