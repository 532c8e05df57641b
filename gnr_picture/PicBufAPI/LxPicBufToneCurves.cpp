// Tone curves through look-up tables (contrast, per-component contrast,
// white balance), saturation and hue through the intensity-saturation-hue
// form, combining two pictures under a one-bit mask, and scaling a picture
// by the ratio of two grey pictures.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "gnr_picture/LxHisto.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/PicBufAPI/LxPicBufPixelMapT.h"
#include "gnr_picture/PicBufAPI/LxPicBufPrepare.h"
#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "gnr_picture/picmemAPI/LxPicMemLoops.h"

#if LX_HAVE_AVX2_PATHS
#include <immintrin.h>
#endif

using namespace lxpicbuf;

namespace
{

// A table set released on every path.
class ScopedLut
{
  public:
    ScopedLut() = default;
    ~ScopedLut() { SLxLut::Free(&m_lut); }
    ScopedLut(const ScopedLut&) = delete;
    ScopedLut& operator=(const ScopedLut&) = delete;
    SLxLut* get() { return &m_lut; }

  private:
    SLxLut m_lut;
};

// The checks of the curve operations: same size, bits and components;
// tables exist for 1 to 16 bits and count components in a byte.
int prepareCurves(const SLxPicBuf* dst, const SLxPicBuf* src)
{
    const int checked = prepare(dst, src, eLxCheckSizeBitsComps, nullptr);
    if (checked != 0)
        return checked;
    if (dst->uiBpc == 0 || dst->uiBpc > 16)
        return -2;
    return dst->uiComps == 0 || dst->uiComps > 254 ? -9 : 0;
}

// A table from the source's depth to the destination's with one component a
// picture component, filled by fill(lut, top) (top the largest destination
// value); src through it into dst. The first failing status, before any
// write when the table fails.
template <class Fill> int throughTable(SLxPicBuf* dst, const SLxPicBuf* src, Fill fill)
{
    ScopedLut lut;
    int status = SLxLut::Alloc(lut.get(), src->uiBpc, 1, dst->uiBpc, uint8_t(dst->uiComps));
    if (status == 0)
        status = fill(lut.get(), int32_t(lxpic::maxOfBits(dst->uiBpc)));
    if (status != 0)
        return status;
    return CLxPicMemAPI::ApplyLuts(dst->pData, dst->uiWidthBytes, src->pData, src->uiWidthBytes,
                                   lut.get(), dst->uiComps, dst->uiBpc, dst->uiWidth,
                                   isEmpty(*dst) ? 0 : pixelCount(*dst));
}

// Builders take signed ranges; larger readings are held to their top.
int32_t asInt(uint32_t v)
{
    return int32_t(std::min<uint32_t>(v, 0x7FFFFFFF));
}

int32_t asInt(int64_t v)
{
    return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// Component c's table: linear, or a gamma curve, from [lows[c], highs[c]].
int componentCurves(SLxPicBuf* dst, const SLxPicBuf* src, const uint32_t* lows,
                    const uint32_t* highs, const double* gammas)
{
    const uint32_t comps = dst->uiComps;
    const bool linear = std::all_of(gammas, gammas + comps, [](double g) { return g == 1.0; });
    return throughTable(dst, src, [&](SLxLut* lut, int32_t top) {
        int status = 0;
        for (uint32_t c = 0; status == 0 && c < comps; ++c) {
            const uint8_t comp = uint8_t(comps == 1 ? 0 : c);
            status = linear ? SLxLut::CreateLinearTable(lut, comp, asInt(lows[c]), 0,
                                                        asInt(highs[c]), top)
                            : SLxLut::CreateGammaTable(lut, comp, asInt(lows[c]), 0,
                                                       asInt(highs[c]), top, gammas[c]);
        }
        return status;
    });
}

// The intensity-saturation-hue form of src in a temporary of bits, add
// added to its components (wrapping with rotate), converted back into dst.
int throughIhs(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t bits, const int32_t add[3],
               bool rotate)
{
    const int checked = prepare(dst, src, eLxCheckSize, nullptr);
    if (checked != 0)
        return checked;
    CLxPicBufReplacement ihs;
    if (ihs.allocate(dst->uiWidth, dst->uiHeight, bits, dst->uiComps, false) != 0)
        return -3;
    int status = CLxPicBufAPI::ConvertRGBtoIHS(ihs.get(), src);
    if (status == 0)
        status = rotate ? CLxPicBufAPI::AddConstRotate(ihs.get(), ihs.get(), add)
                        : CLxPicBufAPI::AddConst(ihs.get(), ihs.get(), add);
    if (status == 0)
        status = CLxPicBufAPI::ConvertIHStoRGB(dst, ihs.get());
    return status;
}

// Whether a one-bit record holds its lines.
bool binaryCovers(const SLxBinPicBuf& bin)
{
    return bin.pData && (uint64_t(bin.uiWidth) + 7) / 8 <= bin.uiWidthBytes &&
           uint64_t(bin.uiWidthBytes) * bin.uiHeight <= bin.uiSize;
}

// The 8 bytes (255 where set, 0 where clear) of every mask byte, leftmost
// pixel first.
struct MaskBytes {
    uint64_t of[256];
    constexpr MaskBytes() : of()
    {
        for (uint32_t v = 0; v < 256; ++v)
            for (uint32_t bit = 0; bit < 8; ++bit)
                if (v & (0x80u >> bit))
                    of[v] |= uint64_t(0xFF) << (8 * bit);
    }
};
constexpr MaskBytes kMaskBytes;

// The mask byte of four pixels as the mask byte of their eight bytes, for
// pixels of two bytes: bits of pixels 0-3 (first) and 4-7 (last), each
// twice.
struct WordBits {
    uint8_t first[256], last[256];
    constexpr WordBits() : first(), last()
    {
        for (uint32_t v = 0; v < 256; ++v)
            for (uint32_t p = 0; p < 4; ++p) {
                if (v & (0x80u >> p))
                    first[v] |= uint8_t(0xC0u >> (2 * p));
                if (v & (0x08u >> p))
                    last[v] |= uint8_t(0xC0u >> (2 * p));
            }
    }
};
constexpr WordBits kWordBits;

// One line of dst: base where the mask bit is clear, over where it is set,
// for pixels of one byte (B 1) or one 16-bit word (B 2): eight pixels at a
// time through the mask bytes of their bits, the rest one by one.
#if LX_HAVE_AVX2_PATHS
// 32 bytes a step (32 / B pixels, 4 / B mask bytes): each byte takes its
// pixel's mask byte, keeps its pixel's bit and compares equal to it when
// set, and blends the two pictures by it. Returns the groups of 8 done.
template <uint32_t B>
LX_TARGET_AVX2 uint32_t selectUnderBitsAvx2(uint8_t* d, const uint8_t* base, const uint8_t* over,
                                            const uint8_t* bits, uint32_t groups)
{
    alignas(32) uint8_t spread[32], own[32];
    for (uint32_t j = 0; j < 32; ++j) {
        spread[j] = uint8_t(j / B / 8);
        own[j] = uint8_t(0x80u >> (j / B % 8));
    }
    const __m256i toBytes = _mm256_load_si256(reinterpret_cast<const __m256i*>(spread));
    const __m256i bit = _mm256_load_si256(reinterpret_cast<const __m256i*>(own));
    constexpr uint32_t kGroups = 4 / B;
    uint32_t i = 0;
    for (; i + kGroups <= groups; i += kGroups) {
        const __m256i maskBytes = B == 1
                                      ? _mm256_set1_epi32(int(lxpic::load<uint32_t>(bits + i)))
                                      : _mm256_set1_epi16(short(lxpic::load<uint16_t>(bits + i)));
        const __m256i kept = _mm256_and_si256(_mm256_shuffle_epi8(maskBytes, toBytes), bit);
        const __m256i set = _mm256_cmpeq_epi8(kept, bit);
        const size_t at = size_t(i) * 8 * B;
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(base + at));
        const __m256i o = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(over + at));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + at), _mm256_blendv_epi8(b, o, set));
    }
    return i;
}
#endif

