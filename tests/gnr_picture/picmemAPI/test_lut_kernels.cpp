// The LUT kernels: tables for arithmetic with constants, applying tables
// and summing samples, each against a plain loop.
#include <cmath>
#include <limits>
#include <vector>

#include "gnr_picture/picmemAPI/LxLutKernels.h"
#include "kernel_test_support.h"

namespace kerneltest
{
namespace
{

// ---- Tables for arithmetic with constants ------------------------------------------

// A table of 2^bits entries of comps samples, each 1 or 2 bytes: flat (one
// component, entries side by side) or rows with two marker bytes after
// every row, and marker bytes after the last entry. The row pointers serve
// both shapes.
class CalcTable
{
  public:
    CalcTable(uint32_t bits, uint32_t comps, uint32_t bytes)
        : m_bytes(bytes), m_rowBytes(comps == 1 ? bytes : comps * bytes + 2),
          m_data((size_t(1) << bits) * m_rowBytes + 8, kMarker)
    {
        for (uint32_t i = 0; i < (1u << bits); ++i)
            m_rows.push_back(m_data.data() + size_t(i) * m_rowBytes);
    }
    void* flat() { return m_data.data(); }
    void* const* rows() { return m_rows.data(); }
    uint32_t at(uint32_t i, uint32_t c = 0) const
    {
        uint32_t v = 0;
        std::memcpy(&v, m_data.data() + size_t(i) * m_rowBytes + c * m_bytes, m_bytes);
        return v;
    }
    // Every byte that is no entry still holds the marker; with nothing
    // written, the entries do too.
    bool markersIntact(uint32_t entries, uint32_t comps, bool entriesToo) const
    {
        for (size_t b = 0; b < m_data.size(); ++b) {
            const size_t inRow = b % m_rowBytes;
            const bool entry = b / m_rowBytes < entries && inRow < comps * m_bytes;
            if ((entriesToo || !entry) && m_data[b] != kMarker)
                return false;
        }
        return true;
    }

