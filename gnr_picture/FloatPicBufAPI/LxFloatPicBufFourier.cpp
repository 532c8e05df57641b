// Centred Fourier spectra of float pictures, as amplitude and phase.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "gnr_picture/FloatPicBufAPI/LxAmpPhase.h"
#include "gnr_picture/FloatPicBufAPI/LxComplexFFT2D.h"
#include "gnr_picture/FloatPicBufAPI/LxFloatPicBufAPI.h"
#include "gnr_picture/FloatPicBufAPI/LxFloatPicBufLines.h"
#include "gnr_picture/FloatPicBufAPI/LxFloatPicMemAPI.h"
#include "gnr_picture/FloatPicBufAPI/LxTiledPositions.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

// Scratch planes and the transform's tables, released together.
class SpectrumWork
{
  public:
    SpectrumWork(uint32_t w, uint32_t h) : m_w(w), m_h(h) {}
    ~SpectrumWork()
    {
        for (float* p : m_planes)
            CLxAlloc::Free(p);
        lxpic::FreeFloatLines(m_lines);
        CLxAlloc::Free(m_ip);
        CLxAlloc::Free(m_tw);
    }
    // Four planes of W x H floats, one of srcFloats, the complex lines.
    bool allocate(size_t srcFloats)
    {
        const size_t planeFloats = static_cast<size_t>(m_w) * m_h;
        for (int i = 0; i < 4; ++i)
            m_planes[i] = static_cast<float*>(CLxAlloc::Alloc(0, planeFloats * sizeof(float)));
        m_planes[4] =
            static_cast<float*>(CLxAlloc::Alloc(0, std::max<size_t>(srcFloats, 1) * sizeof(float)));
        m_lines = lxpic::AllocFloatLines(m_h, 2 * m_w);
        m_ip = static_cast<int32_t*>(lxpic::AllocWords(lxpic::ComplexFFT2DIndexWords(m_h, m_w)));
        m_tw = static_cast<float*>(lxpic::AllocWords(lxpic::ComplexFFT2DTwiddleWords(m_h, m_w)));
        return std::all_of(m_planes, m_planes + 5, [](float* p) { return p != nullptr; }) &&
               m_lines && m_ip && m_tw;
    }
    float* plane(int i) { return m_planes[i]; }
    // re and im planes in, transformed, back out.
    void transform(float* re, float* im, int sign)
    {
        for (uint32_t y = 0; y < m_h; ++y)
            for (uint32_t x = 0; x < m_w; ++x) {
                m_lines[y][2 * x] = re[static_cast<size_t>(y) * m_w + x];
                m_lines[y][2 * x + 1] = im[static_cast<size_t>(y) * m_w + x];
            }
        lxpic::ComplexFFT2D(m_h, 2 * m_w, sign, m_lines, m_ip, m_tw);
        for (uint32_t y = 0; y < m_h; ++y)
            for (uint32_t x = 0; x < m_w; ++x) {
                re[static_cast<size_t>(y) * m_w + x] = m_lines[y][2 * x];
                im[static_cast<size_t>(y) * m_w + x] = m_lines[y][2 * x + 1];
            }
    }

  private:
    uint32_t m_w, m_h;
    float* m_planes[5] = {};
    float** m_lines = nullptr;
    int32_t* m_ip = nullptr;
    float* m_tw = nullptr;
};

// Line y of the plane gather makes.
void gatherLine(float* out, const SLxFloatPicBuf& pic, uint32_t y, uint32_t comp)
{
    const float* s = lxpic::line(pic, y);
    for (uint32_t x = 0; x < pic.uiWidth; ++x) {
        if (comp < pic.uiComps) {
            out[x] = s[static_cast<size_t>(x) * pic.uiComps + comp];
            continue;
        }
        double sum = 0;
        for (uint32_t c = 0; c < pic.uiComps; ++c)
            sum += s[static_cast<size_t>(x) * pic.uiComps + c];
        out[x] = static_cast<float>(sum / pic.uiComps);
    }
}

