// Pictures of labelled objects kept as runs of set pixels: the records, their
// conversions from and to pixel pictures, contours, hit tests and editing.
#pragma once

#include <cstdint>

#include "gnr_picture/LxContour.h"
#include "w32_system/LxExport.h"

struct SLxPicBuf;
struct SLxBinPicBuf;

// One run of the non-painted form: uiLabel is 0 in a stored picture.
struct SLxRLERun {
    uint32_t uiLabel;
    uint32_t uiY;
    uint32_t uiXStart;
    uint32_t uiXLength;
};

// The runs of one row of the non-painted form: uiCount runs from pRuns[uiFirst].
struct SLxRLERow {
    uint32_t uiCount;
    uint32_t uiFirst;
};

#pragma pack(push, 1)
// The 49-byte header of an object of the painted form. Objects lie back to
// back without padding, so a header may sit at any address: read it with
// memcpy (or through these packed fields), never through an aligned pointer.
// All words are little-endian.
struct SLxRLEObject {
    uint32_t uiID;   // 1 or more
    uint32_t uiLeft; // bounding box, inclusive
    uint32_t uiTop;
    uint32_t uiRight;
    uint32_t uiBottom;
    uint32_t uiSize; // bytes of header, segments and custom area
    uint32_t uiRowSegmentCount;
    uint32_t uiLastRowSegmentOffset; // from the object's start; 49 for one segment
    uint32_t uiStatus;               // 0x40 hidden, 0x01 preferred by HitTestVisible
    uint32_t uiFillColor;            // red bits 0-7, green 8-15, blue 16-23
    uint32_t uiDrawColor;
    uint8_t ucDrawStyle;
    uint32_t uiReserved;
};

// A row segment: the row, then uiCount pairs (uiXStart, uiXLength) of
// 32-bit words follow it; the next segment starts 8 + 8 x uiCount bytes on.
struct SLxRowSegment {
    uint32_t uiY;
    uint32_t uiCount;
};
#pragma pack(pop)

static_assert(sizeof(SLxRLEObject) == 49, "object header is 49 bytes");
static_assert(sizeof(SLxRowSegment) == 8, "segment header is 8 bytes");
static_assert(sizeof(SLxRLERun) == 16, "run is 16 bytes");
static_assert(sizeof(SLxRLERow) == 8, "row is 8 bytes");

// A picture of objects. Painted form (bPainted 1): uiObjectCount objects in
// the uiObjectSize bytes of pObjects, the last one at uiLastObjectOffset.
// Non-painted form (bPainted 0): uiRunCount runs sorted by row then x, and
// uiHeight rows indexing them. Plain data owned by whoever declares it: Init
// once, Free before it goes away.
struct SLxRLEPicBuf {
    uint32_t uiWidth;
    uint32_t uiHeight;
    uint32_t uiObjectCount;
    uint32_t uiObjectSize;
    uint32_t uiLastObjectOffset;
    uint32_t uiCustomDataSize; // caller bytes at the end of every object made here
    uint8_t* pObjects;
    uint8_t bPainted;
    uint32_t uiRunCount;
    uint32_t uiRunCapacity; // bytes of pRuns while a scan appends, else 0
    SLxRLERun* pRuns;
    SLxRLERow* pRows;
};

// Common rules:
// - Statuses: 0 success, -9 failure (a null record or picture, a picture of
//   other than one component or deeper than 16 bits, an object area whose
//   headers point outside it, no memory). After a failed conversion the
//   target record is empty in its target form, never half-built.
// - Samples of 1-8 bits are read and written as bytes, 9-16 bits as 16-bit
//   words.
// - Walks over objects and segments stop at the bytes the record and the
//   object declare (uiObjectSize, uiSize): a header pointing outside ends a
//   walk as if the list ended there.
// - Queries take a null record or object as "none" (null, false, 0).
class LX_EXPORT CLxRLEPicBufAPI
{
  public:
    // ---- Records

