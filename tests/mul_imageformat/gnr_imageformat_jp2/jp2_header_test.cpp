// The header box objects: reading, checks, finalising and saving.
#include "jp2_test_support.h"

#include <algorithm>
#include <cmath>

#include "mul_imageformat/gnr_imageformat_jp2/jp2_box.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_header.h"

using namespace jp2test;

namespace
{

// Runs read on the one box that the bytes hold; returns the error text.
template <class F> std::string ReadBox(const Bytes& bytes, F&& read)
{
    CLxByteArray array = ToArray(bytes);
    jp2_box_reader box;
    if (!box.open(&array))
        return "no box";
    return ErrorOf([&] { read(box); });
}

// The contents that save() writes into a "jp2h" writer.
template <class F> Bytes Saved(F&& save)
{
    CLxByteArray array;
    jp2_box_writer jp2h;
    jp2h.box_type = Code("jp2h");
    jp2h.bytes = &array;
    save(jp2h);
    jp2h.close();
    Bytes b = FromArray(array);
    return Bytes(b.begin() + 8, b.end());
}

const char kIhdrRange[] = "Malformed image header box (ihdr) found in JP2 file.  The box contains "
                          "fields which do not conform to their legal range.";

} // namespace

TEST(Jp2Dimensions, ImageHeaderChecks)
{
    const struct {
        const char* name;
        Bytes box;
        std::string error;
    } cases[] = {
        {"nc_16384", Ihdr(1, 2, 16384, 7), ""},
        {"nc_16385", Ihdr(1, 2, 16385, 7), kIhdrRange},
        {"nc_0", Ihdr(1, 2, 0, 7), kIhdrRange},
        {"c_6", Ihdr(1, 2, 1, 7, 6), kIhdrRange},
        {"bpc_38", Ihdr(1, 2, 1, 38), kIhdrRange},
        {"bpc_37", Ihdr(1, 2, 1, 37), ""},
        {"bpc_a5", Ihdr(1, 2, 1, 0xA5), ""},
        {"height_top_bit", Ihdr(0x80000000u, 2, 1, 7),
         "Sorry: Cannot process JP2 files whose image header box contains height and width "
         "values larger than 2^{31}-1."},
        {"short", Box("ihdr", Bytes(13)),
         "Malformed image header box (ihdr) found in JP2 file.  Not all fields were present."},
        {"long", Box("ihdr", Bytes{0, 0, 0, 1, 0, 0, 0, 2, 0, 1, 7, 7, 0, 0, 0}),
         "Malformed image header box (ihdr) found in JP2 file.  The box appears to be too long."},
    };
    for (const auto& c : cases) {
        jp2_dimensions dims;
        EXPECT_EQ(ReadBox(c.box, [&](jp2_box_reader& b) { dims.read_ihdr(b); }), c.error) << c.name;
    }
    jp2_dimensions dims;
    ReadBox(Ihdr(3, 4, 1, 0xA5), [&](jp2_box_reader& b) { dims.read_ihdr(b); });
    EXPECT_EQ(dims.get_bit_depth(0), 38);
    EXPECT_TRUE(dims.get_signed(0));
    EXPECT_EQ(dims.get_height(), 3u);
    EXPECT_EQ(dims.get_width(), 4u);
    EXPECT_EQ(ReadBox(Ihdr(3, 4, 1, 7), [&](jp2_box_reader& b) { dims.read_ihdr(b); }),
              "JP2 file contains multiple image header (ihdr) boxes!");
}