// Component comp of pic (or the mean of all when comp is the component
// count) into a gapless plane.
void gather(float* plane, const SLxFloatPicBuf& pic, uint32_t comp)
{
    for (uint32_t y = 0; y < pic.uiHeight; ++y)
        gatherLine(plane + static_cast<size_t>(y) * pic.uiWidth, pic, y, comp);
}

void scatter(SLxFloatPicBuf& pic, uint32_t comp, const float* plane)
{
    for (uint32_t y = 0; y < pic.uiHeight; ++y) {
        float* d = lxpic::line(pic, y);
        const float* s = plane + static_cast<size_t>(y) * pic.uiWidth;
        for (uint32_t x = 0; x < pic.uiWidth; ++x)
            d[static_cast<size_t>(x) * pic.uiComps + comp] = s[x];
    }
}

// The powers of two at or above the picture's size; false when they or
// their product leave 32 bits.
bool workSize(const SLxFloatPicBuf& pic, uint32_t* w, uint32_t* h)
{
    CLxFloatPicMemAPI::Powerof2(pic.uiWidth, nullptr, w);
    CLxFloatPicMemAPI::Powerof2(pic.uiHeight, nullptr, h);
    return *w != 0 && *h != 0 && static_cast<uint64_t>(*w) * *h <= UINT32_MAX;
}

bool isEmpty(const SLxFloatPicBuf& pic)
{
    return pic.uiWidth == 0 || pic.uiHeight == 0 || pic.uiComps == 0;
}

uint64_t sampleBytes(const SLxPicBuf& pic)
{
    return pic.uiBpc <= 8 ? 1 : pic.uiBpc <= 16 ? 2 : 4;
}

bool holdsSamples(const SLxPicBuf& pic)
{
    if (pic.uiWidth == 0 || pic.uiHeight == 0 || pic.uiComps == 0)
        return true;
    const uint64_t line = sampleBytes(pic) * pic.uiWidth * pic.uiComps;
    return pic.pData && pic.uiWidthBytes >= line &&
           uint64_t(pic.uiWidthBytes) * (pic.uiHeight - 1) + line <= pic.uiSize;
}

bool holds(const SLxFloatPicBuf& pic)
{
    return lxpic::holdsLines(pic);
}

bool holds(const SLxPicBuf& pic)
{
    return holdsSamples(pic);
}

// What every spectrum operation asks of its arguments: all given, work
// sizes within 32 bits (else -3), the picture no larger than the amplitude
// and holding its lines, the phase matching the amplitude by the option.
template <class Picture>
int checkSpectrumArgs(const SLxFloatPicBuf* amplitude, const SLxFloatPicBuf* phase,
                      const Picture* picture, uint32_t phaseOption, uint32_t* W, uint32_t* H)
{
    if (!amplitude || !phase || !picture)
        return -9;
    if (!workSize(*amplitude, W, H))
        return -3;
    if (!CLxFloatPicBufAPI::Check_Ex(picture, amplitude, *W, *H) ||
        !CLxFloatPicBufAPI::Check(phase, amplitude, phaseOption) || !holds(*picture))
        return -9;
    return 0;
}

} // namespace

