// Directional Hilbert transforms of one-component pictures: through the 2-D
// Fourier transform of the picture tiled to powers of two, and the older
// line-by-line form along diagonals or the lines of a rotated copy.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "gnr_picture/FloatPicBufAPI/LxComplexFFT2D.h"
#include "gnr_picture/FloatPicBufAPI/LxFloatPicBufAPI.h"
#include "gnr_picture/FloatPicBufAPI/LxFloatPicMemAPI.h"
#include "gnr_picture/FloatPicBufAPI/LxTiledPositions.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/PicBufAPI/LxPicBufPrepare.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

constexpr double kDegreesToRadians = 0.017453292519943334;
constexpr double kRadiansToDegrees = 57.29577951308232;

// Into [0, 360), as every rotation angle.
double normalisedDegrees(double angle)
{
    const double a = std::fmod(angle, 360.0);
    return a < 0.0 ? (a + 360.0 < 360.0 ? a + 360.0 : 0.0) : a;
}

bool usableSource(const SLxPicBuf* dst, const SLxPicBuf* src)
{
    return CLxPicBufAPI::Check(dst, src, eLxCheckSizeBitsComps) && src->uiComps == 1 &&
           src->uiBpc >= 1 && src->uiBpc <= 16 && lxpicbuf::coversFormat(dst) &&
           lxpicbuf::coversFormat(src);
}

// --- Through the 2-D transform -------------------------------------------------

// -1 multiplies by -i, 1 by +i, 0 leaves the position: the direction of
// (du, dv) in degrees plus 180 against angle +- 90 (and those +- 360).
int literalSense(int64_t du, int64_t dv, double degrees)
{
    const double a = std::atan2(double(dv), double(du)) * kRadiansToDegrees + 180.0;
    const double lo = degrees - 90.0, hi = degrees + 90.0;
    for (double shift : {0.0, 360.0, -360.0})
        if (std::fabs(a - (lo + shift)) < 0.00001 || std::fabs(a - (hi + shift)) < 0.00001)
            return 0;
    for (double shift : {0.0, 360.0, -360.0})
        if (a > lo + shift && a < hi + shift)
            return -1;
    return 1;
}

// The spectrum (zero frequency at line and column 0) multiplied position
// by position as if its quadrants were swapped to put it at (W / 2, H / 2).
// The direction turned by 180 degrees lies within 90 degrees of the angle
// where du cos + dv sin < 0; only positions whose distance from the
// dividing line is below 1e-5 of their radius (far wider than the 1e-5
// degrees the comparison allows) are compared in degrees.
struct Direction {
    double degrees, c, s;
    uint32_t h;
    std::vector<double> across; // du of every column

    Direction(uint32_t w, uint32_t lines, double angle)
        : degrees(angle), c(std::cos(angle * kDegreesToRadians)),
          s(std::sin(angle * kDegreesToRadians)), h(lines), across(w)
    {
        for (uint32_t x = 0; x < w; ++x)
            across[x] = double(int64_t((x + w / 2) & (w - 1)) - int64_t(w / 2));
    }

    // The positions of floats from .. from + count of every line, handed
    // over by the transform while they are at hand.
    static void band(void* context, float* const* rows, uint32_t lines, uint32_t from,
                     uint32_t count)
    {
        const Direction& d = *static_cast<const Direction*>(context);
        for (uint32_t y = 0; y < lines; ++y) {
            const double dv = double(int64_t((y + d.h / 2) & (d.h - 1)) - int64_t(d.h / 2));
            float* line = rows[y];
            for (uint32_t k = 0; 2 * k < count; ++k) {
                const double du = d.across[from / 2 + k];
                const double dist = du * d.c + dv * d.s;
                const double r2 = du * du + dv * dv;
                int sense = dist < 0.0 ? -1 : 1;
                if (dist * dist <= 1e-10 * r2)
                    sense = r2 == 0.0 ? 0 : literalSense(int64_t(du), int64_t(dv), d.degrees);
                const float re = line[2 * k], im = line[2 * k + 1];
                if (sense < 0) {
                    line[2 * k] = im;
                    line[2 * k + 1] = -re;
                } else if (sense > 0) {
                    line[2 * k] = -im;
                    line[2 * k + 1] = re;
                }
            }
        }
    }
};