    // All fields 0 but the custom size and the form; frees nothing.
    static void Init(SLxRLEPicBuf* rec, uint32_t customDataSize, bool painted);
    // Sets width and height; the non-painted form's row table follows the
    // height (new rows zeroed). -9 without memory (record unchanged).
    static int Reinit(SLxRLEPicBuf* rec, uint32_t width, uint32_t height);
    // Releases the object area, or the runs and rows; size, custom size and
    // form stay. Harmless twice.
    static void Free(SLxRLEPicBuf* rec);
    // When dest has no size: set up empty with src's custom size, form, size.
    static void ForceEqualSizeAndTypeIfDestEmpty(SLxRLEPicBuf* dest, const SLxRLEPicBuf* src);
    // Dest becomes a copy of src. -9 for null or no memory (dest empty).
    static int Copy(SLxRLEPicBuf* dest, const SLxRLEPicBuf* src);
    // Same form, same size and byte-equal content.
    static bool IsEqual(const SLxRLEPicBuf* a, const SLxRLEPicBuf* b);
    static bool IsEqualSize(const SLxRLEPicBuf* a, const SLxRLEPicBuf* b);
    static bool IsEqualType(const SLxRLEPicBuf* a, const SLxRLEPicBuf* b);

    // ---- Walking the painted form

    // Null object: the first object; otherwise the one after it; null at
    // the end.
    static SLxRLEObject* GetNextRLEObject(const SLxRLEPicBuf* rec, const SLxRLEObject* obj);
    // Null segment: the one at byte 49 (callers count with
    // uiRowSegmentCount); otherwise the one after it; null at the end.
    static SLxRowSegment* GetNextRowSegment(const SLxRLEObject* obj, const SLxRowSegment* seg);
    // Position in storage order (0 first); null at or past the count.
    static SLxRLEObject* FindObjectByIndex(const SLxRLEPicBuf* rec, uint32_t index);
    // The first object in storage order with that identifier.
    static SLxRLEObject* FindObjectByObjectID(const SLxRLEPicBuf* rec, uint32_t id);
    // The object's custom area: the first byte after its last row segment
    // (right after the header when it has none). It reaches to the end of
    // the object, uiSize bytes from its start.
    static uint8_t* GetCustomDataPtr(const SLxRLEObject* obj);
    // Pixels of one object, of all objects, of those without status 0x40.
    static uint32_t GetRLEObjectArea(const SLxRLEObject* obj);
    static uint32_t GetPictureArea(const SLxRLEPicBuf* rec);
    static uint32_t GetPictureVisibleArea(const SLxRLEPicBuf* rec);
    // Writes the painted picture as trace records; 0.
    static int TraceRLE(const SLxRLEPicBuf* rec);

    // ---- Contours (the caller frees the result with CLxAlloc::Free)

    // The outer boundary pixels, clockwise on the screen from the first
    // run's start, each point of the cycle once (spur pixels twice). Rows
    // follow uiY, so an object that skips rows is traced as far as its first
    // connected part. Null for an object without runs, for one reaching past
    // 32-bit signed point coordinates (x or y above 2^31 - 1), or without
    // memory.
    static SLxContour* ContourPoints(const SLxRLEObject* obj);
    // The same; area receives the pixels inside the contour, holes included.
    static SLxContour* ContourPoints(const SLxRLEObject* obj, uint64_t& area);

    // ---- Hit tests

    // The first object in storage order holding pixel (x, y); index and
    // object are stored where given.
    static bool HitTest(const SLxRLEPicBuf* rec, uint32_t x, uint32_t y, uint32_t* index,
                        SLxRLEObject** obj);
    // Among objects without 0x40: an object with 0x01 under the point wins,
    // else the first one under it.
    static bool HitTestVisible(const SLxRLEPicBuf* rec, uint32_t x, uint32_t y, uint32_t* index,
                               SLxRLEObject** obj);
    // The visible object whose contour passes nearest to (x, y), within
    // 10 / scale pixels.
    static bool HitTestVisibleEx(const SLxRLEPicBuf* rec, uint32_t x, uint32_t y, uint32_t* index,
                                 SLxRLEObject** obj, double scale);

    // ---- Editing (painted form; -9 for a non-painted record)

