// Medians of the windows that lie wholly inside a float picture, several
// pixels at a time through min/max networks.
#pragma once

#include <cstdint>

namespace lxpic
{

// Component comp of one output line: for x from size / 2 on, the median
// (element size^2 / 2 of the sorted window) of the size x size window whose
// lines are srcLines[0 .. size - 1], columns x - size / 2 onwards. Writes
// whole blocks of pixels while their windows stay inside the line and
// returns the first x not written (size / 2 when none). Sizes 3 to 7; others
// write nothing. ranks is scratch room for size x width floats (the sorted
// columns); null writes nothing.
uint32_t MedianInteriorLine(float* dstLine, const float* const* srcLines, uint32_t width,
                            uint32_t comps, uint32_t comp, uint32_t size, float* ranks);

} // namespace lxpic
