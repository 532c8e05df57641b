// Seed fill, contour tracing and line walking on one-component grey
// pictures of 8 or 16 bits.
#pragma once

#include <cstdint>

#include "gnr_picture/LxColorimetry.h"
#include "gnr_picture/LxContour.h"
#include "gnr_picture/LxPoints.h"
#include "gnr_system/LxInterface.h"
#include "w32_system/LxExport.h"

struct SLxPicBuf;

// Called once for every painted span before it is painted: its first
// column, its row, its length in pixels and the caller's pointer.
typedef void (*LxPaintSpanCallback)(unsigned int x, unsigned int y, unsigned int length,
                                    void* user);

struct SLxBinPicBuf;
struct SLxRLEObject;
struct SLxRLEPicBuf;

// Feature rows hold this many doubles, one row an object.
#define LX_OBJECT_FEATURES 86

// The measured objects of one or more fields: uiCount rows of
// LX_OBJECT_FEATURES doubles in pFeatures and of four words in pObjects
// (an object number or ID, a second ID or -1, a tag or -1, the result:
// 1 passed, 2 rejected by the restrictions, 4 removed by the frame,
// 8 excluded). Copies are deep; both arrays live on the private heap.
struct LX_EXPORT SLxObjectData {
    uint32_t uiCount;
    uint32_t uiCapacity;
    double* pFeatures;
    uint32_t* pObjects;
    double dFieldArea;  // the measurement frame, x cal^2 when cal is not 0
    double dObjectArea; // objects inside the frame, likewise

    SLxObjectData();
    ~SLxObjectData();
    SLxObjectData(const SLxObjectData& other);
    SLxObjectData& operator=(const SLxObjectData& other);
    SLxObjectData(SLxObjectData&& other) noexcept;
    SLxObjectData& operator=(SLxObjectData&& other) noexcept;

    // Grows both arrays to n rows (new rows zero) when n exceeds the
    // capacity; false, nothing changed, without memory.
    bool Realloc(uint32_t n);
    // Releases both arrays; count and capacity 0, the areas stay.
    void Free();
    // Appends other's rows; the areas are not touched. False without memory.
    bool Append(const SLxObjectData& other);
};

// Per-feature limits of ApplyRestrictions: a feature whose use byte is not 0
// rejects the object with mode 0 when lower <= value <= upper (values inside
// the limits), with any other mode when it lies outside them.
struct SLxObjectRestrictions {
    double dLower[LX_OBJECT_FEATURES];
    double dUpper[LX_OBJECT_FEATURES];
    double dAux1[LX_OBJECT_FEATURES]; // not read by the measurement
    double dAux2[LX_OBJECT_FEATURES];
    uint8_t ucMode[LX_OBJECT_FEATURES];
    uint8_t ucUse[LX_OBJECT_FEATURES];
};

// A per-pixel measurement that callers implement; the run-length
// MeasureObject adds the value of Measure for every object pixel (slots 79
// and 80 hold the means). The other operations keep their places in the
// table of virtual operations for implementations made elsewhere; nothing
// here calls them.
class LX_EXPORT ILxPicMeas : public CLxClass
{
  public:
    ILxPicMeas() : CLxClass(true) {}
    ILxPicMeas(const ILxPicMeas& other) : CLxClass(other) {}
    ~ILxPicMeas() override;

    virtual int Reserved1() = 0;
    virtual int Reserved2() = 0;
    virtual int Reserved3() = 0;
    virtual int Reserved4() = 0;
    virtual int Reserved5() = 0;
    virtual int Reserved6() = 0;
    virtual int Reserved7() = 0;
    virtual int Reserved8() = 0;
    virtual int Reserved9() = 0;
    virtual int Reserved10() = 0;
    virtual int Reserved11() = 0;
    virtual int Reserved12() = 0;
    // The value of one pixel: its first sample, bits per component,
    // components, and flags (0).
    virtual double Measure(const void* pixel, uint32_t bits, uint32_t comps, uint32_t flags) = 0;
    virtual int Reserved14() = 0;
    virtual int Reserved15() = 0;
    virtual int Reserved16() = 0;
    virtual int Reserved17() = 0;
    virtual int Reserved18() = 0;
};

