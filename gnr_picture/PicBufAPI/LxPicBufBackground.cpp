// Background subtraction: the background is the mean of the two middle
// values of four slope-bounded lower envelopes run from the left, the
// right, the top and the bottom; it is subtracted from the picture (or from
// its complement, for bright backgrounds). One pass up the picture keeps
// the envelope from the bottom; the pass down runs the other three in line
// buffers and writes each line as it goes.
#include <algorithm>
#include <cmath>

#include "gnr_picture/PicBufAPI/LxFilterRegionsT.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/PicBufAPI/LxPicBufFilterFrame.h"
#include "gnr_picture/PicBufAPI/LxPicBufPrepare.h"
#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "gnr_picture/picmemAPI/LxPicMemLoops.h"

using namespace lxpicbuf;

// The row loops run over counts that are no multiple of the vector width:
// the optimiser's default at -O2 leaves such loops scalar.
#pragma GCC optimize("tree-vectorize", "vect-cost-model=dynamic")

namespace
{

// The envelope's next value: up by at most step toward v, down to v at once.
LX_KERNEL_INLINE uint32_t follow(uint32_t previous, uint32_t v, uint32_t step)
{
    return previous < v ? previous + step : v;
}

// A line's samples in hundredths, complemented within the bits first when
// inverting.
template <class T>
LX_KERNEL_INLINE void loadHundredths(uint32_t* __restrict v, const uint8_t* line, size_t n,
                                     bool invert, uint32_t full)
{
    if (invert)
        for (size_t i = 0; i < n; ++i)
            v[i] = 100u * (~uint32_t(lxpic::load<T>(line + i * sizeof(T))) & full);
    else
        for (size_t i = 0; i < n; ++i)
            v[i] = 100u * lxpic::load<T>(line + i * sizeof(T));
}

// One line of the envelope running up the picture.
template <class E>
LX_KERNEL_INLINE void followLine(E* __restrict next, const E* __restrict previous,
                                 const uint32_t* __restrict v, size_t n, uint32_t step)
{
    for (size_t i = 0; i < n; ++i)
        next[i] = E(follow(previous[i], v[i], step));
}

// The envelopes from the left and the right along one line, each component
// on its own.
LX_KERNEL_INLINE void followAcross(uint32_t* __restrict left, uint32_t* __restrict right,
                                   const uint32_t* __restrict v, size_t n, size_t comps,
                                   uint32_t step)
{
    for (size_t i = 0; i < comps; ++i) {
        left[i] = v[i];
        right[n - comps + i] = v[n - comps + i];
    }
    for (size_t i = comps; i < n; ++i)
        left[i] = follow(left[i - comps], v[i], step);
    for (size_t i = n - comps; i-- > 0;)
        right[i] = follow(right[i + comps], v[i], step);
}

// Writes the line less its background, the mean of the two middle values
// of the four envelopes (at most the sample).
template <class T, class E>
LX_KERNEL_INLINE void subtractLine(uint8_t* out, const uint32_t* __restrict v,
                                   const uint32_t* __restrict left,
                                   const uint32_t* __restrict right, const uint32_t* __restrict up,
                                   const E* __restrict down, size_t n, bool invert, uint32_t full)
{
    for (size_t i = 0; i < n; ++i) {
        const uint32_t a = left[i], b = right[i], c = up[i], d = down[i];
        const uint32_t middle = a + b + c + d - std::max(std::max(a, b), std::max(c, d)) -
                                std::min(std::min(a, b), std::min(c, d));
        const uint32_t sample = v[i] / 100u;
        const uint32_t kept = sample - std::min(middle / 200u, sample);
        lxpic::store<T>(out + i * sizeof(T), T(invert ? ~kept & full : kept));
    }
}

// The envelope from the bottom is kept whole (E wide enough for its
// values: 16 bits for byte samples); the other three run along with the
// top-down pass in line buffers. Each line of the source is read before
// the same line of dst is written, so dst may be src.
template <class T, class E>
LX_KERNEL_INLINE int subtractBackground(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t step,
                                        bool invert)
{
    const size_t n = size_t(src->uiWidth) * src->uiComps, comps = src->uiComps;
    const uint32_t height = src->uiHeight, full = lxpic::maxOfBits(src->uiBpc);
    E* down = lxfilter::scratch<E, 0>(n * height);
    uint32_t* lines = lxfilter::scratch<uint32_t, 2>(4 * n);
    if (!down || !lines)
        return -9;
    uint32_t *v = lines, *left = v + n, *right = left + n, *up = right + n;
    const auto* in = static_cast<const uint8_t*>(src->pData);
    auto* out = static_cast<uint8_t*>(dst->pData);
    for (uint32_t y = height; y-- > 0;) {
        loadHundredths<T>(v, in + size_t(y) * src->uiWidthBytes, n, invert, full);
        E* d = down + size_t(y) * n;
        if (y == height - 1)
            std::copy(v, v + n, d);
        else
            followLine(d, d + n, v, n, step);
    }
    for (uint32_t y = 0; y < height; ++y) {
        loadHundredths<T>(v, in + size_t(y) * src->uiWidthBytes, n, invert, full);
        if (y == 0)
            std::copy(v, v + n, up);
        else
            for (size_t i = 0; i < n; ++i)
                up[i] = follow(up[i], v[i], step);
        followAcross(left, right, v, n, comps, step);
        subtractLine<T>(out + size_t(y) * dst->uiWidthBytes, v, left, right, up,
                        down + size_t(y) * n, n, invert, full);
    }
    return 0;
}

LX_KERNEL_CLONES int subtractBackground8(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t step,
                                         bool invert)
{
    return subtractBackground<uint8_t, uint16_t>(dst, src, step, invert);
}

LX_KERNEL_CLONES int subtractBackground16(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t step,
                                          bool invert)
{
    return subtractBackground<uint16_t, uint32_t>(dst, src, step, invert);
}

} // namespace

int CLxPicBufAPI::BackgroundSubtraction(SLxPicBuf* dst, const SLxPicBuf* src, double slope,
                                        int32_t invert)
{
    const int checked = prepare(dst, src, eLxCheckSizeBitsComps, nullptr);
    if (checked != 0)
        return checked;
    if (dst->uiBpc < 8)
        return Copy(dst, src);
    if (dst->uiBpc > 16)
        return -2;
    if (isEmpty(*dst))
        return 0;
    const double s = std::clamp(std::isnan(slope) ? 0.0 : std::fabs(slope), 0.01, 2.0);
    const uint32_t step =
        dst->uiBpc == 8 ? uint32_t(s * 100) : CLxPicMemAPI::CalcDblToUint(s, dst->uiBpc) * 100;
    // Lines are read before they are written: only memory shared at
    // another position needs a copy of the source.
    const bool inStep = !lxfilter::ShareMemory(dst, src) ||
                        (dst->pData == src->pData && dst->uiWidthBytes == src->uiWidthBytes);
    const auto run = [&](const SLxPicBuf* from) {
        return dst->uiBpc == 8 ? subtractBackground8(dst, from, step, invert != 0)
                               : subtractBackground16(dst, from, step, invert != 0);
    };
    if (inStep)
        return run(src);
    const int status = lxfilter::WithDistinctSource(dst, src, false, run);
    return status == -3 ? -9 : status;
}
