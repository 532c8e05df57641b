// How the camera was set for one channel.
#pragma once

#include <cstdint>

#include "gnr_system/geometry/LxGeometry.h"
#include "gnr_system/string/LxString.h"
#include "w32_system/LxExport.h"

class CLxVariant;

// Constructed, the numbers say "not known" (-1.0, -1, 0xFFFFFFFF) except
// the binning (1.0) and the chip rectangle (0); SetToDefault gives a neutral
// setting: no exposure or offset, unit gain and gamma, binning 1.0.
struct LX_EXPORT SLxCameraSetting {
    SLxCameraSetting();

    void SetToDefault();

    // Writes "RLxCameraSetting" with its keys in order; "rcCamChipSrc" is an
    // "RLxIRect" whose keys are written left, right, top, bottom. 0.
    static int SaveToVariant(CLxVariant& v, const SLxCameraSetting& setting);
    // -4 (reported) for another run type, the setting unchanged. 0.
    static int LoadFromVariant(SLxCameraSetting& setting, const CLxVariant& v);

    CLxStringW sCameraName;
    double dExposure;
    int32_t iOffset;
    double dGain;
    double dGamma;
    double dExposureRed;
    int32_t iOffsetRed;
    double dGainRed;
    double dGammaRed;
    double dExposureGreen;
    int32_t iOffsetGreen;
    double dGainGreen;
    double dGammaGreen;
    double dExposureBlue;
    int32_t iOffsetBlue;
    double dGainBlue;
    double dGammaBlue;
    CLxStringW sCameraFormatName;
    double dCamChipSizeX;
    double dCamChipSizeY;
    uint32_t uiCamPxlCountX;
    uint32_t uiCamPxlCountY;
    double dCamBinningX;
    double dCamBinningY;
    CLxRectBase<int> rcCamChipSrc; // left, top, right, bottom
    bool bFlippedUpDown;
    bool bFlippedLeftRight;
    CLxStringW sSpecSettings;
};
