#include "storage/archive.h"

#include <cstring>
#include <functional>

#include <gtest/gtest.h>

#include "base/codepage.h"
#include "storage/atomic_file.h"
#include "support/temp_dir.h"

namespace {

std::string Stored(const std::function<void(CArchive&)>& write)
{
    CArchive ar = CArchive::StoreMemory();
    write(ar);
    return ar.Bytes();
}

std::string Le32(std::uint32_t v)
{
    return { static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24) };
}

} // namespace

TEST(Archive, StringPrefixesAtEveryBoundary)
{
    struct Case {
        std::size_t length;
        std::string prefix;
    };
    const Case cases[] = {
        { 0, std::string(1, '\0') },
        { 254, "\xFE" },
        { 255, std::string("\xFF\xFF\x00", 3) },
        { 65533, "\xFF\xFD\xFF" },
        { 65534, std::string("\xFF\xFF\xFF\xFE\xFF\x00\x00", 7) },
        { 70000, std::string("\xFF\xFF\xFF", 3) + Le32(70000) },
    };
    for (const auto& c : cases) {
        const std::string s(c.length, 'x');
        const std::string bytes = Stored([&](CArchive& ar) { ar.WriteString(s); });
        EXPECT_EQ(bytes, c.prefix + s) << c.length;
        CArchive in = CArchive::LoadBytes(bytes);
        EXPECT_EQ(in.ReadString(), s) << c.length;
        EXPECT_EQ(in.Remaining(), 0u);
    }
}

TEST(Archive, ElementaryValuesAndListsAreLittleEndian)
{
    const std::string bytes = Stored([](CArchive& ar) {
        ar.WriteInt(-2);
        ar.WriteDouble(1.5);
        ar.WriteIntList(std::vector<std::int32_t> {});
        ar.WriteIntList(std::vector<std::int32_t> { 1, 0x01020304 });
        ar.WriteStringList({ "a", "" });
        ar.WriteDate(COleDate::NoDate());
    });
    std::string expected = "\xFE\xFF\xFF\xFF";
    expected += std::string("\x00\x00\x00\x00\x00\x00\xF8\x3F", 8);
    expected += std::string(4, '\0');
    expected += Le32(2) + Le32(1) + "\x04\x03\x02\x01";
    expected += Le32(2) + std::string("\x01" "a\x00", 3);
    expected += std::string(4, '\0');
    ASSERT_EQ(bytes.substr(0, expected.size()), expected);
    // The no-date value: status 0, then the double of 1 January 1000, 01:01:01.
    const double noDate = -328716 - 3661 / 86400.0;
    std::string dbl(8, '\0');
    std::memcpy(dbl.data(), &noDate, 8);
    EXPECT_EQ(bytes.substr(expected.size()), dbl);

    CArchive in = CArchive::LoadBytes(bytes);
    EXPECT_EQ(in.ReadInt(), -2);
    EXPECT_EQ(in.ReadDouble(), 1.5);
    std::vector<std::int32_t> ints { 9 };
    in.ReadIntList(ints);
    EXPECT_TRUE(ints.empty());
    in.ReadIntList(ints);
    EXPECT_EQ(ints, (std::vector<std::int32_t> { 1, 0x01020304 }));
    std::vector<std::string> strings;
    in.ReadStringList(strings);
    EXPECT_EQ(strings, (std::vector<std::string> { "a", "" }));
    EXPECT_EQ(in.ReadDate(), COleDate::NoDate());
}

TEST(Archive, WideAndLongFormsAreReadToo)
{
    // Other writers of the container store UTF-16 strings: FF, FFFE, then the length in characters.
    const std::string wide = std::string("\xFF\xFE\xFF\x03", 4) + std::string("\x22\x04\x35\x04\x21\x04", 6);
    EXPECT_EQ(CArchive::LoadBytes(wide).ReadString(), "ТеС"_cp);
    // A wide string with a 16-bit length.
    std::string wideLong = "\xFF\xFE\xFF\xFF" + std::string("\x2C\x01", 2);
    for (int i = 0; i < 300; ++i)
        wideLong += std::string("\x16\x04", 2);
    EXPECT_EQ(CArchive::LoadBytes(wideLong).ReadString(), std::string(300, "Ж"_cp[0]));
    // The 64-bit length form.
    const std::string huge = std::string("\xFF\xFF\xFF", 3) + Le32(0xFFFFFFFF) + Le32(3) + Le32(0) + "abc";
    EXPECT_EQ(CArchive::LoadBytes(huge).ReadString(), "abc");
    // A stored string ends at its first zero byte.
    EXPECT_EQ(CArchive::LoadBytes(std::string("\x03" "a\0b", 4)).ReadString(), "a");
}

