// The metadata of one picture of a document, and a counted array of them.
#pragma once

#include <cstdint>

#include "gnr_metaformats/LxPicturePlanes.h"
#include "gnr_system/string/LxString.h"
#include "w32_system/LxExport.h"

class CLxVariant;

// One free named physical quantity of a picture.
struct LX_EXPORT SLxPhysicalVar {
    SLxPhysicalVar() : uiIntepretation(0), dValue(0.0) {}

    CLxStringW wsName;
    uint32_t uiIntepretation;
    double dValue;
};

// Constructed, every number says "not known" (-1.0, 0xFFFFFFFF) except the
// picture axes (X 0, Y 1) and the identity stage matrix; SetToDefault gives
// the values of a freshly acquired picture. The record owns its planes and
// physical variables; every copy (constructor, assignment, Copy) is deep.
struct LX_EXPORT SLxPictureMetadata {
    SLxPictureMetadata();
    SLxPictureMetadata(const SLxPictureMetadata& other);
    SLxPictureMetadata& operator=(const SLxPictureMetadata& other);
    ~SLxPictureMetadata();

    // Time now (the Julian day number of the local time), relative time,
    // positions and angle 0, 293.0 K, planes freed, no physical variables;
    // calibration, optics and aspect -1.0 (not known). wsCustomData and the
    // planes' description stay.
    void SetToDefault();

    // Deep copy. -4 when src has no planes (dst then holds src's other
    // fields, no planes and no physical variables), -3 without memory; 0.
    static int Copy(SLxPictureMetadata& dst, const SLxPictureMetadata& src);
    // dCalibration = cal x binX / projMag / zoom (bCalibrated when cal is
    // not 0), dAspect = binY / binX x aspect, the objective name (null:
    // empty), the first plane's binning, projMag and zoom. A projMag or zoom
    // of 0.0, a binning of 0.0 or less counts as 1.0. 0.
    static int SetCalibration(SLxPictureMetadata& md, double cal, double aspect,
                              const char16_t* objective, double binX, double binY, double projMag,
                              double zoom);

    // Writes "RLxPictureMetadata" with its keys in order (the stage matrix
    // as 11, 12, 21, 22). 0.
    static int SaveToVariant(CLxVariant& v, const SLxPictureMetadata& md);
    // -4 (reported) for another run type, the record unchanged. A missing
    // "dTimeAbsolute" keeps the record's value; physical variables are
    // sized by the items that exist (a count that disagrees is reported).
    // -3 without memory for them (none kept); 0.
    static int LoadFromVariant(SLxPictureMetadata& md, const CLxVariant& v);

    double dTimeAbsolute; // Julian day number
    double dTimeMSec;     // since the start of the acquisition
    double dXPos;
    double dYPos;
    uint32_t uiRow;
    uint32_t uiCol;
    double dZPos;
    bool bZPosAbsolute;
    double dAngle;
    SLxPicturePlanes sPicturePlanes;
    double dTemperK;
    double dCalibration; // length units per pixel
    double dAspect;
    bool bCalibrated;
    CLxStringW wsObjectiveName;
    double dObjectiveMag;
    double dObjectiveNA;
    double dRefractIndex1;
    double dRefractIndex2;
    double dPinholeRadius;
    double dZoom;
    double dProjectiveMag;
    SLxPhysicalVar* pPhysicalVar; // uiPhysicalVarCount elements, owned
    uint32_t uiPhysicalVarCount;
    CLxStringW wsCustomData;
    int32_t ePictureXAxis;
    int32_t ePictureYAxis;
    double dStgLgCT11;
    double dStgLgCT21;
    double dStgLgCT12;
    double dStgLgCT22;

  private:
    void FreePhysicalVars();
};

// A counted array of picture metadata records.
struct LX_EXPORT SLxPictureSequence {
    SLxPictureSequence() : uiCount(0), pPictureMetadata(nullptr) {}

    // count constructed records (null for 0). -4 for a null sequence, -3
    // (count 0, null) without memory; 0.
    static int Alloc(SLxPictureSequence* sequence, uint32_t count);
    // Destroys and frees the records; count 0 and a null pointer afterwards.
    static void Free(SLxPictureSequence* sequence);

    uint32_t uiCount;
    SLxPictureMetadata* pPictureMetadata;
};
