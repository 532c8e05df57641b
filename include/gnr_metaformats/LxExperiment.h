// The tree of acquisition loops: one SLxExperiment per loop level, its loop
// record in uLoopPars, and its next (inner) levels, one per branch.
//
// Ownership. A tree made by CopyRecursive or Duplicate with recursion (or
// by a loader) owns every level in it and is released with FreeRecursive.
// A level made by Copy (or Duplicate without recursion) has its own array
// of child pointers but shares the child levels, and the sub-loop levels of
// a non-equidistant time loop, with its source; it is released with Free.
// Levels are copied only through Copy, Duplicate and CopyRecursive: the
// record's own copy would share every buffer.
//
// Status codes: 0 done, -3 no memory, -4 bad argument.
#pragma once

#include <cstdint>

#include "gnr_metaformats/LxPicturePlanes.h"
#include "gnr_system/string/LxString.h"
#include "gnr_system/variant/LxVariant.h"
#include "w32_system/LxExport.h"

struct LX_EXPORT SLxExperiment {
    enum ELxExperimentType : uint32_t {
        eEtUnknown = 0,
        eEtTime = 1,
        eEtXYPos = 2,
        eEtXYDiscr = 3,
        eEtZStack = 4,
        eEtPolar = 5,
        eEtSpect = 6,
        eEtCustom = 7,
        eEtNETime = 8,
        // 9: a loop with an item count and nothing else (counted as a time
        // loop, never equal, never stored); 10 is known only to the Z-stack
        // walks.
    };

    // Autofocus before a loop, a period or a capture; null is all zero.
    struct LX_EXPORT SLxExpAutoFocus {
        uint32_t eType;
        double dStep;
        double dRange;
        double dPrecision;
        double dSpeed;
        double dCoeff_0;
        double dCoeff_1;
        double dCoeff_2;
        double dCoeff_3;

        static void SetToNull(SLxExpAutoFocus& af);
        static bool IsEqual(const SLxExpAutoFocus& a, const SLxExpAutoFocus& b);
        // Writes "RLxExperiment.RLxExpAutoFocus" with the nine members. 0,
        // or the status of giving v that run type.
        static int SaveToVariant(CLxVariant& v, const SLxExpAutoFocus& af);
        // Reads the nine members. -4 (without a report, af unchanged) when v
        // has another run type.
        static int LoadFromVariant(SLxExpAutoFocus& af, const CLxVariant& v);
    };

    // A large image stitched from fields.
    struct SLxLIDesc {
        int32_t iMethod;
        int32_t iXFields;
        int32_t iYFields;
        double dXmm;
        double dYmm;
    };

