// Look-up tables of the picture layer: every value of a source sample
// (2^source-bits entries) maps to one or more destination samples.
#pragma once

#include <cstdint>

#include "gnr_system/string/LxStringFwd.h"
#include "w32_system/LxExport.h"

struct SLxHisto;

// The predefined palettes, by id (SLxLut::CreatePredefLutEx).
enum ELxPredefLut : uint32_t {
    eLxPredefLutDefault = 0,
    eLxPredefLutRainbow = 1,
    eLxPredefLutIron = 2,
    eLxPredefLutGreenFire = 3,
    eLxPredefLutGreenFireBlue = 4,
    eLxPredefLutRedFire = 5,
    eLxPredefLutRedHot = 6,
    eLxPredefLutMagentaHot = 7,
    eLxPredefLutBrown = 8,
    eLxPredefLutLemonHot = 9,
    eLxPredefLutYellowPale = 10,
    eLxPredefLutRainbowContrast = 11,
    eLxPredefLutRainbowDark = 12,
    eLxPredefLutRed = 13,
    eLxPredefLutGreen = 14,
    eLxPredefLutBlue = 15,
    eLxPredefLutCount = 16,
};

// The record owns its table and over-exposure colour; its operations are the
// static members. Assignment is shallow: the two records then share the
// memory and only one of them may be freed.
//
// Table layouts, chosen by uiLutCount and uiDstComps (n = 2^uiSrcBits
// entries; an entry sample takes 1 byte for 1-8 destination bits, 2 for
// 9-16, 3 for 17-24, 4 for 25-32; a row is uiDstComps samples, in the order
// B, G, R for colour):
// - flat (1 table, 1 component): pTable is n samples;
// - row pointers (1 table, several components): pTable is n pointers, the
//   pointer of value i at row i of one data block;
// - per component (several tables): pTable is uiLutCount pointers, each to
//   an array of n row pointers; table c, value i, component k is
//   ((uint8_t***)pTable)[c][i][k x sample bytes]. All rows lie in one data
//   block, table after table.
struct LX_EXPORT SLxLut {
    void* pTable = nullptr;
    uint8_t uiSrcBits = 0;
    uint8_t uiLutCount = 0;
    uint8_t uiDstBits = 0;
    uint8_t uiDstComps = 0;
    // Bit c set: source component c is shown. Not touched by Alloc.
    uint64_t uiCompMask = 0;
    // Null, or the blue, green and red destination samples that mark
    // over-exposed pixels.
    void* pOverExpColor = nullptr;

    // Stores the sizes, forgets the over-exposure colour (without releasing
    // it) and allocates the layout they select; the component mask and the
    // contents stay undefined. A previous table is not released: Free first.
    // -3 when memory fails or the table would reach 2 GiB, -4 for a size of
    // 0; the table pointer is then null.
    static int Alloc(SLxLut* lut, uint8_t srcBits, uint8_t lutCount, uint8_t dstBits,
                     uint8_t dstComps);
    // Flat: one table, one component.
    static int AllocSingle(SLxLut* lut, uint8_t srcBits, uint8_t dstBits);
    // Row pointers: one table, three components.
    static int AllocColor(SLxLut* lut, uint8_t srcBits, uint8_t dstBits);
    // Releases the table by its layout and the over-exposure colour; both
    // become null. A null table is skipped.
    static void Free(SLxLut* lut);
    // Copies the table contents and the component mask into an allocated
    // table of the same shape (source bits, table count, destination bits and
    // components); the destination's colour, sizes and pointers stay. 0, or
    // -4 (nothing copied) for a null record or table or a different shape.
    static int Copy(SLxLut* dst, const SLxLut* src);

    // Set bits among the low count bits of the mask (count 32 looks at all 64
    // bits, as callers have always relied on; count 64 and above too).
    static uint8_t ComponentCountFromMask(uint64_t mask, uint8_t count);
    // Position of the n-th (from 0) set bit among the same bits; 255 when
    // there is none.
    static uint8_t ComponentIndexFromMask(uint64_t mask, uint8_t count, uint8_t n);