    // Appends a copy whose identifier is the largest present + 1 (1 when
    // empty); index receives its position. -9 for a null argument, an object
    // shorter than its header, or an area that would pass 4 GiB.
    static int AddObject(SLxRLEPicBuf* rec, const SLxRLEObject* obj, uint32_t* index);
    // The same keeping the object's identifier.
    static int AddObjectKeepID(SLxRLEPicBuf* rec, const SLxRLEObject* obj, uint32_t* index);
    // AddObjectKeepID into room the caller made (-9 when the block is short).
    static int AddObjectNoAllocate(SLxRLEPicBuf* rec, const SLxRLEObject* obj);
    // AddObject / AddObjectKeepID for every object of src; 0.
    static int AppendObjects(SLxRLEPicBuf* dest, const SLxRLEPicBuf* src);
    static int AppendObjectsKeepID(SLxRLEPicBuf* dest, const SLxRLEPicBuf* src);
    // The first object with that identifier; -9 when there is none.
    static int DeleteObjectWithID(SLxRLEPicBuf* rec, uint32_t id);
    // The object at that position; -9 when there is none.
    static int DeleteObject(SLxRLEPicBuf* rec, uint32_t index);
    // count objects from position first; offsets holds every object's byte
    // offset then -1 and must describe the area as it is (else -9).
    static int DeleteObject(SLxRLEPicBuf* rec, uint32_t first, uint32_t count,
                            const int32_t* offsets);
    // The objects at n positions, ascending without repeats (else -9 and
    // nothing is deleted).
    static int DeleteObject(SLxRLEPicBuf* rec, const uint32_t* indices, uint32_t n);
    // Every object whose whole status word equals status.
    static int DeleteObjectsWithStatus(SLxRLEPicBuf* rec, uint32_t status);

    // ---- Projections

    // counters: [0] runs, [1] pixels whose upper-right neighbour is
    // background, [2] upper, [3] upper-left; outside the picture, and above
    // a skipped row, is background. Run parts at or past width are left out
    // of [1]-[3]. All 0 for a null object or no memory.
    static void Projections(const SLxRLEObject* obj, uint32_t counters[4], uint32_t width);
    // The same for the object with its holes filled.
    static void OuterProjections(const SLxRLEObject* obj, uint32_t counters[4], uint32_t width);

    // ---- Conversions

    // By the record's form: painted or non-painted from the picture.
    static int ConvertPictureToRLE(SLxRLEPicBuf* rec, const SLxPicBuf* pic);
    static int ConvertPictureToRLE(SLxRLEPicBuf* rec, const SLxBinPicBuf* bin);
    // Runs of the non-zero (set) pixels; custom size 0.
    static int ConvertPicBufToNonPaintedRLE(SLxRLEPicBuf* rec, const SLxPicBuf* pic);
    static int ConvertBinPicBufToNonPaintedRLE(SLxRLEPicBuf* rec, const SLxBinPicBuf* bin);
    // Dest becomes the non-painted form of src (-9 when an object lies below
    // the record's height or memory runs out). In place: the same.
    static int ConvertRLEToNonPaintedRLE(SLxRLEPicBuf* dest, const SLxRLEPicBuf* src);
    static int ConvertRLEToNonPaintedRLE(SLxRLEPicBuf* rec);
    // Dest = src, labelled when src is non-painted. In place: the same.
    static int ConvertRLEToPaintedRLE(SLxRLEPicBuf* dest, const SLxRLEPicBuf* src);
    static int ConvertRLEToPaintedRLE(SLxRLEPicBuf* rec);
    // 8-connected objects of the non-zero pixels (of the pixels equal to
    // value), identifiers 1..N in raster order of each object's first pixel.
    static int ConvertPicBufToPaintedRLE(SLxRLEPicBuf* rec, const SLxPicBuf* pic);
    static int ConvertPicBufToPaintedRLE(SLxRLEPicBuf* rec, const SLxPicBuf* pic, uint32_t value);
    // Deletes the object id, then appends one object (no connectivity test)
    // of the pixels equal to value moved by (x0, y0); the record takes the
    // size picture's size (the picture's own when null).
    static int ConvertPicBufToPaintedRLE(SLxRLEPicBuf* rec, const SLxPicBuf* pic,
                                         const SLxPicBuf* sizePic, int32_t id, uint32_t x0,
                                         uint32_t y0, uint32_t value);
    static int ConvertBinPicBufToPaintedRLE(SLxRLEPicBuf* rec, const SLxBinPicBuf* bin);
    // One object per non-zero sample value, identifier = value, ascending.
    static int ConvertPaintedPicBufToRLE(SLxRLEPicBuf* rec, const SLxPicBuf* pic);
    // Paints runs with value (0: 255 or 65535) or objects with value (0: the
    // identifier cut to the sample width); nothing else changes. -9 for a
    // picture smaller than the record; run parts outside it are skipped.
    static int ConvertRLEToPicBuf(SLxPicBuf* pic, const SLxRLEPicBuf* rec);
    static int ConvertRLEToPicBuf(SLxPicBuf* pic, const SLxRLEPicBuf* rec, uint32_t value);
    // Clears the one-bit picture and sets the pixels of every run.
    static int ConvertRLEToBinPicBuf(SLxBinPicBuf* bin, const SLxRLEPicBuf* rec);
    // Dest gets the connected pieces of src's objects inside the rectangle
    // (clipped to src), in coordinates relative to it. The piece holding a
    // source object's first labelled run keeps its identifier; the others
    // get the largest source identifier + 1, + 2, ... in raster order.
    static int CutRectangle(SLxRLEPicBuf* dest, const SLxRLEPicBuf* src, uint32_t x, uint32_t y,
                            uint32_t width, uint32_t height);

