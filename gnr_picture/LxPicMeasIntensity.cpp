// The intensity pass: sums over an object's pixels and the slots written
// from them.
#include "gnr_picture/LxPicMeasIntensity.h"

#include <cmath>

#include "gnr_picture/LxPicMeasSamples.h"

namespace lx_meas
{

namespace
{

// Sample standard deviation from a sum and a sum of squares.
double Deviation(double sum, double squares, uint64_t n)
{
    if (n < 2)
        return 0.0;
    const double variance = (squares - sum * sum / double(n)) / double(n - 1);
    return variance > 0.0 ? std::sqrt(variance) : 0.0;
}

} // namespace

IntensityPass::IntensityPass(const SLxPicBuf* pic, uint32_t mask, const uint32_t* channelFlags,
                             const double* density1, const double* density2, ILxPicMeas* measure1,
                             ILxPicMeas* measure2)
    : pic_(pic), mask_(mask), density1_(density1), density2_(density2), measure_{measure1, measure2}
{
    const bool measuring = measure1 || measure2;
    active_ = (mask & kPassBits) || measuring;
    if (!pic || !((mask & kPixelBits) || measuring))
        return;
    bytes_ = SampleBytes(pic);
    visit_ = bytes_ != 0 && HoldsLines(pic, bytes_);
    if (!channelFlags)
        return;
    for (uint32_t c = 0; c < pic->uiComps; ++c) {
        const uint32_t f = channelFlags[c];
        if (f & 0x1)
            red_ = int32_t(c);
        if (f & 0x2)
            green_ = int32_t(c);
        if (f & 0x4)
            blue_ = int32_t(c);
        if ((f & 0x8) && intensityCount_ < 32)
            intensity_[intensityCount_++] = c;
        if ((f & 0x10) && densityCount_ < 32)
            density_[densityCount_++] = c;
    }
    least_ = (uint64_t(1) << pic->uiBpc) * pic->uiComps;
    histogramBins_ = uint64_t(1) << pic->uiBpc;
}

void IntensityPass::AddRun(uint32_t x, uint32_t y, uint32_t length)
{
    area_ += length;
    if (mask_ & 0x4) {
        sumX_ += (2.0 * x + length - 1.0) * length / 2.0;
        sumY_ += double(y) * length;
    }
    if (!visit_ || y >= pic_->uiHeight || x >= pic_->uiWidth)
        return;
    const uint32_t end = uint64_t(x) + length > pic_->uiWidth ? pic_->uiWidth : x + length;
    if (bytes_ == 1)
        Visit<uint8_t>(x, y, end - x);
    else
        Visit<uint16_t>(x, y, end - x);
}

template <typename T> void IntensityPass::Visit(uint32_t x, uint32_t y, uint32_t length)
{
    const uint32_t comps = pic_->uiComps;
    const T* p = Row<T>(pic_, y) + size_t(x) * comps;
    const bool grey = mask_ & 0x218;
    const bool hsi = mask_ & 0x10;
    const bool density = (mask_ & 0x20) && densityCount_ != 0;
    for (uint32_t i = 0; i < length; ++i, p += comps) {
        ++visited_;
        const T r = red_ >= 0 ? p[red_] : 0;
        const T g = green_ >= 0 ? p[green_] : 0;
        const T b = blue_ >= 0 ? p[blue_] : 0;
        if (grey) {
            sumRed_ += r, sumGreen_ += g, sumBlue_ += b;
            uint64_t s = 0;
            for (uint32_t k = 0; k < intensityCount_; ++k)
                s += p[intensity_[k]];
            sum_ += double(s);
            sumSquares_ += double(s) * double(s);
            least_ = s < least_ ? s : least_;
            greatest_ = s > greatest_ ? s : greatest_;
            if (histogram_ && intensityCount_) {
                // Samples above the significant bits stay in the last bin.
                const uint64_t bin = s / intensityCount_;
                ++histogram_[bin < histogramBins_ ? bin : histogramBins_ - 1];
            }
        }
        if (hsi) {
            const T bgr[3] = {b, g, r};
            T intensity, saturation, hue;
            if (sizeof(T) == 1)
                CLxPicMemAPI::ConvertRGB8toHSI8(
                    reinterpret_cast<uint8_t*>(&intensity), reinterpret_cast<uint8_t*>(&saturation),
                    reinterpret_cast<uint8_t*>(&hue), reinterpret_cast<const uint8_t*>(bgr), 1);
            else
                CLxPicMemAPI::ConvertRGB16toHSI16(reinterpret_cast<uint16_t*>(&intensity),
                                                  reinterpret_cast<uint16_t*>(&saturation),
                                                  reinterpret_cast<uint16_t*>(&hue),
                                                  reinterpret_cast<const uint16_t*>(bgr), 1);
            sumSaturation_ += saturation;
            sumHue_ += hue;
            sumHueSquares_ += double(hue) * hue;
        }
        if (density) {
            double d1 = 0, d2 = 0;
            for (uint32_t k = 0; k < densityCount_; ++k) {
                const T v = p[density_[k]];
                d2 += CLxPicMeasAPI::GetDensity(density2_, v, pic_->uiBpc);
                d1 += CLxPicMeasAPI::GetDensity(density1_, v, pic_->uiBpc);
            }
            d1 /= densityCount_;
            d2 /= densityCount_;
            sumDensity1_ += d1, sumDensity1Squares_ += d1 * d1;
            sumDensity2_ += d2, sumDensity2Squares_ += d2 * d2;
        }
        for (int m = 0; m < 2; ++m)
            if (measure_[m])
                sumMeasure_[m] += measure_[m]->Measure(p, pic_->uiBpc, comps, 0);
    }
}

void IntensityPass::Finish(double* row, double cal) const
{
    if ((mask_ & 0x4) && area_) {
        row[16] = sumX_ / double(area_);
        row[17] = sumY_ / double(area_);
        row[14] = row[16] * cal;
        row[15] = row[17] * cal;
    }
    if (!visit_)
        return;
    const uint64_t n = visited_;
    const double perPixel = n ? 1.0 / double(n) : 0.0;
    if ((mask_ & 0x8) && intensityCount_) {
        const double k = intensityCount_;
        row[25] = sum_ / k * perPixel;
        row[26] = sum_ / k;
        row[27] = Deviation(sum_, sumSquares_, n) / k;
        row[29] = sumRed_ * perPixel;
        row[30] = sumGreen_ * perPixel;
        row[31] = sumBlue_ * perPixel;
        row[46] = sumRed_;
        row[47] = sumGreen_;
        row[48] = sumBlue_;
        row[49] = n ? double(least_) / k : 0.0;
        row[50] = double(greatest_) / k;
    }
    if (mask_ & 0x10) {
        row[32] = sumHue_ * perPixel;
        row[33] = Deviation(sumHue_, sumHueSquares_, n);
        row[34] = sumSaturation_ * perPixel;
    }
    if ((mask_ & 0x20) && densityCount_) {
        // A variance this small is rounding noise of a flat object.
        auto deviation = [n](double sum, double squares) {
            const double variance = (squares - sum * sum / double(n)) / double(n - 1);
            return variance < 0.0001 ? 0.0 : std::sqrt(variance);
        };
        if (density1_) {
            row[37] = sumDensity1_ * perPixel;
            row[38] = sumDensity1_;
            if (n >= 2)
                row[39] = deviation(sumDensity1_, sumDensity1Squares_);
        }
        if (density2_) {
            row[28] = sumDensity2_;
            row[40] = sumDensity2_ * perPixel;
            if (n >= 2)
                row[41] = deviation(sumDensity2_, sumDensity2Squares_);
        }
    }
    for (int m = 0; m < 2; ++m)
        if (measure_[m] && n)
            row[79 + m] = sumMeasure_[m] * perPixel;
    if ((mask_ & 0x200) && n) {
        // The colorimetry works on the 8-bit scale.
        const double scale = pic_->uiBpc > 8 ? 255.0 / double((1u << pic_->uiBpc) - 1) : 1.0;
        SLxColorimetryData c;
        if (CLxPicMeasAPI::Measure_Colorimetry(sumRed_ * perPixel * scale,
                                               sumGreen_ * perPixel * scale,
                                               sumBlue_ * perPixel * scale, &c)) {
            const double values[10] = {c.Y, c.x, c.y, c.u,      c.v,
                                       c.L, c.a, c.b, c.purity, c.wavelength};
            for (int i = 0; i < 10; ++i)
                row[63 + i] = values[i];
        }
    }
}

} // namespace lx_meas
