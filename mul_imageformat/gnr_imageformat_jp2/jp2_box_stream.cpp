#include <cstring>

#include "gnr_system/LxByteArray.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_extra.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_io.h"
#include "w32_system/LxFileAPI.h"

bool CLxJP2BoxStream::OpenRead(const char16_t* path, const SLxJP2PositionsInfo* map, int startIndex)
{
    Close();
    if (!path || LX_OpenFile(path, LX_FILE_READ, LX_FILE_SHARE_READ | LX_FILE_SHARE_WRITE,
                             LX_INVALID_HFILE, &m_file) != 0) {
        m_file = LX_INVALID_HFILE;
        return false;
    }
    m_ownsFile = true;
    return OpenReadStream(map, startIndex);
}

bool CLxJP2BoxStream::OpenRead(CLxByteArray* bytes, const SLxJP2PositionsInfo* map, int startIndex)
{
    Close();
    if (!bytes)
        return false;
    m_bytes = bytes;
    return OpenReadStream(map, startIndex);
}

bool CLxJP2BoxStream::OpenBoxAt(uint64_t offset)
{
    m_boxOffset = offset;
    m_idDone = false;
    try {
        if (!jp2_io::seek(m_file, m_bytes, offset))
            return false;
        if (!(m_file != LX_INVALID_HFILE ? m_reader.open(m_file) : m_reader.open(m_bytes)))
            return false;
    } catch (const CLxJP2ErrorException&) {
        return false;
    }
    return true;
}

bool CLxJP2BoxStream::WalkToNext()
{
    // Without a map: the following top-level boxes up to one of the type.
    for (;;) {
        uint64_t offset = 0;
        if (!jp2_io::position(m_file, m_bytes, offset) || !OpenBoxAt(offset))
            return false;
        if (m_reader.box_type == m_boxType)
            return true;
        if (m_reader.open_ended) {
            m_reader.close();
            return false;
        }
        m_reader.close();
    }
}

bool CLxJP2BoxStream::OpenReadStream(const SLxJP2PositionsInfo* map, int startIndex)
{
    m_readMap = map;
    bool ok;
    if (map) {
        const uint32_t index = startIndex > 0 ? uint32_t(startIndex) : 0;
        ok = index < map->uiCount && map->pEntries && OpenBoxAt(map->pEntries[index].uiOffset) &&
             m_reader.box_type == m_boxType;
    } else {
        ok = jp2_io::seek(m_file, m_bytes, 0) && WalkToNext();
    }
    if (!ok)
        Close();
    return ok;
}

bool CLxJP2BoxStream::Next()
{
    if (m_writer.is_open())
        return false;
    if (!m_reader.is_open())
        return false;
    const uint64_t current = m_boxOffset;
    const bool openEnded = m_reader.open_ended;
    m_reader.close();
    if (m_readMap) {
        const SLxJP2PositionsInfo* map = m_readMap;
        uint32_t i = 0;
        while (i < map->uiCount && map->pEntries[i].uiOffset <= current)
            ++i;
        // Entries out of file order must not lead back to a box already read.
        while (i < map->uiCount &&
               (map->pEntries[i].uiBoxType != m_boxType || map->pEntries[i].uiOffset <= current))
            ++i;
        return i < map->uiCount && OpenBoxAt(map->pEntries[i].uiOffset) &&
               m_reader.box_type == m_boxType;
    }
    if (openEnded)
        return false;
    return WalkToNext();
}

int64_t CLxJP2BoxStream::Remaining() const
{
    if (!m_reader.is_open() || m_reader.open_ended)
        return -1;
    return int64_t(m_reader.remaining());
}

bool CLxJP2BoxStream::ReadRest(std::vector<uint8_t>& out)
{
    out.clear();
    if (!m_reader.is_open())
        return false;
    const uint64_t available = m_reader.available();
    const uint64_t wanted = m_reader.open_ended ? available : m_reader.remaining();
    if (wanted > available || wanted > 0x7FFFFFFF)
        return false;
    out.resize(size_t(wanted));
    return wanted == 0 || m_reader.read(out.data(), int32_t(wanted)) == int32_t(wanted);
}

int32_t CLxJP2BoxStream::Read(void* buffer, uint32_t size)
{
    if (!m_reader.is_open())
        return -1;
    return m_reader.read(buffer, size > 0x7FFFFFFF ? 0x7FFFFFFF : int32_t(size));
}