TEST(Jp2Dimensions, BitsPerComponent)
{
    jp2_dimensions dims;
    ReadBox(Ihdr(1, 1, 3, 7), [&](jp2_box_reader& b) { dims.read_ihdr(b); });
    EXPECT_EQ(ReadBox(Box("bpcc", Bytes{7, 7, 7}), [&](jp2_box_reader& b) { dims.read_bpcc(b); }),
              "Encountered an illegal bits per component (bpcc) box in a JP2 header box.  The bpcc "
              "box is legal only if the image header box does not specify bit-depth information.");

    const struct {
        Bytes bytes;
        std::string error;
    } cases[] = {
        {Bytes{7, 0x87, 11}, ""},
        {Bytes{7, 7}, "Malformed bits per component (bpcc) box found in JP2 file.  The box "
                      "contains insufficient bit-depth specifiers."},
        {Bytes{7, 38, 7}, "Malformed bits per component (bpcc) box found in JP2 file.  The box "
                          "contains an illegal bit-depth specifier.  Bit depths may not exceed 38 "
                          "bits per sample."},
        {Bytes{7, 7, 7, 7}, "Malformed bits per component (bpcc) box found in JP2 file.  The box "
                            "appears to be too long."},
    };
    for (const auto& c : cases) {
        jp2_dimensions d;
        ReadBox(Ihdr(1, 1, 3, 255), [&](jp2_box_reader& b) { d.read_ihdr(b); });
        EXPECT_EQ(ReadBox(Box("bpcc", c.bytes), [&](jp2_box_reader& b) { d.read_bpcc(b); }),
                  c.error);
        if (c.error.empty()) {
            EXPECT_EQ(d.get_bit_depth(1), 8);
            EXPECT_TRUE(d.get_signed(1));
            EXPECT_EQ(d.get_bit_depth(2), 12);
            EXPECT_NO_THROW(d.finalize());
        }
    }
}

TEST(Jp2Dimensions, DifferentDepthsAreSavedWithBpcc)
{
    SLxJP2SizParams siz;
    siz.uiHeight = 10;
    siz.uiWidth = 20;
    siz.uiOriginX = 5;
    siz.uiComponents = 3;
    siz.precision = {8, 8, 12};
    jp2_dimensions dims;
    dims.init(siz);
    EXPECT_EQ(dims.get_width(), 15u);
    dims.finalize();
    EXPECT_EQ(Saved([&](jp2_box_writer& w) { dims.save(w); }),
              Cat({Ihdr(10, 15, 3, 255), Box("bpcc", Bytes{7, 7, 11})}));

    jp2_dimensions same;
    same.init(2, 3, 2, false);
    same.set_precision(0, 16, true);
    same.set_precision(1, 16, true);
    same.finalize();
    EXPECT_EQ(Saved([&](jp2_box_writer& w) { same.save(w); }), Ihdr(2, 3, 2, 0x8F));
    EXPECT_EQ(ErrorOf([&] { same.init(1, 1, 1, false); }),
              "JP2 dimensions may be initialized only once!");

    jp2_dimensions incomplete;
    siz.precision = {8, 0, 8};
    EXPECT_EQ(ErrorOf([&] { incomplete.init(siz); }),
              "Attempting to initialize a `jp2_dimensions' object using an incomplete "
              "`siz_params' object.");
    jp2_dimensions unset;
    unset.init(1, 1, 2, false);
    unset.set_precision(0, 8, false);
    EXPECT_EQ(ErrorOf([&] { unset.finalize(); }),
              "Incomplete or invalid dimensional information provided for the JP2 file image "
              "header box.");
}

