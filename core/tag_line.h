#pragma once

// Tag lines: a hyperlink is a line of its own, 66 characters, standing directly before the text
// line it links from. Two characters of code 4, "СС_", a body, then hyphens.
//
//   intra-base:  \x04\x04СС_<kind>_<number>[_<line>][-О][-П]#------...
//   inter-base:  \x04\x04СС_НУЛ_<number>_LAW#------...
//
// Only the marker "_LAW#-" tells an inter-base line from an intra-base null link.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

inline constexpr std::size_t kTagLineLength = 66;

struct LinkKind {
    std::string_view code;        // code page 1251
    std::string_view description; // code page 1251
};

// The link kinds in the order the tag dialogs list them; position kNullLinkKind is preselected.
const std::array<LinkKind, 10>& LinkKinds();
inline constexpr int kNullLinkKind = 5;

std::string FormatLocalTag(std::string_view kindCode, std::int32_t number, std::int32_t lineNumber, bool keyO, bool keyP);
std::string FormatOrvoTag(std::int32_t number);

bool IsTagLine(std::string_view line);
bool IsOrvoTagLine(std::string_view line);
bool IsLocalTagLine(std::string_view line);
// The document number of a tag line: the decimal prefix of the text from position 9.
std::int32_t ParseTagNumber(std::string_view line);
