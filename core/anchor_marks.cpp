#include "core/anchor_marks.h"

#include <algorithm>

#include "base/codepage.h"

std::string TypeStem(const std::string& type)
{
    if (type.size() == 4)
        return type.substr(0, 3);
    if (type.size() >= 5)
        return type.substr(0, type.size() - 2);
    return type;
}

StemMark MarkStem(std::string& line, const std::string& stem)
{
    // An empty stem would "occur" at the start of every line.
    if (stem.empty())
        return StemMark::Absent;
    const std::size_t p = codepage::ToUpper1251(line).find(stem);
    if (p == std::string::npos)
        return StemMark::Absent;
    if (p > 0 && line[p - 1] == kAnchorStart)
        return StemMark::Anchored;
    std::size_t blank = line.size();
    for (std::size_t q = p + 1; q < line.size(); ++q) {
        if (line[q] == ' ') {
            blank = q;
            break;
        }
        if (line[q] == kAnchorEnd || line[q] == kAnchorSeparator)
            return StemMark::Anchored;
    }
    if (blank < line.size() && blank <= kAnchorEndLimit)
        line[blank] = kAnchorEnd;
    if (p > 0) {
        std::size_t s = p - 1;
        const bool opener = line[s] == '"' || line[s] == '(';
        if (!opener)
            line[s] = kAnchorStart;
        else if (s > 0)
            line[s - 1] = kAnchorStart;
    }
    return StemMark::Marked;
}

bool MarkTypeAnchor(std::string& line, const std::vector<std::string>& types)
{
    for (const std::string& type : types) {
        if (MarkStem(line, TypeStem(type)) != StemMark::Absent)
            return true;
    }
    return false;
}

bool ClearMarkers(std::string& line, std::size_t start, std::size_t end)
{
    end = std::min(end, line.size());
    bool changed = false;
    for (std::size_t i = start; i < end; ++i) {
        if (IsAnchorMarker(line[i])) {
            line[i] = ' ';
            changed = true;
        }
    }
    return changed;
}

bool PutMarker(std::string& line, std::size_t start, std::size_t end, char marker)
{
    if (end != start + 1 || end > line.size() || line[start] != ' ' || !IsAnchorMarker(marker))
        return false;
    line[start] = marker;
    return true;
}

bool MarkSelectionAsAnchor(std::string& line, std::size_t start, std::size_t end)
{
    const std::size_t limit = std::min(line.size(), kAnchorEndLimit);
    start = std::min(start, limit);
    end = std::clamp(end, start, limit);
    while (start > 0 && line[start - 1] != ' ')
        --start;
    while (end < limit && line[end] != ' ')
        ++end;
    if (start == end)
        return false;
    const bool blankBefore = start > 0; // widening stops only at a blank or the line start
    const bool blankAfter = end < line.size() && line[end] == ' ';
    if (!blankBefore && !blankAfter)
        return false;
    if (blankBefore)
        line[start - 1] = kAnchorStart;
    // A run that reaches position 66 keeps the blank after it: an end marker there would lie
    // outside the line's width.
    if (blankAfter && (start == 0 || end < kAnchorEndLimit))
        line[end] = kAnchorEnd;
    return true;
}

bool SeparateWords(std::string& line, std::size_t start, std::size_t end)
{
    end = std::min(end, line.size());
    bool changed = false;
    for (std::size_t i = start + 1; i < end; ++i) {
        if (line[i] != ' ' && !IsAnchorMarker(line[i]) && line[i - 1] == ' ') {
            line[i - 1] = kAnchorSeparator;
            changed = true;
        }
    }
    return changed;
}
