// The undo history over plain rows: random edits taken back and put again through the diff and
// both ways of applying a step, what a step holds, and the limits of the history.

#include "document/undo_history.h"

#include <algorithm>
#include <random>

#include <gtest/gtest.h>

#include "support/line_rows.h"

namespace {

CRows Numbered(int count)
{
    CRows rows;
    for (int k = 0; k < count; ++k) {
        rows.texts.push_back("line " + std::to_string(k));
        rows.records.emplace_back();
        rows.records.back().nKind = k % 7 == 0 ? Suspicious : Plain;
    }
    return rows;
}

bool Same(const CRows& a, const CRows& b)
{
    return a.texts == b.texts
        && std::equal(a.records.begin(), a.records.end(), b.records.begin(), b.records.end(), SameRecord);
}

} // namespace

TEST(UndoHistory, RandomReplacesGoBackAndComeAgain)
{
    // Scattered changes (few: row by row; many: in one pass), each a Replace turned into edits.
    for (const int changes : { 1, 3, 12, 40, 300 }) {
        for (unsigned seed = 1; seed <= 20; ++seed) {
            std::mt19937 random(seed * 7919u + static_cast<unsigned>(changes));
            CRows rows = Numbered(400);
            CUndoHistory history;
            CRecordingRows recorder(rows, history);
            const CRows before = rows;
            CRows after = rows;
            for (int k = 0; k < changes; ++k) {
                const int at = static_cast<int>(random() % (after.texts.size() + 1));
                const unsigned kind = random() % 3;
                if (kind == 0)
                    after.Insert(at, "tag", CLineRecord());
                else if (at < after.Count() && kind == 1)
                    after.Remove(at);
                else if (at < after.Count())
                    after.SetReviewState(at, false, ReviewAccepted);
            }
            {
                const CUndoScope step(history, recorder, "step");
                recorder.Replace(after.texts, after.records);
            }
            ASSERT_TRUE(Same(rows, after)) << changes << "/" << seed;
            ASSERT_TRUE(history.Undo(rows, true));
            ASSERT_TRUE(Same(rows, before)) << changes << "/" << seed;
            ASSERT_TRUE(history.Redo(rows, true));
            ASSERT_TRUE(Same(rows, after)) << changes << "/" << seed;
        }
    }
}

TEST(UndoHistory, AStepKeepsOnlyTheRowsThatChanged)
{
    // Two tags taken back far apart in 20,000 rows: the rows between them are not kept, and a
    // small step is put back row by row, never as all rows anew.
    CRows rows = Numbered(20000);
    rows.Insert(100, "tag a", CLineRecord());
    rows.Insert(19000, "tag b", CLineRecord());
    CUndoHistory history;
    CRecordingRows recorder(rows, history);
    CRows after = rows;
    after.Remove(19000);
    after.Remove(100);
    {
        const CUndoScope step(history, recorder, "отклонение ссылок");
        recorder.Replace(after.texts, after.records);
    }
    EXPECT_LT(history.Bytes(), 8u * 1024);
    const int replaced = rows.replaced;
    history.Undo(rows, true);
    EXPECT_EQ(rows.replaced, replaced);
    EXPECT_EQ(rows.texts[100], "tag a");
    EXPECT_EQ(rows.texts[19000], "tag b");
    EXPECT_EQ(rows.Count(), 20002);
}

TEST(UndoHistory, LimitsDropTheOldestAndANewStepTheRedo)
{
    CRows rows = Numbered(10);
    CUndoHistory history;
    CRecordingRows recorder(rows, history);
    const auto edit = [&](const std::string& text) {
        const CUndoScope step(history, recorder, text);
        recorder.SetText(0, text);
    };
    for (int k = 0; k < 1200; ++k)
        edit(std::to_string(k));
    EXPECT_EQ(history.UndoCount(), CUndoHistory::kMaxSteps);
    while (history.Undo(rows, true)) { }
    EXPECT_EQ(rows.texts[0], "199"); // steps 0..199 are gone, the oldest first

    // Steps of two megabytes each (the text before and after): at most 64 MB are kept.
    for (int k = 0; k < 80; ++k)
        edit(std::string(std::size_t(1) << 20, static_cast<char>('a' + k % 26)));
    EXPECT_LE(history.Bytes(), CUndoHistory::kMaxBytes);
    EXPECT_GE(history.UndoCount(), 30u);
    EXPECT_LT(history.UndoCount(), 32u);
    EXPECT_EQ(history.RedoCount(), 0u);

    history.Undo(rows, true);
    history.Undo(rows, true);
    EXPECT_EQ(history.RedoCount(), 2u);
    edit("new");
    EXPECT_EQ(history.RedoCount(), 0u);
    EXPECT_EQ(history.UndoName(), "new");
    // Changes outside any step cannot be followed: the history lets them go.
    recorder.SetText(1, "outside");
    EXPECT_FALSE(history.CanUndo());
}
