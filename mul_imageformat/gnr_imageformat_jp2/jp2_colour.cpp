#include <cmath>

#include "mul_imageformat/gnr_imageformat_jp2/jp2_box.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_header.h"

namespace
{

// The sRGB encoding of a linear value in [0, 1].
double EncodeSrgb(double x)
{
    const double t = std::pow(0.08937034529451593, 2.4);
    if (x > t)
        return 1.055 * std::pow(x, 1 / 2.4) - 0.055;
    return x * 0.055 / (1.4 * t);
}

// XYZ to linear sRGB, rows red, green, blue.
const double kXyzToRgb[3][3] = {
    {3.1337, -1.6173, -0.4907},
    {-0.9785, 1.9162, 0.0334},
    {0.0720, -0.2290, 1.4056},
};

int ToneIndex(int sample)
{
    const int i = (sample + 4096) >> 3;
    return i < 0 ? 0 : (i > 1023 ? 1023 : i);
}

// floor() held to what an int64 can carry, for hostile colorants.
int64_t FloorClamped(double v)
{
    const double limit = 1e12; // three products stay inside int64
    v = std::floor(v);
    if (!(v > -limit)) // also NaN
        return v != v ? 0 : int64_t(-limit);
    return v < limit ? int64_t(v) : int64_t(limit);
}

} // namespace

struct jp2_colour::Tables {
    int16_t grey[1024];
    int16_t tone[3][1024];
    int64_t matrix[3][3];
    int16_t encode[4096];
};

jp2_colour::jp2_colour() = default;
jp2_colour::~jp2_colour() = default;

void jp2_colour::init(ELxJP2ColourSpace space)
{
    if (m_colours != 0)
        LX_RaiseJp2Error("JP2 colour information may be initialized only once!");
    m_space = space;
    m_colours = space == eJp2sLUM || space == eJp2IccLum ? 1 : 3;
}

void jp2_colour::read(jp2_box_reader& box)
{
    if (m_colours != 0) {
        box.close();
        return;
    }
    uint8_t meth = 0, prec = 0, approx = 0;
    if (!box.read_u8(meth) || !box.read_u8(prec) || !box.read_u8(approx) ||
        (meth != 1 && meth != 2))
        LX_RaiseJp2Error("Malformed colour specification (colr) box found in JP2 file.  "
                         "Insufficient or illegal fields found in box.");
    if (meth == 1) {
        uint32_t cs = 0;
        const bool ok = box.read_u32(cs);
        if (ok && cs == jp2_enum_srgb) {
            m_space = eJp2sRGB;
            m_colours = 3;
        } else if (ok && cs == jp2_enum_slum) {
            m_space = eJp2sLUM;
            m_colours = 1;
        } else if (ok && (cs == jp2_enum_sycc || cs == jp2_enum_sycc_alias)) {
            m_space = eJp2sYCC;
            m_colours = 3;
        } else {
            LX_RaiseJp2Error("Illegal enumerated colour space found in JP2 colour specification "
                             "(colr) box.  Allowed values are 16, 17 and 18, corresponding to "
                             "sRGB, sLUM and sYCC, respectively.");
        }
        if (!box.close())
            LX_RaiseJp2Error("Malformed colour specification (colr) box found in JP2 file.  The "
                             "box appears to be too large.");
        return;
    }
    // The profile is the rest of the box; only bytes that exist are taken.
    const uint64_t length = box.open_ended ? box.available() : box.remaining();
    if (length > box.available() || length > 0x7FFFFFFF)
        LX_RaiseJp2Error("JP2 file terminated unexpectedly inside the colour specification (colr) "
                         "box.");
    auto icc = std::make_unique<SLxJP2IccProfile>();
    icc->bytes.resize(size_t(length));
    if (length && box.read(icc->bytes.data(), int32_t(length)) != int32_t(length))
        LX_RaiseJp2Error("JP2 file terminated unexpectedly inside the colour specification (colr) "
                         "box.");
    icc->parse();
    m_colours = int(icc->uiColours);
    m_space = m_colours == 1 ? eJp2IccLum : eJp2IccRgb;
    m_icc = std::move(icc);
    m_tables.reset();
    box.close();
}

void jp2_colour::finalize()
{
    if (m_colours == 0)
        LX_RaiseJp2Error("No JP2 file colour information available!");
}

void jp2_colour::save(jp2_box_writer& jp2h) const
{
    jp2_box_writer colr;
    colr.box_type = jp2_colour_4cc;
    colr.parent = &jp2h;
    if (is_icc() && m_icc) {
        colr.write_u8(2);
        colr.write_u8(0);
        colr.write_u8(0);
        colr.write(m_icc->bytes.data(), uint32_t(m_icc->bytes.size()));
    } else {
        colr.write_u8(1);
        colr.write_u8(0);
        colr.write_u8(0);
        colr.write_u32(m_space == eJp2sLUM   ? jp2_enum_slum
                       : m_space == eJp2sYCC ? jp2_enum_sycc
                                             : jp2_enum_srgb);
    }
    colr.close();
}

void jp2_colour::build_tables()
{
    auto t = std::make_unique<Tables>();
    double curve[1024];
    if (m_colours == 1) {
        m_icc->sample_curve(0, curve);
        for (int i = 0; i < 1024; ++i)
            t->grey[i] = int16_t(std::floor((EncodeSrgb(curve[i]) - 0.5) * 8192));
    } else {
        double colorants[3][3]; // [colour][X, Y, Z]
        for (int c = 0; c < 3; ++c) {
            m_icc->sample_curve(c, curve);
            for (int i = 0; i < 1024; ++i)
                t->tone[c][i] = int16_t(std::floor(curve[i] * 32767 + 0.5));
            m_icc->colorant(c, colorants[c]);
        }
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) {
                double m = 0;
                for (int k = 0; k < 3; ++k)
                    m += kXyzToRgb[r][k] * colorants[c][k];
                t->matrix[r][c] = FloorClamped(m * 8192.25 + 0.5);
            }
        for (int i = 0; i < 4096; ++i)
            t->encode[i] = int16_t(std::floor((EncodeSrgb(i / 4095.0) - 0.5) * 8192));
    }
    m_tables = std::move(t);
}

void jp2_colour::convert_icc_to_srgb(int16_t* grey, uint32_t count)
{
    if (m_space != eJp2IccLum || !m_icc || !grey)
        return;
    if (!m_tables)
        build_tables();
    for (uint32_t i = 0; i < count; ++i)
        grey[i] = m_tables->grey[ToneIndex(grey[i])];
}

void jp2_colour::convert_icc_to_srgb(int16_t* red, int16_t* green, int16_t* blue, uint32_t count)
{
    if (m_space != eJp2IccRgb || !m_icc || !red || !green || !blue)
        return;
    if (!m_tables)
        build_tables();
    const Tables& t = *m_tables;
    for (uint32_t i = 0; i < count; ++i) {
        const int64_t v[3] = {t.tone[0][ToneIndex(red[i])], t.tone[1][ToneIndex(green[i])],
                              t.tone[2][ToneIndex(blue[i])]};
        int16_t* out[3] = {red + i, green + i, blue + i};
        int16_t result[3];
        for (int r = 0; r < 3; ++r) {
            int64_t sum = t.matrix[r][0] * v[0] + t.matrix[r][1] * v[1] + t.matrix[r][2] * v[2];
            int64_t idx = (sum + 0x8000) >> 16;
            idx = idx < 0 ? 0 : (idx > 4095 ? 4095 : idx);
            result[r] = t.encode[idx];
        }
        for (int r = 0; r < 3; ++r)
            *out[r] = result[r];
    }
}
