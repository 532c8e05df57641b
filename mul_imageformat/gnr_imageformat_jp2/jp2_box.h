// The JP2 box layer: one box read from or written to a file of the file API,
// a CLxByteArray, or an open parent box.
//
// A box is LBox (u32 big-endian), TBox (u32), XLBox (u64, when LBox is 1)
// and its contents. Four-character codes are 32-bit numbers with the first
// character in the most significant byte ("jp2c" is 0x6A703263).
//
// Malformed structure throws CLxJP2ErrorException (-9) with the texts below;
// a stream that ends inside a header only leaves the box closed (type 0). A
// failed straight-through write throws "Failed to write to the file." with
// -1107; a failed buffered write only makes close() false.
#pragma once

#include <cstdint>

#include "w32_system/LxTypes.h"

class CLxByteArray;

constexpr uint32_t LX_JP2_CODE(const char (&text)[5])
{
    return (uint32_t(uint8_t(text[0])) << 24) | (uint32_t(uint8_t(text[1])) << 16) |
           (uint32_t(uint8_t(text[2])) << 8) | uint32_t(uint8_t(text[3]));
}

// Standard boxes.
constexpr uint32_t jp2_signature_4cc = LX_JP2_CODE("jP  ");
constexpr uint32_t jp2_file_type_4cc = LX_JP2_CODE("ftyp");
constexpr uint32_t jp2_header_4cc = LX_JP2_CODE("jp2h");
constexpr uint32_t jp2_image_header_4cc = LX_JP2_CODE("ihdr");
constexpr uint32_t jp2_bits_per_component_4cc = LX_JP2_CODE("bpcc");
constexpr uint32_t jp2_colour_4cc = LX_JP2_CODE("colr");
constexpr uint32_t jp2_palette_4cc = LX_JP2_CODE("pclr");
constexpr uint32_t jp2_component_mapping_4cc = LX_JP2_CODE("cmap");
constexpr uint32_t jp2_channel_definition_4cc = LX_JP2_CODE("cdef");
constexpr uint32_t jp2_resolution_4cc = LX_JP2_CODE("res ");
constexpr uint32_t jp2_capture_resolution_4cc = LX_JP2_CODE("resc");
constexpr uint32_t jp2_display_resolution_4cc = LX_JP2_CODE("resd");
constexpr uint32_t jp2_xml_4cc = LX_JP2_CODE("xml ");
constexpr uint32_t jp2_codestream_4cc = LX_JP2_CODE("jp2c");
constexpr uint32_t jp2_uuid_4cc = LX_JP2_CODE("uuid");
constexpr uint32_t jp2_brand = LX_JP2_CODE("jp2 ");
constexpr uint32_t jp2_signature_word = 0x0D0A870A;

// ICC profile codes of the colour ("colr") box.
constexpr uint32_t icc_input_device = LX_JP2_CODE("scnr");
constexpr uint32_t icc_gray_space = LX_JP2_CODE("GRAY");
constexpr uint32_t icc_rgb_space = LX_JP2_CODE("RGB ");
constexpr uint32_t icc_xyz_space = LX_JP2_CODE("XYZ ");
constexpr uint32_t icc_profile_signature = LX_JP2_CODE("acsp");
constexpr uint32_t icc_gray_trc = LX_JP2_CODE("kTRC");
constexpr uint32_t icc_red_trc = LX_JP2_CODE("rTRC");
constexpr uint32_t icc_green_trc = LX_JP2_CODE("gTRC");
constexpr uint32_t icc_blue_trc = LX_JP2_CODE("bTRC");
constexpr uint32_t icc_red_colorant = LX_JP2_CODE("rXYZ");
constexpr uint32_t icc_green_colorant = LX_JP2_CODE("gXYZ");
constexpr uint32_t icc_blue_colorant = LX_JP2_CODE("bXYZ");
constexpr uint32_t icc_curve_type = LX_JP2_CODE("curv");
constexpr uint32_t icc_xyz_type = LX_JP2_CODE("XYZ ");

// One entry of the box list (the box map in memory): 16 bytes.
struct SLxJP2BoxPosition {
    uint32_t uiBoxType;
    uint32_t uiOwnCode;
    uint64_t uiOffset; // file offset of the box header
};