  private:
    uint32_t m_bytes;
    uint32_t m_rowBytes;
    std::vector<uint8_t> m_data;
    std::vector<void*> m_rows;
};

// The calcluts value of entry i, written out plainly.
uint32_t calcReference(uint32_t i, const double* offset, const double* gain, const double* gamma,
                       uint32_t bits)
{
    double x = i;
    if (offset)
        x = x + *offset;
    if (gain)
        x = x * *gain;
    if (gamma)
        x = std::pow(x, *gamma);
    const double t = std::trunc(x + 0.5);
    const double max = std::pow(2.0, bits) - 1;
    if (std::isnan(t) || t < 0)
        return 0;
    return t > max ? uint32_t(max) : uint32_t(t);
}

struct CalcFormat {
    const char* name;
    uint32_t bytes; // 1: the x8 builders, 2: the x16 builders
    uint32_t bits;
    uint32_t comps; // 1: the flat builder, else the N builder
};

int runCalc(const CalcFormat& f, CalcTable& t, const double* o, const double* g, const double* p)
{
    if (f.comps == 1)
        return f.bytes == 1 ? calcluts_1x8(t.flat(), o, g, p, f.bits)
                            : calcluts_1x16(t.flat(), o, g, p, f.bits);
    return f.bytes == 1 ? calcluts_Nx8(t.rows(), o, g, p, f.comps, f.bits)
                        : calcluts_Nx16(t.rows(), o, g, p, f.comps, f.bits);
}

// Every combination of present steps, at every builder, against the plain
// formula; per-component constants differ.
TEST(LutCalcKernels, EveryStepCombinationMatchesTheFormula)
{
    const CalcFormat formats[] = {
        {"1x8", 1, 8, 1},   {"1x8 at 5 bits", 1, 5, 1},    {"Nx8", 1, 8, 3},
        {"1x16", 2, 12, 1}, {"1x16 at 16 bits", 2, 16, 1}, {"Nx16", 2, 10, 4}};
    const double offsets[4] = {-12.25, 3.5, 0.0, 40.0};
    const double gains[4] = {1.7, 0.5, 3.0, 1.0};
    const double gammas[4] = {0.8, 1.3, 0.5, 2.0};
    for (const CalcFormat& f : formats) {
        for (int steps = 0; steps < 8; ++steps) {
            SCOPED_TRACE(::testing::Message() << f.name << " steps " << steps);
            const double* o = steps & 1 ? offsets : nullptr;
            const double* g = steps & 2 ? gains : nullptr;
            const double* p = steps & 4 ? gammas : nullptr;
            CalcTable t(f.bits, f.comps, f.bytes);
            ASSERT_EQ(runCalc(f, t, o, g, p), 0);
            const uint32_t n = 1u << f.bits;
            ASSERT_TRUE(t.markersIntact(n, f.comps, steps == 0));
            if (steps == 0)
                continue;
            for (uint32_t c = 0; c < f.comps; ++c)
                for (uint32_t i = 0; i < n; ++i)
                    ASSERT_EQ(t.at(i, c), calcReference(i, o ? o + c : nullptr, g ? g + c : nullptr,
                                                        p ? p + c : nullptr, f.bits))
                        << "entry " << i << " component " << c;
        }
    }
}

TEST(LutCalcKernels, KnownAnswers)
{
    CalcTable t8(8, 1, 1);
    const double two = 2.0, minusHalf = -0.5, half = 0.5, minusTen = -10.0;
    ASSERT_EQ(calcluts_1x8(t8.flat(), nullptr, &two, nullptr, 8), 0);
    EXPECT_EQ(t8.at(127), 254u);
    EXPECT_EQ(t8.at(128), 255u);
    ASSERT_EQ(calcluts_1x8(t8.flat(), &minusHalf, nullptr, nullptr, 8), 0);
    for (uint32_t i = 0; i < 256; ++i)
        ASSERT_EQ(t8.at(i), i);
    // Offset then power: the power of a negative number gives 0, not an
    // arbitrary sample.
    ASSERT_EQ(calcluts_1x8(t8.flat(), &minusTen, nullptr, &half, 8), 0);
    EXPECT_EQ(t8.at(0), 0u);
    EXPECT_EQ(t8.at(9), 0u);
    EXPECT_EQ(t8.at(14), 2u);

    CalcTable t12(12, 1, 2);
    ASSERT_EQ(calcluts_1x16(t12.flat(), nullptr, nullptr, &half, 12), 0);
    EXPECT_EQ(t12.at(4095), 64u); // trunc(sqrt(4095) + 0.5)
}

TEST(LutCalcKernels, BadTablesAndDepthsAreRefused)
{
    const double two = 2.0;
    CalcTable t(8, 1, 1);
    EXPECT_EQ(calcluts_1x8(nullptr, nullptr, &two, nullptr, 8), -4);
    EXPECT_EQ(calcluts_1x8(t.flat(), nullptr, &two, nullptr, 9), -4);
    EXPECT_EQ(calcluts_1x8(t.flat(), nullptr, &two, nullptr, 0), -4);
    EXPECT_EQ(calcluts_1x16(t.flat(), nullptr, &two, nullptr, 17), -4);
    EXPECT_EQ(calcluts_Nx8(nullptr, nullptr, &two, nullptr, 3, 8), -4);
    EXPECT_EQ(calcluts_Nx8_rotate(nullptr, &two, 3, 8), -4);
    EXPECT_EQ(min_calcluts_1x16(nullptr, &two, 8), -4);
    EXPECT_EQ(max_calcluts_Nx16(t.rows(), &two, 1, 20), -4);
    EXPECT_TRUE(t.markersIntact(256, 1, true));
}

TEST(LutRotateKernels, WrapByTheLargestValue)
{
    CalcTable t(8, 2, 1);
    const double offsets[2] = {10.0, -10.0};
    ASSERT_EQ(calcluts_Nx8_rotate(t.rows(), offsets, 2, 8), 0);
    EXPECT_EQ(t.at(250, 0), 5u);
    EXPECT_EQ(t.at(3, 1), 248u);
    EXPECT_EQ(t.at(100, 0), 110u);
    EXPECT_EQ(t.at(255, 0), 10u);
    EXPECT_EQ(t.at(10, 1), 0u);
    EXPECT_TRUE(t.markersIntact(256, 2, false));

    const double full[2] = {255.0, 0.0};
    ASSERT_EQ(calcluts_Nx8_rotate(t.rows(), full, 2, 8), 0);
    EXPECT_EQ(t.at(1, 0), 1u); // 256 - 255
    EXPECT_EQ(t.at(0, 0), 255u);
    EXPECT_EQ(t.at(255, 1), 255u);

    CalcTable w(12, 1, 2);
    const double offset = 100.5;
    ASSERT_EQ(calcluts_Nx16_rotate(w.rows(), &offset, 1, 12), 0);
    EXPECT_EQ(w.at(4000), 5u); // 4100.5 - 4095, truncated
}

TEST(LutRotateKernels, LargeOffsetsWrapAsOftenAsNeeded)
{
    CalcTable t(8, 3, 1);
    const double offsets[3] = {600.0, -600.0, std::numeric_limits<double>::infinity()};
    ASSERT_EQ(calcluts_Nx8_rotate(t.rows(), offsets, 3, 8), 0);
    EXPECT_EQ(t.at(0, 0), 90u);  // 600 - 2 x 255
    EXPECT_EQ(t.at(0, 1), 165u); // -600 + 3 x 255
    EXPECT_EQ(t.at(7, 2), 0u);
    for (uint32_t i = 0; i < 256; ++i)
        ASSERT_LE(t.at(i, 0), 255u);
}

TEST(LutRotateKernels, NothingWithoutOffsets)
{
    CalcTable t(8, 2, 1);
    ASSERT_EQ(calcluts_Nx8_rotate(t.rows(), nullptr, 2, 8), 0);
    EXPECT_TRUE(t.markersIntact(256, 2, true));
}

TEST(LutMinMaxKernels, KeepOneSideOfTheConstant)
{
    const struct {
        bool isMin;
        double constant;
        uint32_t at[6]; // entries 0, 3, 4, 5, 200, 255
    } cases[] = {
        {true, 3.7, {0, 3, 3, 3, 3, 3}},
        {false, 3.7, {3, 3, 4, 5, 200, 255}},
        {true, 5.0, {0, 3, 4, 5, 5, 5}}, // equality keeps i
        {false, 5.0, {5, 5, 5, 5, 200, 255}},
        {true, -3.7, {0, 0, 0, 0, 0, 0}}, // replacement clipped to 0
        {false, 300.0, {255, 255, 255, 255, 255, 255}},
    };
    const uint32_t index[6] = {0, 3, 4, 5, 200, 255};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << (c.isMin ? "min " : "max ") << c.constant);
        CalcTable flat(8, 1, 1);
        CalcTable rows(8, 2, 2);
        const double constants[2] = {c.constant, c.constant};
        ASSERT_EQ((c.isMin ? min_calcluts_1x8 : max_calcluts_1x8)(flat.flat(), &c.constant, 8), 0);
        ASSERT_EQ((c.isMin ? min_calcluts_Nx16 : max_calcluts_Nx16)(rows.rows(), constants, 2, 8),
                  0);
        for (int k = 0; k < 6; ++k) {
            EXPECT_EQ(flat.at(index[k]), c.at[k]) << index[k];
            EXPECT_EQ(rows.at(index[k], 1), c.at[k]) << index[k];
        }
        EXPECT_TRUE(rows.markersIntact(256, 2, false));
    }
}

