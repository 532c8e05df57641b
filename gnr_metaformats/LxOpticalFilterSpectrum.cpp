#include "gnr_metaformats/LxOpticalFilterSpectrum.h"

#include <cmath>
#include <cstring>

#include "gnr_metaformats/LxRecordVariant.h"
#include "gnr_picture/LxColorimetry.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

typedef SLxOFSpectrumPoint::ELxOFSpectrumPointType EKind;

SLxOFSpectrumPoint* AllocPoints(uint32_t n)
{
    if (n == 0)
        return nullptr;
    return static_cast<SLxOFSpectrumPoint*>(
        CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, size_t(n) * sizeof(SLxOFSpectrumPoint)));
}

bool IsEnd(EKind kind)
{
    return kind == SLxOFSpectrumPoint::eSptFallingEdge || kind == SLxOFSpectrumPoint::eSptPeak;
}

bool IsStart(EKind kind)
{
    return kind == SLxOFSpectrumPoint::eSptRisingEdge || kind == SLxOFSpectrumPoint::eSptPeak;
}

} // namespace

// ---- SLxOFSpectrumPoint

SLxOFSpectrumPoint::SLxOFSpectrumPoint() : eType(eSptNone), dWavelength(0.0), dTValue(0.0) {}

SLxOFSpectrumPoint::SLxOFSpectrumPoint(ELxOFSpectrumPointType type, double wavelength, double value)
    : eType(type), dWavelength(wavelength), dTValue(value)
{
}

int SLxOFSpectrumPoint::SaveToVariant(CLxVariant& v, const SLxOFSpectrumPoint& point)
{
    const int res = lx_meta::BeginSave(v, "RLxOFSpectrumPoint");
    if (res != 0)
        return res;
    lx_meta::Put(v, u"eType", lx_uint32(point.eType));
    lx_meta::Put(v, u"dWavelength", point.dWavelength);
    lx_meta::Put(v, u"dTValue", point.dTValue);
    return 0;
}

int SLxOFSpectrumPoint::LoadFromVariant(SLxOFSpectrumPoint& point, const CLxVariant& v)
{
    if (!LX_META_CHECK_RUNTYPE(v, "RLxOFSpectrumPoint", u"'RLxOFSpectrumPoint'"))
        return -4;
    point.eType = ELxOFSpectrumPointType(lx_meta::GetUInt(v, u"eType"));
    bool ok = false;
    point.dWavelength = lx_meta::GetDouble(v, u"dWavelength", ok);
    if (!ok || point.dWavelength == 0.0 || std::isnan(point.dWavelength))
        point.dWavelength = double(lx_meta::GetUInt(v, u"uiWavelength"));
    point.dTValue = lx_meta::GetDouble(v, u"dTValue");
    return 0;
}

// ---- CLxOpticalFilterSpectrum: points

CLxOpticalFilterSpectrum::CLxOpticalFilterSpectrum() : uiCount(0), pPoint(nullptr), bPoints(false)
{
}

CLxOpticalFilterSpectrum::CLxOpticalFilterSpectrum(uint32_t n)
    : uiCount(0), pPoint(AllocPoints(n)), bPoints(false)
{
    if (pPoint)
        uiCount = n;
}

CLxOpticalFilterSpectrum::CLxOpticalFilterSpectrum(const double* wavelengths, const double* values,
                                                   uint32_t n)
    : uiCount(0), pPoint(nullptr), bPoints(false)
{
    if (!wavelengths || !values)
        return;
    pPoint = AllocPoints(n);
    if (!pPoint)
        return;
    uiCount = n;
    bPoints = true;
    for (uint32_t i = 0; i < n; ++i)
        pPoint[i] = SLxOFSpectrumPoint(SLxOFSpectrumPoint::eSptNone, wavelengths[i], values[i]);
}

CLxOpticalFilterSpectrum::CLxOpticalFilterSpectrum(double wavelength, EKind type)
    : uiCount(0), pPoint(AllocPoints(1)), bPoints(false)
{
    if (!pPoint)
        return;
    uiCount = 1;
    pPoint[0] = SLxOFSpectrumPoint(type, wavelength, 1.0);
    bPoints = type == SLxOFSpectrumPoint::eSptPoint;
}

CLxOpticalFilterSpectrum::CLxOpticalFilterSpectrum(const CLxOpticalFilterSpectrum& other)
    : uiCount(0), pPoint(AllocPoints(other.uiCount)), bPoints(other.bPoints)
{
    if (pPoint) {
        uiCount = other.uiCount;
        std::memcpy(pPoint, other.pPoint, size_t(uiCount) * sizeof(SLxOFSpectrumPoint));
    }
}

