#include "gnr_system/LxByteArray.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_extra.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_file.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_io.h"
#include "w32_system/LxFileAPI.h"

struct jp2_file_target::State {
    jp2_dimensions dimensions;
    jp2_colour colour;
    jp2_palette_info palette;
    jp2_channels channels;
    jp2_resolution_info resolution;
    jp2_box_writer box;
    LX_HFILE file = LX_INVALID_HFILE;
    CLxByteArray* bytes = nullptr;
    bool headerWritten = false;
    bool append = false; // header boxes already in the file

    ~State()
    {
        if (file != LX_INVALID_HFILE)
            LX_CloseFile(file);
    }
    void open_box(jp2_box_writer& b, uint32_t type)
    {
        b.reset();
        b.box_type = type;
        b.file = file;
        b.bytes = file == LX_INVALID_HFILE ? bytes : nullptr;
    }
};

jp2_file_target::jp2_file_target() = default;

jp2_file_target::~jp2_file_target()
{
    try {
        close();
    } catch (const CLxJP2ErrorException&) {
        // The owner closes explicitly when it wants to know.
    }
}

void jp2_file_target::open(const char16_t* path, SLxJP2PositionsInfo* list)
{
    close();
    auto state = std::make_unique<State>();
    if (!path || LX_OpenFile(path, LX_FILE_READ | LX_FILE_WRITE | LX_FILE_CREATE | LX_FILE_ALWAYS,
                             LX_FILE_SHARE_READ | LX_FILE_SHARE_WRITE, LX_INVALID_HFILE,
                             &state->file) != 0) {
        state->file = LX_INVALID_HFILE;
        LX_RaiseJp2Error("Unable to open output file.");
    }
    m_state = std::move(state);
    m_list = list;
}

void jp2_file_target::open_append(const char16_t* path, SLxJP2PositionsInfo* list)
{
    close();
    auto state = std::make_unique<State>();
    if (!path ||
        LX_OpenFile(path, LX_FILE_READ | LX_FILE_WRITE, LX_FILE_SHARE_READ | LX_FILE_SHARE_WRITE,
                    LX_INVALID_HFILE, &state->file) != 0 ||
        LX_SeekFile(state->file, 0, 0, 2) != 0) {
        state->file = LX_INVALID_HFILE;
        LX_RaiseJp2Error("Unable to open output file.");
    }
    state->append = true;
    m_state = std::move(state);
    m_list = list;
}

void jp2_file_target::open(CLxByteArray* bytes)
{
    close();
    m_state = std::make_unique<State>();
    m_state->bytes = bytes;
    m_list = nullptr;
    if (bytes)
        bytes->SetCurrentOffset(0);
}

jp2_dimensions* jp2_file_target::access_dimensions()
{
    return m_state ? &m_state->dimensions : nullptr;
}
jp2_colour* jp2_file_target::access_colour()
{
    return m_state ? &m_state->colour : nullptr;
}
jp2_palette_info* jp2_file_target::access_palette()
{
    return m_state ? &m_state->palette : nullptr;
}
jp2_channels* jp2_file_target::access_channels()
{
    return m_state ? &m_state->channels : nullptr;
}
jp2_resolution_info* jp2_file_target::access_resolution()
{
    return m_state ? &m_state->resolution : nullptr;
}

LX_HFILE jp2_file_target::get_file() const
{
    return m_state ? m_state->file : LX_INVALID_HFILE;
}

uint64_t jp2_file_target::expected_codestream_length(const jp2_dimensions& dims)
{
    // Lossless coding can expand incompressible data by about a tenth.
    const unsigned __int128 raw = (unsigned __int128)dims.get_num_components() *
                                  ((dims.get_bit_depth(0) + 7) / 8) * dims.get_height() *
                                  dims.get_width();
    const unsigned __int128 expected = raw * 9 / 8 + (1u << 20);
    return expected > ~uint64_t(0) ? ~uint64_t(0) : uint64_t(expected);
}

void jp2_file_target::record(uint32_t boxType, uint64_t offset)
{
    if (m_list && m_state->file != LX_INVALID_HFILE)
        jp2_add_position(m_list, boxType, jp2_own_lunk, offset);
}

bool jp2_file_target::open_codestream_box()
{
    State& s = *m_state;
    uint64_t offset = 0;
    jp2_io::position(s.file, s.bytes, offset);
    s.open_box(s.box, jp2_codestream_4cc);
    s.box.write_through = m_writeThrough;
    s.box.expected_length =
        s.file != LX_INVALID_HFILE ? expected_codestream_length(s.dimensions) : 0;
    if (m_writeThrough && !s.box.write_header())
        return false;
    record(jp2_codestream_4cc, offset);
    return true;
}

bool jp2_file_target::write_file_header()
{
    State& s = *m_state;
    s.dimensions.finalize();
    s.colour.finalize();
    s.palette.finalize();
    s.resolution.finalize();
    s.channels.finalize(s.colour.get_num_colours(), s.dimensions.get_num_components(),
                        s.palette.get_num_luts());
    s.headerWritten = true;

    uint64_t offset = 0;
    jp2_box_writer b;
    jp2_io::position(s.file, s.bytes, offset);
    s.open_box(b, jp2_signature_4cc);
    b.write_u32(jp2_signature_word);
    if (!b.close())
        return false;
    record(jp2_signature_4cc, offset);

    jp2_io::position(s.file, s.bytes, offset);
    s.open_box(b, jp2_file_type_4cc);
    b.write_u32(jp2_brand);
    b.write_u32(0);
    b.write_u32(jp2_brand);
    if (!b.close())
        return false;
    record(jp2_file_type_4cc, offset);

    jp2_io::position(s.file, s.bytes, offset);
    s.open_box(b, jp2_header_4cc);
    s.dimensions.save(b);
    s.colour.save(b);
    s.palette.save(b);
    s.channels.save(b);
    s.resolution.save(b);
    if (!b.close())
        return false;
    record(jp2_header_4cc, offset);
    return open_codestream_box();
}

bool jp2_file_target::write(const uint8_t* data, int32_t count)
{
    if (!m_state || count < 0)
        return false;
    if (!m_state->headerWritten) {
        if (m_state->append) {
            m_state->headerWritten = true;
            if (!open_codestream_box())
                return false;
        } else if (!write_file_header())
            return false;
    }
    return m_state->box.write(data, uint32_t(count));
}

bool jp2_file_target::next_codestream()
{
    if (!m_state || !m_state->headerWritten)
        return false;
    if (!m_state->box.close())
        return false;
    return open_codestream_box();
}

bool jp2_file_target::close()
{
    if (!m_state)
        return true;
    // The state goes whatever happens; a codestream that cannot be recorded
    // still throws after the file is closed.
    std::unique_ptr<State> state = std::move(m_state);
    const bool ok = state->box.close();
    state.reset();
    return ok;
}
