// The keeper of foreign chunks or boxes: items that a reader does not
// understand, carried from one file into the next so that rewriting a
// document loses nothing. Each item has a name (may be empty), a type and a
// run of bytes; indices are 0-based.
#pragma once

#include <cstdint>

#include "gnr_system/string/LxString.h"

class ILxImageUnknownData
{
  public:
    virtual uint32_t AddRef() = 0;
    // At 0 the keeper destroys itself.
    virtual uint32_t Release() = 0;
    // The identifier of the format whose reader filled the keeper.
    virtual int GetFormatID(CLxStringA& formatId) = 0;
    virtual uint32_t GetChunkCount() = 0;
    // The item's type, or -4 for a bad index in the same word.
    virtual uint32_t GetChunkType(uint32_t index) = 0;
    virtual int SetChunkType(uint32_t index, uint32_t type) = 0;
    // Reads from `offset` within the item; *size is cut to what remains. An
    // item without data, or an offset at or past its end, gives *size 0.
    virtual int ReadChunkData(uint32_t index, uint64_t offset, void* buffer, uint32_t* size) = 0;
    virtual int ClearChunkData(uint32_t index) = 0;
    // Appends to the item's run of bytes. All bytes of one item must be
    // appended before another item gets bytes.
    virtual int AppendChunkData(uint32_t index, const void* data, uint32_t size) = 0;
    // A new item with an empty name, that type and that data.
    virtual int AppendChunk(uint32_t type, const void* data, uint32_t size) = 0;
    // Later items move down one place.
    virtual int RemoveChunk(uint32_t index) = 0;
    virtual ~ILxImageUnknownData() = default;
};
