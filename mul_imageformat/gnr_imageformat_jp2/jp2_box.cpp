#include "mul_imageformat/gnr_imageformat_jp2/jp2_box.h"

#include <climits>
#include <cstring>

#include "gnr_system/LxByteArray.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_io.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

const char kIllegalExtended[] = "Illegal extended box length encountered in JP2 file.";
const char kIllegalLength[] = "Illegal box length field encountered in JP2 file.";
const char kSubBoxTooLong[] =
    "Error encountered in box structure used by JP2 or a JP2 family file format.  A sub-box "
    "appears to be too long to fit within its parent super-box.";
const char kReadClosed[] = "Attempting to read from a closed JP2 file box.";
const char kWriteFailed[] = "Failed to write to the file.";
const char kCodestreamTooLong[] =
    "The codestream outgrew the 4 GiB that its box header can record.";

} // namespace

int find_box_entry(const SLxJP2PositionsInfo* list, uint32_t boxType, uint32_t ownCode, int start)
{
    if (!list || !list->pEntries)
        return -1;
    for (uint32_t i = start > 0 ? uint32_t(start) : 0; i < list->uiCount; ++i) {
        const SLxJP2BoxPosition& e = list->pEntries[i];
        if (e.uiBoxType == boxType && e.uiOwnCode == ownCode)
            return i <= uint32_t(INT_MAX) ? int(i) : -1;
    }
    return -1;
}

// ---- jp2_box_reader ---------------------------------------------------------

void jp2_box_reader::clear()
{
    box_type = 0;
    contents_start = 0;
    contents_end = 0;
    position = 0;
    open_ended = false;
    file = LX_INVALID_HFILE;
    bytes = nullptr;
    parent = nullptr;
}

void jp2_box_reader::hand_back()
{
    if (parent) {
        parent->file = file;
        parent->bytes = bytes;
    }
}

bool jp2_box_reader::open(LX_HFILE f)
{
    clear();
    file = f;
    return open_header();
}

bool jp2_box_reader::open(CLxByteArray* b)
{
    clear();
    bytes = b;
    return open_header();
}

bool jp2_box_reader::open_sub(jp2_box_reader* p)
{
    clear();
    if (!p || !p->is_open() || p->position > p->contents_end || p->contents_end - p->position < 8)
        return false;
    parent = p;
    file = p->file;
    bytes = p->bytes;
    p->file = LX_INVALID_HFILE;
    p->bytes = nullptr;
    return open_header();
}

bool jp2_box_reader::open_header()
{
    const uint64_t parentPosition = parent ? parent->position : 0;
    box_type = 1; // reading allowed while the header is read
    contents_start = 0;
    contents_end = open_end;
    position = 0;
    open_ended = true;

    // A header that the stream cannot hold only ends the box sequence; the
    // parent gets its stream back, positioned after what was consumed.
    auto closeQuietly = [&]() {
        if (parent)
            parent->position = parentPosition + position;
        hand_back();
        clear();
        return false;
    };
    auto fail = [&](const char* text) {
        if (parent)
            parent->position = parentPosition + position;
        hand_back();
        clear();
        LX_RaiseJp2Error(text);
    };

    uint32_t lbox = 0, tbox = 0;
    if (!read_u32(lbox) || !read_u32(tbox) || tbox == 0)
        return closeQuietly();
    uint64_t length = 0;
    bool known = false;
    if (lbox == 1) {
        // The extended length must lie inside the parent too.
        if (parent && parent->contents_end - parentPosition < 16)
            fail(kSubBoxTooLong);
        uint32_t hi = 0, lo = 0;
        if (!read_u32(hi) || !read_u32(lo))
            return closeQuietly();
        if (hi == 0 && lo < 16)
            fail(kIllegalExtended);
        if (hi < 0x7FFFFFFF && lo < 0xFFFFFFFF) {
            length = ((uint64_t(hi) << 32) | lo) - 16;
            known = true;
        }
    } else if (lbox != 0) {
        if (lbox < 8)
            fail(kIllegalLength);
        if (lbox < 0xFFFFFFFF) {
            length = lbox - 8;
            known = true;
        }
    }

    const uint64_t headerBytes = position;
    if (parent) {
        contents_start = parentPosition + headerBytes;
    } else if (!jp2_io::position(file, bytes, contents_start)) {
        return closeQuietly();
    }
    position = contents_start;
    box_type = tbox;
    open_ended = true;
    contents_end = open_end;
    if (known && contents_start <= open_end && length <= open_end - contents_start) {
        contents_end = contents_start + length;
        open_ended = false;
    }
    if (parent) {
        if (open_ended)
            contents_end = parent->contents_end; // never runs past its parent
        else if (contents_end > parent->contents_end)
            fail(kSubBoxTooLong);
    }
    return true;
}