// Called with an object's contour (label form) or object (run-length form),
// its result (1, 2, or 4 for an object removed by a frame), its pixel count
// and the caller's pointer.
typedef void (*LxContourCallback)(SLxContour* contour, unsigned int result, double pixels,
                                  void* user);
typedef void (*LxRLEObjectCallback)(SLxRLEObject* object, unsigned int result, double pixels,
                                    void* user);

class LX_EXPORT CLxPicMeasAPI
{
  public:
    // ---- Seed fill (in place)

    // Paints the region of pixels equal to oldValue that holds (x, y) with
    // newValue; connectivity 4 or 8. Values are cut to the sample width.
    // The counter (set to 0 first) adds each painted span's length.
    // -4 for (x, y) outside, values equal after the cut or another
    // connectivity; 0 for an empty picture; -2 unless one component of 8 or
    // 16 bits; -9 for a null record or one whose block does not hold its
    // lines; -3 when the pending spans outgrow memory (the region is then
    // painted only in part).
    static int Paint(SLxPicBuf* pic, unsigned int x, unsigned int y, unsigned int oldValue,
                     unsigned int newValue, unsigned int connectivity);
    static int Paint(SLxPicBuf* pic, unsigned int x, unsigned int y, unsigned int oldValue,
                     unsigned int newValue, unsigned int connectivity, uint64_t& painted);
    static int Paint(SLxPicBuf* pic, unsigned int x, unsigned int y, unsigned int oldValue,
                     unsigned int newValue, unsigned int connectivity, LxPaintSpanCallback callback,
                     void* user);
    // As Paint over the region of pixels different from boundaryValue.
    static int PaintUntil(SLxPicBuf* pic, unsigned int x, unsigned int y,
                          unsigned int boundaryValue, unsigned int newValue,
                          unsigned int connectivity);
    static int PaintUntil(SLxPicBuf* pic, unsigned int x, unsigned int y,
                          unsigned int boundaryValue, unsigned int newValue,
                          unsigned int connectivity, uint64_t& painted);
    static int PaintUntil(SLxPicBuf* pic, unsigned int x, unsigned int y,
                          unsigned int boundaryValue, unsigned int newValue,
                          unsigned int connectivity, LxPaintSpanCallback callback, void* user);
    // Labels the regions of 65535 of a 16-bit one-component picture 1, 2, 3
    // in raster order of their first pixel. -9 for null, -2 for another
    // format, else the status of the last Paint (0 without objects).
    static int PaintAllObjects(SLxPicBuf* pic, unsigned int connectivity);

    // ---- Contours (the caller frees the result with CLxAlloc::Free)

    // Outer contour, 8-connected and clockwise on the screen, of the object
    // of pixels equal to value, traced from start (an object pixel whose
    // left neighbour is background). Null for a start outside the picture
    // or no memory.
    static SLxContour* ContourPoints(const SLxPicBuf* pic, uint16_t value, SLxIPoint start);
    // The same, and the number of pixels inside the contour, holes included
    // (count may be null).
    static SLxContour* ContourPoints(const SLxPicBuf* pic, uint16_t value, SLxIPoint start,
                                     uint64_t* count);
    // As ContourPoints over the pixels different from background.
    static SLxContour* ContourPointsEx(const SLxPicBuf* pic, uint16_t background, SLxIPoint start);
    // A 4-connected copy: each diagonal step gets a corner pixel, taken off
    // the background where the picture allows. Null for a null or empty
    // contour or no memory.
    static SLxContour* ContourPointsEx8To4(const SLxPicBuf* pic, uint16_t background,
                                           const SLxContour* contour);
    // The pixels of a one-pixel-wide line of value in walking order from
    // start. Null when start is outside or does not hold value, for more
    // than 16 bits or no memory. The picture is unchanged afterwards.
    static SLxContour* LinePoints(SLxPicBuf* pic, uint16_t value, SLxIPoint start);

