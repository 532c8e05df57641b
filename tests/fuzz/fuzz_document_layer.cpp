// libFuzzer target of the input document's own logic: loops, channels,
// branches, frame indices and the frame cache over a reader whose
// attributes, experiment tree and frame metadata come from a byte script
// (document_script.h), not from a file. The formats' readers have targets
// of their own; this one reaches the shapes of experiments that parsing
// files reaches only rarely, thousands of times a second. Every call must
// answer; images never write past the size GetImageInfo reports.
//
//   cmake --build build-fuzz --target fuzz_document_layer fuzz_document_layer_corpus
//   cd build-fuzz/tests/fuzz && ./fuzz_document_layer corpora/fuzz_document_layer
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "document_script.h"
#include "document_reads.h"
#include "w32_system/debugging/LxDiag.h"
#include "gnr_vu2ziz/meta_inputfile/LxJp2InputFileImpl.h"
#include "mul_imageformat/LxImageAttributes.h"
#include "mul_imageformat/LxInputImageFile.h"
#include "fuzz_quiet_reports.h"

namespace
{

using document_script::SDocument;

constexpr uint64_t kMaxImage = 1u << 20;

using document_reads::Check;

// A reader as the formats' readers behave: each caller gets its own copy
// of the experiment, frames are written at the padded stride.
class CScriptReader final : public ILxInputImageFile
{
  public:
    explicit CScriptReader(const SDocument& d) : m_doc(d) {}

    uint32_t AddRef() override { return ++m_uiRefs; }
    uint32_t Release() override { return --m_uiRefs; } // owned by the harness
    uint32_t References() const { return m_uiRefs; }

    ILxImageFormat* GetImageFormat() override { return nullptr; }
    int GetImageMetadata(uint32_t seq, SLxPictureMetadata& md, uint32_t) override
    {
        if (seq >= m_doc.frames || m_doc.Fails(seq))
            return -1;
        switch (m_doc.timing % 4) {
        case 0: md.dTimeMSec = 100.0 * seq; break;
        case 1: md.dTimeMSec = 1000.0 - seq; break;
        case 2: md.dTimeMSec = std::nan(""); break;
        default: md.dTimeMSec = double(seq % 3); break;
        }
        md.dXPos = seq;
        md.dZPos = -double(seq);
        SLxPicturePlanes::Free(md.sPicturePlanes);
        const uint32_t n = uint32_t(m_doc.planes.size());
        if (n && SLxPicturePlanes::Alloc(md.sPicturePlanes, n) == 0) {
            uint32_t total = 0;
            for (uint32_t p = 0; p < n; ++p) {
                md.sPicturePlanes.sPlane[p].uiCompCount = m_doc.planes[p];
                total += m_doc.planes[p];
            }
            md.sPicturePlanes.uiCompCount = m_doc.flags & 2 ? m_doc.components : total;
        }
        return 0;
    }
    int GetExperiment(SLxExperiment& experiment, uint32_t) override
    {
        if (!m_doc.experiment)
            return -1;
        return SLxExperiment::CopyRecursive(&experiment, *m_doc.experiment, true);
    }
    int GetImageAttributes(SLxImageAttributes& a) override
    {
        a = SLxImageAttributes{};
        a.uiWidth = m_doc.width;
        a.uiHeight = m_doc.height;
        a.uiComp = m_doc.components;
        a.uiBpcInMemory = uint8_t(8 * m_doc.sampleBytes);
        a.uiBpcSignificant = uint8_t(m_doc.bits);
        a.uiWidthBytes = RowBytes();
        a.uiSequenceCount = m_doc.frames;
        return 0;
    }
    int GetImageInfo(uint32_t& width, uint32_t& height, uint32_t& bits,
                     uint32_t& components) override
    {
        width = m_doc.width;
        height = m_doc.height;
        bits = m_doc.bits;
        components = m_doc.components;
        return 0;
    }
    int GetImageData(uint32_t seq, void* buffer, uint32_t, uint32_t) override
    {
        if (seq >= m_doc.frames || m_doc.Fails(seq) || !buffer)
            return -1;
        uint8_t* out = static_cast<uint8_t*>(buffer);
        for (uint32_t i = 0; i < RowBytes() * m_doc.height; ++i)
            out[i] = uint8_t(seq + i);
        return 0;
    }
    int GetImageDataFirst(void* buffer, uint32_t e1, uint32_t e2) override
    {
        return GetImageData(0, buffer, e1, e2);
    }
    int GetImageDataComponent(uint32_t seq, uint32_t component, void* destination,
                              uint32_t widthBytes, uint32_t components) override
    {
        if (seq >= m_doc.frames || m_doc.Fails(seq) || component >= m_doc.components ||
            !destination || components == 0)
            return -1;
        const uint32_t sample = m_doc.sampleBytes;
        Check(uint64_t(m_doc.width) * components * sample <= widthBytes);
        uint8_t* out = static_cast<uint8_t*>(destination);
        for (uint32_t y = 0; y < m_doc.height; ++y)
            for (uint32_t x = 0; x < m_doc.width; ++x)
                std::memset(out + size_t(y) * widthBytes + size_t(x) * components * sample,
                            int(seq + component), sample);
        return 0;
    }
    int GetCustomData(const char16_t*, CLxByteArray&) override { return -1; }

