// Records of an intensity profile along a straight line and of the line's
// geometry. CLxPicMemAPI::GetProfileData fills them; the arrays come from
// the library heap (CLxAlloc) and belong to the record.
#pragma once

#include <cstdint>

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
