// Shows what the SDK offers so far: a file written and read back through the
// file API, a variant tree turned into XML text and back, an object made by
// class name, a time-lapse Z-stack document written as QX2 and as JPEG 2000
// and read back frame by frame, a trace record, and where the log file went.
//
// Then the main road: a 3-channel x 4-time-point QX2 document written at the
// path given as argument (a temporary file without one), opened with
// CreateJp2InputFile, its loops and images described, and channel 1 of time
// point 2 read with its time and wavelength; last a copy of that document
// written through CreateJp2OutputFile with the time of time point 1 changed.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "gnr_metaformats/LxExperiment.h"
#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_system/rtti/LxRTTI.h"
#include "gnr_system/serializerxml/LxSerializerXML.h"
#include "gnr_system/string/LxString.h"
#include "gnr_system/variant/LxVariant.h"
#include "gnr_vu2ziz/LxJp2InputFile.h"
#include "gnr_vu2ziz/LxJp2OutputFile.h"
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

// The main road's document: 4 time points of 3 channels, 32 x 16 pixels of
// 12 significant bits in 16, one component per channel.
constexpr uint32_t kTimes = 4, kChannels = 3, kSdkWidth = 32, kSdkHeight = 16;
const char16_t* const kChannelNames[kChannels] = {u"DAPI", u"GFP", u"mCherry"};
const uint32_t kEmission[kChannels] = {461, 510, 610};
const uint32_t kColors[kChannels] = {0xFF0000, 0x00FF00, 0x0000FF}; // 0x00BBGGRR

int writeChannelDocument(const char16_t* path)
{
    SLxExperiment* time = nullptr;
    SLxExperiment::Alloc(&time);
    SLxExperiment::Init(*time, SLxExperiment::eEtTime, true, kTimes, 0, 1);
    time->uLoopPars.sTimeLoop.dPeriod = 2000.0;
    SLxExperiment::Alloc(&time->ppNextLevelEx[0]);
    SLxExperiment* channels = time->ppNextLevelEx[0];
    SLxExperiment::Init(*channels, SLxExperiment::eEtSpect, true, kChannels, 0, 0);

    SLxPictureMetadata md;
    md.SetToDefault();
    SLxPicturePlanes::Alloc(md.sPicturePlanes, kChannels);
    md.sPicturePlanes.uiCompCount = kChannels;
    for (uint32_t c = 0; c < kChannels; ++c) {
        SLxPicturePlaneDesc& plane = md.sPicturePlanes.sPlane[c];
        plane.uiCompCount = 1;
        plane.uiColor = kColors[c];
        plane.sDescription = kChannelNames[c];
        plane.pFluorescentProbe =
            CLxFluorescentProbe(CLxStringW(kChannelNames[c]), kColors[c], kEmission[c] - 60, kEmission[c]);
        SLxPicturePlaneDesc::Copy(channels->uLoopPars.sSpectLoop.pPlaneDesc[c], plane);
    }

    ILxOutputImageFile* writer = LX_CreateQx2OutputFile(path, false);
    if (!writer) {
        SLxExperiment::FreeRecursive(time);
        return fail("LX_CreateQx2OutputFile", -9);
    }
    writer->AddRef();
    SLxImageAttributes attributes{};
    attributes.uiWidth = kSdkWidth;
    attributes.uiWidthBytes = kSdkWidth * kChannels * 2;
    attributes.uiHeight = kSdkHeight;
    attributes.uiComp = kChannels;
    attributes.uiBpcInMemory = 16;
    attributes.uiBpcSignificant = 12;
    attributes.uiSequenceCount = kTimes;
    attributes.eCompression = LX_COMPRESSION_LOSSLESS;
    attributes.dCompressionParam = 6.0;
    int status = writer->SetImageAttributes(attributes);
    if (status == 0)
        status = writer->SetExperiment(*time, nullptr);
    std::vector<uint16_t> frame(kSdkWidth * kSdkHeight * kChannels);
    for (uint32_t t = 0; t < kTimes && status == 0; ++t) {
        for (uint32_t i = 0; i < frame.size(); ++i)
            frame[i] = uint16_t((t * 1000 + (i % kChannels) * 300 + i / kChannels) & 0xFFF);
        md.dTimeMSec = 2000.0 * t;
        status = writer->SetImageMetadata(t, md, 0);
        if (status == 0)
            status = writer->SetImageData(t, frame.data(), nullptr, nullptr);
    }
    if (status == 0)
        status = writer->Close();
    writer->Release();
    SLxExperiment::FreeRecursive(time);
    return status ? fail("writing the channel document", status) : 0;
}

const char* loopTypeName(uint32_t type)
{
    static const char* const names[] = {"other", "time", "Z stack", "channel", "points"};
    return type < 5 ? names[type] : "?";
}

