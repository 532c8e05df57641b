#include "mul_imageformat/gnr_imageformat_jp2/jp2_region_decompressor.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_file.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_header.h"

namespace
{

const char kPaletteInTransform[] =
    "It is illegal for a JP2 file to identify a code-stream component as index to a Palette "
    "lookup table, if the component is also part of a code-stream colour transform (RCT or ICT).";
const char kTransformGeometry[] =
    "The code-stream incorrectly identifies the use of a colour transform when the components "
    "have different sub-sampling or alignment properties.";
const char kHighDepth[] = "Cannot use 16-bit representation with high bit-depth data";

// A centred sample of `bits` bits to 13 fraction bits.
inline int32_t ToFixed(int32_t centred, int bits)
{
    return bits < 13 ? int32_t(uint32_t(centred) << (13 - bits)) : centred >> (bits - 13);
}

inline uint8_t FixedTo8(int32_t f)
{
    return LX_Jp2FixedTo8(f);
}

// 13 fraction bits back to a centred sample of `bits` bits, rounded.
inline int32_t FixedToBits(int32_t f, int bits)
{
    if (bits >= 13)
        return int32_t(uint32_t(f) << (bits - 13));
    const int shift = 13 - bits;
    return (f + (1 << (shift - 1))) >> shift;
}

inline int32_t Clamp(int64_t v, int64_t lo, int64_t hi)
{
    return int32_t(v < lo ? lo : v > hi ? hi : v);
}

inline void Store16(uint8_t* p, int32_t v)
{
    const uint16_t u = uint16_t(v);
    memcpy(p, &u, 2);
}

} // namespace

void RegionDecompressor::SetChannelMapping(jp2_file_source* source, const SLxJ2KHeader& header)
{
    m_channels.clear();
    m_components = header.components;
    m_colour = nullptr;
    const uint32_t n = uint32_t(header.components.size());
    std::vector<bool> used(n, false);
    jp2_channels* channels = source ? source->access_channels() : nullptr;
    jp2_palette_info* palette = source ? source->access_palette() : nullptr;
    if (channels && channels->get_num_colours() > 0) {
        m_colour = source->access_colour();
        for (int c = 0; c < channels->get_num_colours(); ++c) {
            const int component = channels->get_component(jp2_colour_intensity, c);
            if (component < 0 || uint32_t(component) >= n)
                throw CLxJP2ErrorException("The channel mapping names a missing component.", -9);
            SLxJP2ChannelMap map;
            map.iComponent = component;
            const int lut = channels->get_lut(jp2_colour_intensity, c);
            if (lut >= 0) {
                if (!palette || uint32_t(lut) >= palette->get_num_luts() ||
                    palette->get_num_entries() == 0)
                    throw CLxJP2ErrorException("The channel mapping names a missing palette.", -9);
                map.pLut = palette->get_lut(uint32_t(lut));
                map.uiLutEntries = palette->get_num_entries();
                map.iLutDepth = palette->get_bit_depth(uint32_t(lut));
            }
            used[uint32_t(component)] = true;
            m_channels.push_back(map);
        }
    }
    for (uint32_t c = 0; c < n; ++c)
        if (!used[c]) {
            SLxJP2ChannelMap map;
            map.iComponent = int(c);
            m_channels.push_back(map);
        }
}

void RegionDecompressor::SetSingleComponent(const SLxJ2KHeader& header, int component)
{
    m_channels.assign(1, SLxJP2ChannelMap{});
    m_channels[0].iComponent = component;
    m_components = header.components;
    m_colour = nullptr;
}

int RegionDecompressor::GetChannelDepth(uint32_t channel) const
{
    if (channel >= m_channels.size())
        return 0;
    const SLxJP2ChannelMap& m = m_channels[channel];
    if (m.pLut)
        return m.iLutDepth < 0 ? -m.iLutDepth : m.iLutDepth;
    return m_components[size_t(m.iComponent)].iPrecision;
}

