// The stored contrast and ratio settings and their variant forms.
#include "gnr_picture/lut/LxLutParam.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "gnr_system/variant/LxVariant.h"
#include "w32_system/debugging/LxDiag.h"

namespace
{

// 1 / 65535 as the stored fractions have always been read.
constexpr double kFraction = 1.5259021896696422e-5;
constexpr double kGammaTolerance = 0.001;

double fractionOf(uint16_t stored)
{
    return stored * kFraction;
}

// Out-of-range fractions are held at the ends of the window rather than
// wrapped around in 16 bits.
uint16_t storedOf(double v)
{
    const double t = std::trunc(v * 65535.0);
    return !(t > 0.0) ? 0 : t >= 65535.0 ? 65535 : uint16_t(t);
}

double clipFraction(double v)
{
    return std::clamp(v, 0.0, 1.0);
}

uint32_t valueForBits(double fraction, uint32_t bits)
{
    const double top = std::ldexp(1.0, int(std::min(bits, 32u))) - 1.0;
    const double v = std::trunc(fraction * top + 0.5);
    return !(v > 0.0) ? 0 : v >= 4294967295.0 ? 0xFFFFFFFFu : uint32_t(v);
}

bool gammaEqual(double a, double b)
{
    return std::fabs(a - b) <= kGammaTolerance;
}

bool isIdentityWindow(uint16_t minSrc, uint16_t maxSrc, double gamma, uint16_t minDst,
                      uint16_t maxDst)
{
    return minSrc == 0 && maxSrc == 65535 && minDst == 0 && maxDst == 65535 &&
           gammaEqual(1.0, gamma);
}

// The component window placed inside the global window.
double placedMin(uint16_t min, uint16_t max, uint16_t compMin)
{
    return clipFraction(((double(max) - min) * compMin / 65535 + min) / 65535);
}
double placedMax(uint16_t min, uint16_t max, uint16_t compMax)
{
    return clipFraction((max - (65535.0 - compMax) * (double(max) - min) / 65535) / 65535);
}

// ---- Variants -------------------------------------------------------------

void appendUInt(CLxVariant& list, const char16_t* name, uint32_t value)
{
    list.Append(CLxVariant(static_cast<unsigned int>(value), name));
}
void appendDouble(CLxVariant& list, const char16_t* name, double value)
{
    list.Append(CLxVariant(value, name));
}

// A scalar member of that name, or null. Lists and null members are skipped
// without asking a getter (which would report them).
const CLxVariant* scalarMember(const CLxVariant& v, const char16_t* name)
{
    const CLxVariant* m = v.SearchFixedOneLevel(name);
    return m && !m->IsNull() && m->GetCount() < 0 ? m : nullptr;
}

template <class T> void readUInt(const CLxVariant& v, const char16_t* name, T& field)
{
    if (const CLxVariant* m = scalarMember(v, name)) {
        bool ok = false;
        const uint32_t value = m->GetLx_uint32(&ok);
        if (ok)
            field = T(std::min<uint32_t>(value, T(~T(0))));
    }
}
void readDouble(const CLxVariant& v, const char16_t* name, double& field)
{
    if (const CLxVariant* m = scalarMember(v, name)) {
        bool ok = false;
        const double value = m->GetDouble(&ok);
        if (ok)
            field = value;
    }
}
void readBool(const CLxVariant& v, const char16_t* name, bool& field)
{
    if (const CLxVariant* m = scalarMember(v, name)) {
        bool ok = false;
        const bool value = m->GetBool(&ok);
        if (ok)
            field = value;
    }
}

// The five window fields, shared by the global window and the blocks.
struct WindowFields {
    uint16_t& minSrc;
    uint16_t& maxSrc;
    double& gamma;
    uint16_t& minDst;
    uint16_t& maxDst;
};

void saveWindow(CLxVariant& list, uint16_t minSrc, uint16_t maxSrc, double gamma, uint16_t minDst,
                uint16_t maxDst)
{
    appendUInt(list, u"uiMinSrc", minSrc);
    appendUInt(list, u"uiMaxSrc", maxSrc);
    appendDouble(list, u"dGammaSrc", gamma);
    appendUInt(list, u"uiMinDst", minDst);
    appendUInt(list, u"uiMaxDst", maxDst);
}

void loadWindow(const CLxVariant& v, const WindowFields& f)
{
    readUInt(v, u"uiMinSrc", f.minSrc);
    readUInt(v, u"uiMaxSrc", f.maxSrc);
    readDouble(v, u"dGammaSrc", f.gamma);
    readUInt(v, u"uiMinDst", f.minDst);
    readUInt(v, u"uiMaxDst", f.maxDst);
}

// "a00" .. "a63".
CLxStringW blockName(uint32_t c)
{
    const char16_t name[] = {u'a', char16_t(u'0' + c / 10), char16_t(u'0' + c % 10), 0};
    return CLxStringW(name);
}

// Makes variant an empty list with type change on; returns the previous
// setting for restoreTypeChange.
bool startList(CLxVariant& variant)
{
    const bool previous = variant.EnableTypeChange(true);
    variant.ClearList();
    return previous;
}

} // namespace