    // The loop records. Every one begins with the item count; arrays hold
    // uiCount elements (periods: uiPeriodCount) and belong to the level.
    struct SLxExpTimeLoop {
        uint32_t uiCount;
        double dStart;
        double dPeriod;
        double dDuration;
        double dMinPeriodDiff;
        double dMaxPeriodDiff;
        double dAvgPeriodDiff;
        SLxExpAutoFocus sAutoFocusBeforePeriod;
        SLxExpAutoFocus sAutoFocusBeforeCapture;
    };
    struct SLxExpXYPosLoop {
        uint32_t uiCount;
        double* dPosX;
        double* dPosY;
        bool bUseZ;
        double* dPosZ;
        double* dPFSOffset;
        bool bRelativeXY;
        CLxStringW* pPosName;
        SLxExpAutoFocus sAutoFocusBeforeCapture;
    };
    struct SLxExpXYDiscrLoop {
        uint32_t uiCount;
        uint32_t* uiRow;
        uint32_t* uiCol;
        bool bUseZ;
        double* dPosZ;
    };
    struct SLxExpZStackLoop {
        uint32_t uiCount;
        double dZLow;
        double dZLowPFSOffset;
        double dZHigh;
        double dZHighPFSOffset;
        double dZHome;
        double dZStep;
        bool bAbsolute;
        bool bTriggeredPiezo;
        int32_t iType;
        bool bZInverted;
        double dReferencePosition;
        char16_t sZDevice[128];              // zero-terminated
        char16_t sCommandBeforeCapture[500]; // zero-terminated
        char16_t sCommandAfterCapture[500];  // zero-terminated
    };
    struct SLxExpPolarLoop {
        uint32_t uiCount;
        double dAngleStart;
        double dAngleFinish;
        bool bSceneRotates;
    };
    struct SLxExpSpectLoop {
        uint32_t uiCount;
        SLxPicturePlaneDesc* pPlaneDesc; // AllocArray
        SLxExpAutoFocus* pAutoFocus;
        CLxStringW* szCommandBeforeCapture;
        CLxStringW* szCommandAfterCapture;
    };
    struct SLxExpCustomLoop {
        uint32_t uiCount;
        CLxStringW* wsDescription; // one text, owned
    };
    // The levels that run inside one period of a non-equidistant time loop.
    struct SLxSubLoopsDefinition {
        SLxSubLoopsDefinition() : uiNextLevelCount(0), ppNextLevelEx(nullptr) {}
        uint32_t uiNextLevelCount;
        SLxExperiment** ppNextLevelEx;
    };
    struct SLxExpNETimeLoop {
        uint32_t uiCount; // frames of all valid periods
        uint32_t uiPeriodCount;
        SLxExpTimeLoop* pPeriod;
        SLxSubLoopsDefinition* pSubLoops; // uiPeriodCount, or null
        SLxExpAutoFocus sAutoFocusBeforePeriod;
        SLxExpAutoFocus sAutoFocusBeforeCapture;
        CLxStringW* szCommandBeforePeriod;
        CLxStringW* szCommandAfterPeriod;
        uint8_t* pPeriodValid; // nonzero: the period is valid
    };
    union ULxLoopPars {
        uint32_t uiCount;
        SLxExpTimeLoop sTimeLoop;
        SLxExpXYPosLoop sXYPosLoop;
        SLxExpXYDiscrLoop sXYDiscrLoop;
        SLxExpZStackLoop sZStackLoop;
        SLxExpPolarLoop sPolarLoop;
        SLxExpSpectLoop sSpectLoop;
        SLxExpCustomLoop sCustomLoop;
        SLxExpNETimeLoop sNETimeLoop;
    };

    // eEtUnknown, no items, no children, shutter controlled, repeat count 0;
    // the loop record cleared.
    SLxExperiment();
    // Destroys the child levels (and owned sub-loop levels), then Uninit.
    ~SLxExperiment();
    SLxExperiment(const SLxExperiment&) = delete;
    SLxExperiment& operator=(const SLxExperiment&) = delete;

    // A new heap level through ppExp. -4 for null, -3 (null stored).
    static int Alloc(SLxExperiment** ppExp);
    // Releases the level but not its child levels; null does nothing.
    static void Free(SLxExperiment* pExp);
    // Releases the level with its whole subtree; null does nothing.
    static void FreeRecursive(SLxExperiment* pExp);
    // Sets up a level that holds no buffers: the loop record of eType with
    // uiCount items (and uiPeriodCount periods), uiNextLevelCount empty
    // child slots, repeat count 1, all items valid when bItemValid. -3 (the
    // level Uninit) without memory.
    static int Init(SLxExperiment& exp, ELxExperimentType eType, bool bItemValid, uint32_t uiCount,
                    uint32_t uiPeriodCount, uint32_t uiNextLevelCount);
    // Copies one level into a level without loop buffers, sharing the
    // child levels (a level onto itself: nothing). A type outside 0 to 9
    // is reported ("Unknown experiment type") and gives eEtUnknown.
    static SLxExperiment& Copy(SLxExperiment& dst, const SLxExperiment& src);
    // Alloc, then Copy (or CopyRecursive with recursion). -4, -3.
    static int Duplicate(SLxExperiment** ppDst, const SLxExperiment& src, bool bRecursive);
    // Copy, then with recursion a deep copy of every child and sub-loop
    // level (owned by the copy); without it, no children. -4 for null.
    static int CopyRecursive(SLxExperiment* pDst, const SLxExperiment& src, bool bRecursive);
    // Releases the loop buffers, the flags and the child-pointer array (not
    // the children): eEtUnknown with no buffers.
    static void Uninit(SLxExperiment& exp);
    // Frames the tree stores, as CLxExperimentAPI::GetAllImagesCount.
    static uint32_t GetPictureCount(const SLxExperiment& exp);
    // The valid channels of a spectral level as planes. -4 for null or
    // another type.
    static int ExtractValidPlanes(SLxPicturePlanes& planes, const SLxExperiment* pExp);
    // Exact comparison of two levels (with bRecursive, of their subtrees).
    static bool IsEqual(const SLxExperiment& a, const SLxExperiment& b, bool bRecursive);

