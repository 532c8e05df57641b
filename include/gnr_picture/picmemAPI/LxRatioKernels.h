// Ratio, calcium and FRET imaging kernels and the local-peak marker; the
// dispatchers are CLxPicMemAPI::RatioImage, CaImage, FRETImage,
// FRET_EffImage and MonoDetectLocalPeaks.
//
// Sources are interleaved pictures of comps samples a pixel: byte samples
// for the _8 members, 16-bit samples for the _16 members. Results are 3
// bytes a pixel, blue, green, red (fret_16_to_16: three 16-bit words), in
// lines of the destination's own bytes per line. count / width whole lines
// are worked on; width must not be 0. Component indexes are trusted to lie
// below comps. All return 0.
//
// Colour: entry i of a rainbow palette (LX_RGBRainbowColorTable of 256
// entries: index 0 magenta, then blue, cyan, green, yellow, index 255 red,
// read as bytes 0, 1, 2 of the colour word) gives the
// bytes B, G, R of the result, each scaled by the pixel's brightness: byte
// x b / 255 at 8 bits, byte x b / M at 16 bits, where b = max(p - op,
// q - oq, 0) of the numerator and denominator with their offsets and M the
// largest raw numerator or denominator sample of the picture (at least 1).
// At 8 bits only the low byte of an offset counts. Every conversion of a
// double to an index or sample comes after its clamp; NaN gives 0.
#pragma once

#include <cstdint>

#include "gnr_picture/lut/LxLut.h"
#include "gnr_picture/lut/LxLutParam.h"
#include "w32_system/LxExport.h"

extern "C" {

// Palette index: 255 x clamp(((p - op) / (q - oq) - dMin) / (dMax - dMin),
// 0, 1), truncated, when q > oq; else 255.
LX_EXPORT int ratio_8(void* dst, uint32_t dstWB, const void* src, uint32_t comps, uint32_t bits,
                      uint32_t srcWB, uint32_t width, uint32_t count, const SLxRatioDesc* desc);
LX_EXPORT int ratio_16(void* dst, uint32_t dstWB, const void* src, uint32_t comps, uint32_t bits,
                       uint32_t srcWB, uint32_t width, uint32_t count, const SLxRatioDesc* desc);

// Grynkiewicz calibration: R = (p - op) / (q - oq) (p - op when q <= oq);
// concentration = (R - s Rmin) beta K / (s Rmax - R) with beta = bn / bd (bn
// when bd <= 0), capped at 10^ceil(log10(10 K)); shown on a log scale from
// log10(concLow) to log10(concHigh) (concLow 0: ca_8 -log10(concHigh) when
// that is negative, else -4; ca_16 -ceil(log10(10 K))). bn <= 0, R at or
// below s Rmin or a concentration of 0 give the lowest index.
LX_EXPORT int ca_8(void* dst, uint32_t dstWB, const void* src, uint32_t comps, uint32_t bits,
                   uint32_t srcWB, uint32_t width, uint32_t count, uint8_t numer, uint8_t denom,
                   uint16_t numOffset, uint16_t denOffset, double kd, double scale,
                   double betaNumer, double betaDenom, double ratioMin, double ratioMax,
                   double concLow, double concHigh);
LX_EXPORT int ca_16(void* dst, uint32_t dstWB, const void* src, uint32_t comps, uint32_t bits,
                    uint32_t srcWB, uint32_t width, uint32_t count, uint8_t numer, uint8_t denom,
                    uint16_t numOffset, uint16_t denOffset, double kd, double scale,
                    double betaNumer, double betaDenom, double ratioMin, double ratioMax,
                    double concLow, double concHigh);

// Corrected FRET: with a = max(0, FRET - offset), D and A likewise for donor
// and acceptor (A = 0 for a negative acceptor index),
// F = a - c1 (A - c2 D) - c0 (D - c3 A), held to 0 .. 2^bits - 1. With a lut
// (one table of row pointers, 3 byte components, at least 2^bits entries)
// the row of F is written; without one, grey F x 255 / (2^bits - 1) (fret_8,
// fret_16) or F itself in three 16-bit words (fret_16_to_16; with a lut each
// row byte becomes a 16-bit word).
#define LX_FRET_ARGS                                                                               \
    void *dst, uint32_t dstWB, const void *src, uint32_t comps, uint32_t bits, uint32_t srcWB,     \
        uint32_t width, uint32_t count, int32_t fretComp, int32_t donorComp, int32_t acceptorComp, \
        [[maybe_unused]] int32_t unusedComp, int16_t fretOffset, int16_t donorOffset,              \
        int16_t acceptorOffset, [[maybe_unused]] int16_t unusedOffset, double c0, double c1,       \
        double c2, double c3
LX_EXPORT int fret_8(LX_FRET_ARGS, const SLxLut* lut);
LX_EXPORT int fret_16(LX_FRET_ARGS, const SLxLut* lut);
LX_EXPORT int fret_16_to_16(LX_FRET_ARGS, const SLxLut* lut);

// FRET efficiency E = 100 F / D (0 for D = 0; F not held at the top),
// rescaled to lowest .. highest when lowest < highest, held to 0 .. 100;
// palette index E x 2.55 truncated. Brightness: (FRET sample - m) modulo
// 2^8 or 2^16, over M - m, where m and M are the smallest and largest value
// of component 0 (M at least 1); M = m gives black.
LX_EXPORT int fret_eff_8(LX_FRET_ARGS, double lowest, double highest);
LX_EXPORT int fret_eff_16(LX_FRET_ARGS, double lowest, double highest);

// Local minima: interior pixels (1 <= x <= width - 2, 1 <= y <= lines - 2)
// no neighbour is lower than (tolerance < 1), or more than tolerance below
// (c - v > tolerance; the 16-bit member takes c - v as a signed 16-bit
// difference), are marked levels; then for L = levels - 1 down to 1 (255 for
// levels 0) one raster pass gives L to every interior pixel marked at most
// L that has no neighbour marked at most L lying lower. Every line of the
// marks (the source's sample size) is cleared over the width first.
LX_EXPORT int localpeaks_8(void* dst, uint32_t dstWB, const void* src, uint32_t bits,
                           uint32_t srcWB, uint32_t width, uint32_t count, int16_t tolerance,
                           uint8_t levels);
LX_EXPORT int localpeaks_16(void* dst, uint32_t dstWB, const void* src, uint32_t bits,
                            uint32_t srcWB, uint32_t width, uint32_t count, int16_t tolerance,
                            uint8_t levels);

} // extern "C"
