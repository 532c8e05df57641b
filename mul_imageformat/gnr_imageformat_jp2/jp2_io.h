// The byte stream under boxes, sources and targets: a file of the file API
// (64-bit positions) or a CLxByteArray (its current offset). Exactly one of
// the two is set; a file is LX_INVALID_HFILE when absent.
#pragma once

#include <cstdint>

#include "w32_system/LxTypes.h"

class CLxByteArray;

namespace jp2_io
{

// Bytes moved (fewer at the end; 0 on failure).
uint32_t read(LX_HFILE file, CLxByteArray* bytes, void* buffer, uint32_t count);
// Over a byte array the bytes overwrite up to its used size and append the
// rest. False when not everything was written.
bool write(LX_HFILE file, CLxByteArray* bytes, const void* data, uint32_t count);
// Absolute position; a byte array cannot be positioned past its used size.
bool seek(LX_HFILE file, CLxByteArray* bytes, uint64_t position);
bool position(LX_HFILE file, CLxByteArray* bytes, uint64_t& position);
// Total bytes of the stream (0 when unknown).
uint64_t size(LX_HFILE file, CLxByteArray* bytes);

inline uint32_t get_u32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
inline void put_u32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}
inline uint64_t get_u64_le(const uint8_t* p)
{
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}
inline void put_u64_le(uint8_t* p, uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

} // namespace jp2_io