int CLxFloatPicBufAPI::FFT_Image(SLxFloatPicBuf* amplitude, SLxFloatPicBuf* phase,
                                 const SLxFloatPicBuf* src)
{
    uint32_t W = 0, H = 0;
    if (const int status = checkSpectrumArgs(amplitude, phase, src, 2, &W, &H))
        return status;
    if (!Check(amplitude, src, 5) ||
        (amplitude->uiComps != src->uiComps && amplitude->uiComps != 1) ||
        !lxpic::holdsLines(*amplitude) || !lxpic::holdsLines(*phase))
        return -9;
    if (isEmpty(*amplitude) || isEmpty(*src))
        return 0;
    const lxpic::ThreadComplexWork work(H, 2 * W);
    float** lines = work.lines();
    if (!lines)
        return -3;
    std::vector<uint32_t> fromColumn, fromLine;
    std::vector<float> sourceLine;
    try {
        fromColumn = lxpic::tiledPositions(W, src->uiWidth);
        fromLine = lxpic::tiledPositions(H, src->uiHeight);
        sourceLine.resize(src->uiWidth);
    } catch (const std::bad_alloc&) {
        return -3;
    }
    const bool averaged = amplitude->uiComps == 1 && src->uiComps != 1;
    // The centred spectrum's window: its line y is the transform's line
    // (y0 + y + H / 2) mod H, its column x the column (x0 + x + W / 2) mod W.
    const uint32_t x0 = (W - amplitude->uiWidth) / 2, y0 = (H - amplitude->uiHeight) / 2;
    const uint32_t comps = amplitude->uiComps;
    for (uint32_t c = 0; c < comps; ++c) {
        uint32_t gathered = UINT32_MAX;
        for (uint32_t y = 0; y < H; ++y) {
            if (fromLine[y] != gathered) {
                gathered = fromLine[y];
                gatherLine(sourceLine.data(), *src, gathered, averaged ? src->uiComps : c);
            }
            float* line = lines[y];
            for (uint32_t x = 0; x < W; ++x) {
                line[2 * x] = sourceLine[fromColumn[x]];
                line[2 * x + 1] = 0.0f;
            }
        }
        work.transform(1);
        // The window's columns are one run of the line, or two where it
        // wraps at W.
        const uint32_t first = (x0 + W / 2) % W;
        const uint32_t run = std::min(amplitude->uiWidth, W - first);
        for (uint32_t y = 0; y < amplitude->uiHeight; ++y) {
            const float* line = lines[(y0 + y + H / 2) % H];
            float* a = lxpic::line(*amplitude, y) + c;
            float* p = lxpic::line(*phase, y) + c;
            lxpic::ampAndPhasePairs(line + 2 * size_t(first), run, a, p, comps);
            lxpic::ampAndPhasePairs(line, amplitude->uiWidth - run, a + size_t(run) * comps,
                                    p + size_t(run) * comps, comps);
        }
    }
    return 0;
}

int CLxFloatPicBufAPI::IFFT_Image(SLxFloatPicBuf* dst, const SLxFloatPicBuf* amplitude,
                                  const SLxFloatPicBuf* phase)
{
    uint32_t W = 0, H = 0;
    if (const int status = checkSpectrumArgs(amplitude, phase, dst, 3, &W, &H))
        return status;
    if (!Check(amplitude, dst, 4) || !lxpic::holdsLines(*amplitude) || !lxpic::holdsLines(*phase))
        return -9;
    if (isEmpty(*amplitude) || isEmpty(*dst))
        return 0;
    SpectrumWork work(W, H);
    if (!work.allocate(static_cast<size_t>(amplitude->uiWidth) * amplitude->uiHeight))
        return -3;
    float* re = work.plane(0);
    float* im = work.plane(1);
    float* a = work.plane(2);
    float* p = work.plane(3);
    float* part = work.plane(4);
    const size_t planeFloats = static_cast<size_t>(W) * H;
    const float scale = static_cast<float>(1.0 / (static_cast<double>(W) * H));
    for (uint32_t c = 0; c < amplitude->uiComps; ++c) {
        gather(part, *amplitude, c);
        CLxFloatPicMemAPI::ZeroPad(re, W, H, part, amplitude->uiWidth, amplitude->uiHeight, 1);
        gather(part, *phase, c);
        CLxFloatPicMemAPI::ZeroPad(im, W, H, part, amplitude->uiWidth, amplitude->uiHeight, 1);
        CLxFloatPicMemAPI::FlipCross(a, re, 1, W * 4, W, H);
        CLxFloatPicMemAPI::FlipCross(p, im, 1, W * 4, W, H);
        CLxFloatPicMemAPI::AmpnPhase_to_RealnImag(re, im, a, p, 1, W, W * H);
        work.transform(re, im, -1);
        for (size_t i = 0; i < planeFloats; ++i) {
            const float v = re[i] * scale;
            re[i] = v > 0.0f ? v : 0.0f;
        }
        CLxFloatPicMemAPI::CutImage(part, dst->uiWidth, dst->uiHeight, re, W, H,
                                    static_cast<int32_t>((W - dst->uiWidth) / 2),
                                    static_cast<int32_t>((H - dst->uiHeight) / 2), 1);
        scatter(*dst, c, part);
    }
    return 0;
}

