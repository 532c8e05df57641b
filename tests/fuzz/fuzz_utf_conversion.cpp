// libFuzzer target for the UTF-8 and UTF-16 conversions: any bytes convert;
// well-formed text survives the way there and back unchanged.
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "gnr_system/string/LxString.h"
#include "gnr_system/string/LxStringUtils.h"
#include "w32_system/LxUtf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_support::QuietDiagnostics();
    const std::string input(reinterpret_cast<const char*>(data), size);
    const char* bytes = input.c_str();
    const size_t untilZero = strlen(bytes);

    // UTF-8 to UTF-16 and back.
    CLxStringW wide;
    bool wellFormed = CLxStringUtils::UTF8toWn(bytes, wide, unsigned(size));
    CLxStringA back;
    if (!CLxStringUtils::WtoUTF8(wide.GetString(), back))
        abort(); // the conversion never makes lone surrogates
    if (wellFormed && std::string(back.GetString()) != std::string(bytes, untilZero))
        abort();
    std::u16string internal = LX_Utf8ToUtf16(bytes, ptrdiff_t(untilZero));
    if (wellFormed && internal != std::u16string(wide.GetString()))
        abort();

    // UTF-16 to UTF-8 and back.
    std::u16string units = fuzz_support::Units(data, size);
    units = units.substr(0, units.find(u'\0'));
    CLxStringA utf8;
    bool noLoneSurrogate = CLxStringUtils::WtoUTF8(units.c_str(), utf8);
    CLxStringW again;
    if (!CLxStringUtils::UTF8toW(utf8.GetString(), again))
        abort(); // the writer's output is always well-formed
    if (noLoneSurrogate && std::u16string(again.GetString()) != units)
        abort();
    if (noLoneSurrogate && LX_Utf16ToUtf8(units.c_str()) != std::string(utf8.GetString()))
        abort();
    CLxStringW copy;
    CLxStringUtils::UTF16toW(units.c_str(), int(units.size()), copy);
    return 0;
}
