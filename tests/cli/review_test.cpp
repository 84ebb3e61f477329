// The review of the analysis without questions over a sample's lines: every linked or open line a
// row whose tags it finds wherever they stand, accept, reject with its anchors put back and undone
// in one step, accept all, the groups and the counts.

#include <gtest/gtest.h>

#include "cli/auto_ui.h"
#include "document/review.h"
#include "document/tag_editor.h"
#include "document/telvarion_doc.h"
#include "support/line_rows.h"

TEST(Review, AcceptRejectUndoAndAcceptAllOverTheRows)
{
    CAutoUi ui(CAutoUi::Policy::Certain);
    CTelvarionDoc doc(ui, TELVARION_BUILD_DIR);
    doc.LoadServiceData(false);
    const std::string sample = std::string(TELVARION_BUILD_DIR) + "/samples/ukaz-14.rla";
    ASSERT_TRUE(doc.OpenFile(sample, false));
    CRlaText file;
    ASSERT_TRUE(file.ReadRla(sample, ui));
    CRows rows;
    ui.TakeLines(rows.texts, rows.records);
    const CReview& review = doc.review;
    ASSERT_FALSE(review.Empty());

    // Every link row finds its tags, all of its base; the rows come in text order.
    std::vector<CReviewPlace> places = review.Places(rows.records);
    std::size_t tags = 0;
    for (std::size_t k = 0; k < review.Size(); ++k) {
        EXPECT_NE(places[k].line, static_cast<std::size_t>(-1)) << k;
        if (review.Rows()[k].kind == LineClass::Link) {
            EXPECT_EQ(places[k].tags, review.Rows()[k].linked.size()) << k;
            EXPECT_EQ(places[k].state, ReviewUnreviewed) << k;
            tags += places[k].tags;
        }
    }
    EXPECT_EQ(tags, static_cast<std::size_t>(doc.orvoMaker.nPlacedTags + doc.innerMaker.nPlacedTags));
    const std::vector<std::size_t> ordered = review.Ordered(places, ReviewFilter::All);
    for (std::size_t k = 1; k < ordered.size(); ++k)
        EXPECT_LE(places[ordered[k - 1]].line, places[ordered[k]].line);

    // Accept one; reject all the others: the text is the file's again, anchors and all; one undo
    // brings every tag back.
    EXPECT_EQ(review.Accept(rows, { ordered.front() }), 1u);
    EXPECT_EQ(review.Accept(rows, { ordered.front() }), 0u);
    CTagEditor editor(doc, ui, rows);
    const std::vector<std::string> placed = rows.texts;
    EXPECT_EQ(review.Reject(editor, ordered), ordered.size());
    EXPECT_EQ(rows.texts, file.textLines);
    places = review.Places(rows.records);
    const CReview::CCounts rejected = review.Count(places);
    EXPECT_EQ(rejected.reviewed, rejected.rows);
    EXPECT_EQ(CReview::CountText(rejected),
        "проверено " + std::to_string(rejected.rows) + " из " + std::to_string(rejected.rows) + " · нужно решение: 0");
    EXPECT_EQ(review.Ordered(places, ReviewFilter::Unreviewed).size(), 0u);
    editor.Run(CTagEditor::Command::Undo);
    EXPECT_EQ(rows.texts, placed);
    // Redo rejects them again, undo brings them back again.
    EXPECT_EQ(editor.History().RedoName(), "отклонение ссылок");
    editor.Run(CTagEditor::Command::Redo);
    EXPECT_EQ(rows.texts, file.textLines);
    editor.Run(CTagEditor::Command::Undo);
    EXPECT_EQ(rows.texts, placed);

    // Accepting through the editor is a step too: one row, then all, each taken back whole.
    const std::vector<CLineRecord> unreviewed = rows.records;
    const auto states = [&] { return review.Count(review.Places(rows.records)); };
    EXPECT_EQ(review.Accept(editor, { ordered[1] }), 1u);
    EXPECT_EQ(editor.History().UndoName(), "принятие ссылки");
    EXPECT_EQ(review.AcceptAll(editor), ordered.size() - 2);
    EXPECT_EQ(editor.History().UndoName(), "принятие всех ссылок");
    EXPECT_EQ(states().unreviewed, 0u);
    editor.Run(CTagEditor::Command::Undo);
    EXPECT_EQ(states().unreviewed, ordered.size() - 2);
    editor.Run(CTagEditor::Command::Undo);
    EXPECT_EQ(states().unreviewed, ordered.size() - 1);
    for (std::size_t k = 0; k < unreviewed.size(); ++k)
        EXPECT_TRUE(SameRecord(rows.records[k], unreviewed[k])) << k;

    // Accept all takes the rest; the groups hold every row once, each a document's rows.
    EXPECT_EQ(review.AcceptAll(rows), ordered.size() - 1);
    EXPECT_EQ(review.Count(review.Places(rows.records)).unreviewed, 0u);
    std::size_t grouped = 0;
    for (const CReview::CGroup& group : review.Groups(ordered)) {
        grouped += group.rows.size();
        for (std::size_t k : group.rows)
            EXPECT_EQ(review.Rows()[k].linked.empty() ? -1 : review.Rows()[k].linked.front().nBaseNumber, group.number);
    }
    EXPECT_EQ(grouped, ordered.size());
    EXPECT_EQ(CReview::CountText({ 1214, 120, 1038, 56 }), "проверено 120 из 1 214 · нужно решение: 56");
}
