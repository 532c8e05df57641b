#include "mul_imageformat/gnr_imageformat_qx2/LxFileChunker.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "mul_imageformat/gnr_imageformat_qx2/LxChunkLayout.h"
#include "w32_system/LxFileInternal.h"
#include "w32_system/debugging/LxDiag.h"

using namespace LxChunkLayout;

namespace
{

constexpr int kBadArgument = -4;
constexpr int kEndOfSeries = -8;
constexpr int kFail = -9;
constexpr int kNotFound = -13;

// The name with its '!'; false when it cannot be stored.
bool NormalizeName(const char* name, std::string* out)
{
    if (!name)
        return false;
    const size_t length = strnlen(name, kMaxNameLength + 1);
    if (length > kMaxNameLength)
        return false;
    out->assign(name, length);
    if (out->empty() || out->back() != '!')
        out->push_back('!');
    return IsValidName(reinterpret_cast<const uint8_t*>(out->data()), uint32_t(out->size()));
}

bool IsReservedName(const std::string& name)
{
    return name == kSignatureName || name == kMapChunkName || name == kMapEndName;
}

} // namespace

CLxFileChunker::CLxFileChunker()
    : m_bFinalized(false), m_block(uint32_t(kBlock)), m_bMapUnreadable(false), m_bRead(true),
      m_qwAppend(0), m_uiScanSize(0), m_bScanCache(false), m_qwScanAt(0), m_uiScanGot(0)
{
}

CLxFileChunker::CLxFileChunker(const CLxFileChunker& other)
    : m_file(other.m_file), m_map(other.m_map), m_bFinalized(other.m_bFinalized),
      m_block(uint32_t(kBlock)), m_bMapUnreadable(other.m_bMapUnreadable), m_bRead(true),
      m_held(other.m_held), m_qwAppend(other.m_qwAppend), m_uiScanSize(0), m_bScanCache(false),
      m_qwScanAt(0), m_uiScanGot(0)
{
}

CLxFileChunker::~CLxFileChunker() = default;

int CLxFileChunker::Open(const char16_t* fileName, bool read, bool append, CLxStringA& version)
{
    if (!fileName)
        return kBadArgument;
    if (m_file.IsOpen())
        return kFail;
    const ELxFileMemoOpen mode = read     ? eLxFileMemoRead
                                 : append ? eLxFileMemoAppend
                                          : eLxFileMemoCreate;
    if (m_file.OpenFile(fileName, mode) != 0)
        return kFail;
    return OpenCommon(read, append, version);
}

int CLxFileChunker::OpenMemory(CLxByteArray* block, bool read, bool append, CLxStringA& version)
{
    if (!block)
        return kBadArgument;
    if (!read && append) {
        LX_DIAG_ASSERT_TEXT(
            u"bAppend == true",
            u"CLxFileMemoWrapper::Initialize() : memory appending not implemented!");
        return kBadArgument;
    }
    if (m_file.IsOpen() || m_file.OpenMemory(block, read) != 0)
        return kFail;
    if (!read)
        block->SetSize(0);
    return OpenCommon(read, false, version);
}

int CLxFileChunker::OpenCommon(bool read, bool append, CLxStringA& version)
{
    m_map.clear();
    m_held.clear();
    m_bFinalized = false;
    m_bMapUnreadable = false;
    m_bRead = read;
    uint64_t size = 0;
    if (m_file.GetSize(&size) != 0) {
        m_file.CloseFile();
        return kFail;
    }
    if (!read && !(append && size > 0)) {
        const int rc = WriteSignature(version);
        if (rc != 0)
            m_file.CloseFile();
        return rc;
    }
    if (ReadSignature(version) != 0) {
        // Never write over something that is not a chunk file.
        m_file.CloseFile();
        return kFail;
    }
    if (ReadMap() == 0) {
        m_qwAppend = RoundUpToBlock(size);
        return 0;
    }
    if (read) {
        m_bMapUnreadable = true;
        return kNotFound;
    }
    // Appending to an unfinished file: rebuild the map and go on after the
    // last complete chunk, not where the failed map read stopped.
    uint64_t end = 0;
    if (Walk(nullptr, nullptr, &end) != 0) {
        m_file.CloseFile();
        return kFail;
    }
    m_qwAppend = end;
    return 0;
}

int CLxFileChunker::WriteSignature(const CLxStringA& version)
{
    uint8_t text[kSignatureDataSize] = {};
    const char* v = version;
    memcpy(text, v, std::min<size_t>(strlen(v), kSignatureDataSize - 1));
    m_qwAppend = 0;
    return AssembleAndWrite(kSignatureName, text, kSignatureDataSize, nullptr, 0);
}

