// Convex hulls of traced contours from the support points of a fan of
// directions, and their drawing into one-bit pictures.
#include <algorithm>
#include <cmath>
#include <vector>

#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "gnr_picture/BinPicBufAPI/LxBinPicBufCheck.h"
#include "gnr_picture/LxContour.h"
#include "gnr_picture/LxLineDrawing.h"
#include "gnr_picture/LxPicMeasAPI.h"
#include "gnr_picture/LxPicMeasSamples.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "w32_system/memory/LxAlloc.h"

namespace lx_bin
{

// A hull polygon in one CLxAlloc block; vertices are contour points.
struct Hull {
    uint32_t count;
    double area;
    double perimeter;
    int32_t centreX, centreY;
    int32_t left, right, top, bottom; // bounding columns and rows, inclusive
    SLxIPoint vertices[1];
};

namespace
{

Hull* NewHull(size_t count)
{
    auto* hull = static_cast<Hull*>(
        CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, offsetof(Hull, vertices) + count * sizeof(SLxIPoint)));
    if (hull)
        hull->count = uint32_t(count);
    return hull;
}

int64_t Cross(SLxIPoint o, SLxIPoint a, SLxIPoint b)
{
    return int64_t(a.x - o.x) * (b.y - o.y) - int64_t(a.y - o.y) * (b.x - o.x);
}

void Measure(Hull* hull)
{
    const uint32_t n = hull->count;
    const SLxIPoint* v = hull->vertices;
    int64_t sx = 0, sy = 0;
    hull->left = hull->right = v[0].x;
    hull->top = hull->bottom = v[0].y;
    for (uint32_t i = 0; i < n; ++i) {
        sx += v[i].x;
        sy += v[i].y;
        hull->left = std::min(hull->left, v[i].x);
        hull->right = std::max(hull->right, v[i].x);
        hull->top = std::min(hull->top, v[i].y);
        hull->bottom = std::max(hull->bottom, v[i].y);
    }
    hull->centreX = int32_t(std::floor(double(sx) / n));
    hull->centreY = int32_t(std::floor(double(sy) / n));
    double area = 0, perimeter = 0;
    // Every kept vertex takes part, the closing edge included.
    for (uint32_t i = 0; i < n; ++i) {
        const SLxIPoint a = v[i], b = v[(i + 1) % n];
        const double t =
            double(a.y - hull->centreY) * (b.x - a.x) - double(a.y - b.y) * (hull->centreX - a.x);
        area += std::fabs(std::trunc(t / 2));
        perimeter += std::hypot(double(b.x - a.x), double(b.y - a.y));
    }
    hull->perimeter = perimeter;
    hull->area = area + perimeter / 2;
}

} // namespace

// Null without memory or points.
Hull* MakeHull(const SLxContour* contour, int step)
{
    if (!contour || contour->uiCount == 0 || step < 1)
        return nullptr;
    const uint32_t n = contour->uiCount;
    const SLxIPoint* pts = contour->points;
    if (n <= 2) {
        Hull* hull = NewHull(n);
        if (!hull)
            return nullptr;
        std::copy(pts, pts + n, hull->vertices);
        hull->area = n == 1 ? 1.0 : 2.0;
        hull->perimeter = n == 1 ? 2.68 : 4.57;
        hull->centreX = pts[0].x;
        hull->centreY = pts[0].y;
        hull->left = std::min(pts[0].x, pts[n - 1].x);
        hull->right = std::max(pts[0].x, pts[n - 1].x);
        hull->top = std::min(pts[0].y, pts[n - 1].y);
        hull->bottom = std::max(pts[0].y, pts[n - 1].y);
        return hull;
    }
    // Support points of every fan direction, both ends of a tie included.
    const double toRadians = 0.017453292519943334;
    std::vector<SLxIPoint> support;
    for (int angle = 0; angle < 360; angle += step) {
        const double c = std::cos(angle * toRadians), s = std::sin(angle * toRadians);
        double best = -HUGE_VAL;
        for (uint32_t i = 0; i < n; ++i)
            best = std::max(best, pts[i].x * c + pts[i].y * s);
        for (uint32_t i = 0; i < n; ++i)
            if (pts[i].x * c + pts[i].y * s >= best - 1e-9)
                support.push_back(pts[i]);
    }
    std::sort(support.begin(), support.end(),
              [](SLxIPoint a, SLxIPoint b) { return a.x != b.x ? a.x < b.x : a.y < b.y; });
    support.erase(std::unique(support.begin(), support.end(),
                              [](SLxIPoint a, SLxIPoint b) { return a.x == b.x && a.y == b.y; }),
                  support.end());
    // The polygon through them, clockwise on the screen (monotone chain).
    std::vector<SLxIPoint> poly(2 * support.size());
    size_t k = 0;
    for (size_t i = 0; i < support.size(); ++i) {
        while (k >= 2 && Cross(poly[k - 2], poly[k - 1], support[i]) <= 0)
            --k;
        poly[k++] = support[i];
    }
    for (size_t i = support.size() - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && Cross(poly[k - 2], poly[k - 1], support[i]) <= 0)
            --k;
        poly[k++] = support[i];
    }
    const size_t count = support.size() == 1 ? 1 : k - 1;
    Hull* hull = NewHull(count);
    if (!hull)
        return nullptr;
    std::copy(poly.begin(), poly.begin() + count, hull->vertices);
    Measure(hull);
    return hull;
}

} // namespace lx_bin