template <uint32_t B>
void selectUnderBits(uint8_t* d, const uint8_t* base, const uint8_t* over, const uint8_t* bits,
                     uint32_t width)
{
    const uint32_t groups = width / 8;
    uint32_t i = 0;
#if LX_HAVE_AVX2_PATHS
    if (lxpic::cpuHasAvx2())
        i = selectUnderBitsAvx2<B>(d, base, over, bits, groups);
#endif
    for (; i < groups; ++i) {
        uint64_t m[B];
        if constexpr (B == 1) {
            m[0] = kMaskBytes.of[bits[i]];
        } else {
            // Each mask bit doubled: the first and the last four pixels.
            m[0] = kMaskBytes.of[kWordBits.first[bits[i]]];
            m[1] = kMaskBytes.of[kWordBits.last[bits[i]]];
        }
        for (uint32_t k = 0; k < B; ++k) {
            const size_t at = (size_t(i) * B + k) * 8;
            uint64_t b, o;
            std::memcpy(&b, base + at, 8);
            std::memcpy(&o, over + at, 8);
            const uint64_t v = (o & m[k]) | (b & ~m[k]);
            std::memcpy(d + at, &v, 8);
        }
    }
    for (uint32_t x = groups * 8; x < width; ++x) {
        const bool set = (bits[x / 8] >> (7 - x % 8)) & 1;
        std::memcpy(d + size_t(x) * B, (set ? over : base) + size_t(x) * B, B);
    }
}