int CLxFileChunker::ReadSignature(CLxStringA& version)
{
    uint8_t buffer[kSignatureChunkSize];
    uint32_t got = 0;
    if (SeekTo(0) != 0 || m_file.Read(buffer, sizeof buffer, &got) != 0 || got != sizeof buffer)
        return kFail;
    const SLxChunkHeader h = ParseHeader(buffer);
    if (h.uiMagic != kMagic || h.uiNameLength != 32 || h.qwDataLength != kSignatureDataSize ||
        memcmp(buffer + kHeaderSize, kSignatureName, 32) != 0)
        return kFail;
    const char* text = reinterpret_cast<const char*>(buffer + kHeaderSize + 32);
    version.Empty();
    version.AddChars(text, int(strnlen(text, kSignatureDataSize)));
    return 0;
}

int CLxFileChunker::ReadMap()
{
    uint64_t size = 0;
    if (m_file.GetSize(&size) != 0 || size < kEndRecordSize)
        return kFail;
    const uint64_t endRecord = size - kEndRecordSize;
    uint8_t tail[kEndRecordSize];
    uint32_t got = 0;
    if (SeekTo(endRecord) != 0 || m_file.Read(tail, sizeof tail, &got) != 0 || got != sizeof tail ||
        memcmp(tail, kMapEndName, 32) != 0)
        return kFail;
    const uint64_t mapOffset = ReadLE64(tail + 32);
    if (mapOffset >= endRecord || endRecord - mapOffset < kHeaderSize)
        return kFail;
    uint64_t found = 0;
    uint8_t header[kHeaderSize];
    std::string name;
    CLxByteArray data{uint32_t(kBlock)};
    if (ReadChunk(mapOffset, size, &found, header, &name, &data) != 0 || name != kMapChunkName)
        return kFail;

    ChunkMap map;
    const uint8_t* p = data.GetData();
    const uint64_t length = data.GetSize();
    uint64_t at = 0;
    while (at < length) {
        const uint64_t window = std::min<uint64_t>(length - at, kMaxNameLength);
        const void* bang = memchr(p + at, '!', size_t(window));
        if (!bang)
            return kFail;
        const uint64_t nameLength = uint64_t(static_cast<const uint8_t*>(bang) - (p + at)) + 1;
        if (nameLength == 32 && memcmp(p + at, kMapEndName, 31) == 0)
            break;
        if (!IsValidName(p + at, uint32_t(nameLength)) || length - at - nameLength < 16)
            return kFail;
        const uint64_t offset = ReadLE64(p + at + nameLength);
        const uint64_t chunkLength = ReadLE64(p + at + nameLength + 8);
        if (offset > size || size - offset < kHeaderSize)
            return kFail;
        std::string entryName(reinterpret_cast<const char*>(p + at), size_t(nameLength));
        if (!IsReservedName(entryName))
            map[entryName] = SLxChunkEntry{offset, chunkLength, false};
        at += nameLength + 16;
    }
    m_map.swap(map);
    return 0;
}

int CLxFileChunker::FindMagic(uint64_t from, uint64_t fileSize, uint64_t* found)
{
    // Reads grow from 16 KiB to 1 MiB: a chunk close by is found cheaply, and
    // the tens of megabytes of zeros that end unfinished files go in few
    // reads into one buffer that is neither cleared nor grown on the way.
    constexpr uint32_t kFirstScan = 16u << 10, kLastScan = 1u << 20;
    uint32_t window = kFirstScan;
    uint64_t at = from;
    // During a walk the bytes of the last read are searched again first, so
    // that a run of damaged headers costs its length, not a read each.
    if (m_bScanCache && from >= m_qwScanAt && from - m_qwScanAt < m_uiScanGot) {
        const uint32_t skip = uint32_t(from - m_qwScanAt);
        const uint8_t* hit = FindMagicBytes(m_scan.get() + skip, m_uiScanGot - skip);
        if (hit) {
            *found = m_qwScanAt + uint64_t(hit - m_scan.get());
            return 0;
        }
        if (m_uiScanGot >= sizeof kMagicBytes)
            at = std::max(at, m_qwScanAt + m_uiScanGot - (sizeof kMagicBytes - 1));
    }
    m_uiScanGot = 0;
    while (true) {
        // Holes (the tail a writer reserved with EnsureFileSize) hold no chunk.
        at = std::max(at, m_file.NextData(at));
        if (at >= fileSize || fileSize - at < sizeof kMagicBytes)
            break;
        const uint32_t want = uint32_t(std::min<uint64_t>(window, fileSize - at));
        if (m_uiScanSize < want) {
            const uint32_t size = uint32_t(std::min<uint64_t>(kLastScan, fileSize - at));
            m_scan.reset(new uint8_t[size]);
            m_uiScanSize = size;
            m_uiScanGot = 0;
        }
        uint32_t got = 0;
        if (SeekTo(at) != 0 || m_file.Read(m_scan.get(), want, &got) != 0 ||
            got < sizeof kMagicBytes)
            return kFail;
        m_qwScanAt = at;
        m_uiScanGot = got;
        const uint8_t* hit = FindMagicBytes(m_scan.get(), got);
        if (hit) {
            *found = at + uint64_t(hit - m_scan.get());
            return 0;
        }
        // Keep the last three bytes: the magic may straddle two reads.
        at += got - (sizeof kMagicBytes - 1);
        window = std::min(window * 2, kLastScan);
    }
    return kFail;
}

