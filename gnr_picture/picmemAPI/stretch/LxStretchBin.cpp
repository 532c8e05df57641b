// Nearest-neighbour stretch of one-bit pictures. Pixel x of a line is bit
// 7 - (x mod 8) of byte x / 8.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "gnr_picture/picmemAPI/LxStretchKernels.h"
#include "gnr_picture/picmemAPI/stretch/LxNearestRule.h"
#include "gnr_picture/picmemAPI/stretch/LxStretchScratch.h"
#include "w32_system/debugging/LxDiag.h"

using namespace lxstretch;

namespace
{

inline uint32_t bitAt(const uint8_t* line, size_t index)
{
    return (line[index >> 3] >> (7 - (index & 7))) & 1u;
}

// Column bit indexes (relative to the first byte of a source line, never
// decreasing) and the source line of each destination row.
struct BinGeometry {
    uint8_t* dst;
    size_t dstWB;
    uint32_t w, h;
    const size_t* cols;
    const uint8_t* src;
    size_t srcWB;
    uint64_t firstRow; // of a display tile in the virtual picture
    double scaleY;
    uint64_t lastRow; // rows are clamped to it
};

size_t lineBytes(uint32_t w)
{
    return (size_t(w) + 7) / 8;
}

// Lines built pixel by pixel: 8 table look-ups a destination byte.
void buildDirect(const BinGeometry& g)
{
    const uint32_t fullBytes = g.w / 8, rest = g.w % 8;
    uint64_t previous = UINT64_MAX;
    for (uint32_t y = 0; y < g.h; ++y) {
        uint8_t* d = g.dst + y * g.dstWB;
        const uint64_t r = nearestSource(g.firstRow + y, g.scaleY, g.lastRow);
        if (r == previous) {
            std::memcpy(d, d - g.dstWB, lineBytes(g.w));
            continue;
        }
        previous = r;
        const uint8_t* s = g.src + r * g.srcWB;
        const size_t* cols = g.cols;
        for (uint32_t k = 0; k < fullBytes; ++k, cols += 8) {
            uint32_t byte = 0;
            for (uint32_t b = 0; b < 8; ++b)
                byte = byte << 1 | bitAt(s, cols[b]);
            d[k] = uint8_t(byte);
        }
        if (rest) {
            uint32_t byte = 0;
            for (uint32_t b = 0; b < rest; ++b)
                byte |= bitAt(s, cols[b]) << (7 - b);
            d[fullBytes] = uint8_t(byte);
        }
    }
}

// Scatter tables of an enlargement: for source byte k of the span the
// columns touch and every byte value v, the fragments of the destination
// bytes it reaches. A source byte's run of fragments ends "complete" when its
// last pixel closes a destination byte; otherwise the next source byte goes
// on filling that destination byte.
class ScatterTables
{
  public:
    ScatterTables(const size_t* cols, uint32_t w)
        : m_first(cols[0] / 8), m_span(cols[w - 1] / 8 - m_first + 1), m_counts(m_span),
          m_complete(m_span), m_slots(countSlots(cols, w)), m_fragments(m_span * 256 * m_slots)
    {
        if (!valid())
            return;
        std::fill(m_counts.get(), m_counts.get() + m_span, 0u);
        std::fill(m_complete.get(), m_complete.get() + m_span, uint8_t(0));
        std::fill(m_fragments.get(), m_fragments.get() + m_span * 256 * m_slots, uint8_t(0));
        for (uint32_t x = 0; x < w; ++x) {
            const size_t k = cols[x] / 8 - m_first;
            const uint32_t b = 7 - uint32_t(cols[x] % 8), d = 7 - x % 8;
            if (m_counts[k] == 0) {
                m_counts[k] = 1;
            } else if (m_complete[k]) {
                m_complete[k] = 0;
                ++m_counts[k];
            }
            uint8_t* fragment = m_fragments.get() + (k * 256) * m_slots + m_counts[k] - 1;
            for (uint32_t v = 0; v < 256; ++v, fragment += m_slots)
                if (v >> b & 1u)
                    *fragment |= uint8_t(1u << d);
            if (d == 0)
                m_complete[k] = 1;
        }
    }

    bool valid() const { return m_counts && m_complete && m_fragments; }

    // OR the fragments of the source line's bytes into the cleared line d.
    void scatter(uint8_t* d, const uint8_t* s) const
    {
        s += m_first;
        for (size_t k = 0; k < m_span; ++k) {
            const uint32_t n = m_counts[k];
            if (n == 0)
                continue;
            const uint8_t* fragment = m_fragments.get() + (k * 256 + s[k]) * m_slots;
            for (uint32_t f = 0; f < n; ++f)
                d[f] |= fragment[f];
            d += m_complete[k] ? n : n - 1;
        }
    }

  private:
    // The most destination bytes one source byte reaches: the slots every
    // source byte gets. A horizontal enlargement decides it, whatever the
    // vertical ratio.
    static size_t countSlots(const size_t* cols, uint32_t w)
    {
        size_t most = 1, count = 0, byte = SIZE_MAX;
        bool complete = false;
        for (uint32_t x = 0; x < w; ++x) {
            if (cols[x] / 8 != byte) {
                byte = cols[x] / 8;
                count = 1;
            } else if (complete) {
                ++count;
            }
            complete = x % 8 == 7;
            most = std::max(most, count);
        }
        return most;
    }

