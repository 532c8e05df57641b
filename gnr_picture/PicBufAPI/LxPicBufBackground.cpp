// Background subtraction: the background is the mean of the two middle
// values of four slope-bounded lower envelopes run from the left, the
// right, the top and the bottom; it is subtracted from the picture (or from
// its complement, for bright backgrounds).
#include <algorithm>
#include <cmath>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/PicBufAPI/LxPicBufPrepare.h"
#include "w32_system/memory/LxAlloc.h"

using namespace lxpicbuf;

namespace
{

// The four envelopes, one 32-bit value a sample in hundredths of a sample
// unit, from the private heap; all or none.
class Envelopes
{
  public:
    explicit Envelopes(uint64_t samples)
    {
        // Sized in 64 bits: a picture whose envelopes do not fit the address
        // space is refused rather than wrapped.
        if (samples > SIZE_MAX / 4)
            return;
        for (uint32_t*& e : m_e) {
            e = static_cast<uint32_t*>(CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, samples * 4));
            if (!e) {
                release();
                return;
            }
        }
    }
    ~Envelopes() { release(); }
    Envelopes(const Envelopes&) = delete;
    Envelopes& operator=(const Envelopes&) = delete;
    bool ok() const { return m_e[3] != nullptr; }
    uint32_t* operator[](int i) const { return m_e[i]; }

  private:
    void release()
    {
        for (uint32_t*& e : m_e) {
            CLxAlloc::Free(e);
            e = nullptr;
        }
    }
    uint32_t* m_e[4] = {nullptr, nullptr, nullptr, nullptr};
};

// The envelope's next value: up by at most step toward v, down to v at once.
inline uint32_t follow(uint32_t previous, uint32_t v, uint32_t step)
{
    return previous < v ? previous + step : v;
}

template <class T> void subtractBackground(SLxPicBuf& work, const Envelopes& env, uint32_t step)
{
    const uint32_t width = work.uiWidth, height = work.uiHeight, comps = work.uiComps;
    const size_t row = size_t(width) * comps;
    const auto line = [&](uint32_t y) {
        return reinterpret_cast<T*>(static_cast<uint8_t*>(work.pData) +
                                    size_t(y) * work.uiWidthBytes);
    };
    uint32_t *left = env[0], *right = env[1], *up = env[2], *down = env[3];
    for (uint32_t y = 0; y < height; ++y) {
        const T* s = line(y);
        uint32_t* l = left + y * row;
        uint32_t* r = right + y * row;
        uint32_t* u = up + y * row;
        for (size_t i = 0; i < comps && i < row; ++i) {
            l[i] = 100u * s[i];
            r[row - comps + i] = 100u * s[row - comps + i];
        }
        for (size_t i = comps; i < row; ++i)
            l[i] = follow(l[i - comps], 100u * s[i], step);
        for (size_t i = row - comps; i-- > 0;)
            r[i] = follow(r[i + comps], 100u * s[i], step);
        if (y == 0)
            for (size_t i = 0; i < row; ++i)
                u[i] = 100u * s[i];
        else
            for (size_t i = 0; i < row; ++i)
                u[i] = follow((u - row)[i], 100u * s[i], step); // the line above
    }
    for (uint32_t y = height; y-- > 0;) {
        const T* s = line(y);
        uint32_t* d = down + y * row;
        if (y == height - 1)
            for (size_t i = 0; i < row; ++i)
                d[i] = 100u * s[i];
        else
            for (size_t i = 0; i < row; ++i)
                d[i] = follow(d[i + row], 100u * s[i], step);
    }
    for (uint32_t y = 0; y < height; ++y) {
        T* s = line(y);
        const size_t at = y * row;
        for (size_t i = 0; i < row; ++i) {
            const uint32_t a = left[at + i], b = right[at + i], c = up[at + i], d = down[at + i];
            // The two middle values: all four less the largest and smallest.
            const uint64_t middle =
                uint64_t(a) + b + c + d - std::max({a, b, c, d}) - std::min({a, b, c, d});
            const uint64_t background = std::min<uint64_t>(middle / 200, s[i]);
            s[i] = T(s[i] - background);
        }
    }
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
    CLxPicBufReplacement work;
    if (work.allocate(dst->uiWidth, dst->uiHeight, dst->uiBpc, dst->uiComps, false) != 0)
        return -9;
    const Envelopes env(uint64_t(dst->uiWidth) * dst->uiHeight * dst->uiComps);
    if (!env.ok())
        return -9;
    int status = invert ? Complement(work.get(), src) : Copy(work.get(), src);
    if (status != 0)
        return status;
    if (dst->uiBpc == 8)
        subtractBackground<uint8_t>(*work.get(), env, step);
    else
        subtractBackground<uint16_t>(*work.get(), env, step);
    return invert ? Complement(dst, work.get()) : Copy(dst, work.get());
}
