// A work block per thread and purpose, kept between calls: the Fourier
// transforms' large scratch would otherwise come as fresh pages on every
// call, and the first touch of each page costs more than the work on it.
#pragma once

#include <cstddef>

#include "w32_system/memory/LxAlloc.h"

namespace lxpic
{

// At least `bytes` bytes (uninitialised), or null when the heap refuses.
// Purpose is any type naming the use: each has its own block on each
// thread. A second holder of the same purpose alive on the thread (a
// nested call) gets a block of its own, released with it.
template <class Purpose> class ThreadBlock
{
  public:
    explicit ThreadBlock(size_t bytes)
    {
        Slot& slot = s_slot;
        if (slot.busy) {
            m_own = CLxAlloc::Alloc(0, bytes ? bytes : 1);
            m_block = m_own;
            return;
        }
        if (slot.bytes < bytes || !slot.block) {
            CLxAlloc::Free(slot.block);
            slot.bytes = 0;
            slot.block = CLxAlloc::Alloc(0, bytes ? bytes : 1);
            if (!slot.block)
                return;
            slot.bytes = bytes;
        }
        slot.busy = true;
        m_slot = &slot;
        m_block = slot.block;
    }
    ~ThreadBlock()
    {
        if (m_slot)
            m_slot->busy = false;
        CLxAlloc::Free(m_own);
    }
    ThreadBlock(const ThreadBlock&) = delete;
    ThreadBlock& operator=(const ThreadBlock&) = delete;

    template <class T> T* as() const { return static_cast<T*>(m_block); }

  private:
    struct Slot {
        void* block = nullptr;
        size_t bytes = 0;
        bool busy = false;
        ~Slot() { CLxAlloc::Free(block); }
    };
    static thread_local Slot s_slot;

    Slot* m_slot = nullptr;
    void* m_own = nullptr;
    void* m_block = nullptr;
};

template <class Purpose>
thread_local typename ThreadBlock<Purpose>::Slot ThreadBlock<Purpose>::s_slot;

} // namespace lxpic
