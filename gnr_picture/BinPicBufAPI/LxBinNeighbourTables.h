// The 3 x 3 neighbourhood rules of thinning, thickening, pruning and zones
// of influence as data: a pixel's eight neighbours make one code (a bit a
// neighbour that counts as set) and each rule is a 256-entry table or a
// (must-set, must-clear) mask pair over that code.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace lx_bin
{

// One bit a neighbour, clockwise from north.
enum : uint8_t {
    kN = 1,
    kNE = 2,
    kE = 4,
    kSE = 8,
    kS = 16,
    kSW = 32,
    kW = 64,
    kNW = 128,
};

constexpr bool Has(uint32_t code, uint32_t bits)
{
    return (code & bits) == bits;
}

constexpr bool HasNone(uint32_t code, uint32_t bits)
{
    return (code & bits) == 0;
}

// Changes between set and clear around a closed ring of neighbour bits.
template <size_t N> constexpr int RingChanges(uint32_t code, const uint8_t (&ring)[N])
{
    int changes = 0;
    for (size_t i = 0; i < N; ++i)
        changes += ((code & ring[i]) != 0) != ((code & ring[(i + 1) % N]) != 0);
    return changes;
}

// Peeling: exactly two changes around N, W, S, E and no neighbour that only
// p keeps attached (a set side with both diagonal flanks clear, or a set
// diagonal with both its sides clear).
constexpr bool RemovableRule(uint32_t c)
{
    constexpr uint8_t sides[] = {kN, kW, kS, kE};
    if (RingChanges(c, sides) != 2)
        return false;
    const bool keep = (Has(c, kN) && HasNone(c, kNW | kNE)) || (Has(c, kS) && HasNone(c, kSW | kSE)) ||
                      (Has(c, kE) && HasNone(c, kNE | kSE)) || (Has(c, kW) && HasNone(c, kNW | kSW)) ||
                      (Has(c, kNW) && HasNone(c, kN | kW)) || (Has(c, kNE) && HasNone(c, kN | kE)) ||
                      (Has(c, kSE) && HasNone(c, kS | kE)) || (Has(c, kSW) && HasNone(c, kS | kW));
    return !keep;
}

// Growth: two changes around the ring N, NW', W, SW', S, SE', E, NE', a clear
// diagonal standing for the side neighbour after it.
constexpr bool AddableRule(uint32_t c)
{
    const auto sub = [c](uint8_t diagonal, uint8_t side) {
        return (c & diagonal) ? diagonal : side;
    };
    const uint8_t ring[] = {kN, sub(kNW, kW), kW, sub(kSW, kS), kS, sub(kSE, kE), kE, sub(kNE, kN)};
    return RingChanges(c, ring) == 2;
}

// At least six changes around all eight neighbours.
constexpr bool JunctionRule(uint32_t c)
{
    constexpr uint8_t ring[] = {kNW, kN, kNE, kE, kSE, kS, kSW, kW};
    return RingChanges(c, ring) >= 6;
}

// The sides s whose five neighbours away from s are all clear in c (s's
// diagonal flanks may hold anything), and c itself when it is one diagonal
// alone. A pixel is a line end when its set code meets this mask of its
// non-zero code: one side with any of its flanks, or one lone diagonal.
constexpr uint8_t LineEndRule(uint32_t c)
{
    uint8_t sides = 0;
    if (HasNone(c, kW | kSW | kS | kSE | kE))
        sides |= kN;
    if (HasNone(c, kW | kNW | kN | kNE | kE))
        sides |= kS;
    if (HasNone(c, kN | kNW | kW | kSW | kS))
        sides |= kE;
    if (HasNone(c, kN | kNE | kE | kSE | kS))
        sides |= kW;
    if (c == kNE || c == kSE || c == kSW || c == kNW)
        sides |= uint8_t(c);
    return sides;
}

// A set pixel on an inner corner of a two-pixel-thick step.
constexpr bool CornerStepRule(uint32_t c)
{
    if (Has(c, kN | kW | kS | kE))
        return false;
    return (Has(c, kN | kW) && HasNone(c, kSE)) || (Has(c, kW | kS) && HasNone(c, kNE)) ||
           (Has(c, kS | kE) && HasNone(c, kNW)) || (Has(c, kE | kN) && HasNone(c, kSW));
}

template <class Rule> constexpr std::array<uint8_t, 256> MakeTable(Rule rule)
{
    std::array<uint8_t, 256> t{};
    for (uint32_t c = 0; c < 256; ++c)
        t[c] = uint8_t(rule(c));
    return t;
}

inline constexpr std::array<uint8_t, 256> kRemovable = MakeTable(RemovableRule);
inline constexpr std::array<uint8_t, 256> kAddable = MakeTable(AddableRule);
inline constexpr std::array<uint8_t, 256> kJunction = MakeTable(JunctionRule);
inline constexpr std::array<uint8_t, 256> kLineEnd = MakeTable(LineEndRule);
inline constexpr std::array<uint8_t, 256> kCornerStep = MakeTable(CornerStepRule);

// A hit-or-miss template: the neighbours that must be set and those that
// must be clear.
struct HitMiss {
    uint8_t set;
    uint8_t clear;
    constexpr bool Matches(uint32_t c) const { return Has(c, set) && HasNone(c, clear); }
};

inline constexpr HitMiss kPruningTemplates[8] = {
    {kN, kW | kE | kSW | kS | kSE}, {0, kNW | kW | kSW | kS | kSE},
    {kE, kNW | kN | kW | kSW | kS}, {0, kNW | kN | kNE | kW | kSW},
    {kS, kNW | kN | kNE | kW | kE}, {0, kNW | kN | kNE | kE | kSE},
    {kW, kN | kNE | kE | kS | kSE}, {0, kNE | kE | kSW | kS | kSE},
};

inline constexpr HitMiss kThinningTemplates[8] = {
    {kSW | kS | kSE, kNW | kN | kNE}, {kW | kSW | kS, kN | kE},
    {kNW | kW | kSW, kNE | kE | kSE}, {kNW | kN | kW, kE | kS},
    {kNW | kN | kNE, kSW | kS | kSE}, {kN | kNE | kE, kW | kS},
    {kNE | kE | kSE, kNW | kW | kSW}, {kE | kS | kSE, kN | kW},
};

inline constexpr HitMiss kEndRemovalTemplates[4] = {
    {0, kN | kW | kE},
    {0, kN | kE | kS},
    {0, kW | kE | kS},
    {0, kN | kW | kS},
};

// A one-pixel bump on a straight line, seen from the clear pixel p below
// (or beside) it: p's code must be exactly `code`, the three pixels two
// steps beyond p (offsets in x, y from p) clear; then p is set and the
// bump pixel (at bumpDx, bumpDy) cleared.
struct Bump {
    uint8_t code;
    int8_t extra[3][2];
    int8_t bumpDx, bumpDy;
};

inline constexpr Bump kBumps[4] = {
    {kW | kN | kE, {{-1, -2}, {0, -2}, {1, -2}}, 0, -1},
    {kW | kS | kE, {{-1, 2}, {0, 2}, {1, 2}}, 0, 1},
    {kN | kS | kE, {{2, -1}, {2, 0}, {2, 1}}, 1, 0},
    {kN | kS | kW, {{-2, -1}, {-2, 0}, {-2, 1}}, -1, 0},
};

// Neighbour offsets (dx, dy) and bits in the order the successor search of
// spur removal and of the line-end walk tries them.
struct Step {
    int8_t dx, dy;
    uint8_t bit;
};

inline constexpr Step kSuccessorOrder[8] = {
    {1, -1, kNE}, {0, -1, kN}, {-1, -1, kNW}, {-1, 0, kW},
    {1, 0, kE},   {-1, 1, kSW}, {0, 1, kS},   {1, 1, kSE},
};

// The outward direction in degrees of a line end whose neighbour is at the
// given place, in the order where the last set one counts.
struct EndDirection {
    uint8_t bit;
    int16_t degrees;
};

inline constexpr EndDirection kEndDirections[8] = {
    {kNW, 45}, {kN, 90}, {kNE, 135}, {kW, 0}, {kE, 180}, {kSW, 315}, {kS, 270}, {kSE, 225},
};

// The code of the pixel at p in a picture of stride w samples, a bit for
// each neighbour for which set(value) holds.
template <class T, class Set> inline uint32_t NeighbourCode(const T* p, ptrdiff_t w, Set set)
{
    return uint32_t(set(p[-w])) * kN | uint32_t(set(p[-w + 1])) * kNE | uint32_t(set(p[1])) * kE |
           uint32_t(set(p[w + 1])) * kSE | uint32_t(set(p[w])) * kS | uint32_t(set(p[w - 1])) * kSW |
           uint32_t(set(p[-1])) * kW | uint32_t(set(p[-w - 1])) * kNW;
}

inline uint32_t NonZeroCode(const uint16_t* p, ptrdiff_t w)
{
    return NeighbourCode(p, w, [](uint16_t v) { return v != 0; });
}

inline uint32_t FullCode(const uint16_t* p, ptrdiff_t w)
{
    return NeighbourCode(p, w, [](uint16_t v) { return v == 65535; });
}

// The offset of a neighbour bit in a picture of stride w samples.
inline ptrdiff_t BitOffset(uint32_t bit, ptrdiff_t w)
{
    switch (bit) {
    case kN:
        return -w;
    case kNE:
        return -w + 1;
    case kE:
        return 1;
    case kSE:
        return w + 1;
    case kS:
        return w;
    case kSW:
        return w - 1;
    case kW:
        return -1;
    default:
        return -w - 1;
    }
}

} // namespace lx_bin
