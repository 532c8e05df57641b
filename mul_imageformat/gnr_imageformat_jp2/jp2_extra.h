// The program's own metadata boxes of a JPEG 2000 document and the box map.
//
// After the codestream boxes a document holds "xml " and "uuid" boxes whose
// meaning is told by an own four-character code, and last a box map: a
// "uuid" box listing every box with its type, own code and file offset,
// whose last 40 bytes (the magic and the payload length N) are the last 40
// bytes of the file:
//   LBox = 68 + 16 C, "uuid", the map identifier (16 bytes), C (u32 BE),
//   C x {box type u32 BE, own code u32 BE, offset u64 little-endian},
//   "VELTMARSHOPTRONICA QX BOX MAP 00", N = 44 + 16 C (u64 little-endian).
//
// Own XML texts are UTF-8 and begin with a fixed 58-byte generator comment;
// they are built and recognised only through the functions below.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gnr_system/string/LxString.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_box.h"
#include "w32_system/LxTypes.h"

class CLxByteArray;
class CLxVariant;

// ---- Own codes -----------------------------------------------------------------

constexpr uint32_t jp2_own_artt = LX_JP2_CODE("ARTT"); // advanced image attributes
constexpr uint32_t jp2_own_acal = LX_JP2_CODE("ACAL"); // document calibration, old form
constexpr uint32_t jp2_own_vcal = LX_JP2_CODE("VCAL"); // calibration of one frame
constexpr uint32_t jp2_own_srob = LX_JP2_CODE("SROB"); // report objects of the document
constexpr uint32_t jp2_own_vrob = LX_JP2_CODE("VROB"); // report objects of one frame
constexpr uint32_t jp2_own_aim1 = LX_JP2_CODE("AIM1"); // experiment, current form
constexpr uint32_t jp2_own_aimd = LX_JP2_CODE("AIMD"); // experiment, old form
constexpr uint32_t jp2_own_vimd = LX_JP2_CODE("VIMD"); // picture metadata of one frame
constexpr uint32_t jp2_own_tinf = LX_JP2_CODE("TINF"); // text information
constexpr uint32_t jp2_own_ieve = LX_JP2_CODE("IEVE"); // experiment events
constexpr uint32_t jp2_own_scdv = LX_JP2_CODE("SCDV"); // custom data variant
constexpr uint32_t jp2_own_vcdv = LX_JP2_CODE("VCDV"); // frame-bound custom data variant
constexpr uint32_t jp2_own_xunk = LX_JP2_CODE("XUNK"); // foreign XML box, copied
constexpr uint32_t jp2_own_scdb = LX_JP2_CODE("SCDB"); // custom binary block
constexpr uint32_t jp2_own_vcdb = LX_JP2_CODE("VCDB"); // frame-bound custom binary block
constexpr uint32_t jp2_own_binl = LX_JP2_CODE("BINL"); // image binary data
constexpr uint32_t jp2_own_uunk = LX_JP2_CODE("UUNK"); // foreign UUID box, copied
constexpr uint32_t jp2_own_pmap = LX_JP2_CODE("PMAP"); // the box map
constexpr uint32_t jp2_own_lunk = LX_JP2_CODE("LUNK"); // standard boxes in the map

// UUID box identifiers.
extern const uint8_t jp2_uuid_scdb[16];
extern const uint8_t jp2_uuid_vcdb[16];
extern const uint8_t jp2_uuid_binl[16];
extern const uint8_t jp2_uuid_pmap[16];

// The generator comment (58 bytes, no terminator) and the map magic (32).
constexpr size_t jp2_generator_comment_size = 58;
extern const char jp2_generator_comment[jp2_generator_comment_size + 1];
constexpr size_t jp2_box_map_magic_size = 32;
extern const char jp2_box_map_magic[jp2_box_map_magic_size + 1];

// ---- The box map -----------------------------------------------------------------

