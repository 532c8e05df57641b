// Mapping of multi-component pictures to colour: every source component
// (a fluorescence channel, say) goes through its own table to a colour, and
// the colours of the shown components are combined into one B, G, R pixel.
// Conventions: see LxCopyKernels.h.
//
// Tables are the memory of an SLxLut (gnr_picture/lut/LxLut.h) with 3
// destination components:
// - rows (the one-component members): 2^b pointers, rows[s] pointing at the
//   blue, green and red samples of the colour of value s;
// - luts (all others): one row table per source component, luts[k][s][c]
//   being channel c of the colour of value s of component k (the
//   per-component layout of an SLxLut).
// Colour samples are bytes for the _3x8 members and 16-bit words for the
// _3x16 members. Samples index the tables directly: these raw kernels trust
// them to lie below 2^b. CLxPicMemAPI::MapComponentsMToN checks a table
// against the formats and looks samples above its range up at its last
// entry.
//
// Which components are shown: bit k of the 64-bit mask (maskLo bits 0-31,
// maskHi bits 32-63) set shows component k; components from 64 up are never
// shown. The colour of a pixel is the combination of the colours of its
// shown components, channel by channel, in component order, starting from
// black (every combination below leaves a colour combined with black as it
// is); a pixel without a shown component is black. The two-component 8-bit
// members leave the destination untouched instead when neither component
// is shown. The one-component members show their component and read no
// mask.
//
// Combinations of two channel values x and y:
// - 8-bit output, 2 to 6 components: screen, g_ScreenCombineTable.v[x][y];
// - 8-bit output, N components, and mapcomp_Iter1x8_3x8: root,
//   g_RootCombineTable.v[x][y];
// - 16-bit output, 2 to 6 components: x + y - floor(x y / M) with
//   M = 2^srcBits - 1 (srcBits 1 to 16, else -4 and nothing written);
// - 16-bit output, N components: trunc(x + y - sqrt(x y) + 0.5) in double.
// Results keep their low 16 bits. Colours within 0..M stay within 0..M.
//
// Over-exposure (_overexp members; a null overExpColor makes them the plain
// member): a pixel in which a shown component's sample is at or above the
// level (255 for byte samples, 2^srcBits - 1 for 16-bit samples) gets the
// three bytes of overExpColor (B, G, R) in place of its colour.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

// A 256 x 256 table of byte combinations, v[a][b].
struct SLxCombineTable {
    uint8_t v[256][256];
};

extern "C" {

// S[a][b] = a + b - floor(a b / 255): the colours add like light on a
// screen (S[128][128] = 192, S[255][x] = 255).
LX_EXPORT extern const SLxCombineTable g_ScreenCombineTable;
// R[a][b] = trunc(a + b - sqrt(a b) + 0.5), sqrt of the exact product in
// double: a softer addition (R[128][128] = 128, R[255][64] = 191). Both
// tables are symmetric, keep a colour combined with 0, never exceed 255,
// and are constant data: they hold their values before any code runs.
LX_EXPORT extern const SLxCombineTable g_RootCombineTable;

// --- 8-bit sources to 8-bit colour -----------------------------------------

LX_EXPORT int mapcomp_1x8_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                              const void* const* rows, uint32_t width, uint32_t pixelCount);
LX_EXPORT int mapcomp_2x8_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                              const void* const* const* luts, uint32_t maskLo, uint32_t maskHi,
                              uint32_t width, uint32_t pixelCount);
LX_EXPORT int mapcomp_3x8_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                              const void* const* const* luts, uint32_t maskLo, uint32_t maskHi,
                              uint32_t width, uint32_t pixelCount);
LX_EXPORT int mapcomp_4x8_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                              const void* const* const* luts, uint32_t maskLo, uint32_t maskHi,
                              uint32_t width, uint32_t pixelCount);
LX_EXPORT int mapcomp_5x8_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                              const void* const* const* luts, uint32_t maskLo, uint32_t maskHi,
                              uint32_t width, uint32_t pixelCount);