    // ---- Operations on runs and objects

    // Dest = dest AND src for two non-painted pictures of one size (dest
    // takes src's size and form when it has none); otherwise nothing.
    static void And(SLxRLEPicBuf* dest, const SLxRLEPicBuf* src);
    // Cyclic shifts of the rows' pixels (left, right) or of the rows (up,
    // down) by n modulo the size; dest comes back in src's form, labelled
    // afresh when painted. A width or height of 0 copies. -9 for null or a
    // failed copy (and for a failed labelling after a left or right shift).
    static int ShiftRotateLeft(SLxRLEPicBuf* dest, const SLxRLEPicBuf* src, uint32_t n);
    static int ShiftRotateRight(SLxRLEPicBuf* dest, const SLxRLEPicBuf* src, uint32_t n);
    static int ShiftRotateUp(SLxRLEPicBuf* dest, const SLxRLEPicBuf* src, uint32_t n);
    static int ShiftRotateDown(SLxRLEPicBuf* dest, const SLxRLEPicBuf* src, uint32_t n);
    // Adds (dx, dy) to every run and bounding box of a painted picture,
    // wrapping in 32 bits without clipping; 0.
    static int MoveObjects(SLxRLEPicBuf* rec, int dx, int dy);
    // The union (intersection) of the non-null pictures of the array as one
    // binary picture of the first one's size; an empty picture when all are
    // null; result untouched for count 0. 0.
    static int MakeUnionToBinPicBuf(SLxBinPicBuf* result, SLxRLEPicBuf* const* pictures,
                                    uint32_t count);
    static int MakeIntersectionToBinPicBuf(SLxBinPicBuf* result, SLxRLEPicBuf* const* pictures,
                                           uint32_t count);
    // The same labelled into painted objects. 0.
    static int MakeUnion(SLxRLEPicBuf* result, SLxRLEPicBuf* const* pictures, uint32_t count);
    static int MakeIntersection(SLxRLEPicBuf* result, SLxRLEPicBuf* const* pictures,
                                uint32_t count);
    // The two records exchange every field.
    static void Swap(SLxRLEPicBuf* a, SLxRLEPicBuf* b);
    // No object (painted) or no run (non-painted); true for null.
    static bool IsEmpty(const SLxRLEPicBuf* rec);
    // Copy of src into a, then into b.
    static void Copy_2x(SLxRLEPicBuf* a, SLxRLEPicBuf* b, const SLxRLEPicBuf* src);
    // Src's objects zoomed to dest's width and height (StretchDisplay with
    // that size as window and zoom); -9 for null, else 0.
    static int Stretch(SLxRLEPicBuf* dest, const SLxRLEPicBuf* src);

