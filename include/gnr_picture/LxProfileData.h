// Records of an intensity profile along a straight line and of the line's
// geometry. CLxPicMemAPI::GetProfileData fills them; the arrays come from
// the library heap (CLxAlloc) and belong to the record.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

struct SLxPicBuf;
struct SLxPicBufDesc;

struct SLxProfileData {
    uint32_t uiCount = 0;     // sample points along the line
    uint32_t* puiX = nullptr; // pixel column of each point
    uint32_t* puiY = nullptr; // pixel row of each point
    uint32_t uiComps = 0;     // of the profiled picture
    uint32_t uiBpc = 0;       // of the profiled picture
    void* pData = nullptr;    // uiCount x uiComps samples: bytes at 8 bits, else 16-bit
    uint32_t uiWidth = 0;     // of the profiled picture
    uint32_t uiHeight = 0;
    double dStep = 0.0;       // between points in pixels; 0 stands for 1.0
    uint32_t uiHalfWidth = 0; // how far across the line each point averages
};

struct SLxProfileMetric {
    uint32_t uiCount = 0;
    double* pdX = nullptr; // position of each point
    double* pdY = nullptr;
    double* pdDistance = nullptr; // from the start point
    double dX0 = 0.0;             // the line's ends
    double dX1 = 0.0;
    double dY0 = 0.0;
    double dY1 = 0.0;
};

// Sets up, samples and releases profile records. A record holding arrays is
// released before it is prepared or sampled again, so none is lost.
class LX_EXPORT CLxProfileDataAPI
{
  public:
    // Every field 0. Releases nothing: for records not yet set up.
    static void Init(SLxProfileData* profile);
    // Releases the arrays the record holds, then takes components, bits,
    // width and height from the descriptor; point count 0, step 0.0, half
    // width 0. -9 for a null record or descriptor (nothing changed).
    static int Reinit(SLxProfileData* profile, const SLxPicBufDesc* desc);
    // Releases the samples and both coordinate arrays; point count 0.
    static void Free(SLxProfileData* profile);
    // Releases the metric's three arrays; point count 0.
    static void FreeMetrics(SLxProfileMetric* metric);
    // Samples the picture from (xStart, yStart) to (xEnd, yEnd) with the
    // record's step and half width (set after Reinit) through
    // CLxPicMemAPI::GetProfileData, whose status it returns: -2 for a null
    // record or no memory for the points, 0 otherwise (without pixels or
    // memory for the samples, the points alone). The record's old arrays
    // are released first.
    static int Calculate(SLxProfileData* profile, const SLxPicBuf* pic, unsigned xStart,
                         unsigned xEnd, unsigned yStart, unsigned yEnd);
    // The same, filling the metric too (its old arrays released first).
    static int CalculateEx(SLxProfileData* profile, const SLxPicBuf* pic, unsigned xStart,
                           unsigned xEnd, unsigned yStart, unsigned yEnd, SLxProfileMetric* metric);
};
