#pragma once

// The base of the two reference makers: each owns the dictionaries of its base, loads and stores
// them in its service files, and keeps the statistics of the document opened last.

#include <cstdint>
#include <string>

class CUserInterface;

class CRefMaker {
public:
    explicit CRefMaker(CUserInterface& ui)
        : m_ui(ui)
    {
    }
    virtual ~CRefMaker() = default;
    CRefMaker(const CRefMaker&) = delete;
    CRefMaker& operator=(const CRefMaker&) = delete;

    std::int32_t nExistingTags = 0;
    std::int32_t nPlacedTags = 0;
    std::int32_t nSuspiciousLines = 0;
    // The dictionaries differ from the service files. Set at first, so a maker whose files could
    // not be loaded writes them at its first save.
    std::int32_t bModified = 1;

    // Loads the service files from the folder; false when any could not be read.
    virtual bool LoadFiles(const std::string& folder) = 0;
    // Stores them when modified.
    virtual void SaveFiles(const std::string& folder) = 0;

    void ResetCounters(bool full)
    {
        nExistingTags = 0;
        nPlacedTags = 0;
        if (full)
            nSuspiciousLines = 0;
    }

    CUserInterface& Ui() const { return m_ui; }

protected:
    CUserInterface& m_ui;
};
