// Disc, rectangle and cut-disc masks, softened by repeated smoothing.
#include <cmath>
#include <cstring>
#include <utility>

#include "gnr_picture/FloatPicBufAPI/LxFilterBuf.h"

namespace
{

struct PatchHolder {
    SLxPicBuf pic{};
    ~PatchHolder() { CLxPicBufAPI::Free(&pic); }
};

// Smooths the painted patch in place, softening passes of "Square2".
int soften(SLxPicBuf& patch, uint32_t softening)
{
    if (!softening)
        return 0;
    PatchHolder copy;
    if (CLxPicBufAPI::ReinitAndCopy(&copy.pic, &patch) != 0)
        return -3;
    return CLxPicBufAPI::Smooth(&patch, &copy.pic, &CLxPicBufAPI::Square2, softening) != 0 ? -3 : 0;
}

// Puts the patch at (x, y) of the otherwise cleared mask.
void put(SLxFilterBuf* buf, const SLxPicBuf& patch, uint32_t x, uint32_t y)
{
    CLxFilterBuf::Clear(buf);
    const uint8_t* src = static_cast<const uint8_t*>(patch.pData);
    for (uint32_t line = 0; line < patch.uiHeight; ++line)
        std::memcpy(buf->pData + size_t(y + line) * buf->uiWidthBytes + x,
                    src + size_t(line) * patch.uiWidthBytes, patch.uiWidth);
}

int place(SLxFilterBuf* buf, SLxPicBuf& patch, uint32_t x, uint32_t y, uint32_t softening)
{
    const int status = soften(patch, softening);
    if (status == 0)
        put(buf, patch, x, y);
    return status;
}

bool usable(const SLxFilterBuf* buf)
{
    return buf && buf->pData && buf->uiWidthBytes >= buf->uiWidth &&
           uint64_t(buf->uiWidthBytes) * buf->uiHeight <= buf->uiSize;
}

// The 2r x 2r square around (x, y), signed: x - r .. x + r within the mask.
bool squareInside(const SLxFilterBuf& buf, uint32_t x, uint32_t y, uint32_t radius)
{
    const int64_t r = radius;
    return int64_t(x) - r >= 0 && int64_t(y) - r >= 0 &&
           int64_t(x) + r <= int64_t(buf.uiWidth) - 1 &&
           int64_t(y) + r <= int64_t(buf.uiHeight) - 1;
}

// Brought into [0, 360).
double fullTurn(double degrees)
{
    const double a = std::fmod(degrees, 360.0);
    return a < 0 ? a + 360.0 : a;
}

// The double wedge of angles (lo, hi) and (lo + 180, hi + 180) about the
// patch centre, counter-clockwise from +x as displayed, cleared from the
// inner radius (the centre pixel when 0) out to cut.
void paintWedges(SLxPicBuf& patch, double lo, double hi, double cut, uint32_t inner)
{
    const int64_t c = patch.uiWidth / 2;
    for (uint32_t j = 0; j < patch.uiHeight; ++j) {
        uint8_t* line = static_cast<uint8_t*>(patch.pData) + size_t(j) * patch.uiWidthBytes;
        for (uint32_t i = 0; i < patch.uiWidth; ++i) {
            const double dx = double(int64_t(i) - c), dy = double(int64_t(j) - c);
            const double d = std::sqrt(dx * dx + dy * dy);
            double t = std::acos(dx / d) * 57.295779513082195; // NaN at the centre
            if (dy > 0)
                t = 360.0 - t;
            const bool wedge = (lo < t && t < hi) || (lo + 180.0 < t && t < hi + 180.0);
            uint8_t v = 255;
            if (inner == 0)
                v = d < 1.0 || (wedge && d < cut) ? 0 : 255;
            else if (wedge)
                v = d >= inner && d < cut ? 0 : 255;
            line[i] = v;
        }
    }
}

} // namespace

