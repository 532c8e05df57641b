#include "gnr_system/LxList.h"

#include <cstdlib>

#include "w32_system/debugging/LxDiag.h"
#include "w32_system/memory/LxAlloc.h"

// ---- CLxKey -------------------------------------------------------------------

CLxList::CLxKey::CLxKey() : m_keyType(lxKEY_NONE), m_intKey(0) {}

CLxList::CLxKey::CLxKey(int key) : m_keyType(lxKEY_INT), m_intKey(key) {}

CLxList::CLxKey::CLxKey(const char16_t* key)
    : m_keyType(lxKEY_STRING), m_intKey(0), m_stringKey(key ? key : u"")
{
}

void CLxList::CLxKey::SetKey(const CLxKey& value)
{
    if (m_keyType != value.m_keyType) {
        LX_DIAG_ASSERT_TEXT(u"m_keyType != value.m_keyType", u"Error: Key type mismatch.");
        return;
    }
    m_intKey = value.m_intKey;
    m_stringKey = value.m_stringKey;
}

bool CLxList::CLxKey::operator==(const CLxKey& other) const
{
    if (m_keyType != other.m_keyType) {
        LX_DIAG_ASSERT_TEXT(u"m_keyType != value.m_keyType", u"Error: Key type mismatch.");
        return false;
    }
    switch (m_keyType) {
    case lxKEY_INT:
        return m_intKey == other.m_intKey;
    case lxKEY_STRING:
        return m_stringKey == other.m_stringKey;
    default:
        LX_DIAG_ASSERT_TEXT(u"true", u"Error: Bad key type.");
        return false;
    }
}

// ---- CLxNode ------------------------------------------------------------------

CLxList::CLxNode::CLxNode(CLxList* list, CLxNode* previous, CLxNode* next, void* data,
                          const CLxKey& key)
    : m_key(key), m_data(data), m_next(next), m_previous(previous), m_list(list)
{
    if (previous)
        previous->m_next = this;
    if (next)
        next->m_previous = this;
}

CLxList::CLxNode::~CLxNode()
{
    if (m_list)
        m_list->DetachNode(this);
}

void* CLxList::CLxNode::operator new(size_t size) noexcept
{
    return CLxAlloc::Alloc(0, size);
}

void CLxList::CLxNode::operator delete(void* block) noexcept
{
    CLxAlloc::Free(block);
}

int CLxList::CLxNode::IndexOf() const
{
    if (!m_list) {
        LX_DIAG_ASSERT_TEXT(u"!m_list", u"Node doesn't belong to a list in IndexOf()");
        return -9;
    }
    CLxMutexCSLock lock(&m_list->m_mutex);
    int index = 0;
    for (const CLxNode* node = m_previous; node; node = node->m_previous)
        ++index;
    return index;
}

// ---- CLxList: construction ----------------------------------------------------

CLxList::CLxList(ELxKeyType type)
    : m_count(0), m_first(nullptr), m_last(nullptr), m_keyType(type),
      m_mutex(PTHREAD_MUTEXCS_INITIALIZER)
{
}

CLxList::CLxList(unsigned int count, void** array) : CLxList(lxKEY_NONE)
{
    for (unsigned int i = 0; array && i < count; ++i)
        Append(array[i]);
}

CLxList::CLxList(void* first, ...) : CLxList(lxKEY_NONE)
{
    va_list args;
    va_start(args, first);
    AppendArguments(first, args);
    va_end(args);
}

CLxList::CLxList(const CLxList& list) : CLxList(lxKEY_NONE)
{
    CopyFrom(list);
}

CLxList& CLxList::operator=(const CLxList& list)
{
    // Copy into a private list first: only one list lock is held at a time,
    // so two threads assigning two lists to each other cannot deadlock, and a
    // list assigned to itself stays as it was.
    CLxList copy(list);
    CLxMutexCSLock lock(&m_mutex);
    Clear();
    m_keyType = copy.m_keyType;
    for (CLxNode* node = copy.m_first; node; node = node->m_next)
        node->m_list = this;
    m_first = copy.m_first;
    m_last = copy.m_last;
    m_count = copy.m_count;
    copy.m_first = copy.m_last = nullptr;
    copy.m_count = 0;
    return *this;
}

