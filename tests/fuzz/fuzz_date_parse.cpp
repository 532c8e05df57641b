// libFuzzer target for the date and time parsers: any text gives the end of
// what was read, inside the text, or null. The first byte chooses the
// parser; for ParseFormat the text holds the format, a NUL unit, then the
// date.
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "gnr_system/time/LxDateTime.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_support::QuietDiagnostics();
    if (size < 1)
        return 0;
    const uint8_t parser = data[0];
    std::u16string text = fuzz_support::Units(data + 1, size - 1);
    std::u16string format;
    if (parser % 7 == 6) {
        size_t nul = text.find(u'\0');
        if (nul == std::u16string::npos)
            return 0;
        format = text.substr(0, nul);
        text.erase(0, nul + 1);
    }
    text = text.substr(0, text.find(u'\0'));
    const char16_t* begin = text.c_str();
    CLxDateTime date;
    const char16_t* end = nullptr;
    switch (parser % 7) {
    case 0:
        end = date.ParseDate(begin);
        break;
    case 1:
        end = date.ParseTime(begin);
        break;
    case 2:
        end = date.ParseRfc822Date(begin);
        break;
    case 3:
        end = date.ParseLocaleDate(begin);
        break;
    case 4:
        end = date.ParseLocaleTime(begin);
        break;
    case 5:
        end = date.ParseDateTime(begin);
        break;
    default:
        end = date.ParseFormat(begin, format.c_str(), CLxDateTime(int64_t(1234567890123)));
        break;
    }
    if (end && (end < begin || end > begin + text.size()))
        abort();
    if (end && date.IsValid())
        date.Format(u"%c");
    return 0;
}
