// The transform, the covered rectangle and row spans, and the driver of the
// general rotation.
#include "gnr_picture/PicBufAPI/LxRotateGeneral.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "gnr_picture/LxLineDrawing.h"

namespace lxpic
{
namespace
{

bool finite(double a)
{
    return std::isfinite(a);
}

// A corner coordinate as a pixel index: corners far outside are held where
// the edge walk stays finite.
int32_t toPixel(double v)
{
    constexpr double far = 1073741824.0; // 2^30
    return int32_t(std::clamp(v, -far, far));
}

struct Corner {
    double x, y;
};

// Comparisons on a 2^-20 grid: rotations by right angles leave corners that
// should tie a few units of the last place apart.
double snapped(double v)
{
    return std::nearbyint(v * 1048576.0);
}

bool above(const Corner& a, const Corner& b) // higher, of two equal the left
{
    const double ay = snapped(a.y), by = snapped(b.y);
    return ay < by || (ay == by && snapped(a.x) < snapped(b.x));
}

bool leftOf(const Corner& a, const Corner& b) // further left, of two equal the lower
{
    const double ax = snapped(a.x), bx = snapped(b.x);
    return ax < bx || (ax == bx && snapped(a.y) > snapped(b.y));
}

bool below(const Corner& a, const Corner& b) // lower, of two equal the right
{
    const double ay = snapped(a.y), by = snapped(b.y);
    return ay > by || (ay == by && snapped(a.x) > snapped(b.x));
}

bool rightOf(const Corner& a, const Corner& b) // further right, of two equal the upper
{
    const double ax = snapped(a.x), bx = snapped(b.x);
    return ax > bx || (ax == bx && snapped(a.y) < snapped(b.y));
}

template <class Better> const Corner& best(const Corner (&c)[4], Better better)
{
    const Corner* b = &c[0];
    for (const Corner& k : c)
        if (better(k, *b))
            b = &k;
    return *b;
}

// One entry per row from the first row: entries the chains left out take
// their neighbour's span (or the whole rectangle when none was traced).
void fillRows(const RotateGeneralEdgeContext& ctx, int32_t fallbackX, SLxIPoint* rows)
{
    const int32_t n = ctx.capacity;
    std::vector<bool> have(size_t(n), false);
    for (int32_t i = 0; i < n; ++i)
        rows[i] = SLxIPoint{fallbackX, ctx.firstRow + i};
    for (int32_t k = 0; k < ctx.filled; ++k) {
        const SLxIPoint p = ctx.list[k];
        const int32_t i = p.y - ctx.firstRow;
        if (i < 0 || i >= n)
            continue;
        rows[i].x = have[size_t(i)]
                        ? (ctx.side < 0 ? std::min(rows[i].x, p.x) : std::max(rows[i].x, p.x))
                        : p.x;
        have[size_t(i)] = true;
    }
    int32_t last = -1;
    for (int32_t i = 0; i < n; ++i) {
        if (have[size_t(i)])
            last = i;
        else if (last >= 0)
            rows[i].x = rows[last].x;
    }
    const auto first = std::find(have.begin(), have.end(), true);
    for (auto i = have.begin(); i != first && first != have.end(); ++i)
        rows[i - have.begin()].x = rows[first - have.begin()].x;
}

// The chain from a through b to c, traced into the side's list and spread
// to one entry per row.
bool traceSide(const SLxIPoint& a, const SLxIPoint& b, const SLxIPoint& c, const RotationRect& rect,
               int32_t side, std::vector<SLxIPoint>& out)
{
    const int32_t rows = rect.bottom - rect.top;
    std::vector<SLxIPoint> traced;
    try {
        traced.resize(size_t(rows));
        out.resize(size_t(rows));
    } catch (const std::bad_alloc&) {
        return false;
    }
    RotateGeneralEdgeContext ctx{traced.data(), 0,          rows,        rect.left,
                                 rect.top,      rect.right, rect.bottom, side};
    CLxLineDrawingAPI::Line(a.x, a.y, b.x, b.y, false, RotateGeneral_EdgeCallback, &ctx);
    CLxLineDrawingAPI::Line(b.x, b.y, c.x, c.y, false, RotateGeneral_EdgeCallback, &ctx);
    fillRows(ctx, side < 0 ? rect.left : rect.right - 1, out.data());
    return true;
}

bool picture(const SLxPicBuf* p)
{
    if (!p || !p->pData || p->uiComps == 0)
        return false;
    const uint64_t sample = p->uiBpc > 8 ? 2 : 1;
    return uint64_t(p->uiWidth) * p->uiComps * sample <= p->uiWidthBytes &&
           uint64_t(p->uiWidthBytes) * p->uiHeight <= p->uiSize;
}

// The rows a whole turn covers, each with the columns of the shifted
// source inside the destination; none when rows or columns miss it.
bool shiftSpans(const SLxPicBuf& dst, const SLxPicBuf& src, int64_t dx, int64_t dy,
                std::vector<SLxIPoint>& left, std::vector<SLxIPoint>& right)
{
    const int64_t y0 = std::max<int64_t>(dy, 0);
    const int64_t y1 = std::min<int64_t>(dst.uiHeight, dy + int64_t(src.uiHeight));
    const int64_t x0 = std::max<int64_t>(dx, 0);
    const int64_t x1 = std::min<int64_t>(dst.uiWidth, dx + int64_t(src.uiWidth));
    if (y0 >= y1 || x0 >= x1)
        return true;
    try {
        left.reserve(size_t(y1 - y0));
        right.reserve(size_t(y1 - y0));
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int64_t y = y0; y < y1; ++y) {
        left.push_back(SLxIPoint{int32_t(x0), int32_t(y)});
        right.push_back(SLxIPoint{int32_t(x1 - 1), int32_t(y)});
    }
    return true;
}

} // namespace

void RotationTransform_Init(RotationTransform* t)
{
    *t = RotationTransform{0, 0, 0, 0, 0, 0, 0, 0};
}

int RotationTransform_SetAngle(RotationTransform* t, double radians)
{
    if (!finite(radians))
        return -4;
    const double c = std::cos(radians), s = std::sin(radians);
    t->m00 = c;
    t->m01 = s;
    t->m10 = -s;
    t->m11 = c;
    return 0;
}

int RotationTransform_SetCenter(RotationTransform* t, double x, double y)
{
    if (!finite(x) || !finite(y))
        return -4;
    t->cx = x;
    t->cy = y;
    return 0;
}

int RotationTransform_SetShift(RotationTransform* t, double x, double y)
{
    if (!finite(x) || !finite(y))
        return -4;
    t->sx = x;
    t->sy = y;
    return 0;
}

RotationRect RotationTransform_GetCorners(SLxIPoint* left, SLxIPoint* right, SLxIPoint* top,
                                          SLxIPoint* bottom, const RotationTransform& t,
                                          const SLxPicBuf& dst, const SLxPicBuf& src)
{
    const double w = src.uiWidth, h = src.uiHeight;
    const double uv[4][2] = {{-1.0, -1.0}, {w, -1.0}, {w, h}, {-1.0, h}};
    Corner c[4];
    for (int k = 0; k < 4; ++k) {
        const double du = uv[k][0] - t.cx, dv = uv[k][1] - t.cy;
        c[k] = Corner{t.m00 * du + t.m10 * dv + t.cx + t.sx, t.m01 * du + t.m11 * dv + t.cy + t.sy};
    }
    double minX = c[0].x, maxX = c[0].x, minY = c[0].y, maxY = c[0].y;
    for (const Corner& k : c) {
        minX = std::min(minX, k.x);
        maxX = std::max(maxX, k.x);
        minY = std::min(minY, k.y);
        maxY = std::max(maxY, k.y);
    }
    const double dw = dst.uiWidth, dh = dst.uiHeight;
    RotationRect r;
    r.left = int32_t(std::clamp(std::floor(minX + 0.5), 0.0, dw));
    r.top = int32_t(std::clamp(std::floor(minY + 0.5), 0.0, dh));
    r.right = int32_t(std::clamp(std::ceil(maxX - 0.5), 0.0, dw));
    r.bottom = int32_t(std::clamp(std::ceil(maxY - 0.5), 0.0, dh));
    const Corner& T = best(c, above);
    const Corner& L = best(c, leftOf);
    const Corner& R = best(c, rightOf);
    const Corner& B = best(c, below);
    *top = SLxIPoint{toPixel(std::floor(T.x + 0.5)), toPixel(std::floor(T.y + 0.5))};
    *left = SLxIPoint{toPixel(std::floor(L.x + 0.5)), toPixel(std::floor(L.y + 0.5))};
    *right = SLxIPoint{toPixel(std::ceil(R.x - 0.5)), toPixel(std::floor(R.y + 0.5))};
    *bottom = SLxIPoint{toPixel(std::floor(B.x + 0.5)), toPixel(std::ceil(B.y - 0.5))};
    return r;
}

bool RotateGeneral_EdgeCallback(int x, int y, void* context)
{
    auto& ctx = *static_cast<RotateGeneralEdgeContext*>(context);
    if (y < ctx.firstRow || y >= ctx.endRow)
        return true;
    const int32_t hi = ctx.colBound - 1;
    if (ctx.filled == 0 || ctx.list[ctx.filled - 1].y != y) {
        if (ctx.filled < ctx.capacity)
            ctx.list[ctx.filled++] = SLxIPoint{std::clamp(x, ctx.minX, std::max(hi, ctx.minX)), y};
        return true;
    }
    int32_t& last = ctx.list[ctx.filled - 1].x;
    last = ctx.side < 0 ? std::max(std::min(last, x), ctx.minX) : std::min(std::max(last, x), hi);
    return true;
}

int RotateGeneral(SLxPicBuf* dst, const SLxPicBuf* src, const SLxDPoint& dstPoint,
                  const SLxDPoint& srcPoint, double degrees, std::vector<SLxIPoint>* leftEnds,
                  std::vector<SLxIPoint>* rightEnds)
{
    if (leftEnds)
        leftEnds->clear();
    if (rightEnds)
        rightEnds->clear();
    if (!picture(dst) || !picture(src))
        return -9;
    if (dst->uiBpc != src->uiBpc || dst->uiComps != src->uiComps)
        return -2;
    int status = 0;
    const RotateGeneralKernel kernel = rotategeneral_kernel_for(src->uiBpc, src->uiComps, &status);
    if (!kernel)
        return status;
    if (!finite(degrees) || !finite(dstPoint.x) || !finite(dstPoint.y) || !finite(srcPoint.x) ||
        !finite(srcPoint.y))
        return -4;
    const double shiftX = dstPoint.x - srcPoint.x, shiftY = dstPoint.y - srcPoint.y;
    if (!finite(shiftX) || !finite(shiftY))
        return -4;
    const double turns = degrees * 0.002777777777777778;
    if (turns == std::floor(turns)) {
        // Beyond 2^40 pixels nothing overlaps any picture.
        constexpr double far = 1099511627776.0;
        const int64_t dx = int64_t(std::clamp(shiftX, -far, far));
        const int64_t dy = int64_t(std::clamp(shiftY, -far, far));
        if (leftEnds && rightEnds && !shiftSpans(*dst, *src, dx, dy, *leftEnds, *rightEnds))
            return -3;
        rotategeneral_shift(dst, src, dx, dy);
        return 0;
    }
    RotationTransform t;
    RotationTransform_Init(&t);
    if (RotationTransform_SetAngle(&t, degrees * -0.017453292519943334) != 0 ||
        RotationTransform_SetCenter(&t, srcPoint.x, srcPoint.y) != 0 ||
        RotationTransform_SetShift(&t, shiftX, shiftY) != 0)
        return -4;
    SLxIPoint left, right, top, bottom;
    const RotationRect rect =
        RotationTransform_GetCorners(&left, &right, &top, &bottom, t, *dst, *src);
    if (rect.left >= rect.right || rect.top >= rect.bottom)
        return 0;
    std::vector<SLxIPoint> leftList, rightList;
    if (!traceSide(top, left, bottom, rect, -1, leftList) ||
        !traceSide(top, right, bottom, rect, 1, rightList))
        return -3;
    kernel(dst, src, leftList.data(), rightList.data(), uint32_t(leftList.size()), &t);
    if (leftEnds)
        leftEnds->swap(leftList);
    if (rightEnds)
        rightEnds->swap(rightList);
    return 0;
}

} // namespace lxpic
