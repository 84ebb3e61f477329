#pragma once

// The archive stream of every service file: a flat little-endian sequence of fields, no header,
// no names, no versions. A stream is either loading or storing, never both.
//
// Loading never trusts what it reads: a length or a count larger than the bytes left (or than
// 2^31) fails the load before anything is allocated. Every failure is a CArchiveException that
// the owner of the file catches.

#include <cstdint>
#include <cstdio>
#include <deque>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/ole_date.h"

class CAtomicFile;

class CArchiveException : public std::runtime_error {
public:
    enum Cause { FileError, EndOfFile, BadFormat, BadCount, WriteError };
    CArchiveException(Cause cause, const std::string& what)
        : std::runtime_error(what)
        , m_cause(cause)
    {
    }
    Cause GetCause() const { return m_cause; }

private:
    Cause m_cause;
};

class CArchive {
public:
    // Loading from a file (opened read-only; a missing or unreadable file raises FileError) or
    // from bytes in memory.
    static CArchive LoadFile(const std::string& path);
    static CArchive LoadBytes(std::string bytes);
    // Storing into a file, atomically when closed, or into memory.
    static CArchive StoreFile(const std::string& path);
    static CArchive StoreMemory();

    CArchive(CArchive&&) noexcept;
    CArchive& operator=(CArchive&&) noexcept;
    ~CArchive();

    bool IsLoading() const { return m_loading; }
    bool IsStoring() const { return !m_loading; }

    // Storing: writes what is buffered and puts the file in place; raises WriteError on failure,
    // and then the old file stays. Loading: releases the file. Leaving a storing stream without
    // Close drops everything written.
    void Close();
    // Storing to memory: the bytes written so far.
    const std::string& Bytes() const { return m_out; }
    // Loading: bytes not read yet.
    std::uint64_t Remaining() const;

    void WriteByte(std::uint8_t v);
    void WriteWord(std::uint16_t v);
    void WriteInt(std::int32_t v);
    void WriteUInt(std::uint32_t v);
    void WriteDouble(double v);
    void WriteString(std::string_view s);
    void WriteDate(const COleDate& d);
    void WriteIntList(const std::vector<std::int32_t>& list);
    void WriteIntList(const std::deque<std::int32_t>& list);
    void WriteStringList(const std::vector<std::string>& list);
    void WriteDateList(const std::vector<COleDate>& list);

    std::uint8_t ReadByte();
    std::uint16_t ReadWord();
    std::int32_t ReadInt();
    std::uint32_t ReadUInt();
    double ReadDouble();
    // n 32-bit integers into out, at the speed of a copy.
    void ReadInts(std::int32_t* out, std::size_t n);
    std::string ReadString();
    COleDate ReadDate();
    // Lists: the count is checked, the target emptied, then the elements appended one by one.
    void ReadIntList(std::vector<std::int32_t>& list);
    void ReadIntList(std::deque<std::int32_t>& list);
    void ReadStringList(std::vector<std::string>& list);
    void ReadDateList(std::vector<COleDate>& list);

    // Serialize helpers: read into the field when loading, write it when storing.
    void Io(std::int32_t& v) { IsLoading() ? void(v = ReadInt()) : WriteInt(v); }
    void Io(double& v) { IsLoading() ? void(v = ReadDouble()) : WriteDouble(v); }
    void Io(std::string& v) { IsLoading() ? void(v = ReadString()) : WriteString(v); }
    void Io(COleDate& v) { IsLoading() ? void(v = ReadDate()) : WriteDate(v); }
    void Io(std::vector<std::int32_t>& v) { IsLoading() ? ReadIntList(v) : WriteIntList(v); }
    void Io(std::deque<std::int32_t>& v) { IsLoading() ? ReadIntList(v) : WriteIntList(v); }
    void Io(std::vector<std::string>& v) { IsLoading() ? ReadStringList(v) : WriteStringList(v); }
    void Io(std::vector<COleDate>& v) { IsLoading() ? ReadDateList(v) : WriteDateList(v); }

    // A list count, checked against the bytes left: each element takes at least minElementSize.
    std::uint32_t ReadCount(std::size_t minElementSize);

private:
    explicit CArchive(bool loading);

    void Put(const void* data, std::size_t size);
    void Get(void* data, std::size_t size);
    bool Fill();
    std::uint64_t ReadLength();
    void RequireLoading() const;
    void RequireStoring() const;

    bool m_loading;
    std::string m_path;
    // Loading: a window over the input; m_in holds either the whole memory input or the buffer
    // of the file.
    std::string m_in;
    std::size_t m_pos = 0;
    std::uint64_t m_consumedBefore = 0; // bytes of the file before the current buffer
    std::uint64_t m_size = 0;           // total bytes of the input
    std::FILE* m_file = nullptr;
    // Storing: the bytes go to m_out, which is flushed to the file when it grows large.
    std::string m_out;
    std::unique_ptr<CAtomicFile> m_target;
};
