// The keeper of foreign chunks or boxes that both formats share. Their bytes
// are parked in a temporary file in the temporary folder, not in memory, so
// that copying large foreign items into a new document costs no memory. The
// file exists from the first added item until the keeper goes.
#pragma once

#include <cstdint>
#include <vector>

#include "gnr_system/LxRefCount.h"
#include "gnr_system/string/LxString.h"
#include "mul_imageformat/LxImageUnknownData.h"
#include "w32_system/LxTypes.h"

class CLxUnknownDataKeeper : public ILxImageUnknownData
{
  public:

    uint32_t AddRef() override;
    uint32_t Release() override;
    int GetFormatID(CLxStringA& formatId) override;
    uint32_t GetChunkCount() override;
    uint32_t GetChunkType(uint32_t index) override;
    int SetChunkType(uint32_t index, uint32_t type) override;
    int ReadChunkData(uint32_t index, uint64_t offset, void* buffer, uint32_t* size) override;
    int ClearChunkData(uint32_t index) override;
    int AppendChunkData(uint32_t index, const void* data, uint32_t size) override;
    int AppendChunk(uint32_t type, const void* data, uint32_t size) override;
    int RemoveChunk(uint32_t index) override;

  protected:
    // formatId: the identifier of the format whose reader fills the keeper;
    // tempPattern: the temporary file's name pattern (runs of '$' become a
    // number).
    CLxUnknownDataKeeper(const CLxStringA& formatId, const char16_t* tempPattern);
    ~CLxUnknownDataKeeper() override;

    int GetItemName(uint32_t index, CLxStringA& name);
    int AddChunk(const CLxStringA& name, uint32_t type, const void* data, uint32_t size);

  private:
    struct SChunk {
        CLxStringA name;
        uint32_t type;
        int64_t start; // -1: no bytes yet
        uint64_t length;
    };

    int OpenDataFile();
    bool IsValidIndex(uint32_t index) const { return index < m_chunks.size(); }

    CLxRefCount m_refCount{0};
    CLxStringA m_formatId;
    const char16_t* m_tempPattern;
    CLxStringW m_dataFileName;
    LX_HFILE m_hDataFile = LX_INVALID_HFILE;
    std::vector<SChunk> m_chunks;
};
