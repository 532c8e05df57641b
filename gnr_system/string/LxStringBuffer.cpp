// The shared character buffers of the strings, their count locks, the shared
// empty buffers and the strings' member lock.
#include <atomic>
#include <cstdint>
#include <cstring>
#include <new>

#include "gnr_system/string/LxStrStorage.h"
#include "gnr_system/string/LxString.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/memory/LxAlloc.h"

pthread_mutexCS_t CLxWORMLock_CS::ms_worm_cs = PTHREAD_MUTEXCS_INITIALIZER;

int CLxWORMLock_CS::rLock()
{
    pthread_mutexCS_lock(&ms_worm_cs);
    return 0;
}

int CLxWORMLock_CS::rUnLock()
{
    pthread_mutexCS_unlock(&ms_worm_cs);
    return 0;
}

int CLxWORMLock_CS::wLock()
{
    return rLock();
}

int CLxWORMLock_CS::wUnLock()
{
    return rUnLock();
}

namespace
{

std::atomic<int> g_storageLeft{-1};

bool storageRefused()
{
    int left = g_storageLeft.load(std::memory_order_relaxed);
    while (left >= 0) {
        if (left == 0)
            return true;
        if (g_storageLeft.compare_exchange_weak(left, left - 1, std::memory_order_relaxed))
            return false;
    }
    return false;
}

// Capacity 2^k - 1: doubling from capacity + 1 (16 without storage) until n
// characters fit; -1 beyond what a signed 32-bit capacity can hold.
int64_t grownCapacity(int capacity, int n)
{
    int64_t size = capacity ? int64_t(capacity) + 1 : 16;
    while (n > size - 1)
        size *= 2;
    return size - 1 > INT32_MAX ? -1 : size - 1;
}

constexpr int kEmptyCapacity = 15;

} // namespace

void LX_StrStorageFailAfter(int count)
{
    g_storageLeft.store(count < 0 ? -1 : count, std::memory_order_relaxed);
}

template <class C> pthread_mutexCS_t SLxStrBuff<C>::ms_cs = PTHREAD_MUTEXCS_INITIALIZER;

template <class C>
SLxStrBuff<C>::SLxStrBuff() : m_nSize(0), m_nAllocated(0), m_nRefs(1), m_pData(nullptr)
{
}

template <class C> SLxStrBuff<C>::SLxStrBuff(int nReserve) : SLxStrBuff()
{
    Reserve(nReserve);
}

template <class C> SLxStrBuff<C>::~SLxStrBuff()
{
    Free();
}

template <class C> C* SLxStrBuff<C>::Reserve(int n)
{
    if (m_nAllocated != 0 && n <= m_nAllocated)
        return m_pData;
    int64_t capacity = grownCapacity(m_nAllocated, n);
    C* storage = nullptr;
    if (capacity >= 0 && !storageRefused()) {
        // The old text and its terminator move along; the new tail is zeroed.
        size_t bytes = size_t(capacity + 1) * sizeof(C);
        storage = static_cast<C*>(m_pData ? CLxAlloc::ReAlloc(m_pData, bytes, LX_HEAP_ZERO_MEMORY)
                                          : CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, bytes));
    }
    if (!storage) {
        LX_DIAG_ASSERT_TEXT(u"! pNewBuff", u"string storage refused");
        return nullptr;
    }
    m_pData = storage;
    m_nAllocated = int(capacity);
    return storage;
}

template <class C> void SLxStrBuff<C>::Free()
{
    if (!m_pData)
        return;
    CLxAlloc::Free(m_pData);
    m_pData = nullptr;
    m_nSize = 0;
    m_nAllocated = 0;
}

template <class C> SLxStrBuff<C>* SLxStrBuff<C>::CloneContent(int nMinCapacity) const
{
    auto* clone = new (std::nothrow) SLxStrBuff;
    if (!clone)
        return nullptr;
    // One allocation of the capacity the clone would have grown to.
    int64_t capacity = grownCapacity(m_nAllocated, nMinCapacity > m_nAllocated ? nMinCapacity : 0);
    if (capacity < 0 || !clone->Reserve(int(capacity))) {
        delete clone;
        return nullptr;
    }
    memcpy(clone->m_pData, m_pData, size_t(m_nSize) * sizeof(C));
    clone->m_nSize = m_nSize;
    return clone;
}

template <class C> void SLxStrBuff<C>::Lock()
{
    pthread_mutexCS_lock(&ms_cs);
}

template <class C> void SLxStrBuff<C>::UnLock()
{
    pthread_mutexCS_unlock(&ms_cs);
}

template <class C> const SLxStrBuff<C>* SLxStrBuff<C>::SharedEmpty()
{
    // Constant-initialised and never destroyed, so that strings in static
    // objects of any module can use it before and after this file's
    // initialisers and exit handlers.
    union Holder {
        constexpr Holder(C* storage) : buffer(StaticTag(), storage, kEmptyCapacity) {}
        ~Holder() {}
        SLxStrBuff buffer;
    };
    static C storage[kEmptyCapacity + 1];
    static Holder holder(storage);
    return &holder.buffer;
}

template struct SLxStrBuff<char>;
template struct SLxStrBuff<char16_t>;
