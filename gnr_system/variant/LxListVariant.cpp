// The member sequence of list variants.
#include "gnr_system/variant/LxListVariant.h"

#include <cstring>
#include <utility>

#include "gnr_system/variant/LxVariant.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/memory/LxAlloc.h"

pthread_mutexCS_t CLxListVariant::ms_cs = PTHREAD_MUTEXCS_INITIALIZER;

void CLxListVariant::Lock()
{
    pthread_mutexCS_lock(&ms_cs);
}

void CLxListVariant::UnLock()
{
    pthread_mutexCS_unlock(&ms_cs);
}

void* CLxListVariant::operator new(size_t size) noexcept
{
    return CLxAlloc::Alloc(0, size);
}

void CLxListVariant::operator delete(void* block) noexcept
{
    CLxAlloc::Free(block);
}

CLxListVariant::CLxListVariant() : m_items(nullptr), m_count(0), m_capacity(0) {}

CLxListVariant::CLxListVariant(const CLxListVariant& other) : CLxListVariant()
{
    *this = other;
}

CLxListVariant& CLxListVariant::operator=(const CLxListVariant& other)
{
    if (&other == this)
        return *this;
    CLxListVariantLock lock;
    // Build the copy first: other may be a member of this sequence's tree.
    CLxListVariant copy;
    if (copy.Reserve(other.m_count)) {
        for (int i = 0; i < other.m_count; ++i) {
            if (!copy.Append(*other.m_items[i]))
                break;
        }
    }
    if (copy.m_count != other.m_count)
        LX_DIAG_ASSERT_TEXT(u"copy.Number() != list.Number()",
                            u"Error: CLxListVariant, out of memory while copying!");
    Swap(copy);
    return *this;
}

CLxListVariant::~CLxListVariant()
{
    Clear();
    CLxAlloc::Free(m_items);
}

CLxVariant* CLxListVariant::GetAt(int index) const
{
    return index >= 0 && index < m_count ? m_items[index] : nullptr;
}

bool CLxListVariant::Reserve(int count)
{
    if (count <= m_capacity)
        return true;
    int capacity = m_capacity ? m_capacity : 4;
    while (capacity < count) {
        if (capacity > (1 << 29))
            return false;
        capacity *= 2;
    }
    void* grown = CLxAlloc::ReAlloc(m_items, size_t(capacity) * sizeof(CLxVariant*), 0);
    if (!grown)
        return false;
    m_items = static_cast<CLxVariant**>(grown);
    m_capacity = capacity;
    return true;
}

CLxVariant* CLxListVariant::Append(const CLxVariant& item)
{
    return Insert(m_count, item);
}

CLxVariant* CLxListVariant::Insert(int index, const CLxVariant& item)
{
    CLxListVariantLock lock;
    if (index < 0 || index > m_count || m_count == INT32_MAX || !Reserve(m_count + 1))
        return nullptr;
    CLxVariant* copy = new CLxVariant(item);
    if (!copy)
        return nullptr;
    std::memmove(m_items + index + 1, m_items + index, size_t(m_count - index) * sizeof *m_items);
    m_items[index] = copy;
    ++m_count;
    return copy;
}

bool CLxListVariant::Delete(int index)
{
    CLxListVariantLock lock;
    if (index < 0 || index >= m_count)
        return false;
    CLxVariant* gone = m_items[index];
    std::memmove(m_items + index, m_items + index + 1,
                 size_t(m_count - index - 1) * sizeof *m_items);
    --m_count;
    delete gone;
    return true;
}

void CLxListVariant::Clear()
{
    CLxListVariantLock lock;
    // Detach first: a member's destructor must never see a half-freed list.
    CLxVariant** items = m_items;
    int count = m_count;
    m_count = 0;
    for (int i = 0; i < count; ++i)
        delete items[i];
}

void CLxListVariant::Swap(CLxListVariant& other)
{
    CLxListVariantLock lock;
    std::swap(m_items, other.m_items);
    std::swap(m_count, other.m_count);
    std::swap(m_capacity, other.m_capacity);
}
