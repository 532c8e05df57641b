#include "gnr_metaformats/LxPicturePlanes.h"

#include <algorithm>

#include "gnr_metaformats/LxRecordVariant.h"
#include "gnr_system/intl/LxLocale.h"

namespace
{

constexpr char kDomain[] = "qvx\\gnr_metaformats\\PicturePlanes";

// The low n bits, n taken mod 32 except that 32 means all.
uint32_t LowBits(uint32_t n)
{
    return n == 32 ? 0xFFFFFFFFu : (1u << (n & 31)) - 1u;
}

uint32_t Bit(uint32_t component)
{
    return 1u << (component & 31);
}

bool HasPlanes(const SLxPicturePlanes& planes)
{
    return planes.uiCount != 0 && planes.sPlane != nullptr;
}

// Visits the planes with their first component and mask.
template <class F> void ForEachPlane(const SLxPicturePlanes& planes, F f)
{
    if (!HasPlanes(planes))
        return;
    uint32_t start = 0;
    for (uint32_t i = 0; i < planes.uiCount; ++i) {
        const uint32_t count = planes.sPlane[i].uiCompCount;
        if (!f(planes.sPlane[i], start, LowBits(count) << (start & 31)))
            return;
        start += count;
    }
}

// Whether the mask selects the whole plane (a plane without components
// is never selected).
bool Whole(uint32_t planeMask, uint32_t mask)
{
    return planeMask != 0 && (planeMask & mask) == planeMask;
}

// The selected components among a partly selected plane's first three.
uint32_t PartCount(const SLxPicturePlaneDesc& plane, uint32_t start, uint32_t mask)
{
    uint32_t n = 0;
    for (uint32_t c = 0; c < std::min(plane.uiCompCount, 3u); ++c)
        n += (mask & Bit(start + c)) ? 1 : 0;
    return n;
}

// The list rebuilt as one default plane of count components.
int MakeSingle(SLxPicturePlanes& planes, uint32_t components, const char16_t* description)
{
    SLxPicturePlanes::Free(planes);
    if (SLxPicturePlanes::Alloc(planes, 1) != 0)
        return -3;
    planes.sPlane[0].uiCompCount = components;
    planes.sPlane[0].uiColor = 0xFFFFFFu;
    if (description)
        planes.sPlane[0].sDescription = LX_GetTranslation(description, kDomain);
    planes.uiCompCount = components;
    return 0;
}

bool IsLoneUndescribedMono(const SLxPicturePlanes& planes)
{
    return planes.uiCount == 1 && planes.sPlane && planes.sPlane[0].uiCompCount == 1 &&
           planes.sPlane[0].sDescription.IsEmpty();
}

} // namespace

SLxPicturePlanes::SLxPicturePlanes() : uiCount(0), uiCompCount(0), sPlane(nullptr) {}

int SLxPicturePlanes::Alloc(SLxPicturePlanes& planes, uint32_t n)
{
    planes.uiCount = n;
    const int res = SLxPicturePlaneDesc::AllocArray(planes.sPlane, n);
    if (res != 0)
        planes.uiCount = 0;
    return res;
}

void SLxPicturePlanes::Free(SLxPicturePlanes& planes)
{
    if (planes.sPlane && planes.uiCount != 0)
        SLxPicturePlaneDesc::FreeArray(planes.sPlane);
    planes.sPlane = nullptr;
    planes.uiCount = 0;
    planes.uiCompCount = 0;
}

int SLxPicturePlanes::Copy(SLxPicturePlanes& dst, const SLxPicturePlanes& src)
{
    if (!HasPlanes(src))
        return -4;
    if (&dst == &src)
        return 0;
    SLxPicturePlaneDesc* array = nullptr;
    if (SLxPicturePlaneDesc::AllocArray(array, src.uiCount) != 0)
        return -3;
    Free(dst);
    dst.sPlane = array;
    dst.uiCount = src.uiCount;
    dst.uiCompCount = src.uiCompCount;
    dst.sDescription = src.sDescription;
    SLxPicturePlaneDesc::CopyArray(dst.sPlane, src.sPlane, src.uiCount);
    return 0;
}

bool SLxPicturePlanes::IsCompatible(const SLxPicturePlanes& a, const SLxPicturePlanes& b)
{
    if (a.uiCount != b.uiCount)
        return false;
    if (a.uiCount != 0 && (!a.sPlane || !b.sPlane))
        return a.sPlane == b.sPlane;
    for (uint32_t i = 0; i < a.uiCount; ++i) {
        if (a.sPlane[i].uiCompCount != b.sPlane[i].uiCompCount)
            return false;
    }
    return true;
}

