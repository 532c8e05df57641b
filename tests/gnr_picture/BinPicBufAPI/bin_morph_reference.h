// A pixel-by-pixel reference of the binary structuring elements: every step
// reads source pixels with both coordinates clamped to the picture.
#pragma once

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace binref
{

using Offsets = std::vector<std::pair<int, int>>;
using Pixels = std::vector<uint8_t>; // 0/1, line after line

inline Pixels Step(const Pixels& s, int w, int h, const Offsets& element, bool erode)
{
    Pixels d(s.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            bool all = true, any = false;
            for (auto [dx, dy] : element) {
                int sx = std::clamp(x + dx, 0, w - 1), sy = std::clamp(y + dy, 0, h - 1);
                bool v = s[static_cast<size_t>(sy) * w + sx] != 0;
                all = all && v;
                any = any || v;
            }
            d[static_cast<size_t>(y) * w + x] = (erode ? all : any) ? 1 : 0;
        }
    return d;
}

inline Offsets Square(int lo, int hi)
{
    Offsets o;
    for (int dy = lo; dy <= hi; ++dy)
        for (int dx = lo; dx <= hi; ++dx)
            o.emplace_back(dx, dy);
    return o;
}

inline Offsets Cross()
{
    return {{0, 0}, {-1, 0}, {1, 0}, {0, -1}, {0, 1}};
}

enum class Element { Square3, Square2, Oct4, Oct5, Cross, Line000, Line045, Line090, Line135 };

// One pass of an element: its steps in order.
inline std::vector<Offsets> Steps(Element e, bool flag)
{
    Offsets two = flag ? Square(-1, 0) : Square(0, 1);
    switch (e) {
    case Element::Square3:
        return {Square(-1, 1)};
    case Element::Square2:
        return {two};
    case Element::Oct4:
        return {two, Cross()};
    case Element::Oct5:
        return {Square(-1, 1), Cross()};
    case Element::Cross:
        return {Cross()};
    case Element::Line000:
        return {{{-1, 0}, {0, 0}, {1, 0}}};
    case Element::Line045:
        return {{{-1, 1}, {0, 0}, {1, -1}}};
    case Element::Line090:
        return {{{0, -1}, {0, 0}, {0, 1}}};
    case Element::Line135:
        return {{{-1, -1}, {0, 0}, {1, 1}}};
    }
    return {};
}

inline bool HasFlag(Element e)
{
    return e == Element::Square2 || e == Element::Oct4;
}

inline uint32_t Cap(Element e, uint32_t w, uint32_t h)
{
    uint32_t larger = std::max(w, h);
    switch (e) {
    case Element::Square3:
    case Element::Square2:
        return larger;
    case Element::Line000:
        return w / 2;
    case Element::Line090:
        return h / 2;
    default:
        return larger / 2;
    }
}

// n passes, the flag alternating from the given one.
inline Pixels Repeat(Pixels p, int w, int h, Element e, bool erode, uint32_t n, bool flag)
{
    for (uint32_t k = 0; k < n; ++k)
        for (const Offsets& step : Steps(e, k % 2 == 0 ? flag : !flag))
            p = Step(p, w, h, step, erode);
    return p;
}

} // namespace binref
