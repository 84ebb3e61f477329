#pragma once

// The document being processed: an *.rla file split into its header fields and its text lines.
// Files are code page 866; in memory every line is code page 1251, with the single-line frame
// characters of text lines turned into control codes so that they survive the conversion.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/ole_date.h"

class CUserInterface;

class CRlaText {
public:
    std::vector<std::string> headerLines; // from the first line up to and including the "$18" line
    std::vector<std::string> textLines;   // every line after it
    std::string path;                     // UTF-8

    // Replaces the whole content with the file's. On failure the holder is empty except the path.
    // bytesHash, when given, receives the hash (CBytesHash) of all the bytes read.
    bool ReadRla(const std::string& filePath, CUserInterface& ui, std::uint64_t* bytesHash = nullptr);
    // Writes header and text lines to path, each ended by CR LF; the old file stays as it was
    // when anything goes wrong. bytesHash, when given, receives the hash of the bytes written.
    bool WriteRla(CUserInterface& ui, std::uint64_t* bytesHash = nullptr) const;
    // The same split from bytes already in memory (the path stays); false for bytes that are no
    // text document (NUL bytes), the holder then empty.
    bool ReadBytes(std::string bytes);
    // The bytes WriteRla writes for these lines.
    static std::string Encode(const std::vector<std::string>& header, const std::vector<std::string>& text);
    // Whether the header ends in the line that starts the document text (a file without it is
    // all header and has no text to analyse).
    bool HasTextStart() const;
    void Clear();

    // The adoption dates (ascending) and the edition date of the header, read when first asked for.
    void GetDates(std::vector<COleDate>& adoption, COleDate& edition) const;
    // The edition date when it is later than every adoption date, else the latest adoption date.
    COleDate GetEffectiveDate() const;
    // Whoever replaces headerLines calls this, so that the dates are read again.
    void InvalidateDates() { m_datesParsed = 0; }

    // Where an analysis starts: the leading comments, title block and table of contents skipped.
    static std::size_t FindFirstTextLine(const std::vector<std::string>& lines);
    // Blocks that no analysis examines: ЛИП, ЛЕВ or ПРВ marker up to the next !!! marker.
    static bool IsBlockStart(std::string_view line);
    static bool IsBlockEnd(std::string_view line);
    static bool IsCommentLine(std::string_view line);
    static bool IsBlankLine(std::string_view line);

private:
    void ParseHeaderDates() const;

    // A cache of what headerLines say, hence mutable.
    mutable std::int32_t m_datesParsed = 0;
    mutable std::vector<COleDate> m_adoptionDates;
    mutable COleDate m_editionDate = COleDate::NoDate();
};