CLxOpticalFilterSpectrum& CLxOpticalFilterSpectrum::operator=(const CLxOpticalFilterSpectrum& other)
{
    if (this != &other) {
        CLxOpticalFilterSpectrum copy(other);
        Swap(copy);
    }
    return *this;
}

CLxOpticalFilterSpectrum::~CLxOpticalFilterSpectrum()
{
    FreePoints();
}

void CLxOpticalFilterSpectrum::FreePoints()
{
    CLxAlloc::Free(pPoint);
    pPoint = nullptr;
    uiCount = 0;
}

void CLxOpticalFilterSpectrum::Swap(CLxOpticalFilterSpectrum& other)
{
    std::swap(uiCount, other.uiCount);
    std::swap(pPoint, other.pPoint);
    std::swap(bPoints, other.bPoints);
}

SLxOFSpectrumPoint& CLxOpticalFilterSpectrum::operator[](uint32_t i)
{
    if (i < uiCount)
        return pPoint[i];
    // Whatever a caller wrote into it last time is cleared.
    static thread_local SLxOFSpectrumPoint s_none;
    s_none = SLxOFSpectrumPoint();
    return s_none;
}

const SLxOFSpectrumPoint& CLxOpticalFilterSpectrum::operator[](uint32_t i) const
{
    return const_cast<CLxOpticalFilterSpectrum&>(*this)[i];
}

bool CLxOpticalFilterSpectrum::AcceptsKind(EKind type) const
{
    if (uiCount == 0)
        return true;
    return bPoints == (type == SLxOFSpectrumPoint::eSptPoint);
}

int CLxOpticalFilterSpectrum::AddPoint(const SLxOFSpectrumPoint& point)
{
    return InsertPoint(point, uiCount);
}

int CLxOpticalFilterSpectrum::InsertPoint(const SLxOFSpectrumPoint& point, uint32_t index)
{
    if (index > uiCount || !AcceptsKind(point.eType) || uiCount == UINT32_MAX)
        return -4;
    SLxOFSpectrumPoint* points = AllocPoints(uiCount + 1);
    if (!points)
        return -3;
    if (index > 0)
        std::memcpy(points, pPoint, size_t(index) * sizeof(SLxOFSpectrumPoint));
    points[index] = point;
    if (index < uiCount)
        std::memcpy(points + index + 1, pPoint + index,
                    size_t(uiCount - index) * sizeof(SLxOFSpectrumPoint));
    if (uiCount == 0)
        bPoints = point.eType == SLxOFSpectrumPoint::eSptPoint;
    CLxAlloc::Free(pPoint);
    pPoint = points;
    ++uiCount;
    return 0;
}

int CLxOpticalFilterSpectrum::RemovePoint(uint32_t index)
{
    if (index >= uiCount)
        return -4;
    std::memmove(pPoint + index, pPoint + index + 1,
                 size_t(uiCount - index - 1) * sizeof(SLxOFSpectrumPoint));
    if (--uiCount == 0)
        FreePoints();
    return 0;
}

// ---- Queries

