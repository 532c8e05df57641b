#include <cstdlib>

#include "mul_imageformat/gnr_imageformat_jp2/jp2_box.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_depth.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_header.h"

namespace
{

constexpr uint32_t kMaxComponents = 16384;
constexpr int kMaxDepth = jp2_depth::max_bits;

} // namespace

void jp2_dimensions::init(uint32_t height, uint32_t width, uint32_t components, bool unknown)
{
    if (m_components != 0)
        LX_RaiseJp2Error("JP2 dimensions may be initialized only once!");
    if (components == 0 || components > kMaxComponents)
        LX_RaiseJp2Error("Incomplete or invalid dimensional information provided for the JP2 file "
                         "image header box.");
    m_height = height;
    m_width = width;
    m_components = components;
    m_unknownColourSpace = unknown;
    m_ipr = false;
    m_depths.assign(components, 0);
}

void jp2_dimensions::init(const SLxJP2SizParams& siz)
{
    const uint32_t n = siz.uiComponents;
    bool complete = n != 0 && siz.uiHeight > siz.uiOriginY && siz.uiWidth > siz.uiOriginX &&
                    siz.precision.size() >= n;
    for (uint32_t c = 0; complete && c < n; ++c)
        complete = siz.precision[c] > 0;
    if (!complete)
        LX_RaiseJp2Error("Attempting to initialize a `jp2_dimensions' object using an incomplete "
                         "`siz_params' object.");
    init(siz.uiHeight - siz.uiOriginY, siz.uiWidth - siz.uiOriginX, n, false);
    for (uint32_t c = 0; c < n; ++c)
        set_precision(c, siz.precision[c], c < siz.isSigned.size() && siz.isSigned[c]);
}

void jp2_dimensions::set_precision(uint32_t component, int precision, bool isSigned)
{
    if (component < m_components)
        m_depths[component] = isSigned ? -precision : precision;
}

void jp2_dimensions::read_ihdr(jp2_box_reader& box)
{
    if (m_components != 0)
        LX_RaiseJp2Error("JP2 file contains multiple image header (ihdr) boxes!");
    uint32_t height = 0, width = 0;
    uint16_t nc = 0;
    uint8_t bpc = 0, c = 0, unk = 0, ipr = 0;
    if (!box.read_u32(height) || !box.read_u32(width) || !box.read_u16(nc) || !box.read_u8(bpc) ||
        !box.read_u8(c) || !box.read_u8(unk) || !box.read_u8(ipr))
        LX_RaiseJp2Error("Malformed image header box (ihdr) found in JP2 file.  Not all fields "
                         "were present.");
    if (!box.close())
        LX_RaiseJp2Error("Malformed image header box (ihdr) found in JP2 file.  The box appears "
                         "to be too long.");
    if (nc < 1 || nc > kMaxComponents || c != 7 || unk > 1 || ipr > 1 ||
        (bpc != 255 && (bpc & 0x7F) > kMaxDepth - 1))
        LX_RaiseJp2Error("Malformed image header box (ihdr) found in JP2 file.  The box contains "
                         "fields which do not conform to their legal range.");
    if ((height & 0x80000000u) || (width & 0x80000000u))
        LX_RaiseJp2Error("Sorry: Cannot process JP2 files whose image header box contains height "
                         "and width values larger than 2^{31}-1.");
    m_height = height;
    m_width = width;
    m_components = nc;
    m_unknownColourSpace = unk != 0;
    m_ipr = ipr != 0;
    m_depths.assign(nc, bpc == 255 ? 0 : jp2_depth::decode(bpc));
}

void jp2_dimensions::read_bpcc(jp2_box_reader& box)
{
    for (uint32_t c = 0; c < m_components; ++c) {
        if (m_depths[c] != 0)
            LX_RaiseJp2Error("Encountered an illegal bits per component (bpcc) box in a JP2 header "
                             "box.  The bpcc box is legal only if the image header box does not "
                             "specify bit-depth information.");
        uint8_t coded = 0;
        if (!box.read_u8(coded))
            LX_RaiseJp2Error("Malformed bits per component (bpcc) box found in JP2 file.  The box "
                             "contains insufficient bit-depth specifiers.");
        if ((coded & 0x7F) > kMaxDepth - 1)
            LX_RaiseJp2Error("Malformed bits per component (bpcc) box found in JP2 file.  The box "
                             "contains an illegal bit-depth specifier.  Bit depths may not exceed "
                             "38 bits per sample.");
        m_depths[c] = jp2_depth::decode(coded);
    }
    if (!box.close())
        LX_RaiseJp2Error("Malformed bits per component (bpcc) box found in JP2 file.  The box "
                         "appears to be too long.");
}

void jp2_dimensions::finalize()
{
    bool valid =
        m_components >= 1 && m_components <= kMaxComponents && m_depths.size() == m_components;
    for (uint32_t c = 0; valid && c < m_components; ++c)
        valid = m_depths[c] != 0 && std::abs(m_depths[c]) <= kMaxDepth;
    if (!valid)
        LX_RaiseJp2Error("Incomplete or invalid dimensional information provided for the JP2 file "
                         "image header box.");
}

void jp2_dimensions::save(jp2_box_writer& jp2h) const
{
    bool differ = false;
    for (uint32_t c = 1; c < m_components; ++c)
        differ = differ || m_depths[c] != m_depths[0];
    const uint8_t bpc = differ ? 255 : jp2_depth::encode(m_depths[0]);

    jp2_box_writer ihdr;
    ihdr.box_type = jp2_image_header_4cc;
    ihdr.parent = &jp2h;
    ihdr.write_u32(m_height);
    ihdr.write_u32(m_width);
    ihdr.write_u16(uint16_t(m_components));
    ihdr.write_u8(bpc);
    ihdr.write_u8(7);
    ihdr.write_u8(m_unknownColourSpace ? 1 : 0);
    ihdr.write_u8(m_ipr ? 1 : 0);
    ihdr.close();
    if (bpc != 255)
        return;
    jp2_box_writer bpcc;
    bpcc.box_type = jp2_bits_per_component_4cc;
    bpcc.parent = &jp2h;
    for (uint32_t c = 0; c < m_components; ++c)
        bpcc.write_u8(jp2_depth::encode(m_depths[c]));
    bpcc.close();
}

int jp2_dimensions::get_bit_depth(uint32_t component) const
{
    return component < m_components ? std::abs(m_depths[component]) : 0;
}

bool jp2_dimensions::get_signed(uint32_t component) const
{
    return component < m_components && m_depths[component] < 0;
}
