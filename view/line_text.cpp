#include "view/line_text.h"

#include <array>

#include "base/codepage.h"

namespace {

struct FramePiece {
    unsigned char code;
    char16_t box;
    std::uint8_t arms;
};

// The in-memory codes of the frame (see the reading of *.rla files) and what they draw.
constexpr std::array<FramePiece, 11> kFramePieces = { {
    { 0x1B, u'\u250C', ArmRight | ArmDown },                  // top left corner
    { 0x16, u'\u2500', ArmLeft | ArmRight },                  // horizontal line
    { 0x18, u'\u252C', ArmLeft | ArmRight | ArmDown },        // top tee
    { 0x1A, u'\u2510', ArmLeft | ArmDown },                   // top right corner
    { 0x12, u'\u2502', ArmUp | ArmDown },                     // vertical line
    { 0x10, u'\u251C', ArmUp | ArmDown | ArmRight },          // left tee
    { 0x13, u'\u253C', ArmLeft | ArmRight | ArmUp | ArmDown }, // cross
    { 0x11, u'\u2524', ArmUp | ArmDown | ArmLeft },           // right tee
    { 0x1C, u'\u2514', ArmRight | ArmUp },                    // bottom left corner
    { 0x19, u'\u2534', ArmLeft | ArmRight | ArmUp },          // bottom tee
    { 0x15, u'\u2518', ArmLeft | ArmUp },                     // bottom right corner
} };

std::array<LineGlyph, 256> BuildGlyphs()
{
    std::array<LineGlyph, 256> glyphs {};
    for (int b = 0; b < 256; ++b) {
        LineGlyph& g = glyphs[b];
        if (b >= 0x80)
            g.display = codepage::kCp1251High[b - 0x80];
        else if (b < 0x20)
            g = { GlyphKind::Control, static_cast<char16_t>(0x2400 + b), 0 }; // the Unicode control pictures
        else if (b == 0x7F)
            g = { GlyphKind::Control, u'\u2421', 0 };
        else
            g.display = static_cast<char16_t>(b);
    }
    // Symbols that no code page 1251 character looks like, so a marker is never taken for text.
    glyphs[0x01] = { GlyphKind::AnchorStart, u'\u25B6', 0 };
    glyphs[0x02] = { GlyphKind::AnchorEnd, u'\u25C0', 0 };
    glyphs[0x03] = { GlyphKind::AnchorSeparator, u'\u2016', 0 };
    glyphs[0x04] = { GlyphKind::TagLead, u'\u25C6', 0 };
    for (const FramePiece& piece : kFramePieces)
        glyphs[piece.code] = { GlyphKind::Frame, piece.box, piece.arms };
    return glyphs;
}

} // namespace

const LineGlyph& GlyphOf(unsigned char byte)
{
    static const std::array<LineGlyph, 256> glyphs = BuildGlyphs();
    return glyphs[byte];
}

QString LineDisplayText(std::string_view line)
{
    QString out(static_cast<qsizetype>(line.size()), Qt::Uninitialized);
    QChar* data = out.data();
    for (std::size_t i = 0; i < line.size(); ++i)
        data[i] = QChar(GlyphOf(static_cast<unsigned char>(line[i])).display);
    return out;
}

std::vector<LineRun> SplitLineRuns(std::string_view line)
{
    // An end marker before any start marker means the anchor began at the line start.
    bool anchored = false;
    for (char c : line) {
        if (c == '\x01')
            break;
        if (c == '\x02') {
            anchored = true;
            break;
        }
    }

    std::vector<LineRun> runs;
    const int n = static_cast<int>(line.size());
    for (int i = 0; i < n;) {
        const GlyphKind kind = GlyphOf(static_cast<unsigned char>(line[i])).kind;
        if (kind != GlyphKind::Text) {
            runs.push_back({ i, 1, LineRun::Glyph });
            if (kind == GlyphKind::AnchorStart)
                anchored = true;
            else if (kind == GlyphKind::AnchorEnd)
                anchored = false;
            ++i;
            continue;
        }
        int j = i + 1;
        while (j < n && GlyphOf(static_cast<unsigned char>(line[j])).kind == GlyphKind::Text)
            ++j;
        runs.push_back({ i, j - i, anchored ? LineRun::Anchor : LineRun::Text });
        i = j;
    }
    return runs;
}
