// The raw-memory layer of float pictures: static operations on float planes
// given by pointer, component count, line bytes, width and a height or a
// pixel count, and the Fourier transforms of complex data held as separate
// real and imaginary float arrays.
//
// Common rules: 0 for success; a width or count of 0 returns 0 before
// anything else. Pointers and sizes are trusted to lie in their planes.
// Operations without a line-bytes argument take lines of width x comps
// floats with no gap.
//
// Two sign conventions meet here:
// - FFT_1Dx2pn / FFT_2Dx2pn2pm: direction 1 is sum x exp(-2 pi i k t / n)
//   divided by n; any other direction sum x exp(+2 pi i k t / n), unscaled.
// - FFT_1D_ConstSize / FFT_2D_ConstSize (64 points): forward is
//   exp(+2 pi i k t / 64) unscaled, inverse exp(-...) divided by 64.
#pragma once

#include <cstdint>

#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "w32_system/LxExport.h"

// Twiddle factors of the 64-point transforms: entry 2^s - 1 + j (stage s = 0
// .. 5, j < 2^s) holds cos(pi j / 2^s) in the u1 arrays, sin(pi j / 2^s) in
// FFT_u2 and -sin(pi j / 2^s) in IFFT_u2. Filled when the library loads.
LX_EXPORT extern float FFT_u1[63];
LX_EXPORT extern float FFT_u2[63];
LX_EXPORT extern float IFFT_u1[63];
LX_EXPORT extern float IFFT_u2[63];

class LX_EXPORT CLxFloatPicMemAPI
{
  public:
    // --- Copies, fills and components --------------------------------------

    static int Copy(float* dst, uint32_t dstWB, const float* src, uint32_t srcWB, uint32_t comps,
                    uint32_t width, uint32_t count);
    // Quadrant swap: line y goes to line (y + height/2) mod height, its first
    // width/2 pixels to columns width/2 onward and the rest to column 0
    // onward. dst and src distinct; lineBytes is not used.
    static int FlipCross(float* dst, const float* src, uint32_t comps, uint32_t lineBytes,
                         uint32_t width, uint32_t height);
    // Each pixel's components averaged into one float.
    static int Collapse2Intesity(float* dst, const float* src, uint32_t comps, uint32_t width,
                                 uint32_t count);
    // -4 for a component index outside its plane.
    static int ExtractComponent(float* dst, uint32_t dstWB, const float* src, uint32_t srcComps,
                                uint32_t srcWB, uint32_t comp, uint32_t width, uint32_t count);
    static int CopyComponent(float* dst, uint32_t dstComps, uint32_t dstWB, uint32_t dstComp,
                             const float* src, uint32_t srcComps, uint32_t srcWB, uint32_t srcComp,
                             uint32_t width, uint32_t count);
    static int SetValue(float* dst, uint32_t comps, uint32_t wb, const float* values,
                        uint32_t width, uint32_t count);
    // The value is stored as given (-4 for a component outside the plane).
    static int SetComponentValue(float* dst, uint32_t comps, uint32_t wb, uint32_t comp,
                                 float value, uint32_t width, uint32_t count);

    // The block srcW x srcBlockH at (srcX, srcY) of a plane of srcHeight
    // lines into dstW x dstH: mode 2 quadratic B-spline, 3 triangle (two
    // separable passes through a few scratch rows, -3 without them), others
    // nearest neighbour; comps 1, 3 or any. A block below the plane or
    // starting right of its lines: -4.
    static int Stretch(float* dst, uint32_t comps, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
                       const float* src, uint32_t srcWB, uint32_t srcHeight, uint32_t srcX,
                       uint32_t srcY, uint32_t srcW, uint32_t srcBlockH,
                       CLxPicMemAPI::ELxPicStretchMode mode);

    // --- Complex planes ----------------------------------------------------

    static int AmpnPhase_to_RealnImag(float* re, float* im, const float* amp, const float* phase,
                                      uint32_t comps, uint32_t width, uint32_t count);
    // Phases in [0, 2 pi): acos(re / a) for im > 0, 2 pi - acos(re / a) for
    // im < 0, 0 or pi for im = 0 (re >= 0 or re < 0).
    static int RealnImag_to_AmpnPhase(float* amp, float* phase, const float* re, const float* im,
                                      uint32_t comps, uint32_t width, uint32_t count);

    // Samples (1 to 8 bits in bytes, 9 to 16 in words) to the first plane,
    // the second cleared: one plane component averages each pixel's samples,
    // three take the three samples. -4 when the plane has more components
    // than the samples, or three and the samples more than three; -2 for
    // other depths or plane component counts.
    static int ExtractRGBtoFloatAP(float* first, float* second, uint32_t planeComps,
                                   uint32_t planeWB, const void* samples, uint32_t sampleWB,
                                   uint32_t bits, uint32_t sampleComps, uint32_t width,
                                   uint32_t count);
    static int ExtractRGBtoFloatRI(float* re, float* im, uint32_t planeComps, uint32_t planeWB,
                                   const void* samples, uint32_t sampleWB, uint32_t bits,
                                   uint32_t sampleComps, uint32_t width, uint32_t count);
    // First plane to samples: trunc(v + 0.5) held to 0 .. 255 (8 bits) or
    // 2^bits - 1 (9 to 16 bits); below 0 and NaN store 0. -4 when the
    // component counts differ, -2 for other depths. second is not read.
    static int ExtractFloatAPtoRGB(void* samples, uint32_t sampleComps, uint32_t sampleWB,
                                   uint32_t bits, const float* first, const float* second,
                                   uint32_t planeComps, uint32_t planeWB, uint32_t width,
                                   uint32_t count);
    // The amplitudes of (re, im) stored as by ExtractFloatAPtoRGB; -3 without
    // scratch memory.
    static int ExtractFloatRItoRGB(void* samples, uint32_t sampleComps, uint32_t sampleWB,
                                   uint32_t bits, const float* re, const float* im,
                                   uint32_t planeComps, uint32_t planeWB, uint32_t width,
                                   uint32_t count);
    // dst = mask x src / full, one mask byte a pixel; -4 when the component
    // counts differ.
    static int MaskFloatWithGray(float* dst, uint32_t dstComps, const float* src, uint32_t srcComps,
                                 const uint8_t* mask, uint32_t width, uint32_t count, uint8_t full);

