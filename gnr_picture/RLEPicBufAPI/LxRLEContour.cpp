// The outer contour of one object, traced on its runs without a pixel grid.
#include <algorithm>

#include "gnr_picture/RLEPicBufAPI/LxRLEBytes.h"

using namespace lx_rle;

namespace
{

// Moves by direction 1..8 (east, then clockwise on the screen).
const int kDx[9] = {0, 1, 1, 0, -1, -1, -1, 0, 1};
const int kDy[9] = {0, 0, 1, 1, 1, 0, -1, -1, -1};

// Contribution of the turn at a point to the enclosed area: -1 subtracts
// the point's x, 1 adds 1, 2 adds x + 1.
const int8_t kTurn[9][9] = {
    {0, 0, 0, 0, 0, 0, 0, 0, 0},     {0, 0, 2, 2, 2, 2, 0, 0, 0},
    {0, 0, 2, 2, 2, 2, 1, 0, 0},     {0, 0, 2, 2, 2, 2, 1, 1, 0},
    {0, 0, 2, 2, 2, 2, 1, 1, 1},     {0, -1, 0, 0, 0, 0, -1, -1, -1},
    {0, -1, 1, 0, 0, 0, -1, -1, -1}, {0, -1, 1, 1, 0, 0, -1, -1, -1},
    {0, -1, 1, 1, 1, 0, -1, -1, -1},
};

class RunTracer
{
  public:
    explicit RunTracer(const DecodedObject& o) : m_o(&o) {}

    void Start()
    {
        m_row = 0;
        m_run = m_o->rows[0].first;
        m_x = m_o->runs[m_run].start;
    }
    int64_t x() const { return m_x; }
    // Everything the next step depends on but the last direction.
    bool SameState(const RunTracer& o) const
    {
        return m_row == o.m_row && m_run == o.m_run && m_x == o.m_x;
    }
    uint32_t y() const { return m_o->rows[m_row].y; }

    // One step: the direction taken, or 0 when no neighbour is set.
    int Step(int last)
    {
        int first, count;
        if (last == 10) {
            first = 1;
            count = 4;
        } else {
            first = (last & 1) ? last - 1 : last - 2;
            first = first < 1 ? first + 8 : first;
            count = (last & 1) ? 6 : 7;
        }
        for (int k = 0; k < count; ++k) {
            int d = (first - 1 + k) % 8 + 1;
            if (Try(d))
                return d;
        }
        return 0;
    }

  private:
    // The row dy away from the current one when the object has it.
    bool Neighbour(int dy, uint32_t& row) const
    {
        uint32_t y0 = m_o->rows[m_row].y;
        if (dy < 0) {
            if (m_row == 0 || m_o->rows[m_row - 1].y + 1 != y0)
                return false;
            row = m_row - 1;
        } else {
            if (m_row + 1 >= m_o->rows.size() || m_o->rows[m_row + 1].y != uint64_t(y0) + 1)
                return false;
            row = m_row + 1;
        }
        return true;
    }

    bool Try(int d)
    {
        int64_t tx = m_x + kDx[d];
        if (tx < 0)
            return false;
        const DecodedRun& cur = m_o->runs[m_run];
        if (kDy[d] == 0) {
            if (d == 1) {
                if (tx > cur.end)
                    return false;
            } else if (tx < cur.start) {
                const DecodedRow& r = m_o->rows[m_row];
                if (m_run == r.first || m_o->runs[m_run - 1].start > tx ||
                    m_o->runs[m_run - 1].end < tx)
                    return false;
                --m_run;
            }
            m_x = tx;
            return true;
        }
        uint32_t row;
        if (!Neighbour(kDy[d], row))
            return false;
        const DecodedRow& r = m_o->rows[row];
        // The last run starting at or before tx, by halving (runs are in x
        // order; for runs out of order the answer is merely some run).
        uint32_t lo = r.first, hi = r.first + r.count;
        while (lo < hi) {
            uint32_t mid = lo + (hi - lo) / 2;
            if (m_o->runs[mid].start <= tx)
                lo = mid + 1;
            else
                hi = mid;
        }
        if (lo == r.first || tx > m_o->runs[lo - 1].end)
            return false;
        m_row = row;
        m_run = lo - 1;
        m_x = tx;
        return true;
    }

