// Pruning and zones of influence: hit-or-miss templates applied object by
// object to a list of the object's border pixels, kept current as pixels go;
// and the two drawing operations on one-bit pictures.
#include <algorithm>
#include <vector>

#include "gnr_picture/BinPicBufAPI/LxBinNeighbourTables.h"
#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "gnr_picture/BinPicBufAPI/LxBinPicBufCheck.h"
#include "gnr_picture/BinPicBufAPI/LxBinWorkPicture16.h"
#include "gnr_picture/LxPicMeasAPI.h"

namespace
{

using namespace lx_bin;

constexpr uint16_t kOn = 65535;          // an object pixel not reached yet
constexpr uint16_t kGoing = 65534;       // matched by the current template
constexpr uint16_t kFrameObject = 65533; // the frame continuing an object
constexpr uint16_t kLastLabel = 65530;   // labels are even, border pixels label + 1
constexpr uint16_t kFolded = 2;

// One template sequence run to its own stop: an iteration limit, or none
// (negative).
struct Phase {
    const HitMiss* templates;
    size_t count;
    int limit;
};

// Every frame pixel takes the value of the nearest inner pixel, so that an
// object touching the edge continues into the frame; those pixels are then
// marked as frame. Lines are counted in 32 bits.
void FillFrame(Work16& pic)
{
    uint16_t* d = pic.data();
    const size_t s = size_t(pic.stride());
    const uint32_t w = pic.width(), h = pic.height();
    for (uint32_t x = 0; x < w; ++x) {
        d[x] = d[s + x];
        d[(h - 1) * s + x] = d[(h - 2) * s + x];
    }
    for (uint32_t y = 0; y < h; ++y) {
        d[y * s] = d[y * s + 1];
        d[y * s + w - 1] = d[y * s + w - 2];
    }
    const auto mark = [](uint16_t& v) {
        if (v == kOn)
            v = kFrameObject;
    };
    for (uint32_t x = 0; x < w; ++x) {
        mark(d[x]);
        mark(d[(h - 1) * s + x]);
    }
    for (uint32_t y = 1; y + 1 < h; ++y) {
        mark(d[y * s]);
        mark(d[y * s + w - 1]);
    }
}

struct Box {
    uint32_t left = UINT32_MAX, top = UINT32_MAX, right = 0, bottom = 0; // right, bottom inclusive
};

void GrowBox(unsigned x, unsigned y, unsigned length, void* user)
{
    Box& box = *static_cast<Box*>(user);
    box.left = std::min<uint32_t>(box.left, x);
    box.right = std::max<uint32_t>(box.right, x + length - 1);
    box.top = std::min<uint32_t>(box.top, y);
    box.bottom = std::max<uint32_t>(box.bottom, y);
}

// Within one template pass matched pixels still count as set, so a pass is
// a hit-or-miss transform of the listed pixels taken all at once: the order
// of the list changes nothing. And a template cannot match a pixel whose
// neighbourhood is as it was at that template's previous pass. So after a
// phase's first iteration only the listed pixels around the pixels removed
// by the last `count` passes are tested; each pass keeps those it removed
// around in a ring of buckets.
class RecentChanges
{
  public:
    bool Start(size_t templates)
    {
        window_ = templates;
        try {
            for (auto& bucket : buckets_)
                bucket.clear();
        } catch (...) {
            return false;
        }
        return true;
    }
    std::vector<uint32_t>& Bucket(uint64_t pass) { return buckets_[pass % (window_ + 1)]; }
    size_t Window() const { return window_; }

