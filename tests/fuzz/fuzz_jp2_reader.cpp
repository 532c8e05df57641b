// libFuzzer target of the JPEG 2000 reader: each input is written to a
// scratch file on tmpfs and opened by path (box map, box walk, UUID pass,
// in-place rewrite of a file without a map), every record is read and
// frame 0 decoded at a reduced size; the bytes also go through the text
// information and old calibration parsers. Chosen by the input length, the
// same bytes also serve as the document's side file, and the writer
// re-closes the document (its own and foreign boxes merged, the tail and
// box map written anew) before it is read again.
//
//   cmake --build build-fuzz --target fuzz_jp2_reader fuzz_jp2_reader_corpus
//   export ASAN_OPTIONS=quarantine_size_mb=8:malloc_context_size=2
//   cd build-fuzz/tests/fuzz && ./fuzz_jp2_reader corpora/fuzz_jp2_reader
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "gnr_metaformats/LxExperiment.h"
#include "gnr_metaformats/LxExperimentRecord.h"
#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_metaformats/LxValueRecords.h"
#include "gnr_system/LxByteArray.h"
#include "gnr_system/variant/LxVariant.h"
#include "mul_imageformat/LxImageUnknownData.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_input_file.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_output_file.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_text_parsers.h"
#include "w32_system/debugging/LxDiag.h"
#include "fuzz_quiet_reports.h"

namespace
{

// A scratch folder of this process on tmpfs when there is one.
const std::string& Scratch()
{
    static const std::string folder = [] {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string t = std::string(base) + "/jp2_reader_fuzz_XXXXXX";
        std::vector<char> name(t.begin(), t.end());
        name.push_back(0);
        const char* made = mkdtemp(name.data());
        return std::string(made ? made : base);
    }();
    return folder;
}

std::u16string Wide(const std::string& s)
{
    return std::u16string(s.begin(), s.end());
}

void ReadEverything(CLxJP2InputFile& r, bool keeper)
{
    SLxImageAttributes a{};
    r.GetImageAttributes(a);
    uint32_t w, h, b, c;
    r.GetImageInfo(w, h, b, c);
    for (uint32_t f = 0; f < 3 && f <= a.uiSequenceCount; ++f) {
        SLxPictureMetadata md;
        r.GetImageMetadata(f, md, 0);
        double cal, aspect;
        CLxStringW objective;
        r.GetCalibration(f, cal, aspect, objective);
        CLxStringW objects;
        r.GetReportObjectsSeq(f, objects);
        CLxVariant v;
        r.GetCustomDataVarSeq(u"Step", f, v);
        CLxByteArray bytes;
        r.GetCustomDataSeq(u"Blob", f, bytes);
    }
    SLxExperimentRecord events;
    r.GetEvents(events, 0);
    SLxExperimentRecord::Free(events);
    SLxImageTextInfo info;
    r.GetTextInfo(info);
    CLxStringW objects;
    r.GetReportObjects(objects);
    CLxVariant v;
    r.GetCustomDataVar(u"Answer", v);
    CLxByteArray bytes;
    r.GetCustomData(u"Blob", bytes);
    SLxExperiment* experiment = nullptr;
    if (SLxExperiment::Alloc(&experiment) == 0) {
        r.GetExperiment(*experiment, 0);
        SLxExperiment::FreeRecursive(experiment);
    }
    // The keeper's pass (a temporary file and every box again) for half the
    // inputs, chosen by the last byte.
    ILxImageUnknownData* unknown = nullptr;
    if (keeper && r.GetUnknownData(&unknown) == 0 && unknown)
        unknown->Release();

    // Frame 0 at a quarter of its size, when that stays small.
    if ((uint64_t(a.uiWidth) * a.uiHeight * (a.uiComp ? a.uiComp : 1)) > (1u << 18))
        return;
    const uint32_t vw = a.uiWidth > 4 ? a.uiWidth / 4 : 1;
    const uint32_t vh = a.uiHeight > 4 ? a.uiHeight / 4 : 1;
    std::vector<uint8_t> pixels(size_t(vh) *
                                ((size_t(vw) * 2 * (a.uiComp ? a.uiComp : 1) + 3) & ~size_t(3)));
    r.GetImageRegionScaled(0, vw, vh, 0, 0, vw, vh, pixels.data(), 0, 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzing::QuietReports();

    SLxImageTextInfo info;
    LX_Jp2ParseTextInfo(reinterpret_cast<const char*>(data), size, info);
    double calibration = 0, aspect = 0;
    LX_Jp2ParseOldCalibration(reinterpret_cast<const char*>(data), size, calibration, aspect);

    const std::string path = Scratch() + "/input.jp2";
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    if (size)
        fwrite(data, 1, size, f);
    fclose(f);
    const std::string side = path + ".endmeta";
    const size_t mode = size; // the length picks the extra passes
    if (mode & 2) {
        if (FILE* s = fopen(side.c_str(), "wb")) {
            fwrite(data, 1, size, s);
            fclose(s);
        }
    } else {
        remove(side.c_str());
    }
    const std::u16string wide = Wide(path);
    if (mode & 4) {
        // A writer without frames re-closing the document.
        auto* writer = new CLxJP2OutputFile(nullptr, CLxStringW(wide.c_str()));
        writer->AddRef();
        SLxImageTextInfo info;
        info.wsText[0] = CLxStringW(u"fuzz");
        writer->SetTextInfo(info);
        writer->SetCustomDataVar(u"Answer", CLxVariant(42.0, CLxStringW(u"d")));
        writer->Close();
        writer->Abort();
        writer->Release();
    }
    try {
        auto* reader = new CLxJP2InputFile(nullptr, wide.c_str());
        reader->AddRef();
        ReadEverything(*reader, size && (data[size - 1] & 1));
        reader->Release();
    } catch (const CLxJP2ErrorException&) {
    }
    return 0;
}
