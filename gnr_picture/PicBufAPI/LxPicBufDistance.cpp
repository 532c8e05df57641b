// Chamfer distance maps of 16-bit one-component pictures: a forward sweep
// over the upper half of the mask and a backward sweep over its mirror.
// Pixels within the mask's reach of the edge read their neighbours at
// clamped coordinates; the others read them directly.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <type_traits>
#include <vector>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

constexpr uint32_t kFar = 65534;

template <class V> struct Step {
    int32_t dy, dx;
    V weight;
};

// The weight of offset (a, b) with a <= b taken as magnitudes; 0 where the
// mask leaves the offset out.
float maskWeight(uint32_t metric, int a, int b)
{
    if (a > b)
        std::swap(a, b);
    switch (metric) {
    case 3:
        return b == 1 ? 1.f : 0.f;
    case 5:
        if (b == 1)
            return 1.f;
        return b == 2 && a < 2 ? 2.f : 0.f;
    case 15:
        return b != 1 ? 0.f : a == 0 ? 1.f : 1.4142f;
    default:
        break;
    }
    static const float k7[4][4] = {{0.f, 1.f, 2.f, 3.f},
                                   {1.f, 1.4142f, 2.236f, 3.1622777f},
                                   {2.f, 2.236f, 2.8284f, 3.6055512f},
                                   {3.f, 3.1622777f, 3.6055512f, 4.2426405f}};
    if (metric == 16 && b > 2)
        return 0.f;
    return k7[a][b];
}

int maskRadius(uint32_t metric)
{
    return metric == 3 || metric == 15 ? 1 : metric == 5 || metric == 16 ? 2 : 3;
}

// The forward half of the mask: offsets of the rows above and of the same
// row to the left.
template <class V> std::vector<Step<V>> forwardHalf(uint32_t metric)
{
    const int r = maskRadius(metric);
    std::vector<Step<V>> steps;
    for (int dy = -r; dy <= 0; ++dy)
        for (int dx = -r; dx <= r; ++dx) {
            if (dy == 0 && dx >= 0)
                break;
            const float w = maskWeight(metric, std::abs(dy), std::abs(dx));
            if (w != 0.f)
                steps.push_back({dy, dx, V(w)});
        }
    return steps;
}

// The backward half: the forward offsets turned around.
template <class V> std::vector<Step<V>> mirrored(std::vector<Step<V>> steps)
{
    for (auto& s : steps) {
        s.dy = -s.dy;
        s.dx = -s.dx;
    }
    return steps;
}

// cand[i] = min(cand[i], line[i] + weight) over a run of pixels. 16-bit
// samples add with saturation: a sum above 65534 loses against the bound
// either way.
template <class V> LX_KERNEL_INLINE void addMinLine(V* __restrict cand, const V* __restrict line,
                                                    V weight, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        V sum;
        if constexpr (std::is_same_v<V, uint16_t>) {
            const uint32_t wide = uint32_t(line[i]) + weight;
            sum = uint16_t(wide > 0xFFFF ? 0xFFFF : wide);
        } else {
            sum = line[i] + weight;
        }
        cand[i] = sum < cand[i] ? sum : cand[i];
    }
}

void addMinPlain(uint16_t* cand, const uint16_t* line, uint16_t weight, size_t n)
{
    addMinLine(cand, line, weight, n);
}
void addMinPlain(float* cand, const float* line, float weight, size_t n)
{
    addMinLine(cand, line, weight, n);
}
LX_TARGET_AVX2 void addMinAvx2(uint16_t* cand, const uint16_t* line, uint16_t weight, size_t n)
{
    addMinLine(cand, line, weight, n);
}
LX_TARGET_AVX2 void addMinAvx2(float* cand, const float* line, float weight, size_t n)
{
    addMinLine(cand, line, weight, n);
}

