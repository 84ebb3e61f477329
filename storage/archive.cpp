#include "storage/archive.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "base/codepage.h"
#include "base/platform.h"
#include "storage/atomic_file.h"

namespace {

// Files pass through buffers of this size: large enough that a dictionary of millions of
// records loads and stores with few system calls.
constexpr std::size_t kBufferSize = 1 << 20;
constexpr std::uint64_t kMaxLength = 0x7FFFFFFF;

template <typename T>
T FromLittleEndian(const unsigned char* p)
{
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        v |= static_cast<std::uint64_t>(p[i]) << (8 * i);
    return static_cast<T>(v);
}

template <typename T>
void ToLittleEndian(T value, unsigned char* p)
{
    auto v = static_cast<std::uint64_t>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

} // namespace

CArchive::CArchive(bool loading)
    : m_loading(loading)
{
}

CArchive::CArchive(CArchive&& other) noexcept
    : m_loading(other.m_loading)
    , m_path(std::move(other.m_path))
    , m_in(std::move(other.m_in))
    , m_pos(other.m_pos)
    , m_consumedBefore(other.m_consumedBefore)
    , m_size(other.m_size)
    , m_file(std::exchange(other.m_file, nullptr))
    , m_out(std::move(other.m_out))
    , m_target(std::move(other.m_target))
{
}

CArchive& CArchive::operator=(CArchive&& other) noexcept
{
    if (this != &other) {
        if (m_file)
            std::fclose(m_file);
        m_loading = other.m_loading;
        m_path = std::move(other.m_path);
        m_in = std::move(other.m_in);
        m_pos = other.m_pos;
        m_consumedBefore = other.m_consumedBefore;
        m_size = other.m_size;
        m_file = std::exchange(other.m_file, nullptr);
        m_out = std::move(other.m_out);
        m_target = std::move(other.m_target);
    }
    return *this;
}

CArchive::~CArchive()
{
    if (m_file)
        std::fclose(m_file);
}

CArchive CArchive::LoadFile(const std::string& path)
{
    CArchive ar(true);
    ar.m_path = path;
    std::error_code ec;
    const auto fsPath = platform::ToFsPath(path);
    if (!std::filesystem::is_regular_file(fsPath, ec))
        throw CArchiveException(CArchiveException::FileError, "not a readable file: " + path);
    ar.m_size = std::filesystem::file_size(fsPath, ec);
    if (ec)
        throw CArchiveException(CArchiveException::FileError, "cannot read the size of " + path);
    ar.m_file = platform::OpenFile(path, "rb");
    if (!ar.m_file)
        throw CArchiveException(CArchiveException::FileError, "cannot open " + path);
    return ar;
}

CArchive CArchive::LoadBytes(std::string bytes)
{
    CArchive ar(true);
    ar.m_size = bytes.size();
    ar.m_in = std::move(bytes);
    return ar;
}

CArchive CArchive::StoreFile(const std::string& path)
{
    CArchive ar(false);
    ar.m_path = path;
    ar.m_target = std::make_unique<CAtomicFile>(path);
    if (!ar.m_target->Open())
        throw CArchiveException(CArchiveException::WriteError, "cannot create " + path + ": " + ar.m_target->ErrorText());
    ar.m_out.reserve(kBufferSize);
    return ar;
}

CArchive CArchive::StoreMemory() { return CArchive(false); }

void CArchive::Close()
{
    if (m_loading) {
        if (m_file) {
            std::fclose(m_file);
            m_file = nullptr;
        }
        return;
    }
    if (!m_target)
        return;
    const bool ok = m_target->Write(m_out) && m_target->Commit();
    m_out.clear();
    const std::string error = m_target->ErrorText();
    m_target.reset();
    if (!ok)
        throw CArchiveException(CArchiveException::WriteError, "cannot write " + m_path + ": " + error);
}

std::uint64_t CArchive::Remaining() const
{
    const std::uint64_t consumed = m_consumedBefore + m_pos;
    return consumed < m_size ? m_size - consumed : 0;
}

void CArchive::RequireLoading() const
{
    if (!m_loading)
        throw CArchiveException(CArchiveException::BadFormat, "reading from a storing archive");
}

void CArchive::RequireStoring() const
{
    if (m_loading)
        throw CArchiveException(CArchiveException::BadFormat, "writing to a loading archive");
}

void CArchive::Put(const void* data, std::size_t size)
{
    RequireStoring();
    m_out.append(static_cast<const char*>(data), size);
    if (m_target && m_out.size() >= kBufferSize) {
        if (!m_target->Write(m_out))
            throw CArchiveException(CArchiveException::WriteError, "cannot write " + m_path + ": " + m_target->ErrorText());
        m_out.clear();
    }
}

bool CArchive::Fill()
{
    if (!m_file)
        return false;
    m_consumedBefore += m_pos;
    m_in.erase(0, m_pos);
    m_pos = 0;
    const std::size_t have = m_in.size();
    m_in.resize(have + kBufferSize);
    const std::size_t got = std::fread(m_in.data() + have, 1, kBufferSize, m_file);
    m_in.resize(have + got);
    if (got == 0 && std::ferror(m_file))
        throw CArchiveException(CArchiveException::FileError, "read error in " + m_path);
    if (got == 0) {
        // The file is shorter than it said: believe the bytes, not the size.
        m_size = m_consumedBefore + m_in.size();
        return false;
    }
    return true;
}

void CArchive::Get(void* data, std::size_t size)
{
    // Nearly every field lies whole in the buffer.
    if (m_loading && m_in.size() - m_pos >= size) {
        std::memcpy(data, m_in.data() + m_pos, size);
        m_pos += size;
        return;
    }
    RequireLoading();
    auto* out = static_cast<char*>(data);
    while (size > 0) {
        if (m_pos == m_in.size() && !Fill())
            throw CArchiveException(CArchiveException::EndOfFile, "unexpected end of the archive");
        const std::size_t n = std::min(size, m_in.size() - m_pos);
        std::memcpy(out, m_in.data() + m_pos, n);
        m_pos += n;
        out += n;
        size -= n;
    }
}

void CArchive::WriteByte(std::uint8_t v) { Put(&v, 1); }

void CArchive::WriteWord(std::uint16_t v)
{
    unsigned char b[2];
    ToLittleEndian(v, b);
    Put(b, sizeof b);
}

void CArchive::WriteInt(std::int32_t v) { WriteUInt(static_cast<std::uint32_t>(v)); }

void CArchive::WriteUInt(std::uint32_t v)
{
    unsigned char b[4];
    ToLittleEndian(v, b);
    Put(b, sizeof b);
}

void CArchive::WriteDouble(double v)
{
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    unsigned char b[8];
    ToLittleEndian(bits, b);
    Put(b, sizeof b);
}

void CArchive::WriteString(std::string_view s)
{
    const std::size_t n = s.size();
    if (n < 0xFF) {
        WriteByte(static_cast<std::uint8_t>(n));
    } else if (n < 0xFFFE) {
        WriteByte(0xFF);
        WriteWord(static_cast<std::uint16_t>(n));
    } else {
        WriteByte(0xFF);
        WriteWord(0xFFFF);
        WriteUInt(static_cast<std::uint32_t>(n));
    }
    Put(s.data(), n);
}

void CArchive::WriteDate(const COleDate& d)
{
    WriteInt(d.GetStatus());
    WriteDouble(d.Value());
}

void CArchive::WriteIntList(const std::vector<std::int32_t>& list)
{
    WriteUInt(static_cast<std::uint32_t>(list.size()));
    for (std::int32_t v : list)
        WriteInt(v);
}

void CArchive::WriteIntList(const std::deque<std::int32_t>& list)
{
    WriteUInt(static_cast<std::uint32_t>(list.size()));
    for (std::int32_t v : list)
        WriteInt(v);
}

void CArchive::WriteStringList(const std::vector<std::string>& list)
{
    WriteUInt(static_cast<std::uint32_t>(list.size()));
    for (const auto& s : list)
        WriteString(s);
}

void CArchive::WriteDateList(const std::vector<COleDate>& list)
{
    WriteUInt(static_cast<std::uint32_t>(list.size()));
    for (const auto& d : list)
        WriteDate(d);
}

std::uint8_t CArchive::ReadByte()
{
    unsigned char b;
    Get(&b, 1);
    return b;
}

std::uint16_t CArchive::ReadWord()
{
    unsigned char b[2];
    Get(b, sizeof b);
    return FromLittleEndian<std::uint16_t>(b);
}

std::int32_t CArchive::ReadInt() { return static_cast<std::int32_t>(ReadUInt()); }

std::uint32_t CArchive::ReadUInt()
{
    unsigned char b[4];
    Get(b, sizeof b);
    return FromLittleEndian<std::uint32_t>(b);
}

double CArchive::ReadDouble()
{
    unsigned char b[8];
    Get(b, sizeof b);
    const auto bits = FromLittleEndian<std::uint64_t>(b);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

void CArchive::ReadInts(std::int32_t* out, std::size_t n)
{
    if (n > Remaining() / 4)
        throw CArchiveException(CArchiveException::EndOfFile, "unexpected end of the archive");
    Get(out, 4 * n);
    if constexpr (std::endian::native != std::endian::little) {
        for (std::size_t i = 0; i < n; ++i)
            out[i] = FromLittleEndian<std::int32_t>(reinterpret_cast<const unsigned char*>(out + i));
    }
}

std::uint64_t CArchive::ReadLength()
{
    const std::uint8_t b = ReadByte();
    if (b != 0xFF)
        return b;
    const std::uint16_t w = ReadWord();
    if (w != 0xFFFF)
        return w;
    const std::uint32_t dw = ReadUInt();
    if (dw != 0xFFFFFFFF)
        return dw;
    unsigned char q[8];
    Get(q, sizeof q);
    return FromLittleEndian<std::uint64_t>(q);
}

std::string CArchive::ReadString()
{
    bool wide = false;
    std::uint64_t length;
    const std::uint8_t first = ReadByte();
    if (first != 0xFF) {
        length = first;
    } else {
        const std::uint16_t w = ReadWord();
        if (w == 0xFFFE) {
            wide = true;
            length = ReadLength();
        } else if (w != 0xFFFF) {
            length = w;
        } else {
            const std::uint32_t dw = ReadUInt();
            if (dw != 0xFFFFFFFF) {
                length = dw;
            } else {
                unsigned char q[8];
                Get(q, sizeof q);
                length = FromLittleEndian<std::uint64_t>(q);
            }
        }
    }
    if (length > kMaxLength)
        throw CArchiveException(CArchiveException::BadFormat, "string length out of range");
    const std::uint64_t bytes = wide ? length * 2 : length;
    if (bytes > Remaining())
        throw CArchiveException(CArchiveException::EndOfFile, "string runs past the end of the archive");
    std::string s(static_cast<std::size_t>(bytes), '\0');
    Get(s.data(), s.size());
    if (wide) {
        s = codepage::Utf16LeToCp1251(s);
    }
    // A stored string ends at its first zero, as the strings of the system always have.
    if (const auto zero = s.find('\0'); zero != std::string::npos)
        s.resize(zero);
    return s;
}

COleDate CArchive::ReadDate()
{
    const std::int32_t status = ReadInt();
    const double value = ReadDouble();
    if (status < COleDate::Valid || status > COleDate::Null)
        throw CArchiveException(CArchiveException::BadFormat, "unknown date status");
    return COleDate(value, static_cast<COleDate::Status>(status));
}

std::uint32_t CArchive::ReadCount(std::size_t minElementSize)
{
    const std::uint32_t count = ReadUInt();
    if (count > kMaxLength || static_cast<std::uint64_t>(count) * minElementSize > Remaining())
        throw CArchiveException(CArchiveException::BadCount, "list count larger than the archive");
    return count;
}

// The target is emptied once the count is known and then grows element by element, so a load
// that fails midway leaves the elements read so far, as the owners expect.
void CArchive::ReadIntList(std::vector<std::int32_t>& list)
{
    const std::uint32_t count = ReadCount(4);
    list.clear();
    list.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i)
        list.push_back(ReadInt());
}

void CArchive::ReadIntList(std::deque<std::int32_t>& list)
{
    const std::uint32_t count = ReadCount(4);
    list.clear();
    for (std::uint32_t i = 0; i < count; ++i)
        list.push_back(ReadInt());
}

void CArchive::ReadStringList(std::vector<std::string>& list)
{
    const std::uint32_t count = ReadCount(1);
    list.clear();
    list.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i)
        list.push_back(ReadString());
}

void CArchive::ReadDateList(std::vector<COleDate>& list)
{
    const std::uint32_t count = ReadCount(12);
    list.clear();
    list.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i)
        list.push_back(ReadDate());
}