// Reads the box map at the end of a file. 0 with a new map (free it with
// LX_FreeJp2PositionsInfo), or 0 with none when the file cannot be opened;
// -9 when the end record, the box or an entry is missing or wrong; a failed
// seek gives the file API's status. *map is null unless a map was read.
int LX_ReadJp2BoxMap(const char16_t* path, SLxJP2PositionsInfo** map);
// The same over an open file or a byte array (the stream's position moves).
int LX_ReadJp2BoxMapFrom(LX_HFILE file, CLxByteArray* bytes, SLxJP2PositionsInfo** map);
// A new empty map (null when memory runs out), and its release (null allowed).
SLxJP2PositionsInfo* LX_NewJp2PositionsInfo();
void LX_FreeJp2PositionsInfo(SLxJP2PositionsInfo* map);
// find_box_entry under its map name.
int LX_FindJp2BoxPosition(const SLxJP2PositionsInfo* map, uint32_t boxType, uint32_t ownCode,
                          int start);
// Room for n more entries: grows by max(10, n) when needed. False for a null
// map or when memory runs out (the map is then emptied).
bool ensure_free_positions_info(SLxJP2PositionsInfo* map, uint32_t n);
// Reserves and fills one entry and counts it. False when the map cannot grow.
bool jp2_add_position(SLxJP2PositionsInfo* map, uint32_t boxType, uint32_t ownCode,
                      uint64_t offset);

// One own box to append: its type ("xml " or "uuid"), its own code, its
// contents (a "uuid" box's contents begin with its identifier).
struct SLxJP2OwnBox {
    uint32_t uiBoxType;
    uint32_t uiOwnCode;
    const uint8_t* pData;
    uint64_t uiSize;
};

// Appends the boxes at the end of the stream, each recorded in the map (may
// be null), then, with writeMap, the box map of every entry (its own entry
// included). 0, -4 bad arguments, -9 when a write fails or the map cannot
// grow.
int LX_AppendJp2OwnBoxes(LX_HFILE file, CLxByteArray* bytes, const SLxJP2OwnBox* boxes,
                         size_t count, SLxJP2PositionsInfo* map, bool writeMap);
int LX_AppendJp2OwnBoxes(const char16_t* path, const SLxJP2OwnBox* boxes, size_t count,
                         SLxJP2PositionsInfo* map, bool writeMap);

// ---- Whole-file edits --------------------------------------------------------------

// Cuts the file before its first top-level "xml " or "uuid" box. A last
// "jp2c" box left open-ended by a writer that stopped (LBox 0, or LBox 1
// with the XLBox placeholder 0) is first given its real length, so that new
// boxes land after it. *lastCodestreamComplete (may be null) tells whether
// the last "jp2c" box lies inside the file and ends with EOC (FF D9).
// 0; -1 the file cannot be opened for reading and writing; -9 (untouched)
// a file that does not begin with the signature and "ftyp" boxes, or a box
// structure that cannot be walked.
int LX_TruncateJp2Metadata(const char16_t* path, bool* lastCodestreamComplete = nullptr);
// Writes the capture resolution (grid points per metre) over the first
// "resc" box inside "jp2h"/"res " (or the first sub-box of a "res " box
// without one, when it has the size of a "resc" box). 0, also when there is
// no "res " box (traced); -1 the file cannot be opened; -9 a file that does
// not begin with the signature and "ftyp", a malformed structure, a place
// of another size, or a value that cannot be coded.
int LX_WriteJp2CaptureResolution(const char16_t* path, double value);

// The experiment variant of a reader or writer becomes a plain list holding
// the list items "vMetadata" and "vUnknownData"; one that holds both is left
// alone, a missing one is appended as an empty list.
void LX_NormalizeJp2ExperimentVariant(CLxVariant& variant);

// ---- Box streams -------------------------------------------------------------------

