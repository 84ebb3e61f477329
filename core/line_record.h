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
    std::int32_t bBookmark = 0;
    CDocRecvisits recvOrvo;  // the Orvo document the tag line points to or the line proposes
    CDocRecvisits recvLocal; // the local document the tag line points to or the line proposes
    CDocRecvisits recvFound; // what the analyses recognised in the line itself
    std::int32_t bSuspectLocal = 0;
    std::int32_t bSuspectOrvo = 0;
    // A tag a pass placed and asks about now: while the question waits it may not be deleted,
    // cut, moved or edited. Never stored; clear at every other time.
    std::int32_t bAwaiting = 0;
};
