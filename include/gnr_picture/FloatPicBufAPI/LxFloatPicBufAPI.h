// Pictures of 32-bit float samples and their static operations: record
// handling, copies, arithmetic and centred Fourier spectra.
//
// Every operation returns 0 for success, -9 for a null record or pictures
// that fail their check (nothing written), -3 when memory is refused.
#pragma once

#include <cstdint>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "w32_system/LxExport.h"

// Width, height, bits and components stand where SLxPicBuf has them.
struct SLxFloatPicBuf {
    uint32_t uiWidth;
    uint32_t uiHeight;
    uint32_t uiWidthBytes; // width x components x 4 unless given
    uint8_t uiBpc;         // 32 after Reinit
    uint32_t uiComps;
    uint32_t uiSize; // uiWidthBytes x uiHeight
    uint32_t uiReserved1;
    uint32_t uiReserved2;
    float* pData; // owned, from the private heap
};

// Per-component statistics of the rectangle [left, right) x [top, bottom);
// the five arrays hold count floats each and belong to the record.
struct SLxImageStat {
    uint32_t uiCount;
    uint32_t uiLeft;
    uint32_t uiTop;
    uint32_t uiRight;
    uint32_t uiBottom;
    float* pMin;
    float* pMax;
    float* pMean;
    float* pDeviation;
    float* pMedian;
};

class LX_EXPORT CLxImageStat
{
  public:
    static void Init(SLxImageStat* stat);
    // Rectangle and count stored, arrays resized; -3 when any is missing
    // afterwards (also for a count of 0), -9 for a null record.
    static int Reinit(SLxImageStat* stat, uint32_t left, uint32_t top, uint32_t right,
                      uint32_t bottom, uint32_t count);
    static void Free(SLxImageStat* stat);
};

class LX_EXPORT CLxFloatPicBufAPI
{
  public:
    // --- Records ------------------------------------------------------------

    static void Init(SLxFloatPicBuf* pic);
    // Sizes stored, bits 32, data resized (and zeroed when asked). -3 when
    // the data is missing afterwards, also for an empty picture (data
    // released) or a size beyond 32 bits (data kept, sizes unchanged).
    static int Reinit(SLxFloatPicBuf* pic, uint32_t width, uint32_t height, uint32_t lineBytes,
                      uint32_t comps, bool zero);
    static void Free(SLxFloatPicBuf* pic);
    // Options as for pictures: 0 width and height, 1 and bits, 2 and
    // components, 3 width, height, components, 4 components, 5 bits, 6 bits
    // and components; others false. False for a null record.
    static bool Check(const SLxFloatPicBuf* a, const SLxFloatPicBuf* b, uint32_t option);
    static bool Check(const SLxFloatPicBuf* a, const SLxPicBuf* b, uint32_t option);
    // a.width <= b.width <= maxWidth and a.height <= b.height <= maxHeight.
    static bool Check_Ex(const SLxFloatPicBuf* a, const SLxFloatPicBuf* b, uint32_t maxWidth,
                         uint32_t maxHeight);
    static bool Check_Ex(const SLxPicBuf* a, const SLxFloatPicBuf* b, uint32_t maxWidth,
                         uint32_t maxHeight);
    static int Clear(SLxFloatPicBuf* pic);
    // Same format (check 2), else an assertion and -9.
    static int Copy(SLxFloatPicBuf* dst, const SLxFloatPicBuf* src);

    // The width x height block at (srcX, srcY) of src to (x, y) of dst (check
    // 6, else an assertion and -9); -4 when the block leaves either picture.
    static int CopyRect(uint32_t x, uint32_t y, uint32_t width, uint32_t height,
                        SLxFloatPicBuf* dst, uint32_t srcX, uint32_t srcY,
                        const SLxFloatPicBuf* src);
    // Minimum, maximum, mean, median, deviation of each component of the
    // stat's rectangle; -4 when the rectangle leaves the source or the
    // arrays are shorter than its components.
    static int GetStat(SLxImageStat* stat, const SLxFloatPicBuf* src);

    // --- Tone mapping into 8- or 16-bit pictures of the same size and
    // components (-9 otherwise); 0 whatever the depth.
    static int Map_Tumblin(SLxPicBuf* dst, const SLxFloatPicBuf* src);
    static int MapParam_Tumblin(SLxPicBuf* dst, const SLxFloatPicBuf* src, uint32_t param);
    static int Map_Drago(SLxPicBuf* dst, const SLxFloatPicBuf* src);
    static int MapParam_Drago(SLxPicBuf* dst, const SLxFloatPicBuf* src, uint32_t param);
    // The 64-point twiddle tables are filled at load; kept for callers.
    static void Init_ConstSizeFFT();

    // The whole source resampled into the whole destination (check 6, else
    // an assertion and -9).
    static int Stretch(SLxFloatPicBuf* dst, const SLxFloatPicBuf* src,
                       CLxPicMemAPI::ELxPicStretchMode mode);

    // --- Arithmetic (check 2 of dst against each operand) --------------------

    static int Plus(SLxFloatPicBuf* dst, const SLxFloatPicBuf* a, const SLxFloatPicBuf* b);
    static int Minus(SLxFloatPicBuf* dst, const SLxFloatPicBuf* a, const SLxFloatPicBuf* b);
    static int Multiplication(SLxFloatPicBuf* dst, const SLxFloatPicBuf* a,
                              const SLxFloatPicBuf* b);
    // 0 where b is exactly 0.
    static int Division(SLxFloatPicBuf* dst, const SLxFloatPicBuf* a, const SLxFloatPicBuf* b);