LX_EXPORT int mapcomp_6x8_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                              const void* const* const* luts, uint32_t maskLo, uint32_t maskHi,
                              uint32_t width, uint32_t pixelCount);
LX_EXPORT int mapcomp_Nx8_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t comps,
                              uint32_t srcWB, const void* const* const* luts, uint32_t maskLo,
                              uint32_t maskHi, uint32_t width, uint32_t pixelCount);

LX_EXPORT int mapcomp_1x8_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                      const void* const* rows, const uint8_t* overExpColor,
                                      uint32_t width, uint32_t pixelCount);
LX_EXPORT int mapcomp_2x8_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                      const void* const* const* luts, uint32_t maskLo,
                                      uint32_t maskHi, const uint8_t* overExpColor, uint32_t width,
                                      uint32_t pixelCount);
LX_EXPORT int mapcomp_3x8_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                      const void* const* const* luts, uint32_t maskLo,
                                      uint32_t maskHi, const uint8_t* overExpColor, uint32_t width,
                                      uint32_t pixelCount);
LX_EXPORT int mapcomp_4x8_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                      const void* const* const* luts, uint32_t maskLo,
                                      uint32_t maskHi, const uint8_t* overExpColor, uint32_t width,
                                      uint32_t pixelCount);
LX_EXPORT int mapcomp_5x8_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                      const void* const* const* luts, uint32_t maskLo,
                                      uint32_t maskHi, const uint8_t* overExpColor, uint32_t width,
                                      uint32_t pixelCount);
LX_EXPORT int mapcomp_6x8_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                      const void* const* const* luts, uint32_t maskLo,
                                      uint32_t maskHi, const uint8_t* overExpColor, uint32_t width,
                                      uint32_t pixelCount);
LX_EXPORT int mapcomp_Nx8_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t comps,
                                      uint32_t srcWB, const void* const* const* luts,
                                      uint32_t maskLo, uint32_t maskHi, const uint8_t* overExpColor,
                                      uint32_t width, uint32_t pixelCount);

// --- 9- to 16-bit sources to 8-bit colour ----------------------------------
// srcBits is not used by the plain 1- to 6-component members. The _overexp
// members take their level from it; they and mapcomp_Nx16_3x8 look no
// further than entry 2^srcBits - 1 (larger samples take that entry).

LX_EXPORT int mapcomp_1x16_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcBits,
                               uint32_t srcWB, const void* const* rows, uint32_t width,
                               uint32_t pixelCount);
LX_EXPORT int mapcomp_2x16_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcBits,
                               uint32_t srcWB, const void* const* const* luts, uint32_t maskLo,
                               uint32_t maskHi, uint32_t width, uint32_t pixelCount);
LX_EXPORT int mapcomp_3x16_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcBits,
                               uint32_t srcWB, const void* const* const* luts, uint32_t maskLo,
                               uint32_t maskHi, uint32_t width, uint32_t pixelCount);
LX_EXPORT int mapcomp_4x16_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcBits,
                               uint32_t srcWB, const void* const* const* luts, uint32_t maskLo,
                               uint32_t maskHi, uint32_t width, uint32_t pixelCount);
LX_EXPORT int mapcomp_5x16_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcBits,
                               uint32_t srcWB, const void* const* const* luts, uint32_t maskLo,
                               uint32_t maskHi, uint32_t width, uint32_t pixelCount);
LX_EXPORT int mapcomp_6x16_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcBits,
                               uint32_t srcWB, const void* const* const* luts, uint32_t maskLo,
                               uint32_t maskHi, uint32_t width, uint32_t pixelCount);
LX_EXPORT int mapcomp_Nx16_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcBits,
                               uint32_t srcWB, uint32_t comps, const void* const* const* luts,
                               uint32_t maskLo, uint32_t maskHi, uint32_t width,
                               uint32_t pixelCount);

LX_EXPORT int mapcomp_1x16_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t srcBits,
                                       uint32_t srcWB, const void* const* rows,
                                       const uint8_t* overExpColor, uint32_t width,
                                       uint32_t pixelCount);
