// libFuzzer target of the QX2 repair in place: the input's block (see
// qx2_fuzz_input.h; the seeds are fuzz_qx2_reader's) is written to a file,
// which the opener repairs where it lies when its map cannot be read. Then
// a few getters, and the file is opened again: a file that opened once
// opens again to the same shape, and a second open leaves the file as the
// first one left it (a repair is done once).
//
//   cmake --build build-fuzz --target fuzz_qx2_repair fuzz_qx2_reader_corpus
//   cd build-fuzz/tests/fuzz && ./fuzz_qx2_repair -max_len=32768 corpora/fuzz_qx2_reader
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../mul_imageformat/gnr_imageformat_qx2/qx2_format_double.h"
#include "gnr_metaformats/LxPictureMetadata.h"
#include "mul_imageformat/LxImageAttributes.h"
#include "mul_imageformat/LxInputImageFile.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2InputOpener.h"
#include "qx2_fuzz_input.h"
#include "w32_system/debugging/LxDiag.h"
#include "fuzz_quiet_reports.h"

namespace
{

constexpr uint64_t kMaxFrame = 64u << 10;

void Check(bool condition)
{
    if (!condition)
        abort();
}

// The file of every run, in a scratch folder of this process on tmpfs
// when there is one.
const std::string& FilePath()
{
    static const std::string path = [] {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string t = std::string(base) + "/qx2_repair_fuzz_XXXXXX";
        std::vector<char> name(t.begin(), t.end());
        name.push_back(0);
        const char* made = mkdtemp(name.data());
        return std::string(made ? made : base) + "/input.qx2";
    }();
    return path;
}

std::string FileBytes()
{
    std::string bytes;
    if (FILE* f = fopen(FilePath().c_str(), "rb")) {
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, f)) > 0;)
            bytes.append(buffer, n);
        fclose(f);
    }
    return bytes;
}

struct SShape {
    bool open = false;
    int status = 0;
    uint32_t width = 0, height = 0, components = 0, frames = 0;
    bool operator==(const SShape& o) const
    {
        return open == o.open && status == o.status && width == o.width && height == o.height &&
               components == o.components && frames == o.frames;
    }
};

// Opens the file (a repair where needed), reads a little, closes it.
SShape OpenAndRead(const std::u16string& path, bool readFrames)
{
    static qx2test::FormatDouble format;
    ILxInputImageFile* reader = nullptr;
    const int rc = LX_OpenQX2InputFile(&format, path.c_str(), &reader);
    Check((rc == 0) == (reader != nullptr));
    SShape shape;
    if (!reader)
        return shape;
    shape.open = true;
    reader->AddRef();
    SLxImageAttributes a{};
    shape.status = reader->GetImageAttributes(a);
    shape.width = a.uiWidth;
    shape.height = a.uiHeight;
    shape.components = a.uiComp;
    shape.frames = a.uiSequenceCount;
    const uint64_t frameBytes = uint64_t(a.uiWidthBytes) * a.uiHeight;
    if (readFrames && shape.status == 0 && frameBytes && frameBytes <= kMaxFrame) {
        std::vector<uint8_t> frame(size_t(frameBytes) + 16, 0xA5);
        reader->GetImageData(a.uiSequenceCount ? a.uiSequenceCount - 1 : 0, frame.data(), 0, 0);
        for (size_t i = size_t(frameBytes); i < frame.size(); ++i)
            Check(frame[i] == 0xA5);
        SLxPictureMetadata md;
        reader->GetImageMetadata(0, md, 0);
    }
    reader->Release();
    return shape;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzing::QuietReports();
    if (size > (1u << 20))
        return 0;
    CLxByteArray block;
    qx2fuzz::MakeBlock(data, size, block);
    {
        FILE* f = fopen(FilePath().c_str(), "wb");
        if (!f)
            return 0;
        if (block.GetSize())
            fwrite(block.GetData(), 1, block.GetSize(), f);
        fclose(f);
    }
    const std::u16string path(FilePath().begin(), FilePath().end());
    const SShape first = OpenAndRead(path, true);
    const std::string afterFirst = FileBytes();
    const SShape second = OpenAndRead(path, false);
    if (first.open) {
        Check(second == first);
        Check(FileBytes() == afterFirst);
    }
    return 0;
}
