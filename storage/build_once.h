#pragma once

// A cache built on first use and read by several threads at once: the first reader that finds it
// missing builds it while the others wait, and every later reader only checks a flag. Changing
// what the cache is built from is the owner's single writer's business, with no reader running;
// Reset then says the cache must be built again.

#include <atomic>
#include <mutex>

class CBuildOnce {
public:
    CBuildOnce() = default;
    // A copy of the owner copies its cache as it stands; the lock is never shared.
    CBuildOnce(const CBuildOnce& other) noexcept
        : m_built(other.Built())
    {
    }
    CBuildOnce& operator=(const CBuildOnce& other) noexcept
    {
        m_built.store(other.Built(), std::memory_order_release);
        return *this;
    }

    bool Built() const { return m_built.load(std::memory_order_acquire); }
    void Reset() { m_built.store(false, std::memory_order_release); }

    template <typename Build>
    void Ensure(Build&& build) const
    {
        if (Built())
            return;
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_built.load(std::memory_order_relaxed))
            return;
        build();
        m_built.store(true, std::memory_order_release);
    }

private:
    mutable std::mutex m_mutex;
    mutable std::atomic<bool> m_built { false };
};
