// Pruning and zones of influence: hit-or-miss templates applied to every
// object at once, each pass testing only the pixels the template can match
// now; and the two drawing operations on one-bit pictures.
#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <vector>

#include "gnr_picture/BinPicBufAPI/LxBinNarrowObjects.h"
#include "gnr_picture/BinPicBufAPI/LxBinNeighbourTables.h"
#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "gnr_picture/BinPicBufAPI/LxBinPicBufCheck.h"
#include "gnr_picture/BinPicBufAPI/LxBinWorkPicture16.h"

namespace
{

using namespace lx_bin;

constexpr uint8_t kSides = kN | kE | kS | kW;

// One template sequence run to its own stop: an iteration limit, or none
// (negative).
struct Phase {
    const HitMiss* templates;
    size_t count;
    int limit;
};

// Every template asks for a clear side neighbour, so only pixels with one
// (the border) are ever tested.
constexpr bool EachNeedsClearSide(const HitMiss* templates, size_t count)
{
    for (size_t t = 0; t < count; ++t)
        if ((templates[t].clear & kSides) == 0)
            return false;
    return true;
}
static_assert(EachNeedsClearSide(kPruningTemplates, 8) &&
                  EachNeedsClearSide(kThinningTemplates, 8) &&
                  EachNeedsClearSide(kEndRemovalTemplates, 4),
              "border pixels are the only candidates");

// Bit i of the entry is bit 7 - i of the index: a picture byte with its
// leftmost pixel in bit 0.
constexpr std::array<uint8_t, 256> MakeReversed()
{
    std::array<uint8_t, 256> t{};
    for (uint32_t v = 0; v < 256; ++v)
        for (uint32_t i = 0; i < 8; ++i)
            t[v] |= uint8_t(((v >> (7 - i)) & 1) << i);
    return t;
}
inline constexpr std::array<uint8_t, 256> kReversed = MakeReversed();

// The code of a pixel from the three-pixel groups above, beside and below
// it (bit 0 the left pixel, bit 2 the right one): index top | mid << 3 |
// bottom << 6.
constexpr std::array<uint8_t, 512> MakeGroupCodes()
{
    std::array<uint8_t, 512> t{};
    for (uint32_t g = 0; g < 512; ++g) {
        const auto bit = [g](uint32_t row, uint32_t col) { return (g >> (row * 3 + col)) & 1; };
        t[g] = uint8_t(bit(0, 1) * kN | bit(0, 2) * kNE | bit(1, 2) * kE | bit(2, 2) * kSE |
                       bit(2, 1) * kS | bit(2, 0) * kSW | bit(1, 0) * kW | bit(0, 0) * kNW);
    }
    return t;
}
inline constexpr std::array<uint8_t, 512> kGroupCodes = MakeGroupCodes();

// Within one pass matched pixels still count as set, so a pass is a
// hit-or-miss transform of all object pixels at once. Pixels of different
// 8-connected objects are never neighbours and a phase that stopped
// changing one object leaves it alone, so the objects are worked on
// together, in the same passes, with the same result as one by one.
//
// The picture is held as two bitmaps small enough to stay in cache: set
// pixels (objects and the frame continuing them) and live ones (object
// pixels inside the frame, still there). When a pixel's neighbourhood
// changes it is queued for the next pass whose template matches it (one
// queue a template); a pass takes its queue, drops entries that no longer
// match, and removes the rest. A pixel whose neighbourhood does not change
// meets every template within `count` passes, so no match is missed.
// Positions are bit indices; Index is 32 bits wherever they fit.
template <class Index> class TemplateRun
{
  public:
    // The working picture is the source with a one-pixel frame: (W + 2) x
    // (H + 2) pixels, pixel (x + 1, y + 1) the source's (x, y).
    TemplateRun(uint32_t width, uint32_t height)
        : width_(width), height_(height), rowWords_((uint64_t(width) + 2 + 63) / 64 + 1),
          rowBits_(rowWords_ * 64)
    {
    }

    static uint64_t Bits(uint32_t width, uint32_t height)
    {
        return ((uint64_t(width) + 2 + 63) / 64 + 1) * 64 * (uint64_t(height) + 2);
    }

    // dst = the objects of src (or of its complement) after the phases.
    int Run(SLxBinPicBuf* dst, const SLxBinPicBuf* src, bool complement, const Phase* phases,
            size_t phaseCount)
    {
        const size_t words = rowWords_ * (size_t(height_) + 2);
        if (!set_.Make(words, true) || !live_.Make(words, true))
            return -3;
        Load(src, complement);
        try {
            for (size_t p = 0; p < phaseCount; ++p)
                RunPhase(phases[p]);
        } catch (...) { // a queue could not grow
            return -3;
        }
        Store(dst);
        return 0;
    }

  private:
    // The source's pixels; then every frame pixel takes the value of the
    // nearest inner pixel, so that an object touching the edge continues
    // into the frame (set, never live).
    void Load(const SLxBinPicBuf* src, bool complement)
    {
        const uint32_t w = width_, h = height_;
        for (uint32_t y = 0; y < h; ++y) {
            const uint8_t* line = Line(src, y);
            uint64_t* row = set_.get() + (size_t(y) + 1) * rowWords_;
            for (uint32_t k = 0; k < (w + 7) / 8; ++k) {
                uint32_t r = kReversed[line[k]];
                if (complement)
                    r = ~r & 0xFF;
                if (8 * k + 8 > w)
                    r &= (1u << (w - 8 * k)) - 1;
                const uint32_t at = 8 * k + 1, word = at / 64, shift = at % 64;
                row[word] |= uint64_t(r) << shift;
                if (shift > 56)
                    row[word + 1] |= uint64_t(r) >> (64 - shift);
            }
            std::copy(row, row + rowWords_, live_.get() + (size_t(y) + 1) * rowWords_);
            SetBit(row, 0, GetBit(row, 1));
            SetBit(row, w + 1, GetBit(row, w));
        }
        std::copy(set_.get() + rowWords_, set_.get() + 2 * rowWords_, set_.get());
        std::copy(set_.get() + size_t(h) * rowWords_, set_.get() + (size_t(h) + 1) * rowWords_,
                  set_.get() + (size_t(h) + 1) * rowWords_);
    }

    static bool GetBit(const uint64_t* row, uint32_t x) { return (row[x / 64] >> (x % 64)) & 1; }
    static void SetBit(uint64_t* row, uint32_t x, bool v)
    {
        row[x / 64] = (row[x / 64] & ~(uint64_t(1) << (x % 64))) | (uint64_t(v) << (x % 64));
    }

    // The live pixels into dst's lines; the bits after the last pixel of a
    // line keep their values.
    void Store(SLxBinPicBuf* dst)
    {
        const uint32_t w = width_;
        for (uint32_t y = 0; y < height_; ++y) {
            uint8_t* line = Line(dst, y);
            const uint8_t* row =
                reinterpret_cast<const uint8_t*>(live_.get() + (size_t(y) + 1) * rowWords_);
            for (uint32_t k = 0; k < (w + 7) / 8; ++k) {
                const uint32_t at = 8 * k + 1;
                uint64_t v;
                std::memcpy(&v, row + at / 8, 8);
                const uint8_t bits = kReversed[uint8_t(v >> (at % 8))];
                if (8 * k + 8 > w) {
                    const uint8_t keep = uint8_t(0xFFu >> (w - 8 * k));
                    line[k] = uint8_t((line[k] & keep) | (bits & ~keep));
                } else {
                    line[k] = bits;
                }
            }
        }
    }

    bool Live(Index i) { return (live_[i >> 6] >> (i & 63)) & 1; }

    // The three set bits from i - 1 to i + 1 (a row ends in a spare word).
    static uint32_t Group(const uint64_t* map, Index i)
    {
        uint64_t v;
        std::memcpy(&v, reinterpret_cast<const uint8_t*>(map) + ((i - 1) >> 3), 8);
        return uint32_t(v >> ((i - 1) & 7)) & 7;
    }

    // The 3 x 3 block around i in a map, as an index of kGroupCodes.
    uint32_t Block(const uint64_t* map, Index i)
    {
        return Group(map, i - Index(rowBits_)) | Group(map, i) << 3 |
               Group(map, i + Index(rowBits_)) << 6;
    }

    uint32_t Matches(Index i)
    {
        return matches_[Block(set_.get(), i)];
    }

    void RunPhase(const Phase& phase)
    {
        count_ = uint32_t(phase.count);
        for (uint32_t g = 0; g < 512; ++g) {
            uint32_t m = 0;
            for (uint32_t t = 0; t < count_; ++t)
                m |= uint32_t(phase.templates[t].Matches(kGroupCodes[g])) << t;
            matches_[g] = uint8_t(m);
        }
        for (auto& queue : queues_)
            queue.clear();
        QueueBorder();
        for (int iteration = 0; phase.limit < 0 || iteration < phase.limit; ++iteration) {
            bool matched = false;
            for (uint32_t t = 0; t < count_; ++t)
                matched |= Pass(t);
            if (!matched)
                break;
        }
    }

    // Live pixels with a clear side neighbour, the only ones a template
    // can match, each queued for its first matching template.
    void QueueBorder()
    {
        for (size_t y = 1; y <= height_; ++y)
            for (size_t k = 0; k + 1 < rowWords_; ++k) {
                const size_t word = y * rowWords_ + k;
                const uint64_t here = set_[word];
                const uint64_t left = here << 1 | (k > 0 ? set_[word - 1] >> 63 : 0);
                const uint64_t right = here >> 1 | set_[word + 1] << 63;
                const uint64_t sides =
                    set_[word - rowWords_] & set_[word + rowWords_] & left & right;
                for (uint64_t border = live_[word] & ~sides; border != 0; border &= border - 1) {
                    const Index i = Index(word * 64 + size_t(__builtin_ctzll(border)));
                    if (const uint32_t m = Matches(i))
                        queues_[__builtin_ctz(m)].push_back(i);
                }
            }
    }

    // Queues i for the first template after t (t itself a turn later)
    // that matches it.
    void Requeue(Index i, uint32_t t)
    {
        const uint32_t m = Matches(i);
        if (m == 0)
            return;
        const uint32_t after = t + 1 == count_ ? m : (m >> (t + 1)) | (m << (count_ - t - 1));
        const uint32_t next = t + 1 + uint32_t(__builtin_ctz(after));
        queues_[next < count_ ? next : next - count_].push_back(i);
    }

    bool Pass(uint32_t t)
    {
        std::vector<Index>& queue = queues_[t];
        removed_.clear();
        // A matched pixel leaves the live map at once (so a second entry
        // is dropped) and the set map after the pass.
        for (const Index i : queue)
            if (Live(i) && (Matches(i) >> t & 1)) {
                live_[i >> 6] &= ~(uint64_t(1) << (i & 63));
                removed_.push_back(i);
            }
        queue.clear();
        if (removed_.empty())
            return false;
        for (const Index i : removed_)
            set_[i >> 6] &= ~(uint64_t(1) << (i & 63));
        // Offsets of the 3 x 3 block's bits (the centre is no longer live).
        const Index s = Index(rowBits_);
        const Index offsets[9] = {Index(-s - 1), Index(-s), Index(-s + 1), Index(-1), 0,
                                  1,             s - 1,     s,             s + 1};
        // Every live neighbour, listed with repeats: the live map is only
        // read here, since a store into it would stall the next pixel's
        // unaligned reads. The second loop takes each one once (it leaves
        // the live map while requeued; the codes read the set map only).
        if (touched_.size() < removed_.size() * 8) // grown only, never refilled
            touched_.resize(removed_.size() * 8);
        Index* const first = touched_.data();
        Index* last = first;
        for (const Index i : removed_)
            for (uint32_t live = Block(live_.get(), i); live != 0; live &= live - 1)
                *last++ = Index(i + offsets[__builtin_ctz(live)]);
        // The list is compacted to its distinct pixels on the way, so that
        // fewer are put back.
        Index* distinct = first;
        for (const Index* n = first; n != last; ++n)
            if (Live(*n)) {
                live_[*n >> 6] &= ~(uint64_t(1) << (*n & 63));
                *distinct++ = *n;
                Requeue(*n, t);
            }
        for (const Index* n = first; n != distinct; ++n)
            live_[*n >> 6] |= uint64_t(1) << (*n & 63);
        return true;
    }

    const uint32_t width_, height_;
    const size_t rowWords_, rowBits_;
    HeapArray<uint64_t> set_, live_;
    std::vector<Index> removed_, touched_;
    std::vector<Index> queues_[8];
    uint8_t matches_[512] = {};
    uint32_t count_ = 0;
};

int WorkObjects(SLxBinPicBuf* dst, const SLxBinPicBuf* src, bool complement, const Phase* phases,
                size_t phaseCount)
{
    const uint32_t w = src->uiWidth, h = src->uiHeight;
    if (TemplateRun<uint32_t>::Bits(w, h) <= UINT32_MAX)
        return TemplateRun<uint32_t>(w, h).Run(dst, src, complement, phases, phaseCount);
    return TemplateRun<uint64_t>(w, h).Run(dst, src, complement, phases, phaseCount);
}

} // namespace

int CLxBinPicBufAPI::Pruning(SLxBinPicBuf* dst, const SLxBinPicBuf* src, int steps)
{
    if (!lx_bin::SameSize(dst, src))
        return -9;
    const Phase phase{kPruningTemplates, 8, steps == 0 ? 1000 : steps};
    return WorkObjects(dst, src, false, &phase, 1);
}

int CLxBinPicBufAPI::CalculateZonesOfInfluence(SLxBinPicBuf* dst, const SLxBinPicBuf* src)
{
    if (!lx_bin::SameSize(dst, src))
        return -9;
    // The background regions of the source are the objects worked on.
    const Phase phases[] = {
        {kThinningTemplates, 8, 1000},
        {kEndRemovalTemplates, 4, 1000},
        {kThinningTemplates, 8, 1000},
        {kEndRemovalTemplates, 4, 1000},
    };
    std::vector<uint8_t> grownBlock;
    SLxBinPicBuf grown = *src;
    try {
        if (lx_bin::GrowNarrowObjects(*src, grownBlock))
            grown.pData = grownBlock.data();
    } catch (const std::bad_alloc&) {
        return -3;
    }
    return WorkObjects(dst, &grown, true, phases, 4);
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