bool RegionDecompressor::GetChannelSigned(uint32_t channel) const
{
    if (channel >= m_channels.size())
        return false;
    const SLxJP2ChannelMap& m = m_channels[channel];
    return m.pLut ? m.iLutDepth < 0 : m_components[size_t(m.iComponent)].bSigned;
}

SLxJ2KWindow RegionDecompressor::GetWindow(const SLxJ2KHeader& header, const SLxJ2KArea& area,
                                           uint32_t reduce) const
{
    return LX_J2KComponentWindow(
        header, m_channels.empty() ? 0 : uint32_t(m_channels[0].iComponent), area, reduce);
}

// Places the decoded blocks into the output.
class RegionDecompressor::Sink : public jp2_block_sink
{
  public:
    Sink(const RegionDecompressor& owner, const SLxJ2KHeader& header, const Output& output,
         bool convert)
        : m_owner(owner), m_header(header), m_out(output), m_convert(convert)
    {
        const SLxJ2KComponent& ref = header.components[size_t(owner.m_channels[0].iComponent)];
        for (const SLxJP2ChannelMap& ch : owner.m_channels) {
            const SLxJ2KComponent& c = header.components[size_t(ch.iComponent)];
            Expansion e;
            e.x = std::max<uint32_t>(1, c.uiDx / ref.uiDx);
            e.y = std::max<uint32_t>(1, c.uiDy / ref.uiDy);
            m_expansion.push_back(e);
        }
        const uint32_t n = uint32_t(owner.m_channels.size());
        for (uint32_t ch = 0; ch < n; ++ch)
            m_tables.push_back(BuildTable(ch));
    }

    void Block(const std::vector<SLxJ2KPlane>& planes) override
    {
        if (m_convert)
            BlockConverted(planes);
        else
            for (uint32_t ch = 0; ch < m_owner.m_channels.size(); ++ch)
                BlockChannel(ch, planes[size_t(m_owner.m_channels[ch].iComponent)]);
    }

  private:
    struct Expansion {
        uint32_t x, y;
    };
    // For 8-bit output of a plain channel of at most 16 bits: the output byte
    // of every sample value (indexed by value + offset).
    struct Table {
        std::vector<uint8_t> bytes;
        int32_t offset = 0;
    };

    Table BuildTable(uint32_t ch) const
    {
        Table t;
        const SLxJP2ChannelMap& m = m_owner.m_channels[ch];
        const SLxJ2KComponent& c = m_header.components[size_t(m.iComponent)];
        if (m_out.uiBits != 8 || m.pLut || c.iPrecision > 16)
            return t;
        const int32_t count = int32_t(1) << c.iPrecision;
        t.offset = c.bSigned ? count / 2 : 0;
        t.bytes.resize(size_t(count));
        for (int32_t i = 0; i < count; ++i)
            t.bytes[size_t(i)] = FixedTo8(Fixed(ch, i - t.offset));
        return t;
    }

    // The channel's sample (component value v) in 13 fraction bits.
    int32_t Fixed(uint32_t ch, int32_t v) const
    {
        const SLxJP2ChannelMap& m = m_owner.m_channels[ch];
        const SLxJ2KComponent& c = m_header.components[size_t(m.iComponent)];
        if (m.pLut) {
            const int32_t index = Clamp(v, 0, int64_t(m.uiLutEntries) - 1);
            return m.pLut[index] >> 19;
        }
        const int32_t centred =
            c.bSigned ? v : int32_t(int64_t(v) - (int64_t(1) << (c.iPrecision - 1)));
        return ToFixed(centred, c.iPrecision);
    }

    // The channel's sample at 16-bit output (its own depth).
    int32_t Value16(uint32_t ch, int32_t v) const
    {
        const SLxJP2ChannelMap& m = m_owner.m_channels[ch];
        if (m.pLut) {
            const int32_t index = Clamp(v, 0, int64_t(m.uiLutEntries) - 1);
            const int bits = m.iLutDepth < 0 ? -m.iLutDepth : m.iLutDepth;
            const int32_t centred = m.pLut[index] >> (32 - bits);
            return m.iLutDepth < 0 ? centred : centred + (int32_t(1) << (bits - 1));
        }
        const SLxJ2KComponent& c = m_header.components[size_t(m.iComponent)];
        const int64_t top = int64_t(1) << c.iPrecision;
        return c.bSigned ? Clamp(v, -top / 2, top / 2 - 1) : Clamp(v, 0, top - 1);
    }