// ---- SLxCompLutParam -----------------------------------------------------------

bool SLxCompLutParam::IsUnit() const
{
    return isIdentityWindow(uiMinSrc, uiMaxSrc, dGammaSrc, uiMinDst, uiMaxDst);
}

bool SLxCompLutParam::CompareWith(const SLxCompLutParam& other) const
{
    return uiMinSrc == other.uiMinSrc && uiMaxSrc == other.uiMaxSrc &&
           gammaEqual(dGammaSrc, other.dGammaSrc) && uiMinDst == other.uiMinDst &&
           uiMaxDst == other.uiMaxDst;
}

// ---- SLxLutParam ------------------------------------------------------------------

namespace
{

// Component c's block; an index beyond the blocks is reported and answered
// with a block of defaults (for setters a scratch block nobody reads).
const SLxCompLutParam& blockOf(const SLxLutParam& p, uint32_t c)
{
    if (c < SLxLutParam::kComponents)
        return p.sCompLutParam[c];
    LX_DIAG_ASSERT(c < SLxLutParam::kComponents, u"component index out of range");
    static const SLxCompLutParam defaults;
    return defaults;
}

SLxCompLutParam& blockOf(SLxLutParam& p, uint32_t c)
{
    if (c < SLxLutParam::kComponents)
        return p.sCompLutParam[c];
    LX_DIAG_ASSERT(c < SLxLutParam::kComponents, u"component index out of range");
    static thread_local SLxCompLutParam scratch;
    return scratch;
}

} // namespace

double SLxLutParam::GetMinSrcDbl() const
{
    return fractionOf(uiMinSrc);
}
double SLxLutParam::GetMaxSrcDbl() const
{
    return fractionOf(uiMaxSrc);
}
double SLxLutParam::GetMinDstDbl() const
{
    return fractionOf(uiMinDst);
}
double SLxLutParam::GetMaxDstDbl() const
{
    return fractionOf(uiMaxDst);
}
void SLxLutParam::SetMinSrcDbl(double v)
{
    uiMinSrc = storedOf(v);
}
void SLxLutParam::SetMaxSrcDbl(double v)
{
    uiMaxSrc = storedOf(v);
}
void SLxLutParam::SetMinDstDbl(double v)
{
    uiMinDst = storedOf(v);
}
void SLxLutParam::SetMaxDstDbl(double v)
{
    uiMaxDst = storedOf(v);
}

double SLxLutParam::GetCompMinSrcDbl(uint32_t c) const
{
    return fractionOf(blockOf(*this, c).uiMinSrc);
}
double SLxLutParam::GetCompMaxSrcDbl(uint32_t c) const
{
    return fractionOf(blockOf(*this, c).uiMaxSrc);
}
double SLxLutParam::GetCompMinDstDbl(uint32_t c) const
{
    return fractionOf(blockOf(*this, c).uiMinDst);
}
double SLxLutParam::GetCompMaxDstDbl(uint32_t c) const
{
    return fractionOf(blockOf(*this, c).uiMaxDst);
}
void SLxLutParam::SetCompMinSrcDbl(uint32_t c, double v)
{
    blockOf(*this, c).uiMinSrc = storedOf(v);
}
void SLxLutParam::SetCompMaxSrcDbl(uint32_t c, double v)
{
    blockOf(*this, c).uiMaxSrc = storedOf(v);
}
void SLxLutParam::SetCompMinDstDbl(uint32_t c, double v)
{
    blockOf(*this, c).uiMinDst = storedOf(v);
}
void SLxLutParam::SetCompMaxDstDbl(uint32_t c, double v)
{
    blockOf(*this, c).uiMaxDst = storedOf(v);
}
double SLxLutParam::GetCompGammaSrc(uint32_t c) const
{
    return blockOf(*this, c).dGammaSrc;
}
void SLxLutParam::SetCompGammaSrc(uint32_t c, double v)
{
    blockOf(*this, c).dGammaSrc = v;
}

