#include <cmath>
#include <cstdlib>

#include "gnr_picture/picmemAPI/LxNoiseStatistics.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/wavelets/LxWavelet2D.h"
#include "gnr_picture/wavelets/LxWaveletBuffers.h"
#include "gnr_picture/wavelets/LxWaveletPlanes.h"

namespace
{

constexpr uint32_t kMinSide = 64;
constexpr int kGrade = 5; // Daubechies, 10 taps
constexpr double kNoThreshold = 1e300;

// Values of magnitude below t become 0.0.
void hardThreshold(double* plane, size_t n, double t)
{
    for (size_t i = 0; i < n; ++i)
        if (std::fabs(plane[i]) < t)
            plane[i] = 0.0;
}

// The threshold n / s of a band whose signal deviation is s.
double threshold(double noise, double signal)
{
    return signal == 0.0 ? kNoThreshold : noise / signal;
}

// The four planes of one level and the filter pair, released on every path.
struct SNoiseLevel {
    double* band[4] = {};
    double* low = nullptr;
    double* high = nullptr;
    ~SNoiseLevel()
    {
        for (double* b : band)
            std::free(b);
        std::free(low);
        std::free(high);
    }
};

} // namespace

double CLxPicMemAPI::GetNoiseEstimation(const void* data, uint32_t comps, uint32_t bits,
                                        uint32_t widthBytes, uint32_t width, uint32_t height)
{
    if (!data || comps == 0 || width < kMinSide || height < kMinSide || bits < 8 || bits > 16)
        return -1.0;
    const uint32_t W = width & ~1u;
    const uint32_t H = height & ~1u;
    const size_t count = size_t(W) * H;
    lxwavelet::CWaveletScratch temps;
    double* plane = temps.take<double>(count);
    if (!plane)
        return -1.0;
    lxwavelet::readPlane(plane, W, H, data, widthBytes, comps, bits);

    // Normalised to mean 1000 so that the result does not depend on the
    // exposure. A black picture has no scale to normalise by.
    double sum = 0.0;
    for (size_t i = 0; i < count; ++i)
        sum += plane[i];
    const double mean = sum / double(count);
    if (mean == 0.0)
        return -1.0;
    for (size_t i = 0; i < count; ++i)
        plane[i] = plane[i] / mean * 1000.0;

    SNoiseLevel level;
    int taps = 0;
    if (CLxDaubechies2DWave::GetMotherWavelet(level.low, &taps, kGrade) != 0 ||
        CLxDaubechies2DWave::GetFatherWavelet(level.high, &taps, kGrade) != 0)
        return -1.0;
    uint32_t hw = 0;
    uint32_t hh = 0;
    double*(&band)[4] = level.band;
    if (CLxWavelet2D::WaveletDecompositionImage(band[0], band[1], band[2], band[3], hw, hh, plane,
                                                W, H, level.low, level.high, uint32_t(taps)) != 0)
        return -1.0;

    // Only the diagonal band has the noise power taken off its energy.
    const double sigma = LX_NoiseSigmaMAD(band[0], hw, hh);
    const double noise = sigma * sigma;
    const double signal[3] = {std::sqrt(std::fmax(LX_MeanSquare(band[0], hw, hh) - noise, 0.0)),
                              std::sqrt(std::fmax(LX_MeanSquare(band[1], hw, hh), 0.0)),
                              std::sqrt(std::fmax(LX_MeanSquare(band[2], hw, hh), 0.0))};
    const size_t halfCount = size_t(hw) * hh;
    for (int b = 0; b < 3; ++b)
        hardThreshold(band[b], halfCount, threshold(noise, signal[b]));
    for (size_t i = 0; i < halfCount; ++i)
        band[3][i] = 0.0;

    uint32_t rw = 0;
    uint32_t rh = 0;
    if (CLxWavelet2D::WaveletReconstructionImage(plane, rw, rh, band[0], band[1], band[2], band[3],
                                                 hw, hh, level.low, level.high,
                                                 uint32_t(taps)) != 0)
        return -1.0;

    double total = 0.0;
    for (size_t i = 0; i < count; ++i)
        total += plane[i];
    const double center = total / double(count);
    double squares = 0.0;
    for (size_t i = 0; i < count; ++i)
        squares += (plane[i] - center) * (plane[i] - center);
    return squares / double(count);
}