// The source's samples as the real parts of the work lines.
struct TiledSource {
    const SLxPicBuf* src;
    uint32_t width;
    float* samples;
    const std::vector<uint32_t>& fromColumn;
    const std::vector<uint32_t>& fromLine;
    uint32_t converted = UINT32_MAX;

    // Line sy as floats: each sample's value, as ExtractRGBtoFloatAP takes
    // one component (8 to 16 bits here).
    void convert(uint32_t sy)
    {
        converted = sy;
        const uint8_t* line =
            static_cast<const uint8_t*>(src->pData) + size_t(sy) * src->uiWidthBytes;
        if (src->uiBpc <= 8)
            std::copy(line, line + width, samples);
        else
            std::copy_n(reinterpret_cast<const uint16_t*>(line), width, samples);
    }
    static void make(void* context, uint32_t y, float* line)
    {
        auto& self = *static_cast<TiledSource*>(context);
        if (self.fromLine[y] != self.converted)
            self.convert(self.fromLine[y]);
        for (size_t x = 0; x < self.fromColumn.size(); ++x) {
            line[2 * x] = self.samples[self.fromColumn[x]];
            line[2 * x + 1] = 0.0f;
        }
    }
};

// The centre window of the inverse transform's real parts into the
// destination's samples, band by band as the transform hands them over:
// scaled, values of 0 or below held at 0, none above the depth, then
// stored as ExtractFloatAPtoRGB stores them, trunc(v + 0.5) held to the
// depth (v lies within 0 .. top here).
struct WindowOut {
    SLxPicBuf* dst;
    uint32_t x0, y0;
    float scale, top;

    template <class T>
    void store(const float* line, uint32_t y, uint32_t first, uint32_t end, uint32_t from) const
    {
        T* d =
            reinterpret_cast<T*>(static_cast<uint8_t*>(dst->pData) + size_t(y) * dst->uiWidthBytes);
        for (uint32_t x = first; x < end; ++x) {
            const float v = line[2 * x - from] * scale;
            const float held = v > 0.0f ? std::min(v, top) : 0.0f;
            d[x - x0] = T(std::min(held + 0.5f, top));
        }
    }

    static void band(void* context, float* const* rows, uint32_t, uint32_t from, uint32_t count)
    {
        const auto& self = *static_cast<const WindowOut*>(context);
        // Complex positions from / 2 .. (from + count) / 2 of the lines.
        const uint32_t first = std::max(from / 2, self.x0);
        const uint32_t end = std::min((from + count) / 2, self.x0 + self.dst->uiWidth);
        for (uint32_t y = 0; first < end && y < self.dst->uiHeight; ++y) {
            if (self.dst->uiBpc <= 8)
                self.store<uint8_t>(rows[self.y0 + y], y, first, end, from);
            else
                self.store<uint16_t>(rows[self.y0 + y], y, first, end, from);
        }
    }
};

// --- Line by line ------------------------------------------------------------------

// The 1-D transform of one run of samples, resampled to a power of two and
// back; the buffers are kept between runs.
class LineTransform
{
  public:
    explicit LineTransform(uint32_t bits) : m_top(double(CLxPicMemAPI::CalcUintMax(bits))) {}