    // ---- Display

    // Dest becomes a painted zw x zh picture of src's objects that reach the
    // window (w x h at offX, offY of the zoomed picture), each zoomed whole:
    // every axis magnifies (zoomed z shows source floor((z + 0.5) x scale),
    // scale = size / zoomed size) or reduces (source s lands on
    // floor(s / scale + 0.5)) by its own scale; rows and runs that meet are
    // joined. Identifiers, status and display attributes are kept. Zoom 1
    // with offsets 0 copies. A non-painted src is labelled first. -9 for
    // null, zw or zh 0, or no memory.
    static int StretchDisplay(SLxRLEPicBuf* dest, uint32_t w, uint32_t h, uint32_t zw, uint32_t zh,
                              uint32_t offX, uint32_t offY, const SLxRLEPicBuf* src);
    // Draws the objects (those without status 0x40) of rec, zoomed to
    // zw x zh, into the w x h display picture (blue, green, red bytes; its
    // top-left pixel shows zoomed pixel offX, offY): inner pixels tinted
    // with uiFillColor at the opacity, outlines in uiDrawColor one (style
    // 1), three (2-4) or five (5 and more) pixels wide, style 0 all tinted.
    // A non-painted rec is labelled in place. Safe to call from several
    // threads on different pictures. -9 for null, zw or zh 0, bytesPerLine
    // below 3 x w, or no memory.
    static int BlendColorWithStretchedRLE(uint8_t* pixels, uint32_t bytesPerLine, uint32_t w,
                                          uint32_t h, uint32_t zw, uint32_t zh, int32_t offX,
                                          uint32_t offY, SLxRLEPicBuf* rec, uint32_t reserved,
                                          uint8_t opacity);

    // ---- Operations through one-bit pictures
    // Each lays its pictures out as one-bit pictures, runs the
    // CLxBinPicBufAPI member of the same name and returns its status. A
    // written picture comes back painted and labelled afresh (identifiers
    // from 1, status 0): nothing of its former objects survives. The
    // destination is laid out in the source's size, work pictures in their
    // own; runs outside a picture are clipped.

    // Values of CLxBinPicMemAPI::BinaryOp, passed on unchanged.
    enum BinaryOp : int32_t {
        eBinReplace = 0,
        eBinOr = 1,
        eBinAnd = 2,
    };

