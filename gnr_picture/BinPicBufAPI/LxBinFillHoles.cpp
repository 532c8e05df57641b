// Hole filling by a flood of the background from the border, span by span
// over words of 64 pixels: the work follows the background that the flood
// reaches, not the whole picture, and no working picture of bytes is made.
#include <cstring>
#include <new>
#include <vector>

#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "gnr_picture/BinPicBufAPI/LxBinPicBufCheck.h"

namespace
{

constexpr uint64_t kAll = ~uint64_t(0);

// Pixels from position a (0-63) to the end of a word; pixel x of a row lies
// under bit 63 - x % 64 of word x / 64.
inline uint64_t From(uint32_t a)
{
    return kAll >> a;
}

// Pixels before position b (0-64).
inline uint64_t Before(uint32_t b)
{
    return b == 64 ? kAll : ~(kAll >> b);
}

struct Span {
    uint32_t y, start, end; // end exclusive
};

// The background not reached yet, one row of words after the other (bits
// past the width clear), and the reached spans whose neighbours are still
// to be looked at. Kept by the thread between pictures.
class BorderFlood
{
  public:
    bool Start(const SLxBinPicBuf* src)
    {
        width_ = src->uiWidth;
        height_ = src->uiHeight;
        words_ = uint32_t((uint64_t(width_) + 63) / 64);
        try {
            free_.resize(size_t(words_) * height_);
            pending_.clear();
        } catch (const std::bad_alloc&) {
            return false;
        }
        const uint32_t lineBytes = uint32_t((uint64_t(width_) + 7) / 8);
        for (uint32_t y = 0; y < height_; ++y) {
            const uint8_t* line = lx_bin::Line(src, y);
            uint64_t* row = Row(y);
            for (uint32_t k = 0; k < words_; ++k) {
                const uint32_t bytes = lineBytes - 8 * k < 8 ? lineBytes - 8 * k : 8;
                uint64_t word = 0;
                std::memcpy(&word, line + 8 * k, bytes);
                row[k] = ~__builtin_bswap64(word);
            }
            if (width_ % 64)
                row[words_ - 1] &= Before(width_ % 64);
        }
        return true;
    }

    // Reaches the background regions that hold a pixel of the border.
    bool Run()
    {
        if (!Reach(0, 0, width_) || !Reach(height_ - 1, 0, width_))
            return false;
        for (uint32_t y = 1; y + 1 < height_; ++y)
            if (!Reach(y, 0, 1) || !Reach(y, width_ - 1, width_))
                return false;
        while (!pending_.empty()) {
            const Span s = pending_.back();
            pending_.pop_back();
            if (s.y > 0 && !Reach(s.y - 1, s.start, s.end))
                return false;
            if (s.y + 1 < height_ && !Reach(s.y + 1, s.start, s.end))
                return false;
        }
        return true;
    }

    // What is left of the background: the holes, set in dst over src.
    void Write(SLxBinPicBuf* dst, const SLxBinPicBuf* src) const
    {
        const uint32_t lineBytes = uint32_t((uint64_t(width_) + 7) / 8);
        // Bits past the width in the last byte stay as dst had them.
        const uint8_t lastMask = uint8_t(0xFF00u >> (width_ % 8 ? width_ % 8 : 8));
        for (uint32_t y = 0; y < height_; ++y) {
            const uint8_t* from = lx_bin::Line(src, y);
            uint8_t* to = lx_bin::Line(dst, y);
            const uint64_t* row = Row(y);
            const uint8_t last = to[lineBytes - 1];
            for (uint32_t k = 0; k < words_; ++k) {
                const uint32_t bytes = lineBytes - 8 * k < 8 ? lineBytes - 8 * k : 8;
                uint64_t source = 0;
                std::memcpy(&source, from + 8 * k, bytes);
                const uint64_t filled = source | __builtin_bswap64(row[k]);
                std::memcpy(to + 8 * k, &filled, bytes);
            }
            to[lineBytes - 1] = uint8_t((to[lineBytes - 1] & lastMask) | (last & ~lastMask));
        }
    }

    // A thread keeps at most a 64 MiB working picture between pictures.
    void Trim()
    {
        if (free_.capacity() * sizeof(uint64_t) + pending_.capacity() * sizeof(Span) >
            (uint64_t(64) << 20)) {
            std::vector<uint64_t>().swap(free_);
            std::vector<Span>().swap(pending_);
        }
    }

  private:
    uint64_t* Row(uint32_t y) { return free_.data() + size_t(y) * words_; }
    const uint64_t* Row(uint32_t y) const { return free_.data() + size_t(y) * words_; }

    // The first pixel at or after p that is not free background.
    uint32_t RightEnd(const uint64_t* row, uint32_t p) const
    {
        uint32_t k = p / 64;
        uint64_t blocked = ~row[k] & From(p % 64);
        while (!blocked) {
            if (++k == words_)
                return width_;
            blocked = ~row[k];
        }
        const uint64_t end = uint64_t(k) * 64 + uint32_t(__builtin_clzll(blocked));
        return end < width_ ? uint32_t(end) : width_;
    }

    // The first pixel of the free stretch that holds p.
    uint32_t LeftEnd(const uint64_t* row, uint32_t p) const
    {
        uint32_t k = p / 64;
        uint64_t blocked = ~row[k] & Before(p % 64);
        while (!blocked) {
            if (k == 0)
                return 0;
            blocked = ~row[--k];
        }
        return k * 64 + 64 - uint32_t(__builtin_ctzll(blocked));
    }

    static void Clear(uint64_t* row, uint32_t start, uint32_t end)
    {
        for (uint32_t k = start / 64; k <= (end - 1) / 64; ++k) {
            const uint64_t base = uint64_t(k) * 64;
            const uint32_t a = start > base ? uint32_t(start - base) : 0;
            const uint32_t b = end < base + 64 ? uint32_t(end - base) : 64;
            row[k] &= ~(From(a) & Before(b));
        }
    }

    // Every free stretch of row y sharing a pixel with [start, end) is
    // reached whole and remembered.
    bool Reach(uint32_t y, uint32_t start, uint32_t end)
    {
        uint64_t* row = Row(y);
        for (uint32_t k = start / 64; k <= (end - 1) / 64; ++k) {
            const uint64_t base = uint64_t(k) * 64;
            const uint32_t a = start > base ? uint32_t(start - base) : 0;
            const uint32_t b = end < base + 64 ? uint32_t(end - base) : 64;
            const uint64_t window = From(a) & Before(b);
            for (uint64_t found = row[k] & window; found; found = row[k] & window) {
                const uint32_t p = k * 64 + uint32_t(__builtin_clzll(found));
                const Span s{y, LeftEnd(row, p), RightEnd(row, p)};
                Clear(row, s.start, s.end);
                try {
                    pending_.push_back(s);
                } catch (const std::bad_alloc&) {
                    return false;
                }
            }
        }
        return true;
    }

    uint32_t width_ = 0, height_ = 0, words_ = 0;
    std::vector<uint64_t> free_;
    std::vector<Span> pending_;
};

thread_local BorderFlood t_flood;

} // namespace

int CLxBinPicBufAPI::FillHoles(SLxBinPicBuf* dst, const SLxBinPicBuf* src)
{
    if (!lx_bin::SameSize(dst, src))
        return -9;
    BorderFlood& flood = t_flood;
    if (!flood.Start(src) || !flood.Run())
        return -3;
    flood.Write(dst, src);
    flood.Trim();
    return 0;
}