int SLxPicturePlanes::MakeRGB(SLxPicturePlanes& planes)
{
    return MakeSingle(planes, 3, u"Brightfield");
}

int SLxPicturePlanes::MakeMono(SLxPicturePlanes& planes)
{
    return MakeSingle(planes, 1, u"Mono");
}

int SLxPicturePlanes::MakeCompatible(SLxPicturePlanes& planes, uint32_t n)
{
    if (HasPlanes(planes) && n != 0 && planes.uiCompCount == n) {
        if (planes.uiCount > 1)
            return 4;
        if (n == 1 && planes.sPlane[0].uiCompCount == 1)
            return 1;
        return n == 3 ? 2 : 4;
    }
    if (n == 1 || n == 3) {
        MakeSingle(planes, n, nullptr);
        planes.uiCompCount = n;
        return n == 1 ? 1 : 2;
    }
    Free(planes);
    if (Alloc(planes, n) == 0)
        planes.uiCompCount = n;
    return 4;
}

uint32_t SLxPicturePlanes::FullMask(const SLxPicturePlanes& planes)
{
    return LowBits(planes.uiCompCount);
}

uint32_t SLxPicturePlanes::PlaneMask(const SLxPicturePlanes& planes, uint32_t i)
{
    if (!HasPlanes(planes) || i >= planes.uiCount)
        return 0;
    return LowBits(planes.sPlane[i].uiCompCount) << (PlaneStartingComp(planes, i) & 31);
}

uint32_t SLxPicturePlanes::PlaneStartingComp(const SLxPicturePlanes& planes, uint32_t i)
{
    uint32_t start = 0;
    if (!planes.sPlane)
        return 0;
    for (uint32_t k = 0; k < i && k < planes.uiCount; ++k)
        start += planes.sPlane[k].uiCompCount;
    return start;
}

uint32_t SLxPicturePlanes::MaskedPlaneCount(const SLxPicturePlanes& planes, uint32_t mask)
{
    uint32_t n = 0;
    ForEachPlane(planes, [&](const SLxPicturePlaneDesc& plane, uint32_t start, uint32_t m) {
        n += Whole(m, mask) ? 1 : PartCount(plane, start, mask);
        return true;
    });
    return n;
}

uint32_t SLxPicturePlanes::MaskedCompCount(const SLxPicturePlanes& planes, uint32_t mask)
{
    uint32_t n = 0;
    ForEachPlane(planes, [&](const SLxPicturePlaneDesc& plane, uint32_t start, uint32_t m) {
        n += Whole(m, mask) ? plane.uiCompCount : PartCount(plane, start, mask);
        return true;
    });
    return n;
}

uint32_t SLxPicturePlanes::ExtractPlanes(SLxPicturePlanes& dst, const SLxPicturePlanes& src,
                                         uint32_t mask)
{
    static const uint32_t kColors[3] = {0xFF0000u, 0x00FF00u, 0x0000FFu};
    static const char16_t* const kNames[3] = {u"Blue", u"Green", u"Red"};
    dst.uiCompCount = 0;
    if (!dst.sPlane)
        return 0;
    uint32_t written = 0;
    ForEachPlane(src, [&](const SLxPicturePlaneDesc& plane, uint32_t start, uint32_t m) {
        if (written >= dst.uiCount)
            return false;
        if (Whole(m, mask)) {
            SLxPicturePlaneDesc::Copy(dst.sPlane[written++], plane);
            dst.uiCompCount += plane.uiCompCount;
            return true;
        }
        for (uint32_t c = 0; c < std::min(plane.uiCompCount, 3u) && written < dst.uiCount; ++c) {
            if (!(mask & Bit(start + c)))
                continue;
            SLxPicturePlaneDesc& out = dst.sPlane[written++];
            SLxPicturePlaneDesc::Copy(out, plane);
            out.uiCompCount = 1;
            out.uiColor = kColors[c];
            out.sDescription = LX_GetTranslation(kNames[c], kDomain);
            dst.uiCompCount += 1;
        }
        return true;
    });
    return written;
}

