// Growing the objects that the thinning templates cannot peel around. The
// objects are found as runs joined by a union-find, so that no block of a
// label a pixel is needed.
#include "gnr_picture/BinPicBufAPI/LxBinNarrowObjects.h"

#include <algorithm>
#include <cstddef>

#include "gnr_picture/BinPicBufAPI/LxBinPicBufCheck.h"

namespace lx_bin
{

namespace
{

struct Run {
    uint32_t x0, x1; // pixels x0 to x1 - 1 of the row
};

class RunObjects
{
  public:
    explicit RunObjects(const SLxBinPicBuf& src) : height_(src.uiHeight)
    {
        rowStart_.reserve(size_t(height_) + 1);
        for (uint32_t y = 0; y < height_; ++y) {
            rowStart_.push_back(runs_.size());
            AddRuns(Line(&src, y), src.uiWidth);
        }
        rowStart_.push_back(runs_.size());
        parent_.resize(runs_.size());
        for (size_t r = 0; r < parent_.size(); ++r)
            parent_[r] = r;
        for (uint32_t y = 1; y < height_; ++y)
            JoinRows(y - 1, y);
        for (size_t r = 0; r < parent_.size(); ++r)
            parent_[r] = Root(r);
    }

    size_t RunCount() const { return runs_.size(); }
    size_t Object(size_t run) const { return parent_[run]; }
    const Run& At(size_t run) const { return runs_[run]; }
    size_t RowBegin(uint32_t y) const { return rowStart_[y]; }
    size_t RowEnd(uint32_t y) const { return rowStart_[y + 1]; }

    // Whether every set pixel within two pixels of (x, y) belongs to `object`.
    bool OnlyObjectNear(uint32_t x, uint32_t y, size_t object) const
    {
        const uint32_t left = x < 2 ? 0 : x - 2;
        for (uint32_t ny = y < 2 ? 0 : y - 2; ny <= y + 2 && ny < height_; ++ny) {
            const auto first = runs_.begin() + ptrdiff_t(rowStart_[ny]);
            const auto last = runs_.begin() + ptrdiff_t(rowStart_[size_t(ny) + 1]);
            for (auto it = std::upper_bound(first, last, left,
                                            [](uint32_t v, const Run&r) { return v < r.x1; });
                 it != last && it->x0 <= x + 2; ++it)
                if (parent_[size_t(it - runs_.begin())] != object)
                    return false;
        }
        return true;
    }

  private:
    void AddRuns(const uint8_t* line, uint32_t width)
    {
        uint32_t x = 0;
        while (x < width) {
            // Whole clear bytes are skipped.
            if (x % 8 == 0 && line[x / 8] == 0) {
                x += 8;
                continue;
            }
            if (!GetBit(line, x)) {
                ++x;
                continue;
            }
            const uint32_t x0 = x;
            while (x < width && (x % 8 != 0 || line[x / 8] != 0xFF || x + 8 > width) &&
                   GetBit(line, x))
                ++x;
            while (x < width && x % 8 == 0 && x + 8 <= width && line[x / 8] == 0xFF)
                x += 8;
            while (x < width && GetBit(line, x))
                ++x;
            runs_.push_back({x0, x});
        }
    }

    size_t Root(size_t r)
    {
        while (parent_[r] != r)
            r = parent_[r] = parent_[parent_[r]];
        return r;
    }

    // Runs of neighbouring rows touching at a side or a corner are one object.
    void JoinRows(uint32_t above, uint32_t below)
    {
        size_t a = rowStart_[above], b = rowStart_[below];
        while (a < rowStart_[above + 1] && b < rowStart_[below + 1]) {
            const Run& ra = runs_[a];
            const Run& rb = runs_[b];
            if (ra.x0 <= rb.x1 && rb.x0 <= ra.x1) {
                const size_t pa = Root(a), pb = Root(b);
                parent_[std::max(pa, pb)] = std::min(pa, pb);
            }
            if (ra.x1 < rb.x1)
                ++a;
            else
                ++b;
        }
    }

