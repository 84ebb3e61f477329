#include "core/ref_maker.h"

#include <gtest/gtest.h>

#include "base/codepage.h"
#include "core/tag_line.h"

namespace {

std::string S(std::string_view cp) { return std::string(cp); }

struct Lines {
    std::vector<std::string> texts;
    std::vector<CLineRecord> records;
    explicit Lines(std::size_t n)
    {
        for (std::size_t i = 0; i < n; ++i)
            Add("line " + std::to_string(i));
    }
    void Add(std::string text)
    {
        texts.push_back(std::move(text));
        records.emplace_back();
    }
    // A new Orvo tag at index i whose document has the given types.
    void Tag(std::size_t i, std::vector<std::string> types)
    {
        texts[i] = FormatOrvoTag(45);
        records[i].nKind = OrvoLinkNew;
        records[i].recvOrvo.nBaseNumber = 45;
        records[i].recvOrvo.types = std::move(types);
    }
};

} // namespace

TEST(RefMaker, MergeRecordAddsAndEmptiesNothing)
{
    CLineRecord old;
    old.nKind = Suspicious;
    old.bBookmark = 1;
    old.recvFound.types = { "A", "B" };
    old.recvFound.adoptionDates = { COleDate::FromText(2001, 1, 1) };
    old.recvOrvo.nBaseNumber = 7;
    old.recvOrvo.name = "name";

    CLineRecord fresh;
    fresh.bSuspectOrvo = 1;
    fresh.recvFound.types = { "B", "C" };
    fresh.recvFound.adoptionDates = { COleDate::FromText(2001, 1, 1), COleDate::FromText(2002, 2, 2) };
    CRefMaker::MergeRecord(fresh, old);

    EXPECT_EQ(old.nKind, Suspicious); // a fresh Plain keeps the old kind
    EXPECT_EQ(old.bBookmark, 1);
    EXPECT_EQ(old.bSuspectOrvo, 1);
    EXPECT_EQ(old.recvFound.types, (std::vector<std::string> { "A", "B", "C" }));
    EXPECT_EQ(old.recvFound.adoptionDates.size(), 2u);
    EXPECT_EQ(old.recvOrvo.nBaseNumber, 7); // -1 replaces nothing
    EXPECT_EQ(old.recvOrvo.name, "name");
    EXPECT_TRUE(old.recvOrvo.editionDate.IsNoDate());

    fresh.nKind = OrvoLinkExisting;
    fresh.recvOrvo.nBaseNumber = 9;
    fresh.recvOrvo.editionDate = COleDate::FromText(2005, 5, 5);
    CRefMaker::MergeRecord(fresh, old);
    EXPECT_EQ(old.nKind, OrvoLinkExisting);
    EXPECT_EQ(old.recvOrvo.nBaseNumber, 9);
    EXPECT_EQ(old.recvOrvo.editionDate, COleDate::FromText(2005, 5, 5));
}

TEST(RefMaker, MoveLinePutsTheLineBeforeTheTarget)
{
    Lines l(5);
    l.records[1].bBookmark = 1;
    CRefMaker::MoveLine(l.texts, l.records, 1, 4); // down: before the former line 4
    EXPECT_EQ(l.texts, (std::vector<std::string> { "line 0", "line 2", "line 3", "line 1", "line 4" }));
    EXPECT_EQ(l.records[3].bBookmark, 1);
    CRefMaker::MoveLine(l.texts, l.records, 3, 0); // up
    EXPECT_EQ(l.texts, (std::vector<std::string> { "line 1", "line 0", "line 2", "line 3", "line 4" }));
    CRefMaker::MoveLine(l.texts, l.records, 9, 0); // out of range: nothing
    EXPECT_EQ(l.texts.size(), 5u);
}

TEST(RefMaker, AnchorEnclosesTheWordBelowTheTag)
{
    Lines l(14);
    l.Tag(10, { S("ПОСТАНОВЛЕНИЕ"_cp) });
    l.texts[11] = S("согласно Постановлению правительства"_cp);
    ASSERT_TRUE(CRefMaker::MarkAnchorNearTag(l.texts, l.records, 10));
    EXPECT_EQ(l.texts[11], S("согласно\x01Постановлению\x02правительства"_cp));
    EXPECT_TRUE(IsOrvoTagLine(l.texts[10])); // the tag stays where it is
    // The same word is not enclosed twice.
    EXPECT_FALSE(CRefMaker::MarkAnchorNearTag(l.texts, l.records, 10));
}

TEST(RefMaker, AnchorAboveMovesTheTagThere)
{
    Lines l(14);
    l.Tag(10, { S("УКАЗ"_cp) }); // four letters: searched as УКА
    l.texts[9] = S("см. Указ Президента"_cp);
    ASSERT_TRUE(CRefMaker::MarkAnchorNearTag(l.texts, l.records, 10));
    EXPECT_TRUE(IsOrvoTagLine(l.texts[9]));
    EXPECT_EQ(l.texts[10], S("см.\x01Указ\x02Президента"_cp));
    EXPECT_EQ(l.records[9].nKind, OrvoLinkNew);
    EXPECT_EQ(l.texts[11], "line 11");
}