    uint8_t* At(uint32_t x, uint32_t y, uint32_t ch) const
    {
        return m_out.pBuffer + size_t(y) * m_out.uiStride +
               (size_t(x) * m_out.uiSamplesPerPixel + m_out.sampleOfChannel[ch]) *
                   (m_out.uiBits / 8);
    }

    // Writes one value of channel ch at component sample (sx, sy) of the
    // window, repeated over its expansion.
    template <class Put> void Spread(uint32_t ch, uint32_t sx, uint32_t sy, const Put& put) const
    {
        const Expansion& e = m_expansion[ch];
        const uint32_t x0 = sx * e.x, y0 = sy * e.y;
        for (uint32_t y = y0; y < y0 + e.y && y < m_out.uiHeight; ++y)
            for (uint32_t x = x0; x < x0 + e.x && x < m_out.uiWidth; ++x)
                put(At(x, y, ch));
    }

    // One row of samples of one sample type to the output.
    // Samples of planes whose start need not be aligned for their type.
    template <class S> static int32_t Load(const uint8_t* p, uint32_t x)
    {
        S v;
        memcpy(&v, p + size_t(x) * sizeof(S), sizeof(S));
        return int32_t(v);
    }

    template <class S>
    void RowOut(uint32_t ch, const uint8_t* src, uint32_t count, uint8_t* dst, size_t step) const
    {
        const Table& table = m_tables[ch];
        if (!table.bytes.empty()) {
            const int32_t top = int32_t(table.bytes.size()) - 1;
            const uint8_t* bytes = table.bytes.data();
            const int32_t offset = table.offset;
            for (uint32_t x = 0; x < count; ++x, dst += step) {
                const int32_t i = Load<S>(src, x) + offset;
                *dst = bytes[i < 0 ? 0 : i > top ? top : i];
            }
        } else if (m_out.uiBits == 8) {
            for (uint32_t x = 0; x < count; ++x, dst += step)
                *dst = FixedTo8(Fixed(ch, Load<S>(src, x)));
        } else if (!m_owner.m_channels[ch].pLut) {
            const SLxJ2KComponent& c =
                m_header.components[size_t(m_owner.m_channels[ch].iComponent)];
            const int64_t range = int64_t(1) << c.iPrecision;
            const int32_t lo = c.bSigned ? int32_t(-range / 2) : 0;
            const int32_t hi = int32_t(c.bSigned ? range / 2 - 1 : range - 1);
            for (uint32_t x = 0; x < count; ++x, dst += step) {
                const int32_t v = Load<S>(src, x);
                Store16(dst, v < lo ? lo : v > hi ? hi : v);
            }
        } else {
            for (uint32_t x = 0; x < count; ++x, dst += step)
                Store16(dst, Value16(ch, Load<S>(src, x)));
        }
    }

