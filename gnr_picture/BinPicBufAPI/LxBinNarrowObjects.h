// Objects too narrow for the thinning templates to start beside them.
#pragma once

#include <cstdint>
#include <vector>

#include "gnr_picture/BinPicBufAPI/LxBinPicBuf.h"

namespace lx_bin
{

// The 3 x 3 thinning templates only peel a background region along a side
// three pixels long, so next to an object holding no 3 x 3 block of its own
// pixels the background never starts to thin. Such objects are grown by one
// pixel all round, except where the grown pixel would come within two
// pixels of another object (so objects never join), into `grown`: a block
// laid out like `src`. Returns false, leaving `grown` alone, when every
// object holds such a block; throws std::bad_alloc when memory runs out.
bool GrowNarrowObjects(const SLxBinPicBuf& src, std::vector<uint8_t>& grown);

} // namespace lx_bin
