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
#include "gnr_picture/FloatPicBufAPI/LxThreadBlock.h"
#include "gnr_picture/FloatPicBufAPI/LxTiledPositions.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

// Line y of component comp of pic (or the mean of all components when comp
// is the component count).
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

// The scratch lines of PolarSource, kept per thread.
struct PolarLines;

// Component comp of a centred spectrum, amplitude and phase, made into the
// complex lines of its inverse as the transform takes them: zero-padded to
// W x H around the centre, the quadrants swapped back, amplitude and phase
// turned into real and imaginary parts.
struct PolarSource {
    const SLxFloatPicBuf& amplitude;
    const SLxFloatPicBuf& phase;
    uint32_t W, H;
    uint32_t comp = 0;
    float* a = nullptr; // W floats each
    float* p = nullptr;
    float* re = nullptr;
    float* im = nullptr;
    float* padded = nullptr;

    void lines(float* block)
    {
        a = block;
        p = a + W;
        re = p + W;
        im = re + W;
        padded = im + W;
    }
    // Line y of the zero-padded plane of pic with its quadrants swapped:
    // padded line (y + H / 2) mod H, padded column (x + W / 2) mod W.
    void swapped(float* out, const SLxFloatPicBuf& pic, uint32_t y) const
    {
        const uint32_t ox = (W - pic.uiWidth) / 2, oy = (H - pic.uiHeight) / 2;
        const uint32_t row = (y + H / 2) % H;
        std::fill(padded, padded + W, 0.0f);
        if (row >= oy && row - oy < pic.uiHeight)
            gatherLine(padded + ox, pic, row - oy, comp);
        const uint32_t half = W / 2, rest = W - half;
        std::copy(padded + half, padded + W, out);
        std::copy(padded, padded + half, out + rest);
    }
    static void make(void* context, uint32_t y, float* line)
    {
        const auto& self = *static_cast<const PolarSource*>(context);
        self.swapped(self.a, self.amplitude, y);
        self.swapped(self.p, self.phase, y);
        CLxFloatPicMemAPI::AmpnPhase_to_RealnImag(self.re, self.im, self.a, self.p, 1, self.W,
                                                  self.W);
        for (uint32_t x = 0; x < self.W; ++x) {
            line[2 * x] = self.re[x];
            line[2 * x + 1] = self.im[x];
        }
    }
};

// The centre window of the inverse's real parts, scaled, into component
// comp of dst; values of 0 or below become 0.
struct CutOut {
    SLxFloatPicBuf* dst;
    uint32_t x0, y0;
    float scale;
    uint32_t comp = 0;

    static void band(void* context, float* const* rows, uint32_t, uint32_t from, uint32_t count)
    {
        const auto& self = *static_cast<const CutOut*>(context);
        // Complex positions from / 2 .. (from + count) / 2 of the lines.
        const uint32_t first = std::max(from / 2, self.x0);
        const uint32_t end = std::min((from + count) / 2, self.x0 + self.dst->uiWidth);
        const uint32_t comps = self.dst->uiComps;
        for (uint32_t y = 0; first < end && y < self.dst->uiHeight; ++y) {
            const float* line = rows[self.y0 + y];
            float* d = lxpic::line(*self.dst, y) + self.comp;
            for (uint32_t x = first; x < end; ++x) {
                const float v = line[2 * x - from] * self.scale;
                d[size_t(x - self.x0) * comps] = v > 0.0f ? v : 0.0f;
            }
        }
    }
};

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
    const lxpic::ThreadComplexWork work(H, 2 * W);
    const lxpic::ThreadBlock<PolarLines> scratch(5 * sizeof(float) * size_t(W));
    if (!work.lines() || !scratch.as<float>())
        return -3;
    PolarSource source{*amplitude, *phase, W, H};
    source.lines(scratch.as<float>());
    CutOut out{dst, (W - dst->uiWidth) / 2, (H - dst->uiHeight) / 2,
               static_cast<float>(1.0 / (static_cast<double>(W) * H))};
    for (uint32_t c = 0; c < amplitude->uiComps; ++c) {
        source.comp = out.comp = c;
        work.transform(-1, lxpic::LineSource{&PolarSource::make, &source},
                       lxpic::TransformedBands{&CutOut::band, &out});
    }
    return 0;
}

namespace
{

// The samples of a sample picture as floats, kept per thread.
struct SampleFloats;

// A float picture of pic's size and components, with bits as its depth,
// over the block (one more line behind it for scratch); false when it would
// leave 32-bit sizes, as Reinit refuses it.
bool floatsOver(const SLxPicBuf& pic, uint8_t bits, SLxFloatPicBuf* floats, size_t* blockBytes)
{
    const uint64_t line = uint64_t(pic.uiWidth) * pic.uiComps * sizeof(float);
    const uint64_t size = line * pic.uiHeight;
    if (size > UINT32_MAX)
        return false;
    *floats = SLxFloatPicBuf{};
    floats->uiWidth = pic.uiWidth;
    floats->uiHeight = pic.uiHeight;
    floats->uiWidthBytes = uint32_t(line);
    floats->uiBpc = bits;
    floats->uiComps = pic.uiComps;
    floats->uiSize = uint32_t(size);
    *blockBytes = size_t(size + line);
    return true;
}

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
    // The transform checks the depths alike.
    SLxFloatPicBuf floats;
    size_t bytes = 0;
    if (!floatsOver(*src, amplitude->uiBpc, &floats, &bytes))
        return -3;
    const lxpic::ThreadBlock<SampleFloats> block(bytes);
    floats.pData = block.as<float>();
    if (!floats.pData)
        return -3;
    // The conversion clears a second line, behind the picture.
    float* cleared = lxpic::line(floats, src->uiHeight);
    for (uint32_t y = 0; y < src->uiHeight; ++y) {
        const int status = CLxFloatPicMemAPI::ExtractRGBtoFloatAP(
            lxpic::line(floats, y), cleared, src->uiComps, floats.uiWidthBytes,
            static_cast<const uint8_t*>(src->pData) + size_t(y) * src->uiWidthBytes,
            src->uiWidthBytes, src->uiBpc, src->uiComps, src->uiWidth, src->uiWidth);
        if (status != 0)
            return status;
    }
    return FFT_Image(amplitude, phase, &floats);
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
    SLxFloatPicBuf floats;
    size_t bytes = 0;
    if (!floatsOver(*dst, amplitude->uiBpc, &floats, &bytes))
        return -3;
    const lxpic::ThreadBlock<SampleFloats> block(bytes);
    floats.pData = block.as<float>();
    if (!floats.pData)
        return -3;
    const int status = IFFT_Image(&floats, amplitude, phase);
    if (status != 0)
        return status;
    for (uint32_t y = 0; y < dst->uiHeight; ++y)
        CLxFloatPicMemAPI::ExtractFloatAPtoRGB(
            static_cast<uint8_t*>(dst->pData) + size_t(y) * dst->uiWidthBytes, dst->uiComps,
            dst->uiWidthBytes, dst->uiBpc, lxpic::line(floats, y), nullptr, dst->uiComps,
            floats.uiWidthBytes, dst->uiWidth, dst->uiWidth);
    return 0;
}
