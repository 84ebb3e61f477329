#pragma once

// Gives each distinct text a small integer id, so that document records keep lists of ids
// instead of repeated texts. Ids are dense, 0..count-1, in the order the texts were first added.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "storage/build_once.h"

class CArchive;

class CIndexDict {
public:
    CIndexDict() = default;
    // The reverse table points into the map it was built for, so a copy starts without one.
    CIndexDict(const CIndexDict& other)
        : m_map(other.m_map)
    {
    }
    CIndexDict& operator=(const CIndexDict& other)
    {
        if (this != &other) {
            m_map = other.m_map;
            m_byId.clear();
            m_byIdBuilt.Reset();
        }
        return *this;
    }
    CIndexDict(CIndexDict&&) noexcept = default;
    CIndexDict& operator=(CIndexDict&&) noexcept = default;

    // Inserts the text with the next id unless it is there already. Texts are taken as they are.
    // Returns the text's id.
    std::int32_t AddName(const std::string& text);
    bool FindId(const std::string& text, std::int32_t& id) const;
    // The first text, in text order, carrying the id.
    bool FindName(std::int32_t id, std::string& text) const;

    std::size_t Count() const { return m_map.size(); }
    void Clear();
    const std::map<std::string, std::int32_t>& Entries() const { return m_map; }

    // Count, then the entries in ascending text order: text, id. On loading a text that occurs
    // twice keeps its first id; ids are taken as stored.
    void Serialize(CArchive& ar);

private:
    // Texts compare as unsigned bytes, which std::string's ordering is.
    std::map<std::string, std::int32_t> m_map;
    // id -> text, so that FindName needs no walk over the map; rebuilt after changes.
    // Built by the first of the threads that read the dictionary at once.
    mutable std::vector<const std::string*> m_byId;
    CBuildOnce m_byIdBuilt;
};
