// The QX2 keeper of foreign chunks: each keeps its chunk name, with the
// closing '!', so that a writer can write it back under that name.
#pragma once

#include "mul_imageformat/gnr_imageformat_qx2/LxUnknownDataKeeper.h"

class CLxQX2UnknownData : public CLxUnknownDataKeeper
{
  public:
    explicit CLxQX2UnknownData(const CLxStringA& formatId)
        : CLxUnknownDataKeeper(formatId, u"qx2_unknown$$$$.tmp")
    {
    }

    // The chunk's name as in the file, with its closing '!'.
    int GetChunkName(uint32_t index, CLxStringA& name) { return GetItemName(index, name); }
    // A new chunk with that name and type 0, then its data.
    int AppendNamedChunk(const char* name, const void* data, uint32_t size)
    {
        return AddChunk(CLxStringA(name ? name : ""), 0, data, size);
    }
};
