#include "gnr_picture/picmemAPI/LxRatioKernels.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "gnr_picture/picmemAPI/LxRatioPalettes.h"

using namespace lxratio;

namespace
{

template <class T> T sampleAt(const uint8_t* p, uint32_t c)
{
    T v;
    std::memcpy(&v, p + c * sizeof(T), sizeof v);
    return v;
}

// A source window of comps samples of type T a pixel.
template <class T> struct Source {
    const uint8_t* data;
    size_t pitch;
    uint32_t comps;
    uint32_t width, rows;

    Source(const void* src, uint32_t srcWB, uint32_t c, uint32_t w, uint32_t count)
        : data(static_cast<const uint8_t*>(src)), pitch(srcWB / sizeof(T) * sizeof(T)), comps(c),
          width(w), rows(count / w)
    {
    }
    const uint8_t* pixel(uint32_t x, uint32_t y) const
    {
        return data + y * pitch + size_t(x) * comps * sizeof(T);
    }
    // The largest of two components over the picture, at least 1.
    uint32_t largest(uint32_t a, uint32_t b) const
    {
        uint32_t m = 1;
        for (uint32_t y = 0; y < rows; ++y)
            for (uint32_t x = 0; x < width; ++x) {
                const uint8_t* p = pixel(x, y);
                m = std::max({m, uint32_t(sampleAt<T>(p, a)), uint32_t(sampleAt<T>(p, b))});
            }
        return m;
    }
};

// A palette index from a fraction: held to [0, 1] first (NaN gives 0).
uint32_t paletteIndex(double t)
{
    if (!(t > 0.0))
        return 0;
    if (t >= 1.0)
        return 255;
    return uint32_t(t * 255.0);
}

// Bytes 0, 1, 2 of the palette word, each scaled by brightness / scale.
void writeColour(uint8_t* out, uint32_t word, uint32_t brightness, uint32_t scale)
{
    for (int k = 0; k < 3; ++k)
        out[k] = scale ? uint8_t(((word >> (8 * k)) & 0xFF) * brightness / scale) : 0;
}

// max(p - op, q - oq), 0 when negative.
uint32_t brightnessOf(int32_t p, int32_t q)
{
    const int32_t b = std::max(p, q);
    return b > 0 ? uint32_t(b) : 0;
}

// An offset as the kernel uses it: its low byte for byte samples.
template <class T> int32_t offsetOf(int32_t offset)
{
    return sizeof(T) == 1 ? int32_t(uint8_t(offset)) : offset;
}

// The brightness scale: 255 at 8 bits, the picture's largest numerator or
// denominator sample at 16 bits.
template <class T> uint32_t scaleOf(const Source<T>& s, uint32_t numer, uint32_t denom)
{
    return sizeof(T) == 1 ? 255u : s.largest(numer, denom);
}

template <class T, class IndexOf>
void colourPixels(void* dst, uint32_t dstWB, const Source<T>& s, uint32_t numer, uint32_t denom,
                  int32_t op, int32_t oq, IndexOf indexOf)
{
    const uint32_t* palette = ratioPalette();
    const uint32_t scale = scaleOf(s, numer, denom);
    for (uint32_t y = 0; y < s.rows; ++y) {
        uint8_t* out = static_cast<uint8_t*>(dst) + size_t(y) * dstWB;
        for (uint32_t x = 0; x < s.width; ++x, out += 3) {
            const uint8_t* p = s.pixel(x, y);
            const int32_t pn = int32_t(sampleAt<T>(p, numer)) - op;
            const int32_t pd = int32_t(sampleAt<T>(p, denom)) - oq;
            writeColour(out, palette[indexOf(pn, pd)], brightnessOf(pn, pd), scale);
        }
    }
}

template <class T>
int ratioImage(void* dst, uint32_t dstWB, const void* src, uint32_t comps, uint32_t srcWB,
               uint32_t width, uint32_t count, const SLxRatioDesc& d)
{
    const Source<T> s(src, srcWB, comps, width, count);
    const double span = d.dMax - d.dMin;
    colourPixels<T>(dst, dstWB, s, d.uiNumer, d.uiDenom, offsetOf<T>(d.uiNumOffset),
                    offsetOf<T>(d.uiDenOffset), [&](int32_t pn, int32_t pd) -> uint32_t {
                        if (pd <= 0)
                            return 255;
                        return paletteIndex((double(pn) / pd - d.dMin) / span);
                    });
    return 0;
}

struct CaCalibration {
    double kd, scale, betaNumer, betaDenom, ratioMin, ratioMax, concLow, concHigh;
};

template <class T>
int caImage(void* dst, uint32_t dstWB, const void* src, uint32_t comps, uint32_t srcWB,
            uint32_t width, uint32_t count, uint32_t numer, uint32_t denom, uint16_t numOffset,
            uint16_t denOffset, const CaCalibration& k)
{
    const Source<T> s(src, srcWB, comps, width, count);
    const double capExponent = std::ceil(std::log10(10.0 * k.kd));
    const double cap = std::pow(10.0, capExponent);
    const double logHigh = std::log10(k.concHigh);
    double logLow;
    if (k.concLow != 0.0)
        logLow = std::log10(k.concLow);
    else if (sizeof(T) == 1)
        logLow = logHigh > 0.0 ? -logHigh : -4.0;
    else
        logLow = -capExponent;
    const double beta = k.betaDenom > 0.0 ? k.betaNumer / k.betaDenom : k.betaNumer;
    colourPixels<T>(dst, dstWB, s, numer, denom, offsetOf<T>(numOffset), offsetOf<T>(denOffset),
                    [&](int32_t pn, int32_t pd) -> uint32_t {
                        const double r = pd > 0 ? double(pn) / pd : double(pn);
                        double level = logLow;
                        if (k.betaNumer > 0.0) {
                            const double above = r - k.scale * k.ratioMin;
                            if (above > 0.0) {
                                const double below = k.scale * k.ratioMax - r;
                                double conc = cap;
                                if (below > 0.0) {
                                    conc = above * beta * k.kd / below;
                                    if (!(cap > conc))
                                        conc = cap;
                                }
                                level = conc == 0.0 ? logLow : std::log10(conc);
                            }
                        }
                        return paletteIndex((level - logLow) / (logHigh - logLow));
                    });
    return 0;
}

// The FRET coefficients and components of one call.
struct Fret {
    int32_t fretComp, donorComp, acceptorComp;
    int32_t fretOffset, donorOffset, acceptorOffset;
    double c0, c1, c2, c3;
};

template <class T>
Fret fretOf(int32_t f, int32_t d, int32_t a, int16_t fo, int16_t dof, int16_t ao, double c0,
            double c1, double c2, double c3)
{
    return {f, d, a, offsetOf<T>(fo), offsetOf<T>(dof), offsetOf<T>(ao), c0, c1, c2, c3};
}

// F of one pixel, 0 when not above 0 or NaN; the donor term in donor.
template <class T> double corrected(const uint8_t* p, const Fret& f, double& donor)
{
    const double a = std::max(0, int32_t(sampleAt<T>(p, f.fretComp)) - f.fretOffset);
    const double d = std::max(0, int32_t(sampleAt<T>(p, f.donorComp)) - f.donorOffset);
    const double acc =
        f.acceptorComp >= 0
            ? std::max(0, int32_t(sampleAt<T>(p, uint32_t(f.acceptorComp))) - f.acceptorOffset)
            : 0;
    donor = d;
    const double v = a - f.c1 * (acc - f.c2 * d) - f.c0 * (d - f.c3 * acc);
    return v > 0.0 ? v : 0.0;
}

// Output forms of the FRET picture.
enum class FretOut { Bytes, Words };

template <class T, FretOut Out>
int fretImage(void* dst, uint32_t dstWB, const void* src, uint32_t comps, uint32_t bits,
              uint32_t srcWB, uint32_t width, uint32_t count, const Fret& f, const SLxLut* lut)
{
    const Source<T> s(src, srcWB, comps, width, count);
    const uint32_t top = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1u;
    const uint32_t indexMask = sizeof(T) == 1 ? 0xFFu : 0xFFFFu;
    auto* const* rows = lut ? static_cast<uint8_t* const*>(lut->pTable) : nullptr;
    const size_t pitch = Out == FretOut::Words ? dstWB / 2 * 2 : dstWB;
    for (uint32_t y = 0; y < s.rows; ++y) {
        uint8_t* out = static_cast<uint8_t*>(dst) + y * pitch;
        for (uint32_t x = 0; x < s.width; ++x) {
            double donor;
            double v = corrected<T>(s.pixel(x, y), f, donor);
            if (v >= top)
                v = top;
            uint32_t value[3];
            if (rows) {
                const uint8_t* row = rows[uint32_t(v) & indexMask];
                value[0] = row[0];
                value[1] = row[1];
                value[2] = row[2];
            } else {
                const uint32_t g = Out == FretOut::Words ? uint32_t(v)
                                   : top                 ? uint32_t(v * 255.0 / top)
                                                         : 0;
                value[0] = value[1] = value[2] = g;
            }
            if (Out == FretOut::Words) {
                for (int k = 0; k < 3; ++k) {
                    const uint16_t w = uint16_t(value[k]);
                    std::memcpy(out + (size_t(x) * 3 + k) * 2, &w, 2);
                }
            } else {
                for (int k = 0; k < 3; ++k)
                    out[size_t(x) * 3 + k] = uint8_t(value[k]);
            }
        }
    }
    return 0;
}

template <class T>
int fretEffImage(void* dst, uint32_t dstWB, const void* src, uint32_t comps, uint32_t srcWB,
                 uint32_t width, uint32_t count, const Fret& f, double lowest, double highest)
{
    const Source<T> s(src, srcWB, comps, width, count);
    uint32_t top = 1;
    uint32_t bottom = 0xFFFFFFFFu;
    for (uint32_t y = 0; y < s.rows; ++y)
        for (uint32_t x = 0; x < s.width; ++x) {
            const uint32_t v = sampleAt<T>(s.pixel(x, y), 0);
            top = std::max(top, v);
            bottom = std::min(bottom, v);
        }
    // A constant first component has no range: every brightness is 0.
    const uint32_t range = top > bottom ? top - bottom : 0;
    const uint32_t wrap = sizeof(T) == 1 ? 0xFFu : 0xFFFFu;
    const uint32_t* palette = fretPalette();
    for (uint32_t y = 0; y < s.rows; ++y) {
        uint8_t* out = static_cast<uint8_t*>(dst) + size_t(y) * dstWB;
        for (uint32_t x = 0; x < s.width; ++x, out += 3) {
            const uint8_t* p = s.pixel(x, y);
            double donor;
            const double v = corrected<T>(p, f, donor);
            double e = donor >= 1.0 ? 100.0 * v / donor : 0.0;
            if (lowest < highest)
                e = (e - lowest) / (highest - lowest) * 100.0;
            if (!(e > 0.0))
                e = 0.0;
            if (e >= 100.0)
                e = 100.0;
            const uint32_t index =
                sizeof(T) == 1 ? uint32_t(e * 2.5500000000000003) : uint32_t(e * 0.01 * 255.0);
            const uint32_t brightness = (uint32_t(sampleAt<T>(p, f.fretComp)) - bottom) & wrap;
            writeColour(out, palette[index], brightness, range);
        }
    }
    return 0;
}

template <class T>
int localPeaks(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t width,
               uint32_t count, int16_t tolerance, uint8_t levels)
{
    const Source<T> s(src, srcWB, 1, width, count);
    const size_t pitch = dstWB / sizeof(T) * sizeof(T);
    auto* marks = static_cast<uint8_t*>(dst);
    auto markAt = [&](uint32_t x, uint32_t y) { return sampleAt<T>(marks + y * pitch, x); };
    auto setMark = [&](uint32_t x, uint32_t y, uint32_t v) {
        const T m = T(v);
        std::memcpy(marks + y * pitch + x * sizeof(T), &m, sizeof m);
    };
    auto value = [&](uint32_t x, uint32_t y) { return int32_t(sampleAt<T>(s.pixel(x, y), 0)); };
    // Whether v lies more than the tolerance below c.
    const int32_t t = tolerance;
    auto lower = [&](int32_t c, int32_t v) {
        if (t < 1)
            return c > v;
        const int32_t d = sizeof(T) == 1 ? c - v : int32_t(int16_t(uint16_t(c - v)));
        return d > t;
    };
    for (uint32_t y = 0; y < s.rows; ++y)
        std::memset(marks + y * pitch, 0, size_t(width) * sizeof(T));
    if (width < 3 || s.rows < 3)
        return 0;
    static constexpr int kDx[8] = {-1, 0, 1, -1, 1, -1, 0, 1};
    static constexpr int kDy[8] = {-1, -1, -1, 0, 0, 1, 1, 1};
    for (uint32_t y = 1; y + 1 < s.rows; ++y)
        for (uint32_t x = 1; x + 1 < width; ++x) {
            const int32_t c = value(x, y);
            bool seed = true;
            for (int n = 0; n < 8 && seed; ++n)
                seed = !lower(c, value(x + kDx[n], y + kDy[n]));
            if (seed)
                setMark(x, y, levels);
        }
    for (uint32_t level = levels ? levels - 1u : 255u; level >= 1; --level)
        for (uint32_t y = 1; y + 1 < s.rows; ++y)
            for (uint32_t x = 1; x + 1 < width; ++x) {
                if (markAt(x, y) > level)
                    continue;
                const int32_t c = value(x, y);
                bool grows = true;
                for (int n = 0; n < 8 && grows; ++n) {
                    const uint32_t nx = x + kDx[n], ny = y + kDy[n];
                    grows = !(markAt(nx, ny) <= level && lower(c, value(nx, ny)));
                }
                if (grows)
                    setMark(x, y, level);
            }
    return 0;
}

} // namespace

