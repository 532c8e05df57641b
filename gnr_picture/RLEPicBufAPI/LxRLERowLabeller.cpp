// Row-by-row union-find labelling that lays the objects out from per
// component counts, with working blocks kept by each thread: a fresh block
// of tens of megabytes costs more in page faults than the labelling itself.
#include "gnr_picture/RLEPicBufAPI/LxRLERowLabeller.h"

#include "gnr_picture/RLEPicBufAPI/LxRLELabelling.h"

namespace lx_rle
{

namespace
{

// What a label knows while it is a root: its runs, rows and columns.
struct Component {
    uint32_t parent;
    uint32_t runs;
    uint32_t top, bottom;
    uint32_t left, right; // inclusive
};

// Where an object is being written: its start, its next free byte and its
// open segment (0 before the first), all from the start of the area.
struct Cursor {
    uint32_t object;
    uint32_t at;
    uint32_t segment;
};

// A block that grows geometrically and keeps its memory between calls.
template <class T> class Block
{
  public:
    ~Block() { CLxAlloc::Free(data_); }
    bool Fit(uint64_t n)
    {
        if (n <= capacity_)
            return true;
        uint64_t grown = capacity_ * 2 > n ? capacity_ * 2 : n;
        if (grown > (uint64_t(1) << 40) / sizeof(T))
            return false;
        void* block = CLxAlloc::ReAlloc(data_, size_t(grown * sizeof(T)), 0);
        if (!block)
            return false;
        data_ = static_cast<T*>(block);
        capacity_ = grown;
        return true;
    }
    uint64_t Bytes() const { return capacity_ * sizeof(T); }
    void Release()
    {
        CLxAlloc::Free(data_);
        data_ = nullptr;
        capacity_ = 0;
    }
    T* data() { return data_; }
    T& operator[](uint64_t i) { return data_[i]; }

  private:
    T* data_ = nullptr;
    uint64_t capacity_ = 0;
};

struct Scratch {
    Block<ScannedRun> runs;
    Block<uint32_t> rowFirst; // height + 1 entries
    Block<Component> components;
    Block<Cursor> cursors;
    Block<uint32_t> slotOf; // per label, its object in storage order
    // A thread keeps at most this much between pictures.
    static constexpr uint64_t kKeptBytes = uint64_t(128) << 20;
    void Trim()
    {
        if (runs.Bytes() + rowFirst.Bytes() + components.Bytes() + cursors.Bytes() +
                slotOf.Bytes() >
            kKeptBytes) {
            runs.Release();
            rowFirst.Release();
            components.Release();
            cursors.Release();
            slotOf.Release();
        }
    }
};

thread_local Scratch t_scratch;

inline uint32_t Find(Component* c, uint32_t a)
{
    while (c[a].parent != a) {
        c[a].parent = c[c[a].parent].parent;
        a = c[a].parent;
    }
    return a;
}

// Hangs root high under root low, which takes over its runs and box.
inline void Merge(Component* c, uint32_t low, uint32_t high)
{
    Component& l = c[low];
    const Component& h = c[high];
    l.runs += h.runs;
    l.bottom = h.bottom > l.bottom ? h.bottom : l.bottom;
    l.left = h.left < l.left ? h.left : l.left;
    l.right = h.right > l.right ? h.right : l.right;
    c[high].parent = low;
}

// A run above that is labelled differently from root meets it: the
// component root after joining the two. Out of line, as most runs above
// already carry the root, to keep the labelling loop in registers.
__attribute__((noinline)) uint32_t Join(Component* c, ScannedRun* above, uint32_t root)
{
    const uint32_t other = Find(c, above->label);
    above->label = other;
    if (other == root)
        return root;
    if (other < root) {
        Merge(c, other, root);
        return other;
    }
    Merge(c, root, other);
    return root;
}

} // namespace

bool RowLabeller::Start(uint32_t width, uint32_t height)
{
    width_ = width;
    height_ = height;
    y_ = 0;
    labels_ = 0;
    Scratch& s = t_scratch;
    if (!s.rowFirst.Fit(uint64_t(height) + 1) || !s.components.Fit(1))
        return false;
    s.rowFirst[0] = 0;
    return true;
}

ScannedRun* RowLabeller::Room()
{
    Scratch& s = t_scratch;
    // One run more than a row can hold, so that a picture without columns
    // gets room too.
    if (y_ >= height_ || !s.runs.Fit(uint64_t(s.rowFirst[y_]) + (uint64_t(width_) + 1) / 2 + 1))
        return nullptr;
    return s.runs.data() + s.rowFirst[y_];
}

bool RowLabeller::EndRow(uint32_t count)
{
    Scratch& s = t_scratch;
    const uint64_t first = s.rowFirst[y_];
    // Labels are 32-bit and so are the run indexes.
    if (y_ >= height_ || first + count >= 0xFFFFFFFFu ||
        !s.components.Fit(uint64_t(labels_) + count + 1))
        return false;
    Component* c = s.components.data();
    const uint32_t y = y_;
    ScannedRun* above = s.runs.data() + (y > 0 ? s.rowFirst[y - 1] : first);
    ScannedRun* const aboveEnd = s.runs.data() + first;
    ScannedRun* const rowEnd = aboveEnd + count;
    uint32_t labels = labels_;
    // Neighbouring runs of one component in this row are counted and
    // boxed together; the sum goes to the root before any join can hang
    // that root under another.
    uint32_t pending = 0, pendingRuns = 0, pendingLeft = 0, pendingRight = 0;
    auto flush = [&] {
        if (pending) {
            Component& comp = c[pending];
            comp.runs += pendingRuns;
            comp.bottom = y;
            comp.left = pendingLeft < comp.left ? pendingLeft : comp.left;
            comp.right = pendingRight > comp.right ? pendingRight : comp.right;
            pending = 0;
        }
    };
    for (ScannedRun* r = aboveEnd; r != rowEnd; ++r) {
        const uint32_t start = r->start, end = r->start + r->length; // one past
        // Runs above that end left of start - 1 touch no later run either.
        while (above != aboveEnd && above->start + above->length < start)
            ++above;
        uint32_t label;
        if (above == aboveEnd || above->start > end) {
            label = ++labels;
            c[label] = Component{label, 0, y, y, start, end - 1};
        } else {
            label = Find(c, above->label);
            above->label = label;
            for (ScannedRun* p = above + 1; p != aboveEnd && p->start <= end; ++p)
                if (p->label != label) {
                    flush();
                    label = Join(c, p, label);
                }
        }
        if (label != pending) {
            flush();
            pending = label;
            pendingRuns = 0;
            pendingLeft = start;
        }
        ++pendingRuns;
        pendingRight = end - 1;
        r->label = label;
    }
    flush();
    labels_ = labels;
    s.rowFirst[y + 1] = uint32_t(first + count);
    ++y_;
    return true;
}

int RowLabeller::Finish(SLxRLEPicBuf* rec)
{
    Scratch& s = t_scratch;
    const uint32_t custom = rec->uiCustomDataSize;
    while (y_ < height_) // rows never scanned have no runs
        if (!EndRow(0)) {
            MakeEmptyPainted(rec, width_, height_);
            return -9;
        }
    if (!s.cursors.Fit(uint64_t(labels_) + 1) || !s.slotOf.Fit(uint64_t(labels_) + 1)) {
        MakeEmptyPainted(rec, width_, height_);
        return -9;
    }
    Component* c = s.components.data();
    Cursor* cursors = s.cursors.data();
    uint32_t* slotOf = s.slotOf.data();
    // Roots are the oldest labels of their components, so numbering them in
    // label order numbers the objects in raster order. A parent is always
    // older than its child, so it has its slot when the child comes.
    uint32_t slots = 0;
    uint64_t total = 0;
    for (uint32_t l = 1; l <= labels_; ++l) {
        if (c[l].parent != l) {
            slotOf[l] = slotOf[c[l].parent];
            continue;
        }
        const Component& k = c[l];
        cursors[slots] = Cursor{uint32_t(total), l, 0}; // at: the root, until started
        slotOf[l] = slots++;
        total += kHeader + 8 * (uint64_t(k.bottom - k.top) + 1) + 8 * uint64_t(k.runs) + custom;
        if (total > 0xFFFFFFFFu) {
            MakeEmptyPainted(rec, width_, height_);
            return -9;
        }
    }
    // The old area serves again when it is large enough and not much larger.
    uint8_t* old = rec->pObjects;
    const uint64_t oldBytes = old ? CLxAlloc::Size(old) : 0;
    uint8_t* area = nullptr;
    if (old && total && oldBytes >= total && oldBytes <= 2 * total + 131072) {
        area = old;
        rec->pObjects = nullptr;
    } else if (total) {
        area = static_cast<uint8_t*>(CLxAlloc::Alloc(0, size_t(total)));
        if (!area) {
            MakeEmptyPainted(rec, width_, height_);
            return -9;
        }
    }
    MakeEmptyPainted(rec, width_, height_);
    // Every byte of the area is written, each object while its first run is
    // laid out (objects start in storage order): header and custom area
    // then, segments run by run.
    auto startObject = [&](uint32_t slot, Cursor& cur) {
        const Component& comp = c[cur.at];
        uint8_t* obj = area + cur.object;
        const uint32_t segments = comp.bottom - comp.top + 1;
        const uint32_t size = kHeader + 8 * segments + 8 * comp.runs + custom;
        uint8_t header[kHeader] = {};
        Store32(header, kID, slot + 1);
        Store32(header, kLeft, comp.left);
        Store32(header, kTop, comp.top);
        Store32(header, kRight, comp.right);
        Store32(header, kBottom, comp.bottom);
        Store32(header, kSize, size);
        Store32(header, kSegCount, segments);
        std::memcpy(obj, header, kHeader);
        if (custom)
            std::memset(obj + size - custom, 0, custom);
        cur.at = cur.object + kHeader;
    };
    // Neighbouring runs of one object in a row are appended in one go.
    const ScannedRun* runs = s.runs.data();
    for (uint32_t y = 0; y < height_; ++y) {
        uint64_t i = s.rowFirst[y];
        const uint64_t end = s.rowFirst[y + 1];
        while (i < end) {
            const uint32_t slot = slotOf[runs[i].label];
            Cursor& cur = cursors[slot];
            if (cur.segment == 0)
                startObject(slot, cur);
            uint32_t at = cur.at, count = 0;
            if (cur.segment != 0 && Load32(area, cur.segment) == y) {
                count = Load32(area, cur.segment + 4);
            } else {
                cur.segment = at;
                Store32(area, at, y);
                at += 8;
                Store32(area, cur.object + kLastSeg, cur.segment - cur.object);
            }
            do {
                Store32(area, at, runs[i].start);
                Store32(area, at + 4, runs[i].length);
                at += 8;
                ++count;
            } while (++i < end && slotOf[runs[i].label] == slot);
            Store32(area, cur.segment + 4, count);
            cur.at = at;
        }
    }
    rec->pObjects = area;
    rec->uiObjectCount = slots;
    rec->uiObjectSize = uint32_t(total);
    rec->uiLastObjectOffset = slots ? cursors[slots - 1].object : 0;
    s.Trim();
    return 0;
}

} // namespace lx_rle