TEST(RefMaker, AnchorEdgesOfTheWord)
{
    // A quote before the word: the start marker takes the place before the quote; at the very
    // start of the line there is no place for it, but the end marker is written.
    Lines l(3);
    l.Tag(0, { S("ЗАКОН"_cp) });
    l.texts[1] = S("\"Законом\" о"_cp);
    ASSERT_TRUE(CRefMaker::MarkAnchorNearTag(l.texts, l.records, 0));
    EXPECT_EQ(l.texts[1], S("\"Законом\"\x02о"_cp));

    Lines q(3);
    q.Tag(0, { S("ЗАКОН"_cp) });
    q.texts[1] = S("по (Закону о"_cp);
    ASSERT_TRUE(CRefMaker::MarkAnchorNearTag(q.texts, q.records, 0));
    EXPECT_EQ(q.texts[1], S("по\x01(Закону\x02о"_cp));

    // A word running to the end of the line, and one whose blank lies beyond position 66.
    Lines e(3);
    e.Tag(0, { S("КОДЕКС"_cp) });
    e.texts[1] = std::string(70, 'x') + S(" кодекса кодексы"_cp);
    ASSERT_TRUE(CRefMaker::MarkAnchorNearTag(e.texts, e.records, 0));
    EXPECT_EQ(e.texts[1], std::string(70, 'x') + S("\x01кодекса кодексы"_cp));
    Lines end(3);
    end.Tag(0, { S("КОДЕКС"_cp) });
    end.texts[1] = S("по кодексу"_cp);
    ASSERT_TRUE(CRefMaker::MarkAnchorNearTag(end.texts, end.records, 0));
    EXPECT_EQ(end.texts[1], S("по\x01кодексу"_cp));

    // A word already linked in its first occurrence passes the line over.
    Lines linked(3);
    linked.Tag(0, { S("ЗАКОН"_cp) });
    linked.texts[1] = S("\x01Закон\x02 и закон"_cp);
    EXPECT_FALSE(CRefMaker::MarkAnchorNearTag(linked.texts, linked.records, 0));
    // Inside an anchor: the end or separator marker comes before the blank.
    linked.texts[1] = S("Законы\x03ст"_cp);
    EXPECT_FALSE(CRefMaker::MarkAnchorNearTag(linked.texts, linked.records, 0));
}

TEST(RefMaker, AnchorWindowOrderAndTagRuns)
{
    // The window around tag 0 is 0, 1, 2 only.
    Lines l(6);
    l.Tag(0, { S("ПРИКАЗ"_cp) });
    l.texts[3] = S("Приказом"_cp);
    EXPECT_FALSE(CRefMaker::MarkAnchorNearTag(l.texts, l.records, 0));
    // Line i+1 is looked at before i-1.
    Lines w(8);
    w.Tag(4, { S("ПРИКАЗ"_cp) });
    w.texts[3] = S("а Приказом"_cp);
    w.texts[5] = S("б Приказом"_cp);
    ASSERT_TRUE(CRefMaker::MarkAnchorNearTag(w.texts, w.records, 4));
    EXPECT_EQ(w.texts[5], S("б\x01Приказом"_cp));
    EXPECT_EQ(w.texts[3], S("а Приказом"_cp));

    // Three tags placed for one line keep their order: tags between a tag and the marked line
    // below do not make it move.
    Lines run(8);
    run.Tag(2, { S("ЗАКОН"_cp) });
    run.Tag(3, { S("ЗАКОН"_cp) });
    run.Tag(4, { S("ЗАКОН"_cp) });
    run.records[2].recvOrvo.nBaseNumber = 1;
    run.records[3].recvOrvo.nBaseNumber = 2;
    run.records[4].recvOrvo.nBaseNumber = 3;
    run.texts[5] = S("законы"_cp);
    for (std::size_t i : { 2u, 3u, 4u })
        CRefMaker::MarkAnchorNearTag(run.texts, run.records, i);
    EXPECT_EQ(run.records[2].recvOrvo.nBaseNumber, 1);
    EXPECT_EQ(run.records[3].recvOrvo.nBaseNumber, 2);
    EXPECT_EQ(run.records[4].recvOrvo.nBaseNumber, 3);
    // A plain line between them does move it.
    Lines plain(6);
    plain.Tag(1, { S("ЗАКОН"_cp) });
    plain.texts[3] = S("законы"_cp);
    ASSERT_TRUE(CRefMaker::MarkAnchorNearTag(plain.texts, plain.records, 1));
    EXPECT_TRUE(IsOrvoTagLine(plain.texts[2]));
    EXPECT_EQ(plain.texts[1], "line 2");

    // Types of 3 letters are looked for whole; a record linked to the local base uses its types.
    Lines local(3);
    local.texts[0] = FormatLocalTag("РЕД"_cp, 5, 0, false, false);
    local.records[0].recvLocal.nBaseNumber = 5;
    local.records[0].recvLocal.types = { S("УК"_cp) };
    local.texts[1] = S("по УК РФ"_cp);
    ASSERT_TRUE(CRefMaker::MarkAnchorNearTag(local.texts, local.records, 0));
    EXPECT_EQ(local.texts[1], S("по\x01УК\x02РФ"_cp));
}
