// Contributor lists of the float filtered stretch: which samples, with
// which 16.16 weights, make each output position of one pass.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "gnr_picture/picmemAPI/LxFloatKernels.h"

namespace lxpic
{

struct FloatStretchTap {
    ptrdiff_t offset; // in floats from the pass's origin
    float weight;     // 16.16, a whole number
};

// The contributor lists of one pass: out positions from in samples, the
// taps clamped to [lo, hi] relative to the region's first sample, each
// offset multiplied by step.
class FloatStretchLists
{
  public:
    FloatStretchLists(uint32_t in, uint32_t out, int64_t lo, int64_t hi, ptrdiff_t step,
                      LxFloatWeightFn f, uint32_t support)
    {
        const double s = double(in) / out;
        const uint32_t fw = out < in ? uint32_t(std::min(std::ceil(support * s), 1e9)) : support;
        const double half = fw / 2.0;
        // Candidates span at most fw + 7 samples.
        m_room = size_t(fw) + 8;
        m_pairs.resize(size_t(out) * m_room);
        m_counts.resize(out);
        std::vector<int64_t> raw(m_room);
        std::vector<ptrdiff_t> at(raw.size());
        for (uint32_t x = 0; x < out; ++x) {
            const double c = x * s - 0.5 + s / 2.0;
            const int64_t first = int64_t(std::floor(c - half - 2.0));
            const int64_t last = int64_t(std::ceil(c + half + 2.0));
            size_t n = 0;
            int64_t sum = 0;
            for (int64_t j = first; j <= last && n < raw.size(); ++j) {
                const double t = double(j) - c;
                const double w = s <= 1.0 ? f(t) : f(t / s) / s;
                if (w == 0.0 || !(std::fabs(w) < 2.0))
                    continue;
                raw[n] = int64_t(w * 65536.0);
                at[n] = std::min(std::max(j, lo), hi);
                sum += raw[n];
                ++n;
            }
            FloatStretchTap* p = m_pairs.data() + size_t(x) * m_room;
            uint32_t count = 0;
            if (sum <= 0) {
                // Nothing usable: the sample nearest the centre alone.
                const int64_t j = std::min(std::max(int64_t(std::floor(c + 0.5)), lo), hi);
                p[count++] = {ptrdiff_t(j) * step, 65536.0f};
            } else {
                for (size_t k = 0; k < n; ++k)
                    p[count++] = {at[k] * step, float(raw[k] * 65536 / sum)};
            }
            m_counts[x] = count;
        }
    }

    const FloatStretchTap* pairs(uint32_t x) const { return m_pairs.data() + size_t(x) * m_room; }
    uint32_t count(uint32_t x) const { return m_counts[x]; }

  private:
    size_t m_room = 0;
    std::vector<FloatStretchTap> m_pairs;
    std::vector<uint32_t> m_counts;
};

constexpr float kStretchUnit = 1.52587890625e-05f; // 1 / 65536

} // namespace lxpic
