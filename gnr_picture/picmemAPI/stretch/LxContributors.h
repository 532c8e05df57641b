// Contributor lists of the filtered stretch: for every output position of a
// pass, the source taps and their 16.16 weights, summing to exactly 65536.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gnr_picture/picmemAPI/LxStretchKernels.h"
#include "gnr_picture/picmemAPI/stretch/LxStretchScratch.h"

namespace lxstretch
{

constexpr uint32_t kUnitWeight = 65536;

struct Tap {
    ptrdiff_t index; // source column or line, after the clamp
    uint32_t weight;
};

// One pass's geometry. Positions are source samples; tap j lies at j, the
// centre of output position p at (p + 0.5) x inSize / outSize - 0.5 -
// centreShift.
struct ListShape {
    uint32_t inSize;
    uint32_t outSize;   // of the whole (virtual) output
    uint32_t first;     // first output position built
    uint32_t count;     // positions built
    double centreShift; // origin of the tap indexes in source samples
    int64_t clampLo;    // taps are held inside [clampLo, clampHi]
    int64_t clampHi;
    int64_t useLo; // only taps inside [useLo, useHi] count at all
    int64_t useHi;
    bool emptyWhenUnused; // no tap inside the use range: an empty list
                          // rather than the centre tap
    LxStretchWeightFn filter;
    uint32_t radius;
};

// A pass over all taps, held inside [clampLo, clampHi].
ListShape clampedShape(uint32_t inSize, uint32_t outSize, uint32_t first, uint32_t count,
                     double centreShift, int64_t clampLo, int64_t clampHi, LxStretchWeightFn filter,
                     uint32_t radius);

// The lists of one pass, built at construction; valid() is false when the
// memory was refused.
class ContributorLists
{
  public:
    explicit ContributorLists(const ListShape& shape);

    bool valid() const { return bool(m_taps) && bool(m_counts); }
    // List of output position shape.first + i.
    const Tap* taps(uint32_t i) const { return m_taps.get() + size_t(i) * m_room; }
    uint32_t count(uint32_t i) const { return m_counts[i]; }

  private:
    size_t m_room;
    Scratch<Tap> m_taps;
    Scratch<uint32_t> m_counts;
};

// Taps of the support (in source samples) that a reduction by inSize /
// outSize stretches the filter over: the filter width itself when enlarging.
uint64_t filterSupport(uint32_t inSize, uint32_t outSize, uint32_t radius);

} // namespace lxstretch