double SLxLutParam::GetMinSrcDbl(uint32_t c) const
{
    return placedMin(uiMinSrc, uiMaxSrc, blockOf(*this, c).uiMinSrc);
}
double SLxLutParam::GetMaxSrcDbl(uint32_t c) const
{
    return placedMax(uiMinSrc, uiMaxSrc, blockOf(*this, c).uiMaxSrc);
}
double SLxLutParam::GetMinDstDbl(uint32_t c) const
{
    return placedMin(uiMinDst, uiMaxDst, blockOf(*this, c).uiMinDst);
}
double SLxLutParam::GetMaxDstDbl(uint32_t c) const
{
    return placedMax(uiMinDst, uiMaxDst, blockOf(*this, c).uiMaxDst);
}
double SLxLutParam::GetGammaSrc(uint32_t c) const
{
    return blockOf(*this, c).dGammaSrc * dGammaSrc;
}

uint32_t SLxLutParam::GetMinSrc(uint32_t bits) const
{
    return valueForBits(GetMinSrcDbl(), bits);
}
uint32_t SLxLutParam::GetMaxSrc(uint32_t bits) const
{
    return valueForBits(GetMaxSrcDbl(), bits);
}
uint32_t SLxLutParam::GetMinDst(uint32_t bits) const
{
    return valueForBits(GetMinDstDbl(), bits);
}
uint32_t SLxLutParam::GetMaxDst(uint32_t bits) const
{
    return valueForBits(GetMaxDstDbl(), bits);
}
uint32_t SLxLutParam::GetCompMinSrc(uint32_t c, uint32_t bits) const
{
    return valueForBits(GetCompMinSrcDbl(c), bits);
}
uint32_t SLxLutParam::GetCompMaxSrc(uint32_t c, uint32_t bits) const
{
    return valueForBits(GetCompMaxSrcDbl(c), bits);
}
uint32_t SLxLutParam::GetCompMinDst(uint32_t c, uint32_t bits) const
{
    return valueForBits(GetCompMinDstDbl(c), bits);
}
uint32_t SLxLutParam::GetCompMaxDst(uint32_t c, uint32_t bits) const
{
    return valueForBits(GetCompMaxDstDbl(c), bits);
}
uint32_t SLxLutParam::GetMinSrc(uint32_t c, uint32_t bits) const
{
    return valueForBits(GetMinSrcDbl(c), bits);
}
uint32_t SLxLutParam::GetMaxSrc(uint32_t c, uint32_t bits) const
{
    return valueForBits(GetMaxSrcDbl(c), bits);
}
uint32_t SLxLutParam::GetMinDst(uint32_t c, uint32_t bits) const
{
    return valueForBits(GetMinDstDbl(c), bits);
}
uint32_t SLxLutParam::GetMaxDst(uint32_t c, uint32_t bits) const
{
    return valueForBits(GetMaxDstDbl(c), bits);
}

bool SLxLutParam::IsUnit() const
{
    if (!isIdentityWindow(uiMinSrc, uiMaxSrc, dGammaSrc, uiMinDst, uiMaxDst) || uiGradient != 0 ||
        bColorOverExp)
        return false;
    return std::all_of(std::begin(sCompLutParam), std::end(sCompLutParam),
                       [](const SLxCompLutParam& b) { return b.IsUnit(); });
}

void SLxLutParam::SetUnit()
{
    const uint32_t outside = uiOutside;
    *this = SLxLutParam();
    uiOutside = outside;
}

