// Seed fill by row spans, with a pending-span stack that starts in
// per-thread storage and moves to the heap when it outgrows it.
#include <cstring>

#include "gnr_picture/LxPicMeasAPI.h"
#include "gnr_picture/LxPicMeasSamples.h"
#include "gnr_picture/LxSampleRuns.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

// A pending span and the run painted in the row it was found from
// (parentY is kNoParent for the seed).
struct Span {
    uint32_t first;
    uint32_t last;
    uint32_t y;
    uint32_t parentY;
    uint32_t parentFirst;
    uint32_t parentLast;
};

constexpr uint32_t kNoParent = UINT32_MAX;

constexpr uint32_t kFirstSpans = 512;

// The first 512 spans of the thread's outermost fill; a fill started from a
// callback of another one takes its own block from the heap.
thread_local Span tlsSpans[kFirstSpans];
thread_local bool tlsSpansBusy = false;

class SpanStack
{
  public:
    SpanStack()
    {
        if (!tlsSpansBusy) {
            tlsSpansBusy = true;
            ownsThreadSpans_ = true;
            spans_ = tlsSpans;
        } else {
            spans_ = static_cast<Span*>(CLxAlloc::Alloc(0, sizeof(Span) * kFirstSpans));
            onHeap_ = spans_ != nullptr;
            if (!spans_)
                capacity_ = 0;
        }
    }
    ~SpanStack()
    {
        if (onHeap_)
            CLxAlloc::Free(spans_);
        if (ownsThreadSpans_)
            tlsSpansBusy = false;
    }
    SpanStack(const SpanStack&) = delete;
    SpanStack& operator=(const SpanStack&) = delete;

    bool Empty() const { return size_ == 0; }
    Span Pop() { return spans_[--size_]; }
    // False when the stack cannot grow.
    bool Push(const Span& span)
    {
        if (size_ == capacity_ && !Grow())
            return false;
        spans_[size_++] = span;
        return true;
    }

  private:
    // Kept out of line and away from the object, so that the stack stays
    // in registers while the fill writes samples, which may alias anything.
    bool Grow()
    {
        Span* grown = Grown(spans_, size_, capacity_, onHeap_);
        if (!grown)
            return false;
        spans_ = grown;
        onHeap_ = true;
        capacity_ *= 2;
        return true;
    }

    // The spans in a block of twice the capacity, or null.
    [[gnu::noinline]] static Span* Grown(Span* spans, uint32_t size, uint32_t capacity, bool onHeap)
    {
        if (capacity == 0 || capacity > UINT32_MAX / 2)
            return nullptr;
        const size_t bytes = sizeof(Span) * static_cast<size_t>(capacity) * 2;
        if (onHeap)
            return static_cast<Span*>(CLxAlloc::ReAlloc(spans, bytes, 0));
        auto* grown = static_cast<Span*>(CLxAlloc::Alloc(0, bytes));
        if (grown)
            std::memcpy(grown, spans, sizeof(Span) * size);
        return grown;
    }

    Span* spans_ = nullptr;
    uint32_t size_ = 0;
    uint32_t capacity_ = kFirstSpans;
    bool onHeap_ = false;
    bool ownsThreadSpans_ = false;
};

struct FillRequest {
    uint32_t x;
    uint32_t y;
    uint32_t key;      // old value, or the boundary value of PaintUntil
    uint32_t newValue; // cut to the sample width
    bool eightConnected;
    uint64_t* painted;
    LxPaintSpanCallback callback;
    void* user;
};