    void BlockChannel(uint32_t ch, const SLxJ2KPlane& plane) const
    {
        const Expansion& e = m_expansion[ch];
        for (uint32_t y = 0; y < plane.uiHeight; ++y) {
            const uint32_t sy = plane.uiY + y;
            if (sy * e.y >= m_out.uiHeight)
                break;
            if (e.x == 1 && e.y == 1) {
                // The common case: one sample per pixel.
                const uint32_t count = plane.uiX < m_out.uiWidth
                                           ? std::min(plane.uiWidth, m_out.uiWidth - plane.uiX)
                                           : 0;
                uint8_t* dst = At(plane.uiX, sy, ch);
                const size_t step = size_t(m_out.uiSamplesPerPixel) * (m_out.uiBits / 8);
                const uint8_t* row = plane.pData + size_t(y) * plane.uiWidth * plane.uiBytes;
                switch (plane.uiBytes) {
                case 1:
                    if (plane.bSigned)
                        RowOut<int8_t>(ch, row, count, dst, step);
                    else
                        RowOut<uint8_t>(ch, row, count, dst, step);
                    break;
                case 2:
                    if (plane.bSigned)
                        RowOut<int16_t>(ch, row, count, dst, step);
                    else
                        RowOut<uint16_t>(ch, row, count, dst, step);
                    break;
                default:
                    RowOut<int32_t>(ch, row, count, dst, step);
                    break;
                }
                continue;
            }
            for (uint32_t x = 0; x < plane.uiWidth; ++x) {
                const int32_t v = plane.Sample(x, y);
                if (m_out.uiBits == 8) {
                    const uint8_t b = FixedTo8(Fixed(ch, v));
                    Spread(ch, plane.uiX + x, sy, [b](uint8_t* p) { *p = b; });
                } else {
                    const int32_t w = Value16(ch, v);
                    Spread(ch, plane.uiX + x, sy, [w](uint8_t* p) { Store16(p, w); });
                }
            }
        }
    }

    // Colour conversion needs every channel at each pixel: pixels of the
    // first channel's grid, each channel sampled through its expansion.
    void BlockConverted(const std::vector<SLxJ2KPlane>& planes) const
    {
        const uint32_t n = uint32_t(m_owner.m_channels.size());
        const SLxJ2KPlane& ref = planes[size_t(m_owner.m_channels[0].iComponent)];
        const uint32_t colours = m_owner.m_colour->get_num_colours() >= 3 ? 3 : 1;
        std::vector<int16_t> rows(size_t(colours) * ref.uiWidth);
        std::vector<int32_t> fixed(size_t(n) * ref.uiWidth);
        for (uint32_t y = 0; y < ref.uiHeight; ++y) {
            const uint32_t oy = ref.uiY + y;
            if (oy >= m_out.uiHeight)
                break;
            const uint32_t width =
                ref.uiX < m_out.uiWidth ? std::min(ref.uiWidth, m_out.uiWidth - ref.uiX) : 0;
            for (uint32_t ch = 0; ch < n; ++ch) {
                const SLxJ2KPlane& p = planes[size_t(m_owner.m_channels[ch].iComponent)];
                const Expansion& e = m_expansion[ch];
                for (uint32_t x = 0; x < width; ++x) {
                    const uint32_t ox = ref.uiX + x;
                    int64_t sx = int64_t(ox / e.x) - p.uiX, sy = int64_t(oy / e.y) - p.uiY;
                    sx = std::clamp<int64_t>(sx, 0, int64_t(p.uiWidth) - 1);
                    sy = std::clamp<int64_t>(sy, 0, int64_t(p.uiHeight) - 1);
                    const int32_t v =
                        p.uiWidth && p.uiHeight ? p.Sample(uint32_t(sx), uint32_t(sy)) : 0;
                    fixed[size_t(ch) * width + x] = Fixed(ch, v);
                }
            }
            Convert(fixed.data(), rows.data(), width, colours);
            for (uint32_t ch = 0; ch < n; ++ch) {
                const SLxJP2ChannelMap& m = m_owner.m_channels[ch];
                const int bits = m_owner.GetChannelDepth(ch);
                const bool isSigned = m_owner.GetChannelSigned(ch);
                for (uint32_t x = 0; x < width; ++x) {
                    const int32_t f = fixed[size_t(ch) * width + x];
                    uint8_t* dst = At(ref.uiX + x, oy, ch);
                    if (m_out.uiBits == 8) {
                        *dst = FixedTo8(f);
                    } else {
                        (void)m;
                        const int64_t top = int64_t(1) << bits;
                        const int32_t c = FixedToBits(f, bits);
                        Store16(dst, isSigned ? Clamp(c, -top / 2, top / 2 - 1)
                                              : Clamp(int64_t(c) + top / 2, 0, top - 1));
                    }
                }
            }
        }
    }

