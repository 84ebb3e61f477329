#pragma once

// The settings the document keeps from one run to the next, stored in Telvarion.dat: the
// notepad, the view font, the ten hot documents and the two folders.

#include <array>
#include <cstdint>
#include <string>

#include "orvo/orvo_link_dict.h"

inline constexpr const char* kSettingsFile = "Telvarion.dat";
inline constexpr const char* kRecentOrvoFile = "Telvarion.lst";
inline constexpr const char* kRecentLocalFile = "Telvarion.llc";

struct CDocSettings {
    COrvoLinkDict notepad;
    std::uint8_t fontPitchAndFamily = 1; // fixed pitch
    std::string fontFace = "Courier New";
    std::array<std::int32_t, 10> hotDocuments {}; // Orvo numbers of slots 0..9; 0 is an empty slot
    std::string inputFolder;  // UTF-8 paths
    std::string outputFolder;

    // The notepad, the font's pitch and family (a byte), its face, the ten hot documents, the
    // input folder, the output folder. A load that fails keeps what it read before the failure.
    void Serialize(CArchive& ar);
};