    size_t m_first, m_span;
    Scratch<uint32_t> m_counts;
    Scratch<uint8_t> m_complete;
    size_t m_slots;
    Scratch<uint8_t> m_fragments;
};

int buildExpanded(const BinGeometry& g)
{
    const ScatterTables tables(g.cols, g.w);
    if (!tables.valid())
        return -3;
    uint64_t previous = UINT64_MAX;
    for (uint32_t y = 0; y < g.h; ++y) {
        uint8_t* d = g.dst + y * g.dstWB;
        const uint64_t r = nearestSource(g.firstRow + y, g.scaleY, g.lastRow);
        if (r == previous) {
            std::memcpy(d, d - g.dstWB, lineBytes(g.w));
            continue;
        }
        previous = r;
        std::memset(d, 0, lineBytes(g.w));
        tables.scatter(d, g.src + r * g.srcWB);
    }
    return 0;
}

enum class Build { Direct, Expand };

// The column table, then the lines: directly, or through the scatter tables.
int stretchBin(Build build, void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
               const void* src, uint32_t srcWB, uint32_t srcHeight, uint32_t srcX, uint32_t srcY,
               uint32_t srcW, uint32_t srcH)
{
    if (dstW == 0 || dstH == 0)
        return 0;
    const uint64_t lineWidth = uint64_t(srcWB) * 8;
    if (srcW == 0 || srcH == 0 || srcX >= lineWidth || srcY >= srcHeight)
        return -9;
    Scratch<size_t> cols(dstW);
    if (!cols)
        return -3;
    const double scaleX = double(srcW) / dstW;
    for (uint32_t x = 0; x < dstW; ++x)
        cols[x] = srcX % 8 + size_t(nearestSource(x, scaleX, lineWidth - srcX - 1));
    const BinGeometry g{static_cast<uint8_t*>(dst),
                        dstWB,
                        dstW,
                        dstH,
                        cols.get(),
                        static_cast<const uint8_t*>(src),
                        srcWB,
                        0,
                        double(srcH) / dstH,
                        uint64_t(srcHeight) - srcY - 1};
    if (build == Build::Expand)
        return buildExpanded(g);
    buildDirect(g);
    return 0;
}

int stretchDisplayBin(Build build, void* dst, uint32_t winW, uint32_t winH, uint32_t dstWB,
                      uint32_t dispW, uint32_t dispH, uint32_t winX, uint32_t winY, const void* src,
                      uint32_t srcW, uint32_t srcH, uint32_t srcWB)
{
    if (winW == 0 || winH == 0)
        return 0;
    if (srcW == 0 || srcH == 0 || dispW == 0 || dispH == 0)
        return -9;
    Scratch<size_t> cols(winW);
    if (!cols)
        return -3;
    const double scaleX = double(srcW) / dispW, scaleY = double(srcH) / dispH;
    for (uint32_t x = 0; x < winW; ++x)
        cols[x] = size_t(nearestSource(uint64_t(winX) + x, scaleX, srcW - 1));
    const BinGeometry g{static_cast<uint8_t*>(dst),       dstWB, winW, winH,   cols.get(),
                        static_cast<const uint8_t*>(src), srcWB, winY, scaleY, srcH - 1u};
    if (build == Build::Expand)
        return buildExpanded(g);
    buildDirect(g);
    return 0;
}

} // namespace

int stretch_bin_to_bin(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH, const void* src,
                       uint32_t srcWB, uint32_t srcHeight, uint32_t srcX, uint32_t srcY,
                       uint32_t srcW, uint32_t srcH)
{
    // A vertical enlargement repeats source lines: scattering whole source
    // bytes pays for its tables.
    if (srcH < dstH)
        return stretchexpand_bin_to_bin(dst, dstWB, dstW, dstH, src, srcWB, srcHeight, srcX, srcY,
                                        srcW, srcH);
    return stretchBin(Build::Direct, dst, dstWB, dstW, dstH, src, srcWB, srcHeight, srcX, srcY,
                      srcW, srcH);
}

int stretchexpand_bin_to_bin(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
                             const void* src, uint32_t srcWB, uint32_t srcHeight, uint32_t srcX,
                             uint32_t srcY, uint32_t srcW, uint32_t srcH)
{
    const int result = stretchBin(Build::Expand, dst, dstWB, dstW, dstH, src, srcWB, srcHeight,
                                  srcX, srcY, srcW, srcH);
    LX_TRACE(u"stretch end|absdt|");
    return result;
}

int stretchdisplay_bin_to_bin(void* dst, uint32_t winW, uint32_t winH, uint32_t dstWB,
                              uint32_t dispW, uint32_t dispH, uint32_t winX, uint32_t winY,
                              const void* src, uint32_t srcW, uint32_t srcH, uint32_t srcWB)
{
    if (srcH < dispH)
        return stretchdisplayexpand_bin_to_bin(dst, winW, winH, dstWB, dispW, dispH, winX, winY,
                                               src, srcW, srcH, srcWB);
    return stretchDisplayBin(Build::Direct, dst, winW, winH, dstWB, dispW, dispH, winX, winY, src,
                             srcW, srcH, srcWB);
}

int stretchdisplayexpand_bin_to_bin(void* dst, uint32_t winW, uint32_t winH, uint32_t dstWB,
                                    uint32_t dispW, uint32_t dispH, uint32_t winX, uint32_t winY,
                                    const void* src, uint32_t srcW, uint32_t srcH, uint32_t srcWB)
{
    return stretchDisplayBin(Build::Expand, dst, winW, winH, dstWB, dispW, dispH, winX, winY, src,
                             srcW, srcH, srcWB);
}