  private:
    std::vector<uint32_t> buckets_[9];
    size_t window_ = 0;
};

// Runs the phases on the object labelled `label` inside box.
int WorkObject(Work16& pic, uint16_t label, const Box& box, const Phase* phases, size_t phaseCount,
               RecentChanges& recent)
{
    uint16_t* d = pic.data();
    const ptrdiff_t s = pic.stride();
    const uint16_t listed = uint16_t(label + 1);
    const size_t room = size_t(box.right - box.left + 1) * (box.bottom - box.top + 1);
    HeapArray<uint32_t> border, removed;
    if (!border.Make(room, false) || !removed.Make(room, false))
        return -3;
    size_t count = 0;
    for (uint32_t y = box.top; y <= box.bottom; ++y)
        for (uint32_t x = box.left; x <= box.right; ++x) {
            const size_t i = size_t(y) * s + x;
            if (d[i] == label && NonZeroCode(d + i, s) != 0xFF) {
                border[count++] = uint32_t(i);
                d[i] = listed;
            }
        }
    try {
        for (size_t ph = 0; ph < phaseCount; ++ph) {
            const Phase& phase = phases[ph];
            if (!recent.Start(phase.count))
                return -3;
            // The list keeps only pixels still listed.
            size_t kept = 0;
            for (size_t k = 0; k < count; ++k)
                if (d[border[k]] == listed)
                    border[kept++] = border[k];
            count = kept;
            uint64_t pass = 0;
            for (int iteration = 0; phase.limit < 0 || iteration < phase.limit; ++iteration) {
                bool matched = false;
                for (size_t t = 0; t < phase.count; ++t, ++pass) {
                    const HitMiss& tpl = phase.templates[t];
                    size_t gone = 0;
                    const auto test = [&](uint32_t i) {
                        if (d[i] == listed && tpl.Matches(NonZeroCode(d + i, s))) {
                            d[i] = kGoing;
                            removed[gone++] = i;
                        }
                    };
                    if (iteration == 0) {
                        for (size_t k = 0; k < count; ++k)
                            test(border[k]);
                    } else {
                        for (uint64_t back = 1; back <= phase.count; ++back)
                            for (const uint32_t i : recent.Bucket(pass - back))
                                test(i);
                    }
                    std::vector<uint32_t>& mine = recent.Bucket(pass);
                    mine.clear();
                    if (gone == 0)
                        continue;
                    matched = true;
                    for (size_t k = 0; k < gone; ++k) {
                        d[removed[k]] = 0;
                        for (const Step& step : kSuccessorOrder)
                            mine.push_back(uint32_t(ptrdiff_t(removed[k]) + step.dy * s + step.dx));
                    }
                    for (size_t k = 0; k < gone; ++k)
                        for (const uint32_t side : {kN, kW, kE, kS}) {
                            const size_t n = size_t(ptrdiff_t(removed[k]) + BitOffset(side, s));
                            if (d[n] == label) {
                                d[n] = listed;
                                border[count++] = uint32_t(n);
                            }
                        }
                }
                if (!matched)
                    break;
            }
        }
    } catch (...) { // the buckets could not grow
        return -3;
    }
    return 0;
}

// Labels each object of pic (pixels of kOn) in turn and runs the phases on
// it. Past the last label the finished objects fold to one value, which the
// templates (reading set and clear only) cannot tell apart.
int WorkObjects(Work16& pic, const Phase* phases, size_t phaseCount)
{
    FillFrame(pic);
    uint16_t* d = pic.data();
    const uint32_t s = uint32_t(pic.stride());
    const size_t samples = pic.samples();
    RecentChanges recent;
    uint32_t label = 0;
    for (size_t i = 0; i < samples; ++i) {
        if (d[i] != kOn)
            continue;
        if (label + 2 > kLastLabel) {
            for (size_t j = 0; j < samples; ++j)
                if (d[j] >= kFolded && d[j] <= kLastLabel + 1)
                    d[j] = kFolded;
            label = kFolded;
        }
        label += 2;
        Box box;
        const int status = CLxPicMeasAPI::Paint(pic.get(), uint32_t(i % s), uint32_t(i / s), kOn,
                                                label, 8, GrowBox, &box);
        if (status != 0)
            return status;
        const int worked = WorkObject(pic, uint16_t(label), box, phases, phaseCount, recent);
        if (worked != 0)
            return worked;
    }
    return 0;
}

} // namespace

