#include "storage/recent_numbers.h"

#include <algorithm>

#include "storage/archive.h"

void RecentNumbers::AddNumber(std::int32_t number)
{
    if (const auto it = std::find(m_numbers.begin(), m_numbers.end(), number); it != m_numbers.end())
        m_numbers.erase(it);
    m_numbers.push_front(number);
    if (m_numbers.size() > kCapacity)
        m_numbers.pop_back();
}

void RecentNumbers::Serialize(CArchive& ar)
{
    CAbstractDict::Serialize(ar);
    if (ar.IsStoring()) {
        ar.Io(m_numbers);
        return;
    }
    try {
        ar.Io(m_numbers);
    } catch (...) {
        Normalize();
        throw;
    }
    Normalize();
}

void RecentNumbers::Normalize()
{
    // A file written by hand or damaged may repeat a number or hold too many; keep the first
    // occurrence of each, in stored order, and no more than the list can hold.
    std::deque<std::int32_t> kept;
    for (std::int32_t n : m_numbers) {
        if (kept.size() == kCapacity)
            break;
        if (std::find(kept.begin(), kept.end(), n) == kept.end())
            kept.push_back(n);
    }
    m_numbers = std::move(kept);
}
