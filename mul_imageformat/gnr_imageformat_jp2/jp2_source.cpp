#include "gnr_system/LxByteArray.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_extra.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_file.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_io.h"
#include "w32_system/LxFileAPI.h"

struct jp2_file_source::State {
    jp2_dimensions dimensions;
    jp2_colour colour;
    jp2_palette_info palette;
    jp2_channels channels;
    jp2_resolution_info resolution;
    jp2_box_reader box;
    LX_HFILE file = LX_INVALID_HFILE;
    CLxByteArray* bytes = nullptr;
    int64_t origin = 0;
    int capabilities = 0;

    ~State()
    {
        box.close();
        if (file != LX_INVALID_HFILE)
            LX_CloseFile(file);
    }
    bool open_top(jp2_box_reader& b)
    {
        return file != LX_INVALID_HFILE ? b.open(file) : b.open(bytes);
    }
};

jp2_file_source::jp2_file_source() = default;
jp2_file_source::~jp2_file_source() = default;

bool jp2_file_source::open(const char16_t* path, int codestream, SLxJP2PositionsInfo* list,
                           bool record)
{
    close();
    auto state = std::make_unique<State>();
    if (!path || LX_OpenFile(path, LX_FILE_READ, LX_FILE_SHARE_READ | LX_FILE_SHARE_WRITE,
                             LX_INVALID_HFILE, &state->file) != 0) {
        state->file = LX_INVALID_HFILE;
        return false;
    }
    m_state = std::move(state);
    try {
        if (walk(codestream, list, record))
            return true;
    } catch (...) {
        m_state.reset();
        throw;
    }
    m_state.reset();
    return false;
}

bool jp2_file_source::open(CLxByteArray* bytes, int codestream)
{
    close();
    if (!bytes)
        return false;
    bytes->SetCurrentOffset(0);
    m_state = std::make_unique<State>();
    m_state->bytes = bytes;
    try {
        if (walk(codestream, nullptr, false))
            return true;
    } catch (...) {
        m_state.reset();
        throw;
    }
    m_state.reset();
    return false;
}

bool jp2_file_source::walk(int codestream, SLxJP2PositionsInfo* list, bool record)
{
    if (codestream < 0)
        return false;
    State& s = *m_state;
    jp2_box_reader& box = s.box;
    const bool recording = record && list && list->uiCount == 0;
    auto here = [&s]() {
        uint64_t p = 0;
        jp2_io::position(s.file, s.bytes, p);
        return p;
    };

    uint64_t offset = here();
    uint32_t word = 0;
    if (!s.open_top(box) || box.box_type != jp2_signature_4cc || !box.read_u32(word) ||
        word != jp2_signature_word || !box.close())
        return false;
    if (recording)
        jp2_add_position(list, jp2_signature_4cc, jp2_own_lunk, offset);

    bool fileType = false;
    bool header = false;
    for (;;) {
        offset = here();
        if (!s.open_top(box))
            return false;
        if (box.box_type == jp2_codestream_4cc)
            break;
        if (box.box_type == jp2_file_type_4cc) {
            if (recording && list->uiCount < 3)
                jp2_add_position(list, jp2_file_type_4cc, jp2_own_lunk, offset);
            uint32_t brand = 0, minor = 0, compat = 0;
            box.read_u32(brand);
            box.read_u32(minor);
            while (box.read_u32(compat))
                fileType = fileType || compat == jp2_brand;
            box.close();
            if (!fileType)
                return false;
        } else if (box.box_type == jp2_header_4cc) {
            if (recording && list->uiCount < 3)
                jp2_add_position(list, jp2_header_4cc, jp2_own_lunk, offset);
            if (!fileType)
                return false;
            jp2_box_reader sub;
            while (box.is_open() && sub.open_sub(&box)) {
                switch (sub.box_type) {
                case jp2_image_header_4cc:
                    s.dimensions.read_ihdr(sub);
                    break;
                case jp2_bits_per_component_4cc:
                    s.dimensions.read_bpcc(sub);
                    break;
                case jp2_colour_4cc:
                    s.colour.read(sub);
                    break;
                case jp2_palette_4cc:
                    s.palette.read(sub);
                    break;
                case jp2_channel_definition_4cc:
                    s.channels.read_cdef(sub);
                    break;
                case jp2_component_mapping_4cc:
                    s.channels.read_cmap(sub);
                    break;
                case jp2_resolution_4cc:
                    s.resolution.read(sub);
                    break;
                default:
                    break;
                }
                sub.close();
            }
            s.dimensions.finalize();
            s.colour.finalize();
            s.palette.finalize();
            s.resolution.finalize();
            s.channels.finalize(s.colour.get_num_colours(), s.dimensions.get_num_components(),
                                s.palette.get_num_luts());
            header = true;
            if (!box.close())
                return false;
        } else {
            box.close();
        }
    }
    // The header must come before the codestream: without it nothing tells
    // how to read the samples.
    if (!header)
        return false;

    if (list && !record && codestream > 0) {
        int seen = 0;
        int found = -1;
        for (uint32_t i = 0; i < list->uiCount && found < 0; ++i)
            if (list->pEntries[i].uiBoxType == jp2_codestream_4cc && seen++ == codestream)
                found = int(i);
        if (found < 0)
            return false;
        box.close();
        offset = list->pEntries[found].uiOffset;
        if (!jp2_io::seek(s.file, s.bytes, offset) || !s.open_top(box) ||
            box.box_type != jp2_codestream_4cc)
            return false;
    } else {
        for (; codestream > 0; --codestream) {
            box.close();
            offset = here();
            if (!s.open_top(box))
                return false;
            if (box.box_type != jp2_codestream_4cc) {
                box.close();
                return false;
            }
        }
    }
    if (recording)
        jp2_add_position(list, jp2_codestream_4cc, jp2_own_lunk, offset);
    s.origin = 0;
    s.capabilities = 3;
    return box.box_type == jp2_codestream_4cc;
}

