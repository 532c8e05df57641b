// Shows what the SDK offers so far: a file written and read back through the
// file API, a variant tree turned into XML text and back, an object made by
// class name, a trace record, and where the log file went.
#include <cstdio>
#include <cstdlib>

#include "gnr_system/rtti/LxRTTI.h"
#include "gnr_system/serializerxml/LxSerializerXML.h"
#include "gnr_system/string/LxString.h"
#include "gnr_system/variant/LxVariant.h"
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

} // namespace

int main()
{
    double start = LX_GetTimeCounter();
    if (fileRoundTrip() || variantRoundTrip() || serializerByClassName())
        return EXIT_FAILURE;

    LX_TRACE(u"example: done in |absdt| ms (%#.2f by the counter)", LX_GetTimeCounter() - start);
    const char16_t* log = CLxLogFile::GetLogFilename();
    std::printf("trace record written to the log file %s\n", log ? utf8(log).GetString() : "(none)");
    CLxLogFile::CloseLog();
    return EXIT_SUCCESS;
}