// Until false: the region holds the pixels equal to key. Until true: the
// pixels different from key, whatever they hold.
template <typename T, bool Until> int Fill(SLxPicBuf* pic, const FillRequest& rq)
{
    // Everything the loop reads is copied here first: the samples it writes
    // may alias any memory the compiler cannot see is private.
    const T key = static_cast<T>(rq.key);
    const T newValue = static_cast<T>(rq.newValue);
    const uint32_t width = pic->uiWidth;
    const uint32_t height = pic->uiHeight;
    uint8_t* const base = static_cast<uint8_t*>(pic->pData);
    const size_t stride = pic->uiWidthBytes;
    const bool eightConnected = rq.eightConnected;
    uint64_t* const counter = rq.painted;
    const LxPaintSpanCallback callback = rq.callback;
    void* const user = rq.user;
    auto rowAt = [base, stride](uint32_t y) { return reinterpret_cast<T*>(base + y * stride); };
    // A pixel is in the region when (pixel == key) == inside.
    constexpr bool inside = !Until;
    // The parent's run holds the new value now, so a plain fill without a
    // callback (which might write to the picture) finds nothing there.
    const bool skipParent = !Until && !callback;

    if ((rowAt(rq.y)[rq.x] == key) != inside)
        return 0;
    uint64_t painted = 0;
    SpanStack stack;
    int status = stack.Push(Span{rq.x, rq.x, rq.y, kNoParent, 0, 0}) ? 0 : -3;
    while (status == 0 && !stack.Empty()) {
        const Span span = stack.Pop();
        T* row = rowAt(span.y);
        if (Until ? row[span.first] == newValue : row[span.first] != key)
            continue;
        uint32_t left = lx_meas::FindBackward(row, 0, span.first, key, !inside);
        uint32_t right = lx_meas::FindForward(row, span.last + 1, width, key, !inside) - 1;
        const uint32_t length = right - left + 1;
        painted += length;
        if (callback) {
            if (counter)
                *counter = painted;
            callback(left, span.y, length, user);
        }
        lx_meas::FillRun(row, left, right, newValue);
        const uint32_t runFirst = left, runLast = right;

        if (eightConnected) {
            if (left > 0)
                --left;
            if (right + 1 < width)
                ++right;
        }
        for (int dy = -1; dy <= 1 && status == 0; dy += 2) {
            if ((dy < 0 && span.y == 0) || (dy > 0 && span.y + 1 >= height))
                continue;
            const uint32_t y = span.y + dy;
            const T* next = rowAt(y);
            // Each maximal stretch of region pixels within from..to.
            auto pushStretches = [&](uint32_t from, uint32_t to) {
                for (uint32_t i = from; i <= to;) {
                    const uint32_t first = lx_meas::FindForward(next, i, to + 1, key, inside);
                    if (first > to)
                        break;
                    const uint32_t end =
                        lx_meas::FindForward(next, first + 1, to + 1, key, !inside);
                    if (!stack.Push(Span{first, end - 1, y, span.y, runFirst, runLast}))
                        return false;
                    if (end > to)
                        break;
                    i = end + 1;
                }
                return true;
            };
            bool pushed;
            if (skipParent && y == span.parentY && span.parentFirst <= right &&
                span.parentLast >= left) {
                pushed = (span.parentFirst <= left || pushStretches(left, span.parentFirst - 1)) &&
                         (span.parentLast >= right || pushStretches(span.parentLast + 1, right));
            } else {
                pushed = pushStretches(left, right);
            }
            if (!pushed)
                status = -3;
        }
    }
    if (counter)
        *counter = painted;
    return status;
}

int PaintChecked(SLxPicBuf* pic, unsigned x, unsigned y, unsigned key, unsigned newValue,
                 unsigned connectivity, uint64_t* painted, LxPaintSpanCallback callback, void* user,
                 bool until)
{
    if (painted)
        *painted = 0;
    if (!pic)
        return -9;
    const uint32_t mask = pic->uiBpc > 8 ? 0xFFFFu : 0xFFu;
    if (x >= pic->uiWidth || y >= pic->uiHeight || (key & mask) == (newValue & mask))
        return -4;
    if (connectivity != 4 && connectivity != 8)
        return -4;
    if (pic->uiWidth == 0 || pic->uiHeight == 0 || pic->uiWidthBytes == 0)
        return 0;
    const uint32_t sampleBytes = lx_meas::SampleBytes(pic);
    if (pic->uiComps != 1 || sampleBytes == 0)
        return -2;
    if (!lx_meas::HoldsLines(pic, sampleBytes))
        return -9;
    const FillRequest rq{x,       y,        key & mask, newValue & mask, connectivity == 8,
                         painted, callback, user};
    if (sampleBytes == 1)
        return until ? Fill<uint8_t, true>(pic, rq) : Fill<uint8_t, false>(pic, rq);
    return until ? Fill<uint16_t, true>(pic, rq) : Fill<uint16_t, false>(pic, rq);
}

} // namespace

