// The reference count of an object that several threads may hold: each
// change is one atomic step, so two threads releasing at once never both
// see the same count, and the last release sees every earlier holder's
// writes before the object is freed.
#pragma once

#include <atomic>
#include <cstdint>

class CLxRefCount
{
  public:
    explicit CLxRefCount(uint32_t initial) : m_count(initial) {}
    CLxRefCount(const CLxRefCount&) = delete;
    CLxRefCount& operator=(const CLxRefCount&) = delete;

    // Adds 1; returns the new count.
    uint32_t Increment() { return m_count.fetch_add(1, std::memory_order_relaxed) + 1; }

    // Subtracts 1 and sets *left to the new count; false, with the count
    // left at 0, when it already was 0.
    bool Decrement(uint32_t* left)
    {
        uint32_t count = m_count.load(std::memory_order_relaxed);
        do {
            if (count == 0) {
                *left = 0;
                return false;
            }
        } while (!m_count.compare_exchange_weak(count, count - 1, std::memory_order_acq_rel,
                                                std::memory_order_relaxed));
        *left = count - 1;
        return true;
    }

    uint32_t Get() const { return m_count.load(std::memory_order_relaxed); }

  private:
    std::atomic<uint32_t> m_count;
};