    static int Smooth(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src);
    static int FillHoles(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src);
    static int Contour(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, bool inner, bool square);
    static int ConvexHull(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, bool flag1, bool flag2,
                          int step);
    static int ConditionalDilate(SLxRLEPicBuf* dst, const SLxRLEPicBuf* marker,
                                 const SLxRLEPicBuf* mask);
    static int ShiftRight(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, BinaryOp op);
    static int ShiftLeft(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, BinaryOp op);
    static int ShiftUp(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, BinaryOp op);
    static int ShiftDown(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, BinaryOp op);
    static int ShiftRightInplace(SLxRLEPicBuf* pic);
    static int ShiftLeftInplace(SLxRLEPicBuf* pic);
    static int Erode3x3(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp);
    static int Dilate3x3(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp);
    static int Erode3x3Cross(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp);
    static int Dilate3x3Cross(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp);
    static int LinErode_000(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp);
    static int LinErode_045(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp);
    static int LinErode_090(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp);
    static int LinErode_135(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp);
    static int LinDilate_000(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp);
    static int LinDilate_045(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp);
    static int LinDilate_090(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp);
    static int LinDilate_135(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp);
    static int Erode2x2(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp, bool flag);
    static int Dilate2x2(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp, bool flag);
    static int Erode4x4Oct(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp1,
                           SLxRLEPicBuf* tmp2, bool flag);
    static int Dilate4x4Oct(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp1,
                            SLxRLEPicBuf* tmp2, bool flag);
    static int Erode5x5Oct(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp1,
                           SLxRLEPicBuf* tmp2);
    static int Dilate5x5Oct(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp1,
                            SLxRLEPicBuf* tmp2);
    static int Erode3x3_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int Dilate3x3_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int Erode3x3Cross_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int Dilate3x3Cross_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int Erode5x5Oct_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int Dilate5x5Oct_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int Erode2x2_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count,
                              bool flag);
    static int Dilate2x2_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count,
                               bool flag);
    static int Erode4x4Oct_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count,
                                 bool flag);
    static int Dilate4x4Oct_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count,
                                  bool flag);
    static int Open3x3_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int Close3x3_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int Open3x3Cross_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int Close3x3Cross_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int Open2x2_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int Close2x2_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int Open4x4Oct_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int Close4x4Oct_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int Open5x5Oct_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int Close5x5Oct_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int LinErode_000_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int LinErode_045_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int LinErode_090_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int LinErode_135_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int LinDilate_000_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int LinDilate_045_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int LinDilate_090_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int LinDilate_135_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int LinOpen_000_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int LinOpen_045_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int LinOpen_090_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int LinOpen_135_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int LinClose_000_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int LinClose_045_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int LinClose_090_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int LinClose_135_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count);
    static int Clean2x2(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count, bool objects);
    static int Clean3x3(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count, bool objects);
    static int Clean4x4Oct(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count,
                           bool objects);
    static int Clean5x5Oct(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count,
                           bool objects);
    static int Thinning(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, int metric, int spurMode,
                        int extensionLength, int extend);
    static int Pruning(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, int steps);
    static int CalculateZonesOfInfluence(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src);
    static int Thickening(SLxRLEPicBuf* dst, const SLxRLEPicBuf* mask, const SLxRLEPicBuf* src,
                          int passes, bool useMask);
    // The picture laid out, packed into from the 16-bit picture, written back.
    static int Pack16NZto1DExpand(SLxRLEPicBuf* dst, const SLxPicBuf* src, uint32_t border);
    // Only the run-length picture is laid out; nothing is written back.
    static int Unpack1to16(SLxPicBuf* dst, const SLxRLEPicBuf* src, uint32_t value);
    static int Unpack1to16Expand(SLxPicBuf* dst, const SLxRLEPicBuf* src, uint32_t border);
    // Straight to CLxBinPicBufAPI::UltimateErosion.
    static int UltimateErosion(SLxPicBuf* dst, SLxPicBuf* src, uint16_t passes);
    // Nothing unless the two have equal width and height.
    static void Or(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src);
    static void Xor(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src);
    // Both pictures receive the result.
    static void And_FillDestAndSource(SLxRLEPicBuf* a, SLxRLEPicBuf* b);
    static void Or_FillDestAndSource(SLxRLEPicBuf* a, SLxRLEPicBuf* b);
    // In place; -4 outside the picture, which is then left untouched.
    static int SetPixel(SLxRLEPicBuf* pic, int x, int y, bool value);

    // These keep a form: the picture's own (Memset, Complement in place),
    // the source's (two-picture Complement, FlipCopyVert, Copy_FitToDest,
    // Rotate, RotateMatrix).
    static void Memset(SLxRLEPicBuf* pic, bool value);
    static void Complement(SLxRLEPicBuf* pic);
    // Dest takes src's size and form when it has none; nothing unless equal
    // size.
    static void Complement(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src);
    static void FlipCopyVert(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src);
    // Mirrored left to right across the destination's width.
    static void FlipCopyHorz(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src);
    static void Copy_FitToDest(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src);
    // The destination's form: the source's overlap placed by the flags,
    // the rest of the destination clear.
    static void ResizeCanvas(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t flags);
    // In place to the new size, the overlap placed by the flags.
    static void AdjustCanvas(SLxRLEPicBuf* pic, uint32_t width, uint32_t height, uint32_t flags);
    // The destination's form; nothing when either rectangle leaves its
    // picture.
    static void CopyRect(uint32_t dstX, uint32_t dstY, uint32_t width, uint32_t height,
                         SLxRLEPicBuf* dst, uint32_t srcX, uint32_t srcY, const SLxRLEPicBuf* src);
    // Dest keeps its size and is filled from the rotated source.
    static int Rotate(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, double angle, bool fit);
    static int RotateMatrix(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, double m0, double m1,
                            double m2, double m3, double m4, double m5);
};
