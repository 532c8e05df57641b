// A stand-in for the QX2 format object: its identifier and pixel formats;
// everything else is not supported.
#pragma once

#include "gnr_system/LxInterface.h"
#include "gnr_system/string/LxString.h"
#include "mul_imageformat/LxImageFormat.h"

namespace qx2test
{

class FormatDouble : public ILxImageFormat, public CLxClass
{
  public:
    explicit FormatDouble(const char* id = "QXIMX") : CLxClass(false), m_id(id) {}

    CLxClass* GetClass() override { return this; }
    int GetID(CLxStringA& id) override
    {
        if (m_id.IsEmpty())
            return -9;
        id = m_id;
        return 0;
    }
    int GetDescription(CLxStringW&) override { return -2; }
    int GetExtensions(CLxStringW&) override { return -2; }
    int GetOptions() override { return 0; }
    int Unsupported6(uint32_t, uint32_t) override { return -1506; }
    int Unsupported7(uint32_t) override { return -1506; }
    int Unsupported8(uint32_t) override { return -1506; }
    uint32_t GetCompressionCount() override { return 0; }
    int GetCompression(uint32_t, CLxStringW&, uint32_t&, double&) override { return -4; }
    int CheckPixelFormat(uint32_t pixelFormat) override { return pixelFormat == 0 ? 0 : -1506; }
    int CheckBits(uint32_t, uint32_t, uint8_t, uint32_t) override { return -2; }
    int AdjustBits(uint32_t*, uint32_t*, uint8_t*, uint32_t*) override { return -2; }
    int CheckAttributes(const SLxImageAttributes*) override { return -2; }
    int AdjustAttributes(SLxImageAttributes*) override { return -2; }
    int CreateOutputImageFile(CLxByteArray*, ILxOutputImageFile**) override { return -2; }
    int CreateOutputImageFile(CLxStringW, ILxOutputImageFile**) override { return -2; }
    int CreateOutputImageFileAppend(CLxByteArray*, ILxOutputImageFile**) override { return -2; }
    int CreateOutputImageFileAppend(CLxStringW, ILxOutputImageFile**) override { return -2; }
    int Unsupported20(uint32_t, uint32_t, uint32_t) override { return -2; }
    int CreateInputImageFile(CLxByteArray*, ILxInputImageFile**) override { return -2; }
    int CreateInputImageFile(CLxStringW, ILxInputImageFile**) override { return -2; }
    int MakeThumbnail(void*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                      const void*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                      uint32_t) override
    {
        return -2;
    }
    int CopyFile(const char16_t*, const char16_t*, bool, const std::atomic<int>*, LX_PFN_ASYNC_COPY,
                 uintptr_t) override
    {
        return -2;
    }
    int MoveFile(const char16_t*, const char16_t*, bool, const std::atomic<int>*, LX_PFN_ASYNC_COPY,
                 uintptr_t) override
    {
        return -2;
    }
    int RemoveFile(const char16_t*, bool) override { return -2; }
    int GetFileSize(const char16_t*, uint64_t*) override { return -2; }
    int GetMaxTileSize(uint32_t, uint32_t, uint32_t*, uint32_t*) override { return -1506; }

  private:
    CLxStringA m_id;
};

} // namespace qx2test