// Reads or writes a run of boxes of one type ("xml " or "uuid"). Reading
// goes through the map (from an entry index) or walks the top-level boxes;
// writing appends boxes at the end of the file, each recorded in the map.
// A stream whose opening failed holds no box.
class CLxJP2BoxStream
{
  public:
    explicit CLxJP2BoxStream(uint32_t boxType) : m_boxType(boxType) {}
    ~CLxJP2BoxStream() { Close(); }
    CLxJP2BoxStream(const CLxJP2BoxStream&) = delete;
    CLxJP2BoxStream& operator=(const CLxJP2BoxStream&) = delete;

    // Reading a file: with a map from entry startIndex (clamped to 0), which
    // must be a box of the stream's type; without a map the first such box.
    bool OpenRead(const char16_t* path, const SLxJP2PositionsInfo* map, int startIndex);
    // Reading a byte array (the map's offsets, when given, count in it).
    bool OpenRead(CLxByteArray* bytes, const SLxJP2PositionsInfo* map, int startIndex);
    // Writing: appends the first box (type and own code recorded in the map,
    // which may be null) at the end of the file.
    bool OpenWrite(const char16_t* path, SLxJP2PositionsInfo* map, uint32_t ownCode);
    // Appending boxes to a byte array, without a map.
    bool OpenAppend(CLxByteArray* bytes);

    // Reading: the next box of the type. Writing: closes this box and begins
    // the next with its own code. False when there is none / on failure.
    bool Next();
    bool Next(uint32_t ownCode);
    // Bytes of the current box not yet read; -1 for a box that runs to the
    // end of the file, or no box.
    int64_t Remaining() const;
    // The rest of the current box, as long as all its bytes exist; false
    // otherwise (nothing is allocated for bytes that are not there).
    bool ReadRest(std::vector<uint8_t>& out);
    // Bytes read (at most size), or -1 without a box.
    int32_t Read(void* buffer, uint32_t size);
    // size, or -1 when nothing is open or the write failed.
    int32_t Write(const void* data, uint32_t size);
    // Closes the box (writing: its length is patched) and the file.
    void Close();

    bool IsOpen() const { return m_reader.is_open() || m_writer.is_open(); }
    // File offset of the current box's header.
    uint64_t BoxOffset() const { return m_boxOffset; }

  protected:
    bool OpenReadStream(const SLxJP2PositionsInfo* map, int startIndex);
    bool OpenBoxAt(uint64_t offset);
    bool WalkToNext();
    bool BeginWriteBox(uint32_t ownCode);

    uint32_t m_boxType;
    bool m_ownsFile = false;
    LX_HFILE m_file = LX_INVALID_HFILE;
    CLxByteArray* m_bytes = nullptr;
    const SLxJP2PositionsInfo* m_readMap = nullptr;
    SLxJP2PositionsInfo* m_writeMap = nullptr;
    jp2_box_reader m_reader;
    jp2_box_writer m_writer;
    uint64_t m_boxOffset = 0;
    bool m_idDone = false; // the identifier of the current "uuid" box
};

// "xml " boxes.
class CLxJP2XMLStream : public CLxJP2BoxStream
{
  public:
    CLxJP2XMLStream() : CLxJP2BoxStream(jp2_xml_4cc) {}
};

// "uuid" boxes: each box begins with its 16-byte identifier.
class CLxJP2UUIDStream : public CLxJP2BoxStream
{
  public:
    CLxJP2UUIDStream() : CLxJP2BoxStream(jp2_uuid_4cc) {}
    // On the first read of a box its identifier goes to id, then data
    // follow. Bytes of data read, or -1 (also when the box is shorter than
    // an identifier).
    int32_t Read(uint8_t (&id)[16], void* buffer, uint32_t size);
    // On the first write to a box the identifier is written first.
    int32_t Write(const uint8_t (&id)[16], const void* data, uint32_t size);
    // 4 bytes big-endian.
    int32_t WriteUint32(const uint8_t (&id)[16], uint32_t value);
    // The identifier and the rest of the current box (see ReadRest).
    bool ReadBox(uint8_t (&id)[16], std::vector<uint8_t>& data);
};