// One line of a one-bit mask as width bytes of 255 and 0 (the line buffer
// holds whole groups of 8).
void unpackMaskLine(uint8_t* out, const uint8_t* bits, uint32_t width)
{
    for (uint32_t i = 0; i < (width + 7) / 8; ++i)
        std::memcpy(out + 8 * size_t(i), &kMaskBytes.of[bits[i]], 8);
}

template <class T> void mulGrayDivGray(SLxPicBuf& dst, const SLxPicBuf& num, const SLxPicBuf& den)
{
    const uint64_t max = lxpic::maxOfBits(dst.uiBpc);
    const uint32_t comps = dst.uiComps;
    for (uint32_t y = 0; y < dst.uiHeight; ++y) {
        T* d = reinterpret_cast<T*>(bytesOf(dst) + size_t(y) * dst.uiWidthBytes);
        const T* a = reinterpret_cast<const T*>(bytesOf(num) + size_t(y) * num.uiWidthBytes);
        const T* b = reinterpret_cast<const T*>(bytesOf(den) + size_t(y) * den.uiWidthBytes);
        for (uint32_t x = 0; x < dst.uiWidth; ++x, d += comps)
            for (uint32_t c = 0; c < comps; ++c)
                d[c] = b[x] ? T(std::min<uint64_t>(uint64_t(a[x]) * d[c] / b[x], max)) : a[x];
    }
}

} // namespace

int CLxPicBufAPI::Contrast(SLxPicBuf* dst, const SLxPicBuf* src, int32_t mode, int32_t low,
                           int32_t high, double gamma)
{
    const int checked = prepareCurves(dst, src);
    if (checked != 0)
        return checked;
    // The logarithmic and exponential builders fill one component only.
    if (mode < 0 || mode > 5 || ((mode == 2 || mode == 3) && dst->uiComps != 1))
        return -9;
    const uint8_t all = 255; // every component of a table of several
    if (mode == 1) {
        SLxHisto histo;
        CLxHistoAPI::Init(&histo);
        const SLxPicBufDesc desc{src->uiWidth, src->uiHeight, src->uiWidthBytes,
                                 src->uiBpc,   src->uiComps,  src->uiSize};
        int status = CLxHistoAPI::Reinit32(&histo, &desc);
        if (status == 0)
            status = CLxHistoAPI::Calculate(&histo, src, true);
        if (status == 0)
            status = throughTable(dst, src, [&](SLxLut* lut, int32_t) {
                int s = 0;
                for (uint32_t c = 0; s == 0 && c < dst->uiComps; ++c)
                    s = SLxLut::CreateEqualizingTable_1_1(lut, uint8_t(c), &histo);
                return s;
            });
        CLxHistoAPI::Free(&histo);
        return status;
    }
    return throughTable(dst, src, [&](SLxLut* lut, int32_t top) {
        switch (mode) {
        case 0:
            return SLxLut::CreateLinearTable(lut, all, low, 0, high, top);
        case 2:
            return SLxLut::CreateLogaritmicTable_1_1(lut, 0, low, 0, high, top);
        case 3:
            return SLxLut::CreateExpTable_1_1(lut, 0, low, 0, high, top);
        case 4:
            return SLxLut::CreateGammaTable(lut, all, low, 0, high, top, gamma);
        default:
            return SLxLut::CreateGammaTable2(lut, all, low, 0, high, top, gamma);
        }
    });
}