CLxList::~CLxList()
{
    Clear();
    pthread_mutexCS_destroy(&m_mutex);
}

void CLxList::CopyFrom(const CLxList& list)
{
    CLxMutexCSLock lock(&list.m_mutex);
    m_keyType = list.m_keyType;
    for (CLxNode* node = list.m_first; node; node = node->m_next)
        Link(m_last, nullptr, node->m_data, node->m_key);
    if (m_count != list.m_count)
        LX_DIAG_ASSERT_TEXT(u"m_count != list.m_count", u"Logic error!");
}

void CLxList::AppendArguments(void* first, va_list args)
{
    for (void* data = first; data; data = va_arg(args, void*))
        Append(data);
}

void CLxList::Clear()
{
    CLxMutexCSLock lock(&m_mutex);
    CLxNode* node = m_first;
    while (node) {
        CLxNode* next = node->m_next;
        node->m_list = nullptr;
        delete node;
        node = next;
    }
    m_first = m_last = nullptr;
    m_count = 0;
}

void CLxList::SetKeyType(ELxKeyType type)
{
    if (m_count != 0)
        LX_DIAG_ASSERT_TEXT(u"m_count != 0", nullptr);
    m_keyType = type;
}

// ---- CLxList: positions ---------------------------------------------------------

CLxList::CLxNode* CLxList::GetNth(unsigned int index) const
{
    CLxMutexCSLock lock(&m_mutex);
    CLxNode* node = m_first;
    for (unsigned int i = 0; node && i < index; ++i)
        node = node->m_next;
    if (!node)
        LX_DIAG_ASSERT_TEXT(u"true", u"Error: Invalid index in CLxList::GetNth()");
    return node;
}

void* CLxList::operator[](unsigned int index) const
{
    CLxMutexCSLock lock(&m_mutex);
    CLxNode* node = GetNth(index);
    return node ? node->m_data : nullptr;
}

CLxList::CLxNode* CLxList::Link(CLxNode* previous, CLxNode* next, void* data, const CLxKey& key)
{
    CLxMutexCSLock lock(&m_mutex);
    CLxNode* node = new CLxNode(this, previous, next, data, key);
    if (!node)
        return nullptr;
    if (!previous)
        m_first = node;
    if (!next)
        m_last = node;
    ++m_count;
    return node;
}

CLxList::CLxNode* CLxList::Append(void* data)
{
    if (m_keyType != lxKEY_NONE) {
        LX_DIAG_ASSERT_TEXT(u"m_keyType != lxKEY_NONE",
                            u"Error: Need a key for the object to append!");
        return nullptr;
    }
    return Append(CLxKey(), data);
}

CLxList::CLxNode* CLxList::Append(const CLxKey& key, void* data)
{
    CLxMutexCSLock lock(&m_mutex);
    return Link(m_last, nullptr, data, key);
}

CLxList::CLxNode* CLxList::Insert(void* data)
{
    return Insert(static_cast<CLxNode*>(nullptr), data);
}

CLxList::CLxNode* CLxList::Insert(unsigned int index, void* data)
{
    CLxMutexCSLock lock(&m_mutex);
    if (index == m_count)
        return Append(data);
    return Insert(GetNth(index), data);
}

CLxList::CLxNode* CLxList::Insert(CLxNode* position, void* data)
{
    if (m_keyType != lxKEY_NONE) {
        LX_DIAG_ASSERT_TEXT(u"m_keyType != lxKEY_NONE",
                            u"Error: Need a key for the object to insert.");
        return nullptr;
    }
    CLxMutexCSLock lock(&m_mutex);
    if (position && position->m_list != this) {
        LX_DIAG_ASSERT_TEXT(u"position && position->m_list != this",
                            u"Error: Can't insert before a node from another list.");
        return nullptr;
    }
    if (!position)
        return Link(nullptr, m_first, data, CLxKey());
    return Link(position->m_previous, position, data, CLxKey());
}