TEST(LutMinMaxKernels, PerComponentConstantsAndNoConstant)
{
    CalcTable t(10, 2, 2);
    const double constants[2] = {100.0, 900.0};
    ASSERT_EQ(min_calcluts_Nx16(t.rows(), constants, 2, 10), 0);
    EXPECT_EQ(t.at(500, 0), 100u);
    EXPECT_EQ(t.at(500, 1), 500u);
    EXPECT_EQ(t.at(1023, 1), 900u);

    CalcTable untouched(8, 1, 1);
    ASSERT_EQ(max_calcluts_1x8(untouched.flat(), nullptr, 8), 0);
    ASSERT_EQ(min_calcluts_Nx8(untouched.rows(), nullptr, 1, 8), 0);
    EXPECT_TRUE(untouched.markersIntact(256, 1, true));
}

// ---- Applying tables --------------------------------------------------------------

constexpr PicFormat k1x8{1, 1}, k3x8{3, 1}, k4x8{4, 1}, k5x8{5, 1};
constexpr PicFormat k1x16{1, 2}, k3x16{3, 2}, k4x16{4, 2}, k2x16{2, 2};

// d_k = table[s_k AND mask] (flat) or rows[s_k AND mask][k]; with Marked, a
// pixel with any raw sample at or above min(2^bits - 1, 255) gets the colour.
template <bool Marked> int refApply(Ctx& c)
{
    const uint32_t bits = c.kc.lut.srcBits;
    const uint32_t width = 8 * c.src.sampleBytes();
    const uint32_t mask = bits < width ? maxOf(bits) : maxOf(width);
    const bool flat = c.kc.lut.dstComps == 1;
    const TestPicture& in = c.kc.inPlace ? c.dst : c.src;
    c.eachPixel([&](uint32_t x, uint32_t y) {
        bool over = false;
        for (uint32_t k = 0; k < in.comps(); ++k)
            over = over || in.get(x, y, k) >= mask;
        for (uint32_t k = 0; k < in.comps(); ++k)
            c.expected.put(x, y, k,
                           Marked && over ? c.colour[k]
                                          : lutEntry(0, in.get(x, y, k) & mask, flat ? 0 : k,
                                                     c.kc.lut.dstBits));
    });
    return 0;
}