    // --- Amplitude/phase pairs (check 2 of every picture against the first)

    // Amplitudes multiplied, phases added (not wrapped).
    static int MultiplicationAP(SLxFloatPicBuf* ampOut, SLxFloatPicBuf* phaseOut,
                                const SLxFloatPicBuf* amp1, const SLxFloatPicBuf* phase1,
                                const SLxFloatPicBuf* amp2, const SLxFloatPicBuf* phase2);
    // Amplitudes divided (0 where the divisor is exactly 0), phases subtracted.
    static int DivisionAP(SLxFloatPicBuf* ampOut, SLxFloatPicBuf* phaseOut,
                          const SLxFloatPicBuf* amp1, const SLxFloatPicBuf* phase1,
                          const SLxFloatPicBuf* amp2, const SLxFloatPicBuf* phase2);
    static int ConjugationAP(SLxFloatPicBuf* ampOut, SLxFloatPicBuf* phaseOut,
                             const SLxFloatPicBuf* amp, const SLxFloatPicBuf* phase);

    // --- Filters (check 2, each component on its own) -------------------------

    // The size x size window from (x - size/2, y - size/2), clipped to the
    // picture: sum(w v) / sum(w). Mode 0 box, 1 Gaussian; other modes -2,
    // size 0 -4.
    static int Smooth(SLxFloatPicBuf* dst, const SLxFloatPicBuf* src, uint32_t mode, uint32_t size);
    // p x (1 + 0.2 s), s the deviation of p and its inside 4-neighbours; a
    // lone pixel is written unchanged.
    static int Sharpen(SLxFloatPicBuf* dst, const SLxFloatPicBuf* src, uint32_t unused = 0);
    // Element count / 2 of the sorted clipped window; size 0 -4.
    static int MedianFilter(SLxFloatPicBuf* dst, const SLxFloatPicBuf* src, uint32_t size);
    // min(src, limits[component]).
    static int CutBy(SLxFloatPicBuf* dst, const SLxFloatPicBuf* src, const float* limits);

    // --- Centred spectra ------------------------------------------------------
    //
    // The transform works on W x H planes, the powers of two at or above the
    // amplitude picture's size; the source is centred in them and repeated
    // periodically. The forward spectrum uses exp(+2 pi i (kx / W + ly / H))
    // unscaled, its zero frequency at (W/2, H/2); the phase lies in [0, 2 pi).
    // The central part of the amplitude's size goes to amplitude and phase.
    // The amplitude picture has the source's components, or 1 (the source's
    // components averaged first).
    static int FFT_Image(SLxFloatPicBuf* amplitude, SLxFloatPicBuf* phase,
                         const SLxFloatPicBuf* src);
    // The inverse, scaled by 1 / (W x H). Results at or below 0 are stored as
    // 0 (the pictures hold intensities); imaginary parts are dropped.
    static int IFFT_Image(SLxFloatPicBuf* dst, const SLxFloatPicBuf* amplitude,
                          const SLxFloatPicBuf* phase);

    // Through the spectra of a and b (check 2 of dst against both):
    // a x conj(b), a x b, a / b (no regularisation), inverted into dst.
    static int Correlation(SLxFloatPicBuf* dst, const SLxFloatPicBuf* a, const SLxFloatPicBuf* b);
    static int Convolution(SLxFloatPicBuf* dst, const SLxFloatPicBuf* a, const SLxFloatPicBuf* b);
    static int Deconvolution(SLxFloatPicBuf* dst, const SLxFloatPicBuf* a, const SLxFloatPicBuf* b);

    // --- The same on sample pictures (1 to 8 or 9 to 16 bits) ----------------

    // -2 for a format the sample conversion refuses (components other than
    // 1 or 3, other depths).
    static int FFT_Image(SLxFloatPicBuf* amplitude, SLxFloatPicBuf* phase, const SLxPicBuf* src);
    // The destination has the amplitude's components; samples are rounded
    // and held to the depth's range.
    static int IFFT_Image(SLxPicBuf* dst, const SLxFloatPicBuf* amplitude,
                          const SLxFloatPicBuf* phase);
    static int Correlation(SLxPicBuf* dst, const SLxPicBuf* a, const SLxPicBuf* b);
    static int Convolution(SLxPicBuf* dst, const SLxPicBuf* a, const SLxPicBuf* b);
    static int Deconvolution(SLxPicBuf* dst, const SLxPicBuf* a, const SLxPicBuf* b);

    // --- Kernel matrices on sample pictures (1 to 8 or 9 to 16 bits, any
    // components; dst of the source's size, components and depth) ---------
    //
    // Each output sample is sum over rows r and columns c of the sample at
    // (x + c - k/2, y + r - k/2), coordinates held inside the picture (edges
    // replicated), times value(r, c) / divisor (a divisor of 0 counts as 1;
    // the kernel is not flipped), in float. With stretch the 0.1 % and
    // 99.9 % points of the results are spread onto the depth's range. Stored
    // rounded half up and held to [0, 2^bits - 1] (255 up to 8 bits).
    // dst may be src. -9 for null arguments, empty or mismatched pictures
    // (nothing written), -2 for other depths, -3 without memory.

    // Direct sums; the kernel must be square with an odd side (else -9).
    static int Convolution(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernelMatrix* kernel,
                           bool stretch);
    // The same through 64-point transforms of 64 x 64 tiles overlapping by
    // k - 1 samples; square kernels of at most 64 columns (else -9).
    static int ConvolutionWithFFT(SLxPicBuf* dst, const SLxPicBuf* src,
                                  const SLxKernelMatrix* kernel, bool stretch);
};
