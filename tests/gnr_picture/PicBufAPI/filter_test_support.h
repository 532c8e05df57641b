// Kernels built by the tests and plain per-pixel references of the filter
// rules (every kernel position clamped into the picture).
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gnr_picture/PicBufAPI/LxKernelOffsets.h"
#include "picbuf_test_support.h"

namespace filtertest
{

using picbuftest::TestPic;

// A kernel of rows x cols from its values row by row (mask where not 0),
// anchored at (cR, cC), named name.
inline std::unique_ptr<SLxKernel> makeKernel(uint32_t rows, uint32_t cols, uint32_t cR, uint32_t cC,
                                             const std::vector<int32_t>& values,
                                             const std::u16string& name = u"")
{
    auto k = std::make_unique<SLxKernel>();
    *k = SLxKernel{};
    std::copy(name.begin(), name.end(), k->wszName);
    k->uiNRows = rows;
    k->uiNCols = cols;
    k->uiCenterRow = cR;
    k->uiCenterCol = cC;
    for (size_t i = 0; i < values.size(); ++i) {
        k->iValues[i] = values[i];
        k->ubMask[i] = values[i] != 0;
    }
    return k;
}

inline std::unique_ptr<SLxKernel> squareKernel(uint32_t n, const std::u16string& name = u"")
{
    return makeKernel(n, n, n / 2, n / 2, std::vector<int32_t>(size_t(n) * n, 1), name);
}

// A picture with a deterministic pattern and padded lines.
inline std::unique_ptr<TestPic> patterned(uint32_t w, uint32_t h, uint32_t bits, uint32_t comps,
                                          uint32_t seed = 0)
{
    auto p = std::make_unique<TestPic>(w, h, bits, comps, 4);
    p->fillPattern(seed);
    return p;
}

inline std::unique_ptr<TestPic> blankLike(const TestPic& p)
{
    const SLxPicBuf& r = p.rec();
    return std::make_unique<TestPic>(r.uiWidth, r.uiHeight, r.uiBpc, r.uiComps, 4);
}

inline int64_t clampTo(int64_t v, int64_t lo, int64_t hi)
{
    return std::min(std::max(v, lo), hi);
}

// f(sample under each set element, its weight) over the clamped window of
// (x, y, c), folded from init.
template <class F>
int64_t fold(const TestPic& p, const SLxKernel& k, int64_t x, int64_t y, uint32_t c, int64_t init,
             F f)
{
    const SLxPicBuf& r = p.rec();
    int64_t acc = init;
    for (uint32_t kr = 0; kr < k.uiNRows; ++kr)
        for (uint32_t kc = 0; kc < k.uiNCols; ++kc) {
            const uint32_t e = kr * k.uiNCols + kc;
            if (!k.ubMask[e])
                continue;
            const int64_t sy = clampTo(y + int64_t(kr) - k.uiCenterRow, 0, r.uiHeight - 1);
            const int64_t sx = clampTo(x + int64_t(kc) - k.uiCenterCol, 0, r.uiWidth - 1);
            acc = f(acc, int64_t(p.get(uint32_t(sx), uint32_t(sy), c)), k.iValues[e]);
        }
    return acc;
}

// Erosion (dilation) by definition: the minimum (maximum) over the set
// elements of the clamped window.
inline int64_t morphAt(const TestPic& p, const SLxKernel& k, int64_t x, int64_t y, uint32_t c,
                       bool erode)
{
    return fold(p, k, x, y, c, erode ? INT64_MAX : -1, [erode](int64_t a, int64_t v, int32_t) {
        return erode ? std::min(a, v) : std::max(a, v);
    });
}

} // namespace filtertest
