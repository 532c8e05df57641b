// The builders that fill an allocated SLxLut with a transfer curve, colour
// ramps or a composition of two tables.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "gnr_picture/LxHisto.h"
#include "gnr_picture/lut/LxLut.h"
#include "gnr_picture/lut/LxLutAccess.h"

using namespace lxlut;

namespace
{

// A table the builders can write: allocated, 1 to 16 destination bits.
bool writable(const SLxLut* lut)
{
    return lut && lut->pTable && sampleBytes(lut->uiDstBits) != 0 && lut->uiLutCount != 0 &&
           lut->uiDstComps != 0 && lut->uiSrcBits <= 30;
}

uint32_t clipInt(int64_t v, uint32_t top)
{
    return v < 0 ? 0 : v > int64_t(top) ? top : uint32_t(v);
}

// ---- Curves ---------------------------------------------------------------

// The entries a curve goes to: tables [firstTable, endTable), components
// [firstComp, endComp) of each entry.
struct CurveTarget {
    uint32_t firstTable, endTable, firstComp, endComp;
};

// perTable: several tables of one component take the curve in table comp,
// or in all of them for comp 255 (only the gamma curve offers that).
bool selectCurveTarget(const SLxLut& lut, uint8_t comp, bool perTable, CurveTarget& t)
{
    const uint32_t tables = lut.uiLutCount, comps = lut.uiDstComps;
    if (tables == 1) {
        const bool one = comps != 1 && comp < comps;
        t = {0, 1, one ? comp : 0u, one ? comp + 1u : comps};
        return true;
    }
    if (tables == comps) {
        t = {0, tables, 0, comps};
        return true;
    }
    if (perTable && comps == 1 && (comp < tables || comp == 255)) {
        t = comp == 255 ? CurveTarget{0, tables, 0, 1} : CurveTarget{comp, comp + 1u, 0, 1};
        return true;
    }
    return false;
}

// Writes value(i), already within 0..D, to every target sample of entry i.
template <class Value> void writeCurve(const SLxLut& lut, const CurveTarget& t, Value value)
{
    const uint32_t n = entryCount(lut), bytes = sampleBytes(lut.uiDstBits);
    for (uint32_t i = 0; i < n; ++i) {
        const uint32_t v = value(i);
        for (uint32_t c = t.firstTable; c < t.endTable; ++c) {
            uint8_t* row = rowOf(lut, c, i);
            for (uint32_t k = t.firstComp; k < t.endComp; ++k)
                storeSample(row, k, bytes, v);
        }
    }
}

template <class Value> int fillCurve(SLxLut* lut, uint8_t comp, bool perTable, Value value)
{
    CurveTarget t;
    if (!selectCurveTarget(*lut, comp, perTable, t))
        return -4;
    writeCurve(*lut, t, value);
    return 0;
}

// The line through the two points at entry i (x1 <= i <= x2), the quotient
// truncated toward zero. 128-bit products: any two 32-bit points are exact.
struct Line {
    int32_t x1, y1, x2, y2;