namespace
{

constexpr uint16_t kObject = 32767;
constexpr uint16_t kTracing = 1;
constexpr uint16_t kDone = 2;

class Work16
{
  public:
    Work16(uint32_t width, uint32_t height)
    {
        CLxPicBufAPI::Init(&pic_);
        ok_ = CLxPicBufAPI::Reinit(&pic_, width, height, 0, 16, 1, true) == 0;
    }
    ~Work16() { CLxPicBufAPI::Free(&pic_); }
    Work16(const Work16&) = delete;
    Work16& operator=(const Work16&) = delete;
    bool ok() const { return ok_; }
    SLxPicBuf* get() { return &pic_; }
    uint16_t& at(uint32_t x, uint32_t y) { return lx_meas::Row<uint16_t>(&pic_, y)[x]; }

  private:
    SLxPicBuf pic_;
    bool ok_ = false;
};

bool PlotHull(int x, int y, void* context)
{
    auto* h = static_cast<Work16*>(context);
    if (lx_meas::Inside(h->get(), x, y))
        h->at(uint32_t(x), uint32_t(y)) = kObject;
    return true;
}

void DrawHull(Work16& h, const lx_bin::Hull* hull)
{
    const uint32_t n = hull->count;
    for (uint32_t i = 0; i < n; ++i) {
        const SLxIPoint a = hull->vertices[i], b = hull->vertices[(i + 1) % n];
        CLxLineDrawingAPI::Line(a.x, a.y, b.x, b.y, true, PlotHull, &h);
    }
    for (int32_t y = hull->top; y <= hull->bottom; ++y) {
        int32_t first = -1, last = -1;
        for (int32_t x = hull->left; x <= hull->right; ++x)
            if (h.at(uint32_t(x), uint32_t(y)) == kObject) {
                if (first < 0)
                    first = x;
                last = x;
            }
        for (int32_t x = first; first >= 0 && x <= last; ++x)
            h.at(uint32_t(x), uint32_t(y)) = kObject;
    }
}

} // namespace

int CLxBinPicBufAPI::ConvexHull(SLxBinPicBuf* dst, const SLxBinPicBuf* src, bool, bool, int step)
{
    if (!lx_bin::SameSize(dst, src))
        return -9;
    if (step < 1)
        return -4;
    const uint32_t width = src->uiWidth, height = src->uiHeight;
    Work16 labels(width, height), hulls(width, height);
    if (!labels.ok() || !hulls.ok())
        return -3;
    int status = CLxPicBufAPI::Unpack(labels.get(), const_cast<SLxBinPicBuf*>(src), kObject);
    if (status != 0)
        return status;
    // Each object is traced alone while it holds kTracing and then set
    // aside as kDone, so the number of objects is not limited by labels.
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            if (labels.at(x, y) != kObject)
                continue;
            status = CLxPicMeasAPI::Paint(labels.get(), x, y, kObject, kTracing, 8);
            if (status != 0)
                return status;
            // (x, y) is the object's first pixel in raster order: its left
            // neighbour is no part of it.
            SLxContour* contour = CLxPicMeasAPI::ContourPoints(labels.get(), kTracing,
                                                               SLxIPoint{int32_t(x), int32_t(y)});
            if (!contour)
                return -3;
            if (contour->uiCount <= 2) {
                for (uint32_t i = 0; i < contour->uiCount; ++i)
                    hulls.at(contour->points[i].x, contour->points[i].y) = kObject;
            } else {
                lx_bin::Hull* hull = lx_bin::MakeHull(contour, step);
                if (!hull) {
                    CLxAlloc::Free(contour);
                    return -3;
                }
                DrawHull(hulls, hull);
                CLxAlloc::Free(hull);
            }
            CLxAlloc::Free(contour);
            CLxPicMeasAPI::Paint(labels.get(), x, y, kTracing, kDone, 8);
        }
    return CLxPicBufAPI::Pack(dst, hulls.get(), kObject);
}

int CLxBinPicBufAPI::CalculateConvexityFeatures(const SLxContour* contour, double& perimeter,
                                                double& area)
{
    lx_bin::Hull* hull = lx_bin::MakeHull(contour, 5);
    if (!hull) {
        perimeter = area = 0;
        return -9;
    }
    perimeter = hull->perimeter;
    area = hull->area;
    CLxAlloc::Free(hull);
    return 0;
}
