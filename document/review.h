#pragma once

// The review of what the analysis without questions decided: one row per line it linked or left
// open, in text order, each with its state (не проверена, принята, отклонена, нужно решение). The
// rows know their lines by the review ids the lines and their tags carry, so edits by hand, which
// move tags about, never lose a row. What the person decides goes through the rows the view holds
// (CLineRows), so every key of the review list works headless in the tests.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/line_record.h"
#include "seam/user_interface.h"

class CLineRows;
class CTagEditor;

struct CReviewRow {
    std::uint32_t id = 0;
    bool local = false;
    LineClass kind = LineClass::Open; // Link: tags were placed; Open: the line needs a decision
    LineWhy why = LineWhy::Undecided;
    std::size_t candidateCount = 0;
    std::vector<CDocRecvisits> linked; // the documents its tags link, in their order
    std::vector<CReviewNote::CAnchorChange> anchorChanges;
};

// Where a row stands among the view's rows, and its state, as the records say now.
struct CReviewPlace {
    std::size_t line = static_cast<std::size_t>(-1); // the row's text line; npos: gone
    std::size_t firstTag = static_cast<std::size_t>(-1); // its first tag (of its base) in the rows; npos: none
    std::size_t tags = 0; // how many of its tags stand
    std::vector<std::size_t> tagLines; // where they stand, in text order
    std::uint8_t state = ReviewNone;
};

// The filters of the review list.
enum class ReviewFilter { All, Unreviewed, Open };

class CReview {
public:
    void Clear() { m_rows.clear(); }
    // A row told by an analysis (CUserInterface::NoteReviewRow).
    void Add(const CReviewNote& note);
    // Rows restored from a kept review, their ids already in the records.
    void Add(CReviewRow row) { m_rows.push_back(std::move(row)); }
    bool Empty() const { return m_rows.empty(); }
    std::size_t Size() const { return m_rows.size(); }
    const std::vector<CReviewRow>& Rows() const { return m_rows; }

    // Where every row stands in these records, in the order of Rows(); one walk over the records.
    std::vector<CReviewPlace> Places(const std::vector<CLineRecord>& records) const;
    // The same over the view's rows, none of them copied.
    std::vector<CReviewPlace> Places(const CLineRows& rows) const;
    // The rows in text order (by their line; a line's Orvo row before its local one) that pass
    // the filter; rows whose line is gone are left out.
    std::vector<std::size_t> Ordered(const std::vector<CReviewPlace>& places, ReviewFilter filter) const;

    // The counts of the status bar and the list's header.
    struct CCounts {
        std::size_t rows = 0;
        std::size_t reviewed = 0; // accepted or rejected, open lines decided included
        std::size_t unreviewed = 0; // links not yet looked at
        std::size_t open = 0; // lines that still need a decision
    };
    CCounts Count(const std::vector<CReviewPlace>& places) const;
    // "проверено 120 из 1 214 · нужно решение: 56" (UTF-8, thousands grouped by a blank).
    static std::string CountText(const CCounts& counts);

    // The person's decisions over the view's rows. Accept marks links not yet reviewed accepted
    // (an open line is decided through the candidates dialog instead); Reject takes each row's
    // tags back and puts back what their anchors replaced (an open line: nothing to link), all
    // rows in one undo step of the editor's history. Both return how many rows changed.
    std::size_t Accept(CLineRows& rows, const std::vector<std::size_t>& which) const;
    std::size_t Reject(CTagEditor& editor, const std::vector<std::size_t>& which) const;
    // Every link not yet reviewed; the count accepted.
    std::size_t AcceptAll(CLineRows& rows) const;
    // The same over the editor's rows, each call one step of its undo history.
    std::size_t Accept(CTagEditor& editor, const std::vector<std::size_t>& which) const;
    std::size_t AcceptAll(CTagEditor& editor) const;
    // After an open line was decided through the candidates dialog: the tags placed for it since
    // (those standing directly before or around its line without a review id) take the row's id,
    // and the row becomes a link accepted, or rejected when nothing was placed.
    void Decided(std::vector<CLineRecord>& records, std::size_t row, const std::vector<std::size_t>& placedTags);

    // The rows grouped by the document they link (open lines apart, one group each): for the
    // grouped list. Groups in the text order of their first row.
    struct CGroup {
        bool local = false;
        std::int32_t number = -1; // the linked document's number in its base; -1: an open line
        std::vector<std::size_t> rows;
    };
    std::vector<CGroup> Groups(const std::vector<std::size_t>& ordered) const;

private:
    template <typename RecordAt> std::vector<CReviewPlace> PlacesOf(std::size_t count, const RecordAt& recordAt) const;

    std::vector<CReviewRow> m_rows;
};