TEST(Jp2Colour, EnumeratedSpaces)
{
    const char kIllegal[] = "Illegal enumerated colour space found in JP2 colour specification "
                            "(colr) box.  Allowed values are 16, 17 and 18, corresponding to "
                            "sRGB, sLUM and sYCC, respectively.";
    const struct {
        uint32_t cs;
        std::string error;
        int colours;
        ELxJP2ColourSpace space;
    } cases[] = {{16, "", 3, eJp2sRGB},
                 {17, "", 1, eJp2sLUM},
                 {18, "", 3, eJp2sYCC},
                 {22, "", 3, eJp2sYCC},
                 {19, kIllegal, 0, eJp2sLUM}};
    for (const auto& c : cases) {
        jp2_colour colour;
        EXPECT_EQ(ReadBox(ColrEnum(c.cs), [&](jp2_box_reader& b) { colour.read(b); }), c.error);
        EXPECT_EQ(colour.get_num_colours(), c.colours) << c.cs;
        if (c.colours) {
            EXPECT_EQ(colour.get_space(), c.space) << c.cs;
        }
    }
    jp2_colour colour;
    ReadBox(ColrEnum(16), [&](jp2_box_reader& b) { colour.read(b); });
    EXPECT_EQ(ReadBox(ColrEnum(19), [&](jp2_box_reader& b) { colour.read(b); }), "");
    EXPECT_EQ(colour.get_space(), eJp2sRGB); // the second box is ignored

    jp2_colour bad;
    EXPECT_EQ(ReadBox(Box("colr", Bytes{3, 0, 0}), [&](jp2_box_reader& b) { bad.read(b); }),
              "Malformed colour specification (colr) box found in JP2 file.  Insufficient or "
              "illegal fields found in box.");
    EXPECT_EQ(ReadBox(Box("colr", Bytes{1, 0, 0, 0, 0, 0, 16, 0}),
                      [&](jp2_box_reader& b) { bad.read(b); }),
              "Malformed colour specification (colr) box found in JP2 file.  The box appears to "
              "be too large.");
    jp2_colour none;
    EXPECT_EQ(ErrorOf([&] { none.finalize(); }), "No JP2 file colour information available!");

    // Written back: sYCC as 18.
    jp2_colour ycc;
    ycc.init(eJp2sYCC);
    EXPECT_EQ(Saved([&](jp2_box_writer& w) { ycc.save(w); }), ColrEnum(18));
    EXPECT_EQ(ErrorOf([&] { ycc.init(eJp2sRGB); }),
              "JP2 colour information may be initialized only once!");
}

TEST(Jp2Palette, EntriesAreLeftAlignedAndWrittenBack)
{
    Bytes contents;
    PutU16(contents, 256);
    contents.push_back(1);
    contents.push_back(7);
    contents.insert(contents.end(), 256, 255);
    const Bytes pclr = Box("pclr", contents);
    jp2_palette_info palette;
    EXPECT_EQ(ReadBox(pclr, [&](jp2_box_reader& b) { palette.read(b); }), "");
    palette.finalize();
    ASSERT_EQ(palette.get_num_luts(), 1u);
    EXPECT_EQ(palette.get_num_entries(), 256u);
    EXPECT_EQ(uint32_t(palette.get_lut(0)[0]), 0x7F000000u);
    EXPECT_EQ(Saved([&](jp2_box_writer& w) { palette.save(w); }), pclr);
    EXPECT_EQ(ReadBox(pclr, [&](jp2_box_reader& b) { palette.read(b); }),
              "JP2 file contains multiple palette (pclr) boxes!");
}

TEST(Jp2Palette, Checks)
{
    const struct {
        Bytes contents;
        std::string error;
    } cases[] = {
        {Bytes{0, 0, 1, 7}, "Malformed palette (pclr) box found in JP2 file.  Insufficient or "
                            "illegal fields encountered."},
        {Bytes{4, 1, 1, 7}, "Malformed palette (pclr) box found in JP2 file.  Insufficient or "
                            "illegal fields encountered."},
        {Bytes{0, 1, 2, 7}, "Malformed palette (pclr) box found in JP2 file.  The box contains "
                            "insufficient bit-depth specifiers."},
        {Bytes{0, 1, 1, 38, 0}, "Malformed palette (pclr) box found in JP2 file.  The box "
                                "contains an illegal bit-depth specifier.  Bit depths may not "
                                "exceed 38 bits per sample."},
        {Bytes{0, 2, 1, 15, 0, 0, 0}, "Malformed palette (pclr) box found in JP2 file.  The box "
                                      "contains insufficient palette entries."},
        {Bytes{0, 1, 1, 7, 9, 9}, "Malformed palette (pclr) box found in JP2 file.  Box appears "
                                  "to be too long."},
        // 38-bit signed entries keep their top 32 bits.
        {Bytes{0, 1, 1, 0xA5, 0x20, 0, 0, 0, 0}, ""},
    };
    for (const auto& c : cases) {
        jp2_palette_info p;
        EXPECT_EQ(ReadBox(Box("pclr", c.contents), [&](jp2_box_reader& b) { p.read(b); }), c.error);
    }
    jp2_palette_info wide;
    ReadBox(Box("pclr", Bytes{0, 1, 1, 0xA5, 0x20, 0, 0, 0, 0}),
            [&](jp2_box_reader& b) { wide.read(b); });
    EXPECT_EQ(wide.get_bit_depth(0), -32);
    EXPECT_EQ(uint32_t(wide.get_lut(0)[0]), 0x80000000u);
}

