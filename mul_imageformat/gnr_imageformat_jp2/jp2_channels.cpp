#include "mul_imageformat/gnr_imageformat_jp2/jp2_box.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_header.h"

namespace
{

const char kCmapTruncated[] = "Malformed component mapping (cmap) box encountered in JP2 file.  "
                              "Invalid or truncated mapping specs.";

} // namespace

jp2_channels::jp2_channels()
{
    for (int i = 0; i < 9; ++i)
        m_pairs[i] = {i < 3 ? i : -1, -1};
}

void jp2_channels::set_pair(int function, int colour, int component, int lut)
{
    if (function >= 0 && function < 3 && colour >= 0 && colour < 3)
        m_pairs[function * 3 + colour] = {component, component < 0 ? -1 : lut};
}

void jp2_channels::read_cdef(jp2_box_reader& box)
{
    uint16_t n = 0;
    if (!box.read_u16(n) || n == 0)
        LX_RaiseJp2Error("Malformed channel definition (cdef) box found in JP2 file.  Missing or "
                         "invalid fields.");
    for (uint32_t i = 0; i < n; ++i) {
        uint16_t cn = 0, typ = 0, asoc = 0;
        if (!box.read_u16(cn) || !box.read_u16(typ) || !box.read_u16(asoc) ||
            (typ > 2 && typ != 65535))
            LX_RaiseJp2Error("Malformed channel definition (cdef) box found in JP2 file.  Missing "
                             "or invalid channel association information.");
        if (typ >= 3)
            continue;
        if (asoc == 0) {
            for (int c = 0; c < 3; ++c)
                m_pairs[typ * 3 + c] = {cn, -1};
        } else if (asoc <= 3) {
            m_pairs[typ * 3 + asoc - 1] = {cn, -1};
        }
    }
    if (!box.close())
        LX_RaiseJp2Error("Malformed channel definition (cdef) box found in JP2 file.  The box "
                         "appears to be too long.");
}

void jp2_channels::read_cmap(jp2_box_reader& box)
{
    if (m_haveCmap)
        LX_RaiseJp2Error("Multiple instances of the component mapping (cmap) box encountered in "
                         "JP2 file!");
    const uint64_t length = box.open_ended ? box.available() : box.remaining();
    if (length == 0 || length % 4 != 0)
        LX_RaiseJp2Error("Malformed component mapping (cmap) box encountered in JP2 file.  The "
                         "body of any such box must contain exactly four bytes for each channel "
                         "and there must be at least one channel.");
    const uint64_t count = length / 4;
    if (count < 1)
        LX_RaiseJp2Error("Malformed component mapping (cmap) box encountered in JP2 file.  The "
                         "body of the box does not appear to contain any channel mappings.");
    // Only mappings that exist are allocated.
    if (length > box.available())
        LX_RaiseJp2Error(kCmapTruncated);
    std::vector<Pair> channels(static_cast<size_t>(count));
    for (auto& ch : channels) {
        uint16_t cmp = 0;
        uint8_t mtyp = 0, pcol = 0;
        if (!box.read_u16(cmp) || !box.read_u8(mtyp) || !box.read_u8(pcol) || mtyp > 1)
            LX_RaiseJp2Error(kCmapTruncated);
        ch = {cmp, mtyp == 0 ? -1 : pcol};
    }
    box.close();
    m_cmap = std::move(channels);
    m_haveCmap = true;
}

