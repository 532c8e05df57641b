// An ordered list of data blocks, each tagged with an integer id: the blocks
// read from a module's data resources.
#pragma once

#include <cstdint>

#include "gnr_system/LxByteArray.h"
#include "w32_system/LxExport.h"
#include "w32_system/LxTypes.h"

struct SLxRscDataList;

class LX_EXPORT CLxRscData
{
  public:
    // No module, an empty list.
    CLxRscData();
    // A copy owns copies of the other's blocks.
    CLxRscData(const CLxRscData& other);
    // Shares the other's list (and takes its module): both then read and
    // append to the same blocks. The caller may call UnrefDataMember() on one
    // of the two; the list is freed once, by its last holder, either way.
    CLxRscData& operator=(const CLxRscData& other);
    // Gives up the list; its last holder frees the blocks.
    ~CLxRscData();

    // Gives up the list (freeing its blocks unless it is shared) and starts a
    // new empty one; returns 0.
    int Clear();
    // Appends a copy of size bytes with that id at the end. 0; -4 for null
    // data with a size; -3 when the copy could not be allocated (nothing is
    // appended then).
    int AppendData(const void* data, uint32_t size, int id);
    // The number of blocks.
    int GetCLxByteArrayW32Count() const;
    // The block at that 0-based position, its id stored through id when id is
    // set. Any position out of range gives one process-wide empty array and
    // leaves id as it was.
    const CLxByteArrayW32& GetCLxByteArrayW32(int index, int* id) const;

    // Forgets the list: another object that shares it keeps the blocks (an
    // unshared list is freed). This object then reads as empty.
    void UnrefDataMember();

    // The module of the last resource read.
    LX_HMODULE GetModule() const { return m_hModule; }
    void SetModule(LX_HMODULE module) { m_hModule = module; }

  private:
    LX_HMODULE m_hModule;
    SLxRscDataList* m_pList;
};
