// SLxKernelMatrix: ownership of its buffers, Paste, and the generators.
#include <gtest/gtest.h>

#include <numeric>

#include "gnr_picture/PicBufAPI/LxKernel.h"

namespace
{

int64_t sumOf(const SLxKernelMatrix& m)
{
    return std::accumulate(m.piValues, m.piValues + m.uiNRows * m.uiNCols, int64_t(0));
}

int32_t at(const SLxKernelMatrix& m, uint32_t r, uint32_t c)
{
    return m.piValues[r * m.uiNCols + c];
}

void fillSequence(SLxKernelMatrix& m, int32_t first)
{
    for (uint32_t i = 0; i < m.uiNRows * m.uiNCols; ++i)
        m.piValues[i] = first + int32_t(i);
}

TEST(KernelMatrix, DefaultIsEmptyWithDivisorOne)
{
    SLxKernelMatrix m;
    EXPECT_EQ(m.uiNRows, 0u);
    EXPECT_EQ(m.piValues, nullptr);
    EXPECT_EQ(m.puiBitMask, nullptr);
    EXPECT_EQ(m.iDivisor, 1);
}

TEST(KernelMatrix, AllocOfNothingAllocatesNothingAndFreeOnlyZeroes)
{
    SLxKernelMatrix m;
    EXPECT_EQ(SLxKernelMatrix::Alloc(&m, 0, 5), 0);
    EXPECT_EQ(m.piValues, nullptr);
    EXPECT_EQ(m.uiNCols, 5u);
    m.uiReserved1 = 7;
    SLxKernelMatrix::Free(&m);
    EXPECT_EQ(m.uiNCols, 0u);
    EXPECT_EQ(m.uiReserved1, 0u);
    EXPECT_EQ(m.iDivisor, 0);
    EXPECT_EQ(SLxKernelMatrix::Alloc(nullptr, 3, 3), -4);
}

TEST(KernelMatrix, AllocZeroesValuesAndSetsEveryMaskBit)
{
    SLxKernelMatrix m;
    ASSERT_EQ(SLxKernelMatrix::Alloc(&m, 5, 7), 0);
    EXPECT_EQ(sumOf(m), 0);
    EXPECT_EQ(m.puiBitMask[0], 0xFFFFFFFFu);
    EXPECT_EQ(m.puiBitMask[1], 0x7u); // 35 elements
}

TEST(KernelMatrix, CopiesOutliveTheirSource)
{
    SLxKernelMatrix* source = new SLxKernelMatrix;
    ASSERT_EQ(SLxKernelMatrix::Alloc(source, 3, 4), 0);
    fillSequence(*source, 10);
    source->iDivisor = 6;
    source->uiReserved2 = 9;
    SLxKernelMatrix constructed(*source);
    SLxKernelMatrix assigned;
    SLxKernelMatrix::Alloc(&assigned, 9, 9);
    assigned = *source;
    delete source;
    for (const SLxKernelMatrix* m : {&constructed, &assigned}) {
        EXPECT_EQ(m->uiNRows, 3u);
        EXPECT_EQ(m->uiNCols, 4u);
        EXPECT_EQ(m->iDivisor, 6);
        EXPECT_EQ(m->uiReserved2, 9u);
        EXPECT_EQ(at(*m, 2, 3), 21);
    }
    assigned = assigned; // itself: unchanged
    EXPECT_EQ(at(assigned, 2, 3), 21);
}

TEST(KernelMatrix, PasteCentresCropsOrDoesNothing)
{
    SLxKernelMatrix small, large, wide;
    SLxKernelMatrix::Alloc(&small, 3, 3);
    SLxKernelMatrix::Alloc(&large, 7, 7);
    SLxKernelMatrix::Alloc(&wide, 3, 5);
    fillSequence(small, 1);
    fillSequence(large, 100);
    fillSequence(wide, 50);

    SLxKernelMatrix into7(large);
    ASSERT_EQ(SLxKernelMatrix::Paste(&into7, &small), 0);
    for (uint32_t r = 0; r < 7; ++r)
        for (uint32_t c = 0; c < 7; ++c) {
            const bool frame = r < 2 || r > 4 || c < 2 || c > 4;
            EXPECT_EQ(at(into7, r, c), frame ? 0 : at(small, r - 2, c - 2)) << r << "," << c;
        }

    SLxKernelMatrix into3(small);
    ASSERT_EQ(SLxKernelMatrix::Paste(&into3, &large), 0);
    for (uint32_t r = 0; r < 3; ++r)
        for (uint32_t c = 0; c < 3; ++c)
            EXPECT_EQ(at(into3, r, c), at(large, r + 2, c + 2));

    SLxKernelMatrix five;
    SLxKernelMatrix::Alloc(&five, 5, 5);
    fillSequence(five, 7);
    const SLxKernelMatrix before(five);
    EXPECT_EQ(SLxKernelMatrix::Paste(&five, &wide), 0);
    for (uint32_t i = 0; i < 25; ++i)
        EXPECT_EQ(five.piValues[i], before.piValues[i]);
}

TEST(KernelMatrix, AverageAndLaplacian)
{
    SLxKernelMatrix m;
    SLxKernelMatrix::Alloc(&m, 3, 3);
    ASSERT_EQ(SLxKernelMatrix::GeneratorAverage(&m), 0);
    EXPECT_EQ(sumOf(m), 9);
    EXPECT_EQ(m.iDivisor, 9);

    SLxKernelMatrix::Alloc(&m, 5, 5);
    ASSERT_EQ(SLxKernelMatrix::GeneratorLaplacian(&m), 0);
    for (uint32_t r = 0; r < 5; ++r)
        for (uint32_t c = 0; c < 5; ++c) {
            const bool block = r >= 1 && r <= 3 && c >= 1 && c <= 3;
            EXPECT_EQ(at(m, r, c), block ? 16 : -9);
        }
    EXPECT_EQ(m.iDivisor, 9);
    EXPECT_EQ(sumOf(m), 0);

    SLxKernelMatrix::Alloc(&m, 3, 5);
    EXPECT_EQ(SLxKernelMatrix::GeneratorLaplacian(&m), -9);
    SLxKernelMatrix empty;
    EXPECT_EQ(SLxKernelMatrix::GeneratorAverage(&empty), -9);
    EXPECT_EQ(SLxKernelMatrix::GeneratorAverage(nullptr), -9);
}

TEST(KernelMatrix, GaussianFallsToATenthAtTheHalfSide)
{
    SLxKernelMatrix m;
    SLxKernelMatrix::Alloc(&m, 5, 5);
    ASSERT_EQ(SLxKernelMatrix::GeneratorGaussian(&m), 0);
    EXPECT_EQ(at(m, 2, 2), 100);
    EXPECT_EQ(at(m, 2, 0), 10);
    EXPECT_EQ(at(m, 0, 2), 10);
    EXPECT_EQ(at(m, 4, 2), 10);
    EXPECT_EQ(m.iDivisor, sumOf(m));

    // One column: no distance to fall over, and no 0 / 0.
    SLxKernelMatrix::Alloc(&m, 1, 1);
    ASSERT_EQ(SLxKernelMatrix::GeneratorGaussian(&m), 0);
    EXPECT_EQ(m.piValues[0], 100);
    EXPECT_EQ(m.iDivisor, 100);
    // The square it would write does not fit these.
    for (auto [rows, cols] : {std::pair{3u, 5u}, std::pair{4u, 4u}, std::pair{5u, 1u}}) {
        SLxKernelMatrix::Alloc(&m, rows, cols);
        EXPECT_EQ(SLxKernelMatrix::GeneratorGaussian(&m), -9) << rows << "x" << cols;
    }
}

TEST(KernelMatrix, MexicanHatBalancesToZeroOrRefusesAndAlwaysEnds)
{
    int balanced = 0;
    for (uint32_t n = 3; n <= 51; n += 2) {
        SLxKernelMatrix m;
        SLxKernelMatrix::Alloc(&m, n, n);
        const int status = SLxKernelMatrix::GeneratorMexicanHat(&m);
        ASSERT_TRUE(status == 0 || status == -9) << n;
        if (status == 0) {
            ++balanced;
            EXPECT_EQ(sumOf(m), 0) << n;
            EXPECT_EQ(m.iDivisor, 1);
            EXPECT_GT(at(m, n / 2, n / 2), 0) << n;
            // Symmetric about both axes.
            for (uint32_t r = 0; r < n; ++r)
                for (uint32_t c = 0; c < n; ++c)
                    ASSERT_EQ(at(m, r, c), at(m, n - 1 - r, n - 1 - c)) << n;
        }
    }
    EXPECT_GT(balanced, 0);
    SLxKernelMatrix even;
    SLxKernelMatrix::Alloc(&even, 4, 4);
    EXPECT_EQ(SLxKernelMatrix::GeneratorMexicanHat(&even), -9);
}

} // namespace
