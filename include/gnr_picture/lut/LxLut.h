// Look-up tables of the picture layer: every value of a source sample
// (2^source-bits entries) maps to one or more destination samples.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

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
};
