// Buffers of the wavelet code: malloc'd, released together at the end of a
// call unless handed over to the caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace lxwavelet
{

// malloc of count elements of T; null when the byte count overflows or the
// memory cannot be had.
template <class T> T* allocArray(size_t count)
{
    if (count == 0 || count > SIZE_MAX / sizeof(T))
        return nullptr;
    return static_cast<T*>(std::malloc(count * sizeof(T)));
}

// Up to kMax buffers of one call; whatever is still owned is freed when the
// call ends.
class CWaveletScratch
{
  public:
    CWaveletScratch() = default;
    ~CWaveletScratch()
    {
        for (size_t i = 0; i < m_count; ++i)
            std::free(m_buffers[i]);
    }
    CWaveletScratch(const CWaveletScratch&) = delete;
    CWaveletScratch& operator=(const CWaveletScratch&) = delete;

    // A new buffer owned by this set, or null (then all later calls are
    // null as well, so one check at the end suffices).
    template <class T> T* take(size_t count)
    {
        if (m_failed || m_count == kMax)
            return fail<T>();
        T* p = allocArray<T>(count);
        if (!p)
            return fail<T>();
        m_buffers[m_count++] = p;
        return p;
    }
    bool failed() const { return m_failed; }
    // Gives up ownership of every buffer taken so far: they now belong to the
    // caller.
    void release() { m_count = 0; }

  private:
    template <class T> T* fail()
    {
        m_failed = true;
        return nullptr;
    }
    static constexpr size_t kMax = 16;
    void* m_buffers[kMax] = {};
    size_t m_count = 0;
    bool m_failed = false;
};

} // namespace lxwavelet