    // Moves x to the first run start of value on row y. -4 (unchanged) when
    // x is not below width - 1 or y not below the height, else 0.
    static int FindLeftSeed(const SLxPicBuf* pic, unsigned int& x, unsigned int& y, uint16_t value);
    static int FindLeftSeed(const SLxPicBuf* pic, int32_t& x, int32_t& y, uint16_t value);
    static int FindLeftSeed(const SLxPicBuf* pic, long& x, long& y, uint16_t value);
    static int FindLeftSeed(const SLxPicBuf* pic, SLxIPoint& point, uint16_t value);
    // Moves x to the start of the run that holds it, or of the nearest run
    // to its left (0 when there is none). Errors as FindLeftSeed.
    static int FindLeftSeed2(const SLxPicBuf* pic, SLxIPoint& point, uint16_t value);
    // Least x and y, greatest x and y plus 1; no points give left = top =
    // 2147483647 and right = bottom = -2147483647.
    static void FindBoundingRect(uint32_t count, const SLxIPoint* points, SLxIRect& rect);

    // ---- Colorimetry of one colour (no state). Unlike the status codes of
    // the rest of the library these return 1 for success and 0 for failure.
    // RGB and XYZ convert with the ITU-R BT.709 primaries and the D65 white
    // on values divided by 255, without any gamma step: the input is taken
    // as linear light. Null records give 0 and change nothing.

    // The CIE 1964 10-degree observer, 360 to 830 nm at 1 nm (471 rows): the
    // default table of the dominant-wavelength search.
    static const int32_t CMF_Length;
    static const double CMF_Wavelength[471];
    static const double CMF_X[471];
    static const double CMF_Y[471];
    static const double CMF_Z[471];

