#pragma once

// Reads a text file line by line as text mode has always read it: a line ends at LF, a CR just
// before the LF is dropped, the last line needs no end, and a byte 1A ends the file. Large
// buffers; lines of any length; the position counts the bytes consumed.

#include <cstdint>
#include <cstdio>
#include <string>

class CTextLineReader {
public:
    CTextLineReader() = default;
    ~CTextLineReader();
    CTextLineReader(const CTextLineReader&) = delete;
    CTextLineReader& operator=(const CTextLineReader&) = delete;

    // False when the path is not a readable regular file.
    bool Open(const std::string& path);
    std::uint64_t Size() const { return m_size; }
    // False at the end of the file or on a read error (see Failed).
    bool Next(std::string& line);
    bool Failed() const { return m_failed; }
    std::uint64_t Position() const { return m_consumed; }

private:
    bool Fill();

    std::FILE* m_file = nullptr;
    std::string m_buffer;
    std::size_t m_pos = 0;
    std::uint64_t m_size = 0;
    std::uint64_t m_consumed = 0;
    bool m_eof = false;
    bool m_failed = false;
};