uint32_t SLxPicturePlanes::MergePlanes(SLxPicturePlanes& dst, const SLxPicturePlanes& src)
{
    const uint32_t oldCount = dst.sPlane ? dst.uiCount : 0;
    const uint32_t srcCount = src.sPlane ? src.uiCount : 0;
    if (oldCount > UINT32_MAX - srcCount)
        return oldCount;
    const bool oldMono = IsLoneUndescribedMono(dst);
    const bool srcMono = IsLoneUndescribedMono(src);
    SLxPicturePlaneDesc* array = nullptr;
    if (SLxPicturePlaneDesc::AllocArray(array, oldCount + srcCount) != 0)
        return oldCount;
    // src may be dst: everything is read before the old array goes.
    SLxPicturePlaneDesc::CopyArray(array, dst.sPlane, oldCount);
    SLxPicturePlaneDesc::CopyArray(array + oldCount, src.sPlane, srcCount);
    if (oldMono)
        array[0].sDescription = u"Mono";
    if (srcMono)
        array[oldCount].sDescription = u"Mono";
    const uint32_t compCount = dst.uiCompCount + src.uiCompCount;
    SLxPicturePlaneDesc* old = dst.sPlane;
    dst.sPlane = array;
    dst.uiCount = oldCount + srcCount;
    dst.uiCompCount = compCount;
    SLxPicturePlaneDesc::FreeArray(old);
    return dst.uiCount;
}

uint32_t SLxPicturePlanes::GetPlaneColors(const SLxPicturePlanes& planes, uint32_t* colors,
                                          uint32_t n)
{
    if (!colors || n != planes.uiCompCount || !HasPlanes(planes))
        return 0;
    static const uint32_t kParts[3] = {0xFF0000u, 0x00FF00u, 0x0000FFu};
    uint32_t written = 0;
    for (uint32_t i = 0; i < planes.uiCount && written < n; ++i) {
        const SLxPicturePlaneDesc& plane = planes.sPlane[i];
        if (plane.uiCompCount == 1) {
            colors[written++] = plane.uiColor;
        } else if (plane.uiCompCount == 3) {
            for (int c = 0; c < 3 && written < n; ++c)
                colors[written++] = plane.uiColor & kParts[c];
        }
    }
    return written;
}

int SLxPicturePlanes::SaveToVariant(CLxVariant& v, const SLxPicturePlanes& planes)
{
    const int begin = lx_meta::BeginSave(v, "RLxPicturePlanes");
    if (begin != 0)
        return begin;
    const uint32_t count = planes.sPlane ? planes.uiCount : 0;
    lx_meta::Put(v, u"uiCount", lx_uint32(count));
    lx_meta::Put(v, u"uiCompCount", lx_uint32(planes.uiCompCount));
    if (CLxVariant* list = lx_meta::ResetList(v, u"sPlane")) {
        for (uint32_t i = 0; i < count; ++i) {
            CLxStringW name;
            name.Format(u"a%i", int(i));
            const int res = SLxPicturePlaneDesc::SaveToVariant(
                lx_meta::AppendItem(*list, name.GetString()), planes.sPlane[i]);
            if (res != 0)
                LX_META_REPORT_SUBRECORD();
        }
    }
    lx_meta::Put(v, u"sDescription", planes.sDescription);
    return 0;
}

int SLxPicturePlanes::LoadFromVariant(SLxPicturePlanes& planes, const CLxVariant& v)
{
    if (!LX_META_CHECK_RUNTYPE(v, "RLxPicturePlanes", u"'RLxPicturePlanes'"))
        return -4;
    Free(planes);
    int result = 0;
    uint32_t compCount = lx_meta::GetUInt(v, u"uiCompCount");
    uint32_t count = lx_meta::GetUInt(v, u"uiCount");
    const CLxVariant& list = lx_meta::Get(v, u"sPlane");
    if (count != uint32_t(lx_meta::ItemCount(list)))
        count = compCount = 0;
    if (count != 0) {
        if (Alloc(planes, count) == 0) {
            planes.uiCompCount = compCount;
            for (uint32_t i = 0; i < count; ++i) {
                CLxStringW name;
                name.Format(u"a%i", int(i));
                // Items are mostly in order: look by name only when the
                // item at the position has another.
                const CLxVariant* item = list.IndexPtr(int(i));
                if (!item || item->GetName() != name) {
                    const CLxVariant* named = list.SearchFixedOneLevel(name.GetString());
                    if (named)
                        item = named;
                }
                const int res = SLxPicturePlaneDesc::LoadFromVariant(planes.sPlane[i],
                                                                     item ? *item : g_UndefVariant);
                if (res != 0)
                    LX_META_REPORT_SUBRECORD();
            }
        } else {
            result = -3;
        }
    }
    planes.sDescription = lx_meta::GetText(v, u"sDescription");
    return result;
}