int CLxFileChunker::ReadChunk(uint64_t offset, uint64_t fileSize, uint64_t* foundAt,
                              uint8_t* header, std::string* name, CLxByteArray* data)
{
    *foundAt = offset;
    uint32_t got = 0;
    if (SeekTo(offset) != 0 || m_file.Read(header, kHeaderSize, &got) != 0)
        return kFail;
    if (got < sizeof kMagicBytes || memcmp(header, kMagicBytes, sizeof kMagicBytes) != 0) {
        uint64_t found = 0;
        if (FindMagic(offset, fileSize, &found) != 0) {
            *foundAt = fileSize;
            return kFail;
        }
        *foundAt = found;
        if (SeekTo(found) != 0 || m_file.Read(header, kHeaderSize, &got) != 0)
            return kFail;
    }
    if (got != kHeaderSize)
        return kFail;
    const SLxChunkHeader h = ParseHeader(header);
    if (!HeaderFits(h, *foundAt, fileSize))
        return kFail;
    char nameBytes[kMaxNameLength];
    if (m_file.Read(nameBytes, h.uiNameLength, &got) != 0 || got != h.uiNameLength ||
        !IsValidName(reinterpret_cast<const uint8_t*>(nameBytes), h.uiNameLength))
        return kFail;
    name->assign(nameBytes, h.uiNameLength);
    if (!data)
        return 0;
    const uint32_t length = uint32_t(h.qwDataLength);
    data->SetSize(0);
    if (length == 0)
        return 0;
    if (data->SetData(nullptr, length, eLxByteArrayOpFromStart, eLxByteArrayAllocExact) != 0)
        return -3;
    if (m_file.Read(data->GetData(length), length, &got) != 0 || got != length) {
        data->SetSize(0);
        return kFail;
    }
    return 0;
}

int CLxFileChunker::AssembleAndWrite(const std::string& name, const void* data1, uint32_t size1,
                                     const void* data2, uint32_t size2)
{
    const uint64_t dataLength = uint64_t(size1) + size2;
    const uint64_t used = kHeaderSize + name.size() + dataLength;
    const uint64_t blocks = RoundUpToBlock(used);
    if (dataLength > UINT32_MAX || blocks > UINT32_MAX - kBlock)
        return kBadArgument;
    if ((size1 && !data1) || (size2 && !data2))
        return kBadArgument;
    if (m_block.SetData(nullptr, uint32_t(blocks), eLxByteArrayOpFromStart,
                        eLxByteArrayAllocIncrement) != 0)
        return -3;
    uint8_t* p = m_block.GetData(uint32_t(blocks));
    FormatHeader(p, uint32_t(name.size()), uint32_t(dataLength));
    memcpy(p + kHeaderSize, name.data(), name.size());
    uint8_t* q = p + kHeaderSize + name.size();
    if (size1)
        memcpy(q, data1, size1);
    if (size2)
        memcpy(q + size1, data2, size2);
    memset(p + used, 0, size_t(blocks - used));
    if (SeekTo(m_qwAppend) != 0 || m_file.Write(p, uint32_t(blocks), nullptr) != 0)
        return kFail;
    m_qwAppend += blocks;
    return 0;
}