    // sYCC to RGB, or the ICC colour to sRGB, on the first channels' rows.
    void Convert(int32_t* fixed, int16_t* rows, uint32_t width, uint32_t colours) const
    {
        jp2_colour& colour = *m_owner.m_colour;
        if (colour.get_space() == eJp2sYCC) {
            int32_t* y = fixed;
            int32_t* cb = fixed + width;
            int32_t* cr = fixed + 2 * size_t(width);
            for (uint32_t x = 0; x < width; ++x) {
                const double Y = y[x], Cb = cb[x], Cr = cr[x];
                y[x] = int32_t(std::lround(Y + 1.402 * Cr));
                cb[x] = int32_t(std::lround(Y - 0.344136 * Cb - 0.714136 * Cr));
                cr[x] = int32_t(std::lround(Y + 1.772 * Cb));
            }
            return;
        }
        for (uint32_t c = 0; c < colours; ++c)
            for (uint32_t x = 0; x < width; ++x)
                rows[size_t(c) * width + x] =
                    int16_t(Clamp(fixed[size_t(c) * width + x], -32768, 32767));
        if (colours == 1)
            colour.convert_icc_to_srgb(rows, width);
        else
            colour.convert_icc_to_srgb(rows, rows + width, rows + 2 * size_t(width), width);
        for (uint32_t c = 0; c < colours; ++c)
            for (uint32_t x = 0; x < width; ++x)
                fixed[size_t(c) * width + x] = rows[size_t(c) * width + x];
    }

    const RegionDecompressor& m_owner;
    const SLxJ2KHeader& m_header;
    const Output& m_out;
    bool m_convert;
    std::vector<Expansion> m_expansion;
    std::vector<Table> m_tables;
};

void RegionDecompressor::Process(jp2_decoder& decoder, uint32_t reduce, const SLxJ2KArea& area,
                                 const Output& output)
{
    const SLxJ2KHeader& header = decoder.Header();
    if (m_channels.empty() || header.components.size() != m_components.size())
        throw CLxJP2ErrorException("Invalid channel mapping.", -9);
    if (output.sampleOfChannel.size() < m_channels.size() ||
        (output.uiBits != 8 && output.uiBits != 16))
        throw CLxJP2ErrorException("Invalid output.", -9);
    for (uint32_t ch = 0; ch < m_channels.size(); ++ch) {
        if (output.sampleOfChannel[ch] >= output.uiSamplesPerPixel)
            throw CLxJP2ErrorException("Invalid output.", -9);
        const SLxJ2KComponent& c = header.components[size_t(m_channels[ch].iComponent)];
        if (c.iPrecision < 1 || c.iPrecision > 31)
            throw CLxJP2ErrorException("Invalid component depth.", -9);
        if (output.uiBits == 16 && GetChannelDepth(ch) > 16)
            throw CLxJP2ErrorException(kHighDepth, -9);
        if (m_channels[ch].pLut && header.bMct && m_channels[ch].iComponent < 3)
            throw CLxJP2ErrorException(kPaletteInTransform, -9);
    }
    if (header.bMct && header.components.size() >= 3)
        for (int c = 1; c < 3; ++c)
            if (header.components[size_t(c)].uiDx != header.components[0].uiDx ||
                header.components[size_t(c)].uiDy != header.components[0].uiDy)
                throw CLxJP2ErrorException(kTransformGeometry, -9);

    bool convert = false;
    if (m_colour) {
        const ELxJP2ColourSpace space = m_colour->get_space();
        if (space == eJp2sYCC)
            convert = m_channels.size() >= 3 && m_colour->get_num_colours() >= 3;
        else if (m_colour->is_icc())
            convert = m_channels.size() >= uint32_t(m_colour->get_num_colours() >= 3 ? 3 : 1);
    }
    Sink sink(*this, header, output, convert);
    decoder.Decode(reduce, area, sink);
}