int CLxOpticalFilterSpectrum::FindNearestPoint(double wavelength, uint32_t& index) const
{
    if (uiCount == 0 || !(wavelength >= pPoint[0].dWavelength) ||
        !(wavelength <= pPoint[uiCount - 1].dWavelength))
        return -13;
    uint32_t best = 0;
    double bestDistance = 0.0;
    for (uint32_t i = 0; i < uiCount; ++i) {
        const double d = pPoint[i].dWavelength - wavelength;
        const double distance = d * d;
        if (i == 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    index = best;
    return 0;
}

int CLxOpticalFilterSpectrum::GetPeakAndFwhm(double& peak, double& lower, double& upper) const
{
    if (!bPoints) {
        for (uint32_t i = 0; i < uiCount; ++i) {
            const SLxOFSpectrumPoint& p = pPoint[i];
            if (p.eType == SLxOFSpectrumPoint::eSptRisingEdge) {
                if (i + 1 < uiCount && pPoint[i + 1].eType == SLxOFSpectrumPoint::eSptFallingEdge) {
                    lower = p.dWavelength;
                    upper = pPoint[i + 1].dWavelength;
                    peak = (lower + upper) * 0.5;
                    return 0;
                }
                ++i; // an edge without its end is skipped with the point after it
            } else if (p.eType == SLxOFSpectrumPoint::eSptPeak) {
                peak = lower = upper = p.dWavelength;
                return 0;
            }
        }
        return -13;
    }
    if (uiCount == 0)
        return -4;
    uint32_t first = 0;
    for (uint32_t i = 1; i < uiCount; ++i) {
        if (pPoint[i].dTValue > pPoint[first].dTValue)
            first = i;
    }
    const double maximum = pPoint[first].dTValue;
    uint32_t last = first;
    while (last + 1 < uiCount && pPoint[last + 1].dTValue == maximum)
        ++last;
    const double half = maximum * 0.5;
    uint32_t up = last;
    while (up < uiCount && pPoint[up].dTValue >= half)
        ++up;
    int64_t down = first;
    while (down >= 0 && pPoint[down].dTValue >= half)
        --down;
    peak = (pPoint[first].dWavelength + pPoint[last].dWavelength) * 0.5;
    if (up >= uiCount || down < 0)
        return -13;
    upper = pPoint[up].dWavelength;
    lower = pPoint[down].dWavelength;
    return 0;
}

uint32_t CLxOpticalFilterSpectrum::GetTabbedPointCount() const
{
    if (bPoints)
        return uiCount;
    uint32_t n = 0;
    for (uint32_t i = 0; i < uiCount; ++i) {
        switch (pPoint[i].eType) {
        case SLxOFSpectrumPoint::eSptRisingEdge:
        case SLxOFSpectrumPoint::eSptFallingEdge:
            n += 2;
            break;
        case SLxOFSpectrumPoint::eSptPeak:
            n += 3;
            break;
        default:
            break;
        }
    }
    return n;
}

int CLxOpticalFilterSpectrum::GetTabbedCurve(double* wavelengths, double* values, uint32_t n) const
{
    if (!wavelengths || !values)
        return -4;
    if (bPoints) {
        for (uint32_t i = 0; i < uiCount && i < n; ++i) {
            wavelengths[i] = pPoint[i].dWavelength;
            values[i] = pPoint[i].dTValue;
        }
        return 0;
    }
    uint32_t written = 0;
    auto put = [&](double wavelength, double value) {
        if (written < n) {
            wavelengths[written] = wavelength;
            values[written] = value;
            ++written;
        }
    };
    for (uint32_t i = 0; i < uiCount && written < n; ++i) {
        const double w = pPoint[i].dWavelength;
        switch (pPoint[i].eType) {
        case SLxOFSpectrumPoint::eSptRisingEdge:
            put(w - 1.0, 0.0);
            put(w, 100.0);
            break;
        case SLxOFSpectrumPoint::eSptFallingEdge:
            put(w, 100.0);
            put(w + 1.0, 0.0);
            break;
        case SLxOFSpectrumPoint::eSptPeak:
            put(w - 1.0, 0.0);
            put(w, 100.0);
            put(w + 1.0, 0.0);
            break;
        default:
            break;
        }
    }
    return 0;
}

// ---- Intersection

CLxOpticalFilterSpectrum& CLxOpticalFilterSpectrum::Combine(const CLxOpticalFilterSpectrum& other,
                                                            bool bridge)
{
    CLxOpticalFilterSpectrum copy(*this);
    double distance = -1.0;
    copy.Combine(other, 0.0, &distance);
    if (!bridge || distance <= 0.0)
        Swap(copy);
    else
        Combine(other, distance, nullptr);
    return *this;
}

// One walk over both spectra in ascending wavelength. A spectrum is inside
// a band while its last taken point opened one; a point taken while the
// other spectrum is inside belongs to the intersection. distance (when
// asked) ends as 0.0 when they overlapped, else as the smallest gap seen
// between an end of one and the next start of the other. A gap above 0.0
// moves a start that close to an end 1 nm below that end, so the two
// bands overlap.
void CLxOpticalFilterSpectrum::Combine(CLxOpticalFilterSpectrum other, double gap, double* distance)
{
    if (uiCount == 0) {
        *this = other;
        if (distance)
            *distance = 0.0;
        return;
    }
    if (other.uiCount == 0)
        return;

    CLxOpticalFilterSpectrum self(*this);
    if (self.uiCount != uiCount)
        return; // no memory for the working copy
    CLxOpticalFilterSpectrum* spectra[2] = {&self, &other};
    uint32_t index[2] = {0, 0};
    bool inside[2] = {self.pPoint[0].eType == SLxOFSpectrumPoint::eSptFallingEdge,
                      other.pPoint[0].eType == SLxOFSpectrumPoint::eSptFallingEdge};
    CLxOpticalFilterSpectrum result;

    while (index[0] < self.uiCount && index[1] < other.uiCount) {
        SLxOFSpectrumPoint* current[2] = {&self.pPoint[index[0]], &other.pPoint[index[1]]};
        for (int s = 0; s < 2; ++s) {
            SLxOFSpectrumPoint& end = *current[s];
            SLxOFSpectrumPoint& start = *current[1 - s];
            if (!IsEnd(end.eType) || !IsStart(start.eType) ||
                !(end.dWavelength < start.dWavelength))
                continue;
            const double difference = start.dWavelength - end.dWavelength;
            if (distance && (*distance < 0.0 || difference < *distance))
                *distance = difference;
            if (gap > 0.0 && difference <= gap)
                start.dWavelength = end.dWavelength - 1.0;
            break; // a line is both end and start: one pair per step
        }
        const int taken = current[0]->dWavelength < current[1]->dWavelength ? 0 : 1;
        const SLxOFSpectrumPoint point = *current[taken];
        const CLxOpticalFilterSpectrum& from = *spectra[taken];
        switch (point.eType) {
        case SLxOFSpectrumPoint::eSptPoint:
        case SLxOFSpectrumPoint::eSptRisingEdge:
        case SLxOFSpectrumPoint::eSptFallingEdge:
        case SLxOFSpectrumPoint::eSptPeak:
            if (inside[1 - taken]) {
                result.AddPoint(point);
                if (distance)
                    *distance = 0.0;
            }
            if (point.eType == SLxOFSpectrumPoint::eSptRisingEdge)
                inside[taken] = true;
            else if (point.eType == SLxOFSpectrumPoint::eSptFallingEdge)
                inside[taken] = false;
            else if (point.eType == SLxOFSpectrumPoint::eSptPoint)
                inside[taken] = index[taken] + 1 < from.uiCount;
            break;
        default:
            break;
        }
        ++index[taken];
    }

    if (distance && *distance != 0.0)
        return;
    Swap(result);
}

// ---- Colour

int CLxOpticalFilterSpectrum::GetRGBColor(uint32_t& color) const
{
    if (!bPoints)
        return -2;
    color = 0;
    double sum[3] = {0.0, 0.0, 0.0};
    double weight = 0.0;
    for (uint32_t i = 0; i < uiCount; ++i) {
        uint32_t c = 0;
        LX_RGBFromWavelength(&c, pPoint[i].dWavelength);
        for (int b = 0; b < 3; ++b)
            sum[b] += double((c >> (8 * b)) & 0xFF) * pPoint[i].dTValue;
        weight += pPoint[i].dTValue;
    }
    if (uiCount == 0 || weight == 0.0)
        return 0;
    for (int b = 0; b < 3; ++b) {
        const double mean = sum[b] / weight;
        // Negative weights can push a mean out of its byte.
        const uint32_t byte = mean > 0.0 ? (mean < 255.0 ? uint32_t(mean) : 255u) : 0u;
        color |= byte << (8 * b);
    }
    return 0;
}

// ---- Variants

int CLxOpticalFilterSpectrum::SaveToVariant(CLxVariant& v, const CLxOpticalFilterSpectrum& spectrum)
{
    const int begin = lx_meta::BeginSave(v, "RLxOpticalFilterSpectrum");
    if (begin != 0)
        return begin;
    lx_meta::Put(v, u"uiCount", lx_uint32(spectrum.uiCount));
    if (CLxVariant* list = lx_meta::ResetList(v, u"pPoint")) {
        // An empty spectrum still writes one point of zeros.
        const uint32_t n = spectrum.uiCount ? spectrum.uiCount : 1;
        for (uint32_t i = 0; i < n; ++i) {
            CLxStringW name;
            name.Format(u"Point%u", i);
            CLxVariant& item = lx_meta::AppendItem(*list, name.GetString());
            const int res = SLxOFSpectrumPoint::SaveToVariant(item, spectrum[i]);
            if (res != 0)
                LX_META_REPORT_SUBRECORD();
        }
    }
    lx_meta::Put(v, u"bPoints", spectrum.bPoints);
    return 0;
}

int CLxOpticalFilterSpectrum::LoadFromVariant(CLxOpticalFilterSpectrum& spectrum,
                                              const CLxVariant& v)
{
    if (!LX_META_CHECK_RUNTYPE(v, "RLxOpticalFilterSpectrum", u"'RLxOpticalFilterSpectrum'"))
        return -4;
    spectrum.FreePoints();
    int result = 0;
    if (lx_meta::GetUInt(v, u"uiCount") != 0) {
        // Sized by the items that exist, never by the stored count.
        const CLxVariant& list = lx_meta::Get(v, u"pPoint");
        const uint32_t n = uint32_t(lx_meta::ItemCount(list));
        spectrum.pPoint = AllocPoints(n);
        if (spectrum.pPoint) {
            spectrum.uiCount = n;
            for (uint32_t i = 0; i < n; ++i) {
                const int res =
                    SLxOFSpectrumPoint::LoadFromVariant(spectrum.pPoint[i], list[int(i)]);
                if (res != 0)
                    LX_META_REPORT_SUBRECORD();
            }
        } else if (n != 0) {
            result = -3;
        }
    }
    spectrum.bPoints = lx_meta::GetBool(v, u"bPoints");
    return result;
}
