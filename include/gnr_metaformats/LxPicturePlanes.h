// The channels (planes) of a picture. Components of a picture are numbered
// from 0 across the planes in plane order; a mask over components (bit k
// for component k) selects some of them. Masks cover pictures of at most
// 32 components; inside a three-component plane component 0 is blue, 1
// green and 2 red.
#pragma once

#include <cstdint>

#include "gnr_metaformats/LxCameraSettings.h"
#include "gnr_metaformats/LxFluorescentProbe.h"
#include "gnr_metaformats/LxOpticalFilter.h"
#include "gnr_system/string/LxString.h"
#include "gnr_system/variant/LxVariant.h"
#include "w32_system/LxExport.h"

// One plane: a single channel (1 component) or a colour channel (3).
class LX_EXPORT SLxPicturePlaneDesc
{
  public:
    enum EModality : uint32_t {
        eWidefieldFluorescence = 0,
        eBrightfield = 1,
        eLaserScanningConfocal = 2,
        eSpinningDiskConfocal = 3,
        eSweptFieldConfocal = 4,
        eMultiPhotonFluorescence = 5,
    };

    // 1 component, white (0xFFFFFF), acquisition time 0.0, the rest empty.
    SLxPicturePlaneDesc();
    SLxPicturePlaneDesc(const SLxPicturePlaneDesc& other);
    // The configuration variant follows the variant's own assignment rules.
    SLxPicturePlaneDesc& operator=(SLxPicturePlaneDesc& other);
    virtual ~SLxPicturePlaneDesc();

    // count default planes, the count kept ahead of them; -3 and null
    // without memory (null and 0 for a count of 0).
    static int AllocArray(SLxPicturePlaneDesc*& planes, uint32_t count);
    // Destroys and frees an array of AllocArray; null does nothing. The
    // pointer is not reset.
    static void FreeArray(SLxPicturePlaneDesc* planes);
    // Every field, the configuration variant whatever its run type. 0.
    static int Copy(SLxPicturePlaneDesc& dst, const SLxPicturePlaneDesc& src);
    static int CopyArray(SLxPicturePlaneDesc* dst, const SLxPicturePlaneDesc* src, uint32_t count);
    // Equal component count, configuration name, modality, colour and
    // description.
    static bool IsEqual(const SLxPicturePlaneDesc& a, const SLxPicturePlaneDesc& b);
    // True for modalities 0 and 2 to 5.
    static bool IsModalityMonochrome(EModality modality);

    // Writes "RLxPicturePlaneDescV1_1" with its keys in order; the
    // configuration variant is the one item of "sOpticalConfigFull". 0.
    static int SaveToVariant(CLxVariant& v, const SLxPicturePlaneDesc& plane);
    // Reads "RLxPicturePlaneDescV1_1", or the older "RLxPicturePlaneDesc"
    // (dAcqTime -1.0); -4 (reported) for another run type, the plane
    // unchanged. Failing sub-records are reported and skipped. 0.
    static int LoadFromVariant(SLxPicturePlaneDesc& plane, const CLxVariant& v);

    uint32_t uiCompCount;
    CLxStringW sOpticalConfigName;
    CLxVariant sOpticalConfigFull; // opaque here
    EModality eModality;
    CLxFluorescentProbe pFluorescentProbe;
    CLxOpticalFilterPath pFilterPath;
    SLxCameraSetting sCameraSetting;
    double dLampVoltage;
    double dFadingCorr;
    uint32_t uiColor; // 0x00BBGGRR
    CLxStringW sDescription;
    double dAcqTime;
};

// The planes of a picture. The array belongs to the record but is shared
// by copies: the copy constructor and assignment copy the pointer, and only
// one of the records may Free it. The destructor never frees it; Copy makes
// a deep copy.
struct LX_EXPORT SLxPicturePlanes {
    SLxPicturePlanes();
    SLxPicturePlanes(const SLxPicturePlanes& other) = default;
    SLxPicturePlanes& operator=(const SLxPicturePlanes& other) = default;
    ~SLxPicturePlanes() = default;