TEST(Archive, DamagedInputFailsBeforeAllocating)
{
    auto fails = [](const std::string& bytes, auto read) {
        CArchive in = CArchive::LoadBytes(bytes);
        EXPECT_THROW(read(in), CArchiveException);
    };
    // Cut inside a string, inside its prefix, inside an integer.
    fails("\x05" "abc", [](CArchive& ar) { ar.ReadString(); });
    fails("\xFF\x01", [](CArchive& ar) { ar.ReadString(); });
    fails("\x01\x02", [](CArchive& ar) { ar.ReadInt(); });
    // Lengths and counts far beyond the bytes left, or beyond 2^31.
    fails(std::string("\xFF\xFF\xFF", 3) + Le32(0xFFFFFFFE), [](CArchive& ar) { ar.ReadString(); });
    fails(std::string("\xFF\xFF\xFF", 3) + Le32(0xFFFFFFFF) + Le32(0) + Le32(1), [](CArchive& ar) { ar.ReadString(); });
    fails(Le32(0xFFFFFFFF), [](CArchive& ar) {
        std::vector<std::int32_t> v;
        ar.ReadIntList(v);
    });
    fails(Le32(3) + std::string(11, '\0'), [](CArchive& ar) {
        std::vector<std::int32_t> v;
        ar.ReadIntList(v);
    });
    fails(Le32(2) + std::string(20, '\0'), [](CArchive& ar) {
        std::vector<COleDate> v;
        ar.ReadDateList(v);
    });
    // An unknown date status.
    fails(Le32(7) + std::string(8, '\0'), [](CArchive& ar) { ar.ReadDate(); });
}

TEST(Archive, ListThatFailsMidwayKeepsWhatWasRead)
{
    CArchive in = CArchive::LoadBytes(Le32(3) + "\x01" "a\x01" "b\x05" "cc");
    std::vector<std::string> strings { "old" };
    EXPECT_THROW(in.ReadStringList(strings), CArchiveException);
    EXPECT_EQ(strings, (std::vector<std::string> { "a", "b" }));
}

TEST(Archive, FilesAreWrittenWholeOrNotAtAll)
{
    CTempDir dir;
    const std::string path = dir.File("Telvarion.lst");
    {
        CArchive out = CArchive::StoreFile(path);
        for (int i = 0; i < 100000; ++i) // larger than any buffer
            out.WriteInt(i);
        out.Close();
    }
    {
        CArchive in = CArchive::LoadFile(path);
        EXPECT_EQ(in.Remaining(), 400000u);
        for (int i = 0; i < 100000; ++i)
            ASSERT_EQ(in.ReadInt(), i);
        EXPECT_THROW(in.ReadByte(), CArchiveException);
    }
    const std::string before = CTempDir::Read(path);

    // A stream dropped without Close leaves the old file.
    {
        CArchive out = CArchive::StoreFile(path);
        out.WriteInt(1);
    }
    EXPECT_EQ(CTempDir::Read(path), before);

    // A failure at any step of the write leaves the old file too.
    for (auto step : { CAtomicFile::Step::Write, CAtomicFile::Step::Flush, CAtomicFile::Step::Rename }) {
        CAtomicFile::SetFaultHook([step](CAtomicFile::Step s, const std::string&) { return s == step; });
        CArchive out = CArchive::StoreFile(path);
        out.WriteInt(1);
        EXPECT_THROW(out.Close(), CArchiveException);
        CAtomicFile::SetFaultHook(nullptr);
        EXPECT_EQ(CTempDir::Read(path), before);
    }
    CAtomicFile::SetFaultHook([](CAtomicFile::Step s, const std::string&) { return s == CAtomicFile::Step::Create; });
    EXPECT_THROW(CArchive::StoreFile(path), CArchiveException);
    CAtomicFile::SetFaultHook(nullptr);
    EXPECT_EQ(CTempDir::Read(path), before);
    // No temporary files are left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Fs(dir.Path())), {}), 1);

    EXPECT_THROW(CArchive::LoadFile(dir.File("missing")), CArchiveException);
    EXPECT_THROW(CArchive::LoadFile(dir.Utf8()), CArchiveException);
    EXPECT_THROW(CArchive::StoreFile(dir.File("no/such/folder/file")), CArchiveException);
}
