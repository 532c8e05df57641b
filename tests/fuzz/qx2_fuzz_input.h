// The QX2 fuzz targets' input: the first byte chooses how the rest becomes
// the block. With its two low bits 0 the bytes are taken as they are;
// otherwise they are chunk records (u8 name length, name, u16 data length,
// data), which the chunk layer writes into a block of version "Ver1.0"
// (bit 2) or "Ver2.1", finished with its map (bit 0) or left unfinished.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "gnr_system/LxByteArray.h"
#include "gnr_system/string/LxString.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxFileChunker.h"

namespace qx2fuzz
{

// Calls back with each chunk record (at most kMaxRecords).
template <class F> inline void ForEachRecord(const uint8_t* data, size_t size, F&& f)
{
    constexpr size_t kMaxRecords = 48;
    size_t at = 0;
    for (size_t records = 0; at < size && records < kMaxRecords; ++records) {
        const size_t nameLength = data[at++];
        if (size - at < nameLength + 2)
            break;
        const std::string name(reinterpret_cast<const char*>(data + at), nameLength);
        at += nameLength;
        const size_t dataLength = std::min<size_t>(data[at] | data[at + 1] << 8, size - at - 2);
        at += 2;
        f(name, data + at, dataLength);
        at += dataLength;
    }
}

// The chunk records written by the chunk layer.
inline void WriteRecords(const uint8_t* data, size_t size, uint8_t mode, CLxByteArray& block)
{
    // Room for every chunk and the map at once: the block never grows on
    // the way (and stays small enough for the allocator's cached sizes).
    size_t room = 2 * 4096, mapEntries = 0;
    ForEachRecord(data, size, [&](const std::string& name, const uint8_t*, size_t length) {
        room += (16 + name.size() + 1 + length + 4095) / 4096 * 4096;
        mapEntries += name.size() + 1 + 16;
    });
    room += (mapEntries + 4095) / 4096 * 4096;
    block.SetData(nullptr, uint32_t(room), eLxByteArrayOpFromStart, eLxByteArrayAllocExact);
    CLxFileChunker writer;
    CLxStringA version(mode & 4 ? "Ver1.0" : "Ver2.1");
    if (writer.OpenMemory(&block, false, false, version) != 0)
        return;
    ForEachRecord(data, size, [&](const std::string& name, const uint8_t* bytes, size_t length) {
        writer.WriteChunk(name.c_str(), bytes, uint32_t(length));
    });
    if (mode & 1)
        writer.Finalize();
}

// The block of an input (mode byte first); empty for an empty input.
inline void MakeBlock(const uint8_t* data, size_t size, CLxByteArray& block)
{
    if (size == 0)
        return;
    const uint8_t mode = data[0];
    ++data;
    --size;
    if (mode % 4 != 0)
        WriteRecords(data, size, mode, block);
    else if (size)
        block.SetData(data, uint32_t(size), eLxByteArrayOpFromStart, eLxByteArrayAllocExact);
}

} // namespace qx2fuzz
