// The top-level boxes of a JP2 file, walked from its start: each box's type,
// header offset and contents range (held within the file). The walk stops
// at an open-ended box, a malformed header or the end of the file.
#pragma once

#include <cstdint>
#include <vector>

#include "w32_system/LxTypes.h"

struct SLxJP2TopBox {
    uint32_t type;
    uint64_t offset;
    uint64_t contentsStart;
    uint64_t contentsEnd;
};

std::vector<SLxJP2TopBox> LX_WalkJp2TopBoxes(LX_HFILE file);
// The bytes [from, to) of the file; false when they are not all there or
// the range is over 2 GiB.
bool LX_ReadJp2Range(LX_HFILE file, uint64_t from, uint64_t to, std::vector<uint8_t>& out);
