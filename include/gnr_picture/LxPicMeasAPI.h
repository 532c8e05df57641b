// Seed fill, contour tracing and line walking on one-component grey
// pictures of 8 or 16 bits.
#pragma once

#include <cstdint>

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
};
