#include "storage/index_dict.h"

#include <gtest/gtest.h>

#include "base/codepage.h"
#include "storage/archive.h"
#include "storage/recv_dict.h"

namespace {

std::string Le32(std::uint32_t v)
{
    return { static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24) };
}

std::string S(std::string_view cp) { return std::string(cp); }

} // namespace

TEST(IndexDict, IdsInOrderOfFirstAdditionStoredInTextOrder)
{
    CIndexDict dict;
    EXPECT_EQ(dict.AddName(S("Б"_cp)), 0);
    EXPECT_EQ(dict.AddName(S("А"_cp)), 1);
    EXPECT_EQ(dict.AddName(S("Б"_cp)), 0);
    std::int32_t id = -5;
    EXPECT_FALSE(dict.FindId(S("б"_cp), id));
    EXPECT_EQ(id, -5);
    EXPECT_TRUE(dict.FindId(S("А"_cp), id));
    EXPECT_EQ(id, 1);

    CArchive out = CArchive::StoreMemory();
    dict.Serialize(out);
    EXPECT_EQ(out.Bytes(), Le32(2) + "\x01" + S("А"_cp) + Le32(1) + "\x01" + S("Б"_cp) + Le32(0));

    // Byte order of code page 1251 puts Cyrillic after Latin and Ё before А.
    CIndexDict mixed;
    for (auto t : { "Я"_cp, "Z"_cp, "Ё"_cp, "А"_cp })
        mixed.AddName(S(t));
    std::vector<std::string> order;
    for (const auto& [text, _] : mixed.Entries())
        order.push_back(text);
    EXPECT_EQ(order, (std::vector<std::string> { "Z", S("Ё"_cp), S("А"_cp), S("Я"_cp) }));
}

TEST(IndexDict, FindNameAfterChangesAndOnOddFiles)
{
    CIndexDict dict;
    std::string text = "unchanged";
    EXPECT_FALSE(dict.FindName(0, text));
    dict.AddName("x");
    EXPECT_TRUE(dict.FindName(0, text));
    EXPECT_EQ(text, "x");
    dict.AddName("a"); // sorts before "x" but takes id 1
    EXPECT_TRUE(dict.FindName(1, text));
    EXPECT_EQ(text, "a");
    text = "unchanged";
    EXPECT_FALSE(dict.FindName(2, text));
    EXPECT_FALSE(dict.FindName(-1, text));
    EXPECT_EQ(text, "unchanged");

    // A copy answers from its own texts.
    CIndexDict copy = dict;
    dict.Clear();
    EXPECT_TRUE(copy.FindName(0, text));
    EXPECT_EQ(text, "x");

    // Stored ids are taken as they are: repeated, far apart, negative. A repeated text keeps its
    // first id, a repeated id answers with the first text in text order.
    CArchive in = CArchive::LoadBytes(Le32(4) + "\x01" "b" + Le32(7) + "\x01" "a" + Le32(7) + "\x01" "b" + Le32(0)
        + "\x01" "c" + Le32(static_cast<std::uint32_t>(-3)));
    CIndexDict odd;
    odd.Serialize(in);
    EXPECT_EQ(odd.Count(), 3u);
    EXPECT_TRUE(odd.FindName(7, text));
    EXPECT_EQ(text, "a");
    EXPECT_TRUE(odd.FindName(-3, text));
    EXPECT_EQ(text, "c");
    EXPECT_FALSE(odd.FindName(0, text));
    std::int32_t id;
    EXPECT_TRUE(odd.FindId("b", id));
    EXPECT_EQ(id, 7);
}

TEST(IndexDict, EmptyAndDamagedForms)
{
    CIndexDict empty;
    CArchive out = CArchive::StoreMemory();
    empty.Serialize(out);
    EXPECT_EQ(out.Bytes(), Le32(0));

    // Every cut of a valid image fails to load, and a count beyond the file allocates nothing.
    CIndexDict dict;
    dict.AddName("alpha");
    dict.AddName("beta");
    CArchive full = CArchive::StoreMemory();
    dict.Serialize(full);
    for (std::size_t cut = 0; cut < full.Bytes().size(); ++cut) {
        CIndexDict loaded;
        CArchive in = CArchive::LoadBytes(full.Bytes().substr(0, cut));
        EXPECT_THROW(loaded.Serialize(in), CArchiveException) << cut;
    }
    CIndexDict huge;
    CArchive in = CArchive::LoadBytes(Le32(0x7FFFFFFF) + "\x01" "a" + Le32(0));
    EXPECT_THROW(huge.Serialize(in), CArchiveException);
}

TEST(RecvDict, StoredFormAndSortingOnCopy)
{
    CRecvDict dict;
    dict.records.emplace_back(S("ПРИКАЗ"_cp), std::vector<std::string> { S("Б"_cp), S("А"_cp) });
    dict.records.emplace_back("X", std::vector<std::string> {});
    // The dictionary keeps the order it was given; only copies sort.
    EXPECT_EQ(dict.records[0].synonyms, (std::vector<std::string> { S("Б"_cp), S("А"_cp) }));
    CRecvRec copy = dict.records[0];
    EXPECT_EQ(copy.synonyms, (std::vector<std::string> { S("А"_cp), S("Б"_cp) }));
    CRecvRec assigned;
    assigned = dict.records[0];
    EXPECT_EQ(assigned.synonyms, copy.synonyms);

    CArchive out = CArchive::StoreMemory();
    dict.Serialize(out);
    EXPECT_EQ(out.Bytes(),
        Le32(2) + "\x06" + S("ПРИКАЗ"_cp) + Le32(2) + "\x01" + S("Б"_cp) + "\x01" + S("А"_cp) + "\x01" "X" + Le32(0));

    CRecvDict loaded;
    loaded.records.emplace_back("old", std::vector<std::string> {});
    CArchive in = CArchive::LoadBytes(out.Bytes());
    loaded.Serialize(in);
    ASSERT_EQ(loaded.records.size(), 2u);
    EXPECT_EQ(loaded.records[0].synonyms, (std::vector<std::string> { S("Б"_cp), S("А"_cp) }));

    CRecvDict empty;
    CArchive emptyOut = CArchive::StoreMemory();
    empty.Serialize(emptyOut);
    EXPECT_EQ(emptyOut.Bytes(), Le32(0));
}