int32_t jp2_box_reader::read(void* buffer, int32_t count)
{
    if (box_type == 0)
        LX_RaiseJp2Error(kReadClosed);
    if (count <= 0 || position >= contents_end)
        return 0;
    if (uint64_t(count) > contents_end - position)
        count = int32_t(contents_end - position);
    const uint32_t done = jp2_io::read(file, bytes, buffer, uint32_t(count));
    position += done;
    return int32_t(done);
}

bool jp2_box_reader::read_u32(uint32_t& value)
{
    uint8_t b[4];
    if (read(b, 4) != 4)
        return false;
    value = jp2_io::get_u32(b);
    return true;
}

bool jp2_box_reader::read_u16(uint16_t& value)
{
    uint8_t b[2];
    if (read(b, 2) != 2)
        return false;
    value = uint16_t((b[0] << 8) | b[1]);
    return true;
}

bool jp2_box_reader::read_u8(uint8_t& value)
{
    return read(&value, 1) == 1;
}

void jp2_box_reader::seek(uint64_t target)
{
    if (target < contents_start)
        target = contents_start;
    if (target > contents_end)
        target = contents_end;
    position = target;
    if (!jp2_io::seek(file, bytes, target) && bytes)
        jp2_io::seek(file, bytes, bytes->GetSize() < target ? bytes->GetSize() : target);
}

uint64_t jp2_box_reader::available() const
{
    const uint64_t total = jp2_io::size(file, bytes);
    const uint64_t inStream = total > position ? total - position : 0;
    const uint64_t left = remaining();
    return inStream < left ? inStream : left;
}

bool jp2_box_reader::close()
{
    if (!is_open())
        return true;
    if (open_ended) {
        jp2_box_reader* p = parent;
        if (p)
            p->position = contents_end;
        hand_back();
        clear();
        if (p && p->is_open()) {
            // An open-ended box ends its enclosing box too.
            if (p->position < p->contents_end && !p->open_ended)
                p->seek(p->contents_end);
            p->position = p->contents_end;
            return p->close();
        }
        return true;
    }
    bool complete = true;
    if (position < contents_end) {
        seek(contents_end);
        complete = false;
    }
    if (parent)
        parent->position = contents_end;
    hand_back();
    clear();
    return complete;
}

// ---- jp2_box_writer ---------------------------------------------------------

jp2_box_writer::~jp2_box_writer()
{
    CLxAlloc::Free(buffer);
}

void jp2_box_writer::reset()
{
    if (buffer)
        CLxAlloc::Free(buffer);
    box_type = 0;
    write_through = false;
    file = LX_INVALID_HFILE;
    bytes = nullptr;
    header_position = 0;
    parent = nullptr;
    buffer_capacity = 0;
    buffered = 0;
    expected_length = 0;
    buffer = nullptr;
    failed = false;
    extended_header = false;
}

bool jp2_box_writer::output(const void* data, uint32_t count)
{
    if (parent)
        return parent->write(data, count);
    return jp2_io::write(file, bytes, data, count);
}