    // Y, x, y, u', v', L*, a*, b*, excitation purity and dominant wavelength
    // of R, G, B (0 to 255) against the white of 255, 255, 255 and the
    // 10-degree table. Y, x, y (and so the chromaticity of L*, a*, b* and
    // the wavelength) come from the integer parts of R, G, B; u', v' and the
    // luminance of L*, a*, b* from the unrounded values. Steps
    // that fail leave their -1 values (black: a*, b*, purity and wavelength
    // -1; greys: wavelength -1, purity 0; colours towards the purple line:
    // both -1). 1, or 0 for a null out.
    static int Measure_Colorimetry(double R, double G, double B, SLxColorimetryData* out);
    // Y, x, y of an 8-bit colour; x = y = 0 for black. 1, or 0 for a null
    // pointer.
    static int RGB2Yxy(int R, int G, int B, double* Y, double* x, double* y);
    // X, Y, Z of R, G, B on the scale 0 to 255.
    static int RGB2XYZ(SLxColorXYZ* out, const SLxColRGB* in);
    // Linear R, G, B on the scale 0 to 1 (no factor 255, no gamma).
    static int XYZ2RGB(SLxColRGB* out, const SLxColorXYZ* in);
    // Display colour 0x00BBGGRR scaled so that the strongest linear
    // component is 255; components not above 0 become 0 (black gives 0).
    static uint32_t XYZ2CompRGB(const SLxColorXYZ* in);
    // x = X / (X + Y + Z), y = Y / (X + Y + Z); x = y = 0 when X + Y + Z = 0.
    static int XYZ2CIExy(SLxColorCIExy* out, const SLxColorXYZ* in);
    // X, Y, Z of x, y at luminance Y, or at the record's own Y when Y is
    // negative. 0 (out unchanged) when y is 0.
    static int CIExy2XYZ(SLxColorXYZ* out, const SLxColorCIExy* in, double Y);
    // u' = 4X / (X + 15Y + 3Z), v' = 9Y / (X + 15Y + 3Z); u' = v' = 0 when
    // the divisor is 0.
    static int XYZ2CIEuv(SLxColorCIEuv* out, const SLxColorXYZ* in);
    // Note the order: input first, output second. 0 (out unchanged) when v'
    // or 6u' - 16v' + 12 is 0.
    static int CIEuv2XYZ(const SLxColorCIEuv* in, SLxColorXYZ* out);
    // L*u*v* of the colour at luminance Y (its own Y when Y is negative)
    // against the white at luminance whiteY. 0 with L* 0, u* = v* = -1 and
    // C* = h = s = 0 when the colour's x or y is 0, or the white's y or
    // whiteY is not above 0; s is 0 when L* is 0.
    static int CIExy2CIELuv(const SLxColorCIExy* color, double Y, SLxColorCIELuv* out,
                            const SLxColorCIExy* white, double whiteY);
    // L*a*b* as CIExy2CIELuv; 0 with L* 0, a* = b* = -1, C* = h = 0 when the
    // colour's x or y is 0, or the white's X, Y or Z is not above 0.
    static int CIExy2CIELab(const SLxColorCIExy* color, double Y, SLxColorCIELab* out,
                            const SLxColorCIExy* white, double whiteY);
    // The L*a*b* function: t^(1/3) above 0.008856, else 7.787 t + 16/116.
    static double CIExy2CIELab_f(double t);
    // Dominant wavelength and excitation purity of the colour against the
    // white: the wavelength of the locus row of table (null: the 10-degree
    // table) nearest to the colour's direction from the white, searched
    // between the rows of the locus's largest and smallest angles; the
    // purity is the colour's distance from the white over that row's (-1
    // when the row lies within 0.001 of the white). 1 when a wavelength is
    // found; else 0 with wavelength -1 and purity -1 (x or y 0, a colour
    // towards the purple line, an empty table), or purity 0 for a colour
    // within 1e-8 of the white.
    static int CIExy2DWLandEP(double* wavelength, double* purity, const SLxColorCIExy* color,
                              const SLxCMF* table, const SLxColorCIExy* white);
    // The angle atan2(white x - x, y - white y), in radians, of the locus
    // point of row index as seen from the white point; NaN for a null
    // pointer or a row outside the table.
    static double CMFXYZIndex2Angle(const SLxCMF* table, int index, const SLxColorCIExy* white);
    // ---- Object measurement
    // Feature rows hold LX_OBJECT_FEATURES doubles; lengths are x cal,
    // areas x cal^2.
    // Slots: 0 area, 1 filled area, 2 area / filled area, 3 equivalent
    // diameter, 4 sphere volume, 5 rod volume, 6 perimeter, 7 area per mean
    // diameter, 8 length, 9 width, 10 / 11 maximum / minimum Feret, 12
    // circularity, 13 elongation, 14-15 centre, 16-17 centre in pixels, 18-19
    // its stage position, 20-23 seed (calibrated, pixels), 24 angle of the
    // maximum Feret, 25-27 mean, sum, deviation of intensity, 28 sum of the
    // second density, 29-31 mean red, green, blue, 32-33 mean and deviation of
    // hue, 34 mean saturation, 35 / 45 / 36 / 42 passed values, 37-39 mean, sum,
    // deviation of the first density, 40-41 mean and deviation of the second,
    // 43-44 stage, 46-48 sums of red, green, blue, 49-50 least and greatest
    // intensity, 51-54 box left, right, top, bottom, 55-58 the same in pixels,
    // 59-62 stage x, x, y, y of its corners, 63-72 colorimetry, 73 line length,
    // 74-77 field measures, 78 width across the maximum Feret, 79-80 custom
    // means, 81 outer perimeter, 82 convex circularity, 83 solidity, 84
    // convexity.
    // A feature mask chooses the groups: 0x1 filled area, 0x2 perimeter (and the Feret
    // group), 0x4 centre and position, 0x8 intensity, 0x10 colour-space
    // means, 0x20 density, 0x40 / 0x80 Ferets (0x80: 1-degree step), 0x100
    // bounding box, 0x200 colorimetry of the mean colour (slots 63-72), 0x400
    // object count (fields), 0x1000 line length, 0x2000 convexity, 0x4000
    // outer perimeter. Slots of groups not asked for keep their values.
    // Deliberate, and kept so:
    // - the colorimetry takes the mean R, G, B as linear light (BT.709
    //   matrix, no gamma step);
    // - restriction mode 0 rejects values inside the limits;
    // - the bounding box (slots 51-58) is exclusive at right and bottom in
    //   the label form, inclusive in the run-length form.
    // Channel flags: one word per component of the intensity picture; 0x1
    // red, 0x2 green, 0x4 blue, 0x8 intensity channel, 0x10 density channel.
    // Density tables: 256 slopes then 256 offsets (see GetDensity).

    // Values of the frame and ROI touch modes.
    enum EFrameTouch : int32_t {
        eFrameTouchKeep = 0,          // frame: a row inside meets it; ROI: overlap
        eFrameTouchRemove = 1,        // frame: touching the border; ROI: wholly inside
        eFrameTouchCountingFrame = 2, // frame: counting-frame rule; ROI: nothing
        eFrameTouchCut = 3,           // ROI: objects cut at the ROI borders
    };