template <class Kernel, Kernel K> int runApplyFlat(Ctx& c)
{
    return K(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.pitch(), c.lut.pTable, c.dst.comps(),
             c.kc.lut.srcBits, c.width, c.count);
}
template <class Kernel, Kernel K> int runApplyRows(Ctx& c)
{
    return K(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.pitch(),
             static_cast<const void* const*>(c.lut.pTable), c.dst.comps(), c.kc.lut.srcBits,
             c.width, c.count);
}
template <class Kernel, Kernel K> int runApplyInPlace(Ctx& c)
{
    return K(c.dst.data(), c.dst.pitch(), c.dst.data(), c.dst.pitch(),
             static_cast<const void* const*>(c.lut.pTable), c.dst.comps(), c.kc.lut.srcBits,
             c.width, c.count);
}
template <bool WithColour> int runOverExp(Ctx& c)
{
    return applyluts_3x8_overexp(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.pitch(),
                                 static_cast<const void* const*>(c.lut.pTable),
                                 WithColour ? c.colour : nullptr, 3, c.kc.lut.srcBits, c.width,
                                 c.count);
}

using Flat = decltype(&applyluts_1x8);
using Rows = decltype(&applyluts_3x8);

// Sources hold more bits than the table takes wherever the kernel cuts
// them: a lookup of the raw sample would read past the table.
const KernelCase kApplyCases[] = {
    {"apply_1x8",
     k1x8,
     k1x8,
     8,
     {8, 1, 8, 1},
     0,
     runApplyFlat<Flat, applyluts_1x8>,
     refApply<false>},
    {"apply_1x8_6bits",
     k1x8,
     k1x8,
     8,
     {6, 1, 8, 1},
     0,
     runApplyFlat<Flat, applyluts_1x8>,
     refApply<false>},
    {"apply_1x16",
     k1x16,
     k1x16,
     16,
     {12, 1, 16, 1},
     0,
     runApplyFlat<Flat, applyluts_1x16>,
     refApply<false>},
    {"apply_1x16_16bits",
     k1x16,
     k1x16,
     16,
     {16, 1, 12, 1},
     0,
     runApplyFlat<Flat, applyluts_1x16>,
     refApply<false>},
    {"apply_3x8",
     k3x8,
     k3x8,
     8,
     {8, 1, 8, 3},
     0,
     runApplyRows<Rows, applyluts_3x8>,
     refApply<false>},
    {"apply_3x16",
     k3x16,
     k3x16,
     16,
     {10, 1, 16, 3},
     0,
     runApplyRows<Rows, applyluts_3x16>,
     refApply<false>},
    {"apply_3x8_lut1",
     k3x8,
     k3x8,
     8,
     {7, 1, 8, 1},
     0,
     runApplyFlat<Flat, applyluts_3x8_lut1>,
     refApply<false>},
    {"apply_3x16_lut1",
     k3x16,
     k3x16,
     16,
     {12, 1, 12, 1},
     0,
     runApplyFlat<Flat, applyluts_3x16_lut1>,
     refApply<false>},
    {"apply_4x8",
     k4x8,
     k4x8,
     8,
     {8, 1, 8, 4},
     0,
     runApplyRows<Rows, applyluts_4x8>,
     refApply<false>},
    {"apply_4x16",
     k4x16,
     k4x16,
     16,
     {12, 1, 14, 4},
     0,
     runApplyRows<Rows, applyluts_4x16>,
     refApply<false>},
    {"apply_4x8_lut1",
     k4x8,
     k4x8,
     8,
     {8, 1, 8, 1},
     0,
     runApplyFlat<Flat, applyluts_4x8_lut1>,
     refApply<false>},
    {"apply_4x16_lut1",
     k4x16,
     k4x16,
     16,
     {11, 1, 16, 1},
     0,
     runApplyFlat<Flat, applyluts_4x16_lut1>,
     refApply<false>},
    {"apply_Nx8",
     k5x8,
     k5x8,
     8,
     {8, 1, 8, 5},
     0,
     runApplyRows<Rows, applyluts_Nx8>,
     refApply<false>},
    {"apply_Nx16",
     k2x16,
     k2x16,
     16,
     {12, 1, 16, 2},
     0,
     runApplyRows<Rows, applyluts_Nx16>,
     refApply<false>},
    {"apply_Nx8_lut1",
     k5x8,
     k5x8,
     8,
     {8, 1, 8, 1},
     0,
     runApplyFlat<Flat, applyluts_Nx8_lut1>,
     refApply<false>},
    {"apply_Nx16_lut1",
     k2x16,
     k2x16,
     16,
     {9, 1, 16, 1},
     0,
     runApplyFlat<Flat, applyluts_Nx16_lut1>,
     refApply<false>},
    // Three bits, so that samples at the top (7) are common.
    {"apply_3x8_overexp", k3x8, k3x8, 3, {3, 1, 8, 3}, 0, runOverExp<true>, refApply<true>},
    {"apply_3x8_overexp_8bits", k3x8, k3x8, 8, {8, 1, 8, 3}, 0, runOverExp<true>, refApply<true>},
    {"apply_3x8_overexp_nocolour",
     k3x8,
     k3x8,
     3,
     {3, 1, 8, 3},
     0,
     runOverExp<false>,
     refApply<false>},
    {"apply_3x8_inplace",
     k3x8,
     k3x8,
     8,
     {8, 1, 8, 3},
     0,
     runApplyInPlace<Rows, applyluts_3x8>,
     refApply<false>,
     true},
    {"apply_Nx16_inplace",
     k2x16,
     k2x16,
     16,
     {12, 1, 16, 2},
     0,
     runApplyInPlace<Rows, applyluts_Nx16>,
     refApply<false>,
     true},
};