namespace
{

struct FloatPicHolder {
    SLxFloatPicBuf pic{};
    ~FloatPicHolder() { CLxFloatPicBufAPI::Free(&pic); }
};

} // namespace

int CLxFloatPicBufAPI::FFT_Image(SLxFloatPicBuf* amplitude, SLxFloatPicBuf* phase,
                                 const SLxPicBuf* src)
{
    uint32_t W = 0, H = 0;
    if (const int status = checkSpectrumArgs(amplitude, phase, src, 2, &W, &H))
        return status;
    if (amplitude->uiComps != src->uiComps && amplitude->uiComps != 1)
        return -9;
    if (isEmpty(*amplitude) || src->uiWidth == 0 || src->uiHeight == 0 || src->uiComps == 0)
        return 0;
    if (src->uiComps != 1 && src->uiComps != 3)
        return -2;
    FloatPicHolder floats;
    if (Reinit(&floats.pic, src->uiWidth, src->uiHeight, 0, src->uiComps, false) != 0)
        return -3;
    // The conversion clears a second plane of the same layout.
    FloatPicHolder second;
    if (Reinit(&second.pic, src->uiWidth, src->uiHeight, 0, src->uiComps, false) != 0)
        return -3;
    for (uint32_t y = 0; y < src->uiHeight; ++y) {
        const int status = CLxFloatPicMemAPI::ExtractRGBtoFloatAP(
            lxpic::line(floats.pic, y), lxpic::line(second.pic, y), src->uiComps,
            floats.pic.uiWidthBytes,
            static_cast<const uint8_t*>(src->pData) + size_t(y) * src->uiWidthBytes,
            src->uiWidthBytes, src->uiBpc, src->uiComps, src->uiWidth, src->uiWidth);
        if (status != 0)
            return status;
    }
    floats.pic.uiBpc = amplitude->uiBpc; // the transform checks the depths alike
    return FFT_Image(amplitude, phase, &floats.pic);
}

int CLxFloatPicBufAPI::IFFT_Image(SLxPicBuf* dst, const SLxFloatPicBuf* amplitude,
                                  const SLxFloatPicBuf* phase)
{
    uint32_t W = 0, H = 0;
    if (const int status = checkSpectrumArgs(amplitude, phase, dst, 2, &W, &H))
        return status;
    if (dst->uiComps != amplitude->uiComps)
        return -9;
    if (dst->uiWidth == 0 || dst->uiHeight == 0 || dst->uiComps == 0)
        return 0;
    if (!(dst->uiBpc == 8 || (dst->uiBpc >= 9 && dst->uiBpc <= 16)))
        return -2;
    FloatPicHolder floats;
    if (Reinit(&floats.pic, dst->uiWidth, dst->uiHeight, 0, dst->uiComps, false) != 0)
        return -3;
    floats.pic.uiBpc = amplitude->uiBpc;
    const int status = IFFT_Image(&floats.pic, amplitude, phase);
    if (status != 0)
        return status;
    for (uint32_t y = 0; y < dst->uiHeight; ++y)
        CLxFloatPicMemAPI::ExtractFloatAPtoRGB(
            static_cast<uint8_t*>(dst->pData) + size_t(y) * dst->uiWidthBytes, dst->uiComps,
            dst->uiWidthBytes, dst->uiBpc, lxpic::line(floats.pic, y), nullptr, dst->uiComps,
            floats.pic.uiWidthBytes, dst->uiWidth, dst->uiWidth);
    return 0;
}
