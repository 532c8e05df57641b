// The objects of the JP2 header box ("jp2h"): image header and bit depths,
// colour ("colr" box, with restricted ICC profiles and their conversion to
// sRGB), palette, channel mapping and definition, resolution.
//
// Each object reads its box from an open jp2_box_reader, is finalised once
// the whole header has been read (or before it is written) and writes its box
// as a sub-box of the "jp2h" writer. Every malformed box or invalid state
// throws CLxJP2ErrorException (-9) with the message of the check that failed.
//
// Sample depths are signed: +d for unsigned d-bit samples, -d for signed
// ones, 0 while no depth has been given.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class jp2_box_reader;
class jp2_box_writer;

// What the codec's size parameters tell the JP2 header: the encoder fills it,
// the target's dimensions take it. A value of 0 counts as missing.
struct SLxJP2SizParams {
    uint32_t uiHeight = 0; // canvas size (Ssize)
    uint32_t uiWidth = 0;
    uint32_t uiOriginY = 0; // image origin on the canvas (Sorigin)
    uint32_t uiOriginX = 0;
    uint32_t uiComponents = 0;
    std::vector<int> precision; // bits per component (Sprecision)
    std::vector<bool> isSigned; // Ssigned; missing entries read as unsigned
    uint32_t uiTileHeight = 0;  // Stiles; 0 = one tile
    uint32_t uiTileWidth = 0;
};

class jp2_dimensions
{
  public:
    // Once only; all depths 0, the intellectual-property flag false.
    void init(uint32_t height, uint32_t width, uint32_t components, bool colourSpaceUnknown);
    // Size = canvas minus origin, the components' precision and signedness.
    void init(const SLxJP2SizParams& siz);
    void set_precision(uint32_t component, int precision, bool isSigned);

    void read_ihdr(jp2_box_reader& box);
    void read_bpcc(jp2_box_reader& box);
    void finalize();
    // "ihdr", and "bpcc" when the depths differ.
    void save(jp2_box_writer& jp2h) const;

    uint32_t get_height() const { return m_height; }
    uint32_t get_width() const { return m_width; }
    uint32_t get_num_components() const { return m_components; }
    // Absolute depth; 0 for a component that does not exist.
    int get_bit_depth(uint32_t component) const;
    bool get_signed(uint32_t component) const;
    bool get_colour_space_unknown() const { return m_unknownColourSpace; }
    bool get_ipr() const { return m_ipr; }

  private:
    uint32_t m_height = 0;
    uint32_t m_width = 0;
    uint32_t m_components = 0;
    bool m_unknownColourSpace = false;
    bool m_ipr = false;
    std::vector<int> m_depths;
};

// Colour spaces of jp2_colour.
enum ELxJP2ColourSpace : int32_t {
    eJp2sLUM = 0,
    eJp2sRGB = 1,
    eJp2sYCC = 2,
    eJp2IccLum = 3,
    eJp2IccRgb = 4,
};

// Enumerated colour spaces in the "colr" box.
enum : uint32_t {
    jp2_enum_srgb = 16,
    jp2_enum_slum = 17,
    jp2_enum_sycc = 18,
    jp2_enum_sycc_alias = 22, // read only
};

// A parsed restricted ICC profile (input device, tone curves, colorants).
struct SLxJP2IccProfile {
    std::vector<uint8_t> bytes;
    uint32_t uiSize = 0;    // the profile's own size word
    uint32_t uiColours = 0; // 1 for "GRAY", else 3
    uint32_t uiTagCount = 0;
    uint32_t trcOffset[3] = {}; // data offsets of the tone curves (0 = absent)
    uint32_t colorantOffset[3] = {};

    // Throws the profile's messages.
    void parse();
    // The tone curve of a colour sampled at 1024 points in [0, 1].
    void sample_curve(int colour, double (&curve)[1024]) const;
    // Colorant c's X, Y, Z.
    void colorant(int colour, double (&xyz)[3]) const;
};

class jp2_colour
{
  public:
    jp2_colour();
    ~jp2_colour();
    jp2_colour(const jp2_colour&) = delete;
    jp2_colour& operator=(const jp2_colour&) = delete;

    // Once only (also not after a "colr" box): space 0 one colour, else three.
    void init(ELxJP2ColourSpace space);
    // The first "colr" box counts; later ones are skipped unread.
    void read(jp2_box_reader& box);
    void finalize();
    void save(jp2_box_writer& jp2h) const;