TEST(Jp2Channels, MappingAndChecks)
{
    jp2_channels ch;
    EXPECT_EQ(ReadBox(Box("cmap", Bytes(6)), [&](jp2_box_reader& b) { ch.read_cmap(b); }),
              "Malformed component mapping (cmap) box encountered in JP2 file.  The body of any "
              "such box must contain exactly four bytes for each channel and there must be at "
              "least one channel.");
    EXPECT_EQ(ReadBox(Box("cmap", Bytes{0, 0, 2, 0}), [&](jp2_box_reader& b) { ch.read_cmap(b); }),
              "Malformed component mapping (cmap) box encountered in JP2 file.  Invalid or "
              "truncated mapping specs.");
    EXPECT_EQ(ReadBox(Box("cdef", Bytes{0, 0}), [&](jp2_box_reader& b) { ch.read_cdef(b); }),
              "Malformed channel definition (cdef) box found in JP2 file.  Missing or invalid "
              "fields.");
    EXPECT_EQ(ReadBox(Box("cdef", Bytes{0, 1, 0, 0, 0, 3, 0, 0}),
                      [&](jp2_box_reader& b) { ch.read_cdef(b); }),
              "Malformed channel definition (cdef) box found in JP2 file.  Missing or invalid "
              "channel association information.");

    // Reordered colours with an opacity channel.
    Bytes cdef{0, 4};
    for (uint16_t v : {0, 0, 3, 1, 0, 2, 2, 0, 1, 3, 1, 0})
        PutU16(cdef, v);
    jp2_channels ordered;
    EXPECT_EQ(ReadBox(Box("cdef", cdef), [&](jp2_box_reader& b) { ordered.read_cdef(b); }), "");
    ordered.finalize(3, 4, 0);
    EXPECT_EQ(ordered.get_component(jp2_colour_intensity, 0), 2);
    EXPECT_EQ(ordered.get_component(jp2_colour_intensity, 2), 0);
    EXPECT_EQ(ordered.get_component(jp2_opacity, 1), 3);
    Bytes written = Saved([&](jp2_box_writer& w) { ordered.save(w); });
    jp2_channels again;
    ReadBox(written, [&](jp2_box_reader& b) { again.read_cdef(b); });
    again.finalize(3, 4, 0);
    for (int f = 0; f < 3; ++f)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(again.get_component(f, c), ordered.get_component(f, c));

    // The plain mapping writes nothing.
    jp2_channels plain;
    plain.finalize(3, 3, 0);
    EXPECT_TRUE(Saved([&](jp2_box_writer& w) { plain.save(w); }).empty());
    jp2_channels grey;
    grey.finalize(1, 1, 0);
    EXPECT_TRUE(Saved([&](jp2_box_writer& w) { grey.save(w); }).empty());

    jp2_channels missing;
    EXPECT_EQ(ErrorOf([&] { missing.finalize(3, 2, 0); }),
              "Attempting to describe a colour channel in terms of a non-existent image "
              "component!");
    jp2_channels noCmap;
    ReadBox(Box("cmap", Bytes{0, 0, 1, 0}), [&](jp2_box_reader& b) { noCmap.read_cmap(b); });
    EXPECT_EQ(ErrorOf([&] { noCmap.finalize(1, 1, 1); }), "");
    EXPECT_EQ(noCmap.get_lut(0, 0), 0);
    EXPECT_EQ(ErrorOf([&] { noCmap.finalize(3, 1, 1); }),
              "Attempting to use a `jp2_channels' object whose number of colours differs from "
              "that specified by the `jp2_colour' object.");
    jp2_channels beyond;
    ReadBox(Box("cmap", Bytes{0, 0, 0, 0}), [&](jp2_box_reader& b) { beyond.read_cmap(b); });
    EXPECT_EQ(ErrorOf([&] { beyond.finalize(3, 3, 0); }),
              "The JP2 file's colour definition (cdef) box references a channel which is not "
              "defined within the colour mapping (cmap) box.");
}