int CLxBinPicBufAPI::Pruning(SLxBinPicBuf* dst, const SLxBinPicBuf* src, int steps)
{
    if (!lx_bin::SameSize(dst, src))
        return -9;
    Work16 pic;
    if (!pic.Make(src->uiWidth, src->uiHeight))
        return -3;
    Unpack1to16Expand(pic.get(), src, 1);
    const Phase phase{kPruningTemplates, 8, steps == 0 ? 1000 : steps};
    const int status = WorkObjects(pic, &phase, 1);
    return status != 0 ? status : Pack16NZto1DExpand(dst, pic.get(), 1);
}

int CLxBinPicBufAPI::CalculateZonesOfInfluence(SLxBinPicBuf* dst, const SLxBinPicBuf* src)
{
    if (!lx_bin::SameSize(dst, src))
        return -9;
    Work16 pic;
    if (!pic.Make(src->uiWidth, src->uiHeight))
        return -3;
    // The background regions of the source are the objects worked on.
    Unpack1to16Expand(pic.get(), src, 1);
    uint16_t* d = pic.data();
    const size_t s = size_t(pic.stride());
    for (uint32_t y = 1; y + 1 < pic.height(); ++y)
        for (uint32_t x = 1; x + 1 < pic.width(); ++x)
            d[y * s + x] ^= kOn;
    const Phase phases[] = {
        {kThinningTemplates, 8, 1000},
        {kEndRemovalTemplates, 4, 1000},
        {kThinningTemplates, 8, 1000},
        {kEndRemovalTemplates, 4, 1000},
    };
    const int status = WorkObjects(pic, phases, 4);
    return status != 0 ? status : Pack16NZto1DExpand(dst, pic.get(), 1);
}

int CLxBinPicBufAPI::SetPixel(SLxBinPicBuf* pic, int x, int y, bool value)
{
    if (!lx_bin::HasPixels(pic) || x < 0 || y < 0 || uint32_t(x) >= pic->uiWidth ||
        uint32_t(y) >= pic->uiHeight)
        return -4;
    lx_bin::SetBit(lx_bin::Line(pic, uint32_t(y)), uint32_t(x), value);
    return 0;
}

int CLxBinPicBufAPI::AddCircle(SLxBinPicBuf* pic, uint32_t radius, int cx, int cy)
{
    if (!lx_bin::HasPixels(pic))
        return -4;
    if (radius == 0)
        return 0;
    // Ranges clipped in 64 bits; (x - cx)^2 + (y - cy)^2 <= (r - 0.5)^2 holds
    // for whole numbers exactly when it is <= r^2 - r.
    const int64_t r = radius;
    const int64_t top = std::max<int64_t>(0, int64_t(cy) - r + 1);
    const int64_t bottom = std::min<int64_t>(int64_t(pic->uiHeight) - 1, int64_t(cy) + r - 1);
    const int64_t left = std::max<int64_t>(0, int64_t(cx) - r + 1);
    const int64_t right = std::min<int64_t>(int64_t(pic->uiWidth) - 1, int64_t(cx) + r - 1);
    const unsigned __int128 limit = (unsigned __int128)(r) * r - r;
    for (int64_t y = top; y <= bottom; ++y) {
        uint8_t* line = lx_bin::Line(pic, uint32_t(y));
        const int64_t dy = y - cy;
        for (int64_t x = left; x <= right; ++x) {
            const int64_t dx = x - cx;
            const unsigned __int128 dist =
                (unsigned __int128)(dx < 0 ? -dx : dx) * (dx < 0 ? -dx : dx) +
                (unsigned __int128)(dy < 0 ? -dy : dy) * (dy < 0 ? -dy : dy);
            if (dist <= limit)
                lx_bin::SetBit(line, uint32_t(x), true);
        }
    }
    return 0;
}