    // count samples from first, step samples apart. false without memory.
    template <class T> bool run(T* first, size_t count, ptrdiff_t step)
    {
        if (count == 0)
            return true;
        uint32_t n = 1;
        CLxFloatPicMemAPI::Powerof2(uint32_t(count), nullptr, &n);
        try {
            m_re.resize(n);
            m_im.resize(n);
        } catch (const std::bad_alloc&) {
            return false;
        }
        for (size_t k = 0; k < n; ++k)
            m_re[k] = float(first[ptrdiff_t(k * count / n) * step]);
        std::fill(m_im.begin(), m_im.begin() + n, 0.0f);
        CLxFloatPicMemAPI::FFT_1Dx2pn(m_re.data(), m_im.data(), 1, n);
        m_re[0] = m_im[0] = 0.0f;
        for (size_t k = 1; k < n; ++k) {
            const float re = m_re[k], im = m_im[k];
            if (k < n / 2) {
                m_re[k] = im;
                m_im[k] = -re;
            } else {
                m_re[k] = -im;
                m_im[k] = re;
            }
        }
        CLxFloatPicMemAPI::FFT_1Dx2pn(m_re.data(), m_im.data(), 0, n);
        for (size_t k = 0; k < count; ++k) {
            const double v = std::trunc(double(m_re[k * n / count]));
            first[ptrdiff_t(k) * step] = T(v > 0.0 ? std::min(v, m_top) : 0.0);
        }
        return true;
    }

  private:
    double m_top;
    std::vector<float> m_re, m_im;
};

template <class T> T* sampleAt(const SLxPicBuf& pic, int64_t x, int64_t y)
{
    return reinterpret_cast<T*>(static_cast<uint8_t*>(pic.pData) + size_t(y) * pic.uiWidthBytes) +
           x;
}

// Every diagonal one line down and one column right per step: those from
// the first column, then those from the first line; each ends at the last
// column or line, whichever it meets first.
template <class T> int diagonals(SLxPicBuf& pic)
{
    LineTransform line(pic.uiBpc);
    const int64_t w = pic.uiWidth, h = pic.uiHeight;
    const ptrdiff_t step = ptrdiff_t(pic.uiWidthBytes / sizeof(T)) + 1;
    for (int64_t y = 0; y < h; ++y)
        if (!line.run(sampleAt<T>(pic, 0, y), size_t(std::min(w, h - y)), step))
            return -3;
    for (int64_t x = 1; x < w; ++x)
        if (!line.run(sampleAt<T>(pic, x, 0), size_t(std::min(w - x, h)), step))
            return -3;
    return 0;
}

template <class T>
int spans(SLxPicBuf& pic, const std::vector<SLxIPoint>& left, const std::vector<SLxIPoint>& right,
          int count)
{
    LineTransform line(pic.uiBpc);
    for (int i = 0; i < count; ++i) {
        const SLxIPoint a = left[size_t(i)], b = right[size_t(i)];
        if (b.x >= a.x && !line.run(sampleAt<T>(pic, a.x, a.y), size_t(b.x - a.x + 1), 1))
            return -3;
    }
    return 0;
}

constexpr uint32_t kLongestLine = 4096;

int hilbertDiagonal(SLxPicBuf* dst, const SLxPicBuf* src)
{
    if (src->uiHeight >= kLongestLine)
        return -2;
    lxpicbuf::CLxPicBufReplacement copy;
    if (const int st = CLxPicBufAPI::ReinitAndCopy(copy.get(), src); st != 0)
        return st;
    const int st =
        src->uiBpc == 8 ? diagonals<uint8_t>(*copy.get()) : diagonals<uint16_t>(*copy.get());
    if (st != 0)
        return st;
    return CLxPicBufAPI::Smooth(dst, copy.get(), &CLxPicBufAPI::Square3);
}

