// 8-connected labelling of a picture while it is scanned row by row, packed
// straight into painted objects: the path of the conversions that label
// pixels.
#pragma once

#include <cstdint>
#include <cstring>

#include "gnr_picture/RLEPicBufAPI/LxRLEBytes.h"

namespace lx_rle
{

// A run of a row as a scan writes it; label belongs to the labeller.
struct ScannedRun {
    uint32_t start;
    uint32_t length;
    uint32_t label;
};

// Labels the runs of each row against those of the row above (union-find,
// the older label is the root) and keeps per component its box and counts,
// so that objects are laid out without sorting. The working blocks belong
// to the calling thread and are kept for its next picture. One labeller at
// a time per thread.
class RowLabeller
{
  public:
    // False without memory.
    bool Start(uint32_t width, uint32_t height);
    // Room for the next row's runs: (width + 1) / 2 of them; null without
    // memory.
    ScannedRun* Room();
    // Labels the count runs just written into Room(), in x order, apart by
    // at least one pixel. False without memory.
    bool EndRow(uint32_t count);
    // Replaces rec by the painted record of the objects, numbered 1 to N
    // in the raster order of their first runs; rec's custom size is kept
    // and its old object area reused when it fits. 0, or -9 without memory
    // or past 4 GiB of objects (rec then empty and painted).
    int Finish(SLxRLEPicBuf* rec);

  private:
    uint32_t width_ = 0, height_ = 0, y_ = 0;
    uint32_t labels_ = 0;
};

// Calls emit(start, end) (end exclusive) for every run of set pixels (of
// clear pixels with clear true) of a line of bits (pixel x under
// 0x80 >> x % 8 of byte x / 8), in x order. Works on 64 pixels at a time
// through the places where the value changes, lowest first, which keeps
// the step from one change to the next short; reads only the line's
// (width + 7) / 8 bytes.
template <class Emit> void ForEachBitRun(const uint8_t* line, uint32_t width, bool clear, Emit emit)
{
    uint64_t previous = 0; // the pixel before the word, as bit 0
    uint32_t start = 0;
    bool inside = false;
    for (uint64_t x = 0; x < width; x += 64) {
        const uint32_t pixels = width - x < 64 ? uint32_t(width - x) : 64;
        uint64_t word = 0;
        std::memcpy(&word, line + x / 8, pixels == 64 ? 8 : (pixels + 7) / 8);
        // Bits reversed within each byte: pixel x + i under bit i.
        word = (word >> 1 & 0x5555555555555555u) | (word & 0x5555555555555555u) << 1;
        word = (word >> 2 & 0x3333333333333333u) | (word & 0x3333333333333333u) << 2;
        word = (word >> 4 & 0x0F0F0F0F0F0F0F0Fu) | (word & 0x0F0F0F0F0F0F0F0Fu) << 4;
        if (clear)
            word = ~word;
        if (pixels < 64)
            word &= (uint64_t(1) << pixels) - 1;
        uint64_t changes = word ^ (word << 1 | previous);
        previous = word >> 63;
        for (; changes; changes &= changes - 1) {
            const uint32_t at = uint32_t(x + uint32_t(__builtin_ctzll(changes)));
            if (inside)
                emit(start, at);
            else
                start = at;
            inside = !inside;
        }
    }
    if (inside)
        emit(start, width);
}

} // namespace lx_rle
