#pragma once

// How the bytes of a document line look on screen. Lines keep control codes in memory: two
// characters of code 4 lead every tag and marker line, codes 1, 2 and 3 start, end and separate
// anchors, and codes 10..1C (hexadecimal) stand for the single-line frame of tables. None of them
// may vanish from the screen or take more than one character cell, or the fixed-pitch columns
// of the document would no longer line up.

#include <cstdint>
#include <string_view>
#include <vector>

#include <QString>

enum class GlyphKind : std::uint8_t {
    Text,
    TagLead,         // code 4
    AnchorStart,     // code 1
    AnchorEnd,       // code 2
    AnchorSeparator, // code 3
    Frame,           // a single-line frame piece
    Control,         // any other control code
};

// The arms of a frame piece, from the centre of its cell to its edges.
enum FrameArm : std::uint8_t { ArmLeft = 1, ArmRight = 2, ArmUp = 4, ArmDown = 8 };

struct LineGlyph {
    GlyphKind kind = GlyphKind::Text;
    char16_t display = 0;  // the one character that stands for the byte in display text
    std::uint8_t arms = 0; // frame pieces only
};

const LineGlyph& GlyphOf(unsigned char byte);

// The line as one Unicode character per byte: code page 1251 letters as they are, frame codes as
// box-drawing characters, the other control codes as visible symbols.
QString LineDisplayText(std::string_view line);

// A stretch of a line drawn one way: plain text, anchored text (drawn like a link), or a single
// control code with its own glyph.
struct LineRun {
    enum Kind : std::uint8_t { Text, Anchor, Glyph };
    int start = 0;
    int length = 0;
    Kind kind = Text;
};

// Splits a line into runs. Anchored words lie between a start and an end marker; an end marker
// with no start before it anchors from the line start (a word that begins the line has no room
// for a start marker), and a start marker with no end anchors up to the line end.
std::vector<LineRun> SplitLineRuns(std::string_view line);
