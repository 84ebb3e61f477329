#include "storage/text_line_reader.h"

#include <filesystem>
#include <system_error>

#include "base/platform.h"

namespace {
constexpr std::size_t kBufferSize = 1 << 16;
}

CTextLineReader::~CTextLineReader()
{
    if (m_file)
        std::fclose(m_file);
}

bool CTextLineReader::Open(const std::string& path)
{
    std::error_code ec;
    const auto fsPath = platform::ToFsPath(path);
    if (!std::filesystem::is_regular_file(fsPath, ec))
        return false;
    m_size = std::filesystem::file_size(fsPath, ec);
    if (ec)
        return false;
    m_file = platform::OpenFile(path, "rb");
    return m_file != nullptr;
}

bool CTextLineReader::Fill()
{
    if (m_eof || !m_file)
        return false;
    m_buffer.erase(0, m_pos);
    m_pos = 0;
    const std::size_t have = m_buffer.size();
    m_buffer.resize(have + kBufferSize);
    const std::size_t got = std::fread(m_buffer.data() + have, 1, kBufferSize, m_file);
    m_buffer.resize(have + got);
    if (got == 0) {
        m_eof = true;
        m_failed = std::ferror(m_file) != 0;
        return false;
    }
    return true;
}

bool CTextLineReader::Next(std::string& line)
{
    line.clear();
    if (!m_file || m_failed)
        return false;
    const std::uint64_t startedAt = m_consumed;
    for (;;) {
        if (m_pos == m_buffer.size() && !Fill())
            return !m_failed && m_consumed > startedAt;
        // Take the run up to the next LF or 1A in one piece.
        const std::size_t stop = m_buffer.find_first_of("\n\x1A", m_pos);
        const std::size_t end = stop == std::string::npos ? m_buffer.size() : stop;
        line.append(m_buffer, m_pos, end - m_pos);
        m_consumed += end - m_pos;
        m_pos = end;
        if (stop == std::string::npos)
            continue;
        if (m_buffer[stop] == '\x1A') {
            // The rest of the file does not count.
            m_eof = true;
            m_buffer.clear();
            m_pos = 0;
            return m_consumed > startedAt;
        }
        ++m_pos;
        ++m_consumed;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return true;
    }
}