    // uiCount = n and a new array of n default planes (null for 0); -3
    // (count 0) without memory. Neither frees an old array nor touches
    // uiCompCount or the description.
    static int Alloc(SLxPicturePlanes& planes, uint32_t n);
    // Frees the array; count, component count and pointer become 0.
    static void Free(SLxPicturePlanes& planes);
    // Deep copy. -4 when src has no planes, -3 without memory (dst
    // unchanged either way); 0.
    static int Copy(SLxPicturePlanes& dst, const SLxPicturePlanes& src);
    // The same plane count and, plane by plane, component count.
    static bool IsCompatible(const SLxPicturePlanes& a, const SLxPicturePlanes& b);

    // One plane of 3 components, white, described "Brightfield"
    // (translated); uiCompCount 3. -3 without memory (left empty).
    static int MakeRGB(SLxPicturePlanes& planes);
    // The same with 1 component and "Mono" (translated).
    static int MakeMono(SLxPicturePlanes& planes);
    // Fits the list to a picture of n components: kept when its component
    // count is n, else rebuilt (1: one mono plane, 3: one RGB plane, else n
    // mono planes). 1 for one single-component plane, 2 for one
    // three-component plane, 4 otherwise.
    static int MakeCompatible(SLxPicturePlanes& planes, uint32_t n);

    // All uiCompCount components: 0xFFFFFFFF for 32, else the low
    // (uiCompCount mod 32) bits.
    static uint32_t FullMask(const SLxPicturePlanes& planes);
    // The components of plane i; counts and positions are taken mod 32
    // (a plane of 32 components covers all bits). 0 past the last plane.
    static uint32_t PlaneMask(const SLxPicturePlanes& planes, uint32_t i);
    // The first component of plane i.
    static uint32_t PlaneStartingComp(const SLxPicturePlanes& planes, uint32_t i);
    // Planes and components the mask selects: a whole plane counts as one
    // plane of its components; each selected blue, green or red component
    // of a partly selected plane as one plane of one component.
    static uint32_t MaskedPlaneCount(const SLxPicturePlanes& planes, uint32_t mask);
    static uint32_t MaskedCompCount(const SLxPicturePlanes& planes, uint32_t mask);
    // Fills dst (allocated with MaskedPlaneCount planes) with the selected
    // planes; partly selected planes give single "Blue", "Green", "Red"
    // planes. The number of planes written, never more than dst's count.
    static uint32_t ExtractPlanes(SLxPicturePlanes& dst, const SLxPicturePlanes& src,
                                  uint32_t mask);
    // Appends src's planes to dst's; a lone undescribed mono plane on
    // either side is described "Mono". The new plane count (the old count,
    // dst unchanged, without memory).
    static uint32_t MergePlanes(SLxPicturePlanes& dst, const SLxPicturePlanes& src);
    // One colour per component (a colour plane gives its blue, green and red
    // parts); 0 when n is not uiCompCount. The number written.
    static uint32_t GetPlaneColors(const SLxPicturePlanes& planes, uint32_t* colors, uint32_t n);

    // Writes "RLxPicturePlanes": "uiCount", "uiCompCount", "sPlane" (items
    // "a<i>"), "sDescription". 0.
    static int SaveToVariant(CLxVariant& v, const SLxPicturePlanes& planes);
    // Loads into a list without an array; a count that disagrees with the
    // items gives an empty list. -4 (reported) for another run type, -3
    // (left empty) without memory; 0.
    static int LoadFromVariant(SLxPicturePlanes& planes, const CLxVariant& v);

    uint32_t uiCount;
    uint32_t uiCompCount;
    SLxPicturePlaneDesc* sPlane; // uiCount planes (AllocArray); null when empty
    CLxStringW sDescription;
};
