// Measurement of one object, given by a seed in a 16-bit label picture or
// as a painted run-length object, into a row of LX_OBJECT_FEATURES doubles.

#include <cmath>

#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "gnr_picture/LxPicMeasAPI.h"
#include "gnr_picture/LxPicMeasIntensity.h"
#include "gnr_picture/LxPicMeasSamples.h"
#include "gnr_picture/RLEPicBufAPI/LxRLEBytes.h"
#include "gnr_picture/RLEPicBufAPI/LxRLEPicBufAPI.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

constexpr double kFourOverPi = 1.2732395447351599;
constexpr double kPiOverSix = 0.5235987755983;
constexpr double kPiOverFour = 0.78539816339745;
constexpr double kFourPi = 12.5663706143592;
constexpr uint32_t kFeretBits = 0xC2;

struct ContourHolder {
    SLxContour* contour = nullptr;
    ~ContourHolder() { CLxAlloc::Free(contour); }
};

void StorePassedValues(double* row, double stageX, double stageY, double v1, double v2, double v3,
                       double v4, double seedX, double seedY, double cal)
{
    row[43] = stageX;
    row[44] = stageY;
    row[35] = v1;
    row[45] = v2;
    row[36] = v3;
    row[42] = v4;
    row[20] = seedX * cal;
    row[21] = seedY * cal;
    row[22] = seedX;
    row[23] = seedY;
}

void StoreArea(double* row, uint64_t n, double cal)
{
    row[0] = double(n) * cal * cal;
    row[3] = std::sqrt(row[0] * kFourOverPi);
    row[4] = row[3] * row[3] * row[3] * kPiOverSix;
}

void StoreFilledArea(double* row, uint64_t n, uint64_t filled, bool made, double cal)
{
    row[1] = made ? double(filled) * cal * cal : 0.0;
    if (made && filled)
        row[2] = double(n) / double(filled);
}

// The frame of the stage positions: the picture's size x cal.
struct Frame {
    double width, height, stageX, stageY, angle;
    const double* matrix;
    SLxDPoint Absolute(double x, double y) const
    {
        const SLxDPoint in{x, y};
        SLxDPoint out{0.0, 0.0};
        CLxPicMeasAPI::CalculateAbsolutePosition(&out, &in, width, height, stageX, stageY, angle,
                                                 matrix);
        return out;
    }
};

void StorePosition(double* row, const Frame& frame)
{
    const SLxDPoint p = frame.Absolute(row[14], row[15]);
    row[18] = p.x;
    row[19] = p.y;
}

void StoreBox(double* row, double left, double top, double right, double bottom, double cal,
              const Frame& frame)
{
    row[55] = left, row[56] = right, row[57] = top, row[58] = bottom;
    row[51] = left * cal, row[52] = right * cal, row[53] = top * cal, row[54] = bottom * cal;
    const SLxDPoint a = frame.Absolute(row[51], row[53]);
    const SLxDPoint b = frame.Absolute(row[52], row[54]);
    row[59] = a.x, row[60] = b.x, row[61] = a.y, row[62] = b.y;
}

// Perimeter from the four entry counts: rows, down-right, columns, down-left.
double Perimeter(const uint32_t c[4], double cal)
{
    return M_PI * (c[0] + c[2] + (c[1] + c[3]) / M_SQRT2) * cal * 0.25;
}

void StorePerimeter(double* row, double perimeter)
{
    row[6] = perimeter;
    const double d = perimeter / M_PI;
    row[7] = d != 0.0 ? row[0] / d : 0.0;
}

void StoreFeretGroup(double* row, const SLxContour* contour, uint32_t step, double perimeter,
                     double cal)
{
    uint32_t maximum = 0, minimum = 0, angle = 0, angleMin = 0, across = 0;
    CLxPicMeasAPI::MeasureFerets(contour, step, &maximum, &minimum, &angle, &angleMin, &across);
    const double area = row[0], p = perimeter;
    row[10] = maximum * cal;
    row[11] = minimum * cal;
    row[78] = across * cal;
    row[24] = angle;
    row[13] = double(maximum) / double(minimum ? minimum : 1);
    row[8] = p * p >= 16.0 * area ? (std::sqrt(p * p - 16.0 * area) + p) * 0.25 : row[10];
    row[9] = row[8] != 0.0 ? area / row[8] : 0.0;
    const double circularity = p != 0.0 ? kFourPi * area / (p * p) : 0.0;
    row[12] = circularity > 1.0 ? 1.0 : circularity;
    const double length = row[10] > row[8] ? row[10] : row[8];
    const double width = row[11] < row[9] ? row[11] : row[9];
    row[5] = (width * kPiOverSix + (length - width) * kPiOverFour) * width * width;
}

