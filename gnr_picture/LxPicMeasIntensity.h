// The intensity pass of the object and field measurement: one accumulator
// fed with an object's runs, which sums positions, grey values, colours,
// densities and custom measures, and writes their feature slots.
#pragma once

#include <cstdint>

#include "gnr_picture/LxPicMeasAPI.h"

namespace lx_meas
{

class IntensityPass
{
  public:
    // Feature bits that need the pixels visited (or a measurement object).
    static constexpr uint32_t kPixelBits = 0x238;
    static constexpr uint32_t kPassBits = 0x23C;

    IntensityPass(const SLxPicBuf* pic, uint32_t mask, const uint32_t* channelFlags,
                  const double* density1, const double* density2, ILxPicMeas* measure1,
                  ILxPicMeas* measure2);

    // Whether the pass has anything to do.
    bool Active() const { return active_; }
    // Counts each pixel fed into histogram[intensity sum / channels] too
    // (2^bits counters), with any of 0x218.
    void SetHistogram(uint32_t* histogram) { histogram_ = histogram; }

    // A run of length pixels from (x, y); its pixels outside the picture
    // count for the area and centre but are not read.
    void AddRun(uint32_t x, uint32_t y, uint32_t length);

    uint64_t Area() const { return area_; }
    // Writes the slots of the asked groups: centre (14-17), intensity,
    // colour-space, density and custom means, colorimetry (63-72).
    void Finish(double* row, double cal) const;

  private:
    template <typename T> void Visit(uint32_t x, uint32_t y, uint32_t length);

    const SLxPicBuf* pic_;
    uint32_t mask_;
    bool active_ = false;
    bool visit_ = false;
    uint32_t bytes_ = 0;
    int32_t red_ = -1, green_ = -1, blue_ = -1;
    uint32_t intensity_[32];
    uint32_t intensityCount_ = 0;
    uint32_t density_[32];
    uint32_t densityCount_ = 0;
    const double* density1_;
    const double* density2_;
    ILxPicMeas* measure_[2];
    uint32_t* histogram_ = nullptr;
    uint64_t histogramBins_ = 1;

    uint64_t area_ = 0;
    double sumX_ = 0, sumY_ = 0;
    uint64_t visited_ = 0;
    double sumRed_ = 0, sumGreen_ = 0, sumBlue_ = 0;
    double sum_ = 0, sumSquares_ = 0;
    uint64_t least_ = 0, greatest_ = 0;
    double sumSaturation_ = 0, sumHue_ = 0, sumHueSquares_ = 0;
    double sumDensity1_ = 0, sumDensity1Squares_ = 0;
    double sumDensity2_ = 0, sumDensity2Squares_ = 0;
    double sumMeasure_[2] = {0, 0};
};

} // namespace lx_meas
