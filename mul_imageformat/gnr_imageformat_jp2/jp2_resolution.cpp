#include <cfloat>
#include <cmath>

#include "mul_imageformat/gnr_imageformat_jp2/jp2_box.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_header.h"

namespace
{

float ToFloat(double v)
{
    if (!(v == v))
        return 0;
    return v > FLT_MAX ? FLT_MAX : (v < -FLT_MAX ? -FLT_MAX : float(v));
}

void WriteSub(jp2_box_writer& res, uint32_t type, double vertical, double horizontal)
{
    uint16_t vn = 0, hn = 0;
    int8_t ve = 0, he = 0;
    jp2_encode_resolution(vertical, vn, ve);
    jp2_encode_resolution(horizontal, hn, he);
    jp2_box_writer sub;
    sub.box_type = type;
    sub.parent = &res;
    sub.write_u16(vn);
    sub.write_u16(32768);
    sub.write_u16(hn);
    sub.write_u16(32768);
    sub.write_u8(uint8_t(ve));
    sub.write_u8(uint8_t(he));
    sub.close();
}

} // namespace

void jp2_encode_resolution(double value, uint16_t& numerator, int8_t& exponent)
{
    int e = 0;
    while (value < 1.0 && e > -128) {
        value *= 10;
        --e;
    }
    while (value > 1.0 && e < 127) {
        value *= 0.1;
        ++e;
    }
    const double n = value * 32768 + 0.5;
    if (!(n >= 1.0 && n < 65536.0))
        LX_RaiseJp2Error("Unable to save resolution information having illegal or ridiculously "
                         "small or large values!");
    numerator = uint16_t(n);
    exponent = int8_t(e);
}

void jp2_resolution_info::init(float aspect)
{
    if (m_initialised)
        LX_RaiseJp2Error("JP2 resolution information may be initialized only once!");
    m_initialised = true;
    m_displayAspect = m_captureAspect = aspect;
    m_displayRes = m_captureRes = 0;
}

void jp2_resolution_info::set_resolution(float resolution, bool forDisplay)
{
    (forDisplay ? m_displayRes : m_captureRes) = resolution;
}

void jp2_resolution_info::read_sub(jp2_box_reader& box, bool capture)
{
    uint16_t vn = 0, vd = 0, hn = 0, hd = 0;
    uint8_t ve = 0, he = 0;
    if (!box.read_u16(vn) || !box.read_u16(vd) || !box.read_u16(hn) || !box.read_u16(hd) ||
        !box.read_u8(ve) || !box.read_u8(he) || !vn || !vd || !hn || !hd)
        LX_RaiseJp2Error("Malformed capture or display resolution sub-box found in JP2 file.  "
                         "Insufficient or illegal data fields.");
    if (!box.close())
        LX_RaiseJp2Error("Malformed capture or display resolution sub-box found in JP2 file.  Box "
                         "appears to be too long.");
    const double v = double(vn) / vd * std::pow(10.0, int8_t(ve));
    const double h = double(hn) / hd * std::pow(10.0, int8_t(he));
    const float aspect = ToFloat(h / v);
    if (capture) {
        m_captureAspect = aspect;
        m_captureRes = ToFloat(v);
        if (m_displayRes == 0) {
            m_displayAspect = aspect;
            m_displayRes = m_captureRes;
        }
    } else {
        m_displayAspect = aspect;
        m_displayRes = ToFloat(v);
        if (m_captureRes == 0) {
            m_captureAspect = aspect;
            m_captureRes = m_displayRes;
        }
    }
}

void jp2_resolution_info::read(jp2_box_reader& box)
{
    if (m_read)
        LX_RaiseJp2Error("JP2 file contains multiple instances of the resolution (res) box!");
    m_read = true;
    bool found = false;
    jp2_box_reader sub;
    while (sub.open_sub(&box)) {
        if (sub.box_type == jp2_capture_resolution_4cc ||
            sub.box_type == jp2_display_resolution_4cc) {
            read_sub(sub, sub.box_type == jp2_capture_resolution_4cc);
            found = true;
        } else {
            sub.close();
        }
        if (!box.is_open())
            break;
    }
    if (!found)
        LX_RaiseJp2Error("The JP2 resolution box must contain at least one of the capture or "
                         "display resolution sub-boxes.");
    if (!box.close())
        LX_RaiseJp2Error(
            "Malformed resolution box found in JP2 file.  Box appears to be too long.");
}

void jp2_resolution_info::finalize()
{
    if (!(m_displayAspect > 0))
        m_displayAspect = 1;
    if (!(m_captureAspect > 0))
        m_captureAspect = 1;
}

void jp2_resolution_info::save(jp2_box_writer& jp2h) const
{
    const bool displayAspect = std::fabs(m_displayAspect - 1.0) > 0.01;
    const bool captureAspect = std::fabs(m_captureAspect - 1.0) > 0.01;
    const bool writeDisplay = displayAspect || m_displayRes > 0;
    const bool writeCapture =
        m_captureRes > 0 ||
        (captureAspect && (!writeDisplay || std::fabs(double(m_captureAspect) - m_displayAspect) >=
                                                0.01 * m_displayAspect));
    if (!writeDisplay && !writeCapture)
        return;
    jp2_box_writer res;
    res.box_type = jp2_resolution_4cc;
    res.parent = &jp2h;
    if (writeCapture) {
        const double v = m_captureRes > 0 ? m_captureRes : 1.0;
        WriteSub(res, jp2_capture_resolution_4cc, v, v * m_captureAspect);
    }
    if (writeDisplay) {
        const double v = m_displayRes > 0 ? m_displayRes : 1.0;
        WriteSub(res, jp2_display_resolution_4cc, v, v * m_displayAspect);
    }
    res.close();
}
