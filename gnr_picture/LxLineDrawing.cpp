// Line, circle and ellipse walks that hand every pixel to the caller's
// function.
#include "gnr_picture/LxLineDrawing.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "w32_system/memory/LxAlloc.h"

namespace
{

// Tables of large radii would not fit the address space of a walk worth
// taking; the terms of the ellipse (a^2 b) stay far inside 64 bits.
constexpr int64_t kLargestRadius = int64_t(1) << 20;

// x + d in the wrapping arithmetic of 32-bit integers: nothing is clipped,
// and a walk near the ends of the range must not overflow.
int shifted(int x, int64_t d)
{
    return int(uint32_t(x) + uint32_t(d));
}

// One octant (or flat part) of a curve: entries (a, b) in walking order.
// Small tables stay on the stack, larger ones come from the heap; the walk
// calls back into the caller, which may itself draw, so nothing is shared.
class PairTable
{
  public:
    explicit PairTable(int64_t capacity) : m_capacity(capacity)
    {
        if (capacity > kInline) {
            m_heap = static_cast<int32_t*>(CLxAlloc::Alloc(0, size_t(capacity) * 2 * 4));
            m_pairs = m_heap;
        }
    }
    ~PairTable() { CLxAlloc::Free(m_heap); }
    PairTable(const PairTable&) = delete;
    PairTable& operator=(const PairTable&) = delete;

    bool valid() const { return m_pairs != nullptr; }
    int64_t size() const { return m_size; }
    void push(int64_t a, int64_t b)
    {
        if (m_size == m_capacity)
            return;
        m_pairs[2 * m_size] = int32_t(a);
        m_pairs[2 * m_size + 1] = int32_t(b);
        ++m_size;
    }
    void pop()
    {
        if (m_size > 0)
            --m_size;
    }
    int32_t a(int64_t i) const { return m_pairs[2 * i]; }
    int32_t b(int64_t i) const { return m_pairs[2 * i + 1]; }

  private:
    static constexpr int64_t kInline = 512;
    int32_t m_inline[2 * kInline];
    int32_t* m_heap = nullptr;
    int32_t* m_pairs = m_inline;
    int64_t m_capacity;
    int64_t m_size = 0;
};

// The circle's octant from the bottom point: (i, radius at i), i = 0, 1, ...
// while i stays below the shrinking radius.
void circleOctant(int64_t r, bool four, PairTable& t)
{
    int64_t d = 1 - 2 * r;
    for (int64_t i = 0; i < r; ++i) {
        const int64_t before = r;
        if (d >= 0) {
            --r;
            d += 4 - 4 * r;
        }
        d += 2 + 4 * i;
        if (four && r != before)
            t.push(i, before);
        t.push(i, r);
    }
}

// The flat part of an ellipse with radius a along the stepping axis and b
// across it: (x, y) for x = 0, 1, ... while the slope stays below one
// (b^2 x < a^2 y). y steps down where the midpoint (x, y - 1/2) lies outside
// the ellipse, tested exactly in 128 bits: an incremental error term with
// rounded constants drifts by pixels on narrow ellipses.
void ellipseFlatPart(int64_t a, int64_t b, bool four, PairTable& t)
{
    const __int128 a2 = __int128(a) * a, b2 = __int128(b) * b;
    int64_t y = b;
    for (int64_t x = 0; b2 * x < a2 * y; ++x) {
        const int64_t before = y;
        const __int128 twoY = 2 * __int128(y) - 1;
        if (4 * b2 * x * x + a2 * twoY * twoY - 4 * a2 * b2 > 0)
            --y;
        if (four && y != before)
            t.push(x, before);
        t.push(x, y);
    }
}

// Where the flat part of a quadrant ends and the steep part begins, the two
// need not touch: the walks stop at their own slope test, which leaves gaps
// on narrow ellipses, and a four-connected circle turns its octant corner
// diagonally. The pixels of a line between the two ends close the gap;
// they go to the end of the flat table, so every mirrored quadrant gets
// them.
void bridge(PairTable& flat, const PairTable& steep, bool four)
{
    if (flat.size() == 0 || steep.size() == 0)
        return;
    const int64_t fx = flat.a(flat.size() - 1), fy = flat.b(flat.size() - 1);
    const int64_t sx = steep.b(steep.size() - 1), sy = steep.a(steep.size() - 1);
    const int64_t dx = std::llabs(sx - fx), dy = std::llabs(sy - fy);
    if (four ? dx + dy <= 1 : std::max(dx, dy) <= 1)
        return;
    struct Collect {
        PairTable* table;
        int64_t calls = 0;
        static bool add(int x, int y, void* c)
        {
            auto* self = static_cast<Collect*>(c);
            if (self->calls++ > 0)
                self->table->push(x, y);
            return true;
        }
    } collect{&flat};
    CLxLineDrawingAPI::Line(int(fx), int(fy), int(sx), int(sy), four, Collect::add, &collect);
    flat.pop(); // the steep part's own first pixel
}

struct Walk {
    int cx, cy;
    LxPixelFunction fn;
    void* context;