    // The 8-connected object of oldValue at seed in a 16-bit one-component
    // label picture, painted to newValue. Returns the restriction result (1
    // or 2); 0, nothing measured, for null pictures, row or seed, another
    // label format, an intensity picture smaller than the label picture or
    // equal old and new values. Passed values go to slots 35, 45, 36, 42.
    static unsigned int
    MeasureObject(const SLxPicBuf* intensity, SLxPicBuf* labels, const SLxIPoint* seed,
                  uint16_t oldValue, uint16_t newValue, double cal, double* features, double stageX,
                  double stageY, double angle, const double* matrix, double value1, double value2,
                  double value3, double value4, uint32_t featureMask, double* pixelCount,
                  const SLxObjectRestrictions* restrictions, const uint32_t* channelFlags,
                  const double* density1, const double* density2, LxContourCallback callback,
                  void* user);
    // One object of a painted run-length picture; a rejected object gets
    // status 0x8 (0x100 cleared), a passing one 0x100 (0x8 cleared) when
    // restrictions are given. Object pixels outside the intensity picture
    // are skipped.
    static unsigned int MeasureObject(const SLxPicBuf* intensity, SLxRLEObject* object, double cal,
                                      double* features, double stageX, double stageY, double angle,
                                      const double* matrix, double value1, double value2,
                                      double value3, double value4, uint32_t featureMask,
                                      double* pixelCount, const SLxObjectRestrictions* restrictions,
                                      const uint32_t* channelFlags, const double* density1,
                                      const double* density2, ILxPicMeas* measure1,
                                      ILxPicMeas* measure2, LxRLEObjectCallback callback,
                                      void* user);
    // Caliper widths of the contour for angles 0, step, ... below 180
    // degrees (step 0 counts as 1): maximum and minimum (truncated + 1),
    // the angles of both as (angle + 90) mod 180, the width across the
    // maximum. Null outputs are skipped; nothing written for an empty
    // contour.
    static void MeasureFerets(const SLxContour* contour, uint32_t step, uint32_t* maximum,
                              uint32_t* minimum, uint32_t* maximumAngle, uint32_t* minimumAngle,
                              uint32_t* widthAcrossMaximum);
    // Half the length of the closed walk through every second point; 0 for
    // one point or none.
    static double LineLengthFromContour(const SLxContour* contour);
    // Entries into the pixels equal to value inside rect widened by one
    // pixel (clipped): c0 along rows, c1 down-right, c2 down columns, c3
    // down-left; outside the picture is background. 0; -4 unless one
    // component of 9 to 16 bits, -2 for a width or height of 1, -9 for null.
    static int Projections(const SLxPicBuf* pic, uint16_t value, SLxIRect rect, uint32_t& c0,
                           uint32_t& c1, uint32_t& c2, uint32_t& c3);
    // The stage position of a point of a frame of width x height turned by
    // angle (radians) or by the 2 x 2 matrix; nothing for null points or an
    // empty frame.
    static void CalculateAbsolutePosition(SLxDPoint* out, const SLxDPoint* in, double width,
                                          double height, double stageX, double stageY, double angle,
                                          const double* matrix);
    // value x f x table[i] + table[256 + i], i = value >> (bits - 8) for
    // more than 8 bits (at most 255), f = 255 / (2^bits - 1) above 8 bits,
    // else 1. 0 for a null table or more than 16 bits.
    static double GetDensity(const double* table, uint32_t value, uint32_t bits);
    // 1 passed (also without restrictions or features), 2 rejected.
    static unsigned int ApplyRestrictions(const double* features,
                                          const SLxObjectRestrictions* restrictions);

    // ---- Field and all-object measurement

