// A straight line drawn into an 8-bit gray or colour picture, clipped to it.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/picmemAPI/LxPicMemLoops.h"

namespace
{

// 64-bit coordinates: differences of 32-bit end points do not overflow.
struct Point {
    int64_t x;
    int64_t y;
};

enum Outcode : uint32_t { kLeft = 1, kRight = 2, kBelow = 4, kAbove = 8 };

uint32_t outcode(const Point& p, int64_t width, int64_t height)
{
    uint32_t code = 0;
    if (p.y < 0)
        code |= kAbove;
    else if (p.y > height - 1)
        code |= kBelow;
    if (p.x > width - 1)
        code |= kRight;
    else if (p.x < 0)
        code |= kLeft;
    return code;
}

// The coordinate where the segment from (a0, b0) to (a1, b1) reaches
// b = border, truncated. The result lies between a0 and a1.
int64_t crossing(int64_t a0, int64_t b0, int64_t a1, int64_t b1, int64_t border)
{
    return a0 + int64_t(double(a1 - a0) * double(border - b0) / double(b1 - b0));
}

// Moves the end points outside the picture along the line onto its borders
// (Cohen-Sutherland). False when the line lies wholly outside.
bool clipToPicture(Point& a, Point& b, int64_t width, int64_t height)
{
    uint32_t codeA = outcode(a, width, height);
    uint32_t codeB = outcode(b, width, height);
    // Every round puts one end point on a border; a few rounds settle any
    // line, the bound only keeps a rounding surprise from looping.
    for (int round = 0; round < 16; ++round) {
        if ((codeA | codeB) == 0)
            return true;
        if (codeA & codeB)
            return false;
        const bool moveA = codeA != 0;
        Point& p = moveA ? a : b;
        const Point& q = moveA ? b : a;
        const uint32_t code = moveA ? codeA : codeB;
        if (code & kAbove) {
            p.x = crossing(p.x, p.y, q.x, q.y, 0);
            p.y = 0;
        } else if (code & kBelow) {
            p.x = crossing(p.x, p.y, q.x, q.y, height - 1);
            p.y = height - 1;
        } else if (code & kRight) {
            p.y = crossing(p.y, p.x, q.y, q.x, width - 1);
            p.x = width - 1;
        } else {
            p.y = crossing(p.y, p.x, q.y, q.x, 0);
            p.x = 0;
        }
        (moveA ? codeA : codeB) = outcode(p, width, height);
    }
    return false;
}

class LinePainter
{
  public:
    LinePainter(void* data, uint32_t comps, uint32_t pitch, uint32_t color)
        : m_data(data), m_comps(comps), m_pitch(pitch), m_color(color)
    {
    }
    void set(int64_t x, int64_t y) const
    {
        CLxPicMemAPI::SetColor(m_data, uint32_t(x), uint32_t(y), m_comps, 8, m_pitch, m_color);
    }

  private:
    void* m_data;
    uint32_t m_comps;
    uint32_t m_pitch;
    uint32_t m_color;
};

// The truncated coordinate of a real one held inside 0 to extent - 0.01.
int64_t cell(double v, int64_t extent)
{
    return int64_t(std::clamp(v, 0.0, double(extent) - 0.01));
}

// A line that is neither horizontal nor vertical, one pixel a step along its
// longer axis. With fourConnected, a diagonal step also sets the pixel that
// joins the two through an edge: the previous position along the stepping
// axis and the new one across it.
void drawSloped(const LinePainter& paint, Point a, Point b, int64_t width, int64_t height,
                bool fourConnected)
{
    const double m = double(b.y - a.y) / double(b.x - a.x);
    const double c = double(a.y) - m * double(a.x);
    const bool alongX = std::fabs(m) < 1.0;
    const int64_t from = alongX ? a.x : a.y;
    const int64_t to = alongX ? b.x : b.y;
    const int64_t step = from <= to ? 1 : -1;
    Point previous{-100, -100};
    for (int64_t t = from;; t += step) {
        const Point p = alongX ? Point{t, cell(m * double(t) + c, height)}
                               : Point{cell((double(t) - c) / m, width), t};
        if (fourConnected && std::abs(p.x - previous.x) == 1 && std::abs(p.y - previous.y) == 1)
            paint.set(alongX ? previous.x : p.x, alongX ? p.y : previous.y);
        paint.set(p.x, p.y);
        previous = p;
        if (t == to)
            break;
    }
}

} // namespace

int CLxPicMemAPI::Line(void* data, uint32_t comps, uint32_t bits, uint32_t pitch, uint32_t width,
                       uint32_t count, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                       uint32_t connectivity, uint32_t color)
{
    if (bits != 8 || (comps != 1 && comps != 3))
        return -2;
    const uint32_t height = lxpic::lineCount(width, count);
    if (height == 0)
        return 0;
    if (!data)
        return -4;
    Point a{x1, y1};
    Point b{x2, y2};
    if (!clipToPicture(a, b, width, height))
        return 0;
    const LinePainter paint(data, comps, pitch, color);
    paint.set(a.x, a.y);
    paint.set(b.x, b.y);
    if (a.y == b.y) {
        const int64_t last = std::min<int64_t>(std::max(a.x, b.x), width - 1);
        for (int64_t x = std::max<int64_t>(std::min(a.x, b.x), 0); x <= last; ++x)
            paint.set(x, a.y);
    } else if (a.x == b.x) {
        const int64_t last = std::min<int64_t>(std::max(a.y, b.y), height - 1);
        for (int64_t y = std::max<int64_t>(std::min(a.y, b.y), 0); y <= last; ++y)
            paint.set(a.x, y);
    } else {
        drawSloped(paint, a, b, width, height, connectivity != 8);
    }
    return 0;
}