bool jp2_box_writer::write(const void* data, uint32_t count)
{
    if (!is_open() || failed)
        return false;
    if (write_through) {
        if (!output(data, count)) {
            failed = true;
            LX_RaiseJp2Error(kWriteFailed, LX_JP2_E_WRITE_THROUGH);
        }
        return true;
    }
    const int64_t needed = int64_t(buffered) + count;
    if (needed > INT32_MAX) {
        failed = true;
        return false;
    }
    if (needed > buffer_capacity) {
        int64_t capacity = int64_t(buffer_capacity) + count + 1024;
        if (capacity > INT32_MAX)
            capacity = needed;
        uint8_t* grown = static_cast<uint8_t*>(CLxAlloc::Alloc(0, size_t(capacity)));
        if (!grown) {
            failed = true;
            return false;
        }
        if (buffered)
            memcpy(grown, buffer, size_t(buffered));
        CLxAlloc::Free(buffer);
        buffer = grown;
        buffer_capacity = int32_t(capacity);
    }
    if (count)
        memcpy(buffer + buffered, data, count);
    buffered = int32_t(needed);
    return true;
}

bool jp2_box_writer::write_u32(uint32_t value)
{
    uint8_t b[4];
    jp2_io::put_u32(b, value);
    return write(b, 4);
}

bool jp2_box_writer::write_u16(uint16_t value)
{
    const uint8_t b[2] = {uint8_t(value >> 8), uint8_t(value)};
    return write(b, 2);
}

bool jp2_box_writer::write_u8(uint8_t value)
{
    return write(&value, 1);
}

bool jp2_box_writer::write_header()
{
    if (!is_open() || failed)
        return false;
    uint8_t header[16];
    if (!write_through) {
        jp2_io::put_u32(header, uint32_t(buffered) + 8);
        jp2_io::put_u32(header + 4, box_type);
        if (!output(header, 8)) {
            failed = true;
            return false;
        }
        return true;
    }
    if (!parent && !jp2_io::position(file, bytes, header_position))
        header_position = ~uint64_t(0);
    extended_header = box_type == jp2_codestream_4cc && expected_length > jp2_extended_threshold;
    jp2_io::put_u32(header, extended_header ? 1 : 0);
    jp2_io::put_u32(header + 4, box_type);
    memset(header + 8, 0, 8);
    return write(header, extended_header ? 16 : 8);
}

bool jp2_box_writer::close()
{
    if (!is_open())
        return true;
    if (!write_through) {
        if (!failed && write_header() && buffered && !output(buffer, uint32_t(buffered)))
            failed = true;
        CLxAlloc::Free(buffer);
        buffer = nullptr;
        buffer_capacity = 0;
        buffered = 0;
    } else if (!parent && !failed) {
        uint64_t end = 0;
        if (header_position == ~uint64_t(0) || !jp2_io::position(file, bytes, end) ||
            end < header_position) {
            failed = true;
        } else {
            const uint64_t length = end - header_position;
            if (!extended_header && length > 0xFFFFFFFFull) {
                // LBox 0 stays: the box runs to the end of the file.
                box_type = 0;
                failed = true;
                LX_RaiseJp2Error(kCodestreamTooLong);
            }
            uint8_t word[8];
            bool ok;
            if (extended_header) {
                // LBox stays 1; the real length goes to XLBox.
                jp2_io::put_u32(word, uint32_t(length >> 32));
                jp2_io::put_u32(word + 4, uint32_t(length));
                ok = jp2_io::seek(file, bytes, header_position + 8) &&
                     jp2_io::write(file, bytes, word, 8);
            } else {
                jp2_io::put_u32(word, uint32_t(length));
                ok = jp2_io::seek(file, bytes, header_position) &&
                     jp2_io::write(file, bytes, word, 4);
            }
            if (!jp2_io::seek(file, bytes, end) || !ok)
                failed = true;
        }
    }
    box_type = 0;
    return !failed;
}