    const DecodedObject* m_o;
    uint32_t m_row = 0;
    uint32_t m_run = 0;
    int64_t m_x = 0;
};

// Contour points hold 32-bit signed coordinates: an object reaching past
// them has no contour to give (and its trace would run for billions of
// steps).
bool FitsPoints(const DecodedObject& o)
{
    const uint32_t kMax = 0x7FFFFFFFu;
    for (uint64_t i = 0; i < o.runs.size(); ++i)
        if (o.runs[i].end > kMax)
            return false;
    for (uint64_t r = 0; r < o.rows.size(); ++r)
        if (o.rows[r].y > kMax)
            return false;
    return true;
}

SLxContour* Trace(const SLxRLEObject* obj, uint64_t* areaOut)
{
    if (!obj)
        return nullptr;
    DecodedObject o;
    if (!Decode(reinterpret_cast<const uint8_t*>(obj), o) || o.runs.size() == 0 ||
        !FitsPoints(o))
        return nullptr;
    size_t capacity = 4097;
    auto* contour = static_cast<SLxContour*>(CLxAlloc::Alloc(0, LxContourBytes(capacity)));
    if (!contour)
        return nullptr;
    RunTracer tracer(o);
    tracer.Start();
    contour->points[0] = SLxIPoint{int32_t(tracer.x()), int32_t(tracer.y())};
    int last = 10;
    int64_t area = 1;
    size_t count = 1;
    // A sound object's trace visits each pixel at most four times. A trace
    // that falls into a cycle avoiding its start (runs out of order or
    // overlapping) is found by Brent's method: once a state repeats with
    // period p, a closing would have come within p more steps.
    uint64_t stepsLeft = 8 * o.area + 16;
    RunTracer saved = tracer;
    int savedLast = last;
    uint64_t power = 1, lambda = 0;
    bool cycling = false;
    for (;;) {
        if (stepsLeft-- == 0) {
            CLxAlloc::Free(contour);
            return nullptr;
        }
        if (count >= 0xFFFFFFFFu) { // beyond what uiCount can report
            CLxAlloc::Free(contour);
            return nullptr;
        }
        if (count + 1 >= capacity) {
            size_t grown = capacity * 2;
            void* block = CLxAlloc::ReAlloc(contour, LxContourBytes(grown), 0);
            if (!block) {
                CLxAlloc::Free(contour);
                return nullptr;
            }
            contour = static_cast<SLxContour*>(block);
            capacity = grown;
        }
        int d = tracer.Step(last);
        if (d != 0) {
            if (last != 10) {
                const SLxIPoint& p = contour->points[count - 1];
                int turn = kTurn[last][d];
                area += turn == -1 ? -int64_t(p.x) : turn == 1 ? 1 : turn == 2 ? int64_t(p.x) + 1 : 0;
            }
            last = d;
        }
        contour->points[count] = SLxIPoint{int32_t(tracer.x()), int32_t(tracer.y())};
        if (count != 1 && contour->points[count - 1].x == contour->points[0].x &&
            contour->points[count - 1].y == contour->points[0].y &&
            contour->points[count].x == contour->points[1].x &&
            contour->points[count].y == contour->points[1].y)
            break;
        ++count;
        if (!cycling) {
            ++lambda;
            if (tracer.SameState(saved) && last == savedLast) {
                cycling = true;
                stepsLeft = std::min<uint64_t>(stepsLeft, lambda + 2);
            } else if (lambda == power) {
                saved = tracer;
                savedLast = last;
                power *= 2;
                lambda = 0;
            }
        }
    }
    contour->uiCount = uint32_t(count - 1);
    if (contour->uiCount >= 2)
        area -= 1;
    if (areaOut)
        *areaOut = area > 0 ? uint64_t(area) : 0;
    return contour;
}

} // namespace

SLxContour* CLxRLEPicBufAPI::ContourPoints(const SLxRLEObject* obj)
{
    return Trace(obj, nullptr);
}

SLxContour* CLxRLEPicBufAPI::ContourPoints(const SLxRLEObject* obj, uint64_t& area)
{
    area = 0;
    return Trace(obj, &area);
}