// The box list: entries allocated on the private heap.
struct SLxJP2PositionsInfo {
    SLxJP2BoxPosition* pEntries;
    uint32_t uiCount;          // entries in use
    uint32_t uiCountAllocated; // entries allocated
};

// The index of the first entry at or after max(start, 0) with that box type
// and own code; -1 when there is none or the list is null.
int find_box_entry(const SLxJP2PositionsInfo* list, uint32_t boxType, uint32_t ownCode, int start);

// One box being read. The fields are read directly by the header readers
// (remaining bytes = contents_end - position).
class jp2_box_reader
{
  public:
    static constexpr uint64_t open_end = 0x7FFFFFFFFFFFFFFFull;

    jp2_box_reader() { clear(); }
    jp2_box_reader(const jp2_box_reader&) = delete;
    jp2_box_reader& operator=(const jp2_box_reader&) = delete;

    // Reads the header of the box at the current position of the file or
    // byte array (its current offset). Afterwards box_type is 0 when no box
    // could be opened. Returns whether a box is open.
    bool open(LX_HFILE file);
    bool open(CLxByteArray* bytes);
    // The same inside an open parent, at the parent's position; the sub-box
    // takes the parent's stream until it is closed.
    bool open_sub(jp2_box_reader* parent);

    // Reads at most count bytes, never past the contents end; the bytes read.
    int32_t read(void* buffer, int32_t count);
    // One big-endian word; false when fewer bytes could be read.
    bool read_u32(uint32_t& value);
    bool read_u16(uint16_t& value);
    bool read_u8(uint8_t& value);
    // Moves to an absolute position, held within the contents.
    void seek(uint64_t position);
    // True when the contents had been read to their end (or the box was
    // open-ended or not open); false when unread contents were skipped.
    bool close();

    bool is_open() const { return box_type != 0; }
    // Contents bytes not yet read (for an open-ended box: up to its nominal
    // end, which may lie far past the stream).
    uint64_t remaining() const { return contents_end > position ? contents_end - position : 0; }
    // Contents bytes not yet read that really exist in the stream: the bound
    // for anything allocated from a length read out of the box.
    uint64_t available() const;
    LX_HFILE get_file() const { return file; }
    CLxByteArray* get_bytes() const { return bytes; }

    uint32_t box_type;
    uint64_t contents_start;
    uint64_t contents_end;
    uint64_t position;
    bool open_ended;
    LX_HFILE file;
    CLxByteArray* bytes;
    jp2_box_reader* parent;

  private:
    void clear();
    bool open_header();
    void hand_back();
};

// One box being written: buffered (written whole at close, exact length) or
// straight through (header at once, length patched at close).
class jp2_box_writer
{
  public:
    jp2_box_writer() { reset(); }
    ~jp2_box_writer();
    jp2_box_writer(const jp2_box_writer&) = delete;
    jp2_box_writer& operator=(const jp2_box_writer&) = delete;

    // All fields zero (the buffer freed).
    void reset();
    // Opening is done by the owner: reset, set box_type, write_through, one
    // of file / bytes / parent, and expected_length for "jp2c"; then, when
    // write_through is set, write_header().

    bool write(const void* data, uint32_t count);
    bool write_u32(uint32_t value);
    bool write_u16(uint16_t value);
    bool write_u8(uint8_t value);
    bool write_header();
    // Writes a buffered box, or patches the length of a straight-through box
    // without a parent. True when everything was written. A codestream box
    // whose contents outgrew the ordinary header throws (-9): its length
    // cannot be recorded and the file is not a valid JP2 file.
    bool close();

    bool is_open() const { return box_type != 0; }

    uint32_t box_type;
    bool write_through;
    LX_HFILE file;
    CLxByteArray* bytes;
    uint64_t header_position;
    jp2_box_writer* parent;
    int32_t buffer_capacity;
    int32_t buffered;
    uint64_t expected_length;
    uint8_t* buffer = nullptr;
    bool failed;
    bool extended_header; // the XLBox placeholder was written

  private:
    bool output(const void* data, uint32_t count);
};

// Expected contents length of "jp2c" boxes above which the extended header
// is written.
constexpr uint64_t jp2_extended_threshold = 0x100000000ull;
