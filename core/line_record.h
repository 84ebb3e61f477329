#pragma once

// What the program keeps beside every text line while a document is open. The view keeps the
// records in step with the lines, one for one.

#include <cstdint>

#include "requisites/doc_recvisits.h"

// Unscoped on purpose: nKind stays a plain 32-bit integer and compares with the names directly.
enum LineKind : std::int32_t {
    Plain = 0,
    Suspicious = 1,        // an analysis found requisites of another document in the line
    OrvoLinkExisting = 2,  // inter-base tag line that was in the file when it was opened
    OrvoLinkNew = 3,       // inter-base tag line placed since then
    InnerLinkNew = 4,      // intra-base tag line placed since then
    InnerLinkExisting = 5, // intra-base tag line that was in the file when it was opened
};

// A tag line of either base, read from the file or placed since.
inline bool IsTagKind(std::int32_t kind) { return kind >= OrvoLinkExisting && kind <= InnerLinkExisting; }

struct CLineRecord {
    CLineRecord()
    {
        // -1: no document of that base is linked or proposed yet.
        recvOrvo.nBaseNumber = -1;
        recvLocal.nBaseNumber = -1;
    }

    std::int32_t nKind = Plain;
    // The review of what the analysis without questions decided; never written into the document
    // (a save keeps the review in the per-user folder). A suspicious line
    // and the tags placed for it carry the id of its review row, one per base (0: none), and the
    // line keeps the row's state (ReviewState). Kept in what would otherwise be padding.
    std::uint32_t nReviewOrvo = 0;
    CDocRecvisits recvOrvo;  // the Orvo document the tag line points to or the line proposes
    CDocRecvisits recvLocal; // the local document the tag line points to or the line proposes
    CDocRecvisits recvFound; // what the analyses recognised in the line itself
    std::int32_t bSuspectLocal = 0;
    std::int32_t bSuspectOrvo = 0;
    std::uint32_t nReviewLocal = 0;
    std::uint8_t bBookmark = 0;
    // A tag a pass placed and asks about now: while the question waits it may not be deleted,
    // cut, moved or edited. Never stored; clear at every other time.
    std::uint8_t bAwaiting = 0;
    std::uint8_t reviewStateOrvo = 0;
    std::uint8_t reviewStateLocal = 0;

    std::uint32_t& ReviewId(bool local) { return local ? nReviewLocal : nReviewOrvo; }
    std::uint32_t ReviewId(bool local) const { return local ? nReviewLocal : nReviewOrvo; }
    std::uint8_t& ReviewState(bool local) { return local ? reviewStateLocal : reviewStateOrvo; }
    std::uint8_t ReviewState(bool local) const { return local ? reviewStateLocal : reviewStateOrvo; }
};

// The state of a review row, kept on its line.
enum ReviewState : std::uint8_t {
    ReviewNone = 0,
    ReviewUnreviewed = 1, // a certain link, placed, not yet looked at
    ReviewAccepted = 2,
    ReviewRejected = 3, // its tags taken back
    ReviewOpen = 4, // needs a decision
};