    const uint32_t height_;
    std::vector<Run> runs_;
    std::vector<size_t> rowStart_, parent_;
};

// The inner parts (runs without their end pixels) of a row's runs.
void InnerParts(const RunObjects& objects, uint32_t y, std::vector<Run>& inner,
                std::vector<size_t>* owners)
{
    inner.clear();
    if (owners)
        owners->clear();
    for (size_t r = objects.RowBegin(y); r < objects.RowEnd(y); ++r)
        if (objects.At(r).x1 - objects.At(r).x0 >= 3) {
            inner.push_back({objects.At(r).x0 + 1, objects.At(r).x1 - 1});
            if (owners)
                owners->push_back(r);
        }
}

// The overlaps of two sorted lists of intervals, each with the entry of
// `a` it came from.
void Overlaps(const std::vector<Run>& a, const std::vector<Run>& b, std::vector<Run>& out,
              std::vector<size_t>& from)
{
    out.clear();
    from.clear();
    for (size_t i = 0, j = 0; i < a.size() && j < b.size();) {
        const uint32_t lo = std::max(a[i].x0, b[j].x0), hi = std::min(a[i].x1, b[j].x1);
        if (lo < hi) {
            out.push_back({lo, hi});
            from.push_back(i);
        }
        if (a[i].x1 < b[j].x1)
            ++i;
        else
            ++j;
    }
}

// Objects holding a 3 x 3 block: a run whose inner part meets the inner
// parts of runs in the rows above and below.
std::vector<bool> WideObjects(const RunObjects& objects, uint32_t height)
{
    std::vector<bool> wide(objects.RunCount(), false);
    std::vector<Run> above, here, below, two, three;
    std::vector<size_t> owners, fromHere, fromTwo;
    for (uint32_t y = 1; y + 1 < height; ++y) {
        InnerParts(objects, y, here, &owners);
        if (here.empty())
            continue;
        InnerParts(objects, y - 1, above, nullptr);
        InnerParts(objects, y + 1, below, nullptr);
        Overlaps(here, above, two, fromHere);
        Overlaps(two, below, three, fromTwo);
        for (const size_t k : fromTwo)
            wide[objects.Object(owners[fromHere[k]])] = true;
    }
    return wide;
}

} // namespace

bool GrowNarrowObjects(const SLxBinPicBuf& src, std::vector<uint8_t>& grown)
{
    const uint32_t w = src.uiWidth, h = src.uiHeight;
    const RunObjects objects(src);
    const std::vector<bool> wide = WideObjects(objects, h);
    bool anyNarrow = false;
    for (size_t r = 0; r < objects.RunCount() && !anyNarrow; ++r)
        anyNarrow = !wide[objects.Object(r)];
    if (!anyNarrow)
        return false;

    grown.assign(static_cast<const uint8_t*>(src.pData),
                 static_cast<const uint8_t*>(src.pData) + size_t(src.uiWidthBytes) * h);
    SLxBinPicBuf out = src;
    out.pData = grown.data();
    // A row's candidates: the clear pixels beside the runs of narrow objects
    // in it and the rows around it, each tested once, with the first owner
    // found (a pixel beside two objects is refused anyway).
    struct Candidates {
        uint32_t x0, x1;
        size_t owner;
    };
    std::vector<Candidates> near;
    for (uint32_t y = 0; y < h; ++y) {
        near.clear();
        for (uint32_t ry = y == 0 ? 0 : y - 1; ry <= y + 1 && ry < h; ++ry)
            for (size_t r = objects.RowBegin(ry); r < objects.RowEnd(ry); ++r)
                if (!wide[objects.Object(r)])
                    near.push_back({objects.At(r).x0 == 0 ? 0 : objects.At(r).x0 - 1,
                                    std::min(w, objects.At(r).x1 + 1), objects.Object(r)});
        std::sort(near.begin(), near.end(),
                  [](const Candidates& a, const Candidates& b) { return a.x0 < b.x0; });
        const uint8_t* line = Line(&src, y);
        uint32_t next = 0;
        for (const Candidates& c : near) {
            for (uint32_t x = std::max(c.x0, next); x < c.x1; ++x)
                if (!GetBit(line, x) && objects.OnlyObjectNear(x, y, c.owner))
                    SetBit(Line(&out, y), x, true);
            next = std::max(next, c.x1);
        }
    }
    return true;
}

} // namespace lx_bin
