#include <cstring>
#include <new>

#include "mul_imageformat/gnr_imageformat_qx2/LxChunkLayout.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2ChunkNames.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2ExperimentLink.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2InputFile.h"

using namespace LxQX2Names;

namespace
{

constexpr double kMSecPerDay = 86400000.0;

// The names through which a writer once refreshed its reader; a reader
// refuses them from anyone else.
bool IsWritersName(const char16_t* name)
{
    static const char16_t* const kNames[] = {u"HACK_SET_m_uiTotalSeqCount",
                                             u"HACK_SET_m_fileChunker"};
    for (const char16_t* known : kNames) {
        const char16_t* a = name;
        const char16_t* b = known;
        while (*a && *a == *b)
            ++a, ++b;
        if (*a == *b)
            return true;
    }
    return false;
}

} // namespace

CLxQX2InputFile_V02::CLxQX2InputFile_V02(ILxImageFormat* format, const CLxStringW& fileName,
                                         const CLxFileChunker& chunker)
    : CLxQX2InputFile(format, fileName, chunker, false), m_times(1024)
{
}

int CLxQX2InputFile_V02::Create(ILxImageFormat* format, const CLxStringW& fileName,
                                const CLxFileChunker& chunker, ILxInputImageFile** reader)
{
    if (!reader)
        return -4;
    *reader = nullptr;
    CLxQX2InputFile_V02* made = new (std::nothrow) CLxQX2InputFile_V02(format, fileName, chunker);
    if (!made)
        return -3;
    const int rc = made->RepairIfNeeded();
    if (rc != 0) {
        delete made;
        return rc;
    }
    *reader = made;
    return 0;
}

int CLxQX2InputFile_V02::CreateFromWriter(ILxImageFormat* format, const CLxStringW& fileName,
                                          const CLxFileChunker& writerChunker,
                                          const CLxByteArray& times, CLxQX2InputFile_V02** reader)
{
    if (!reader)
        return -4;
    *reader = nullptr;
    CLxQX2InputFile_V02* made =
        new (std::nothrow) CLxQX2InputFile_V02(format, fileName, writerChunker);
    if (!made)
        return -3;
    made->m_times = times;
    made->TakeWritersState();
    *reader = made;
    return 0;
}

int CLxQX2InputFile_V02::RefreshFromWriter(uint32_t frameCount, const CLxByteArray& times,
                                           const CLxFileChunker& writerChunker)
{
    const int rc = m_chunker.CopyMapFrom(&writerChunker);
    if (rc != 0)
        return rc;
    m_bFromWriter = true;
    m_frameCount = frameCount;
    m_times = times;
    if (!m_pExperiment)
        return 0;
    return LX_QX2RepairExperiment(*m_pExperiment, frameCount, nullptr);
}

const CLxByteArray& CLxQX2InputFile_V02::Times()
{
    if (m_times.GetSize() > 0)
        return m_times;
    if (!m_bFileTimesRead) {
        if (ReadChunk(kTimeCache, m_fileTimes) != 0)
            m_fileTimes.SetSize(0);
        // A writer's reader asks again: the cache is written at Close.
        m_bFileTimesRead = !m_bFromWriter;
    }
    return m_fileTimes;
}

int CLxQX2InputFile_V02::GetImageMetadata(uint32_t seq, SLxPictureMetadata& metadata, uint32_t)
{
    if (!m_bMetadataLoaded) {
        // The one stored record, whatever index its first writer gave it.
        bool found = false;
        uint32_t first = 0, index = 0;
        CLxStringA name;
        int rc = m_chunker.GetNextChunkName(name, nullptr);
        while (rc == 0) {
            if (ParseIndexed(name, kMetadataPrefix, &index) && (!found || index < first)) {
                first = index;
                found = true;
            }
            CLxStringA next;
            rc = m_chunker.GetNextChunkName(next, name);
            name = next;
        }
        if (!found)
            return -13;
        rc = ReadMetadata(Indexed(kMetadataPrefix, first), m_metadata);
        if (rc != 0)
            return rc;
        m_bMetadataLoaded = true;
    }
    SLxPictureMetadata md = m_metadata;
    const CLxByteArray& times = Times();
    if (seq < times.GetSize() / 8) {
        const uint64_t bits = LxChunkLayout::ReadLE64(times.GetData() + size_t(seq) * 8);
        double entry;
        memcpy(&entry, &bits, sizeof entry);
        // The frame's day is the stored day moved by the distance between
        // the two acquisition times; an unknown time keeps the stored day.
        if (entry != -1.0) {
            const double stored = m_metadata.dTimeMSec < 0.0 ? 0.0 : m_metadata.dTimeMSec;
            if (m_metadata.dTimeAbsolute >= 0.0)
                md.dTimeAbsolute = m_metadata.dTimeAbsolute + (entry - stored) / kMSecPerDay;
        }
        md.dTimeMSec = entry;
    }
    metadata = md;
    return 0;
}

int CLxQX2InputFile_V02::GetCustomDataSeq(const char16_t* name, uint32_t seq, CLxByteArray& data)
{
    if (name && IsWritersName(name))
        return -4;
    return CLxQX2InputFile::GetCustomDataSeq(name, seq, data);
}
