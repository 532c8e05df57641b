// The histogram record of the picture layer and the static operations that
// prepare it for a picture format, count pictures into it and search it.
// SLxLut::CreateEqualizingTable_1_1 reads the first five fields.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

struct SLxPicBuf;
struct SLxPicBufDesc;

// Bins are unsigned counters of uiBinSize bytes (4 or 8); every plane has
// 2^uiBits bins, bin j counting the value j. All planes lie back to back in
// one block at pHisto: one plane for one component; for several, plane 0
// counts the pixel's component mean (rounded down) and plane c + 1
// component c. ppCompHisto[c] is the plane of component c (for one
// component, pHisto itself). Both blocks come from the library heap and
// belong to the record: CLxHistoAPI::Free releases them.
struct SLxHisto {
    void* pHisto = nullptr;
    void** ppCompHisto = nullptr;
    // Bytes of one bin: 4 (uint32_t bins) or 8 (uint64_t bins); 0 until
    // prepared.
    uint32_t uiBinSize = 0;
    uint32_t uiComps = 0;
    // Bits per component; a plane has 2^uiBits bins.
    uint32_t uiBits = 0;
    // 0: the whole picture is counted; 1: the rectangle below; any other
    // value counts nothing.
    uint32_t uiAreaMode = 0;
    uint32_t uiAreaX = 0;
    uint32_t uiAreaY = 0;
    uint32_t uiAreaWidth = 0;
    uint32_t uiAreaHeight = 0;
    // Every uiStepX-th pixel of every uiStepY-th line is counted.
    uint32_t uiStepX = 1;
    uint32_t uiStepY = 1;
    // Size of the picture last given to Reinit32 or Reinit64.
    uint32_t uiWidth = 0;
    uint32_t uiHeight = 0;
};

// Status results: 0 success, -2 a format or area that cannot be counted, -3
// no memory or a record without its bins block, -4 a missing argument or an
// index out of range, -9 a read of a record that has no bins.
class LX_EXPORT CLxHistoAPI
{
  public:
    // Every field 0, then both steps 1. Frees nothing.
    static void Init(SLxHisto* histo);
    // Prepare 4-byte (Reinit32) or 8-byte (Reinit64) bins for the pictures
    // the descriptor describes. When bits, components and bin size are
    // unchanged and the bins exist, the counts stay; otherwise the blocks are
    // reallocated (kept bytes keep their counts, new bytes are 0). Either
    // way the record takes the descriptor's width and height, and the area
    // size too unless area mode is 1 (the caller's rectangle stays).
    // -4 for a null argument; -2 for bits 0 or above 16 or no components
    // (nothing allocated); -3 when memory runs out (both blocks released).
    static int Reinit32(SLxHisto* histo, const SLxPicBufDesc* desc);
    static int Reinit64(SLxHisto* histo, const SLxPicBufDesc* desc);
    // Makes dst an independent copy of src (all fields and bins). -4 for a
    // null argument or a source without bins; -9 when memory runs out (the
    // fields are copied, dst's bins null).
    static int Copy(SLxHisto* dst, const SLxHisto* src);
    // Every bin of every plane 0. Nothing for a record without bins.
    static void ResetToZero(SLxHisto* histo);
    // Releases both blocks and nulls the pointers; the other fields stay, so
    // the next Reinit32 or Reinit64 allocates again.
    static void Free(SLxHisto* histo);
    // Counts the picture (prepared for its format first, and cleared when
    // reset is true): area mode 0 the whole picture, 1 the area rectangle,
    // with the steps; other modes count nothing. -4 for a null argument, a
    // picture without its memory or an area rectangle not inside the
    // picture (nothing counted); -2 for a format that cannot be counted
    // (bits other than 8 and 9 to 16, or components 0); -3 without bins.
    static int Calculate(SLxHisto* histo, const SLxPicBuf* pic, bool reset);
    // As Calculate, counting only the pixels whose byte in the mask (8 bits,
    // one component, else -4) is not 0, over the common size of the two
    // pictures. Area mode 1 clips the rectangle to that size: a rectangle
    // starting outside it or empty after clipping -2; other modes -2.
    static int CalculateUnderBinary(SLxHisto* histo, const SLxPicBuf* pic, const SLxPicBuf* mask,
                                    bool reset);

    // Searches. low and high hold one entry per component; either may be
    // null, not both (else -4). -9 for a record without bins. A bin size
    // other than 4 and 8 returns 0 and writes nothing. max is 2^bits - 1.

    // low[c]: the first bin from 0 up holding at least lowFreq (max when
    // none); high[c]: the first from max down holding at least highFreq (0
    // when none). A frequency of 0 leaves its array unwritten.
    static int GetLowHighFreqAbs(const SLxHisto* histo, unsigned* low, unsigned* high,
                                 unsigned lowFreq, unsigned highFreq);
    // The same with running sums from each end reaching the counts.
    static int GetLowHighAbs(const SLxHisto* histo, unsigned* low, unsigned* high,
                             unsigned lowCount, unsigned highCount);
    // Running sums from each end exceeding a fraction of the area
    // (uiAreaWidth x uiAreaHeight, rounded, at least 1). A fraction not
    // above 0 (or NaN) leaves its array unwritten.
    static int GetLowHigh(const SLxHisto* histo, unsigned* low, unsigned* high, double lowFraction,
                          double highFraction);
    // One component: the first bins from each end where the running sum
    // exceeds threshold; when both are given and meet, low becomes high - 1
    // (or high becomes 1 at 0). -4 for a component out of range.
    static int GetSumLowHigh(unsigned* low, unsigned* high, unsigned comp, unsigned threshold,
                             const SLxHisto* histo);
    // The count of one bin; -4 (null record, component or bin out of range)
    // or -9 (no bins, bin size other than 4 and 8) as an unsigned value.
    static uint64_t GetValue(const SLxHisto* histo, unsigned comp, unsigned bin);
    // The mean bin index of a component, rounded down; 0 for an empty plane.
    // -4 or -9 as GetValue, as an unsigned value.
    static uint32_t GetMeanIndex(const SLxHisto* histo, unsigned comp);
    // weights[c]: the component's share of the summed squared sample
    // values; 1 / components each when that sum is 0. -4 for a null
    // argument, -9 without bins.
    static int EstimateComponentWeights(SLxHisto* histo, double* weights);
};
