#pragma once

// The numbers of the documents linked last, most recent first: no number twice, at most 20.
// The tag dialogs offer them as choices.

#include <cstddef>
#include <cstdint>
#include <deque>

#include "storage/abstract_dict.h"

class RecentNumbers : public CAbstractDict {
public:
    static constexpr std::size_t kCapacity = 20;

    void AddNumber(std::int32_t number);
    const std::deque<std::int32_t>& Numbers() const { return m_numbers; }

    // Stored as a list of 32-bit integers, most recent first. A load that fails midway keeps the
    // numbers read so far.
    void Serialize(CArchive& ar) override;

private:
    void Normalize();

    std::deque<std::int32_t> m_numbers;
};
