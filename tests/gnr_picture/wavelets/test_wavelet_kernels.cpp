// The sums of products compiled here at the baseline instruction set (SSE2),
// against plain dot products. The library's passes (the AVX2 clone where the
// processor has it) meet the same plain sums in test_wavelet_transform.cpp,
// so all of them give the same doubles.
#include <gtest/gtest.h>

#include <vector>

#include "gnr_picture/wavelets/LxWaveletKernels.h"
#include "wavelet_test_support.h"

using namespace wavelettest;

namespace
{

TEST(WaveletKernels, BaselineSumsEqualPlainDotProducts)
{
    for (uint32_t taps : {1u, 2u, 3u, 5u, 6u, 7u, 9u, 10u, 12u, 14u, 18u, 20u}) {
        for (size_t count : {size_t(0), size_t(1), size_t(7), size_t(8), size_t(9), size_t(33)}) {
            // taps rows of count samples, and filters read at every index
            // (dualSums) or every other one (pairSum).
            std::vector<Plane> rows, others;
            std::vector<const double*> p, q;
            for (uint32_t i = 0; i < taps; ++i) {
                rows.push_back(randomPlane(count + 1, 1, 100 * taps + i));
                others.push_back(randomPlane(count + 1, 1, 200 * taps + i));
            }
            for (uint32_t i = 0; i < taps; ++i) {
                p.push_back(rows[i].data());
                q.push_back(others[i].data());
            }
            const Plane fa = randomPlane(2 * taps, 1, taps, 1.0);
            const Plane fb = randomPlane(2 * taps, 1, taps + 7, 1.0);

            std::vector<double> outA(count + 1, -1.0), outB(count + 1, -1.0), out(count + 1, -1.0);
            lxwavelet::dualSumsAny(outA.data(), outB.data(), p.data(), fa.data(), fb.data(), taps,
                                   count);
            lxwavelet::pairSumAny(out.data(), p.data(), fa.data(), q.data(), fb.data(), taps,
                                  count);
            for (size_t k = 0; k < count; ++k) {
                double a = 0.0, b = 0.0, lo = 0.0, hi = 0.0;
                for (uint32_t i = 0; i < taps; ++i) {
                    a += p[i][k] * fa[i];
                    b += p[i][k] * fb[i];
                    lo += p[i][k] * fa[2 * i];
                    hi += q[i][k] * fb[2 * i];
                }
                ASSERT_EQ(outA[k], a) << taps << " taps, sample " << k;
                ASSERT_EQ(outB[k], b) << taps << " taps, sample " << k;
                ASSERT_EQ(out[k], lo + hi) << taps << " taps, sample " << k;
            }
            // Nothing past the count.
            EXPECT_EQ(outA[count], -1.0);
            EXPECT_EQ(out[count], -1.0);
        }
    }
}

} // namespace