    // Calls fn for (cx + sx u, cy + sy v) over the entries (u, v) = (a, b)
    // or (b, a) of the table, forward or backward.
    bool pass(const PairTable& t, bool forward, bool swap, int sx, int sy) const
    {
        const int64_t n = t.size();
        for (int64_t k = 0; k < n; ++k) {
            const int64_t i = forward ? k : n - 1 - k;
            const int64_t u = swap ? t.b(i) : t.a(i);
            const int64_t v = swap ? t.a(i) : t.b(i);
            if (!fn(shifted(cx, sx * u), shifted(cy, sy * v), context))
                return false;
        }
        return true;
    }
};

// Quadrants from the table of the flat part near the bottom and top
// (flat) and the one near the left and right (steep, entries (y, x)); a
// circle passes its octant as both.
bool drawQuadrants(const Walk& w, const PairTable& flat, const PairTable& steep, int first,
                   int count)
{
    for (int q = 0; q < 4; ++q) {
        if (int64_t(q) < first || int64_t(q) >= int64_t(first) + count)
            continue;
        bool ok = true;
        switch (q) {
        case 0: // bottom to right
            ok = w.pass(flat, true, false, 1, 1) && w.pass(steep, false, true, 1, 1);
            break;
        case 1: // right to top
            ok = w.pass(steep, true, true, 1, -1) && w.pass(flat, false, false, 1, -1);
            break;
        case 2: // top to left
            ok = w.pass(flat, true, false, -1, -1) && w.pass(steep, false, true, -1, -1);
            break;
        default: // left to bottom
            ok = w.pass(steep, true, true, -1, 1) && w.pass(flat, false, false, -1, 1);
            break;
        }
        if (!ok)
            return false;
    }
    return true;
}

// A line's walk along its major axis: L steps there, m across.
struct LineSteps {
    int major, minor;
    int majorStep, minorStep;
    int64_t L, m;
};

// The walk of one line, compiled once per major axis and connectivity so
// that the pixel loop holds nothing but the error term and the call.
template <bool YMajor, bool Four>
bool walkLine(const LineSteps& s, LxPixelFunction fn, void* context)
{
    int major = s.major, minor = s.minor;
    const int majorStep = s.majorStep, minorStep = s.minorStep;
    const int64_t L = s.L, m = s.m, half = L / 2;
    auto call = [fn, context](int maj, int min) {
        return YMajor ? fn(min, maj, context) : fn(maj, min, context);
    };
    if (m == L) {
        // 45 degrees: the minor coordinate moves after every pixel.
        for (int64_t k = 0;; ++k) {
            if (!call(major, minor))
                return false;
            if (k == L)
                return true;
            minor += minorStep;
            if (Four && !call(major, minor))
                return false;
            major += majorStep;
        }
    }
    int64_t e = 0;
    bool mayStep = true;
    for (int64_t k = 0;; ++k) {
        if (!call(major, minor))
            return false;
        e += m;
        const bool step = mayStep && e > half;
        if (Four) {
            if (step) {
                minor += minorStep;
                if (!call(major, minor))
                    return false;
            }
        } else {
            minor += step ? minorStep : 0;
        }
        const bool wrap = e > L;
        mayStep = (mayStep && !step) || wrap;
        e -= wrap ? L : 0;
        if (k == L)
            return true;
        major += majorStep;
    }
}

} // namespace