bool CLxJP2BoxStream::BeginWriteBox(uint32_t ownCode)
{
    uint64_t end = jp2_io::size(m_file, m_bytes);
    if (!jp2_io::seek(m_file, m_bytes, end))
        return false;
    if (m_writeMap && !jp2_add_position(m_writeMap, m_boxType, ownCode, end))
        return false;
    m_boxOffset = end;
    m_idDone = false;
    m_writer.reset();
    m_writer.box_type = m_boxType;
    m_writer.write_through = true;
    m_writer.file = m_file;
    m_writer.bytes = m_file == LX_INVALID_HFILE ? m_bytes : nullptr;
    try {
        return m_writer.write_header();
    } catch (const CLxJP2ErrorException&) {
        m_writer.reset();
        return false;
    }
}

bool CLxJP2BoxStream::OpenWrite(const char16_t* path, SLxJP2PositionsInfo* map, uint32_t ownCode)
{
    Close();
    if (!path ||
        LX_OpenFile(path, LX_FILE_READ | LX_FILE_WRITE, LX_FILE_SHARE_READ | LX_FILE_SHARE_WRITE,
                    LX_INVALID_HFILE, &m_file) != 0) {
        m_file = LX_INVALID_HFILE;
        return false;
    }
    m_ownsFile = true;
    m_writeMap = map;
    if (BeginWriteBox(ownCode))
        return true;
    Close();
    return false;
}

bool CLxJP2BoxStream::OpenAppend(CLxByteArray* bytes)
{
    Close();
    if (!bytes)
        return false;
    m_bytes = bytes;
    if (BeginWriteBox(0))
        return true;
    Close();
    return false;
}

bool CLxJP2BoxStream::Next(uint32_t ownCode)
{
    if (!m_writer.is_open())
        return false;
    bool closed;
    try {
        closed = m_writer.close();
    } catch (const CLxJP2ErrorException&) {
        closed = false;
    }
    return closed && BeginWriteBox(ownCode);
}

int32_t CLxJP2BoxStream::Write(const void* data, uint32_t size)
{
    if (!m_writer.is_open() || size > 0x7FFFFFFF)
        return -1;
    try {
        if (!m_writer.write(data, size))
            return -1;
    } catch (const CLxJP2ErrorException&) {
        return -1;
    }
    return int32_t(size);
}

void CLxJP2BoxStream::Close()
{
    m_reader.close();
    if (m_writer.is_open()) {
        try {
            m_writer.close();
        } catch (const CLxJP2ErrorException&) {
        }
    }
    m_writer.reset();
    if (m_ownsFile && m_file != LX_INVALID_HFILE)
        LX_CloseFile(m_file);
    m_file = LX_INVALID_HFILE;
    m_ownsFile = false;
    m_bytes = nullptr;
    m_readMap = nullptr;
    m_writeMap = nullptr;
    m_idDone = false;
}

int32_t CLxJP2UUIDStream::Read(uint8_t (&id)[16], void* buffer, uint32_t size)
{
    if (!m_reader.is_open())
        return -1;
    if (!m_idDone) {
        if (CLxJP2BoxStream::Read(id, 16) != 16)
            return -1;
        m_idDone = true;
    }
    return CLxJP2BoxStream::Read(buffer, size);
}

bool CLxJP2UUIDStream::ReadBox(uint8_t (&id)[16], std::vector<uint8_t>& data)
{
    data.clear();
    if (!m_reader.is_open())
        return false;
    if (!m_idDone) {
        if (CLxJP2BoxStream::Read(id, 16) != 16)
            return false;
        m_idDone = true;
    }
    return ReadRest(data);
}

int32_t CLxJP2UUIDStream::Write(const uint8_t (&id)[16], const void* data, uint32_t size)
{
    if (!m_writer.is_open())
        return -1;
    if (!m_idDone) {
        if (CLxJP2BoxStream::Write(id, 16) != 16)
            return -1;
        m_idDone = true;
    }
    return CLxJP2BoxStream::Write(data, size);
}

int32_t CLxJP2UUIDStream::WriteUint32(const uint8_t (&id)[16], uint32_t value)
{
    uint8_t b[4];
    jp2_io::put_u32(b, value);
    return Write(id, b, 4);
}