void jp2_channels::finalize(int colours, uint32_t components, uint32_t luts)
{
    if (colours == 1)
        for (int f = 0; f < 3; ++f)
            m_pairs[f * 3 + 1] = m_pairs[f * 3 + 2] = {-1, -1};
    if (!m_finalized) {
        m_colours = colours;
        m_components = components;
        m_luts = luts;
        if (m_haveCmap) {
            for (Pair& p : m_pairs) {
                if (p.component < 0)
                    continue;
                if (size_t(p.component) >= m_cmap.size())
                    LX_RaiseJp2Error("The JP2 file's colour definition (cdef) box references a "
                                     "channel which is not defined within the colour mapping "
                                     "(cmap) box.");
                p = m_cmap[size_t(p.component)];
            }
            m_cmap.clear();
            m_cmap.shrink_to_fit();
        }
        m_finalized = true;
    } else if (m_colours != colours) {
        LX_RaiseJp2Error("Attempting to use a `jp2_channels' object whose number of colours "
                         "differs from that specified by the `jp2_colour' object.");
    } else {
        m_components = components;
        m_luts = luts;
    }

    for (const Pair& a : m_pairs) {
        if (a.component < 0)
            continue;
        for (const Pair& b : m_pairs)
            if (b.component == a.component && (a.lut < 0) != (b.lut < 0))
                LX_RaiseJp2Error("It is illegal to use any image component directly as well as "
                                 "through a colour palette mapping.");
    }
    for (int i = 0; i < 9; ++i)
        for (int j = 0; j < 9; ++j)
            if (i / 3 != j / 3 && m_pairs[i].component >= 0 &&
                m_pairs[i].component == m_pairs[j].component && m_pairs[i].lut == m_pairs[j].lut)
                LX_RaiseJp2Error("It is illegal to specify the same source component/palette LUT "
                                 "combination for use with different types of colour reproduction "
                                 "functions, where the three types are colour, opacity and "
                                 "pre-multiplied opacity.");
    for (int c = 0; c < m_colours && c < 3; ++c)
        if (m_pairs[c].component < 0)
            LX_RaiseJp2Error("Insufficient channel association information for a valid JP2 file.  "
                             "Every colour channel must be associated with an image component in "
                             "some way or another.");
    for (const Pair& p : m_pairs) {
        if (p.component < 0)
            continue;
        if (uint32_t(p.component) >= m_components)
            LX_RaiseJp2Error("Attempting to describe a colour channel in terms of a non-existent "
                             "image component!");
        if (p.lut >= 0 && uint32_t(p.lut) >= m_luts)
            LX_RaiseJp2Error("Attempting to describe a colour channel in terms of a non-existent "
                             "palette component (lookup table).");
    }
}

void jp2_channels::save(jp2_box_writer& jp2h) const
{
    std::vector<bool> usedComponent(m_components, false);
    bool needed = m_luts > 0;
    for (int i = 0; i < 9; ++i) {
        const Pair& p = m_pairs[i];
        if (p.component < 0)
            continue;
        if (uint32_t(p.component) < m_components)
            usedComponent[size_t(p.component)] = true;
        if (i >= 3 || p.component != i || p.lut >= 0)
            needed = true;
    }
    for (int c = 0; c < m_colours && c < 3; ++c)
        if (m_pairs[c].component != c || m_pairs[c].lut >= 0)
            needed = true;
    for (bool used : usedComponent)
        needed = needed || !used;
    if (!needed)
        return;

    // With a palette every distinct (component, table) is one channel, then
    // the components used by no pair.
    std::vector<Pair> channels;
    int channelOf[9];
    for (int i = 0; i < 9; ++i) {
        channelOf[i] = -1;
        const Pair& p = m_pairs[i];
        if (p.component < 0)
            continue;
        for (size_t k = 0; k < channels.size() && channelOf[i] < 0; ++k)
            if (channels[k].component == p.component && channels[k].lut == p.lut)
                channelOf[i] = int(k);
        if (channelOf[i] < 0) {
            channelOf[i] = int(channels.size());
            channels.push_back(p);
        }
    }
    std::vector<int> unused;
    for (uint32_t c = 0; c < m_components; ++c)
        if (!usedComponent[c])
            unused.push_back(int(c));

    const bool palette = m_luts > 0;
    jp2_box_writer cdef;
    cdef.box_type = jp2_channel_definition_4cc;
    cdef.parent = &jp2h;
    int usedPairs = 0;
    for (const Pair& p : m_pairs)
        usedPairs += p.component >= 0;
    cdef.write_u16(uint16_t(usedPairs + int(unused.size())));
    for (int i = 0; i < 9; ++i) {
        if (m_pairs[i].component < 0)
            continue;
        cdef.write_u16(uint16_t(palette ? channelOf[i] : m_pairs[i].component));
        cdef.write_u16(uint16_t(i / 3));
        cdef.write_u16(uint16_t(i % 3 + 1));
    }
    for (size_t k = 0; k < unused.size(); ++k) {
        cdef.write_u16(uint16_t(palette ? int(channels.size() + k) : unused[k]));
        cdef.write_u16(65535);
        cdef.write_u16(65535);
    }
    cdef.close();
    if (!palette)
        return;
    jp2_box_writer cmap;
    cmap.box_type = jp2_component_mapping_4cc;
    cmap.parent = &jp2h;
    for (const Pair& ch : channels) {
        cmap.write_u16(uint16_t(ch.component));
        cmap.write_u8(ch.lut >= 0 ? 1 : 0);
        cmap.write_u8(uint8_t(ch.lut >= 0 ? ch.lut : 0));
    }
    for (int c : unused) {
        cmap.write_u16(uint16_t(c));
        cmap.write_u8(0);
        cmap.write_u8(0);
    }
    cmap.close();
}