void StoreConvexity(double* row, const SLxContour* contour, uint64_t n, double perimeter,
                    double cal)
{
    double pc = 0.0, convexArea = 0.0;
    CLxBinPicBufAPI::CalculateConvexityFeatures(contour, pc, convexArea);
    if (pc > 0.0)
        row[82] = kFourPi * double(n) / (pc * pc);
    const double larger = convexArea > double(n) ? convexArea : double(n);
    if (larger > 0.0)
        row[83] = double(n) / larger;
    if (perimeter > 0.0)
        row[84] = pc * cal / perimeter;
}

bool Is16BitLabels(const SLxPicBuf* pic)
{
    return pic && pic->uiComps == 1 && pic->uiBpc > 8 && pic->uiBpc <= 16 &&
           lx_meas::HoldsLines(pic, 2);
}

bool UsableIntensity(const SLxPicBuf* pic)
{
    return pic && pic->pData && pic->uiComps != 0;
}

// The fill's spans feed the pass; the leftmost painted pixel of the seed's
// row, which lies on the outer boundary, starts the contour.
struct PaintedSpans {
    lx_meas::IntensityPass* pass;
    uint32_t seedRow;
    uint32_t leftmost;
};

void FeedSpan(unsigned x, unsigned y, unsigned length, void* user)
{
    auto* spans = static_cast<PaintedSpans*>(user);
    spans->pass->AddRun(x, y, length);
    if (y == spans->seedRow && x < spans->leftmost)
        spans->leftmost = x;
}

} // namespace

unsigned int CLxPicMeasAPI::MeasureObject(
    const SLxPicBuf* intensity, SLxPicBuf* labels, const SLxIPoint* seed, uint16_t oldValue,
    uint16_t newValue, double cal, double* row, double stageX, double stageY, double angle,
    const double* matrix, double value1, double value2, double value3, double value4, uint32_t mask,
    double* pixelCount, const SLxObjectRestrictions* restrictions, const uint32_t* channelFlags,
    const double* density1, const double* density2, LxContourCallback callback, void* user)
{
    if (!UsableIntensity(intensity) || !Is16BitLabels(labels) || !seed || !row ||
        oldValue == newValue)
        return 0;
    if (intensity->uiWidth < labels->uiWidth || intensity->uiHeight < labels->uiHeight)
        return 0;
    if (!lx_meas::Inside(labels, seed->x, seed->y) ||
        lx_meas::Row<uint16_t>(labels, uint32_t(seed->y))[seed->x] != oldValue)
        return 0;

    StorePassedValues(row, stageX, stageY, value1, value2, value3, value4, seed->x, seed->y, cal);
    lx_meas::IntensityPass pass(intensity, mask, channelFlags, density1, density2, nullptr,
                                nullptr);
    PaintedSpans spans{&pass, uint32_t(seed->y), uint32_t(seed->x)};
    Paint(labels, uint32_t(seed->x), uint32_t(seed->y), oldValue, newValue, 8, FeedSpan, &spans);
    const uint64_t n = pass.Area();
    pass.Finish(row, cal);
    if (pixelCount)
        *pixelCount = double(n);
    StoreArea(row, n, cal);

    // The contour also serves the box, the perimeter's rectangle, the
    // Ferets and the line length.
    const bool contourAsked = mask & 0x21C3;
    ContourHolder traced;
    if (contourAsked || (mask & 0x1000)) {
        uint64_t filled = 0;
        traced.contour =
            ContourPoints(labels, newValue, SLxIPoint{int32_t(spans.leftmost), seed->y}, &filled);
        if (contourAsked) {
            StoreFilledArea(row, n, filled, traced.contour != nullptr, cal);
            row[81] = 0.0;
        }
    }
    const SLxContour* contour = traced.contour;
    const Frame frame{labels->uiWidth * cal, labels->uiHeight * cal, stageX, stageY, angle, matrix};
    if (mask & 0x4)
        StorePosition(row, frame);
    SLxIRect box{0, 0, 0, 0};
    if (contour)
        FindBoundingRect(contour->uiCount, contour->points, box);
    if ((mask & 0x100) && contour)
        StoreBox(row, box.left, box.top, box.right, box.bottom, cal, frame);
    double perimeter = 0.0;
    if ((mask & (0x2 | kFeretBits)) && contour) {
        uint32_t c[4];
        Projections(labels, newValue, box, c[0], c[1], c[2], c[3]);
        perimeter = Perimeter(c, cal);
        if (mask & 0x2)
            StorePerimeter(row, perimeter);
    }
    if (mask & kFeretBits)
        StoreFeretGroup(row, contour, (mask & 0x80) ? 1 : 10, perimeter, cal);
    if (mask & 0x1000)
        row[73] = LineLengthFromContour(contour) * cal;

    const unsigned int result = restrictions ? ApplyRestrictions(row, restrictions) : 1;
    if (callback)
        callback(traced.contour, result, double(n), user);
    return result;
}