int ratio_8(void* dst, uint32_t dstWB, const void* src, uint32_t comps, uint32_t, uint32_t srcWB,
            uint32_t width, uint32_t count, const SLxRatioDesc* desc)
{
    return ratioImage<uint8_t>(dst, dstWB, src, comps, srcWB, width, count, *desc);
}

int ratio_16(void* dst, uint32_t dstWB, const void* src, uint32_t comps, uint32_t, uint32_t srcWB,
             uint32_t width, uint32_t count, const SLxRatioDesc* desc)
{
    return ratioImage<uint16_t>(dst, dstWB, src, comps, srcWB, width, count, *desc);
}

int ca_8(void* dst, uint32_t dstWB, const void* src, uint32_t comps, uint32_t, uint32_t srcWB,
         uint32_t width, uint32_t count, uint8_t numer, uint8_t denom, uint16_t numOffset,
         uint16_t denOffset, double kd, double scale, double betaNumer, double betaDenom,
         double ratioMin, double ratioMax, double concLow, double concHigh)
{
    return caImage<uint8_t>(
        dst, dstWB, src, comps, srcWB, width, count, numer, denom, numOffset, denOffset,
        {kd, scale, betaNumer, betaDenom, ratioMin, ratioMax, concLow, concHigh});
}

int ca_16(void* dst, uint32_t dstWB, const void* src, uint32_t comps, uint32_t, uint32_t srcWB,
          uint32_t width, uint32_t count, uint8_t numer, uint8_t denom, uint16_t numOffset,
          uint16_t denOffset, double kd, double scale, double betaNumer, double betaDenom,
          double ratioMin, double ratioMax, double concLow, double concHigh)
{
    return caImage<uint16_t>(
        dst, dstWB, src, comps, srcWB, width, count, numer, denom, numOffset, denOffset,
        {kd, scale, betaNumer, betaDenom, ratioMin, ratioMax, concLow, concHigh});
}