CLxList::CLxNode* CLxList::DetachNode(CLxNode* node)
{
    if (!node) {
        LX_DIAG_ASSERT_TEXT(u"!node", u"Error: Detaching NULL CLxNode.");
        return nullptr;
    }
    CLxMutexCSLock lock(&m_mutex);
    if (node->m_list != this) {
        LX_DIAG_ASSERT_TEXT(u"node->m_list != this",
                            u"Error: Detaching node which is not from this list.");
        return nullptr;
    }
    if (node->m_previous)
        node->m_previous->m_next = node->m_next;
    else
        m_first = node->m_next;
    if (node->m_next)
        node->m_next->m_previous = node->m_previous;
    else
        m_last = node->m_previous;
    node->m_next = node->m_previous = nullptr;
    node->m_list = nullptr;
    --m_count;
    return node;
}

bool CLxList::DeleteNode(CLxNode* node)
{
    if (!DetachNode(node))
        return false;
    delete node;
    return true;
}

// ---- CLxList: look-ups ----------------------------------------------------------

CLxList::CLxNode* CLxList::Find(const CLxKey& key) const
{
    if (m_keyType != key.GetKeyType())
        LX_DIAG_ASSERT_TEXT(u"m_keyType != key.GetKeyType()",
                            u"Error: This list is not keyed on the type of this key.");
    CLxMutexCSLock lock(&m_mutex);
    for (CLxNode* node = m_first; node; node = node->m_next)
        if (node->m_key == key)
            return node;
    return nullptr;
}

CLxList::CLxNode* CLxList::Find(void* data) const
{
    CLxMutexCSLock lock(&m_mutex);
    for (CLxNode* node = m_first; node; node = node->m_next)
        if (node->m_data == data)
            return node;
    return nullptr;
}

int CLxList::IndexOf(void* data) const
{
    CLxMutexCSLock lock(&m_mutex);
    int index = 0;
    for (CLxNode* node = m_first; node; node = node->m_next, ++index)
        if (node->m_data == data)
            return index;
    return -9;
}

void* CLxList::GetData(CLxNode* node) const
{
    return node && node->m_list == this ? node->m_data : nullptr;
}

// ---- CLxList: sorting and iteration ------------------------------------------------

namespace
{

typedef int (*LxListCompare)(void*, void*);

// qsort_r hands the caller's comparator through its context word.
int compareThrough(const void* a, const void* b, void* context)
{
    LxListCompare compare = *static_cast<LxListCompare*>(context);
    return compare(const_cast<void*>(a), const_cast<void*>(b));
}

} // namespace

void CLxList::Sort(int (*compare)(void*, void*))
{
    if (!compare)
        return;
    CLxMutexCSLock lock(&m_mutex);
    if (m_count < 2)
        return;
    void** array = static_cast<void**>(CLxAlloc::Alloc(0, sizeof(void*) * m_count));
    if (!array) {
        LX_DIAG_ASSERT_TEXT(u"!array", u"Error: No memory to sort the list.");
        return;
    }
    size_t n = 0;
    for (CLxNode* node = m_first; node; node = node->m_next)
        array[n++] = node->m_data;
    qsort_r(array, n, sizeof(void*), compareThrough, &compare);
    n = 0;
    for (CLxNode* node = m_first; node; node = node->m_next)
        node->m_data = array[n++];
    CLxAlloc::Free(array);
}

void CLxList::ForEach(int (*f)(void*))
{
    if (!f)
        return;
    CLxMutexCSLock lock(&m_mutex);
    for (CLxNode* node = m_first; node; node = node->m_next)
        f(node->m_data);
}

void* CLxList::FirstThat(int (*f)(void*))
{
    if (!f)
        return nullptr;
    CLxMutexCSLock lock(&m_mutex);
    for (CLxNode* node = m_first; node; node = node->m_next)
        if (f(node->m_data))
            return node->m_data;
    return nullptr;
}

void* CLxList::LastThat(int (*f)(void*))
{
    if (!f)
        return nullptr;
    CLxMutexCSLock lock(&m_mutex);
    for (CLxNode* node = m_last; node; node = node->m_previous)
        if (f(node->m_data))
            return node->m_data;
    return nullptr;
}

template class CLxList_specI<int>;
template class CLxList_specI<unsigned int>;
template class CLxList_specI<CLxStringA>;
template class CLxList_specI<CLxStringW>;