    // Every 8-connected object of the binary picture (ANDed with the mask
    // when useMask), those meeting the frame's forbidden lines removed when
    // useFrame; rows appended to data, (row index, -1, -1, result). Any
    // number of objects. 1; 0 for null pictures or data, a mask or an
    // intensity picture of another size.
    static int MeasureAllObjects(const SLxPicBuf* intensity, const SLxBinPicBuf* binary,
                                 bool useMask, const SLxBinPicBuf* mask, bool useFrame,
                                 const SLxIRect* frame, double cal, double stageX, double stageY,
                                 double angle, const double* matrix, double value2, double value3,
                                 double value4, uint32_t featureMask, SLxObjectData* data,
                                 const SLxObjectRestrictions* restrictions,
                                 const uint32_t* channelFlags, const double* density1,
                                 const double* density2, LxContourCallback callback, void* user);
    // Every object of a painted picture; rows appended to data, (ID, ROI ID
    // or -1, tag, result); excluded objects (status 0x10) get result 8 and a
    // zero row. With ROI mode 3 and result given, the objects cut at the ROI
    // borders are measured and *result receives them (free it with
    // CLxRLEPicBufAPI::Free, then CLxAlloc::Free). 1; 0 for null objects or
    // data, or a null intensity picture.
    static int MeasureAllObjects(const SLxPicBuf* intensity, SLxRLEPicBuf* objects,
                                 SLxRLEPicBuf** result, int32_t tag, bool useRois,
                                 SLxRLEPicBuf* rois, EFrameTouch roiMode, bool useFrame,
                                 const SLxIRect* frame, EFrameTouch frameMode, double cal,
                                 double stageX, double stageY, double angle, const double* matrix,
                                 double value2, double value3, double value4, uint32_t featureMask,
                                 SLxObjectData* data, const SLxObjectRestrictions* restrictions,
                                 const uint32_t* channelFlags, const double* density1,
                                 const double* density2, ILxPicMeas* measure1, ILxPicMeas* measure2,
                                 LxRLEObjectCallback callback, void* user);
    // The set pixels of the field as one region (objectFeatures) and, where
    // given, the whole field (fieldFeatures). Histograms, where given, hold
    // 2^bits counters. notStored is not used. 1; 0 for bad input.
    static int MeasureField(const SLxPicBuf* intensity, const SLxBinPicBuf* binary, bool useMask,
                            const SLxBinPicBuf* mask, bool useFrame, const SLxIRect* frame,
                            double cal, double stageX, double stageY, double notStored,
                            double value2, double value3, double value4, uint32_t featureMask,
                            double* objectFeatures, double* fieldFeatures, uint32_t* histogram1,
                            uint32_t* histogram2, const uint32_t* channelFlags,
                            const double* density1, const double* density2,
                            LxContourCallback callback, void* user);
    // One ROI object as a field. 1; 0 for bad input.
    static int MeasureFieldObject(const SLxPicBuf* intensity, const SLxRLEObject* roi, double cal,
                                  double stageX, double stageY, double notStored, double value2,
                                  double value3, double value4, uint32_t featureMask,
                                  double* features, const uint32_t* channelFlags,
                                  const double* density1, const double* density2);
    // Every ROI as a field; rows (ID, ID, -1, 1) appended. 0; -9 for null
    // input or no memory.
    static int MeasureFieldRois(const SLxPicBuf* intensity, const SLxRLEPicBuf* rois, double cal,
                                double stageX, double stageY, double notStored, double value2,
                                double value3, double value4, uint32_t featureMask,
                                SLxObjectData* data, const uint32_t* channelFlags,
                                const double* density1, const double* density2);
    // Erases the objects (samples 65535) of a 16-bit label picture that
    // meet the counting frame's forbidden line: the left column from the
    // top of the picture down to the frame's last row, that row, and the
    // right column below the frame. The callback gets each one's contour
    // with result 4.
    static void RemoveOutOfFrameObjects(SLxPicBuf* labels, const SLxIRect* frame,
                                        LxContourCallback callback, void* user);
    // Status 0x10 for the objects the frame excludes by mode.
    static void RemoveOutOfFrameObjects(SLxRLEPicBuf* objects, const SLxIRect* frame,
                                        EFrameTouch mode);
    // Status 0x10 for the objects the ROIs (those without status 0x40)
    // exclude by mode; roiOfObject (a CLxAlloc block, or null) receives each
    // kept object's ROI ID. Mode 3 needs result (see MeasureAllObjects).
    static void RemoveOutOfROIObjects(SLxRLEPicBuf* objects, SLxRLEPicBuf** result,
                                      const SLxRLEPicBuf* rois, EFrameTouch mode,
                                      int32_t*& roiOfObject);
    // Set pixels inside rect (right and bottom exclusive, clipped; null:
    // the whole picture); 0 for null or no data.
    static uint64_t GetBinarySize(const SLxBinPicBuf* binary, const SLxIRect* rect);
};