// The pixels r .. width - r - 1 of a line in sweep order, given the
// candidates of the other lines: only the offsets along the line are left,
// and the last R values written stay in registers.
template <int R, class V, class A>
void alongRun(V* line, const V* cand, int64_t width, const A* weight, bool backward)
{
    const int64_t inner = width - 2 * R;
    const std::ptrdiff_t step = backward ? -1 : 1;
    V* at = line + (backward ? width - 1 - R : R);
    const V* c = cand + (backward ? inner - 1 : 0);
    A l0 = A(at[-step]), l1 = R > 1 ? A(at[-2 * step]) : A(0), l2 = R > 2 ? A(at[-3 * step]) : A(0);
    for (int64_t j = 0; j < inner; ++j, at += step, c += step) {
        A v = A(*at);
        if (v != 0) {
            A best = A(*c);
            if (backward)
                best = std::min(best, v);
            best = std::min(best, l0 + weight[0]);
            if constexpr (R > 1)
                best = std::min(best, l1 + weight[1]);
            if constexpr (R > 2)
                best = std::min(best, l2 + weight[2]);
            *at = V(best);
            v = A(*at);
        }
        l2 = l1;
        l1 = l0;
        l0 = v;
    }
}

// One sweep over the object pixels of grid (height x width values, stride
// values a line). V is the sample type, A the arithmetic of candidates.
// Away from the edge the offsets in other lines are gathered a whole line
// at a time into cand (vectorised), leaving only the offsets along the
// line, which read pixels this sweep has just written, to the pixel loop.
template <class V, class A>
void sweep(V* grid, int64_t width, int64_t height, size_t stride, int r,
           const std::vector<Step<A>>& steps, bool backward, std::vector<V>& cand)
{
    // Pixels within r of the edge, neighbours at clamped coordinates.
    const auto pixel = [&](int64_t y, int64_t x) {
        V* at = grid + size_t(y) * stride + size_t(x);
        if (*at == 0)
            return;
        A best = backward ? std::min(A(*at), A(kFar)) : A(kFar);
        for (const Step<A>& st : steps) {
            const int64_t ny = std::clamp<int64_t>(y + st.dy, 0, height - 1);
            const int64_t nx = std::clamp<int64_t>(x + st.dx, 0, width - 1);
            best = std::min(best, A(grid[size_t(ny) * stride + size_t(nx)]) + st.weight);
        }
        *at = V(best);
    };
    const int64_t inner = width - 2 * int64_t(r);
    // Every mask holds the offsets 1 .. r along the line.
    A along[3] = {};
    for (const Step<A>& st : steps)
        if (st.dy == 0)
            along[std::abs(st.dx) - 1] = st.weight;
    const bool avx2 = lxpic::cpuHasAvx2();
    // Pixels r .. width - r - 1 of an inner line y.
    const auto innerRun = [&](int64_t y) {
        std::fill(cand.begin(), cand.end(), V(kFar));
        V* line = grid + size_t(y) * stride;
        for (const Step<A>& st : steps)
            if (st.dy != 0) {
                const V* from = line + st.dy * std::ptrdiff_t(stride) + r + st.dx;
                if (avx2)
                    addMinAvx2(cand.data(), from, V(st.weight), size_t(inner));
                else
                    addMinPlain(cand.data(), from, V(st.weight), size_t(inner));
            }
        if (r == 1)
            alongRun<1>(line, cand.data(), width, along, backward);
        else if (r == 2)
            alongRun<2>(line, cand.data(), width, along, backward);
        else
            alongRun<3>(line, cand.data(), width, along, backward);
    };
    for (int64_t i = 0; i < height; ++i) {
        const int64_t y = backward ? height - 1 - i : i;
        if (y < r || y >= height - r || inner <= 0) {
            for (int64_t j = 0; j < width; ++j)
                pixel(y, backward ? width - 1 - j : j);
            continue;
        }
        // The edge columns the sweep meets first, the inner run, the others.
        for (int64_t j = 0; j < r; ++j)
            pixel(y, backward ? width - 1 - j : j);
        innerRun(y);
        for (int64_t j = 0; j < r; ++j)
            pixel(y, backward ? r - 1 - j : width - r + j);
    }
}

