// The member sequence of a list or record variant.
#pragma once

#include <cstddef>

#include "w32_system/LxExport.h"
#include "w32_system/LxMutexCS.h"

class CLxVariant;

// An ordered sequence of variants, each owned by the sequence: a member
// enters as a copy and is freed when it leaves or the sequence dies. Copying
// a sequence copies every member (deeply). Members are held in a contiguous
// array of pointers that grows by doubling, so access by position is direct.
//
// Every walk or change of any sequence in the process runs under one
// re-entrant list lock (Lock/UnLock), so work on different trees from several
// threads is safe; one tree is still changed by one thread at a time.
//
// Storage comes from the private heap (CLxAlloc). When it is refused, an
// operation that adds a member returns null and changes nothing; a copy
// keeps the members that fitted and reports the loss.
class LX_EXPORT CLxListVariant
{
  public:
    CLxListVariant();
    CLxListVariant(const CLxListVariant& other);
    CLxListVariant& operator=(const CLxListVariant& other);
    ~CLxListVariant();

    // The number of members.
    int Number() const { return m_count; }
    // The member at index, or null outside 0..Number()-1.
    CLxVariant* GetAt(int index) const;
    CLxVariant* operator[](int index) const { return GetAt(index); }

    // A copy of item as the new last member; the copy, or null when storage
    // is refused.
    CLxVariant* Append(const CLxVariant& item);
    // A copy of item before the member at index (index == Number() appends);
    // the copy, or null for an index outside 0..Number() or refused storage.
    CLxVariant* Insert(int index, const CLxVariant& item);
    // Frees the member at index; the later ones move up. False outside
    // 0..Number()-1.
    bool Delete(int index);
    // Frees every member.
    void Clear();
    // Exchanges the members of two sequences (no copies).
    void Swap(CLxListVariant& other);

    // The process-wide list lock (re-entrant).
    static void Lock();
    static void UnLock();
    static pthread_mutexCS_t ms_cs;

    static void* operator new(size_t size) noexcept;
    static void operator delete(void* block) noexcept;

  private:
    bool Reserve(int count);

    CLxVariant** m_items; // m_capacity slots, the first m_count in use
    int m_count;
    int m_capacity;
};

// Holds the list lock for a scope.
class CLxListVariantLock
{
  public:
    CLxListVariantLock() { CLxListVariant::Lock(); }
    ~CLxListVariantLock() { CLxListVariant::UnLock(); }
    CLxListVariantLock(const CLxListVariantLock&) = delete;
    CLxListVariantLock& operator=(const CLxListVariantLock&) = delete;
};