TEST(Jp2Resolution, ValuesAreCodedAsMantissaAndExponent)
{
    const struct {
        double value;
        uint16_t n;
        int8_t e;
    } cases[] = {{2835, 9290, 4}, {0.5, 16384, 0}, {2.0, 6554, 1}, {1.0, 32768, 0}};
    for (const auto& c : cases) {
        uint16_t n = 0;
        int8_t e = 0;
        jp2_encode_resolution(c.value, n, e);
        EXPECT_EQ(n, c.n) << c.value;
        EXPECT_EQ(e, c.e) << c.value;
    }
    uint16_t n;
    int8_t e;
    EXPECT_EQ(ErrorOf([&] { jp2_encode_resolution(0, n, e); }),
              "Unable to save resolution information having illegal or ridiculously small or "
              "large values!");

    jp2_resolution_info res;
    res.init(1.0f);
    res.set_resolution(2835, false);
    res.finalize();
    const Bytes saved = Saved([&](jp2_box_writer& w) { res.save(w); });
    Bytes resc;
    for (uint16_t v : {9290, 32768, 9290, 32768})
        PutU16(resc, v);
    resc.push_back(4);
    resc.push_back(4);
    EXPECT_EQ(saved, Box("res ", Box("resc", resc)));
    jp2_resolution_info back;
    EXPECT_EQ(ReadBox(saved, [&](jp2_box_reader& b) { back.read(b); }), "");
    EXPECT_NEAR(back.get_resolution(false), 2835, 0.5);
    EXPECT_NEAR(back.get_resolution(true), 2835, 0.5); // no display box: the capture values
    EXPECT_EQ(ErrorOf([&] { res.init(1.0f); }),
              "JP2 resolution information may be initialized only once!");

    jp2_resolution_info nothing;
    nothing.init(1.0f);
    nothing.finalize();
    EXPECT_TRUE(Saved([&](jp2_box_writer& w) { nothing.save(w); }).empty());
    jp2_resolution_info empty;
    EXPECT_EQ(ReadBox(Box("res ", Box("abcd", {})), [&](jp2_box_reader& b) { empty.read(b); }),
              "The JP2 resolution box must contain at least one of the capture or display "
              "resolution sub-boxes.");
    jp2_resolution_info zero;
    EXPECT_EQ(
        ReadBox(Box("res ", Box("resd", Bytes(10))), [&](jp2_box_reader& b) { zero.read(b); }),
        "Malformed capture or display resolution sub-box found in JP2 file.  Insufficient "
        "or illegal data fields.");
}

