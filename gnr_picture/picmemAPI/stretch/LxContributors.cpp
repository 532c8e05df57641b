#include "gnr_picture/picmemAPI/stretch/LxContributors.h"

#include <algorithm>
#include <cmath>

namespace lxstretch
{

namespace
{

// Candidate taps reach two samples beyond the support on either side.
constexpr uint64_t kExtraTaps = 6;

// The 16.16 weight of a tap at distance d from the centre; a reduction
// stretches the filter over scale source samples and lowers it to keep its
// area. Weights are held inside [0, 1] so that any weight function gives
// valid integers.
double tapWeight(LxStretchWeightFn filter, double d, double scale)
{
    const double w = scale <= 1.0 ? filter(d) : filter(d / scale) / scale;
    return std::isnan(w) ? 0.0 : std::min(std::max(w, 0.0), 1.0);
}

// Scales the weights to sum to exactly 65536; the truncation remainder goes
// to the middle entry. A list whose weights all truncated to 0 has nothing to
// scale: it becomes the single tap at centreTap.
uint32_t normalise(Tap* taps, uint32_t n, ptrdiff_t centreTap)
{
    uint32_t sum = 0;
    for (uint32_t k = 0; k < n; ++k)
        sum += taps[k].weight;
    if (sum == 0) {
        taps[0] = {centreTap, kUnitWeight};
        return 1;
    }
    uint32_t scaled = 0;
    for (uint32_t k = 0; k < n; ++k) {
        taps[k].weight = uint32_t(uint64_t(taps[k].weight) * kUnitWeight / sum);
        scaled += taps[k].weight;
    }
    taps[n / 2].weight += kUnitWeight - scaled;
    return n;
}

} // namespace

ListShape clampedShape(uint32_t inSize, uint32_t outSize, uint32_t first, uint32_t count,
                     double centreShift, int64_t clampLo, int64_t clampHi, LxStretchWeightFn filter,
                     uint32_t radius)
{
    constexpr int64_t kAll = INT64_MAX / 4;
    return {inSize,  outSize, first, count, centreShift, clampLo,
            clampHi, -kAll,   kAll,  false, filter,      radius};
}

uint64_t filterSupport(uint32_t inSize, uint32_t outSize, uint32_t radius)
{
    if (outSize < inSize)
        return uint64_t(std::ceil(double(radius) * inSize / outSize));
    return radius;
}

ContributorLists::ContributorLists(const ListShape& s)
    : m_room(size_t(filterSupport(s.inSize, s.outSize, s.radius) + kExtraTaps)),
      m_taps(size_t(s.count) * m_room), m_counts(s.count)
{
    if (!valid())
        return;
    const double scale = double(s.inSize) / s.outSize;
    const double halfSupport = double(filterSupport(s.inSize, s.outSize, s.radius)) / 2.0;
    const int64_t lo = std::max(s.clampLo, s.useLo);
    const int64_t hi = std::min(s.clampHi, s.useHi);
    auto clamp = [&](int64_t j) { return ptrdiff_t(std::min(std::max(j, s.clampLo), s.clampHi)); };

    // The last list built from its weights, for reuse: a centre c >= 0 is
    // floor(c) + frac exactly, so a centre with the same frac and the same
    // candidates relative to floor(c) has the same distances j - c, weights
    // and normalised list (only the clamped indexes differ). Lists whose
    // taps the use range cuts, or that fell back to the centre tap, are not
    // reused.
    constexpr uint32_t kMostReused = 64;
    struct Reuse {
        bool valid = false;
        double frac = 0;
        int64_t firstRel = 0, lastRel = 0;
        uint32_t n = 0;
        int64_t rel[kMostReused]; // kept taps' columns less floor(c)
        uint32_t weight[kMostReused];
    } last;

    for (uint32_t i = 0; i < s.count; ++i) {
        const double centre = (double(s.first) + i + 0.5) * scale - 0.5 - s.centreShift;
        const int64_t firstTap = int64_t(std::floor(centre - halfSupport - 2.0));
        const int64_t lastTap = int64_t(std::ceil(centre + halfSupport + 2.0));
        Tap* taps = m_taps.get() + size_t(i) * m_room;
        const double whole = std::floor(centre);
        const bool reusable = centre >= 0.0 && firstTap >= s.useLo && lastTap <= s.useHi;
        const int64_t base = int64_t(whole);
        if (reusable && last.valid && last.frac == centre - whole &&
            last.firstRel == firstTap - base && last.lastRel == lastTap - base) {
            for (uint32_t k = 0; k < last.n; ++k)
                taps[k] = {clamp(base + last.rel[k]), last.weight[k]};
            m_counts[i] = last.n;
            continue;
        }
        uint32_t n = 0;
        for (int64_t j = std::max(firstTap, s.useLo); j <= std::min(lastTap, s.useHi); ++j) {
            const double w = tapWeight(s.filter, double(j) - centre, scale);
            if (w == 0.0)
                continue;
            if (n < kMostReused)
                last.rel[n] = j - base;
            taps[n++] = {clamp(j), uint32_t(w * kUnitWeight)};
        }
        if (n == 0 && s.emptyWhenUnused) {
            m_counts[i] = 0;
            continue;
        }
        const ptrdiff_t centreTap =
            ptrdiff_t(std::min(std::max(int64_t(std::floor(centre + 0.5)), lo), hi));
        uint32_t sum = 0;
        for (uint32_t k = 0; k < n; ++k)
            sum += taps[k].weight;
        if (n == 0)
            taps[n++] = {centreTap, 0};
        m_counts[i] = normalise(taps, n, centreTap);
        last.valid = reusable && sum != 0 && n <= kMostReused;
        if (last.valid) {
            last.frac = centre - whole;
            last.firstRel = firstTap - base;
            last.lastRel = lastTap - base;
            last.n = n;
            for (uint32_t t = 0; t < n; ++t)
                last.weight[t] = taps[t].weight;
        }
    }
}

} // namespace lxstretch
