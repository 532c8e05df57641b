// A JP2 file as a codestream source for the decoder and as a codestream
// target for the encoder.
//
// The source checks the signature and file type, reads the "jp2h" header
// into the header objects and stands on codestream N: the contents of the
// N-th "jp2c" box are the bytes it serves. The target writes the signature,
// file type and header boxes before the first codestream byte, then each
// codestream into its own "jp2c" box. Both can record the standard boxes in
// a box list (own code "LUNK").
//
// Malformed boxes throw CLxJP2ErrorException (-9); a failed straight-through
// write throws -1107.
#pragma once

#include <cstdint>
#include <memory>

#include "mul_imageformat/gnr_imageformat_jp2/jp2_box.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_header.h"
#include "w32_system/LxTypes.h"

class CLxByteArray;

class jp2_file_source
{
  public:
    jp2_file_source();
    ~jp2_file_source();
    jp2_file_source(const jp2_file_source&) = delete;
    jp2_file_source& operator=(const jp2_file_source&) = delete;

    // Opens codestream n of the file. With a list and record set (and the
    // list still empty) the standard boxes are entered into it; with a list
    // and record clear the list finds codestream n. False (no state left)
    // when the file is not a JP2 file or has no codestream n.
    bool open(const char16_t* path, int codestream, SLxJP2PositionsInfo* list = nullptr,
              bool record = false);
    // The same over a JP2 file held in memory, without a list.
    bool open(CLxByteArray* bytes, int codestream);
    bool is_open() const { return m_state != nullptr; }

    jp2_dimensions* access_dimensions();
    jp2_colour* access_colour();
    jp2_palette_info* access_palette();
    jp2_channels* access_channels();
    jp2_resolution_info* access_resolution();

    // The codec's operations.
    void close();
    int capabilities() const; // 3: sequential reading and seeking
    // Bytes of the codestream read (at most count).
    int32_t read(uint8_t* buffer, int32_t count);
    // To origin + offset, held within the codestream; false when closed.
    bool seek(int64_t offset);
    bool set_origin(int64_t origin);
    // The stream's position, less the origin unless absolute.
    int64_t get_pos(bool absolute) const;

    // Where the codestream's contents lie in the file.
    uint64_t codestream_start() const;
    uint64_t codestream_end() const; // 0x7FFFFFFFFFFFFFFF for LBox 0
    // Bytes of the codestream that exist in the stream (an open-ended box
    // runs to the end of the file).
    uint64_t codestream_length() const;

  private:
    struct State;
    bool walk(int codestream, SLxJP2PositionsInfo* list, bool record);
    std::unique_ptr<State> m_state;
};

class jp2_file_target
{
  public:
    jp2_file_target();
    ~jp2_file_target();
    jp2_file_target(const jp2_file_target&) = delete;
    jp2_file_target& operator=(const jp2_file_target&) = delete;

    // Creates or replaces the file; throws "Unable to open output file.".
    void open(const char16_t* path, SLxJP2PositionsInfo* list = nullptr);
    // Writes into the array from offset 0.
    void open(CLxByteArray* bytes);
    // Goes on writing codestream boxes at the end of an existing file whose
    // header boxes are in (after frames were cut off); throws as open.
    void open_append(const char16_t* path, SLxJP2PositionsInfo* list);
    bool is_open() const { return m_state != nullptr; }

    jp2_dimensions* access_dimensions();
    jp2_colour* access_colour();
    jp2_palette_info* access_palette();
    jp2_channels* access_channels();
    jp2_resolution_info* access_resolution();

    // Codestream boxes are written straight through (length patched at
    // their close) rather than buffered.
    void set_write_through(bool on) { m_writeThrough = on; }
    // Closes the current "jp2c" box and opens the next. False before the
    // first codestream byte or when the box cannot be closed.
    bool next_codestream();
    LX_HFILE get_file() const;

    // The codec's operations. The first write writes the file header.
    bool write(const uint8_t* data, int32_t count);
    // Writes or patches the last box and closes the file. False when a
    // buffered box could not be written.
    bool close();

    // The expected contents length of a codestream box of these dimensions:
    // the raw samples with room for incompressible data.
    static uint64_t expected_codestream_length(const jp2_dimensions& dims);

  private:
    struct State;
    bool write_file_header();
    bool open_codestream_box();
    void record(uint32_t boxType, uint64_t offset);

    std::unique_ptr<State> m_state;
    bool m_writeThrough = false;
    SLxJP2PositionsInfo* m_list = nullptr;
};