int CLxPicBufAPI::ComponentContrast(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t redLow,
                                    uint32_t greenLow, uint32_t blueLow, uint32_t redHigh,
                                    uint32_t greenHigh, uint32_t blueHigh, double redGamma,
                                    double greenGamma, double blueGamma)
{
    const int checked = prepareCurves(dst, src);
    if (checked != 0)
        return checked;
    if (dst->uiComps != 3)
        return -9;
    // Stored blue, green, red.
    const uint32_t lows[3] = {blueLow, greenLow, redLow};
    const uint32_t highs[3] = {blueHigh, greenHigh, redHigh};
    const double gammas[3] = {blueGamma, greenGamma, redGamma};
    return componentCurves(dst, src, lows, highs, gammas);
}

int CLxPicBufAPI::ComponentContrast(SLxPicBuf* dst, const SLxPicBuf* src, const uint32_t* lows,
                                    const uint32_t* highs, const double* gammas)
{
    if (!lows || !highs || !gammas)
        return -9;
    const int checked = prepareCurves(dst, src);
    if (checked != 0)
        return checked;
    return componentCurves(dst, src, lows, highs, gammas);
}

int CLxPicBufAPI::WhiteBalance(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t redWhite,
                               uint32_t greenWhite, uint32_t blueWhite, uint32_t redBlack,
                               uint32_t greenBlack, uint32_t blueBlack, int32_t blackFlag,
                               int32_t directFlag, double gamma)
{
    const int checked = prepareCurves(dst, src);
    if (checked != 0)
        return checked;
    if (dst->uiComps != 3)
        return -9;
    // Stored blue, green, red.
    uint32_t white[3] = {blueWhite, greenWhite, redWhite};
    uint32_t black[3] = {blueBlack, greenBlack, redBlack};
    uint32_t w = std::max({white[0], white[1], white[2]});
    uint32_t b = std::min({black[0], black[1], black[2]});
    int64_t offset[3] = {0, 0, 0};
    if (!blackFlag) {
        b = 0;
    } else {
        if (int32_t(w) < int32_t(b)) {
            std::swap(white, black);
            std::swap(w, b);
        }
        for (int c = 0; c < 3; ++c)
            offset[c] = int64_t(black[c]) - b;
    }
    const int64_t m = lxpic::maxOfBits(src->uiBpc);
    return throughTable(dst, src, [&](SLxLut* lut, int32_t top) {
        int status = 0;
        for (uint8_t c = 0; status == 0 && c < 3; ++c) {
            const int64_t from = directFlag ? int64_t(b) : offset[c];
            const int64_t to =
                directFlag ? int64_t(white[c]) : m - std::llabs(int64_t(w) - int64_t(white[c]));
            status = SLxLut::CreateGammaTable(lut, c, asInt(from), 0, asInt(to), top, gamma);
        }
        return status;
    });
}

int CLxPicBufAPI::Saturation(SLxPicBuf* dst, const SLxPicBuf* src, int32_t percent)
{
    const int32_t add[3] = {0, int32_t(std::trunc(double(percent) * 65535 * 0.01)), 0};
    return throughIhs(dst, src, 16, add, false);
}

int CLxPicBufAPI::Hue(SLxPicBuf* dst, const SLxPicBuf* src, int32_t degrees)
{
    const int32_t add[3] = {0, 0,
                            int32_t(std::trunc(double(degrees) * 255 * 0.002777777777777778))};
    return throughIhs(dst, src, 8, add, true);
}

