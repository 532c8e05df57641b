// The joint histogram of two components of one picture (a scatter plot of
// component A against component B) and its static operations, which follow
// the life of SLxHisto.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

struct SLxPicBuf;
struct SLxPicBufDesc;

struct SLxHisto2D {
    // size x size counters, row a (value of component A) then column b:
    // bin (a, b) at index size x a + b, size = CLxHisto2DAPI::GetSize(uiBits).
    // From the library heap, owned by the record.
    void* pBins = nullptr;
    // Bytes of one bin: 4 (uint32_t) or 8 (uint64_t); 0 until prepared.
    uint32_t uiBinSize = 0;
    // Bits per component of the counted pictures; 9 to 16 bits count each
    // value's top 8 bits.
    uint32_t uiBits = 0;
    // 0: the whole picture; 1: the rectangle below; other values count
    // nothing.
    uint32_t uiAreaMode = 0;
    uint32_t uiAreaX = 0;
    uint32_t uiAreaY = 0;
    uint32_t uiAreaWidth = 0;
    uint32_t uiAreaHeight = 0;
    // Sampling steps kept for the kernels, which count every pixel.
    uint32_t uiStepX = 1;
    uint32_t uiStepY = 1;
    // Size of the picture last given to Reinit32 or Reinit64.
    uint32_t uiWidth = 0;
    uint32_t uiHeight = 0;
};

class LX_EXPORT CLxHisto2DAPI
{
  public:
    // Every field 0, then both steps 1. Frees nothing.
    static void Init(SLxHisto2D* histo);
    // Prepare 4-byte (Reinit32) or 8-byte (Reinit64) bins for pictures of
    // the descriptor's bits. The record takes the descriptor's width and
    // height, and the area size too unless area mode is 1 (the caller's
    // rectangle stays). With bits and bin size unchanged and the bins
    // there, the counts stay; otherwise the bins are reallocated (all 0).
    // -4 for a null argument; -2 for bits 0 or above 16 (nothing changed);
    // -3 when memory runs out (no bins left).
    static int Reinit32(SLxHisto2D* histo, const SLxPicBufDesc* desc);
    static int Reinit64(SLxHisto2D* histo, const SLxPicBufDesc* desc);
    // Makes dst an independent copy of src, bins included. -4 for a null
    // argument or a source without bins or with another bin size than 4 and
    // 8; -3 when memory runs out (the fields copied, no bins).
    static int Copy(SLxHisto2D* dst, const SLxHisto2D* src);
    // Every bin 0; nothing for a record without bins.
    static void ResetToZero(SLxHisto2D* histo);
    // Releases the bins and nulls the pointer; the other fields stay.
    static void Free(SLxHisto2D* histo);
    // Bins per axis: 2^bits below 256, else 256.
    static uint32_t GetSize(unsigned bits);
    // Prepares the record for the picture with its bin size (a record never
    // prepared counts nothing), clears it when reset is true, and counts
    // (component A, component B) of every pixel of the area: mode 0 the
    // whole picture, mode 1 the rectangle, counted only when it lies inside
    // the picture. 0 also when nothing could be counted (a component index
    // not below the component count, bits above 16, an empty area); -4 for a
    // null record or picture.
    static int Calculate(SLxHisto2D* histo, const SLxPicBuf* pic, unsigned compA, unsigned compB,
                         bool reset);
    // Not supported: -2, nothing touched.
    static int CalculateUnderBinary(SLxHisto2D* histo, const SLxPicBuf* pic, unsigned compA,
                                    unsigned compB, const SLxPicBuf* mask, bool reset);
    // The count of bin (a, b); as an unsigned 64-bit number -4 for a null
    // record or a or b not below the size, -9 for a record without bins or
    // with a bin size other than 4 and 8.
    static uint64_t GetValue(const SLxHisto2D* histo, unsigned a, unsigned b);
};