namespace
{

// ---- ICC profiles built here and converted by a double-precision reference.

Bytes CurvGamma(double gamma)
{
    Bytes b{'c', 'u', 'r', 'v', 0, 0, 0, 0};
    PutU32(b, 1);
    PutU16(b, uint16_t(std::lround(gamma * 256)));
    PutU16(b, 0);
    return b;
}
Bytes CurvPoints(const std::vector<uint16_t>& points)
{
    Bytes b{'c', 'u', 'r', 'v', 0, 0, 0, 0};
    PutU32(b, uint32_t(points.size()));
    for (uint16_t p : points)
        PutU16(b, p);
    return b;
}
Bytes Xyz(double x, double y, double z)
{
    Bytes b{'X', 'Y', 'Z', ' ', 0, 0, 0, 0};
    for (double v : {x, y, z})
        PutU32(b, uint32_t(int32_t(std::lround(v * 65536))));
    return b;
}
Bytes Profile(const char* space, const std::vector<std::pair<const char*, Bytes>>& tags)
{
    Bytes table, body;
    const uint32_t first = 132 + 12 * uint32_t(tags.size());
    for (const auto& t : tags) {
        PutU32(table, Code(t.first));
        PutU32(table, first + uint32_t(body.size()));
        PutU32(table, uint32_t(t.second.size()));
        body.insert(body.end(), t.second.begin(), t.second.end());
    }
    Bytes p;
    PutU32(p, uint32_t(132 + table.size() + body.size()));
    PutU32(p, 0);
    PutU32(p, 0x02100000);
    PutU32(p, Code("scnr"));
    PutU32(p, Code(space));
    PutU32(p, Code("XYZ "));
    p.resize(128, 0);
    PutU32(p, uint32_t(tags.size()));
    return Cat({p, table, body});
}

double Srgb(double x)
{
    const double t = std::pow(0.08937034529451593, 2.4);
    return x > t ? 1.055 * std::pow(x, 1 / 2.4) - 0.055 : x * 0.055 / (1.4 * t);
}

double Curve(const std::vector<uint16_t>& points, double gamma, int i)
{
    const double x = i / 1023.0;
    if (gamma > 0)
        return std::pow(x, std::lround(gamma * 256) / 256.0);
    const double at = i * double(points.size() - 1) / 1023.0;
    size_t k = std::min(size_t(at), points.size() - 2);
    return (points[k] + (at - k) * (points[k + 1] - points[k])) / 65535.0;
}

int Index(int s)
{
    return std::clamp((s + 4096) >> 3, 0, 1023);
}

Bytes ColrIcc(const Bytes& profile)
{
    return Box("colr", Cat({Bytes{2, 0, 0}, profile}));
}

} // namespace

TEST(Jp2Colour, IccGreyToSrgb)
{
    jp2_colour colour;
    ASSERT_EQ(ReadBox(ColrIcc(Profile("GRAY", {{"kTRC", CurvGamma(1.8)}})),
                      [&](jp2_box_reader& b) { colour.read(b); }),
              "");
    EXPECT_EQ(colour.get_space(), eJp2IccLum);
    EXPECT_EQ(colour.get_num_colours(), 1);
    std::vector<int16_t> line;
    for (int s = -5000; s <= 5000; s += 37)
        line.push_back(int16_t(s));
    std::vector<int16_t> converted = line;
    colour.convert_icc_to_srgb(converted.data(), uint32_t(converted.size()));
    for (size_t i = 0; i < line.size(); ++i) {
        const double expected = std::floor((Srgb(Curve({}, 1.8, Index(line[i]))) - 0.5) * 8192);
        EXPECT_EQ(converted[i], int16_t(expected)) << line[i];
    }
}

TEST(Jp2Colour, IccRgbToSrgb)
{
    const double colorants[3][3] = {
        {0.4361, 0.2225, 0.0139}, {0.3851, 0.7169, 0.0971}, {0.1431, 0.0606, 0.7141}};
    const std::vector<uint16_t> green{0, 65535}, blue{0, 20000, 65535};
    const Bytes profile =
        Profile("RGB ", {{"rTRC", CurvGamma(2.2)},
                         {"gTRC", CurvPoints(green)},
                         {"bTRC", CurvPoints(blue)},
                         {"rXYZ", Xyz(colorants[0][0], colorants[0][1], colorants[0][2])},
                         {"gXYZ", Xyz(colorants[1][0], colorants[1][1], colorants[1][2])},
                         {"bXYZ", Xyz(colorants[2][0], colorants[2][1], colorants[2][2])}});
    jp2_colour colour;
    ASSERT_EQ(ReadBox(ColrIcc(profile), [&](jp2_box_reader& b) { colour.read(b); }), "");
    EXPECT_EQ(colour.get_space(), eJp2IccRgb);

    // The reference in double precision, from the stored (rounded) values.
    const double fixedMatrix[3][3] = {
        {3.1337, -1.6173, -0.4907}, {-0.9785, 1.9162, 0.0334}, {0.0720, -0.2290, 1.4056}};
    double m[3][3];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            double sum = 0;
            for (int k = 0; k < 3; ++k)
                sum += fixedMatrix[r][k] * (std::lround(colorants[c][k] * 65536) / 65536.0);
            m[r][c] = std::floor(sum * 8192.25 + 0.5);
        }
    std::vector<int16_t> rgb[3];
    for (int s = -4500; s <= 4500; s += 97) {
        rgb[0].push_back(int16_t(s));
        rgb[1].push_back(int16_t(-s / 2));
        rgb[2].push_back(int16_t(s / 3 + 100));
    }
    std::vector<int16_t> out[3] = {rgb[0], rgb[1], rgb[2]};
    colour.convert_icc_to_srgb(out[0].data(), out[1].data(), out[2].data(),
                               uint32_t(out[0].size()));
    for (size_t i = 0; i < rgb[0].size(); ++i) {
        const double v[3] = {std::floor(Curve({}, 2.2, Index(rgb[0][i])) * 32767 + 0.5),
                             std::floor(Curve(green, 0, Index(rgb[1][i])) * 32767 + 0.5),
                             std::floor(Curve(blue, 0, Index(rgb[2][i])) * 32767 + 0.5)};
        for (int r = 0; r < 3; ++r) {
            const double sum = m[r][0] * v[0] + m[r][1] * v[1] + m[r][2] * v[2];
            const int idx = std::clamp(int(std::floor((sum + 32768) / 65536)), 0, 4095);
            const double expected = std::floor((Srgb(idx / 4095.0) - 0.5) * 8192);
            EXPECT_EQ(out[r][i], int16_t(expected)) << i << " " << r;
        }
    }
}

