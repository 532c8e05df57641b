// Block geometry of the area-averaging reduction.
#pragma once

#include <cstdint>

namespace lxstretch
{

// The first source position of each of dstSize blocks of step positions
// along a srcSize extent: step apart, with |srcSize - step x dstSize| unit
// shifts spread evenly over the row. No block's last sample (lastOffset
// after its start) passes the last source position.
void averageBlockStarts(uint32_t srcSize, uint32_t dstSize, uint32_t step, uint32_t lastOffset,
                        uint32_t* starts);

} // namespace lxstretch
