// Complement, AND, equality and the format tests.
#include <algorithm>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/PicBufAPI/LxPicBufPrepare.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

using namespace lxpicbuf;
using lxpic::load;
using lxpic::maxOfBits;
using lxpic::store;

namespace
{

// Every sample of dst becomes the NOT of the src sample within the
// significant bits, so a 12-bit picture stays within 0 to 4095.
int complementInto(SLxPicBuf& dst, const SLxPicBuf& src)
{
    return withSampleType(dst.uiBpc, [&](auto sample) {
        using T = decltype(sample);
        const T full = T(maxOfBits(dst.uiBpc));
        zipSamples<T>(dst, src, [full](T, T s) { return T(~s & full); });
        return 0;
    });
}

} // namespace

int CLxPicBufAPI::Complement(SLxPicBuf* pic)
{
    const int status = prepare(pic);
    return status != 0 ? status : complementInto(*pic, *pic);
}

int CLxPicBufAPI::Complement(SLxPicBuf* dst, const SLxPicBuf* src)
{
    const int status = prepare(dst, src, eLxCheckSizeBitsComps,
                               u"K3LxBinPicBuf::Complement, sour and dest sizes are different");
    return status != 0 ? status : complementInto(*dst, *src);
}

int CLxPicBufAPI::ComplementMask(SLxPicBuf* pic, const SLxPicBuf* mask)
{
    const int status = prepare(pic, mask, eLxCheckSizeComps, nullptr);
    if (status != 0)
        return status;
    // Byte i of a mask line governs sample i of the picture line.
    if (CalcCompSize(mask->uiBpc) != 1)
        return -9;
    return withSampleType(pic->uiBpc, [&](auto sample) {
        using T = decltype(sample);
        const T full = T(maxOfBits(pic->uiBpc));
        const size_t samples = size_t(pic->uiWidth) * pic->uiComps;
        forEachLinePair(*pic, *mask, pic->uiHeight, [&](uint8_t* line, const uint8_t* m) {
            for (size_t i = 0; i < samples; ++i)
                if (m[i])
                    store<T>(line + i * sizeof(T), T(~load<T>(line + i * sizeof(T)) & full));
        });
        return 0;
    });
}

int CLxPicBufAPI::And(SLxPicBuf* dst, const SLxPicBuf* src)
{
    // Equal formats bound the write by the destination's own lines.
    const int status =
        prepare(dst, src, eLxCheckSizeBitsComps,
                u"CLxPicBufAPI::And, sour and dest must have the same size and format", -4);
    if (status != 0)
        return status;
    // A bytewise AND is the samplewise AND at every depth.
    const size_t bytes = size_t(lineBytes(*dst));
    forEachLinePair(*dst, *src, dst->uiHeight, [bytes](uint8_t* d, const uint8_t* s) {
        for (size_t i = 0; i < bytes; ++i)
            d[i] &= s[i];
    });
    return 0;
}

bool CLxPicBufAPI::IsFullCompMask(const SLxPicBuf* pic, uint32_t mask)
{
    if (!pic || pic->uiComps > 32)
        return false;
    const uint32_t full = maxOfBits(pic->uiComps);
    return (mask & full) == full;
}

bool CLxPicBufAPI::IsEqual(const SLxPicBuf* a, const SLxPicBuf* b)
{
    if (prepare(a, b, eLxCheckSizeBitsComps, nullptr) != 0)
        return false;
    if (isEmpty(*a))
        return true;
    int status = 0;
    const int order =
        CLxPicMemAPI::Compare(a->pData, a->uiWidthBytes, b->pData, b->uiWidthBytes, a->uiComps,
                              a->uiBpc, a->uiWidth, pixelCount(*a), &status);
    return order == 0 && status == 0;
}

bool CLxPicBufAPI::IsPicGray(const SLxPicBuf* pic)
{
    return pic && pic->uiComps == 1;
}

bool CLxPicBufAPI::IsPicMono(const SLxPicBuf* pic)
{
    if (prepare(pic) != 0)
        return false;
    if (isEmpty(*pic))
        return true;
    const uint32_t compared = std::min<uint32_t>(pic->uiComps, 3);
    const int mono = withSampleType(pic->uiBpc, [&](auto sample) {
        using T = decltype(sample);
        bool equal = true;
        forEachPixelPair(*pic, *pic, pic->uiWidth, pic->uiHeight, [&](uint8_t* p, const uint8_t*) {
            const T first = load<T>(p);
            for (uint32_t c = 1; c < compared; ++c)
                equal = equal && load<T>(p + c * sizeof(T)) == first;
        });
        return equal ? 1 : 0;
    });
    return mono == 1;
}
