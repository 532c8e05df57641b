// The picture library's start-up tables: built once by its attach step,
// before any caller reaches the library, and only read afterwards, so any
// thread may read them without a lock.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

// Entries of the arc-cosine table: the arc cosine of -1 to 1 in steps of
// 0.0002.
constexpr uint32_t kLxAcosTableEntries = 10001;

// Entry i is std::acos(i x 0.0002 - 1) (radians, from pi down to 0), the
// value LX_AcosTableEntry(i) gives. From the private heap; null before
// attach, after detach and when its allocation failed. Index it with
// floor(5000 x (c + 1)) for a cosine c in -1 to 1, or call LX_TableAcos.
LX_EXPORT extern double* g_pLxAcosTable;

// Weights of the four neighbours of a point at fractional offsets a / 256
// and b / 256, at [a][b]: byte 0 (255 - a)(255 - b) / 255, byte 1
// a (255 - b) / 255, byte 2 (255 - a) b / 255 (integer divisions), byte 3
// the rest to 255, so the four always sum to 255. Filled by attach.
LX_EXPORT extern uint8_t g_LxBilinearWeights[256][256][4];

// Entry i (0 to 10000) of the arc-cosine table as computed: the table
// holds exactly these values.
LX_EXPORT double LX_AcosTableEntry(uint32_t i);

// The table's arc cosine of c: entry floor(5000 x (c + 1)), the index held
// to 0 to 10000 (cosines a rounding step outside -1 to 1 included; NaN takes
// entry 0). Without the table the same entry is computed, so the result
// never depends on whether the table could be allocated.
LX_EXPORT double LX_TableAcos(double c);

// Allocates (zeroed, from the private heap) and fills an arc-cosine table;
// null when the allocation fails. The caller releases it with CLxAlloc::Free.
LX_EXPORT double* BuildAcosTable();
// Fills g_LxBilinearWeights.
LX_EXPORT void BuildBilinearWeightTable();

// The picture library's attach: builds the arc-cosine table into
// g_pLxAcosTable (kept when already built) and the bilinear weights. True in
// every case: the table's users work without it.
LX_EXPORT bool LX_GnrPictureAttach();
// Releases the arc-cosine table and sets the pointer to null.
LX_EXPORT void LX_GnrPictureDetach();