int CLxPicMeasAPI::Paint(SLxPicBuf* pic, unsigned x, unsigned y, unsigned oldValue,
                         unsigned newValue, unsigned connectivity)
{
    return PaintChecked(pic, x, y, oldValue, newValue, connectivity, nullptr, nullptr, nullptr,
                        false);
}

int CLxPicMeasAPI::Paint(SLxPicBuf* pic, unsigned x, unsigned y, unsigned oldValue,
                         unsigned newValue, unsigned connectivity, uint64_t& painted)
{
    return PaintChecked(pic, x, y, oldValue, newValue, connectivity, &painted, nullptr, nullptr,
                        false);
}

int CLxPicMeasAPI::Paint(SLxPicBuf* pic, unsigned x, unsigned y, unsigned oldValue,
                         unsigned newValue, unsigned connectivity, LxPaintSpanCallback callback,
                         void* user)
{
    return PaintChecked(pic, x, y, oldValue, newValue, connectivity, nullptr, callback, user,
                        false);
}

int CLxPicMeasAPI::PaintUntil(SLxPicBuf* pic, unsigned x, unsigned y, unsigned boundaryValue,
                              unsigned newValue, unsigned connectivity)
{
    return PaintChecked(pic, x, y, boundaryValue, newValue, connectivity, nullptr, nullptr, nullptr,
                        true);
}

int CLxPicMeasAPI::PaintUntil(SLxPicBuf* pic, unsigned x, unsigned y, unsigned boundaryValue,
                              unsigned newValue, unsigned connectivity, uint64_t& painted)
{
    return PaintChecked(pic, x, y, boundaryValue, newValue, connectivity, &painted, nullptr,
                        nullptr, true);
}

int CLxPicMeasAPI::PaintUntil(SLxPicBuf* pic, unsigned x, unsigned y, unsigned boundaryValue,
                              unsigned newValue, unsigned connectivity,
                              LxPaintSpanCallback callback, void* user)
{
    return PaintChecked(pic, x, y, boundaryValue, newValue, connectivity, nullptr, callback, user,
                        true);
}

int CLxPicMeasAPI::PaintAllObjects(SLxPicBuf* pic, unsigned connectivity)
{
    if (!pic)
        return -9;
    if (pic->uiComps != 1 || pic->uiBpc <= 8 || pic->uiBpc > 16)
        return -2;
    if (pic->uiWidth == 0 || pic->uiHeight == 0)
        return 0;
    if (!lx_meas::HoldsLines(pic, 2))
        return -9;
    int status = 0;
    unsigned label = 0;
    for (uint32_t y = 0; y < pic->uiHeight; ++y) {
        const uint16_t* row = lx_meas::Row<uint16_t>(pic, y);
        const uint32_t width = pic->uiWidth;
        for (uint32_t x = lx_meas::FindForward<uint16_t>(row, 0, width, 0xFFFF, true); x < width;
             x = lx_meas::FindForward<uint16_t>(row, x + 1, width, 0xFFFF, true)) {
            // Label 65535 would be the marker itself: such objects stay
            // marked and the result says so.
            if (label >= 0xFFFE) {
                status = -4;
                continue;
            }
            ++label;
            status = Paint(pic, x, y, 0xFFFF, label, connectivity);
        }
    }
    return status;
}