    int GetEvents(SLxExperimentRecord&, uint32_t) override { return -2; }
    int Unsupported7(uint32_t) override { return -1506; }
    int GetImageBinary(uint8_t*) override { return -2; }
    int CheckPixelFormat(uint32_t) override { return -2; }
    int GetCalibration(uint32_t, double&, double&, CLxStringW&) override { return -2; }
    int GetAcqTime(double&) override { return -2; }
    int GetReportObjectsSeq(uint32_t, CLxStringW&) override { return -2; }
    int GetReportObjects(CLxStringW&) override { return -2; }
    int GetTextInfo(SLxImageTextInfo&) override { return -2; }
    int Unsupported17(uint32_t) override { return -2; }
    int GetPreviewImage(uint32_t&, uint32_t&, uint8_t*, bool, uint32_t, uint32_t) override
    {
        return -2;
    }
    int GetImageRegionFirst(uint32_t, uint32_t, uint32_t, uint32_t, void*, uint32_t,
                            uint32_t) override
    {
        return -2;
    }
    int GetImageRegion(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, void*, uint32_t,
                       uint32_t) override
    {
        return -2;
    }
    int GetImageRegionScaled(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                             uint32_t, void*, uint32_t, uint32_t) override
    {
        return -2;
    }
    int GetUnknownData(ILxImageUnknownData**) override { return -2; }
    int Unsupported25(uint32_t, uint32_t) override { return -2; }
    int GetCustomDataSeq(const char16_t*, uint32_t, CLxByteArray&) override { return -1; }
    int GetCustomDataVar(const char16_t*, CLxVariant&) override { return -1; }
    int GetCustomDataVarSeq(const char16_t*, uint32_t, CLxVariant&) override { return -1; }

  private:
    uint32_t RowBytes() const
    {
        return (m_doc.width * m_doc.components * m_doc.sampleBytes + 3) / 4 * 4;
    }

    const SDocument& m_doc;
    uint32_t m_uiRefs = 1;
};


void Exercise(IJp2InputFile* doc, document_script::SReader& in)
{
    const uint32_t loops = doc->GetLoopCount();
    if (loops > 64)
        return;
    std::vector<uint32_t> sizes(loops), coordinates(loops);
    for (uint32_t loop = 0; loop < loops; ++loop) {
        doc->GetLoopType(loop);
        sizes[loop] = doc->GetLoopSize(loop);
        coordinates[loop] = sizes[loop] ? sizes[loop] - 1 : 0;
    }
    doc->GetLoopType(loops);
    doc->GetLoopSize(loops);
    const std::vector<uint32_t> before = coordinates;
    const uint32_t last = doc->GetSeqIndex(coordinates.data());
    Check(coordinates == before);
    const uint32_t count = doc->GetImageCount();
    for (uint32_t seq : {0u, 1u, count / 2, last, count - 1, count})
        document_reads::ReadImage(doc, seq, kMaxImage);
    // The rest of the script: coordinates (some past the loop sizes) and
    // the images they give, in any order, so that the cache sees jumps.
    for (int round = 0; round < 8 && in.More(); ++round) {
        for (uint32_t loop = 0; loop < loops; ++loop)
            coordinates[loop] = sizes[loop] ? in.U8() % (sizes[loop] + 1) : in.U8() % 2;
        document_reads::ReadImage(doc, doc->GetSeqIndex(coordinates.data()), kMaxImage);
        document_reads::ReadImage(doc, count ? in.U16() % count : 0, kMaxImage);
    }
}

} // namespace

// ASan hands freed pages of its size classes back to the system every few
// seconds by default; documents free many blocks of many sizes, and that
// alone cost more than half the executions. ASAN_OPTIONS still decides.
extern "C" const char* __asan_default_options()
{
    return "allocator_release_to_os_interval_ms=-1";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Reports only to the debug outlet: no stack trace per bad record.
    fuzzing::QuietReports();
    document_script::SReader in{data, size};
    SDocument d = document_script::ReadDocument(in);
    {
        CScriptReader reader(d);
        CJp2InputFile* doc = new CJp2InputFile;
        if (doc->OpenFile(&reader) == 0)
            Exercise(doc, in);
        Check(doc->Release() == 0);
        // The document lets go of every reference it took.
        Check(reader.References() == 1);
    }
    SLxExperiment::FreeRecursive(d.experiment);
    return 0;
}