bool SLxLutParam::CompareWith(const SLxLutParam& other) const
{
    if (uiGradient != other.uiGradient || uiOutside != other.uiOutside ||
        uiMinSrc != other.uiMinSrc || uiMaxSrc != other.uiMaxSrc ||
        !gammaEqual(dGammaSrc, other.dGammaSrc) || uiMinDst != other.uiMinDst ||
        uiMaxDst != other.uiMaxDst || bColorOverExp != other.bColorOverExp ||
        uiOverExpColor != other.uiOverExpColor)
        return false;
    for (uint32_t c = 0; c < kComponents; ++c)
        if (!sCompLutParam[c].CompareWith(other.sCompLutParam[c]))
            return false;
    return true;
}

int SLxLutParam::SaveToVariant(CLxVariant& variant, const SLxLutParam& param)
{
    const bool typeChange = startList(variant);
    appendUInt(variant, u"uiGradient", param.uiGradient);
    appendUInt(variant, u"uiOutside", param.uiOutside);
    saveWindow(variant, param.uiMinSrc, param.uiMaxSrc, param.dGammaSrc, param.uiMinDst,
               param.uiMaxDst);
    CLxVariant blocks(CLxListVariant(), u"sCompLutParam");
    for (uint32_t c = 0; c < kComponents; ++c) {
        const SLxCompLutParam& b = param.sCompLutParam[c];
        CLxVariant block(CLxListVariant(), blockName(c));
        saveWindow(block, b.uiMinSrc, b.uiMaxSrc, b.dGammaSrc, b.uiMinDst, b.uiMaxDst);
        blocks.Append(block);
    }
    variant.Append(blocks);
    variant.Append(CLxVariant(param.bColorOverExp, u"bColorOverExp"));
    appendUInt(variant, u"uiOverExpColor", param.uiOverExpColor);
    variant.EnableTypeChange(typeChange);
    return 0;
}

int SLxLutParam::LoadFromVariant(SLxLutParam& param, const CLxVariant& variant)
{
    readUInt(variant, u"uiGradient", param.uiGradient);
    readUInt(variant, u"uiOutside", param.uiOutside);
    loadWindow(variant,
               {param.uiMinSrc, param.uiMaxSrc, param.dGammaSrc, param.uiMinDst, param.uiMaxDst});
    if (const CLxVariant* blocks = variant.SearchFixedOneLevel(u"sCompLutParam")) {
        for (uint32_t c = 0; c < kComponents; ++c) {
            SLxCompLutParam& b = param.sCompLutParam[c];
            if (const CLxVariant* block = blocks->SearchFixedOneLevel(blockName(c)))
                loadWindow(*block, {b.uiMinSrc, b.uiMaxSrc, b.dGammaSrc, b.uiMinDst, b.uiMaxDst});
        }
    }
    readBool(variant, u"bColorOverExp", param.bColorOverExp);
    readUInt(variant, u"uiOverExpColor", param.uiOverExpColor);
    return 0;
}

// ---- SLxRatioDesc ------------------------------------------------------------------

int SLxRatioDesc::SaveToVariant(CLxVariant& variant, const SLxRatioDesc& desc)
{
    const bool typeChange = startList(variant);
    appendUInt(variant, u"uiNumer", desc.uiNumer);
    appendUInt(variant, u"uiDenom", desc.uiDenom);
    appendUInt(variant, u"uiNumOffset", desc.uiNumOffset);
    appendUInt(variant, u"uiDenOffset", desc.uiDenOffset);
    appendDouble(variant, u"dMin", desc.dMin);
    appendDouble(variant, u"dMax", desc.dMax);
    variant.EnableTypeChange(typeChange);
    return 0;
}

int SLxRatioDesc::LoadFromVariant(SLxRatioDesc& desc, const CLxVariant& variant)
{
    readUInt(variant, u"uiNumer", desc.uiNumer);
    readUInt(variant, u"uiDenom", desc.uiDenom);
    readDouble(variant, u"dMin", desc.dMin);
    readDouble(variant, u"dMax", desc.dMax);
    // Stored offsets are never taken over: ratios are shown without them.
    desc.uiNumOffset = 0;
    desc.uiDenOffset = 0;
    return 0;
}