    // Releases the colour, then sets it from a colour word 0x00BBGGRR, scaled
    // to the destination bits (byte << dstBits >> 8 for 9-16 bits). A null
    // colour only clears it: 0. -2 (colour cleared) for other than 3
    // destination components or more than 16 destination bits; -3 when
    // memory fails.
    static int SetOverExpColor(SLxLut* lut, const uint32_t* color);
    // Sets the colour from three samples already in destination format
    // (bytes, or 16-bit words) in the order B, G, R. A null array releases
    // the colour: 0. -4 when bits differ from the destination bits, -2 for
    // other than 3 destination components or more than 16 destination bits,
    // -3 when memory fails.
    static int SetOverExpColorArr(SLxLut* lut, const void* samples, uint32_t bits);

    // --- Builders: fill an allocated table with a transfer curve ----------
    //
    // n = 2^uiSrcBits entries, D = 2^uiDstBits - 1. Destination bits 1 to 16
    // only (bytes up to 8 bits, 16-bit words above); every value written is
    // clipped to 0..D. Results: 0, or -4 (nothing written) for a missing
    // record or table, a table shape the builder does not serve, or bad
    // arguments.
    //
    // Curves run through (x1, y1) and (x2, y2): x are entry indexes, y
    // destination values; x2 <= x1 gives -4. The table has a head (entries
    // below x1), a middle and a tail (the rest). Points outside 0..n only
    // shape the curve: entries outside the table are never written.
    //
    // Which entries a curve goes to (Linear, Gamma, GammaWindow):
    // - one table of one component: the flat table;
    // - one table of several components: component comp of every entry, or
    //   every component when comp is not below the component count;
    // - uiLutCount tables of uiLutCount components: every component of every
    //   table;
    // - several tables of one component (Gamma only): table comp, or every
    //   table for comp 255;
    // - any other shape: -4.

