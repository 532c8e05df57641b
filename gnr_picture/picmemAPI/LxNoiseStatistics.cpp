#include "gnr_picture/picmemAPI/LxNoiseStatistics.h"

#include <cmath>
#include <cstdlib>

#include "gnr_picture/wavelets/LxWavelet2D.h"

namespace
{

// 1 / 0.6745: the normal distribution's 0.75 quantile, rounded as the rule
// has always been used.
constexpr double kMadToSigma = 1.4825796886582654;

size_t valueCount(uint32_t width, uint32_t height)
{
    return size_t(width) * height;
}

// x shrunk towards 0 by t and scaled: the two branches give exactly
// sign(x) x (|x| - t) x gain.
template <class Gain>
void shrink(double* plane, uint32_t width, uint32_t height, double t, Gain gain)
{
    if (!plane)
        return;
    const size_t n = valueCount(width, height);
    for (size_t i = 0; i < n; ++i) {
        const double x = plane[i];
        plane[i] = x > t ? gain(x - t) : x < -t ? gain(x + t) : 0.0;
    }
}

} // namespace

double LX_MeanSquare(const double* plane, uint32_t width, uint32_t height)
{
    const size_t n = valueCount(width, height);
    if (!plane || n == 0)
        return 0.0;
    double sum = 0.0;
    for (size_t i = 0; i < n; ++i)
        sum += plane[i] * plane[i];
    return sum / double(n);
}

double LX_NoiseSigmaMAD(const double* plane, uint32_t width, uint32_t height)
{
    const size_t n = valueCount(width, height);
    if (!plane || n == 0 || n > UINT32_MAX || n > SIZE_MAX / sizeof(double))
        return 0.0;
    auto* magnitudes = static_cast<double*>(std::malloc(n * sizeof(double)));
    if (!magnitudes)
        return 0.0;
    for (size_t i = 0; i < n; ++i)
        magnitudes[i] = std::fabs(plane[i]);
    double median = 0.0;
    const int status =
        CLxMedianSearch::KthSearch(&median, uint32_t(n / 2), magnitudes, uint32_t(n));
    std::free(magnitudes);
    return status == 0 ? median * kMadToSigma : 0.0;
}

void LX_SoftThreshold(double* plane, uint32_t width, uint32_t height, double t)
{
    shrink(plane, width, height, t, [](double v) { return v; });
}

void LX_SoftThresholdBoost(double* plane, uint32_t width, uint32_t height, double t)
{
    shrink(plane, width, height, t, [](double v) { return v * 1.5; });
}