#define LX_FRET_OF(T)                                                                              \
    fretOf<T>(fretComp, donorComp, acceptorComp, fretOffset, donorOffset, acceptorOffset, c0, c1,  \
              c2, c3)

int fret_8(LX_FRET_ARGS, const SLxLut* lut)
{
    return fretImage<uint8_t, FretOut::Bytes>(dst, dstWB, src, comps, bits, srcWB, width, count,
                                              LX_FRET_OF(uint8_t), lut);
}

int fret_16(LX_FRET_ARGS, const SLxLut* lut)
{
    return fretImage<uint16_t, FretOut::Bytes>(dst, dstWB, src, comps, bits, srcWB, width, count,
                                               LX_FRET_OF(uint16_t), lut);
}

int fret_16_to_16(LX_FRET_ARGS, const SLxLut* lut)
{
    return fretImage<uint16_t, FretOut::Words>(dst, dstWB, src, comps, bits, srcWB, width, count,
                                               LX_FRET_OF(uint16_t), lut);
}

int fret_eff_8(LX_FRET_ARGS, double lowest, double highest)
{
    (void)bits; // the palette index does not depend on the depth
    return fretEffImage<uint8_t>(dst, dstWB, src, comps, srcWB, width, count, LX_FRET_OF(uint8_t),
                                 lowest, highest);
}

int fret_eff_16(LX_FRET_ARGS, double lowest, double highest)
{
    (void)bits;
    return fretEffImage<uint16_t>(dst, dstWB, src, comps, srcWB, width, count, LX_FRET_OF(uint16_t),
                                  lowest, highest);
}

int localpeaks_8(void* dst, uint32_t dstWB, const void* src, uint32_t, uint32_t srcWB,
                 uint32_t width, uint32_t count, int16_t tolerance, uint8_t levels)
{
    return localPeaks<uint8_t>(dst, dstWB, src, srcWB, width, count, tolerance, levels);
}

int localpeaks_16(void* dst, uint32_t dstWB, const void* src, uint32_t, uint32_t srcWB,
                  uint32_t width, uint32_t count, int16_t tolerance, uint8_t levels)
{
    return localPeaks<uint16_t>(dst, dstWB, src, srcWB, width, count, tolerance, levels);
}
