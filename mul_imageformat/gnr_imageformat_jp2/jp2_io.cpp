#include "mul_imageformat/gnr_imageformat_jp2/jp2_io.h"

#include <algorithm>
#include <cstring>

#include "gnr_system/LxByteArray.h"
#include "w32_system/LxFileAPI.h"

namespace jp2_io
{

uint32_t read(LX_HFILE file, CLxByteArray* bytes, void* buffer, uint32_t count)
{
    if (count == 0)
        return 0;
    if (file != LX_INVALID_HFILE) {
        uint32_t done = 0;
        if (LX_ReadFile(file, buffer, count, &done, nullptr) != 0)
            return 0;
        return done;
    }
    if (!bytes)
        return 0;
    const uint32_t offset = bytes->GetCurrentOffset();
    const uint32_t size = bytes->GetSize();
    if (offset >= size)
        return 0;
    if (count > size - offset)
        count = size - offset;
    memcpy(buffer, bytes->GetData() + offset, count);
    bytes->SetCurrentOffset(offset + count);
    return count;
}

bool write(LX_HFILE file, CLxByteArray* bytes, const void* data, uint32_t count)
{
    if (count == 0)
        return true;
    if (file != LX_INVALID_HFILE) {
        uint32_t done = 0;
        return LX_WriteFile(file, data, count, &done, nullptr) == 0 && done == count;
    }
    if (!bytes)
        return false;
    const uint32_t offset = bytes->GetCurrentOffset();
    const uint32_t size = bytes->GetSize();
    if (offset > size || uint64_t(offset) + count > 0xFFFFFFFFull)
        return false;
    const uint8_t* src = static_cast<const uint8_t*>(data);
    uint32_t over = size - offset < count ? size - offset : count;
    if (over)
        memcpy(bytes->GetData(size) + offset, src, over);
    const uint32_t rest = count - over;
    if (rest > bytes->GetAllocated() - bytes->GetSize()) {
        // Codestreams arrive in many pieces: grow by the size held so far,
        // not by the array's small step, so that the bytes move few times.
        const uint64_t room = std::min<uint64_t>(std::max<uint64_t>(rest, bytes->GetSize()),
                                                 0xFFFFFFFFull - bytes->GetSize());
        bytes->SetData(nullptr, uint32_t(room), eLxByteArrayOpAppend, eLxByteArrayAllocExact);
    }
    if (rest && bytes->SetData(src + over, rest, eLxByteArrayOpAppend,
                               eLxByteArrayAllocIncrement) != 0)
        return false;
    return bytes->SetCurrentOffset(offset + count) == 0;
}

bool seek(LX_HFILE file, CLxByteArray* bytes, uint64_t position)
{
    if (file != LX_INVALID_HFILE) {
        if (position > 0x7FFFFFFFFFFFFFFFull)
            return false;
        return LX_SeekFile(file, int32_t(uint32_t(position)), int32_t(uint32_t(position >> 32)),
                           0) == 0;
    }
    if (!bytes || position > bytes->GetSize())
        return false;
    return bytes->SetCurrentOffset(uint32_t(position)) == 0;
}

bool position(LX_HFILE file, CLxByteArray* bytes, uint64_t& position)
{
    if (file != LX_INVALID_HFILE)
        return LX_FilePosition(file, &position) == 0;
    if (!bytes)
        return false;
    position = bytes->GetCurrentOffset();
    return true;
}

uint64_t size(LX_HFILE file, CLxByteArray* bytes)
{
    if (file != LX_INVALID_HFILE) {
        uint64_t n = 0;
        LX_GetFileSize(file, &n);
        return n;
    }
    return bytes ? bytes->GetSize() : 0;
}

} // namespace jp2_io