    // Head y1; middle x1 <= i < x2: (i - x1) x (y2 - y1) / (x2 - x1) + y1,
    // the quotient truncated toward zero; tail y2.
    static int CreateLinearTable(SLxLut* lut, uint8_t comp, int32_t x1, int32_t y1, int32_t x2,
                                 int32_t y2);
    // Every value v of the linear curve becomes trunc((v / M)^gamma x M):
    // M = 255 for up to 8 destination bits, 2^uiSrcBits - 1 above. A power
    // that is not a number (a negative v with a fractional gamma) gives 0.
    static int CreateGammaTable(SLxLut* lut, uint8_t comp, int32_t x1, int32_t y1, int32_t x2,
                                int32_t y2, double gamma);
    // A gamma window: head and tail (i > x2) are y1; the middle, x1 <= i <= x2
    // (x2 included), is the gamma curve of the linear values.
    static int CreateGammaTable2(SLxLut* lut, uint8_t comp, int32_t x1, int32_t y1, int32_t x2,
                                 int32_t y2, double gamma);
    // One table of one component only (comp is not used). With M = 255 for
    // up to 8 destination bits, else 2^uiSrcBits - 1: head
    // trunc(log10(y1 + 1) / log10(M + 1) x M); middle x1 <= i < x2
    // trunc(log10(i - x1 + 1) x (y2 - y1) / log10(x2 - x1 + 1)), starting at
    // 0 whatever y1 is; tail as the head with y2.
    static int CreateLogaritmicTable_1_1(SLxLut* lut, uint8_t comp, int32_t x1, int32_t y1,
                                         int32_t x2, int32_t y2);
    // The inverse of the logarithmic middle: x1 <= i < x2 gives
    // trunc(10^((i - x1) / (y2 - y1) x log10(x2 - x1 + 1)) - 1); head and tail
    // are that curve's values for y1 and y2, trunc((M + 1)^(y / M) - 1), M as
    // for the logarithmic table. One table of one component only; y1 = y2:
    // -4.
    static int CreateExpTable_1_1(SLxLut* lut, uint8_t comp, int32_t x1, int32_t y1, int32_t x2,
                                  int32_t y2);
    // Histogram equalisation: one table whose source and destination bits
    // equal the histogram's bits (at most 16), bins of 4 or 8 bytes. A table
    // of one component reads the whole-picture plane; a table of several
    // components reads the plane of component comp and writes component comp
    // of every entry (comp must lie below both counts). Entry 0 is 0 and
    // entry n - 1 is n - 1. -4 for a histogram without counts (nothing to
    // equalise) or one that does not fit.
    static int CreateEqualizingTable_1_1(SLxLut* lut, uint8_t comp, const SLxHisto* histo);
    // A colour ramp into one table of 3 components, up to 8 destination
    // bits: entry i = (i x B / (n - 1), i x G / (n - 1), i x R / (n - 1))
    // with B, G, R the bytes of color (0x00BBGGRR), truncating.
    static int CreateColorTable(SLxLut* lut, uint32_t color);
    // Without a base table: CreateColorTable. Otherwise a colour scaled by a
    // base table: one table of 3 components and exactly 8 destination bits;
    // the base has the same source bits (1 to 16), one table of 1 or 3
    // components holding values 0..M (M = 2^uiSrcBits - 1) in samples of
    // that size. Entry i = (b0 x B / M, b1 x G / M, b2 x R / M), b the base
    // entry i (a one-component base gives the same value thrice). With
    // overExp, an entry whose base value (any of three) reaches M takes the
    // over-exposure colour's B, G, R bytes.
    static int CreateColorTableEx(SLxLut* lut, uint32_t color, const SLxLut* base, bool overExp,
                                  uint32_t overExpColor);
    // count colour ramps, table c the ramp of colors[c] (count below 2: one
    // ramp of colors[0]); the table has uiLutCount = count tables of 3
    // components. For 9-16 destination bits each colour byte is first scaled
    // to byte x D / 255.
    static int CreateMultiColorTable(SLxLut* lut, const uint32_t* colors, uint8_t count);
    // Without a base table: CreateMultiColorTable. Otherwise the ramps are
    // scaled by the base entries as in CreateColorTableEx: the base is one
    // table from uiSrcBits to uiSrcBits with count components, and table c
    // uses colour c and component c of the base entry (one colour: component
    // 0). With overExp, an entry whose base value reaches M takes the
    // over-exposure colour (scaled like the colours).
    static int CreateMultiColorTableEx(SLxLut* lut, const uint32_t* colors, uint8_t count,
                                       const SLxLut* base, bool overExp, uint32_t overExpColor);
    // result = color after first: result entry i = color entry first[i], or,
    // for several tables, entry i of result table c = entry first[i][c] of
    // color table c. result and color have the same shape with 3
    // components; first is one table from and to color's source bits with
    // one component per color table. result takes color's component mask and
    // over-exposure colour. Values of first beyond color's table take its
    // last entry. -4 for shapes that do not fit, -2 for destination bits
    // above 16 (both before anything changes).
    static int CreateComposedTable(SLxLut* result, const SLxLut* color, const SLxLut* first);

    // --- Predefined palettes -------------------------------------------------
    //
    // A process-wide list of sixteen named 256-colour palettes (see
    // ELxPredefLut), empty until the application calls InitPredefLuts. The
    // list is not locked: fill it before other threads read it.

    // One list entry; defined with the list.
    struct SLxPredefLut;

    // Fills the list with the sixteen palettes in id order, their names
    // translated into the current language. A second call fills it anew
    // (names translated again). 0.
    static int InitPredefLuts();
    // Entries in the list (0 before InitPredefLuts).
    static uint32_t GetPredefLutsCount();
    // The translated name of the entry at index: 0, or -4 with an empty
    // name when index is not below the count.
    static int GetPredefLutDescr(CLxStringW& name, uint32_t index);
    // Fills lut (one table of 3 components, 8 destination bits, any source
    // bits) from the palette of the entry at index: entry i is
    // palette colour i x 256 / n (B, G, R). -4 for another table shape or an
    // index not below the count.
    static int CreatePredefLut(SLxLut* lut, uint32_t index);
    // The same by id: -9 when the list holds no entry of that id (also
    // before InitPredefLuts), -4 for another table shape.
    static int CreatePredefLutEx(SLxLut* lut, ELxPredefLut id);
    // Keeps a copy of 256 colours (R, G, B: 768 bytes) as the custom palette
    // (initially the grey ramp); -4 for a null pointer.
    static int SetCustomLut(const uint8_t* rgb);
};
