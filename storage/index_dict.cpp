#include "storage/index_dict.h"

#include "storage/archive.h"

std::int32_t CIndexDict::AddName(const std::string& text)
{
    const auto [it, inserted] = m_map.try_emplace(text, static_cast<std::int32_t>(m_map.size()));
    if (inserted)
        m_byIdBuilt.Reset();
    return it->second;
}

bool CIndexDict::FindId(const std::string& text, std::int32_t& id) const
{
    const auto it = m_map.find(text);
    if (it == m_map.end())
        return false;
    id = it->second;
    return true;
}

bool CIndexDict::FindName(std::int32_t id, std::string& text) const
{
    if (id < 0 || static_cast<std::size_t>(id) >= m_map.size()) {
        // Only a damaged or hand-made file holds such ids: walk the texts in order.
        for (const auto& [name, nameId] : m_map) {
            if (nameId == id) {
                text = name;
                return true;
            }
        }
        return false;
    }
    m_byIdBuilt.Ensure([this] {
        // The first text in text order for each id, as a walk over the map would find it.
        m_byId.assign(m_map.size(), nullptr);
        for (const auto& [name, nameId] : m_map) {
            if (nameId >= 0 && static_cast<std::size_t>(nameId) < m_byId.size() && !m_byId[nameId])
                m_byId[nameId] = &name;
        }
    });
    if (!m_byId[id])
        return false;
    text = *m_byId[id];
    return true;
}

void CIndexDict::Clear()
{
    m_map.clear();
    m_byId.clear();
    m_byIdBuilt.Reset();
}

void CIndexDict::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteInt(static_cast<std::int32_t>(m_map.size()));
        for (const auto& [name, id] : m_map) {
            ar.WriteString(name);
            ar.WriteInt(id);
        }
        return;
    }
    // Each entry takes at least its one-byte length and its id.
    const std::uint32_t count = ar.ReadCount(5);
    Clear();
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string name = ar.ReadString();
        const std::int32_t id = ar.ReadInt();
        m_map.try_emplace(std::move(name), id);
    }
}
