#pragma once

// What the import's progress dialog "Индексирование" shows: the share done, the time gone by and
// an estimate of the time left. The engine computes the texts; the dialog only shows them and
// turns Cancel into a request the import sees at its next line.

#include <cstdint>
#include <functional>
#include <string>

class CIndexingProgress {
public:
    // Seconds on a steady clock; tests give their own.
    using Clock = std::function<std::int64_t()>;

    explicit CIndexingProgress(std::uint64_t total, Clock clock = {});

    void SetPos(std::uint64_t current) { m_current = current; }
    std::uint64_t Total() const { return m_total; }
    std::uint64_t Pos() const { return m_current; }

    // (current / total) * 100, truncated, within 0..100.
    int Percent() const;
    // "mm:ss" of the time since the start; the minutes wrap at 60 like a clock's.
    std::string ElapsedText() const;
    // "%02i:%02i" of (total / current - 1) * elapsed seconds; minutes do not wrap. Empty before
    // the first report of progress, when nothing can be estimated.
    std::string RemainingText() const;

    void Cancel() { m_cancelled = true; }
    bool IsCancelled() const { return m_cancelled; }

private:
    std::int64_t Elapsed() const;

    std::uint64_t m_total;
    std::uint64_t m_current = 0;
    Clock m_clock;
    std::int64_t m_start;
    bool m_cancelled = false;
};
