// The table builders of arithmetic with constants (calcluts, rotate,
// min and max): one value rule each, written by one loop over the entries
// of a flat table or of one component of a row table.
#pragma once

#include <cmath>
#include <cstdint>

#include "gnr_picture/lut/LxLutAccess.h"
#include "gnr_picture/picmemAPI/LxPicMemLoops.h"

namespace lxpic
{

// Entry i of a flat table of samples D.
template <class D> struct FlatEntries {
    uint8_t* table;
    uint8_t* operator[](uint32_t i) const { return table + size_t(i) * sizeof(D); }
};
// Component c of entry i of a row table.
template <class D> struct RowEntries {
    void* const* rows;
    uint32_t c;
    uint8_t* operator[](uint32_t i) const
    {
        return static_cast<uint8_t*>(rows[i]) + size_t(c) * sizeof(D);
    }
};

using lxlut::clipToEntry;

// Whether bits fits the builders of samples D.
template <class D> bool builderBits(uint32_t bits)
{
    return bits >= 1 && bits <= 8 * sizeof(D);
}

// calcluts with the steps present in the template arguments; the compiler
// drops the others from the loop.
template <class D, bool Offset, bool Gain, bool Gamma, class Entries>
void calcEntries(Entries e, uint32_t bits, double offset, double gain, double gamma)
{
    const uint32_t max = maxOfBits(bits);
    for (uint32_t i = 0; i <= max; ++i) {
        double x = i;
        if constexpr (Offset)
            x += offset;
        if constexpr (Gain)
            x *= gain;
        if constexpr (Gamma)
            x = std::pow(x, gamma);
        store<D>(e[i], D(clipToEntry(x + 0.5, max)));
    }
}

// One of the eight step combinations; none present: nothing written.
template <class D, class Entries>
void calcSteps(Entries e, uint32_t bits, const double* offset, const double* gain,
               const double* gamma)
{
    const double o = offset ? *offset : 0.0, g = gain ? *gain : 1.0, p = gamma ? *gamma : 1.0;
    switch ((offset ? 1 : 0) | (gain ? 2 : 0) | (gamma ? 4 : 0)) {
    case 1:
        return calcEntries<D, true, false, false>(e, bits, o, g, p);
    case 2:
        return calcEntries<D, false, true, false>(e, bits, o, g, p);
    case 3:
        return calcEntries<D, true, true, false>(e, bits, o, g, p);
    case 4:
        return calcEntries<D, false, false, true>(e, bits, o, g, p);
    case 5:
        return calcEntries<D, true, false, true>(e, bits, o, g, p);
    case 6:
        return calcEntries<D, false, true, true>(e, bits, o, g, p);
    case 7:
        return calcEntries<D, true, true, true>(e, bits, o, g, p);
    default:
        return;
    }
}

template <class D>
int calcFlat(void* flat, const double* offset, const double* gain, const double* gamma,
             uint32_t bits)
{
    if (!flat || !builderBits<D>(bits))
        return -4;
    calcSteps<D>(FlatEntries<D>{static_cast<uint8_t*>(flat)}, bits, offset, gain, gamma);
    return 0;
}

template <class D>
int calcRows(void* const* rows, const double* offsets, const double* gains, const double* gammas,
             uint32_t comps, uint32_t bits)
{
    if (!rows || !builderBits<D>(bits))
        return -4;
    for (uint32_t c = 0; c < comps; ++c)
        calcSteps<D>(RowEntries<D>{rows, c}, bits, offsets ? offsets + c : nullptr,
                     gains ? gains + c : nullptr, gammas ? gammas + c : nullptr);
    return 0;
}

// i + offset wrapped into 0..max by steps of max. An offset beyond +-max
// takes as many steps as it needs, so every entry stays in range.
inline uint32_t rotated(uint32_t i, double offset, uint32_t max)
{
    double v = i + offset;
    if (!std::isfinite(v))
        return 0;
    if (v < 0)
        v += max * std::ceil(-v / max);
    else if (v > max)
        v -= max * std::ceil((v - max) / max);
    return clipToEntry(v, max);
}

template <class D>
int rotateRows(void* const* rows, const double* offsets, uint32_t comps, uint32_t bits)
{
    if (!rows || !builderBits<D>(bits))
        return -4;
    if (!offsets)
        return 0;
    const uint32_t max = maxOfBits(bits);
    for (uint32_t c = 0; c < comps; ++c) {
        const RowEntries<D> e{rows, c};
        for (uint32_t i = 0; i <= max; ++i)
            store<D>(e[i], D(rotated(i, offsets[c], max)));
    }
    return 0;
}

// Min keeps the values up to the constant, Max those from it on; the
// others become the constant.
struct MinRule {
    static bool keeps(double i, double constant) { return i <= constant; }
};
struct MaxRule {
    static bool keeps(double i, double constant) { return i >= constant; }
};

template <class D, class Rule, class Entries>
void limitEntries(Entries e, double constant, uint32_t bits)
{
    const uint32_t max = maxOfBits(bits);
    const D replacement = D(clipToEntry(std::trunc(constant), max));
    for (uint32_t i = 0; i <= max; ++i)
        store<D>(e[i], Rule::keeps(i, constant) ? D(i) : replacement);
}

template <class D, class Rule> int limitFlat(void* flat, const double* constant, uint32_t bits)
{
    if (!flat || !builderBits<D>(bits))
        return -4;
    if (constant)
        limitEntries<D, Rule>(FlatEntries<D>{static_cast<uint8_t*>(flat)}, *constant, bits);
    return 0;
}

template <class D, class Rule>
int limitRows(void* const* rows, const double* constants, uint32_t comps, uint32_t bits)
{
    if (!rows || !builderBits<D>(bits))
        return -4;
    if (constants)
        for (uint32_t c = 0; c < comps; ++c)
            limitEntries<D, Rule>(RowEntries<D>{rows, c}, constants[c], bits);
    return 0;
}

} // namespace lxpic
