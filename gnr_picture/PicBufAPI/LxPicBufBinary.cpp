// Pictures to and from one-bit pictures, and the change of depth and
// component count.
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/PicBufAPI/LxPicBufPrepare.h"

using namespace lxpicbuf;

namespace
{

// Whether the one-bit picture's memory holds every line: an empty one always
// does.
bool binCoversLines(const SLxBinPicBuf& bin)
{
    if (bin.uiWidth == 0 || bin.uiHeight == 0)
        return true;
    return bin.pData && (uint64_t(bin.uiWidth) + 7) / 8 <= bin.uiWidthBytes &&
           uint64_t(bin.uiWidthBytes) * bin.uiHeight <= bin.uiSize;
}

// The checks shared by Unpack, Threshold and Pack: 0 to go on, -9 else.
int preparePair(const SLxBinPicBuf* bin, const SLxPicBuf* pic)
{
    if (!bin || !pic || bin->uiWidth != pic->uiWidth || bin->uiHeight != pic->uiHeight ||
        !binCoversLines(*bin))
        return -9;
    const int status = prepare(pic);
    if (status != 0)
        return status;
    const uint32_t bits = pic->uiBpc;
    const uint64_t sampleBits = bits == 8 ? 8 : bits >= 9 && bits <= 16 ? 16 : 0;
    return sampleBits * pic->uiComps > 64 ? -9 : 0;
}

} // namespace

int CLxPicBufAPI::Unpack(SLxPicBuf* pic, SLxBinPicBuf* bin, uint64_t value)
{
    const int status = preparePair(bin, pic);
    if (status != 0 || isEmpty(*pic))
        return status;
    return CLxPicMemAPI::UnpackFromBinary(pic->pData, pic->uiComps, pic->uiBpc, value,
                                          pic->uiWidthBytes, static_cast<uint8_t*>(bin->pData), 0,
                                          bin->uiWidthBytes, pic->uiWidth, pixelCount(*pic), 0);
}

int CLxPicBufAPI::Threshold(SLxBinPicBuf* bin, SLxPicBuf* pic, uint64_t low, uint64_t high)
{
    const int status = preparePair(bin, pic);
    if (status != 0 || isEmpty(*pic))
        return status;
    return CLxPicMemAPI::ThresholdToBinary(static_cast<uint8_t*>(bin->pData), 0, bin->uiWidthBytes,
                                           pic->pData, pic->uiComps, pic->uiBpc, pic->uiWidthBytes,
                                           low, high, true, pic->uiWidth, pixelCount(*pic), 0);
}

int CLxPicBufAPI::Pack(SLxBinPicBuf* bin, SLxPicBuf* pic, uint64_t value)
{
    const int status = preparePair(bin, pic);
    if (status != 0 || isEmpty(*pic))
        return status;
    return CLxPicMemAPI::PackToBinary(static_cast<uint8_t*>(bin->pData), 0, bin->uiWidthBytes,
                                      pic->pData, pic->uiComps, pic->uiBpc, pic->uiWidthBytes,
                                      value, 0, pic->uiWidth, pixelCount(*pic), 0);
}

int CLxPicBufAPI::ConvertBpcAndComp(SLxPicBuf* pic, uint32_t bits, uint32_t comps)
{
    int status = prepare(pic);
    if (status != 0)
        return status;
    const uint32_t oldBits = pic->uiBpc, oldComps = pic->uiComps;
    // The component routines make or take one component only.
    if (oldComps != comps && oldComps != 1 && comps != 1)
        return -2;
    if (bits == 0 || bits > 32 || comps == 0)
        return -2;
    if (oldBits == bits && oldComps == comps)
        return 0;
    if (isEmpty(*pic)) {
        pic->uiBpc = uint8_t(bits);
        pic->uiComps = comps;
        pic->uiWidthBytes = CalcWidthBytes(pic->uiWidth, bits, comps, 4);
        return 0;
    }
    // Both steps work on records of their own; the caller's record changes
    // only once the last one is built.
    const uint32_t width = pic->uiWidth, height = pic->uiHeight, count = pixelCount(*pic);
    CLxPicBufReplacement depth;
    const SLxPicBuf* current = pic;
    if (oldBits != bits) {
        status = depth.allocate(width, height, bits, oldComps, false);
        if (status == 0)
            status = CLxPicMemAPI::ConvertBitDepthViaShifts(
                depth.get()->pData, bits, depth.get()->uiWidthBytes, pic->pData, oldBits,
                pic->uiWidthBytes, oldComps, width, count);
        if (status != 0)
            return status;
        current = depth.get();
    }
    CLxPicBufReplacement components;
    if (oldComps != comps) {
        status = components.allocate(width, height, bits, comps, false);
        SLxPicBuf* out = components.get();
        if (status == 0)
            status = oldComps > comps
                         ? CLxPicMemAPI::CollapseComponents(
                               out->pData, out->uiWidthBytes, current->pData, oldComps,
                               current->uiWidthBytes, nullptr, bits, width, count)
                         : CLxPicMemAPI::ExpandComponent(out->pData, comps, out->uiWidthBytes,
                                                         current->pData, current->uiWidthBytes,
                                                         bits, width, count);
        if (status != 0)
            return status;
        components.commit(pic);
    } else {
        depth.commit(pic);
    }
    return 0;
}
