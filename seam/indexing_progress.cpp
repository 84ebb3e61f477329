#include "seam/indexing_progress.h"

#include <chrono>
#include <cstdint>
#include <cstdio>

CIndexingProgress::CIndexingProgress(std::uint64_t total, Clock clock)
    : m_total(total)
    , m_clock(clock ? std::move(clock) : Clock([] {
        return static_cast<std::int64_t>(
            std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now().time_since_epoch()).count());
    }))
    , m_start(m_clock())
{
}

std::int64_t CIndexingProgress::Elapsed() const
{
    const std::int64_t e = m_clock() - m_start;
    return e < 0 ? 0 : e;
}

int CIndexingProgress::Percent() const
{
    if (m_total == 0)
        return 0;
    if (m_current >= m_total)
        return 100;
    // In integers: in floating point 29 of 100 comes out as 28.999... and would show 28 %. A
    // current position below the total keeps the product far from overflowing for any real file.
    if (m_current <= UINT64_MAX / 100)
        return static_cast<int>(m_current * 100 / m_total);
    return static_cast<int>(m_current / (m_total / 100));
}

std::string CIndexingProgress::ElapsedText() const
{
    const std::int64_t e = Elapsed();
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d", static_cast<int>(e / 60 % 60), static_cast<int>(e % 60));
    return buf;
}

std::string CIndexingProgress::RemainingText() const
{
    if (m_current == 0)
        return {};
    const double ratio = static_cast<double>(m_total) / static_cast<double>(m_current) - 1.0;
    double r = ratio * static_cast<double>(Elapsed());
    if (r < 0)
        r = 0;
    if (r > 1e12)
        r = 1e12;
    const auto seconds = static_cast<long long>(r);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld", seconds / 60, seconds % 60);
    return buf;
}
