#include "gnr_picture/picmemAPI/stretch/LxStretchDispatch.h"

#include <algorithm>
#include <cmath>

#include "gnr_picture/picmemAPI/LxPicMemLoops.h"
#include "gnr_picture/picmemAPI/LxStretchFilters.h"
#include "gnr_picture/picmemAPI/LxStretchKernels.h"
#include "gnr_picture/picmemAPI/stretch/LxContributors.h"
#include "gnr_picture/picmemAPI/stretch/LxFilterRows.h"
#include "gnr_picture/picmemAPI/stretch/LxStretchScratch.h"

using namespace lxpic;

namespace lxstretch
{

namespace
{

// The members of one kernel family by sample bytes (1, 2) and component
// count (1, 3, any other).
template <class F> struct Family {
    F* members[2][3];

    F* pick(uint32_t comps, uint32_t bytes) const
    {
        return members[bytes - 1][comps == 1 ? 0 : comps == 3 ? 1 : 2];
    }
};

const Family<LxStretchFn> kNearest{
    {{stretch_1x8, stretch_3x8, stretch_Nx8}, {stretch_1x16, stretch_3x16, stretch_Nx16}}};
const Family<LxStretchDisplayFn> kDisplayNearest{
    {{stretchdisplay_1x8, stretchdisplay_3x8, stretchdisplay_Nx8},
     {stretchdisplay_1x16, stretchdisplay_3x16, stretchdisplay_Nx16}}};
const Family<LxStretchDisplayExFn> kDisplayExNearest{
    {{stretchdisplayex_1x8, stretchdisplayex_3x8, stretchdisplayex_Nx8},
     {stretchdisplayex_1x16, stretchdisplayex_3x16, stretchdisplayex_Nx16}}};
const Family<LxStretchDisplayFilterHFn> kDisplayFilterH{
    {{stretchdisplayfilterh_1x8, stretchdisplayfilterh_3x8, stretchdisplayfilterh_Nx8},
     {stretchdisplayfilterh_1x16, stretchdisplayfilterh_3x16, stretchdisplayfilterh_Nx16}}};
const Family<LxStretchDisplayExFilterHFn> kDisplayExFilterH{
    {{stretchdisplayexfilterh_1x8, stretchdisplayexfilterh_3x8, stretchdisplayexfilterh_Nx8},
     {stretchdisplayexfilterh_1x16, stretchdisplayexfilterh_3x16, stretchdisplayexfilterh_Nx16}}};
const Family<LxStretchDisplayFilterVFn> kDisplayFilterV{
    {{stretchdisplayfilterv_1x8, stretchdisplayfilterv_3x8, stretchdisplayfilterv_Nx8},
     {stretchdisplayfilterv_1x16, stretchdisplayfilterv_3x16, stretchdisplayfilterv_Nx16}}};

// Sample bytes of the stretch's formats: 1 (8 bits) or 2 (9 to 16 bits), 0
// for any other depth (1 to 7 bits have no member).
uint32_t stretchBytes(uint32_t bits)
{
    return bits == 8 ? 1 : bits >= 9 && bits <= 16 ? 2 : 0;
}

struct Filter {
    LxStretchWeightFn weight;
    uint32_t radius;
};

// Modes 2 and 4 filter with the B-spline, 3 with the triangle; the others
// are not filtered.
bool filterOf(int mode, Filter& filter)
{
    switch (mode) {
    case 2:
    case 4:
        filter = {filter_bspline2, 3};
        return true;
    case 3:
        filter = {filter_triangle, 2};
        return true;
    default:
        return false;
    }
}

// Buffer lines hold whole 32-bit words.
uint64_t bufferPitch(uint32_t width, uint32_t comps, uint32_t bytes)
{
    return (uint64_t(width) * comps * bytes + 3) & ~uint64_t(3);
}

// Area averaging takes whole one-component pictures of at least a million
// pixels reduced by at least 3 in both directions.
bool averages(uint32_t comps, uint32_t dstW, uint32_t dstH, uint32_t srcHeight, uint32_t srcX,
              uint32_t srcY, uint32_t srcW, uint32_t srcH)
{
    return comps == 1 && srcW / dstW >= 3 && srcH / dstH >= 3 && srcH == srcHeight && srcX == 0 &&
           srcY == 0 && uint64_t(srcW) * srcH >= 1000000;
}

int stretchFiltered(void* dst, uint32_t comps, uint32_t dstWB, uint32_t bytes, uint32_t dstW,
                    uint32_t dstH, const void* src, uint32_t srcWB, uint32_t srcHeight,
                    uint32_t srcX, uint32_t srcY, uint32_t srcW, uint32_t srcH, uint32_t lineWidth,
                    Filter filter)
{
    // The vertical pass reads the window's lines that exist, and as many
    // above and below as its taps reach.
    const uint32_t lines = std::min(srcH, srcHeight - srcY);
    const uint64_t margin = filterSupport(srcH, dstH, filter.radius);
    const uint32_t top = uint32_t(std::min<uint64_t>(margin, srcY));
    const uint32_t bottom = uint32_t(std::min<uint64_t>(margin, srcHeight - srcY - lines));
    const uint64_t pitch = bufferPitch(dstW, comps, bytes);
    if (pitch > UINT32_MAX)
        return -3;
    const uint8_t* first = static_cast<const uint8_t*>(src) - size_t(top) * (srcWB / bytes * bytes);
    return stretchFilterRolling(dst, dstWB, comps, bytes, dstW, dstH, first, srcWB, srcX, srcW,
                                lineWidth, srcH, top, top + lines + bottom, uint32_t(pitch),
                                filter.weight, filter.radius);
}

// The filtered display passes; valid and background only for a source with
// a valid rectangle.
int displayFiltered(void* dst, uint32_t winW, uint32_t winH, uint32_t comps, uint32_t dstWB,
                    uint32_t bytes, uint32_t dispW, uint32_t dispH, uint32_t winX, uint32_t winY,
                    const void* src, uint32_t srcW, uint32_t srcH, uint32_t srcWB,
                    const SLxStretchRect* valid, const void* background, Filter filter)
{
    if (uint64_t(winX) + winW > UINT32_MAX)
        return -9;
    // The source lines under the tile; a tile below the picture keeps its
    // last line, which the clamped taps then repeat.
    const double scaleY = double(srcH) / dispH;
    const uint64_t firstLine = std::min<uint64_t>(uint64_t(std::floor(winY * scaleY)), srcH - 1);
    const uint64_t lines = std::max<uint64_t>(
        1, std::min<uint64_t>(uint64_t(std::ceil(winH * scaleY)), srcH - firstLine));
    const uint64_t margin = filterSupport(srcH, dispH, filter.radius);
    const uint64_t top = std::min(margin, firstLine);
    const uint64_t bottom = std::min(margin, srcH - lines - firstLine);
    const uint64_t bufferLines = top + lines + bottom;
    const SLxStretchRect rect{winX, uint32_t(firstLine - top), winX + winW,
                              uint32_t(firstLine - top + bufferLines)};

    const uint64_t pitch = bufferPitch(winW, comps, bytes);
    if (pitch > UINT32_MAX)
        return -3;
    Scratch<uint8_t> buffer(size_t(pitch) * bufferLines);
    if (!buffer)
        return -3;
    const int result =
        valid
            ? kDisplayExFilterH.pick(comps, bytes)(buffer.get(), uint32_t(pitch), comps, src, srcWB,
                                                   srcW, dispW, &rect, valid, background,
                                                   filter.weight, filter.radius)
            : kDisplayFilterH.pick(comps, bytes)(buffer.get(), uint32_t(pitch), comps, src, srcWB,
                                                 srcW, dispW, &rect, filter.weight, filter.radius);
    if (result != 0)
        return result;
    return kDisplayFilterV.pick(comps, bytes)(dst, dstWB, comps, winH, buffer.get(),
                                              uint32_t(pitch), srcH, dispH, winY, &rect,
                                              filter.weight, filter.radius);
}

} // namespace

int stretch(void* dst, uint32_t comps, uint32_t dstWB, uint32_t bits, uint32_t dstW, uint32_t dstH,
            const void* src, uint32_t srcWB, uint32_t srcHeight, uint32_t srcX, uint32_t srcY,
            uint32_t srcW, uint32_t srcH, int mode, uint32_t lineWidth)
{
    if (dstW == 0 || dstH == 0)
        return 0;
    const uint32_t bytes = stretchBytes(bits);
    if (bytes == 0)
        return -2;
    if (comps == 0)
        return -9;
    const uint32_t pitchWidth = srcWB / bytes / comps;
    lineWidth = lineWidth == 0 ? pitchWidth : std::min(lineWidth, pitchWidth);
    if (srcW == 0 || srcH == 0 || srcY >= srcHeight || srcX >= lineWidth)
        return -9;
    if (mode == 4 && averages(comps, dstW, dstH, srcHeight, srcX, srcY, srcW, srcH))
        return (bytes == 1 ? stretch_average_1x8 : stretch_average_1x16)(
            dst, dstWB, dstW, dstH, src, srcWB, srcW, srcH, comps, bits);
    Filter filter;
    if (filterOf(mode, filter))
        return stretchFiltered(dst, comps, dstWB, bytes, dstW, dstH, src, srcWB, srcHeight, srcX,
                               srcY, srcW, srcH, lineWidth, filter);
    return kNearest.pick(comps, bytes)(dst, comps, dstWB, dstW, dstH, src, srcWB, srcHeight, srcX,
                                       srcY, srcW, srcH);
}

int stretchDisplay(void* dst, uint32_t winW, uint32_t winH, uint32_t comps, uint32_t dstWB,
                   uint32_t bits, uint32_t dispW, uint32_t dispH, uint32_t winX, uint32_t winY,
                   const void* src, uint32_t srcW, uint32_t srcH, uint32_t srcWB, int mode)
{
    if (winW == 0 || winH == 0)
        return 0;
    const uint32_t bytes = stretchBytes(bits);
    if (bytes == 0)
        return -2;
    if (comps == 0 || srcW == 0 || srcH == 0 || dispW == 0 || dispH == 0)
        return -9;
    Filter filter;
    if (mode != 4 && filterOf(mode, filter))
        return displayFiltered(dst, winW, winH, comps, dstWB, bytes, dispW, dispH, winX, winY, src,
                               srcW, srcH, srcWB, nullptr, nullptr, filter);
    return kDisplayNearest.pick(comps, bytes)(dst, winW, winH, comps, dstWB, dispW, dispH, winX,
                                              winY, src, srcW, srcH, srcWB);
}

int stretchDisplayEx(void* dst, uint32_t winW, uint32_t winH, uint32_t comps, uint32_t dstWB,
                     uint32_t bits, uint32_t dispW, uint32_t dispH, uint32_t winX, uint32_t winY,
                     const void* src, uint32_t validLeft, uint32_t validTop, uint32_t validWidth,
                     uint32_t validHeight, uint32_t srcW, uint32_t srcH, uint32_t srcWB, int mode,
                     const void* background)
{
    if (winW == 0 || winH == 0)
        return 0;
    const uint32_t bytes = stretchBytes(bits);
    if (bytes == 0)
        return -2;
    if (!background)
        return -4;
    if (comps == 0 || srcW == 0 || srcH == 0 || dispW == 0 || dispH == 0)
        return -9;
    Filter filter;
    if (mode != 4 && filterOf(mode, filter)) {
        const SLxStretchRect valid{
            validLeft, validTop,
            uint32_t(std::min<uint64_t>(uint64_t(validLeft) + validWidth, UINT32_MAX)),
            uint32_t(std::min<uint64_t>(uint64_t(validTop) + validHeight, UINT32_MAX))};
        return displayFiltered(dst, winW, winH, comps, dstWB, bytes, dispW, dispH, winX, winY, src,
                               srcW, srcH, srcWB, &valid, background, filter);
    }
    return kDisplayExNearest.pick(comps, bytes)(dst, winW, winH, comps, dstWB, dispW, dispH, winX,
                                                winY, src, validLeft, validTop, validWidth,
                                                validHeight, srcW, srcH, srcWB, background);
}

} // namespace lxstretch
