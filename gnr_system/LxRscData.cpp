#include "gnr_system/LxRscData.h"

#include <deque>
#include <new>

#include "gnr_system/LxRefCount.h"

namespace
{

struct SLxRscBlock {
    SLxRscBlock(const void* bytes, uint32_t size, int blockId)
        : data(bytes, size, 1024), id(blockId)
    {
    }
    CLxByteArrayW32 data;
    int id;
};

const CLxByteArrayW32& emptyBlock()
{
    static const CLxByteArrayW32 empty(1024);
    return empty;
}

} // namespace

// A deque keeps the blocks in place while the list grows, so references
// handed out stay valid. Assignment shares a list; counting its holders lets
// the last one free it, so a holder that forgets UnrefDataMember (or clears
// a shared list) never frees blocks under another, whichever thread it is on.
struct SLxRscDataList {
    std::deque<SLxRscBlock> blocks;
    CLxRefCount holders{1};
};

namespace
{

// The standard containers report a lack of memory by exception; here it
// becomes a missing list (which reads as empty) or a status.
SLxRscDataList* newList(const SLxRscDataList* original = nullptr) noexcept
{
    SLxRscDataList* list = nullptr;
    try {
        list = new SLxRscDataList;
        if (original)
            list->blocks = original->blocks;
        return list;
    } catch (const std::bad_alloc&) {
        delete list;
        return nullptr;
    }
}

void releaseList(SLxRscDataList* list)
{
    uint32_t left = 0;
    if (list && list->holders.Decrement(&left) && left == 0)
        delete list;
}

} // namespace

CLxRscData::CLxRscData() : m_hModule(nullptr), m_pList(newList()) {}

CLxRscData::CLxRscData(const CLxRscData& other)
    : m_hModule(other.m_hModule), m_pList(newList(other.m_pList))
{
}

CLxRscData& CLxRscData::operator=(const CLxRscData& other)
{
    if (m_pList != other.m_pList) {
        releaseList(m_pList);
        m_pList = other.m_pList;
        if (m_pList)
            m_pList->holders.Increment();
    }
    m_hModule = other.m_hModule;
    return *this;
}

CLxRscData::~CLxRscData()
{
    releaseList(m_pList);
}

int CLxRscData::Clear()
{
    releaseList(m_pList);
    m_pList = newList();
    return 0;
}

int CLxRscData::AppendData(const void* data, uint32_t size, int id)
{
    if (!data && size > 0)
        return -4;
    if (!m_pList && !(m_pList = newList()))
        return -3;
    try {
        m_pList->blocks.emplace_back(data, size, id);
    } catch (const std::bad_alloc&) {
        return -3;
    }
    if (m_pList->blocks.back().data.GetSize() != size) {
        m_pList->blocks.pop_back();
        return -3;
    }
    return 0;
}

int CLxRscData::GetCLxByteArrayW32Count() const
{
    return m_pList ? static_cast<int>(m_pList->blocks.size()) : 0;
}

const CLxByteArrayW32& CLxRscData::GetCLxByteArrayW32(int index, int* id) const
{
    if (index < 0 || index >= GetCLxByteArrayW32Count())
        return emptyBlock();
    const SLxRscBlock& block = m_pList->blocks[static_cast<size_t>(index)];
    if (id)
        *id = block.id;
    return block.data;
}

void CLxRscData::UnrefDataMember()
{
    releaseList(m_pList);
    m_pList = nullptr;
}