unsigned int CLxPicMeasAPI::MeasureObject(
    const SLxPicBuf* intensity, SLxRLEObject* object, double cal, double* row, double stageX,
    double stageY, double angle, const double* matrix, double value1, double value2, double value3,
    double value4, uint32_t mask, double* pixelCount, const SLxObjectRestrictions* restrictions,
    const uint32_t* channelFlags, const double* density1, const double* density2,
    ILxPicMeas* measure1, ILxPicMeas* measure2, LxRLEObjectCallback callback, void* user)
{
    if (!UsableIntensity(intensity) || !object || !row)
        return 0;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(object);
    lx_rle::SegmentWalk first(bytes);
    double seedX = object->uiLeft, seedY = object->uiTop;
    if (first.Next() && first.count()) {
        seedX = first.xStart(0);
        seedY = first.y();
    }
    StorePassedValues(row, stageX, stageY, value1, value2, value3, value4, seedX, seedY, cal);

    lx_meas::IntensityPass pass(intensity, mask, channelFlags, density1, density2, measure1,
                                measure2);
    for (lx_rle::SegmentWalk walk(bytes); walk.Next();)
        for (uint32_t i = 0; i < walk.count(); ++i)
            pass.AddRun(walk.xStart(i), walk.y(), walk.xLength(i));
    const uint64_t n = pass.Area();
    pass.Finish(row, cal);
    if (pixelCount)
        *pixelCount = double(n);
    StoreArea(row, n, cal);

    const bool contourAsked = mask & 0x20C3;
    ContourHolder traced;
    if (contourAsked || (mask & 0x1000)) {
        uint64_t filled = 0;
        traced.contour = CLxRLEPicBufAPI::ContourPoints(object, filled);
        if (contourAsked)
            StoreFilledArea(row, n, filled, traced.contour != nullptr, cal);
    }
    const SLxContour* contour = traced.contour;
    const Frame frame{
        intensity->uiWidth * cal, intensity->uiHeight * cal, stageX, stageY, angle, matrix};
    if (mask & 0x4)
        StorePosition(row, frame);
    if (mask & 0x100)
        StoreBox(row, object->uiLeft, object->uiTop, object->uiRight, object->uiBottom, cal, frame);
    double perimeter = 0.0;
    if (mask & (0x2 | kFeretBits | 0x2000)) {
        uint32_t c[4];
        CLxRLEPicBufAPI::Projections(object, c, intensity->uiWidth);
        perimeter = Perimeter(c, cal);
        if (mask & 0x2)
            StorePerimeter(row, perimeter);
    }
    if (mask & 0x4000) {
        uint32_t c[4];
        CLxRLEPicBufAPI::OuterProjections(object, c, intensity->uiWidth);
        row[81] = Perimeter(c, cal);
    }
    if (mask & kFeretBits)
        StoreFeretGroup(row, contour, (mask & 0x80) ? 1 : 5, perimeter, cal);
    if (mask & 0x1000)
        row[73] = LineLengthFromContour(contour) * cal;
    if ((mask & 0x2000) && contour)
        StoreConvexity(row, contour, n, perimeter, cal);
    CLxAlloc::Free(traced.contour);
    traced.contour = nullptr;

    unsigned int result = 1;
    if (restrictions) {
        result = ApplyRestrictions(row, restrictions);
        object->uiStatus =
            result == 2 ? (object->uiStatus | 0x8) & ~0x100u : (object->uiStatus | 0x100) & ~0x8u;
    }
    if (callback)
        callback(object, result, double(n), user);
    return result;
}
