// The workers behind the wavelet denoising and resharpening of
// LxPicBufDenoise.cpp: the tile plan, the tile routine, the noise
// measurement of a noise picture and the tiled one-component routine.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"

namespace lxshrink
{

constexpr uint32_t kMaxLevels = 7;
constexpr uint32_t kMaxTileCore = 5000;

enum class EShrink { Denoise, Resharpen };

// One tile along one direction: the core it stands for, the span read from
// the source (the core with a margin on every inner side) and the part of
// its result written to the destination (the span without the outer half
// of each margin). Half-open ranges.
struct STileRange {
    uint32_t coreBegin, coreEnd;
    uint32_t spanBegin, spanEnd;
    uint32_t writeBegin, writeEnd;
};

// The tiles along a side of `length` pixels for `levels` (1-7): n =
// ceil(length / 5000) tiles of nominal size T = length / n; a core that is
// not the last is cut down to a multiple of 2^levels and the rest moves the
// next core's start; margins of M = 4 x 2^levels. Empty for length 0.
std::vector<STileRange> planTiles(uint32_t length, uint32_t levels);

// Noise powers per band (0 diagonal, 1 high-pass along rows, 2 along
// columns) and level.
struct SNoiseRecord {
    double band[3][kMaxLevels] = {};
};

// The tile routine on one-component pictures: 0, -2 (levels above 7,
// deeper than 16 bits), -9 (mismatch, a filter longer than the deepest
// approximation, no memory). known null: estimate (level 1, or every level
// with perLevel); record, when given, receives the powers used.
int shrinkTile(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t levels, bool perLevel,
               const SNoiseRecord* known, SNoiseRecord* record, uint32_t wavelet, EShrink mode);

// The mean square of every detail band of every level of a one-component
// noise picture (sides multiples of 2^levels), with the denoising grades.
int measureNoise(const SLxPicBuf* noise, uint32_t levels, SNoiseRecord* out, uint32_t wavelet);

// The tile routine as the tiling calls it: (destination tile, source tile,
// known noise or null, record to fill or null).
using TileRoutine =
    std::function<int(SLxPicBuf*, const SLxPicBuf*, const SNoiseRecord*, SNoiseRecord*)>;

// A one-component picture in tiles: with known null the first tile's
// estimates serve the others, else every tile uses known. A single tile is
// processed straight from src into dst.
int shrinkTiled(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t levels, const SNoiseRecord* known,
                const TileRoutine& tile);

// The one-component routine as a public operation calls it: (destination,
// source, noise picture or null).
using OneComponentRoutine = std::function<int(SLxPicBuf*, const SLxPicBuf*, const SLxPicBuf*)>;

// A public operation: checks, components and colour spaces around the
// one-component routine. noise null: blind.
int shrinkPicture(SLxPicBuf* dst, const SLxPicBuf* src, const SLxPicBuf* noise, uint32_t levels,
                  bool color, uint32_t wavelet, uint32_t colorMode,
                  const OneComponentRoutine& oneComponent);

} // namespace lxshrink