LX_EXPORT int mapcomp_2x16_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t srcBits,
                                       uint32_t srcWB, const void* const* const* luts,
                                       uint32_t maskLo, uint32_t maskHi,
                                       const uint8_t* overExpColor, uint32_t width,
                                       uint32_t pixelCount);
LX_EXPORT int mapcomp_3x16_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t srcBits,
                                       uint32_t srcWB, const void* const* const* luts,
                                       uint32_t maskLo, uint32_t maskHi,
                                       const uint8_t* overExpColor, uint32_t width,
                                       uint32_t pixelCount);
LX_EXPORT int mapcomp_4x16_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t srcBits,
                                       uint32_t srcWB, const void* const* const* luts,
                                       uint32_t maskLo, uint32_t maskHi,
                                       const uint8_t* overExpColor, uint32_t width,
                                       uint32_t pixelCount);
LX_EXPORT int mapcomp_5x16_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t srcBits,
                                       uint32_t srcWB, const void* const* const* luts,
                                       uint32_t maskLo, uint32_t maskHi,
                                       const uint8_t* overExpColor, uint32_t width,
                                       uint32_t pixelCount);
LX_EXPORT int mapcomp_6x16_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t srcBits,
                                       uint32_t srcWB, const void* const* const* luts,
                                       uint32_t maskLo, uint32_t maskHi,
                                       const uint8_t* overExpColor, uint32_t width,
                                       uint32_t pixelCount);
LX_EXPORT int mapcomp_Nx16_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t srcBits,
                                       uint32_t srcWB, uint32_t comps,
                                       const void* const* const* luts, uint32_t maskLo,
                                       uint32_t maskHi, const uint8_t* overExpColor, uint32_t width,
                                       uint32_t pixelCount);

// --- 9- to 16-bit sources to 16-bit colour ---------------------------------
// No over-exposure marking. srcBits is not used by the one-component
// member; the others look no further than entry 2^srcBits - 1, and the 2-
// to 6-component members combine at the full scale M = 2^srcBits - 1.

LX_EXPORT int mapcomp_1x16_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                uint32_t srcBits, const void* const* rows, uint32_t width,
                                uint32_t pixelCount);
LX_EXPORT int mapcomp_2x16_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                uint32_t srcBits, const void* const* const* luts, uint32_t maskLo,
                                uint32_t maskHi, uint32_t width, uint32_t pixelCount);
LX_EXPORT int mapcomp_3x16_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                uint32_t srcBits, const void* const* const* luts, uint32_t maskLo,
                                uint32_t maskHi, uint32_t width, uint32_t pixelCount);
LX_EXPORT int mapcomp_4x16_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                uint32_t srcBits, const void* const* const* luts, uint32_t maskLo,
                                uint32_t maskHi, uint32_t width, uint32_t pixelCount);
LX_EXPORT int mapcomp_5x16_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                uint32_t srcBits, const void* const* const* luts, uint32_t maskLo,
                                uint32_t maskHi, uint32_t width, uint32_t pixelCount);
LX_EXPORT int mapcomp_6x16_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                uint32_t srcBits, const void* const* const* luts, uint32_t maskLo,
                                uint32_t maskHi, uint32_t width, uint32_t pixelCount);
LX_EXPORT int mapcomp_Nx16_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t comps,
                                uint32_t srcWB, uint32_t srcBits, const void* const* const* luts,
                                uint32_t maskLo, uint32_t maskHi, uint32_t width,
                                uint32_t pixelCount);

// --- Accumulation ------------------------------------------------------------

// Adds the colours of one picture into the colour already in the
// destination, which it never clears: for each of the comps x width source
// bytes of a line, the next destination pixel becomes
// R[rows[s][c]][out[c]] on each channel (one 3-byte pixel per source byte;
// comps is 1 for a plain single-channel picture). Called once per channel
// picture, each with its own table, it composes their colours. The mask is
// not read.
LX_EXPORT int mapcomp_Iter1x8_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t comps,
                                  uint32_t srcWB, const void* const* rows, uint32_t maskLo,
                                  uint32_t maskHi, uint32_t width, uint32_t pixelCount);

} // extern "C"