    int64_t at(int64_t i) const
    {
        const __int128 num = __int128(i - x1) * (int64_t(y2) - y1);
        return int64_t(num / (int64_t(x2) - x1)) + y1;
    }
    // Held at y1 before x1 and at y2 from x2 on.
    int64_t held(int64_t i) const { return i < x1 ? y1 : i >= x2 ? y2 : at(i); }
};

// The normalising maximum of the gamma, logarithmic and exponential curves:
// 255 for byte tables, the largest source value for 16-bit tables.
double curveMax(const SLxLut& lut)
{
    return lut.uiDstBits <= 8 ? 255.0 : double(maxOfBits(lut.uiSrcBits));
}

uint32_t gammaOf(int64_t v, double m, double gamma, uint32_t top)
{
    return clipToEntry(std::trunc(std::pow(double(v) / m, gamma) * m), top);
}

// ---- Colours ----------------------------------------------------------------

// Blue, green and red of a colour word 0x00BBGGRR.
struct Bgr {
    uint32_t v[3];
};

Bgr bgrOf(uint32_t color)
{
    return {{(color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF}};
}

// Colour bytes as samples of dstBits: 9-16-bit tables spread them to
// byte x D / 255.
Bgr scaledBgr(uint32_t color, uint8_t dstBits)
{
    Bgr c = bgrOf(color);
    if (dstBits > 8)
        for (uint32_t& v : c.v)
            v = uint32_t(uint64_t(v) * maxOfBits(dstBits) / 255);
    return c;
}

// Table c becomes the ramp from black to the colour.
void writeRamp(const SLxLut& lut, uint32_t c, const Bgr& colour)
{
    const uint32_t n = entryCount(lut), bytes = sampleBytes(lut.uiDstBits);
    const uint32_t top = maxOfBits(lut.uiDstBits);
    const uint64_t last = std::max<uint32_t>(n - 1, 1);
    for (uint32_t i = 0; i < n; ++i) {
        uint8_t* row = rowOf(lut, c, i);
        for (uint32_t k = 0; k < 3; ++k)
            storeSample(row, k, bytes, clipInt(int64_t(i * uint64_t(colour.v[k]) / last), top));
    }
}

// A base table of scaling values: one table from srcBits, its values in
// samples of the size of srcBits, with one of the given component counts.
bool baseFits(const SLxLut& base, uint8_t srcBits, uint32_t compsA, uint32_t compsB)
{
    return base.pTable && base.uiLutCount == 1 && base.uiSrcBits == srcBits &&
           sampleBytes(base.uiDstBits) == sampleBytes(srcBits) &&
           (base.uiDstComps == compsA || base.uiDstComps == compsB);
}

// Entry i of table c: colour x b / M per component, or the over-exposure
// colour when over is set.
void writeScaled(const SLxLut& lut, uint32_t c, uint32_t i, const Bgr& colour, const uint32_t b[3],
                 uint32_t m, bool over, const Bgr& overColour)
{
    const uint32_t bytes = sampleBytes(lut.uiDstBits), top = maxOfBits(lut.uiDstBits);
    uint8_t* row = rowOf(lut, c, i);
    for (uint32_t k = 0; k < 3; ++k)
        storeSample(row, k, bytes,
                    over ? std::min(overColour.v[k], top)
                         : clipInt(int64_t(uint64_t(colour.v[k]) * b[k] / m), top));
}

} // namespace

int SLxLut::CreateLinearTable(SLxLut* lut, uint8_t comp, int32_t x1, int32_t y1, int32_t x2,
                              int32_t y2)
{
    if (x2 <= x1 || !writable(lut))
        return -4;
    const Line line{x1, y1, x2, y2};
    const uint32_t top = maxOfBits(lut->uiDstBits);
    return fillCurve(lut, comp, false, [&](uint32_t i) { return clipInt(line.held(i), top); });
}

int SLxLut::CreateGammaTable(SLxLut* lut, uint8_t comp, int32_t x1, int32_t y1, int32_t x2,
                             int32_t y2, double gamma)
{
    if (x2 <= x1 || !writable(lut))
        return -4;
    const Line line{x1, y1, x2, y2};
    const uint32_t top = maxOfBits(lut->uiDstBits);
    const double m = curveMax(*lut);
    return fillCurve(lut, comp, true,
                     [&](uint32_t i) { return gammaOf(line.held(i), m, gamma, top); });
}

int SLxLut::CreateGammaTable2(SLxLut* lut, uint8_t comp, int32_t x1, int32_t y1, int32_t x2,
                              int32_t y2, double gamma)
{
    if (x2 <= x1 || !writable(lut))
        return -4;
    const Line line{x1, y1, x2, y2};
    const uint32_t top = maxOfBits(lut->uiDstBits);
    const double m = curveMax(*lut);
    return fillCurve(lut, comp, false, [&](uint32_t i) {
        if (int64_t(i) < x1 || int64_t(i) > x2)
            return clipInt(y1, top);
        return gammaOf(line.at(i), m, gamma, top);
    });
}

int SLxLut::CreateLogaritmicTable_1_1(SLxLut* lut, uint8_t comp, int32_t x1, int32_t y1, int32_t x2,
                                      int32_t y2)
{
    if (x2 <= x1 || !writable(lut) || lut->uiLutCount != 1 || lut->uiDstComps != 1)
        return -4;
    const uint32_t top = maxOfBits(lut->uiDstBits);
    const double m = curveMax(*lut);
    const auto ends = [&](int32_t y) {
        return clipToEntry(std::trunc(std::log10(double(y) + 1) / std::log10(m + 1) * m), top);
    };
    const uint32_t head = ends(y1), tail = ends(y2);
    const double scale = (double(y2) - y1) / std::log10(double(x2) - x1 + 1);
    return fillCurve(lut, comp, false, [&](uint32_t i) {
        if (int64_t(i) < x1)
            return head;
        if (int64_t(i) >= x2)
            return tail;
        return clipToEntry(std::trunc(std::log10(double(i) - x1 + 1) * scale), top);
    });
}

int SLxLut::CreateExpTable_1_1(SLxLut* lut, uint8_t comp, int32_t x1, int32_t y1, int32_t x2,
                               int32_t y2)
{
    // y1 = y2 would divide by zero in the middle segment.
    if (x2 <= x1 || y1 == y2 || !writable(lut) || lut->uiLutCount != 1 || lut->uiDstComps != 1)
        return -4;
    const uint32_t top = maxOfBits(lut->uiDstBits);
    const double m = curveMax(*lut);
    // The head and tail follow the same curve as the middle: (M + 1)^(y / M) - 1.
    const auto ends = [&](int32_t y) {
        return clipToEntry(std::trunc(std::pow(m + 1, double(y) / m) - 1), top);
    };
    const uint32_t head = ends(y1), tail = ends(y2);
    const double span = std::log10(double(x2) - x1 + 1), rise = double(y2) - y1;
    return fillCurve(lut, comp, false, [&](uint32_t i) {
        if (int64_t(i) < x1)
            return head;
        if (int64_t(i) >= x2)
            return tail;
        return clipToEntry(std::trunc(std::pow(10.0, (double(i) - x1) / rise * span) - 1), top);
    });
}

int SLxLut::CreateEqualizingTable_1_1(SLxLut* lut, uint8_t comp, const SLxHisto* histo)
{
    if (!writable(lut) || !histo || lut->uiLutCount != 1 || lut->uiSrcBits != lut->uiDstBits ||
        lut->uiSrcBits != histo->uiBits || (histo->uiBinSize != 4 && histo->uiBinSize != 8))
        return -4;
    CurveTarget target{0, 1, 0, 1};
    const void* plane = histo->pHisto;
    if (lut->uiDstComps != 1) {
        if (comp >= lut->uiDstComps || comp >= histo->uiComps || !histo->ppCompHisto)
            return -4;
        plane = histo->ppCompHisto[comp];
        target = {0, 1, comp, comp + 1u};
    }
    if (!plane)
        return -4;

    const uint32_t n = entryCount(*lut);
    const auto bin = [&](uint32_t i) -> unsigned __int128 {
        if (histo->uiBinSize == 4)
            return static_cast<const uint32_t*>(plane)[i];
        return static_cast<const uint64_t*>(plane)[i];
    };
    // 128 bits: a sum of 65536 64-bit bins, times n, cannot overflow.
    unsigned __int128 total = 0;
    for (uint32_t i = 0; i < n; ++i)
        total += bin(i);
    // Nothing counted: the steps below would never advance.
    if (total == 0)
        return -4;

    // Entry i is the output level v reached by the cumulative count of the
    // bins below i, in steps of total / n.
    std::vector<uint32_t> values(n);
    unsigned __int128 acc = bin(0) * n;
    uint32_t v = 0, i = 1;
    while (v < n && i < n) {
        while (acc < total && i < n) {
            values[i] = v;
            acc += bin(i) * n;
            ++i;
        }
        while (acc >= total) {
            acc -= total;
            ++v;
        }
    }
    // The loop ends early when every count lies below entry i: the entries
    // above take the top level rather than whatever the table held.
    for (; i < n; ++i)
        values[i] = n - 1;
    values[0] = 0;
    values[n - 1] = n - 1;
    writeCurve(*lut, target, [&](uint32_t e) { return values[e]; });
    return 0;
}

int SLxLut::CreateColorTable(SLxLut* lut, uint32_t color)
{
    if (!writable(lut) || lut->uiLutCount != 1 || lut->uiDstComps != 3 || lut->uiDstBits > 8)
        return -4;
    writeRamp(*lut, 0, bgrOf(color));
    return 0;
}

int SLxLut::CreateColorTableEx(SLxLut* lut, uint32_t color, const SLxLut* base, bool overExp,
                               uint32_t overExpColor)
{
    if (!base)
        return CreateColorTable(lut, color);
    if (!writable(lut) || lut->uiLutCount != 1 || lut->uiDstComps != 3 || lut->uiDstBits != 8 ||
        lut->uiSrcBits < 1 || lut->uiSrcBits > 16 || !baseFits(*base, lut->uiSrcBits, 1, 3))
        return -4;
    const uint32_t n = entryCount(*lut), m = maxOfBits(lut->uiSrcBits);
    const uint32_t baseBytes = sampleBytes(base->uiDstBits);
    const Bgr colour = bgrOf(color), overColour = bgrOf(overExpColor);
    for (uint32_t i = 0; i < n; ++i) {
        const uint8_t* row = rowOf(*base, 0, i);
        uint32_t b[3];
        for (uint32_t k = 0; k < 3; ++k)
            b[k] = loadSample(row, base->uiDstComps == 1 ? 0 : k, baseBytes);
        const bool over = overExp && (b[0] >= m || b[1] >= m || b[2] >= m);
        writeScaled(*lut, 0, i, colour, b, m, over, overColour);
    }
    return 0;
}

int SLxLut::CreateMultiColorTable(SLxLut* lut, const uint32_t* colors, uint8_t count)
{
    if (!writable(lut) || !colors || count == 0 || lut->uiLutCount != count || lut->uiDstComps != 3)
        return -4;
    for (uint32_t c = 0; c < count; ++c)
        writeRamp(*lut, c, scaledBgr(colors[c], lut->uiDstBits));
    return 0;
}

int SLxLut::CreateMultiColorTableEx(SLxLut* lut, const uint32_t* colors, uint8_t count,
                                    const SLxLut* base, bool overExp, uint32_t overExpColor)
{
    if (!base)
        return CreateMultiColorTable(lut, colors, count);
    if (!writable(lut) || !colors || count == 0 || lut->uiLutCount != count ||
        lut->uiDstComps != 3 || lut->uiSrcBits < 1 || lut->uiSrcBits > 16 ||
        !baseFits(*base, lut->uiSrcBits, count, count) || base->uiDstBits != lut->uiSrcBits)
        return -4;
    const uint32_t n = entryCount(*lut), m = maxOfBits(lut->uiSrcBits);
    const uint32_t baseBytes = sampleBytes(base->uiDstBits);
    const Bgr overColour = scaledBgr(overExpColor, lut->uiDstBits);
    for (uint32_t c = 0; c < count; ++c) {
        const Bgr colour = scaledBgr(colors[c], lut->uiDstBits);
        for (uint32_t i = 0; i < n; ++i) {
            const uint32_t v = loadSample(rowOf(*base, 0, i), c, baseBytes);
            const uint32_t b[3] = {v, v, v};
            writeScaled(*lut, c, i, colour, b, m, overExp && v >= m, overColour);
        }
    }
    return 0;
}

int SLxLut::CreateComposedTable(SLxLut* result, const SLxLut* color, const SLxLut* first)
{
    if (!result || !color || !first || !result->pTable || !color->pTable || !first->pTable ||
        color->uiLutCount == 0)
        return -4;
    if (result->uiLutCount != color->uiLutCount || result->uiSrcBits != color->uiSrcBits ||
        result->uiDstBits != color->uiDstBits || result->uiDstComps != 3 || color->uiDstComps != 3)
        return -4;
    if (first->uiLutCount != 1 || first->uiDstComps != color->uiLutCount ||
        first->uiSrcBits != color->uiSrcBits || first->uiDstBits != color->uiSrcBits)
        return -4;
    // Checked before the mask and colour change, so that a refused call
    // leaves the result as it was.
    const uint32_t bytes = sampleBytes(color->uiDstBits);
    const uint32_t firstBytes = sampleBytes(first->uiDstBits);
    if (bytes == 0 || firstBytes == 0)
        return -2;
    const int status = SetOverExpColorArr(result, color->pOverExpColor, color->uiDstBits);
    if (status != 0)
        return status;
    result->uiCompMask = color->uiCompMask;

    // Through a copy, so that result may be color itself.
    const uint32_t n = entryCount(*color), rowBytes = 3 * bytes;
    std::vector<uint8_t> rows(size_t(n) * rowBytes);
    for (uint32_t c = 0; c < color->uiLutCount; ++c) {
        for (uint32_t i = 0; i < n; ++i) {
            const uint32_t v = std::min(loadSample(rowOf(*first, 0, i), c, firstBytes), n - 1);
            std::copy_n(rowOf(*color, c, v), rowBytes, &rows[size_t(i) * rowBytes]);
        }
        for (uint32_t i = 0; i < n; ++i)
            std::copy_n(&rows[size_t(i) * rowBytes], rowBytes, rowOf(*result, c, i));
    }
    return 0;
}
