// Appends a run of own boxes and the box map: the one road by which the
// writer's close and the reader's repair put metadata after the codestreams.
#include <cstring>
#include <vector>

#include "gnr_system/LxByteArray.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_extra.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_io.h"
#include "w32_system/LxFileAPI.h"

namespace
{

bool WriteBox(LX_HFILE file, CLxByteArray* bytes, uint32_t type, const uint8_t* data, uint64_t size)
{
    uint8_t header[16];
    size_t headerSize = 8;
    if (size <= 0xFFFFFFFFull - 8) {
        jp2_io::put_u32(header, uint32_t(size + 8));
        jp2_io::put_u32(header + 4, type);
    } else {
        jp2_io::put_u32(header, 1);
        jp2_io::put_u32(header + 4, type);
        const uint64_t total = size + 16;
        jp2_io::put_u32(header + 8, uint32_t(total >> 32));
        jp2_io::put_u32(header + 12, uint32_t(total));
        headerSize = 16;
    }
    if (!jp2_io::write(file, bytes, header, uint32_t(headerSize)))
        return false;
    while (size > 0) {
        const uint32_t chunk = size > 0x40000000u ? 0x40000000u : uint32_t(size);
        if (!jp2_io::write(file, bytes, data, chunk))
            return false;
        data += chunk;
        size -= chunk;
    }
    return true;
}

} // namespace

int LX_AppendJp2OwnBoxes(LX_HFILE file, CLxByteArray* bytes, const SLxJP2OwnBox* boxes,
                         size_t count, SLxJP2PositionsInfo* map, bool writeMap)
{
    if ((file == LX_INVALID_HFILE && !bytes) || (count && !boxes) || (writeMap && !map))
        return -4;
    const uint64_t end = jp2_io::size(file, bytes);
    if (!jp2_io::seek(file, bytes, end))
        return -9;
    uint64_t offset = end;
    for (size_t i = 0; i < count; ++i) {
        const SLxJP2OwnBox& b = boxes[i];
        if (b.uiSize && !b.pData)
            return -4;
        if (map && !jp2_add_position(map, b.uiBoxType, b.uiOwnCode, offset))
            return -9;
        if (!WriteBox(file, bytes, b.uiBoxType, b.pData, b.uiSize))
            return -9;
        offset += b.uiSize + (b.uiSize <= 0xFFFFFFFFull - 8 ? 8 : 16);
    }
    if (!writeMap)
        return 0;
    if (!jp2_add_position(map, jp2_uuid_4cc, jp2_own_pmap, offset))
        return -9;
    const uint64_t c = map->uiCount;
    std::vector<uint8_t> payload(size_t(16 + 4 + 16 * c + 40));
    uint8_t* p = payload.data();
    memcpy(p, jp2_uuid_pmap, 16);
    jp2_io::put_u32(p + 16, uint32_t(c));
    p += 20;
    for (uint32_t i = 0; i < c; ++i, p += 16) {
        jp2_io::put_u32(p, map->pEntries[i].uiBoxType);
        jp2_io::put_u32(p + 4, map->pEntries[i].uiOwnCode);
        jp2_io::put_u64_le(p + 8, map->pEntries[i].uiOffset);
    }
    memcpy(p, jp2_box_map_magic, jp2_box_map_magic_size);
    jp2_io::put_u64_le(p + jp2_box_map_magic_size, 44 + 16 * c);
    return WriteBox(file, bytes, jp2_uuid_4cc, payload.data(), payload.size()) ? 0 : -9;
}

int LX_AppendJp2OwnBoxes(const char16_t* path, const SLxJP2OwnBox* boxes, size_t count,
                         SLxJP2PositionsInfo* map, bool writeMap)
{
    LX_HFILE file = LX_INVALID_HFILE;
    if (!path ||
        LX_OpenFile(path, LX_FILE_READ | LX_FILE_WRITE, LX_FILE_SHARE_READ | LX_FILE_SHARE_WRITE,
                    LX_INVALID_HFILE, &file) != 0)
        return -1;
    const int status = LX_AppendJp2OwnBoxes(file, nullptr, boxes, count, map, writeMap);
    if (LX_CloseFile(file) != 0 && status == 0)
        return -9;
    return status;
}
