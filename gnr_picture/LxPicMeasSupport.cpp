// The small measures the object measurement is built from: caliper
// (Feret) widths, line length, entry counts, stage positions, densities
// and restriction tests.
#include <algorithm>
#include <cmath>

#include "gnr_picture/LxPicMeasAPI.h"
#include "gnr_picture/LxPicMeasSamples.h"

namespace
{

// Sine and cosine of whole degrees, exact at the right angles.
void SinCos(uint32_t degrees, double& s, double& c)
{
    switch (degrees) {
    case 0:
        s = 0.0, c = 1.0;
        return;
    case 90:
        s = 1.0, c = 0.0;
        return;
    default:
        break;
    }
    const double r = degrees * (M_PI / 180.0);
    s = std::sin(r);
    c = std::cos(r);
}

} // namespace

void CLxPicMeasAPI::MeasureFerets(const SLxContour* contour, uint32_t step, uint32_t* maximum,
                                  uint32_t* minimum, uint32_t* maximumAngle, uint32_t* minimumAngle,
                                  uint32_t* widthAcrossMaximum)
{
    if (!contour || contour->uiCount == 0)
        return;
    if (step == 0)
        step = 1;
    const uint32_t angles = (180 + step - 1) / step;
    // Widths in 1/10000 pixel: the integer division truncates exactly where
    // a product with 0.0001 could fall just short of a whole number.
    int64_t widths[180];
    for (uint32_t a = 0; a < angles; ++a) {
        double s, c;
        SinCos(a * step, s, c);
        const int64_t S = int64_t(std::floor(s * 10000.0));
        const int64_t C = int64_t(std::floor(-c * 10000.0));
        int64_t low = INT64_MAX, high = INT64_MIN;
        for (uint32_t i = 0; i < contour->uiCount; ++i) {
            const int64_t p = S * contour->points[i].x - C * contour->points[i].y;
            low = p < low ? p : low;
            high = p > high ? p : high;
        }
        widths[a] = high - low;
    }
    uint32_t iMax = 0, iMin = 0;
    for (uint32_t a = 1; a < angles; ++a) {
        if (widths[a] > widths[iMax])
            iMax = a;
        if (widths[a] < widths[iMin])
            iMin = a;
    }
    const uint32_t across = (90 / step + iMax) % angles;
    if (maximum)
        *maximum = uint32_t(widths[iMax] / 10000) + 1;
    if (minimum)
        *minimum = uint32_t(widths[iMin] / 10000) + 1;
    if (maximumAngle)
        *maximumAngle = (iMax * step + 90) % 180;
    if (minimumAngle)
        *minimumAngle = (iMin * step + 90) % 180;
    if (widthAcrossMaximum)
        *widthAcrossMaximum = uint32_t(widths[across] / 10000) + 1;
}

double CLxPicMeasAPI::LineLengthFromContour(const SLxContour* contour)
{
    if (!contour || contour->uiCount < 2)
        return 0.0;
    const uint32_t n = contour->uiCount;
    const SLxIPoint* p = contour->points;
    double total = 0.0;
    for (uint32_t i = 0; i + 1 < n; i += 2) {
        const uint32_t j = i >= n - 2 ? i + 1 : i + 2;
        total += std::hypot(double(p[j].x) - p[i].x, double(p[j].y) - p[i].y);
    }
    return total * 0.5;
}

int CLxPicMeasAPI::Projections(const SLxPicBuf* pic, uint16_t value, SLxIRect rect, uint32_t& c0,
                               uint32_t& c1, uint32_t& c2, uint32_t& c3)
{
    c0 = c1 = c2 = c3 = 0;
    if (!pic)
        return -9;
    if (pic->uiComps != 1 || pic->uiBpc < 9 || pic->uiBpc > 16)
        return -4;
    if (!lx_meas::HoldsLines(pic, 2))
        return -9;
    if (pic->uiWidth == 1 || pic->uiHeight == 1)
        return -2;
    const int64_t w = pic->uiWidth, h = pic->uiHeight;
    const int64_t left = std::max<int64_t>(0, int64_t(rect.left) - 1);
    const int64_t top = std::max<int64_t>(0, int64_t(rect.top) - 1);
    const int64_t right = std::min<int64_t>(w, int64_t(rect.right) + 1);
    const int64_t bottom = std::min<int64_t>(h, int64_t(rect.bottom) + 1);
    // An object pixel counts once for each direction in which its
    // neighbour (left, upper-left, up, upper-right) is background or
    // outside the picture.
    for (int64_t y = top; y < bottom; ++y) {
        const uint16_t* row = lx_meas::Row<uint16_t>(pic, uint32_t(y));
        const uint16_t* above = y > 0 ? lx_meas::Row<uint16_t>(pic, uint32_t(y - 1)) : nullptr;
        for (int64_t x = left; x < right; ++x) {
            if (row[x] != value)
                continue;
            c0 += x == 0 || row[x - 1] != value;
            if (!above) {
                ++c1, ++c2, ++c3;
                continue;
            }
            c1 += x == 0 || above[x - 1] != value;
            c2 += above[x] != value;
            c3 += x + 1 >= w || above[x + 1] != value;
        }
    }
    return 0;
}

void CLxPicMeasAPI::CalculateAbsolutePosition(SLxDPoint* out, const SLxDPoint* in, double width,
                                              double height, double stageX, double stageY,
                                              double angle, const double* matrix)
{
    if (!out || !in || !(width > 0.0) || !(height > 0.0))
        return;
    const double dx = in->x - width / 2, dy = in->y - height / 2;
    if (matrix) {
        out->x = width / 2 - (matrix[0] * dx - matrix[1] * dy) + stageX;
        out->y = height / 2 - (matrix[3] * dy + matrix[2] * dx) + stageY;
    } else {
        const double c = std::cos(angle), s = std::sin(angle);
        out->x = width / 2 - (dx * c - dy * s) + stageX;
        out->y = height / 2 - (dy * c + dx * s) + stageY;
    }
}

double CLxPicMeasAPI::GetDensity(const double* table, uint32_t value, uint32_t bits)
{
    if (!table || bits > 16)
        return 0.0;
    uint32_t i = bits > 8 ? value >> (bits - 8) : value;
    i = i > 255 ? 255 : i;
    const double f = bits > 8 ? 255.0 / double((1u << bits) - 1) : 1.0;
    return value * f * table[i] + table[256 + i];
}

unsigned int CLxPicMeasAPI::ApplyRestrictions(const double* features,
                                              const SLxObjectRestrictions* restrictions)
{
    if (!features || !restrictions)
        return 1;
    for (uint32_t i = 0; i < LX_OBJECT_FEATURES; ++i) {
        if (!restrictions->ucUse[i])
            continue;
        const double v = features[i];
        const double low = restrictions->dLower[i], high = restrictions->dUpper[i];
        const bool inside = low <= v && v <= high;
        if (restrictions->ucMode[i] == 0 ? inside : (v < low || v > high))
            return 2;
    }
    return 1;
}