// ---- Own box texts -----------------------------------------------------------------

// Builders: the whole UTF-8 text of one own XML box (comment, CR LF, root).
CLxStringA LX_Jp2TextAdvancedAttributes(uint32_t significantBits, uint32_t virtualComponents);
CLxStringA LX_Jp2TextCalibration(double calibration, double aspect);
CLxStringA LX_Jp2TextCalibrationSeq(uint32_t index, double calibration, double aspect, bool valid,
                                    const CLxStringW& objective);
// The stored report-objects text (whose root is "<ReportObjects ").
CLxStringA LX_Jp2TextReportObjects(const CLxStringA& reportObjects);
CLxStringA LX_Jp2TextReportObjectsSeq(uint32_t index, const CLxStringA& reportObjects);
CLxStringA LX_Jp2TextExperiment(const CLxVariant& experiment);    // AIM1
CLxStringA LX_Jp2TextExperimentOld(const CLxVariant& experiment); // AIMD
CLxStringA LX_Jp2TextPictureMetadata(uint32_t index, const CLxVariant& metadata);
// count and version as stored; texts: 14 items (missing ones empty).
CLxStringA LX_Jp2TextTextInfo(int count, double version, const CLxStringW* texts, size_t n);
CLxStringA LX_Jp2TextEvents(const CLxVariant& events);
// Names hold no blank and no markup; false (empty text) otherwise.
bool LX_Jp2TextCustomData(const CLxStringW& name, const CLxVariant& data, CLxStringA& text);
bool LX_Jp2TextCustomDataSeq(const CLxStringW& name, uint32_t index, const CLxVariant& data,
                             CLxStringA& text);

// Contents of own "uuid" boxes (identifier first).
void LX_Jp2UuidCustomBinary(const CLxStringW& name, const uint8_t* data, size_t size,
                            std::vector<uint8_t>& out);
void LX_Jp2UuidCustomBinarySeq(const CLxStringW& name, uint32_t index, const uint8_t* data,
                               size_t size, std::vector<uint8_t>& out);
void LX_Jp2UuidImageBinary(const uint8_t* data, size_t size, std::vector<uint8_t>& out);

// What a recognised own XML text is.
struct SLxJP2OwnText {
    uint32_t uiCode = 0;     // own code; 0 when not an own record
    uint32_t uiIndex = 0;    // frame index of VCAL, VROB, VIMD, VCDV
    bool bIndexFound = true; // false when the frame attribute was missing
    CLxStringW wsName;       // name of SCDV and VCDV
    size_t uiInner = 0;      // inner text: the variant XML, or the root
    size_t uiInnerSize = 0;  // element for TINF, ACAL and SROB
};

// Recognises the own records by their root (not SCDV and VCDV, which are
// known by their code). Trailing white space and zero bytes after the
// closing tag are allowed, anything else is not.
SLxJP2OwnText LX_Jp2RecogniseText(const uint8_t* text, size_t size);
// The custom data texts; uiCode stays 0 when the text is not one.
SLxJP2OwnText LX_Jp2RecogniseCustomData(const uint8_t* text, size_t size);
SLxJP2OwnText LX_Jp2RecogniseCustomDataSeq(const uint8_t* text, size_t size);

// The parts of custom binary boxes (contents after the identifier); false
// when the name has no terminating zero or the frame index is cut.
bool LX_Jp2ParseCustomBinary(const uint8_t* data, size_t size, CLxStringW& name,
                             size_t& dataOffset);
bool LX_Jp2ParseCustomBinarySeq(const uint8_t* data, size_t size, CLxStringW& name, uint32_t& index,
                                size_t& dataOffset);
