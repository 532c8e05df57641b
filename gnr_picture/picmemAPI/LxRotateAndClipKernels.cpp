// Rotate and clip of three-byte colour pictures: a piece of a larger picture
// turned about the larger picture's centre, in double precision.
#include <cmath>
#include <cstring>

#include "gnr_picture/picmemAPI/LxRotateInternal.h"

namespace
{

constexpr double kDegree = 0.017453292519943334;
constexpr uint8_t kMarked[3] = {128, 128, 128};

// The piece within the larger picture, in its coordinates.
struct Piece {
    const uint8_t* data;
    size_t pitch;
    double left, top;     // first column and line
    double right, bottom; // one past the last
    int64_t left64, top64;

    const uint8_t* pixel(int64_t x, int64_t y) const
    {
        return data + size_t(y - top64) * pitch + size_t(x - left64) * 3;
    }
};

// Position of destination pixel (0, 0) and the steps, in the larger picture.
struct Walk {
    double x0, y0;
    double pixelX, pixelY;
    double lineX, lineY;
};

Walk walkOf(const SLxClipGeometry& g)
{
    const double a = g.angle * kDegree;
    const double b = (90.0 - g.angle) * kDegree;
    const double fullW = double(int64_t(g.left) + g.clipWidth + g.right);
    const double fullH = double(int64_t(g.top) + g.clipHeight + g.bottom);
    const double n = g.pixels;
    const double h = g.centreHeight;
    Walk w;
    w.pixelX = std::cos(a);
    w.pixelY = std::sin(a);
    w.lineX = -std::cos(b);
    w.lineY = std::sin(b);
    w.x0 = fullW / 2.0 - n / 2.0 * std::cos(a) + h / 2.0 * std::cos(b) + g.shiftX;
    w.y0 = fullH / 2.0 - n / 2.0 * std::sin(a) - h / 2.0 * std::sin(b) + g.shiftY;
    return w;
}

Piece pieceOf(const void* src, uint32_t srcWB, const SLxClipGeometry& g)
{
    Piece p;
    p.data = static_cast<const uint8_t*>(src);
    p.pitch = srcWB;
    p.left64 = g.left;
    p.top64 = g.top;
    p.left = double(g.left);
    p.top = double(g.top);
    p.right = double(int64_t(g.left) + g.clipWidth);
    p.bottom = double(int64_t(g.top) + g.clipHeight);
    return p;
}

// Nearest: the pixel at the position truncated toward zero.
bool nearestPixel(uint8_t* out, const Piece& piece, double x, double y)
{
    const double tx = std::trunc(x);
    const double ty = std::trunc(y);
    if (!(tx >= piece.left && tx < piece.right && ty >= piece.top && ty < piece.bottom))
        return false;
    std::memcpy(out, piece.pixel(int64_t(tx), int64_t(ty)), 3);
    return true;
}

// Bilinear: the four pixels around the position; a missing one takes its
// partner in the same line or column. Nothing without a column or a line
// inside.
bool linearPixel(uint8_t* out, const Piece& piece, double x, double y)
{
    const double fx0 = std::floor(x);
    const double fy0 = std::floor(y);
    const bool c0 = fx0 >= piece.left && fx0 < piece.right;
    const bool c1 = fx0 + 1.0 >= piece.left && fx0 + 1.0 < piece.right;
    const bool l0 = fy0 >= piece.top && fy0 < piece.bottom;
    const bool l1 = fy0 + 1.0 >= piece.top && fy0 + 1.0 < piece.bottom;
    if (!(c0 || c1) || !(l0 || l1))
        return false;
    const double fx = x - fx0;
    const double fy = y - fy0;
    const int64_t xi = int64_t(fx0);
    const int64_t yi = int64_t(fy0);
    const int64_t xa = c0 ? xi : xi + 1; // the column that stands in
    const int64_t xb = c1 ? xi + 1 : xi;
    const int64_t ya = l0 ? yi : yi + 1;
    const int64_t yb = l1 ? yi + 1 : yi;
    const uint8_t* ul = piece.pixel(xa, ya);
    const uint8_t* ur = piece.pixel(xb, ya);
    const uint8_t* ll = piece.pixel(xa, yb);
    const uint8_t* lr = piece.pixel(xb, yb);
    for (int k = 0; k < 3; ++k) {
        const double v =
            (ll[k] * (1.0 - fx) + lr[k] * fx) * fy + (ul[k] * (1.0 - fx) + ur[k] * fx) * (1.0 - fy);
        out[k] = uint8_t(v);
    }
    return true;
}

template <bool Linear>
int rotateAndClip(void* dst, void* mask, uint32_t dstWB, uint32_t maskWidth, const void* src,
                  uint32_t srcWB, const SLxClipGeometry& g)
{
    auto* d = static_cast<uint8_t*>(dst);
    auto* m = static_cast<uint8_t*>(mask);
    if (m) {
        for (uint32_t y = 0; y < g.lines; ++y)
            std::memset(m + size_t(y) * dstWB, 0, size_t(maskWidth) * 3);
    }
    const Piece piece = pieceOf(src, srcWB, g);
    const Walk w = walkOf(g);
    double lineX = w.x0;
    double lineY = w.y0;
    for (uint32_t y = 0; y < g.lines; ++y, lineX += w.lineX, lineY += w.lineY) {
        uint8_t* out = d + size_t(y) * dstWB;
        uint8_t* marks = m ? m + size_t(y) * dstWB : nullptr;
        double x = lineX;
        double yy = lineY;
        for (uint32_t i = 0; i < g.pixels; ++i, x += w.pixelX, yy += w.pixelY) {
            const bool drawn = Linear ? linearPixel(out + i * 3, piece, x, yy)
                                      : nearestPixel(out + i * 3, piece, x, yy);
            if (drawn && marks)
                std::memcpy(marks + i * 3, kMarked, 3);
        }
    }
    return 0;
}

} // namespace

int rotateandclip_linear(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                         const SLxClipGeometry& g)
{
    return rotateAndClip<true>(dst, nullptr, dstWB, 0, src, srcWB, g);
}

int rotateandclip_nearest(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                          const SLxClipGeometry& g)
{
    return rotateAndClip<false>(dst, nullptr, dstWB, 0, src, srcWB, g);
}

int rotateandclip_linear_dual(void* dst, void* mask, uint32_t dstWB, uint32_t maskWidth,
                              const void* src, uint32_t srcWB, const SLxClipGeometry& g)
{
    return rotateAndClip<true>(dst, mask, dstWB, maskWidth, src, srcWB, g);
}

int rotateandclip_nearest_dual(void* dst, void* mask, uint32_t dstWB, uint32_t maskWidth,
                               const void* src, uint32_t srcWB, const SLxClipGeometry& g)
{
    return rotateAndClip<false>(dst, mask, dstWB, maskWidth, src, srcWB, g);
}