int CLxFileChunker::WriteChunk2(const char* name, const void* data1, uint32_t size1,
                                const void* data2, uint32_t size2)
{
    std::string stored;
    if (!NormalizeName(name, &stored) || IsReservedName(stored))
        return kBadArgument;
    if (m_bRead || m_bFinalized || !m_file.IsOpen())
        return kFail;
    const uint64_t position = m_qwAppend;
    const int rc = AssembleAndWrite(stored, data1, size1, data2, size2);
    if (rc != 0)
        return rc;
    m_map[stored] = SLxChunkEntry{position, uint64_t(size1) + size2, false};
    return 0;
}

int CLxFileChunker::WriteChunk(const char* name, const void* data, uint32_t size)
{
    return WriteChunk2(name, data, size, nullptr, 0);
}

int CLxFileChunker::WriteChunkBytes(const char* name, const CLxByteArray& data)
{
    return WriteChunk2(name, data.GetData(), data.GetSize(), nullptr, 0);
}

int CLxFileChunker::GetChunk(const char* name, CLxByteArray& data)
{
    std::string stored;
    if (!NormalizeName(name, &stored))
        return kNotFound;
    const auto it = m_map.find(stored);
    if (it == m_map.end())
        return kNotFound;
    if (it->second.bHeld) {
        data = m_held[stored];
        return 0;
    }
    uint64_t size = 0, found = 0;
    uint8_t header[kHeaderSize];
    std::string chunkName;
    if (!m_file.IsOpen() || m_file.GetSize(&size) != 0)
        return kFail;
    const int rc = ReadChunk(it->second.qwOffset, size, &found, header, &chunkName, &data);
    if (rc != 0)
        return rc;
    // After a resynchronisation the chunk found may be another one.
    if (chunkName != stored) {
        data.SetSize(0);
        return kFail;
    }
    return 0;
}

int CLxFileChunker::GetNextChunkName(CLxStringA& out, const char* after)
{
    if (m_map.empty())
        return kNotFound;
    auto it = m_map.begin();
    if (after && *after) {
        std::string stored;
        if (!NormalizeName(after, &stored))
            return kNotFound;
        it = m_map.find(stored);
        if (it == m_map.end() || ++it == m_map.end())
            return kNotFound;
    }
    out = it->first.c_str();
    return 0;
}

int CLxFileChunker::CopyMapFrom(const CLxFileChunker* other)
{
    if (!other)
        return kBadArgument;
    if (other != this) {
        m_map = other->m_map;
        m_held = other->m_held;
    }
    return 0;
}

int CLxFileChunker::EnsureFileSize(uint64_t size)
{
    if (m_bRead || m_bFinalized || !m_file.IsOpen())
        return kFail;
    uint64_t current = 0, position = 0;
    if (m_file.GetSize(&current) != 0 || m_file.GetPosition(&position) != 0)
        return kFail;
    if (size <= current)
        return 0;
    if (size > uint64_t(INT64_MAX))
        return kBadArgument;
    int rc = SeekTo(size);
    if (rc == 0)
        rc = m_file.SetEndOfFile();
    SeekTo(position);
    return rc;
}

int CLxFileChunker::ReserveSpace(uint64_t size)
{
    if (m_bRead || m_bFinalized || !m_file.IsOpen())
        return kFail;
    return m_file.Reserve(size);
}

int CLxFileChunker::WriteMap()
{
    const uint64_t mapOffset = m_qwAppend;
    uint64_t entries = 0;
    for (const auto& entry : m_map)
        if (!entry.second.bHeld)
            entries += entry.first.size() + 16;
    const uint64_t fixed = kHeaderSize + 32 + entries + 2 * kEndRecordSize;
    const uint64_t zeros = RoundUpToBlock(fixed) - fixed;
    const uint64_t length = entries + 2 * kEndRecordSize + zeros;
    if (length > UINT32_MAX - kBlock)
        return kFail;
    std::vector<uint8_t> data(size_t(length), 0);
    uint8_t* p = data.data();
    for (const auto& entry : m_map) {
        if (entry.second.bHeld)
            continue;
        memcpy(p, entry.first.data(), entry.first.size());
        p += entry.first.size();
        WriteLE64(p, entry.second.qwOffset);
        WriteLE64(p + 8, entry.second.qwLength);
        p += 16;
    }
    uint8_t endRecord[kEndRecordSize];
    memcpy(endRecord, kMapEndName, 32);
    WriteLE64(endRecord + 32, mapOffset);
    memcpy(p, endRecord, kEndRecordSize);
    memcpy(data.data() + length - kEndRecordSize, endRecord, kEndRecordSize);
    if (AssembleAndWrite(kMapChunkName, data.data(), uint32_t(length), nullptr, 0) != 0)
        return kFail;
    return SeekTo(m_qwAppend) == 0 && m_file.SetEndOfFile() == 0 ? 0 : kFail;
}

