// The stored contrast settings of a display (SLxLutParam, refined per
// component by SLxCompLutParam) and the description of a ratio picture
// (SLxRatioDesc), with their variant forms.
//
// Windows are fractions of the full range in 16-bit fixed point (0 ..
// 65535 for 0.0 .. 1.0), so that one setting fits pictures of any depth.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

class CLxVariant;

// One component's window inside the global window.
struct LX_EXPORT SLxCompLutParam {
    uint16_t uiMinSrc = 0;
    uint16_t uiMaxSrc = 65535;
    double dGammaSrc = 1.0;
    uint16_t uiMinDst = 0;
    uint16_t uiMaxDst = 65535;

    // The identity: source and destination windows 0..65535, gamma within
    // 0.001 of 1.
    bool IsUnit() const;
    // Equal windows, gammas within 0.001.
    bool CompareWith(const SLxCompLutParam& other) const;
};

// Component indexes c run from 0 to 63. An index beyond is reported: its
// getters answer the defaults of a component block, its setters do nothing.
struct LX_EXPORT SLxLutParam {
    enum : uint32_t { kComponents = 64 };

    // Used by the code that builds tables from the record; stored,
    // compared and saved here.
    uint32_t uiGradient = 0;
    uint32_t uiOutside = 0;
    uint16_t uiMinSrc = 0;
    uint16_t uiMaxSrc = 65535;
    double dGammaSrc = 1.0;
    uint16_t uiMinDst = 0;
    uint16_t uiMaxDst = 65535;
    SLxCompLutParam sCompLutParam[kComponents];
    bool bColorOverExp = false;
    // 0x00BBGGRR; pure red.
    uint32_t uiOverExpColor = 255;

    // The global window as fractions: stored value / 65535.
    double GetMinSrcDbl() const;
    double GetMaxSrcDbl() const;
    double GetMinDstDbl() const;
    double GetMaxDstDbl() const;
    // Stored = trunc(v x 65535), clipped to 0..65535 (not a number: 0).
    void SetMinSrcDbl(double v);
    void SetMaxSrcDbl(double v);
    void SetMinDstDbl(double v);
    void SetMaxDstDbl(double v);
    double GetGammaSrc() const { return dGammaSrc; }
    void SetGammaSrc(double v) { dGammaSrc = v; }

    // Component c's own window as fractions, and its setters (as above).
    double GetCompMinSrcDbl(uint32_t c) const;
    double GetCompMaxSrcDbl(uint32_t c) const;
    double GetCompMinDstDbl(uint32_t c) const;
    double GetCompMaxDstDbl(uint32_t c) const;
    void SetCompMinSrcDbl(uint32_t c, double v);
    void SetCompMaxSrcDbl(uint32_t c, double v);
    void SetCompMinDstDbl(uint32_t c, double v);
    void SetCompMaxDstDbl(uint32_t c, double v);
    double GetCompGammaSrc(uint32_t c) const;
    void SetCompGammaSrc(uint32_t c, double v);

    // Component c's effective window: its own placed inside the global one,
    // min + (max - min) x cmin / 65535 and max - (max - min) x (65535 -
    // cmax) / 65535, as fractions clipped to 0..1; the gamma is the product
    // of both gammas.
    double GetMinSrcDbl(uint32_t c) const;
    double GetMaxSrcDbl(uint32_t c) const;
    double GetMinDstDbl(uint32_t c) const;
    double GetMaxDstDbl(uint32_t c) const;
    double GetGammaSrc(uint32_t c) const;

    // Sample values for bits: trunc(fraction x (2^bits - 1) + 0.5), the
    // fraction from the Dbl getter of the same name and arguments.
    uint32_t GetMinSrc(uint32_t bits) const;
    uint32_t GetMaxSrc(uint32_t bits) const;
    uint32_t GetMinDst(uint32_t bits) const;
    uint32_t GetMaxDst(uint32_t bits) const;
    uint32_t GetCompMinSrc(uint32_t c, uint32_t bits) const;
    uint32_t GetCompMaxSrc(uint32_t c, uint32_t bits) const;
    uint32_t GetCompMinDst(uint32_t c, uint32_t bits) const;
    uint32_t GetCompMaxDst(uint32_t c, uint32_t bits) const;
    uint32_t GetMinSrc(uint32_t c, uint32_t bits) const;
    uint32_t GetMaxSrc(uint32_t c, uint32_t bits) const;
    uint32_t GetMinDst(uint32_t c, uint32_t bits) const;
    uint32_t GetMaxDst(uint32_t c, uint32_t bits) const;

    // True when the global window and every component block are the
    // identity, uiGradient is 0 and bColorOverExp false (uiOutside and
    // uiOverExpColor do not count).
    bool IsUnit() const;
    // Back to the defaults, except uiOutside.
    void SetUnit();
    // Every field equal, gammas within 0.001.
    bool CompareWith(const SLxLutParam& other) const;

    // variant becomes a list of "uiGradient", "uiOutside", "uiMinSrc",
    // "uiMaxSrc" (lx_uint32), "dGammaSrc" (double), "uiMinDst", "uiMaxDst"
    // (lx_uint32), "sCompLutParam" (a list "a00" .. "a63" of lists
    // "uiMinSrc", "uiMaxSrc", "dGammaSrc", "uiMinDst", "uiMaxDst"),
    // "bColorOverExp" (bool), "uiOverExpColor" (lx_uint32), in that order.
    // The variant's type-change setting is kept. 0.
    static int SaveToVariant(CLxVariant& variant, const SLxLutParam& param);
    // Reads the members present in variant by name; a missing member, or
    // one that does not convert, leaves its field. 16-bit fields take values
    // above 65535 as 65535. 0.
    static int LoadFromVariant(SLxLutParam& param, const CLxVariant& variant);
};

// A ratio picture: numerator over denominator component, each with an
// offset, shown over the range dMin..dMax.
struct LX_EXPORT SLxRatioDesc {
    uint8_t uiNumer = 0;
    uint8_t uiDenom = 0;
    uint16_t uiNumOffset = 0;
    uint16_t uiDenOffset = 0;
    double dMin = 0.0;
    double dMax = 2.0;

    // "uiNumer", "uiDenom", "uiNumOffset", "uiDenOffset" (lx_uint32), "dMin",
    // "dMax" (double), in that order. 0.
    static int SaveToVariant(CLxVariant& variant, const SLxRatioDesc& desc);
    // Member by member as for SLxLutParam (values above the field's range
    // take its largest value). The offsets are not taken over from stored
    // descriptions: they are 0 after every load. 0.
    static int LoadFromVariant(SLxRatioDesc& desc, const CLxVariant& variant);
};