int CLxFilterBuf::Circle(SLxFilterBuf* buf, uint32_t x, uint32_t y, uint32_t radius,
                         uint32_t softening)
{
    if (!usable(buf))
        return -9;
    if (!squareInside(*buf, x, y, radius))
        return -9;
    if (radius == 0)
        return Clear(buf);
    const int64_t r = radius;
    PatchHolder patch;
    if (CLxPicBufAPI::Reinit(&patch.pic, 2 * radius, 2 * radius, 0, 8, 1, true) != 0)
        return -3;
    const int64_t c = radius; // patch width / 2
    for (uint32_t j = 0; j < 2 * radius; ++j) {
        uint8_t* line = static_cast<uint8_t*>(patch.pic.pData) + size_t(j) * patch.pic.uiWidthBytes;
        for (uint32_t i = 0; i < 2 * radius; ++i)
            line[i] =
                std::sqrt(double((i - c) * (i - c) + (j - c) * (j - c))) <= double(r) ? 255 : 0;
    }
    return place(buf, patch.pic, x - radius, y - radius, softening);
}

int CLxFilterBuf::Rectangle(SLxFilterBuf* buf, uint32_t left, uint32_t top, uint32_t right,
                            uint32_t bottom, uint32_t softening)
{
    if (!usable(buf))
        return -9;
    if (right < left || bottom < top || int64_t(right) > int64_t(buf->uiWidth) - 1 ||
        int64_t(bottom) > int64_t(buf->uiHeight) - 1)
        return -9;
    const uint32_t w = right - left, h = bottom - top;
    if (w == 0 || h == 0)
        return Clear(buf);
    PatchHolder patch;
    if (CLxPicBufAPI::Reinit(&patch.pic, w, h, 0, 8, 1, true) != 0)
        return -3;
    const uint32_t m = softening >= 2 ? softening / 2 - 1 : 0;
    if (2 * uint64_t(m) < w && 2 * uint64_t(m) < h)
        for (uint32_t j = m; j < h - m; ++j)
            std::memset(static_cast<uint8_t*>(patch.pic.pData) +
                            size_t(j) * patch.pic.uiWidthBytes + m,
                        255, w - 2 * m);
    return place(buf, patch.pic, left, top, softening);
}

int CLxFilterBuf::CircleCut(SLxFilterBuf* buf, uint32_t x, uint32_t y, uint32_t radius,
                            uint32_t innerRadius, double angle1, double angle2, uint32_t softening)
{
    if (!usable(buf) || !std::isfinite(angle1) || !std::isfinite(angle2))
        return -9;
    if (!squareInside(*buf, x, y, radius))
        return -9;
    if (radius == 0)
        return Clear(buf);
    double a1 = fullTurn(angle1), a2 = fullTurn(angle2);
    if (a1 > a2)
        std::swap(a1, a2);
    const double span = a2 - a1;
    const double half = span < 180.0 ? span / 2 : (span - 180.0) / 2;
    const double middle = span < 180.0 ? (a1 + a2) / 2 : (a1 + a2 - 180.0) / 2;
    const double cut = double(int64_t(radius) - (softening ? 1 : 0) - int64_t(softening / 2));

    PatchHolder patch, turned;
    if (CLxPicBufAPI::Reinit(&patch.pic, 2 * radius, 2 * radius, 0, 8, 1, true) != 0 ||
        CLxPicBufAPI::Reinit(&turned.pic, 2 * radius, 2 * radius, 0, 8, 1, true) != 0)
        return -3;
    paintWedges(patch.pic, 90.0 - half / 2, 90.0 + half / 2, cut, innerRadius);
    if (soften(patch.pic, softening) != 0)
        return -3;
    const uint8_t background = 0;
    const uint32_t side = 2 * radius;
    if (CLxPicMemAPI::Rotate(turned.pic.pData, turned.pic.uiWidthBytes, side, side * side,
                             patch.pic.pData, patch.pic.uiWidthBytes, side, side * side, 1, 8,
                             middle - 90.0, &background, CLxPicMemAPI::eLxStretchNearest,
                             false) != 0)
        return -3;
    put(buf, turned.pic, x - radius, y - radius);
    return 0;
}