int CLxFileChunker::Finalize()
{
    if (m_bFinalized)
        return 0;
    m_bFinalized = true;
    int rc = 0;
    if (!m_bRead && m_file.IsOpen()) {
        rc = WriteMap();
        m_file.Unlock();
    }
    if (m_file.IsOpen())
        m_file.CloseFile();
    return rc;
}

int CLxFileChunker::Walk(LX_PFN_CHUNK_RESCAN callback, void* context, uint64_t* end)
{
    uint64_t size = 0;
    if (m_file.GetSize(&size) != 0)
        return kFail;
    m_map.clear();
    m_held.clear();
    *end = 0;
    CLxByteArray data{uint32_t(kBlock)};
    uint64_t position = 0;
    // Nothing writes to the file during the walk.
    m_bScanCache = true;
    m_uiScanGot = 0;
    while (position < size) {
        uint64_t found = 0;
        uint8_t header[kHeaderSize];
        std::string name;
        if (ReadChunk(position, size, &found, header, &name, callback ? &data : nullptr) != 0) {
            // No magic left, or a damaged header: look behind it, so that a
            // repair never cuts away complete chunks after the damage.
            if (found >= size)
                break;
            position = found + 1;
            continue;
        }
        const SLxChunkHeader h = ParseHeader(header);
        const uint64_t length = kHeaderSize + h.uiNameLength + h.qwDataLength;
        if (callback) {
            CLxStringA chunkName(name.c_str());
            callback(header, chunkName, data, context);
        }
        // A rewritten name: the last complete version wins.
        if (!IsReservedName(name))
            m_map[name] = SLxChunkEntry{found, length, false};
        *end = RoundUpToBlock(found + length);
        position = *end;
    }
    m_bScanCache = false;
    return 0;
}

int CLxFileChunker::AddNewChunks(LX_PFN_CHUNK_RESCAN callback, void* context, bool held)
{
    for (int i = 0;; ++i) {
        CLxStringA name;
        name.Format("##ADD_NEW_CHUNKS##%i", i);
        CLxByteArray data{uint32_t(kBlock)};
        const int answer = callback(nullptr, name, data, context);
        if (answer == kEndOfSeries)
            return 0;
        if (answer != 0)
            continue;
        if (!held) {
            const int rc = WriteChunkBytes(name, data);
            if (rc != 0)
                return rc;
            continue;
        }
        std::string stored;
        if (!NormalizeName(name, &stored) || IsReservedName(stored))
            return kBadArgument;
        m_held[stored] = data;
        m_map[stored] = SLxChunkEntry{0, data.GetSize(), true};
    }
}

int CLxFileChunker::CreateMissingChunkMap(LX_PFN_CHUNK_RESCAN callback, void* context)
{
    if (!m_file.IsOpen() || m_bFinalized)
        return kFail;
    uint64_t end = 0;
    int rc;
    if (!m_bRead) {
        // A writer: continue after the last complete chunk.
        rc = Walk(callback, context, &end);
        m_qwAppend = end;
        if (rc == 0 && callback)
            rc = AddNewChunks(callback, context, false);
        if (rc == 0)
            m_bMapUnreadable = false;
        return rc;
    }

    // In place only for a file with a write permission bit that no other
    // writer holds (the lock is taken before the walk).
    CLxFileMemoWrapper writer;
    bool inPlace = false;
    if (m_file.IsFile()) {
        struct stat st;
        const std::string path = LX_SystemPath(m_file.GetFileName());
        inPlace = stat(path.c_str(), &st) == 0 && (st.st_mode & 0222) != 0 &&
                  writer.OpenFile(m_file.GetFileName(), eLxFileMemoReadWrite) == 0;
    }
    if (!inPlace) {
        rc = Walk(callback, context, &end);
        if (rc == 0 && callback)
            rc = AddNewChunks(callback, context, true);
        if (rc == 0)
            m_bMapUnreadable = false;
        return rc;
    }

    m_file.Swap(writer);
    m_bRead = false;
    rc = Walk(callback, context, &end);
    m_qwAppend = end;
    if (rc == 0 && callback)
        rc = AddNewChunks(callback, context, false);
    if (rc == 0)
        rc = WriteMap();
    m_file.Swap(writer);
    m_bRead = true;
    writer.CloseFile();
    if (rc == 0)
        m_bMapUnreadable = false;
    return rc;
}