TEST(Jp2Colour, IccProfileChecks)
{
    const Bytes grey = Profile("GRAY", {{"kTRC", CurvGamma(1.0)}});
    Bytes display = grey;
    display[12] = 'm';
    Bytes truncatedTable = grey;
    truncatedTable[131] = 9; // nine tags
    Bytes badCurve = Profile("GRAY", {{"kTRC", Xyz(1, 1, 1)}});
    Bytes shortCurve = Profile("GRAY", {{"kTRC", CurvPoints({1, 2, 3})}});
    shortCurve[shortCurve.size() - 9] = 200; // 200 points claimed
    const struct {
        Bytes profile;
        std::string error;
    } cases[] = {
        {Bytes(100, 0), "Embedded ICC profile for JP2 file does not have a complete header."},
        {display, "Embedded ICC profile for JP2 file must contain an input device profile (as "
                  "opposed to a display profile, output profile, link profile, etc.)."},
        {truncatedTable, "Embedded ICC profile for JP2 file appears to have been truncated!"},
        {badCurve, "Did not find a valid `curv' data type in the embedded ICC profile's tone "
                   "reproduction curve tag."},
        {shortCurve, "The `curv' data type used to represent an embedded ICC profile's tone "
                     "reproduction curve appears to have been truncated."},
        {Profile("GRAY", {}), "Embedded ICC profile for JP2 file does not contain a complete set "
                              "of tone reproduction curves!"},
        {Profile("RGB ", {{"rTRC", CurvGamma(1)}, {"gTRC", CurvGamma(1)}, {"bTRC", CurvGamma(1)}}),
         "Embedded ICC profile for JP2 file does not contain a complete set of primary colorant "
         "specifications."},
    };
    for (const auto& c : cases) {
        jp2_colour colour;
        EXPECT_EQ(ReadBox(ColrIcc(c.profile), [&](jp2_box_reader& b) { colour.read(b); }), c.error);
    }
    // The profile's own size word may not reach past the box.
    Bytes lying = grey;
    lying[0] = 0x7F;
    jp2_colour colour;
    EXPECT_EQ(ReadBox(ColrIcc(lying), [&](jp2_box_reader& b) { colour.read(b); }), "");
    // A box longer than the stream.
    Bytes cut = ColrIcc(grey);
    cut.resize(cut.size() - 10);
    jp2_colour cutColour;
    EXPECT_EQ(ReadBox(cut, [&](jp2_box_reader& b) { cutColour.read(b); }),
              "JP2 file terminated unexpectedly inside the colour specification (colr) box.");
}