jp2_dimensions* jp2_file_source::access_dimensions()
{
    return m_state ? &m_state->dimensions : nullptr;
}
jp2_colour* jp2_file_source::access_colour()
{
    return m_state ? &m_state->colour : nullptr;
}
jp2_palette_info* jp2_file_source::access_palette()
{
    return m_state ? &m_state->palette : nullptr;
}
jp2_channels* jp2_file_source::access_channels()
{
    return m_state ? &m_state->channels : nullptr;
}
jp2_resolution_info* jp2_file_source::access_resolution()
{
    return m_state ? &m_state->resolution : nullptr;
}

void jp2_file_source::close()
{
    m_state.reset();
}

int jp2_file_source::capabilities() const
{
    return m_state ? m_state->capabilities : 0;
}

int32_t jp2_file_source::read(uint8_t* buffer, int32_t count)
{
    if (!m_state || !m_state->box.is_open())
        return 0;
    return m_state->box.read(buffer, count);
}

bool jp2_file_source::seek(int64_t offset)
{
    if (!m_state || !(m_state->capabilities & 2) || !m_state->box.is_open())
        return false;
    const int64_t target = m_state->origin + offset;
    m_state->box.seek(target < 0 ? 0 : uint64_t(target));
    return true;
}

bool jp2_file_source::set_origin(int64_t origin)
{
    if (!m_state || !(m_state->capabilities & 2))
        return false;
    m_state->origin = origin;
    return true;
}

int64_t jp2_file_source::get_pos(bool absolute) const
{
    if (!m_state)
        return 0;
    const int64_t p = int64_t(m_state->box.position);
    return absolute ? p : p - m_state->origin;
}

uint64_t jp2_file_source::codestream_start() const
{
    return m_state ? m_state->box.contents_start : 0;
}

uint64_t jp2_file_source::codestream_end() const
{
    return m_state ? m_state->box.contents_end : 0;
}

uint64_t jp2_file_source::codestream_length() const
{
    if (!m_state)
        return 0;
    const jp2_box_reader& box = m_state->box;
    const uint64_t total = jp2_io::size(m_state->file, m_state->bytes);
    const uint64_t end = box.contents_end < total ? box.contents_end : total;
    return end > box.contents_start ? end - box.contents_start : 0;
}