    int get_num_colours() const { return m_colours; }
    ELxJP2ColourSpace get_space() const { return m_space; }
    bool is_icc() const { return m_space == eJp2IccLum || m_space == eJp2IccRgb; }
    const SLxJP2IccProfile* get_icc_profile() const { return m_icc.get(); }

    // ICC colour to sRGB on decoded lines of signed 16-bit samples whose
    // nominal range is -4096..4095, in place. Does nothing unless the space
    // is ICC-based with that many colours.
    void convert_icc_to_srgb(int16_t* grey, uint32_t count);
    void convert_icc_to_srgb(int16_t* red, int16_t* green, int16_t* blue, uint32_t count);

  private:
    struct Tables;
    void build_tables();

    int m_colours = 0;
    ELxJP2ColourSpace m_space = eJp2sLUM;
    std::unique_ptr<SLxJP2IccProfile> m_icc;
    std::unique_ptr<Tables> m_tables;
};

class jp2_palette_info
{
  public:
    void read(jp2_box_reader& box);
    void finalize();
    // "pclr", only when there are tables.
    void save(jp2_box_writer& jp2h) const;

    uint32_t get_num_luts() const { return m_luts; }
    uint32_t get_num_entries() const { return m_entries; }
    int get_bit_depth(uint32_t lut) const { return lut < m_luts ? m_depths[lut] : 0; }
    // Entries as signed, left-aligned 32-bit values (unsigned samples
    // offset by -2^31); null for a table that does not exist.
    const int32_t* get_lut(uint32_t lut) const
    {
        return lut < m_luts ? m_values.data() + size_t(lut) * m_entries : nullptr;
    }

  private:
    uint32_t m_luts = 0;
    uint32_t m_entries = 0;
    std::vector<int> m_depths;
    std::vector<int32_t> m_values; // table by table
};

// Colour functions of jp2_channels.
enum : int { jp2_colour_intensity = 0, jp2_opacity = 1, jp2_premultiplied_opacity = 2 };

class jp2_channels
{
  public:
    jp2_channels();

    void read_cdef(jp2_box_reader& box);
    void read_cmap(jp2_box_reader& box);
    void finalize(int colours, uint32_t components, uint32_t luts);
    // "cdef" (and "cmap" with a palette) when the mapping is not the plain
    // one; otherwise nothing.
    void save(jp2_box_writer& jp2h) const;

    int get_num_colours() const { return m_colours; }
    // The component and table of one colour function (-1: none / direct).
    int get_component(int function, int colour) const
    {
        return m_pairs[function * 3 + colour].component;
    }
    int get_lut(int function, int colour) const { return m_pairs[function * 3 + colour].lut; }
    // For a writer: colour c of a function from a component (lut -1) or table.
    void set_pair(int function, int colour, int component, int lut);

  private:
    struct Pair {
        int component;
        int lut;
    };
    int m_colours = 0;
    uint32_t m_components = 0;
    uint32_t m_luts = 0;
    bool m_finalized = false;
    bool m_haveCmap = false;
    Pair m_pairs[9];
    std::vector<Pair> m_cmap;
};

class jp2_resolution_info
{
  public:
    // Once only: both aspect ratios take the value, both resolutions 0.
    void init(float aspect);
    // Vertical resolution in grid points per metre.
    void set_resolution(float resolution, bool forDisplay);
    void read(jp2_box_reader& box);
    void finalize();
    // "res " unless there is nothing to tell.
    void save(jp2_box_writer& jp2h) const;

    float get_aspect_ratio(bool forDisplay) const
    {
        return forDisplay ? m_displayAspect : m_captureAspect;
    }
    float get_resolution(bool forDisplay) const { return forDisplay ? m_displayRes : m_captureRes; }

  private:
    void read_sub(jp2_box_reader& box, bool capture);

    float m_displayAspect = 0;
    float m_captureAspect = 0;
    float m_displayRes = 0;
    float m_captureRes = 0;
    bool m_initialised = false;
    bool m_read = false;
};

// A resolution (grid points per metre) as numerator over 32768 times ten to
// the exponent; throws for values whose numerator falls outside 1..65535.
// Shared with the in-place rewrite of the capture resolution.
void jp2_encode_resolution(double value, uint16_t& numerator, int8_t& exponent);
