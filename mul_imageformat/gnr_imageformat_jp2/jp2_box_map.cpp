// The box map: its constants, its form in memory and its reading.
#include <cstring>

#include "gnr_system/LxByteArray.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_extra.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_io.h"
#include "w32_system/LxFileAPI.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/memory/LxAlloc.h"

const uint8_t jp2_uuid_scdb[16] = {0x8D, 0x5E, 0x15, 0x4E, 0x0A, 0x36, 0xDB, 0x41,
                                   0xB2, 0xE2, 0xE2, 0xD9, 0xF2, 0x96, 0x97, 0x09};
const uint8_t jp2_uuid_vcdb[16] = {0x8D, 0x4E, 0x14, 0x5E, 0x0A, 0x36, 0xDB, 0x51,
                                   0xB2, 0xE2, 0xE2, 0xD8, 0xF2, 0x86, 0x87, 0x08};
const uint8_t jp2_uuid_binl[16] = {0x9D, 0x6E, 0x25, 0x4D, 0x0E, 0x46, 0xDB, 0x4F,
                                   0xB4, 0xE8, 0xE4, 0xD9, 0xF1, 0x96, 0x90, 0x09};
const uint8_t jp2_uuid_pmap[16] = {0x8D, 0x5E, 0x25, 0x4E, 0x0A, 0x36, 0xDB, 0x42,
                                   0xB1, 0xE1, 0xE1, 0xD9, 0xF1, 0x96, 0x97, 0x09};

const char jp2_generator_comment[] = "<!-- Veltmarshoptronica QX, www.veltmarshoptronica.com -->";
static_assert(sizeof jp2_generator_comment == jp2_generator_comment_size + 1,
              "the generator comment has a fixed size");
const char jp2_box_map_magic[] = "VELTMARSHOPTRONICA QX BOX MAP 00";
static_assert(sizeof jp2_box_map_magic == jp2_box_map_magic_size + 1, "the magic has 32 bytes");

namespace
{

constexpr uint64_t kEndRecord = 40; // magic and N
constexpr uint64_t kEntrySize = 16;

} // namespace

SLxJP2PositionsInfo* LX_NewJp2PositionsInfo()
{
    return static_cast<SLxJP2PositionsInfo*>(
        CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, sizeof(SLxJP2PositionsInfo)));
}

void LX_FreeJp2PositionsInfo(SLxJP2PositionsInfo* map)
{
    if (!map)
        return;
    CLxAlloc::Free(map->pEntries);
    CLxAlloc::Free(map);
}

int LX_FindJp2BoxPosition(const SLxJP2PositionsInfo* map, uint32_t boxType, uint32_t ownCode,
                          int start)
{
    return find_box_entry(map, boxType, ownCode, start);
}

bool ensure_free_positions_info(SLxJP2PositionsInfo* map, uint32_t n)
{
    if (!map) {
        LX_TRACE(u"ensure_free_positions_info() : NULL == pPositions");
        return false;
    }
    if (map->uiCount > map->uiCountAllocated)
        LX_TRACE(u"ensure_free_positions_info() : pPositions->uiCount > "
                 u"pPositions->uiCountAllocated");
    if (map->pEntries && uint64_t(map->uiCount) + n <= map->uiCountAllocated)
        return true;
    const uint64_t grown = uint64_t(map->uiCountAllocated) + (n > 10 ? n : 10);
    void* entries = nullptr;
    if (grown <= 0xFFFFFFFFull && grown >= map->uiCount)
        entries = CLxAlloc::ReAlloc(map->pEntries, size_t(grown) * sizeof(SLxJP2BoxPosition), 0);
    if (!entries) {
        map->uiCount = 0;
        map->uiCountAllocated = 0;
        return false;
    }
    map->pEntries = static_cast<SLxJP2BoxPosition*>(entries);
    map->uiCountAllocated = uint32_t(grown);
    return true;
}

bool jp2_add_position(SLxJP2PositionsInfo* map, uint32_t boxType, uint32_t ownCode, uint64_t offset)
{
    if (!ensure_free_positions_info(map, 1))
        return false;
    map->pEntries[map->uiCount] = {boxType, ownCode, offset};
    ++map->uiCount;
    return true;
}

int LX_ReadJp2BoxMapFrom(LX_HFILE file, CLxByteArray* bytes, SLxJP2PositionsInfo** out)
{
    if (!out)
        return -4;
    *out = nullptr;
    const uint64_t size = jp2_io::size(file, bytes);
    if (size < kEndRecord)
        return -9;
    if (!jp2_io::seek(file, bytes, size - kEndRecord))
        return file != LX_INVALID_HFILE ? LX_FILE_E_SEEK : -9;
    uint8_t record[kEndRecord];
    if (jp2_io::read(file, bytes, record, sizeof record) != sizeof record ||
        memcmp(record, jp2_box_map_magic, jp2_box_map_magic_size) != 0)
        return -9;
    const uint64_t n = jp2_io::get_u64_le(record + jp2_box_map_magic_size);
    if (n > size - 24 || n < 44)
        return -9;
    if (!jp2_io::seek(file, bytes, size - 24 - n))
        return file != LX_INVALID_HFILE ? LX_FILE_E_SEEK : -9;

    SLxJP2PositionsInfo* map = nullptr;
    try {
        jp2_box_reader box;
        const bool opened = file != LX_INVALID_HFILE ? box.open(file) : box.open(bytes);
        uint8_t id[16];
        uint32_t count = 0;
        if (!opened || box.box_type != jp2_uuid_4cc || box.read(id, 16) != 16 ||
            memcmp(id, jp2_uuid_pmap, 16) != 0 || !box.read_u32(count) || count == 0)
            return -9;
        // The entries and the end record must lie inside the box and the
        // stream before anything is allocated.
        const uint64_t room = box.available();
        if (room < kEndRecord || (room - kEndRecord) / kEntrySize < count)
            return -9;
        map = LX_NewJp2PositionsInfo();
        if (!map)
            return -9;
        map->pEntries = static_cast<SLxJP2BoxPosition*>(
            CLxAlloc::Alloc(0, size_t(count) * sizeof(SLxJP2BoxPosition)));
        if (!map->pEntries) {
            LX_FreeJp2PositionsInfo(map);
            return -9;
        }
        map->uiCountAllocated = count;
        for (uint32_t i = 0; i < count; ++i) {
            uint8_t entry[kEntrySize];
            if (box.read(entry, sizeof entry) != int32_t(sizeof entry)) {
                LX_FreeJp2PositionsInfo(map);
                return -9;
            }
            map->pEntries[i] = {jp2_io::get_u32(entry), jp2_io::get_u32(entry + 4),
                                jp2_io::get_u64_le(entry + 8)};
        }
        map->uiCount = count;
        box.close();
    } catch (const CLxJP2ErrorException&) {
        LX_FreeJp2PositionsInfo(map);
        return -9;
    }
    *out = map;
    return 0;
}

int LX_ReadJp2BoxMap(const char16_t* path, SLxJP2PositionsInfo** out)
{
    if (!out)
        return -4;
    *out = nullptr;
    LX_HFILE file = LX_INVALID_HFILE;
    if (!path || LX_OpenFile(path, LX_FILE_READ, LX_FILE_SHARE_READ | LX_FILE_SHARE_WRITE,
                             LX_INVALID_HFILE, &file) != 0)
        return 0;
    const int status = LX_ReadJp2BoxMapFrom(file, nullptr, out);
    LX_CloseFile(file);
    return status;
}
