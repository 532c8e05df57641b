// What every frame of a document looks like, and the names of the custom
// data items that several parts of the system share.
#pragma once

#include <cstdint>

// One value for the whole file. Complete only when width, height, components
// and both bit depths are non-zero.
struct SLxImageAttributes {
    uint32_t uiWidth;
    // Row stride of frame buffers. A writer reads the caller's rows at this
    // stride when it is at least a row's pixels (uiWidth x uiComp x bytes
    // per sample), and stores them in its own layout; 0 means rows padded
    // to 4 bytes; a smaller stride makes SetImageData fail with -4 before
    // anything is written. Readers give the stride of the frames they
    // deliver (rows padded to 4 bytes).
    uint32_t uiWidthBytes;
    uint32_t uiHeight;
    uint32_t uiComp;
    uint8_t uiBpcInMemory;    // 8..16
    uint8_t uiBpcSignificant; // e.g. 12 of 16
    uint32_t uiVirtualComponents;
    uint32_t uiSequenceCount;
    uint32_t uiTileWidth;
    uint32_t uiTileHeight;
    int32_t eCompression; // 0 lossless, 1 lossy (rate), 2 none
    double dCompressionParam; // zlib level (QX2) or compression rate (JPEG 2000)
};

inline bool LX_IsCompleteImageAttributes(const SLxImageAttributes& a)
{
    return a.uiWidth && a.uiHeight && a.uiComp && a.uiBpcInMemory && a.uiBpcSignificant;
}

// Custom data names in use across the system.
// One double per frame in sequence order, -1.0 where unknown (bytes).
#define LX_CUSTOM_ACQ_TIMES_CACHE u"AcqTimesCache"
// The binary layer of one frame (bytes, per frame).
#define LX_CUSTOM_BINARY_SEQ u"BinarySeqV1_0"
// A single acquisition time of the document (variant holding a double).
#define LX_CUSTOM_ACQ_TIME u"AcqTimeV1_0"

// Compression types of eCompression.
enum : int32_t {
    LX_COMPRESSION_LOSSLESS = 0,
    LX_COMPRESSION_LOSSY = 1,
    LX_COMPRESSION_NONE = 2,
};
