#pragma once

// Anchor markers: the words of a text line that carry a link are framed by an anchor start
// (code 1) and an anchor end (code 2); an anchor separator (code 3) splits one framed run into
// several anchors. A marker always takes the place of a character, so a line keeps its length.

#include <cstddef>
#include <string>
#include <vector>

inline constexpr char kAnchorStart = '\x01';
inline constexpr char kAnchorEnd = '\x02';
inline constexpr char kAnchorSeparator = '\x03';
// The last position an anchor end may take: the width of a document line.
inline constexpr std::size_t kAnchorEndLimit = 66;

inline bool IsAnchorMarker(char c) { return c == kAnchorStart || c == kAnchorEnd || c == kAnchorSeparator; }

// A type word cut to the stem that is looked for in a line: a word of four characters loses its
// last one, a longer word its last two.
std::string TypeStem(const std::string& type);

enum class StemMark {
    Absent,   // the stem is not in the line
    Anchored, // it is, but already inside an anchor: nothing written
    Marked,   // markers written around its word
};

// Looks for the stem (upper case, code page 1251) in the line and frames the word it begins: an
// end marker in place of the blank after the word (when that blank lies at position 66 or
// less), a start marker in place of the character before the word or before the quote or
// parenthesis directly in front of it (when that is inside the line).
StemMark MarkStem(std::string& line, const std::string& stem);

// The anchor of a tag placed by hand: the first of the type stems found in the line is framed
// (unless already anchored). True when a stem was found, whether or not markers were written.
bool MarkTypeAnchor(std::string& line, const std::vector<std::string>& types);

// ---- the operations of the in-place anchor editor, on the line's text -------------------------

// Every marker in [start, end) becomes a blank again. True when something changed.
bool ClearMarkers(std::string& line, std::size_t start, std::size_t end);

// A single selected blank becomes the marker; false (nothing changed) for any other selection.
bool PutMarker(std::string& line, std::size_t start, std::size_t end, char marker);

// Frames the words the selection [start, end) touches as one anchor: the selection is widened to
// whole words (the end not past position 66), the blank before them becomes the start marker and
// the blank after them the end marker. A run at the line start gets only the end marker, one
// ending the line (or at position 66) only the start marker. A run with no blank on either side
// cannot be framed without changing the line's length: false, nothing changed.
bool MarkSelectionAsAnchor(std::string& line, std::size_t start, std::size_t end);

// Makes every word of [start, end) an anchor of its own: the blank before each word that
// follows blanks inside the range becomes a separator. True when something changed.
bool SeparateWords(std::string& line, std::size_t start, std::size_t end);
