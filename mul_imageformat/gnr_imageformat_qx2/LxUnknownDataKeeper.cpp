#include "mul_imageformat/gnr_imageformat_qx2/LxUnknownDataKeeper.h"

#include "w32_system/LxFileAPI.h"
#include "w32_system/debugging/LxDiag.h"

namespace
{

const int kBadIndex = -4;

int seekTo(LX_HFILE file, uint64_t position)
{
    return LX_SeekFile(file, static_cast<int32_t>(position & 0xFFFFFFFFu),
                       static_cast<int32_t>(position >> 32), 0);
}

} // namespace

CLxUnknownDataKeeper::CLxUnknownDataKeeper(const CLxStringA& formatId,
                                           const char16_t* tempPattern)
    : m_formatId(formatId), m_tempPattern(tempPattern)
{
}

CLxUnknownDataKeeper::~CLxUnknownDataKeeper()
{
    if (m_hDataFile != LX_INVALID_HFILE)
        LX_CloseFile(m_hDataFile);
    if (!m_dataFileName.IsEmpty())
        LX_RemoveFile(m_dataFileName, false);
}

uint32_t CLxUnknownDataKeeper::AddRef()
{
    return m_refCount.Increment();
}

uint32_t CLxUnknownDataKeeper::Release()
{
    // A count of 0 is a reader or writer nobody took a reference on.
    uint32_t left = 0;
    m_refCount.Decrement(&left);
    if (left == 0)
        delete this;
    return left;
}

int CLxUnknownDataKeeper::GetFormatID(CLxStringA& formatId)
{
    formatId = m_formatId;
    return 0;
}

uint32_t CLxUnknownDataKeeper::GetChunkCount()
{
    return static_cast<uint32_t>(m_chunks.size());
}

uint32_t CLxUnknownDataKeeper::GetChunkType(uint32_t index)
{
    return IsValidIndex(index) ? m_chunks[index].type : static_cast<uint32_t>(kBadIndex);
}

int CLxUnknownDataKeeper::SetChunkType(uint32_t index, uint32_t type)
{
    if (!IsValidIndex(index))
        return kBadIndex;
    m_chunks[index].type = type;
    return 0;
}

int CLxUnknownDataKeeper::GetItemName(uint32_t index, CLxStringA& name)
{
    if (!IsValidIndex(index))
        return kBadIndex;
    name = m_chunks[index].name;
    return 0;
}

int CLxUnknownDataKeeper::ReadChunkData(uint32_t index, uint64_t offset, void* buffer,
                                     uint32_t* size)
{
    if (!IsValidIndex(index) || !size)
        return kBadIndex;
    const SChunk& chunk = m_chunks[index];
    if (chunk.start < 0 || offset >= chunk.length) {
        *size = 0;
        return 0;
    }
    if (chunk.length - offset < *size)
        *size = static_cast<uint32_t>(chunk.length - offset);
    if (*size && !buffer)
        return kBadIndex;
    int result = seekTo(m_hDataFile, static_cast<uint64_t>(chunk.start) + offset);
    if (result != 0)
        return result;
    uint32_t bytesRead = 0;
    result = LX_ReadFile(m_hDataFile, buffer, *size, &bytesRead, nullptr);
    if (result != 0)
        return result;
    if (bytesRead != *size)
        LX_DIAG_ASSERT_TEXT(u"uiBufferSize != uiBytesRead", u"Short read of a kept chunk.");
    return 0;
}

int CLxUnknownDataKeeper::ClearChunkData(uint32_t index)
{
    if (!IsValidIndex(index))
        return kBadIndex;
    m_chunks[index].start = -1;
    m_chunks[index].length = 0;
    return 0;
}

int CLxUnknownDataKeeper::AppendChunkData(uint32_t index, const void* data, uint32_t size)
{
    if (!IsValidIndex(index))
        return kBadIndex;
    if (size && !data)
        return kBadIndex;
    int result = OpenDataFile();
    if (result != 0)
        return result;
    SChunk& chunk = m_chunks[index];
    const SChunk before = chunk;
    if (chunk.start < 0) {
        uint64_t fileSize = 0;
        result = LX_GetFileSize(m_hDataFile, &fileSize);
        if (result != 0)
            return result;
        chunk.start = static_cast<int64_t>(fileSize);
        chunk.length = 0;
    }
    result = LX_SeekFile(m_hDataFile, 0, 0, 2);
    if (result != 0) {
        chunk = before;
        return result;
    }
    uint32_t bytesWritten = 0;
    result = LX_WriteFile(m_hDataFile, data, size, &bytesWritten, nullptr);
    if (result != 0) {
        // Bytes that did reach the file stay unused: the run ends where it was.
        chunk.start = before.start;
        chunk.length = before.length;
        return result;
    }
    if (bytesWritten != size)
        LX_DIAG_ASSERT_TEXT(u"uiBufferSize != uiBytesWritten", u"Short write of a kept chunk.");
    chunk.length += bytesWritten;
    return 0;
}

int CLxUnknownDataKeeper::AppendChunk(uint32_t type, const void* data, uint32_t size)
{
    return AddChunk(CLxStringA(), type, data, size);
}

int CLxUnknownDataKeeper::RemoveChunk(uint32_t index)
{
    if (!IsValidIndex(index))
        return kBadIndex;
    m_chunks.erase(m_chunks.begin() + index);
    return 0;
}

int CLxUnknownDataKeeper::OpenDataFile()
{
    if (m_hDataFile != LX_INVALID_HFILE)
        return 0;
    if (m_dataFileName.IsEmpty()) {
        char16_t name[LX_MAX_PATH];
        int result = LX_GetTempFileName(nullptr, m_tempPattern, true, name, LX_MAX_PATH);
        if (result != 0)
            return result;
        m_dataFileName = name;
    }
    return LX_OpenFile(m_dataFileName, LX_FILE_READ | LX_FILE_WRITE | LX_FILE_TRUNCATE, 0,
                       LX_INVALID_HFILE, &m_hDataFile);
}

int CLxUnknownDataKeeper::AddChunk(const CLxStringA& name, uint32_t type, const void* data,
                                uint32_t size)
{
    if (size && !data)
        return kBadIndex;
    int result = OpenDataFile();
    if (result != 0)
        return result;
    m_chunks.push_back(SChunk{name, type, -1, 0});
    return AppendChunkData(static_cast<uint32_t>(m_chunks.size() - 1), data, size);
}