int CLxPicBufAPI::CombineViaBinary(SLxPicBuf* dst, const SLxPicBuf* first, const SLxPicBuf* second,
                                   const SLxBinPicBuf* mask, int32_t flag)
{
    if (!dst || !first || !second || !mask || !dst->pData || !first->pData || !second->pData ||
        !CLxPicBufAPI::Check(dst, first, eLxCheckSizeComps) || !coversFormat(dst) ||
        !coversFormat(first) || !coversFormat(second) || !binaryCovers(*mask))
        return -9;
    if (first->uiBpc != dst->uiBpc || second->uiBpc != dst->uiBpc ||
        second->uiComps != dst->uiComps)
        return -9;
    if (dst->uiBpc > 16)
        return -2;
    // A second source of another size, and a replacing picture that is dst
    // itself (which the base copy would overwrite), take a stand-in of dst's
    // format holding their top-left part.
    const SLxPicBuf* base = flag ? second : first;
    const SLxPicBuf* over = flag ? first : second;
    CLxPicBufReplacement baseStandIn, overStandIn;
    const auto standIn = [&](CLxPicBufReplacement& r, const SLxPicBuf*& pic) {
        const bool otherSize = pic->uiWidth != dst->uiWidth || pic->uiHeight != dst->uiHeight;
        if (!otherSize && pic->pData != dst->pData)
            return 0;
        if (r.allocate(dst->uiWidth, dst->uiHeight, dst->uiBpc, dst->uiComps, true) != 0)
            return -3;
        const int copied = CLxPicBufAPI::Copy(r.get(), pic);
        pic = r.get();
        return copied;
    };
    const uint32_t width = std::min(dst->uiWidth, mask->uiWidth);
    const uint32_t height = std::min(dst->uiHeight, mask->uiHeight);
    std::vector<uint8_t> line;
    try {
        line.resize((size_t(width) + 7) / 8 * 8);
    } catch (const std::bad_alloc&) {
        return -3;
    }
    int status = standIn(overStandIn, over);
    if (status == 0 && base == second)
        status = standIn(baseStandIn, base);
    if (status != 0)
        return status;
    // Line by line, while the line is at hand. Pixels of one byte or word
    // choose between the base and the other picture straight from the mask
    // bits; others take the base line, then the mask's line as 255 and 0
    // bytes and the other picture's pixels under it.
    const size_t lineLength = size_t(lineBytes(*dst));
    for (uint32_t y = 0; y < dst->uiHeight && status == 0; ++y) {
        uint8_t* d = bytesOf(*dst) + size_t(y) * dst->uiWidthBytes;
        const uint8_t* b = bytesOf(*base) + size_t(y) * base->uiWidthBytes;
        const uint8_t* o = bytesOf(*over) + size_t(y) * over->uiWidthBytes;
        const uint8_t* bits =
            static_cast<const uint8_t*>(mask->pData) + size_t(y) * mask->uiWidthBytes;
        const size_t pixel = lineLength / std::max(dst->uiWidth, 1u);
        if (y < height && pixel <= 2) {
            if (pixel == 1)
                selectUnderBits<1>(d, b, o, bits, width);
            else
                selectUnderBits<2>(d, b, o, bits, width);
            const size_t done = size_t(width) * pixel;
            std::memcpy(d + done, b + done, lineLength - done);
            continue;
        }
        std::memcpy(d, b, lineLength);
        if (y >= height)
            continue;
        unpackMaskLine(line.data(), bits, width);
        status = CLxPicMemAPI::CopyMask(d, dst->uiWidthBytes, o, over->uiWidthBytes, dst->uiComps,
                                        dst->uiBpc, line.data(), 8, 0, width, width, 0, false);
    }
    return status;
}

int CLxPicBufAPI::ComponentsMulGrayDivGray(SLxPicBuf* dst, const SLxPicBuf* numerator,
                                           const SLxPicBuf* denominator)
{
    if (!CLxPicBufAPI::Check(dst, numerator, eLxCheckSizeBits) ||
        !CLxPicBufAPI::Check(numerator, denominator, eLxCheckSizeBitsComps) || !coversFormat(dst) ||
        !coversFormat(numerator) || !coversFormat(denominator))
        return -9;
    if (numerator->uiComps != 1 || dst->uiBpc < 8)
        return 0;
    if (dst->uiBpc > 16)
        return -2;
    if (dst->uiBpc == 8)
        mulGrayDivGray<uint8_t>(*dst, *numerator, *denominator);
    else
        mulGrayDivGray<uint16_t>(*dst, *numerator, *denominator);
    return 0;
}