// Every object pixel starts unreached. The clamped reads at the edge see
// pixels the forward pass has not visited yet (or the pixel itself), whose
// marking value would otherwise pass for a distance.
template <class V> void markUnreached(V* grid, int64_t width, int64_t height, size_t stride)
{
    for (int64_t y = 0; y < height; ++y)
        for (int64_t x = 0; x < width; ++x) {
            V& v = grid[size_t(y) * stride + size_t(x)];
            if (v != 0)
                v = V(kFar);
        }
}

bool isDistancePicture(const SLxPicBuf* pic)
{
    return pic && pic->uiBpc == 16 && pic->uiComps == 1 && pic->pData &&
           pic->uiWidthBytes % 2 == 0 && uint64_t(pic->uiWidth) * 2 <= pic->uiWidthBytes &&
           uint64_t(pic->uiWidthBytes) * pic->uiHeight <= pic->uiSize;
}

} // namespace

int CLxPicBufAPI::DistanceFunction(SLxPicBuf* pic, uint32_t metric)
{
    if (!isDistancePicture(pic))
        return -9;
    const int64_t w = pic->uiWidth, h = pic->uiHeight;
    if (w == 0 || h == 0)
        return 0;
    const size_t stride = pic->uiWidthBytes / 2;
    auto* samples = static_cast<uint16_t*>(pic->pData);
    const int r = maskRadius(metric);
    const size_t inner = size_t(std::max<int64_t>(w - 2 * r, 0));
    // Everything is allocated before the picture is touched.
    try {
        if (metric == 3 || metric == 5) {
            // Candidates in 32 bits: a neighbour at 65534 loses against the
            // bound instead of wrapping.
            const std::vector<Step<uint32_t>> fwd = forwardHalf<uint32_t>(metric);
            const std::vector<Step<uint32_t>> back = mirrored(fwd);
            std::vector<uint16_t> cand(inner);
            markUnreached(samples, w, h, stride);
            sweep<uint16_t, uint32_t>(samples, w, h, stride, r, fwd, false, cand);
            sweep<uint16_t, uint32_t>(samples, w, h, stride, r, back, true, cand);
            return 0;
        }
        const std::vector<Step<float>> fwd = forwardHalf<float>(metric);
        const std::vector<Step<float>> back = mirrored(fwd);
        std::vector<float> cand(inner);
        auto* values = static_cast<float*>(CLxAlloc::Alloc(0, size_t(h) * stride * sizeof(float)));
        if (!values)
            return -3;
        for (int64_t y = 0; y < h; ++y)
            for (int64_t x = 0; x < w; ++x)
                values[size_t(y) * stride + size_t(x)] = samples[size_t(y) * stride + size_t(x)];
        markUnreached(values, w, h, stride);
        sweep<float, float>(values, w, h, stride, r, fwd, false, cand);
        sweep<float, float>(values, w, h, stride, r, back, true, cand);
        for (int64_t y = 0; y < h; ++y)
            for (int64_t x = 0; x < w; ++x)
                samples[size_t(y) * stride + size_t(x)] =
                    uint16_t(values[size_t(y) * stride + size_t(x)] + 0.5f);
        CLxAlloc::Free(values);
        return 0;
    } catch (const std::bad_alloc&) {
        return -3;
    }
}

int CLxPicBufAPI::DistanceFunctionFromBinary(SLxPicBuf* pic, SLxBinPicBuf* bin, uint32_t metric)
{
    if (!isDistancePicture(pic) || !bin || !bin->pData || bin->uiWidth != pic->uiWidth ||
        bin->uiHeight != pic->uiHeight)
        return -9;
    const int status = Unpack(pic, bin, kFar);
    return status != 0 ? status : DistanceFunction(pic, metric);
}