KERNEL_CASES(LutApply, kApplyCases);

// ---- Sums ----------------------------------------------------------------------------

struct SumFormat {
    const char* name;
    PicFormat format;
};

int runSum(const SumFormat& f, uint64_t* sums, const TestPicture& p, uint32_t width, uint32_t count)
{
    const bool bytes = f.format.bytes == 1;
    switch (f.format.comps) {
    case 1:
        return (bytes ? sum_values_1x8 : sum_values_1x16)(sums, p.data(), p.pitch(), width, count);
    case 3:
        return (bytes ? sum_values_3x8 : sum_values_3x16)(sums, p.data(), p.pitch(), width, count);
    default:
        return (bytes ? sum_values_Nx8 : sum_values_Nx16)(sums, p.data(), f.format.comps, p.pitch(),
                                                          width, count);
    }
}

TEST(LutSumKernels, AddToTheSumsOfEveryComponent)
{
    const SumFormat formats[] = {{"1x8", {1, 1}},  {"3x8", {3, 1}},  {"Nx8", {5, 1}},
                                 {"1x16", {1, 2}}, {"3x16", {3, 2}}, {"Nx16", {2, 2}}};
    for (const SumFormat& f : formats) {
        for (const Geometry& g : kGeometries) {
            SCOPED_TRACE(::testing::Message() << f.name << " width " << g.width);
            std::mt19937 rng(g.width * 7 + f.format.comps);
            TestPicture p(f.format, g.width, g.lines, g.pad);
            p.fill(rng, 8 * f.format.bytes);
            // Non-zero start values: the kernels add, they do not clear.
            std::vector<uint64_t> sums(f.format.comps + 1), expected(f.format.comps + 1);
            for (size_t k = 0; k < sums.size(); ++k)
                sums[k] = expected[k] = 1000003 * (k + 1);
            for (uint32_t y = 0; y < g.lines; ++y)
                for (uint32_t x = 0; x < g.width; ++x)
                    for (uint32_t k = 0; k < f.format.comps; ++k)
                        expected[k] += p.get(x, y, k);
            ASSERT_EQ(runSum(f, sums.data(), p, g.width, g.width * g.lines + g.extra), 0);
            EXPECT_EQ(sums, expected); // the sum past the last stays as it was
        }
    }
}