    // --- Tone mapping to samples of bits 1 to 8 or 9 to 16 (-2 otherwise) --

    static int Map_Tumblin(void* samples, uint32_t bits, const float* data, uint32_t width,
                           uint32_t height, uint32_t comps);
    static int MapParam_Tumblin(void* samples, uint32_t bits, const float* data, uint32_t width,
                                uint32_t height, uint32_t comps, uint32_t param);
    static int Map_Drago(void* samples, uint32_t bits, const float* data, uint32_t width,
                         uint32_t height, uint32_t comps);
    // The parameter is not used.
    static int MapParam_Drago(void* samples, uint32_t bits, const float* data, uint32_t width,
                              uint32_t height, uint32_t comps, uint32_t param);

    // --- Element-wise arithmetic -------------------------------------------

    static int AddFloatnFloat(float* dst, const float* a, const float* b, uint32_t comps,
                              uint32_t width, uint32_t count);
    static int SubFloatnFloat(float* dst, const float* a, const float* b, uint32_t comps,
                              uint32_t width, uint32_t count);
    static int MultiFloatnFloat(float* dst, const float* a, const float* b, uint32_t comps,
                                uint32_t width, uint32_t count);
    // 0 where b is exactly 0.
    static int DivFloatnFloat(float* dst, const float* a, const float* b, uint32_t comps,
                              uint32_t width, uint32_t count);
    static int MultiplybyFloat(float* data, float factor, uint32_t width, uint32_t height,
                               uint32_t comps);
    // Non-zero x becomes ln |x| (Logarithm) or 1 / x (Inversion); zeros stay.
    static int Logarithm(float* data, uint32_t width, uint32_t height, uint32_t comps);
    static int Inversion(float* data, uint32_t width, uint32_t height, uint32_t comps);

    // --- Per-component statistics (out has comps entries) -------------------

    static int MinComp(float* out, const float* src, uint32_t width, uint32_t height,
                       uint32_t comps);
    static int MaxComp(float* out, const float* src, uint32_t width, uint32_t height,
                       uint32_t comps);
    static int MeanComp(float* out, const float* src, uint32_t width, uint32_t height,
                        uint32_t comps);
    // The element at index (width x height) / 2 of the sorted values; -3
    // without scratch memory.
    static int MedianComp(float* out, const float* src, uint32_t width, uint32_t height,
                          uint32_t comps);
    // sqrt(sum (x - mean)^2 / (n - 1)); 0 for a single pixel.
    static int DeviationComp(float* out, const float* mean, const float* src, uint32_t width,
                             uint32_t height, uint32_t comps);

    // --- Padding and cutting ------------------------------------------------

    // The source block from (max(x, 0), max(y, 0)) to (min(x + dstW, srcW),
    // min(y + dstH, srcH)) to (max(-x, 0), max(-y, 0)) of dst; the rest of dst
    // keeps its contents.
    static int CutImage(float* dst, uint32_t dstW, uint32_t dstH, const float* src, uint32_t srcW,
                        uint32_t srcH, int32_t x, int32_t y, uint32_t comps);
    // -4 when the source is larger; dst zeroed, the source centred.
    static int ZeroPad(float* dst, uint32_t dstW, uint32_t dstH, const float* src, uint32_t srcW,
                       uint32_t srcH, uint32_t comps);
    // -4 when the source is larger; the source centred and repeated
    // periodically into the margins.
    static int TilePad(float* dst, uint32_t dstW, uint32_t dstH, const float* src, uint32_t srcW,
                       uint32_t srcH, uint32_t comps);

    // --- Fourier transforms -------------------------------------------------

    // power = the smallest 2^e >= n (1 for n 0 or 1), exponent = e; true.
    static bool Powerof2(uint32_t n, uint32_t* exponent, uint32_t* power);
    // In place; -2 when n is not a power of two (data unchanged).
    static int FFT_1Dx2pn(float* re, float* im, uint8_t direction, uint32_t n);
    // Lines, then columns; -2 (data unchanged) unless both sizes are powers
    // of two, -3 (data unchanged) without memory for the column pass.
    static int FFT_2Dx2pn2pm(float* re, float* im, uint32_t width, uint32_t height,
                             uint8_t direction);
    // The tables are filled when the library loads; this only makes sure.
    static void Init_ConstSizeFFT();
    static int FFT_1D_ConstSize(float* re, float* im, bool inverse);
    // 64 x 64; -3 without scratch memory.
    static int FFT_2D_ConstSize(float* re, float* im, bool inverse);
    // (re, im) x (kre, kim) element by element.
    static void FrequencyConvolution(float* re, float* im, const float* kre, const float* kim,
                                     uint32_t width, uint32_t height);
};
