// Seed fill, contour tracing and line walking on one-component grey
// pictures of 8 or 16 bits.
#pragma once

#include <cstdint>

#include "gnr_picture/LxColorimetry.h"
#include "gnr_picture/LxContour.h"
#include "gnr_picture/LxPoints.h"
#include "w32_system/LxExport.h"

struct SLxPicBuf;

// Called once for every painted span before it is painted: its first
// column, its row, its length in pixels and the caller's pointer.
typedef void (*LxPaintSpanCallback)(unsigned int x, unsigned int y, unsigned int length,
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
};
