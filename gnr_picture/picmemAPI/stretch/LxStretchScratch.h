// Scratch memory of the stretch kernels: tables and buffers that live for one
// call, from the private heap.
#pragma once

#include <cstddef>

#include "w32_system/memory/LxAlloc.h"

namespace lxstretch
{

// count x size bytes (at least one byte), or null when the product overflows
// or the heap refuses.
void* allocScratch(size_t count, size_t size);

// Makes the scratch allocation after the next `skip` ones of the calling
// thread fail, so that tests reach every failure path; a negative skip turns
// it off.
void failScratchAfter(int skip);

// An array of count T (trivial types only), freed at the end of the scope.
template <class T> class Scratch
{
  public:
    explicit Scratch(size_t count) : m_p(static_cast<T*>(allocScratch(count, sizeof(T)))) {}
    ~Scratch() { CLxAlloc::Free(m_p); }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    // Replaces the array by one of count T.
    void reset(size_t count)
    {
        CLxAlloc::Free(m_p);
        m_p = static_cast<T*>(allocScratch(count, sizeof(T)));
    }

    explicit operator bool() const { return m_p != nullptr; }
    T* get() const { return m_p; }
    T& operator[](size_t i) const { return m_p[i]; }

  private:
    T* m_p;
};

} // namespace lxstretch
