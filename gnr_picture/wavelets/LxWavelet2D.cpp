#include "gnr_picture/wavelets/LxWavelet2D.h"

#include <cstdlib>

#include "gnr_picture/wavelets/LxWaveletBuffers.h"
#include "gnr_picture/wavelets/LxWaveletPasses.h"

using lxwavelet::CWaveletScratch;

int CLxWavelet2D::WaveletDecompositionImage(double*& out1, double*& out2, double*& out3,
                                            double*& out4, uint32_t& halfWidth,
                                            uint32_t& halfHeight, const double* src, uint32_t width,
                                            uint32_t height, const double* filterA,
                                            const double* filterB, uint32_t L)
{
    if (!src || !filterA || !filterB || L == 0 || L > width || L > height)
        return -9;
    if (width % 2 != 0 || height % 2 != 0)
        return -2;
    const size_t w = width;
    const size_t h = height;
    const size_t half = (w / 2) * (h / 2);

    CWaveletScratch temps;
    double* scratch = temps.take<double>(lxwavelet::analyseScratch(w, L));
    const double** taps = temps.take<const double*>(2 * size_t(L));
    // Outputs the caller left null belong to the call until it succeeds.
    CWaveletScratch made;
    double* outs[4] = {out1, out2, out3, out4};
    for (double*& out : outs)
        if (!out)
            out = made.take<double>(half);
    if (temps.failed() || made.failed())
        return -9;

    lxwavelet::analyseLevel(outs[0], outs[1], outs[2], outs[3], src, w, h, filterA, filterB, L,
                            scratch, taps);

    made.release();
    out1 = outs[0];
    out2 = outs[1];
    out3 = outs[2];
    out4 = outs[3];
    halfWidth = width / 2;
    halfHeight = height / 2;
    return 0;
}

int CLxWavelet2D::WaveletReconstructionImage(double*& out, uint32_t& width, uint32_t& height,
                                             const double* in1, const double* in2,
                                             const double* in3, const double* in4,
                                             uint32_t halfWidth, uint32_t halfHeight,
                                             const double* filterA, const double* filterB,
                                             uint32_t L)
{
    if (!in1 || !in2 || !in3 || !in4 || !filterA || !filterB || L == 0)
        return -9;
    const uint64_t fullWidth = uint64_t(halfWidth) * 2;
    const uint64_t fullHeight = uint64_t(halfHeight) * 2;
    if (L > fullWidth || L > fullHeight || fullWidth > UINT32_MAX || fullHeight > UINT32_MAX)
        return -9;
    const size_t m = halfWidth;

    CWaveletScratch temps;
    double* reversedA = temps.take<double>(L);
    double* reversedB = temps.take<double>(L);
    double* scratch = temps.take<double>(lxwavelet::synthesiseScratch(m, L));
    const double** taps = temps.take<const double*>(size_t(L) + 2);
    CWaveletScratch made;
    double* target = out ? out : made.take<double>(size_t(fullWidth) * fullHeight);
    if (temps.failed() || made.failed())
        return -9;

    ConstructInverseFilter(reversedA, filterA, L);
    ConstructInverseFilter(reversedB, filterB, L);
    lxwavelet::synthesiseLevel(target, in1, in2, in3, in4, m, halfHeight, reversedA, reversedB, L,
                               scratch, taps);

    made.release();
    out = target;
    width = uint32_t(fullWidth);
    height = uint32_t(fullHeight);
    return 0;
}

int CLxWavelet2D::FreeBuf(double* plane)
{
    if (!plane)
        return -9;
    std::free(plane);
    return 0;
}

double CLxWavelet2D::ScalarMulti(const double* a, const double* b, uint32_t n)
{
    return lxwavelet::scalarMulti(a, b, n);
}

void CLxWavelet2D::ConstructInverseFilter(double* dst, const double* src, uint32_t L)
{
    for (uint32_t i = 0; i < L; ++i)
        dst[i] = src[L - 1 - i];
}
