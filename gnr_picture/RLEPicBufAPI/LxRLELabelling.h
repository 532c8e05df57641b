// The run-based connected-component labelling of stored runs and the
// packing of labelled runs into painted objects, shared by the conversions
// that start from runs or keep identifiers (pixels are labelled while they
// are scanned, LxRLERowLabeller.h).
#pragma once

#include <cstdint>

#include "gnr_picture/RLEPicBufAPI/LxRLEBytes.h"

namespace lx_rle
{

// Runs of a picture grouped by row: rows[y] names count runs from first,
// sorted by x. Every run gets the smallest label of its 8-connected
// component in uiLabel; labels are numbered 1, 2, ... in raster order of
// the runs that touch nothing in the row above, so sorting the components
// by label orders them by their first run. labels receives the largest
// label. False without memory, or for a row table whose rows overlap, go
// backwards or point past the runs.
bool LabelRuns(SLxRLERun* runs, uint64_t runCount, const SLxRLERow* rows, uint32_t height,
               uint32_t& labels);

// How labelled runs become objects: object slot[label] (slots are storage
// order) with identifier ids[slot] (slot + 1 when ids is null); status,
// colours and style from sources[slot] when given.
struct ObjectPlan {
    const uint32_t* slotOfLabel;
    uint32_t slotCount;
    const uint32_t* ids;
    const uint8_t* const* sources;
};

// Replaces rec by a painted record of width x height holding the objects
// of the runs, taken row by row through the row table (a slot's runs in
// one row form one segment, in x order). -9 without memory or for an area
// past 4 GiB; rec is then empty and painted.
int BuildObjects(SLxRLEPicBuf* rec, const SLxRLERun* runs, const SLxRLERow* rows, uint32_t height,
                 const ObjectPlan& plan, uint32_t width, uint32_t recHeight);

// Empties rec into the painted form of the given size, custom size kept.
void MakeEmptyPainted(SLxRLEPicBuf* rec, uint32_t width, uint32_t height);

} // namespace lx_rle
