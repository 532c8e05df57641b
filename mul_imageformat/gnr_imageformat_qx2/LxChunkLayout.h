// Byte layout of a chunk file: constants, little-endian field helpers and the
// checks every chunk header passes before anything behind it is read.
#pragma once

#include <cstdint>
#include <cstring>

namespace LxChunkLayout
{

constexpr uint32_t kMagic = 0x0ABECEDA;
constexpr uint8_t kMagicBytes[4] = {0xDA, 0xCE, 0xBE, 0x0A};
constexpr uint64_t kBlock = 4096;
constexpr uint32_t kHeaderSize = 16;
constexpr uint32_t kMaxNameLength = 511; // with its '!'
constexpr uint32_t kNameLengthReserved = 32;

constexpr char kSignatureName[] = "QX2 FILE SIGNATURE CHUNK NAME01!";
constexpr char kMapChunkName[] = "QX2 FILEMAP SIGNATURE NAME 0001!";
constexpr char kMapEndName[] = "QX2 CHUNK MAP SIGNATURE 0000001!";
constexpr uint32_t kSignatureDataSize = 64;
constexpr uint32_t kSignatureChunkSize = kHeaderSize + 32 + kSignatureDataSize; // 112
constexpr uint32_t kEndRecordSize = 40;

inline uint32_t ReadLE32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline uint64_t ReadLE64(const uint8_t* p)
{
    return uint64_t(ReadLE32(p)) | uint64_t(ReadLE32(p + 4)) << 32;
}

inline void WriteLE32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

inline void WriteLE64(uint8_t* p, uint64_t v)
{
    WriteLE32(p, uint32_t(v));
    WriteLE32(p + 4, uint32_t(v >> 32));
}

inline uint64_t RoundUpToBlock(uint64_t n)
{
    return (n + kBlock - 1) / kBlock * kBlock;
}

// The first magic in bytes[0, n), or null. memchr finds the first byte with
// vector loads; memmem over long runs of zeros is many times slower.
inline const uint8_t* FindMagicBytes(const uint8_t* bytes, size_t n)
{
    const uint8_t* p = bytes;
    const uint8_t* const end = bytes + n;
    while (end - p >= 4) {
        p = static_cast<const uint8_t*>(memchr(p, kMagicBytes[0], size_t(end - p) - 3));
        if (!p)
            return nullptr;
        if (p[1] == kMagicBytes[1] && p[2] == kMagicBytes[2] && p[3] == kMagicBytes[3])
            return p;
        ++p;
    }
    return nullptr;
}

// The 16-byte header: magic, name length, data length.
struct SLxChunkHeader {
    uint32_t uiMagic;
    uint32_t uiNameLength;
    uint64_t qwDataLength;
};

inline SLxChunkHeader ParseHeader(const uint8_t* p)
{
    return SLxChunkHeader{ReadLE32(p), ReadLE32(p + 4), ReadLE64(p + 8)};
}

inline void FormatHeader(uint8_t* p, uint32_t nameLength, uint32_t dataLength)
{
    WriteLE32(p, kMagic);
    WriteLE32(p + 4, nameLength);
    WriteLE64(p + 8, dataLength);
}

// A header that may stand at offset in a file of fileSize bytes: known magic,
// a name of 1..511 bytes, a data length below 4 GiB, all inside the file.
inline bool HeaderFits(const SLxChunkHeader& h, uint64_t offset, uint64_t fileSize)
{
    if (h.uiMagic != kMagic || h.uiNameLength < 1 || h.uiNameLength > kMaxNameLength ||
        (h.qwDataLength >> 32) != 0)
        return false;
    const uint64_t end = offset + kHeaderSize + h.uiNameLength + h.qwDataLength;
    return offset <= fileSize && end <= fileSize;
}

// A stored name: no zero byte, exactly one '!', the last byte.
inline bool IsValidName(const uint8_t* name, uint32_t n)
{
    if (n < 1 || n > kMaxNameLength || name[n - 1] != '!')
        return false;
    for (uint32_t i = 0; i + 1 < n; ++i)
        if (name[i] == 0 || name[i] == '!')
            return false;
    return true;
}

} // namespace LxChunkLayout
