// libFuzzer target for the QX2 writer that adds to a document: its reading
// of the stored time cache ("CustomData|AcqTimesCache!"). The input becomes
// that chunk of a small version 2.1 document written by our writer; the
// writer then opens the file to add frames, adds some and closes it. Every
// call must answer, and the closed file keeps the stored time of every frame
// that was not written again.
//
// Input: a mode byte (its two low bits: frames to add, 0..3), then the
// stored cache's bytes.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../mul_imageformat/gnr_imageformat_qx2/qx2_format_double.h"
#include "fuzz_quiet_reports.h"
#include "gnr_metaformats/LxPictureMetadata.h"
#include "mul_imageformat/LxImageAttributes.h"
#include "mul_imageformat/LxOutputImageFile.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxFileChunker.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2ChunkNames.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2OutputOpener.h"

namespace
{

constexpr uint32_t kWidth = 4, kHeight = 2, kFrames = 3;
constexpr size_t kMaxCache = 64u << 10;

void Check(bool condition)
{
    if (!condition)
        abort();
}

qx2test::FormatDouble& Format()
{
    static qx2test::FormatDouble format;
    return format;
}

// The file of every run, in a scratch folder of this process on tmpfs
// when there is one.
const std::string& FilePath()
{
    static const std::string path = [] {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string t = std::string(base) + "/qx2_append_fuzz_XXXXXX";
        std::vector<char> name(t.begin(), t.end());
        name.push_back(0);
        const char* made = mkdtemp(name.data());
        return std::string(made ? made : base) + "/input.qx2";
    }();
    return path;
}

std::u16string WidePath()
{
    return std::u16string(FilePath().begin(), FilePath().end());
}

SLxPictureMetadata Metadata(double time)
{
    SLxPictureMetadata md;
    md.dTimeMSec = time;
    md.dCalibration = 0.5;
    md.dAspect = 1.0;
    md.bCalibrated = true;
    return md;
}

SLxImageAttributes Attributes(uint32_t frames)
{
    SLxImageAttributes a{};
    a.uiWidth = a.uiWidthBytes = kWidth;
    a.uiHeight = kHeight;
    a.uiComp = 1;
    a.uiBpcInMemory = a.uiBpcSignificant = 8;
    a.uiSequenceCount = frames;
    return a;
}

// Writes frames first..first+count-1 with their times.
void WriteFrames(ILxOutputImageFile* writer, uint32_t first, uint32_t count)
{
    const std::vector<uint8_t> frame(kWidth * kHeight, 0x3C);
    for (uint32_t seq = first; seq < first + count; ++seq) {
        writer->SetImageMetadata(seq, Metadata(1000.0 + seq), 0);
        writer->SetImageData(seq, frame.data(), nullptr, nullptr);
    }
}

// The document our writer makes: kFrames frames of 4 x 2 8-bit pixels.
const std::string& BaseDocument()
{
    static const std::string bytes = [] {
        CLxByteArray block;
        ILxOutputImageFile* writer = nullptr;
        if (LX_OpenQX2OutputMemory(&Format(), &block, false, &writer) != 0)
            abort();
        writer->AddRef();
        writer->SetImageAttributes(Attributes(kFrames));
        WriteFrames(writer, 0, kFrames);
        Check(writer->Close() == 0);
        writer->Release();
        return std::string(reinterpret_cast<const char*>(block.GetData()), block.GetSize());
    }();
    return bytes;
}

bool WriteFile(const std::string& bytes)
{
    FILE* f = fopen(FilePath().c_str(), "wb");
    if (!f)
        return false;
    const bool written = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && written;
}

// The chunk of the file, or false when the file or the chunk cannot be read.
bool ReadChunk(const char* name, CLxByteArray& data)
{
    CLxFileChunker chunker;
    CLxStringA version;
    return chunker.Open(WidePath().c_str(), true, false, version) == 0 &&
           chunker.GetChunk(name, data) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzing::QuietReports();
    if (size == 0 || size > kMaxCache + 1)
        return 0;
    const uint32_t added = data[0] & 3;
    const uint8_t* cache = data + 1;
    const uint32_t cacheSize = uint32_t(size - 1);

    if (!WriteFile(BaseDocument()))
        return 0;
    {
        CLxFileChunker chunker;
        CLxStringA version;
        if (chunker.Open(WidePath().c_str(), false, true, version) != 0)
            return 0;
        Check(chunker.WriteChunk(LxQX2Names::kTimeCache, cache, cacheSize) == 0);
        Check(chunker.Finalize() == 0);
    }

    ILxOutputImageFile* writer = nullptr;
    const int opened = LX_OpenQX2OutputFile(&Format(), WidePath().c_str(), true, &writer);
    Check((opened == 0) == (writer != nullptr));
    if (!writer)
        return 0;
    writer->AddRef();
    writer->SetImageAttributes(Attributes(kFrames + added));
    WriteFrames(writer, kFrames, added);
    const int closed = writer->Close();
    writer->Release();
    if (closed != 0)
        return 0;

    // The stored times of the frames not written again are kept as they were.
    const uint32_t stored = cacheSize / 8;
    CLxByteArray after;
    if (stored == 0 || stored > LxQX2Names::kMaxFrameIndex + 1)
        return 0;
    Check(ReadChunk(LxQX2Names::kTimeCache, after));
    Check(after.GetSize() >= 8 * stored);
    for (uint32_t i = 0; i < stored; ++i)
        if (i < kFrames || i >= kFrames + added)
            Check(memcmp(after.GetData() + 8 * i, cache + 8 * i, 8) == 0);
    return 0;
}