int hilbertRotated(SLxPicBuf* dst, const SLxPicBuf* src, double degrees)
{
    uint32_t w = 0, h = 0;
    if (const int st =
            CLxPicMemAPI::RotateGetDestSize(&w, &h, src->uiWidth, src->uiHeight, degrees);
        st != 0)
        return st;
    if (std::sqrt(double(w) * w + double(h) * h) >= kLongestLine)
        return -2;
    lxpicbuf::CLxPicBufReplacement work;
    if (work.allocate(w, h, src->uiBpc, 1, true) != 0)
        return -3;
    // One entry per line of the work picture, the most the rotation reports.
    std::vector<SLxIPoint> left, right;
    try {
        left.resize(h);
        right.resize(h);
    } catch (const std::bad_alloc&) {
        return -3;
    }
    int count = 0;
    SLxPicBuf* pic = work.get();
    int st = CLxPicBufAPI::RotateGeneral_LIN(
        pic, src, SLxDPoint{w / 2.0 - 0.5, h / 2.0 - 0.5},
        SLxDPoint{src->uiWidth / 2.0 - 0.5, src->uiHeight / 2.0 - 0.5}, degrees, left.data(),
        right.data(), &count);
    if (st == 0)
        st = src->uiBpc == 8 ? spans<uint8_t>(*pic, left, right, count)
                             : spans<uint16_t>(*pic, left, right, count);
    if (st != 0)
        return st;
    // The turn back leaves the corners the truncated work size cuts off.
    for (uint32_t y = 0; y < dst->uiHeight; ++y)
        std::memset(lxpicbuf::pixelAddress(*dst, 0, y), 0, size_t(lxpicbuf::lineBytes(*dst)));
    return CLxPicBufAPI::RotateBuf_LIN(dst, pic, -degrees);
}

// The checks both transforms make: a status, or kWork for a picture with
// samples to transform. Neither the float conversions nor the rotations and
// the smoothing take samples below 8 bits.
constexpr int kWork = 1;

int checkTransform(SLxPicBuf* dst, const SLxPicBuf* src, double angle)
{
    if (!usableSource(dst, src))
        return -9;
    if (!std::isfinite(angle))
        return -4;
    if (src->uiBpc < 8)
        return -2;
    return lxpicbuf::isEmpty(*src) ? 0 : kWork;
}

} // namespace

int CLxPicBufAPI::Hilbert(SLxPicBuf* dst, const SLxPicBuf* src, double angle)
{
    if (const int status = checkTransform(dst, src, angle); status != kWork)
        return status;
    const uint32_t width = src->uiWidth, height = src->uiHeight, bits = src->uiBpc;
    uint32_t w = 0, h = 0;
    CLxFloatPicMemAPI::Powerof2(width, nullptr, &w);
    CLxFloatPicMemAPI::Powerof2(height, nullptr, &h);
    // Twice W x H floats must fit the 32-bit sizes of the float planes.
    if (w == 0 || h == 0 || uint64_t(w) * h > (uint64_t(1) << 29))
        return -3;
    // The complex array: kept for the thread, allocated when the size changes.
    const lxpic::ThreadComplexWork work(h, 2 * w);
    float** lines = work.lines();
    if (!lines)
        return -3;
    std::vector<float> samples;
    std::vector<uint32_t> fromColumn, fromLine;
    std::unique_ptr<Direction> direction;
    try {
        samples.resize(width);
        fromColumn = lxpic::tiledPositions(w, width);
        fromLine = lxpic::tiledPositions(h, height);
        direction = std::make_unique<Direction>(w, h, normalisedDegrees(angle));
    } catch (const std::bad_alloc&) {
        return -3;
    }
    // The source tiled into the real parts (TilePad's periodic repetition
    // around the centred copy) as the transform takes the lines, a source
    // line converted once per run of work lines that take it.
    TiledSource tiled{src, width, samples.data(), fromColumn, fromLine};
    // Forward with exp(+...), inverse with exp(-...) scaled below.
    work.transform(1, lxpic::LineSource{&TiledSource::make, &tiled},
                   lxpic::TransformedBands{&Direction::band, direction.get()});
    const float scale = float(1.0 / (double(w) * h));
    const float top = float(CLxPicMemAPI::CalcUintMax(bits));
    WindowOut out{dst, (w - width) / 2, (h - height) / 2, scale, top};
    work.transform(-1, lxpic::TransformedBands{&WindowOut::band, &out, false});
    return 0;
}

int CLxPicBufAPI::Hilbert_OLD(SLxPicBuf* dst, const SLxPicBuf* src, double angle)
{
    if (const int status = checkTransform(dst, src, angle); status != kWork)
        return status;
    const double degrees = normalisedDegrees(angle);
    return degrees == 45.0 ? hilbertDiagonal(dst, src) : hilbertRotated(dst, src, degrees);
}