int sdkMainRoad(const char16_t* path)
{
    if (int status = writeChannelDocument(path))
        return status;
    IJp2InputFile* doc = CreateJp2InputFile(path);
    if (!doc)
        return fail("CreateJp2InputFile", -9);
    std::printf("%s: %u images in %u loops:", utf8(path).GetString(), doc->GetImageCount(),
                doc->GetLoopCount());
    for (uint32_t loop = 0; loop < doc->GetLoopCount(); ++loop)
        std::printf(" %s of %u", loopTypeName(doc->GetLoopType(loop)), doc->GetLoopSize(loop));
    std::printf("\n");

    uint32_t coordinates[2] = {2, 1}; // time point 2, channel 1
    const uint32_t seq = doc->GetSeqIndex(coordinates);
    uint32_t width = 0, widthBytes = 0, height = 0, components = 0, bits = 0;
    bool ok = doc->GetImageInfo(seq, &width, &widthBytes, &height, &components, &bits);
    std::vector<uint8_t> image(size_t(widthBytes) * height);
    ok = ok && doc->GetImage(seq, image.data());
    double time = 0.0, wavelength = 0.0;
    char16_t name[32] = {};
    uint8_t r = 0, g = 0, b = 0;
    ok = ok && doc->GetTime(seq, &time) &&
         doc->GetWavelength(seq, &wavelength, name, 31, &r, &g, &b);
    if (ok) {
        uint64_t checksum = 0;
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width * components; ++x) {
                uint16_t sample;
                std::memcpy(&sample, &image[size_t(y) * widthBytes + x * 2], 2);
                checksum += sample;
            }
        std::printf("image %u (time point 2, channel 1): %u x %u, %u component of %u bits, "
                    "%u bytes a row; checksum %llu, time %.1f ms, %s at %.0f nm\n",
                    seq, width, height, components, bits, widthBytes,
                    static_cast<unsigned long long>(checksum), time, utf8(name).GetString(),
                    wavelength);
    }
    doc->Release();
    return ok ? 0 : fail("reading channel 1 of time point 2", -9);
}

// A copy of the document with the time of time point 1 changed: every image
// read and written again. GetImage gives rows padded to 4 bytes, WriteImage
// takes them unpadded; a frame's edits come before its first channel.
int copyWithChangedTime(const char16_t* path)
{
    char16_t copyPath[1024];
    if (int status = LX_GetTempFileName(nullptr, u"quelvix_copy$$$$.qx2", false, copyPath, 1024))
        return fail("LX_GetTempFileName", status);
    IJp2InputFile* in = CreateJp2InputFile(path);
    IJp2OutputFile* out = in ? CreateJp2OutputFile(copyPath, in) : nullptr;
    uint32_t width = 0, widthBytes = 0, height = 0, components = 0, bits = 0;
    bool ok = out && in->GetImageInfo(0, &width, &widthBytes, &height, &components, &bits) &&
              out->SetImageInfo(width, height, bits);
    uint32_t coordinates[2] = {1, 0}; // time point 1, its first channel
    const uint32_t changed = in ? in->GetSeqIndex(coordinates) : 0;
    for (uint32_t seq = 0; ok && seq < in->GetImageCount(); ++seq) {
        ok = in->GetImageInfo(seq, &width, &widthBytes, &height, &components, &bits);
        std::vector<uint8_t> padded(size_t(widthBytes) * height);
        ok = ok && in->GetImage(seq, padded.data());
        const uint32_t rowBytes = (bits + 7) / 8 * components * width;
        std::vector<uint8_t> rows(size_t(rowBytes) * height);
        for (uint32_t y = 0; ok && y < height; ++y)
            std::memcpy(&rows[size_t(y) * rowBytes], &padded[size_t(y) * widthBytes], rowBytes);
        if (ok && seq == changed)
            ok = out->SetTime(seq, 2500.0);
        ok = ok && out->WriteImage(seq, rows.data());
    }
    if (out)
        out->Release(); // writes the loops and closes the file
    if (in)
        in->Release();
    IJp2InputFile* copy = ok ? CreateJp2InputFile(copyPath) : nullptr;
    double before = 0.0, after = 0.0;
    ok = copy && copy->GetTime(changed - 1, &before) && copy->GetTime(changed, &after);
    if (ok)
        std::printf("copy %s: %u images, time point 1 at %.1f ms (was 2000.0), the image "
                    "before it at %.1f ms\n",
                    utf8(copyPath).GetString(), copy->GetImageCount(), after, before);
    if (copy)
        copy->Release();
    LX_RemoveFile(copyPath, false);
    return ok ? 0 : fail("writing a copy with one changed time", -9);
}

} // namespace

int main(int argc, char** argv)
{
    double start = LX_GetTimeCounter();
    if (fileRoundTrip() || variantRoundTrip() || serializerByClassName() ||
        documentRoundTrip("QX2", u"quelvix_example$$$$.qx2", newQx2Writer,
                          LX_CreateQx2InputFile) ||
        documentRoundTrip("JPEG 2000", u"quelvix_example$$$$.jp2", LX_CreateJp2OutputFile,
                          LX_CreateJp2InputFile))
        return EXIT_FAILURE;

    char16_t temporary[1024];
    CLxStringW path;
    if (argc > 1)
        path = CLxStringW(CLxStringA(argv[1]));
    else if (int status = LX_GetTempFileName(nullptr, u"quelvix_channels$$$$.qx2", false,
                                             temporary, 1024))
        return fail("LX_GetTempFileName", status);
    else
        path = temporary;
    int status = sdkMainRoad(path.GetString());
    if (status == 0)
        status = copyWithChangedTime(path.GetString());
    if (argc <= 1)
        LX_RemoveFile(path.GetString(), false);
    if (status)
        return EXIT_FAILURE;

    LX_TRACE(u"example: done in |absdt| ms (%#.2f by the counter)", LX_GetTimeCounter() - start);
    const char16_t* log = CLxLogFile::GetLogFilename();
    std::printf("trace record written to the log file %s\n", log ? utf8(log).GetString() : "(none)");
    CLxLogFile::CloseLog();
    return EXIT_SUCCESS;
}