    // ---- Variants of run type "RLxExperiment". The one-level form holds a
    // level without its next levels; the tree form adds "uiRepeatCount" and
    // the tree form of every next level under "ppNextLevelEx". Item names:
    // flags, periods, channels and grid Z "%03u"; XY lists and grid rows and
    // columns "item_%05u". Failing nested records are reported and skipped.

    // The one-level form. 0, or the status of saving sAutoFocusBeforeLoop.
    static int SaveToVariantOld(CLxVariant& v, const SLxExperiment& exp);
    // The tree form. 0, or the first failure of a level (later next levels
    // are then left out).
    static int SaveToVariant(CLxVariant& v, const SLxExperiment& exp);
    // One level into exp, whose loop buffers are released first (its next
    // levels are kept). Every array is sized from the list items that
    // exist: counts that disagree are reported and end up equal to the
    // arrays made; item flags beyond the loop's count are dropped, and too
    // few flags are dropped (all items valid) with a report; Z-stack texts
    // are cut at 127 and 499 units, never inside a surrogate pair. A
    // non-equidistant loop's uiCount is the sum of its valid periods, and
    // its sub-loop levels belong to exp. -4 with a trace record (exp
    // untouched) for another run type; -3 without memory; or the status of
    // loading sAutoFocusBeforeLoop. On failure exp holds no loop buffers.
    static int LoadFromVariantOld(SLxExperiment& exp, const CLxVariant& v);
    // The whole tree: the level as LoadFromVariantOld, then its repeat
    // count and one owned next level per item of run type "RLxExperiment"
    // that loads (others are left out, the order kept). A child-pointer
    // array exp already holds is released, not the levels in it. 0, or the
    // failure of the level itself.
    static int LoadFromVariant(SLxExperiment& exp, const CLxVariant& v);

    ELxExperimentType eType;
    CLxStringW wsApplicationDesc;
    CLxStringW wsUserDesc;
    CLxStringW aMeasProbesBase64;
    ULxLoopPars uLoopPars;
    uint8_t* pItemValid; // uiCount flags, nonzero valid; null: all valid
    SLxExpAutoFocus sAutoFocusBeforeLoop;
    CLxStringW wsCommandBeforeLoop;
    CLxStringW wsCommandBeforeCapture;
    CLxStringW wsCommandAfterCapture;
    CLxStringW wsCommandAfterLoop;
    bool bControlShutter;
    bool bControlLight;
    bool bUsePFS;
    SLxLIDesc* pLargeImage;        // owned
    SLxExperiment** ppNextLevelEx; // uiNextLevelCount pointers (CLxAlloc)
    uint32_t uiNextLevelCount;
    uint32_t uiRepeatCount; // as a branch: consecutive parent items
    // Whether the sub-loop levels of a non-equidistant time loop belong to
    // this level (set by recursive copies and loaders, never by Copy).
    bool bOwnsSubLoopLevels;
};