bool CLxLineDrawingAPI::Line(int x0, int y0, int x1, int y1, bool fourConnected, LxPixelFunction fn,
                             void* context)
{
    if (!fn)
        return false;
    const int64_t dx = int64_t(x1) - x0, dy = int64_t(y1) - y0;
    if (dx == 0 && dy == 0)
        return fn(x0, y0, context);
    const bool yMajor = std::llabs(dx) <= std::llabs(dy);
    const LineSteps s{yMajor ? y0 : x0,
                      yMajor ? x0 : y0,
                      (yMajor ? dy : dx) > 0 ? 1 : -1,
                      (yMajor ? dx : dy) >= 1 ? 1 : -1,
                      std::llabs(yMajor ? dy : dx),
                      std::llabs(yMajor ? dx : dy)};
    if (yMajor)
        return fourConnected ? walkLine<true, true>(s, fn, context)
                             : walkLine<true, false>(s, fn, context);
    return fourConnected ? walkLine<false, true>(s, fn, context)
                         : walkLine<false, false>(s, fn, context);
}

bool CLxLineDrawingAPI::Circle(int cx, int cy, int radius, bool fourConnected, LxPixelFunction fn,
                               void* context)
{
    return CircleQuadrant(cx, cy, radius, 0, 4, fourConnected, fn, context);
}

bool CLxLineDrawingAPI::CircleQuadrant(int cx, int cy, int radius, int firstQuadrant,
                                       int quadrantCount, bool fourConnected, LxPixelFunction fn,
                                       void* context)
{
    if (!fn)
        return false;
    if (radius <= 0)
        return true;
    if (radius > kLargestRadius)
        return false;
    // At most r steps and r radius decreases; the flat copy may gain the
    // one pixel that joins a four-connected octant to its mirror.
    PairTable octant(2 * int64_t(radius) + 2);
    PairTable flat(2 * int64_t(radius) + 8);
    if (!octant.valid() || !flat.valid())
        return false;
    circleOctant(radius, fourConnected, octant);
    circleOctant(radius, fourConnected, flat);
    bridge(flat, octant, fourConnected);
    return drawQuadrants(Walk{cx, cy, fn, context}, flat, octant, firstQuadrant, quadrantCount);
}

bool CLxLineDrawingAPI::Ellipse(int cx, int cy, int radiusX, int radiusY, bool fourConnected,
                                LxPixelFunction fn, void* context)
{
    return EllipseQuadrant(cx, cy, radiusX, radiusY, 0, 4, fourConnected, fn, context);
}

bool CLxLineDrawingAPI::EllipseQuadrant(int cx, int cy, int radiusX, int radiusY, int firstQuadrant,
                                        int quadrantCount, bool fourConnected, LxPixelFunction fn,
                                        void* context)
{
    if (!fn)
        return false;
    if (radiusX <= 0 || radiusY <= 0)
        return true;
    if (radiusX > kLargestRadius || radiusY > kLargestRadius)
        return false;
    // Each part steps at most its radius along and its radius across; the
    // flat part may gain as much again joining the steep part.
    PairTable flat(4 * (int64_t(radiusX) + radiusY) + 8);
    PairTable steep(2 * (int64_t(radiusX) + radiusY) + 4);
    if (!flat.valid() || !steep.valid())
        return false;
    ellipseFlatPart(radiusX, radiusY, fourConnected, flat);
    ellipseFlatPart(radiusY, radiusX, fourConnected, steep);
    bridge(flat, steep, fourConnected);
    return drawQuadrants(Walk{cx, cy, fn, context}, flat, steep, firstQuadrant, quadrantCount);
}
