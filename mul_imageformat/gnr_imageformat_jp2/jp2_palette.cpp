#include <cstdlib>

#include "mul_imageformat/gnr_imageformat_jp2/jp2_box.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_depth.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_header.h"

namespace
{

const char kInsufficientEntries[] = "Malformed palette (pclr) box found in JP2 file.  The box "
                                    "contains insufficient palette entries.";

} // namespace

void jp2_palette_info::read(jp2_box_reader& box)
{
    if (m_luts != 0)
        LX_RaiseJp2Error("JP2 file contains multiple palette (pclr) boxes!");
    uint16_t ne = 0;
    uint8_t npc = 0;
    if (!box.read_u16(ne) || !box.read_u8(npc) || ne < 1 || ne > 1024 || npc == 0)
        LX_RaiseJp2Error("Malformed palette (pclr) box found in JP2 file.  Insufficient or "
                         "illegal fields encountered.");
    std::vector<int> depths(npc);
    uint64_t needed = 0;
    for (uint32_t t = 0; t < npc; ++t) {
        uint8_t coded = 0;
        if (!box.read_u8(coded))
            LX_RaiseJp2Error("Malformed palette (pclr) box found in JP2 file.  The box contains "
                             "insufficient bit-depth specifiers.");
        if ((coded & 0x7F) > jp2_depth::max_bits - 1)
            LX_RaiseJp2Error("Malformed palette (pclr) box found in JP2 file.  The box contains "
                             "an illegal bit-depth specifier.  Bit depths may not exceed 38 bits "
                             "per sample.");
        depths[t] = jp2_depth::decode(coded);
        needed += uint64_t(ne) * ((std::abs(depths[t]) + 7) / 8);
    }
    // The entries must exist before the tables are allocated.
    if (needed > box.available())
        LX_RaiseJp2Error(kInsufficientEntries);
    std::vector<int32_t> values(size_t(npc) * ne);
    for (uint32_t t = 0; t < npc; ++t) {
        int bits = std::abs(depths[t]);
        const int bytes = (bits + 7) / 8;
        for (uint32_t e = 0; e < ne; ++e) {
            uint8_t b[5];
            if (box.read(b, bytes) != bytes)
                LX_RaiseJp2Error(kInsufficientEntries);
            uint64_t v = 0;
            for (int i = 0; i < bytes; ++i)
                v = (v << 8) | b[i];
            v &= (uint64_t(1) << bits) - 1;
            int kept = bits;
            if (kept > 32) {
                v >>= kept - 32;
                kept = 32;
            }
            uint32_t word = uint32_t(v << (32 - kept));
            if (depths[t] > 0)
                word += 0x80000000u;
            values[size_t(t) * ne + e] = int32_t(word);
        }
        if (bits > 32)
            depths[t] = depths[t] > 0 ? 32 : -32;
    }
    if (!box.close())
        LX_RaiseJp2Error("Malformed palette (pclr) box found in JP2 file.  Box appears to be too "
                         "long.");
    m_luts = npc;
    m_entries = ne;
    m_depths = std::move(depths);
    m_values = std::move(values);
}

void jp2_palette_info::finalize()
{
    if (m_luts == 0)
        return;
    bool valid = m_luts <= 255 && m_entries >= 1 && m_entries <= 1024;
    for (uint32_t t = 0; valid && t < m_luts; ++t)
        valid = m_depths[t] != 0 && std::abs(m_depths[t]) <= 32;
    if (!valid)
        LX_RaiseJp2Error(
            "Incomplete or invalid information provided for the JP2 file palette box.");
}

void jp2_palette_info::save(jp2_box_writer& jp2h) const
{
    if (m_luts == 0)
        return;
    jp2_box_writer pclr;
    pclr.box_type = jp2_palette_4cc;
    pclr.parent = &jp2h;
    pclr.write_u16(uint16_t(m_entries));
    pclr.write_u8(uint8_t(m_luts));
    for (uint32_t t = 0; t < m_luts; ++t)
        pclr.write_u8(jp2_depth::encode(m_depths[t]));
    for (uint32_t t = 0; t < m_luts; ++t) {
        const int bits = std::abs(m_depths[t]);
        const int bytes = (bits + 7) / 8;
        for (uint32_t e = 0; e < m_entries; ++e) {
            uint32_t word = uint32_t(m_values[size_t(t) * m_entries + e]);
            if (m_depths[t] > 0)
                word -= 0x80000000u;
            const uint32_t v = bits == 32 ? word : word >> (32 - bits);
            uint8_t b[4];
            for (int i = 0; i < bytes; ++i)
                b[i] = uint8_t(v >> (8 * (bytes - 1 - i)));
            pclr.write(b, uint32_t(bytes));
        }
    }
    pclr.close();
}
