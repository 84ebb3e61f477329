#pragma once

// The documents the kill loop's child writes, one per sequence number: every third one large, so
// that many kills land in the middle of a write. The parent builds the same to compare.

#include <cstdint>
#include <string>

#include "document/recovery.h"

inline recovery::CSnapshot KillLoopSnapshot(std::uint64_t sequence)
{
    recovery::CSnapshot snapshot;
    snapshot.headerLines = { "$1  Name", "Document " + std::to_string(sequence), "$18  Text" };
    const std::uint64_t lines = sequence % 3 == 0 ? 120000 : 40 + sequence * 7;
    snapshot.textLines.reserve(lines);
    for (std::uint64_t k = 0; k < lines; ++k)
        snapshot.textLines.push_back("line " + std::to_string(k) + " of write " + std::to_string(sequence));
    snapshot.data.path = "/documents/kill-" + std::to_string(sequence) + ".rla";
    snapshot.data.changes = static_cast<std::uint32_t>(sequence);
    snapshot.data.bookmarks = { 1, static_cast<std::uint32_t>(lines - 1) };
    snapshot.data.review.lineCount = static_cast<std::uint32_t>(lines);
    return snapshot;
}