TEST(LutSumKernels, CountsBelowOneLineAddNothing)
{
    TestPicture p({3, 1}, 8, 1, 0);
    std::mt19937 rng(1);
    p.fill(rng, 8);
    uint64_t sums[3] = {1, 2, 3};
    ASSERT_EQ(sum_values_3x8(sums, p.data(), p.pitch(), 8, 7), 0);
    EXPECT_EQ(sums[0], 1u);
    EXPECT_EQ(sums[2], 3u);
}

TEST(LutSumKernels, LongLinesOfSixteenBitSamplesDoNotOverflow)
{
    // 70000 samples of 65535 make more than 2^32 within one line.
    const uint32_t width = 70000;
    std::vector<uint16_t> line(width, 65535);
    uint64_t sum = 0;
    ASSERT_EQ(sum_values_1x16(&sum, line.data(), width * 2, width, width), 0);
    EXPECT_EQ(sum, uint64_t(width) * 65535);
}

TEST(LutSumKernels, PartialSumsOfVeryLongLinesAreFlushedBeforeTheyWrap)
{
    // Each of the 32-bit partial sums of a line takes more than 65537 samples
    // of 65535 here; three components take the same road.
    const uint32_t width = 16 * 65540 + 5;
    for (uint32_t comps : {1u, 3u}) {
        std::vector<uint16_t> line(size_t(width) * comps, 65535);
        line[7] = 1;
        uint64_t sums[3] = {};
        ASSERT_EQ((comps == 1 ? sum_values_1x16(sums, line.data(), width * 2, width, width)
                              : sum_values_3x16(sums, line.data(), width * 6, width, width)),
                  0);
        for (uint32_t k = 0; k < comps; ++k)
            EXPECT_EQ(sums[k], uint64_t(width) * 65535 - (k == 7 % comps ? 65534 : 0)) << comps;
    }
}

} // namespace
} // namespace kerneltest
