// Opening a JPEG 2000 document: codestreams, box map or box walk, side
// file, custom binary data, and the repair of a file a writer left behind.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_system/string/LxStringUtils.h"
#include "mul_imageformat/LxImageFormat.h"
#include "mul_imageformat/gnr_imageformat_jp2/codec/jp2_codec.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_box_walk.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_extra.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_file.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_header.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_input_file.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_io.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_region_decompressor.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_unknowndata.h"
#include "w32_system/LxFileAPI.h"
#include "w32_system/debugging/LxDiag.h"

namespace
{

const char kInvalidFile[] = "Invalid file";

[[noreturn]] void Invalid()
{
    throw CLxJP2ErrorException(kInvalidFile, -9);
}

// The top-level boxes of a JP2 file: where each begins and its type.
struct TopBox {
    uint32_t type;
    uint64_t offset;
    uint64_t contentsStart;
    uint64_t contentsEnd; // within the file
};

std::vector<TopBox> WalkTopBoxes(LX_HFILE file)
{
    std::vector<TopBox> boxes;
    uint64_t size = 0;
    LX_GetFileSize(file, &size);
    uint64_t at = 0;
    while (at < size && boxes.size() < 1000000) {
        if (!jp2_io::seek(file, nullptr, at))
            break;
        jp2_box_reader box;
        try {
            if (!box.open(file))
                break;
        } catch (const CLxJP2ErrorException&) {
            break;
        }
        TopBox b{box.box_type, at, box.contents_start, std::min<uint64_t>(box.contents_end, size)};
        boxes.push_back(b);
        if (box.open_ended || box.contents_end >= size || box.contents_end <= at)
            break;
        at = box.contents_end;
        box.close();
    }
    return boxes;
}

bool EndsWithEoc(LX_HFILE file, const TopBox& box)
{
    if (box.contentsEnd < box.contentsStart + 2 ||
        !jp2_io::seek(file, nullptr, box.contentsEnd - 2))
        return false;
    uint8_t eoc[2] = {};
    return jp2_io::read(file, nullptr, eoc, 2) == 2 && eoc[0] == 0xFF && eoc[1] == 0xD9;
}

// Exclusive advisory lock held while a reader repairs a file; a writer at
// work holds one too.
class FileLock
{
  public:
    explicit FileLock(const CLxStringW& path)
    {
        CLxStringA narrow;
        if (!CLxStringUtils::WtoUTF8(path.GetString(), narrow))
            return;
        m_fd = ::open(narrow.GetString(), O_RDWR | O_CLOEXEC);
        if (m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~FileLock()
    {
        if (m_fd >= 0) {
            ::flock(m_fd, LOCK_UN);
            ::close(m_fd);
        }
    }
    bool Held() const { return m_fd >= 0; }

  private:
    int m_fd = -1;
};

} // namespace

CLxJP2InputFile::CLxJP2InputFile(ILxImageFormat* format, const char16_t* path)
    : m_format(format), m_path(path ? path : u"")
{
    if (m_format)
        m_format->GetClass()->AddRef();
    try {
        OpenPath();
    } catch (...) {
        if (m_map)
            LX_FreeJp2PositionsInfo(m_map);
        m_map = nullptr;
        if (m_format)
            m_format->GetClass()->Release();
        throw;
    }
}

CLxJP2InputFile::CLxJP2InputFile(ILxImageFormat* format, CLxByteArray* bytes)
    : m_format(format), m_bytes(bytes)
{
    if (m_format)
        m_format->GetClass()->AddRef();
    try {
        OpenBytes();
    } catch (...) {
        if (m_format)
            m_format->GetClass()->Release();
        throw;
    }
}

CLxJP2InputFile::~CLxJP2InputFile()
{
    if (m_map)
        LX_FreeJp2PositionsInfo(m_map);
    if (m_unknown)
        m_unknown->Release();
    if (m_format)
        m_format->GetClass()->Release();
}

void CLxJP2InputFile::ReadCodestreamFacts(jp2_file_source& source)
{
    jp2_decoder decoder;
    decoder.Open(source, 1);
    const SLxJ2KHeader& h = decoder.Header();
    RegionDecompressor channels;
    channels.SetChannelMapping(&source, h);
    int depth = 0;
    for (uint32_t c = 0; c < channels.GetChannelCount(); ++c)
        depth = std::max(depth, channels.GetChannelDepth(c));
    if (depth < 1 || channels.GetChannelCount() > 64)
        Invalid();
    m_codestreamComponents = channels.GetChannelCount();
    m_attributes.uiWidth = h.Width();
    m_attributes.uiHeight = h.Height();
    m_attributes.uiComp = m_codestreamComponents;
    m_attributes.uiVirtualComponents = m_codestreamComponents;
    m_attributes.uiBpcInMemory = depth <= 8 ? 8 : 16;
    m_attributes.uiBpcSignificant = uint8_t(depth <= 8 ? 8 : std::min(depth, 255));
    const uint64_t tx1 = std::min<uint64_t>(uint64_t(h.uiTileX0) + h.uiTileWidth, h.uiX1);
    const uint64_t ty1 = std::min<uint64_t>(uint64_t(h.uiTileY0) + h.uiTileHeight, h.uiY1);
    m_attributes.uiTileWidth = uint32_t(tx1 - std::max(h.uiTileX0, h.uiX0));
    m_attributes.uiTileHeight = uint32_t(ty1 - std::max(h.uiTileY0, h.uiY0));
    m_attributes.eCompression = LX_COMPRESSION_NONE;
    m_minLevels = h.MaxReduce();
    if (jp2_resolution_info* res = source.access_resolution()) {
        const double calibration = res->get_resolution(false);
        if (calibration != 0.0) {
            LX_DIAG_ASSERT(!(calibration < 0.0), u"m_dCalibration < 0.0");
            m_headerCalibration.dCalibration = calibration;
            const double aspect = res->get_aspect_ratio(false);
            m_headerCalibration.dAspect = aspect > 0.0 ? aspect : 1.0;
            m_headerCalibration.bValid = calibration > 0.0;
            m_calibrationFromHeader = true;
        }
    }
}

void CLxJP2InputFile::OpenPath()
{
    if (LX_ReadJp2BoxMap(m_path.GetString(), &m_map) != 0 && m_map) {
        LX_FreeJp2PositionsInfo(m_map);
        m_map = nullptr;
    }
    bool lastIncomplete = false;
    jp2_file_source source;
    if (m_map) {
        for (uint32_t i = 0; i < m_map->uiCount; ++i)
            m_codestreamCount += m_map->pEntries[i].uiBoxType == jp2_codestream_4cc;
        if (m_codestreamCount == 0 || !source.open(m_path.GetString(), 0, m_map, false))
            Invalid();
    } else {
        if (!source.open(m_path.GetString(), 0))
            Invalid();
        m_codestreamCount = CountCodestreamsByWalking(lastIncomplete);
        if (m_codestreamCount == 0)
            Invalid();
    }
    ReadCodestreamFacts(source);
    source.close();

    if (!m_map)
        ReadAllXmlBoxes();
    const bool sideFile = ReadSideFile();
    if (m_map && !sideFile) {
        const int artt = LX_FindJp2BoxPosition(m_map, jp2_xml_4cc, jp2_own_artt, 0);
        if (artt >= 0)
            ReadXmlBoxAt(artt);
    }
    ReadUuidBoxes();
    FinishFrameCount();
    m_opening = false;
    m_boxesRead = 0;
    RepairOrRecord(sideFile, lastIncomplete);
}

void CLxJP2InputFile::OpenBytes()
{
    if (!m_bytes)
        Invalid();
    jp2_file_source source;
    if (!source.open(m_bytes, 0))
        Invalid();
    ReadCodestreamFacts(source);
    source.close();
    jp2_file_source next;
    m_codestreamCount = 1;
    while (m_codestreamCount < 0x7FFFFFFF && next.open(m_bytes, int(m_codestreamCount)))
        ++m_codestreamCount;
    next.close();
    CLxJP2XMLStream xml;
    if (xml.OpenRead(m_bytes, nullptr, 0)) {
        CLxJP2BoxWalk walk(xml);
        do {
            std::vector<uint8_t> text;
            if (xml.ReadRest(text))
                ReadRecord(text.data(), text.size());
        } while (walk.Next());
    }
    FinishFrameCount();
    m_opening = false;
    m_boxesRead = 0;
}

// The run of "jp2c" boxes from the first one; a last codestream without its
// end marker is not counted (a writer stopped inside it).
uint32_t CLxJP2InputFile::CountCodestreamsByWalking(bool& lastIncomplete)
{
    LX_HFILE file = LX_INVALID_HFILE;
    if (LX_OpenFile(m_path.GetString(), LX_FILE_READ, LX_FILE_SHARE_READ | LX_FILE_SHARE_WRITE,
                    LX_INVALID_HFILE, &file) != 0)
        return 0;
    const std::vector<TopBox> boxes = WalkTopBoxes(file);
    uint32_t count = 0;
    size_t last = 0;
    for (size_t i = 0; i < boxes.size(); ++i) {
        if (boxes[i].type != jp2_codestream_4cc) {
            if (count)
                break;
            continue;
        }
        ++count;
        last = i;
    }
    lastIncomplete = count > 0 && !EndsWithEoc(file, boxes[last]);
    LX_CloseFile(file);
    return lastIncomplete ? count - 1 : count;
}

void CLxJP2InputFile::ReadAllXmlBoxes()
{
    CLxJP2XMLStream xml;
    if (!xml.OpenRead(m_path.GetString(), nullptr, 0))
        return;
    CLxJP2BoxWalk walk(xml);
    do {
        std::vector<uint8_t> text;
        if (xml.ReadRest(text))
            ReadRecord(text.data(), text.size());
    } while (walk.Next());
}

bool CLxJP2InputFile::ReadSideFile()
{
    const CLxStringW sidePath = m_path + u".endmeta";
    LX_HFILE file = LX_INVALID_HFILE;
    if (LX_OpenFile(sidePath.GetString(), LX_FILE_READ, LX_FILE_SHARE_READ | LX_FILE_SHARE_WRITE,
                    LX_INVALID_HFILE, &file) != 0)
        return false;
    uint64_t size = 0;
    LX_GetFileSize(file, &size);
    if (size == 0 || size > 0x7FFFFFFF) {
        LX_CloseFile(file);
        Invalid();
    }
    std::vector<uint8_t> bytes(size_t(size) + 1, 0);
    uint32_t read = 0;
    LX_ReadFile(file, bytes.data(), uint32_t(size), &read, nullptr);
    LX_CloseFile(file);
    bytes.resize(read);
    const uint8_t* comment = reinterpret_cast<const uint8_t*>(jp2_generator_comment);
    // A record set again follows its earlier text: the last one counts.
    std::vector<std::pair<size_t, size_t>> texts;
    size_t at = 0;
    while (at < bytes.size()) {
        auto found = std::search(bytes.begin() + long(at), bytes.end(), comment,
                                 comment + jp2_generator_comment_size);
        if (found == bytes.end())
            break;
        const size_t start = size_t(found - bytes.begin());
        size_t end = start;
        while (end < bytes.size() && bytes[end] != 0)
            ++end;
        texts.emplace_back(start, end);
        at = end + 1;
    }
    for (auto t = texts.rbegin(); t != texts.rend(); ++t)
        ReadRecord(bytes.data() + t->first, t->second - t->first);
    m_sideFileUsed = true;
    return true;
}

namespace
{
bool IsOwnUuid(const uint8_t* id)
{
    return !memcmp(id, jp2_uuid_scdb, 16) || !memcmp(id, jp2_uuid_vcdb, 16) ||
           !memcmp(id, jp2_uuid_binl, 16);
}
} // namespace

// One own "uuid" box's data after its identifier.
void CLxJP2InputFile::ReadUuidContents(const uint8_t* id, std::vector<uint8_t>& data)
{
    const bool custom = memcmp(id, jp2_uuid_scdb, 16) == 0;
    const bool binary = memcmp(id, jp2_uuid_binl, 16) == 0;
    if (binary) {
        m_imageBinary = std::move(data);
        m_haveImageBinary = true;
        return;
    }
    CLxStringW name;
    size_t offset = 0;
    uint32_t index = 0;
    const bool ok =
        custom ? LX_Jp2ParseCustomBinary(data.data(), data.size(), name, offset)
               : LX_Jp2ParseCustomBinarySeq(data.data(), data.size(), name, index, offset);
    if (!ok) {
        LX_TRACE(u"CLxStringUtils::UTF8toW failed on %S.", "custom binary name");
        return;
    }
    CLxByteArray& block = custom ? m_binary[name] : m_binarySeq[{name, index}];
    if (data.size() > offset)
        block.SetData(data.data() + offset, uint32_t(data.size() - offset),
                      eLxByteArrayOpAppend, eLxByteArrayAllocExact);
}

// A reader of the frames a writer has written so far, with the writer's
// records in place of the boxes that Close has not written yet. The file
// is only read: its writer holds it.
CLxJP2InputFile::CLxJP2InputFile(ILxImageFormat* format, const char16_t* path,
                                 const std::vector<SLxJP2OwnBox>& writerBoxes)
    : m_format(format), m_path(path ? path : u"")
{
    if (m_format)
        m_format->GetClass()->AddRef();
    try {
        jp2_file_source source;
        if (!source.open(m_path.GetString(), 0))
            Invalid();
        bool lastIncomplete = false;
        m_codestreamCount = CountCodestreamsByWalking(lastIncomplete);
        if (m_codestreamCount == 0)
            Invalid();
        ReadCodestreamFacts(source);
        source.close();
        for (const SLxJP2OwnBox& b : writerBoxes) {
            if (b.uiBoxType == jp2_xml_4cc) {
                ReadRecord(b.pData, size_t(b.uiSize));
                ReadCustomVarText(b.uiOwnCode, b.pData, size_t(b.uiSize));
            } else if (b.uiBoxType == jp2_uuid_4cc && b.uiSize >= 16 && IsOwnUuid(b.pData)) {
                std::vector<uint8_t> data(b.pData + 16, b.pData + b.uiSize);
                ReadUuidContents(b.pData, data);
            }
        }
        FinishFrameCount();
        m_opening = false;
        m_boxesRead = 0;
    } catch (...) {
        if (m_format)
            m_format->GetClass()->Release();
        throw;
    }
}

void CLxJP2InputFile::ReadUuidBoxes()
{
    CLxJP2UUIDStream uuid;
    int start = 0;
    if (m_map) {
        start = -1;
        for (uint32_t i = 0; i < m_map->uiCount && start < 0; ++i)
            if (m_map->pEntries[i].uiBoxType == jp2_uuid_4cc)
                start = int(i);
        if (start < 0)
            return;
    }
    if (!uuid.OpenRead(m_path.GetString(), m_map, start))
        return;
    CLxJP2BoxWalk walk(uuid);
    do {
        // The identifier first: only our own boxes are read whole.
        uint8_t id[16];
        std::vector<uint8_t> data;
        if (uuid.Read(id, nullptr, 0) < 0)
            continue;
        if (!IsOwnUuid(id))
            continue;
        if (!uuid.ReadRest(data))
            continue;
        ReadUuidContents(id, data);
    } while (walk.Next());
}

void CLxJP2InputFile::FinishFrameCount()
{
    const uint32_t v = m_attributes.uiVirtualComponents;
    if (v != m_codestreamComponents && v >= 1 && m_codestreamComponents == 1) {
        m_attributes.uiComp = v;
        m_frameCount = m_codestreamCount / v;
    } else {
        m_attributes.uiVirtualComponents = m_codestreamComponents;
        m_frameCount = m_codestreamCount;
    }
    if (m_frameCount == 0)
        Invalid();
    m_attributes.uiSequenceCount = m_frameCount;
    m_attributes.uiWidthBytes = RowBytes(m_attributes.uiWidth);
}

uint32_t CLxJP2InputFile::RowBytes(uint32_t width) const
{
    return CLxPicBufAPI::CalcWidthBytes(width, m_attributes.uiBpcInMemory, m_attributes.uiComp, 4);
}

// A document left by a writer that stopped, or one without a box map, gets
// its metadata written after its codestreams -- unless it may not be
// written (read-only, or a writer still holds it), when it is only read as
// repaired.
void CLxJP2InputFile::RepairOrRecord(bool sideFile, bool lastIncomplete)
{
    if (m_map && !sideFile)
        return;
    if (sideFile) {
        if (!RepairExperimentRecord())
            return;
    }
    const uint32_t keep = m_frameCount * (m_attributes.uiVirtualComponents != m_codestreamComponents
                                              ? m_attributes.uiVirtualComponents
                                              : 1);
    if (keep < 2)
        return;
    if (LX_AccessFile(m_path.GetString(), 2) != 0)
        return;
    FileLock lock(m_path);
    if (!lock.Held())
        return;
    (void)lastIncomplete;
    if (!WriteMetadataIntoFile(keep))
        return;
    m_repairedInPlace = true;
    if (sideFile)
        LX_RemoveFile((m_path + u".endmeta").GetString(), false);
}
