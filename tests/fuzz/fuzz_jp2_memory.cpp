// libFuzzer target of the JPEG 2000 reader over a memory block (the
// format's CreateInputImageFile with bytes): the document's attributes,
// then its frames other than 0 decoded at full resolution, whole, and frame
// 1 also as one component and as one region. Frame 0 at a reduced size is
// the file target's (fuzz_jp2_reader). Every call must answer; no frame is
// written past the size the attributes give.
//
//   cmake --build build-fuzz --target fuzz_jp2_memory fuzz_jp2_memory_corpus
//   cd build-fuzz/tests/fuzz && ./fuzz_jp2_memory -max_len=12288 corpora/fuzz_jp2_memory
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_system/LxByteArray.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_input_file.h"
#include "w32_system/debugging/LxDiag.h"
#include "fuzz_quiet_reports.h"

namespace
{

// Frames beyond this are not decoded: the harness sizes the buffers.
constexpr uint64_t kMaxFrame = 1u << 20;
constexpr uint32_t kMaxFrames = 4;
constexpr uint8_t kGuard = 0xA5;

void Check(bool condition)
{
    if (!condition)
        abort();
}

// A buffer of `bytes` followed by guard bytes that must stay.
struct SGuarded {
    explicit SGuarded(uint64_t bytes) : data(size_t(bytes) + 16, kGuard), size(size_t(bytes)) {}
    void CheckGuard() const
    {
        for (size_t i = size; i < data.size(); ++i)
            Check(data[i] == kGuard);
    }
    std::vector<uint8_t> data;
    size_t size;
};

void ReadFrames(CLxJP2InputFile& r)
{
    SLxImageAttributes a{};
    if (r.GetImageAttributes(a) != 0 || a.uiWidth == 0 || a.uiHeight == 0 || a.uiComp == 0)
        return;
    const uint64_t frameBytes = uint64_t(a.uiWidthBytes) * a.uiHeight;
    const uint64_t sample = a.uiBpcInMemory > 8 ? 2 : 1;
    Check(a.uiWidthBytes >= uint64_t(a.uiWidth) * a.uiComp * sample);
    if (frameBytes > kMaxFrame)
        return;
    const uint32_t last = a.uiSequenceCount < kMaxFrames ? a.uiSequenceCount : kMaxFrames;
    for (uint32_t f = 1; f <= last; ++f) {
        SGuarded frame(frameBytes);
        r.GetImageData(f, frame.data.data(), 0, 0);
        frame.CheckGuard();
        SLxPictureMetadata md;
        r.GetImageMetadata(f, md, 0);
    }
    if (a.uiSequenceCount < 2)
        return;
    // Frame 1's last component alone, at the rows of one sample.
    const uint64_t planeRow = (uint64_t(a.uiWidth) * sample + 3) / 4 * 4;
    SGuarded plane(planeRow * a.uiHeight);
    r.GetImageDataComponent(1, a.uiComp - 1, plane.data.data(), uint32_t(planeRow), 1);
    plane.CheckGuard();
    // Its lower right quarter, at full resolution: rows of that width are
    // never longer than the frame's.
    const uint32_t x = a.uiWidth / 2, y = a.uiHeight / 2;
    const uint32_t w = a.uiWidth - x, h = a.uiHeight - y;
    SGuarded region(uint64_t(a.uiWidthBytes) * h);
    r.GetImageRegionScaled(1, a.uiWidth, a.uiHeight, x, y, w, h, region.data.data(), 0, 0);
    region.CheckGuard();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzing::QuietReports();
    CLxByteArray bytes;
    if (size &&
        bytes.SetData(data, uint32_t(size), eLxByteArrayOpFromStart, eLxByteArrayAllocExact) != 0)
        return 0;
    try {
        auto* reader = new CLxJP2InputFile(nullptr, &bytes);
        reader->AddRef();
        ReadFrames(*reader);
        reader->Release();
    } catch (const CLxJP2ErrorException&) {
    }
    return 0;
}
