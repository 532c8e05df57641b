// Shows what the SDK offers so far: a file written and read back through the
// file API, a variant tree turned into XML text and back, an object made by
// class name, a time-lapse Z-stack document written as QX2 and as JPEG 2000
// and read back frame by frame, a trace record, and where the log file went.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "gnr_metaformats/LxExperiment.h"
#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_system/rtti/LxRTTI.h"
#include "gnr_system/serializerxml/LxSerializerXML.h"
#include "gnr_system/string/LxString.h"
#include "gnr_system/variant/LxVariant.h"
#include "mul_imageformat/LxImageAttributes.h"
#include "mul_imageformat/LxInputImageFile.h"
#include "mul_imageformat/LxOutputImageFile.h"
#include "mul_imageformat/gnr_imageformat_jp2/LxImageFormatJP2.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxImageFormatQX2.h"
#include "w32_system/LxFileAPI.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/debugging/LxLogFile.h"
#include "w32_system/timer/LxTimer.h"

namespace {

CLxStringA utf8(const char16_t* text)
{
    return CLxStringA(CLxStringW(text));
}

int fail(const char* what, int status)
{
    std::fprintf(stderr, "%s failed: %d\n", what, status);
    return EXIT_FAILURE;
}

ILxOutputImageFile* newQx2Writer(const char16_t* path)
{
    return LX_CreateQx2OutputFile(path, false);
}

int fileRoundTrip()
{
    char16_t path[1024];
    int status = LX_GetTempFileName(nullptr, u"quelvix_example$$$$.txt", true, path, 1024);
    if (status)
        return fail("LX_GetTempFileName", status);

    const char16_t text[] = u"Hello from quelvix, UTF-16 on disk.";
    LX_HFILE file;
    if ((status = LX_OpenFile(path, 1 | 2, 0, -1, &file)))
        return fail("LX_OpenFile", status);
    uint32_t moved = 0;
    LX_WriteFile(file, text, sizeof(text), &moved, nullptr);
    LX_SeekFile(file, 0, 0, 0);
    char16_t back[64] = {};
    LX_ReadFile(file, back, sizeof(back), &moved, nullptr);
    LX_CloseFile(file);
    LX_RemoveFile(path, false);
    std::printf("wrote and read %u bytes through %s:\n  %s\n", moved, utf8(path).GetString(),
                utf8(back).GetString());
    return 0;
}

int variantRoundTrip()
{
    CLxVariant frame(CLxListVariant(), CLxStringW(u"frame"));
    frame.Append(CLxVariant(512, CLxStringW(u"uiWidth")));
    frame.Append(CLxVariant(0.25, CLxStringW(u"dCalibration")));
    frame.Append(CLxVariant(u"DAPI \u2192 blue", CLxStringW(u"wsChannel")));

    CLxStringA xml;
    if (int status = CLxXMLAPI::VariantToXMLDocument_UTF8(xml, frame))
        return fail("VariantToXMLDocument_UTF8", status);
    std::printf("variant tree as XML:\n  %s\n", xml.GetString());

    CLxVariant back;
    if (int status = CLxXMLAPI::VariantFromXML_UTF8(back, xml))
        return fail("VariantFromXML_UTF8", status);
    std::printf("read back %s\n", back == frame ? "equal" : "DIFFERENT");
    return back == frame ? 0 : EXIT_FAILURE;
}

int serializerByClassName()
{
    auto* serializer = static_cast<ILxSerializer*>(
        CLxRTTI::CreateAndQuery("CLxSerializerXMLString", "ILxSerializer"));
    if (!serializer)
        return fail("CLxRTTI::CreateAndQuery", -9);
    CLxStringW text;
    CLxVariant params(static_cast<void*>(&text), CLxStringW(u"string"));
    int status = serializer->Save(params, CLxVariant(42, CLxStringW(u"answer")));
    CLxRTTI::Release(serializer);
    if (status)
        return fail("ILxSerializer::Save", status);
    std::printf("CLxSerializerXMLString made by class name wrote:\n  %s\n", CLxStringA(text).GetString());
    return 0;
}


// The document of the example: 3 time points of a 2-plane Z stack, 64 x 48
// pixels of 12 significant bits in 16.
constexpr uint32_t kWidth = 64, kHeight = 48, kRowBytes = kWidth * 2;

uint16_t sampleOf(uint32_t frame, uint32_t x, uint32_t y)
{
    return uint16_t((frame * 500 + x * 40 + y * 20) & 0xFFF);
}

std::vector<uint16_t> frameOf(uint32_t frame)
{
    std::vector<uint16_t> pixels(kWidth * kHeight);
    for (uint32_t y = 0; y < kHeight; ++y)
        for (uint32_t x = 0; x < kWidth; ++x)
            pixels[y * kWidth + x] = sampleOf(frame, x, y);
    return pixels;
}

// Writes every frame of the experiment (the experiment itself where the format
// stores it), then reads the document back and checks every frame.
int documentRoundTrip(const char* format, const char16_t* pattern,
                      ILxOutputImageFile* (*createWriter)(const char16_t*),
                      ILxInputImageFile* (*createReader)(const char16_t*))
{
    char16_t path[1024];
    if (int status = LX_GetTempFileName(nullptr, pattern, false, path, 1024))
        return fail("LX_GetTempFileName", status);

    SLxExperiment* time = nullptr;
    SLxExperiment::Alloc(&time);
    SLxExperiment::Init(*time, SLxExperiment::eEtTime, true, 3, 0, 1);
    time->uLoopPars.sTimeLoop.dPeriod = 1000.0;
    SLxExperiment::Alloc(&time->ppNextLevelEx[0]);
    SLxExperiment::Init(*time->ppNextLevelEx[0], SLxExperiment::eEtZStack, true, 2, 0, 0);
    const uint32_t frames = CLxExperimentAPI::GetAllImagesCount(time);

    ILxOutputImageFile* writer = createWriter(path);
    if (!writer)
        return fail("creating the writer", -9);
    writer->AddRef();
    SLxImageAttributes attributes{};
    attributes.uiWidth = kWidth;
    attributes.uiWidthBytes = kRowBytes;
    attributes.uiHeight = kHeight;
    attributes.uiComp = 1;
    attributes.uiBpcInMemory = 16;
    attributes.uiBpcSignificant = 12;
    attributes.eCompression = LX_COMPRESSION_LOSSLESS;
    int status = writer->SetImageAttributes(attributes);
    const bool storesExperiment = writer->SetExperiment(*time, nullptr) == 0;
    for (uint32_t f = 0; f < frames && status == 0; ++f)
        status = writer->SetImageData(f, frameOf(f).data(), nullptr, nullptr);
    if (status == 0)
        status = writer->Close();
    writer->Release();
    SLxExperiment::FreeRecursive(time);
    if (status)
        return fail("writing the document", status);

    ILxInputImageFile* reader = createReader(path);
    if (!reader)
        return fail("opening the document", -9);
    reader->AddRef();
    SLxImageAttributes back{};
    status = reader->GetImageAttributes(back);
    uint32_t same = 0;
    std::vector<uint16_t> pixels(kWidth * kHeight);
    for (uint32_t f = 0; status == 0 && f < back.uiSequenceCount; ++f)
        if ((status = reader->GetImageData(f, pixels.data(), 0, 0)) == 0 && pixels == frameOf(f))
            ++same;
    SLxExperiment stored;
    if (status == 0 && storesExperiment)
        status = reader->GetExperiment(stored, 0);
    reader->Release();
    LX_RemoveFile(path, false);
    if (status)
        return fail("reading the document", status);
    std::printf("%s: %u frames of %u x %u, %u bits of %u, read back %u identical", format,
                back.uiSequenceCount, back.uiWidth, back.uiHeight, back.uiBpcSignificant,
                back.uiBpcInMemory, same);
    if (storesExperiment) {
        uint32_t position[2] = {}, levels = 2;
        CLxExperimentAPI::CalcPosFromIdx(&stored, frames - 1, position, &levels);
        std::printf("; its experiment holds %u frames, the last at time %u, Z %u",
                    CLxExperimentAPI::GetAllImagesCount(&stored), position[0], position[1]);
    }
    std::printf("\n");
    return same == frames ? 0 : EXIT_FAILURE;
}

} // namespace

int main()
{
    double start = LX_GetTimeCounter();
    if (fileRoundTrip() || variantRoundTrip() || serializerByClassName() ||
        documentRoundTrip("QX2", u"quelvix_example$$$$.qx2", newQx2Writer,
                          LX_CreateQx2InputFile) ||
        documentRoundTrip("JPEG 2000", u"quelvix_example$$$$.jp2", LX_CreateJp2OutputFile,
                          LX_CreateJp2InputFile))
        return EXIT_FAILURE;

    LX_TRACE(u"example: done in |absdt| ms (%#.2f by the counter)", LX_GetTimeCounter() - start);
    const char16_t* log = CLxLogFile::GetLogFilename();
    std::printf("trace record written to the log file %s\n", log ? utf8(log).GetString() : "(none)");
    CLxLogFile::CloseLog();
    return EXIT_SUCCESS;
}
