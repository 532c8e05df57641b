// libFuzzer target for the printf engine with formats that callers pass:
// any format, narrow or UTF-16, gives a length or -1 and a terminated
// buffer. Every argument slot, whether read as an integer, a double or a
// pointer, holds the address of a zeroed block: strings read from it are
// empty and every number is harmless, whatever the format asks for.
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "w32_system/LxFormat.h"

namespace
{

// Conversions plus '*' arguments; formats with more are skipped.
constexpr size_t kMaxArguments = 24;

alignas(16) unsigned char g_zeroes[4096];

template <class Ch> size_t ArgumentsAsked(const std::basic_string<Ch>& format)
{
    size_t count = 0;
    for (Ch c : format)
        count += c == Ch('%') || c == Ch('*');
    return count;
}

#define LX_FUZZ_ARGS_4 p, d, p, d
#define LX_FUZZ_ARGS_16 LX_FUZZ_ARGS_4, LX_FUZZ_ARGS_4, LX_FUZZ_ARGS_4, LX_FUZZ_ARGS_4
#define LX_FUZZ_ARGS LX_FUZZ_ARGS_16, LX_FUZZ_ARGS_16, LX_FUZZ_ARGS_16, LX_FUZZ_ARGS_16

template <class Ch, class Format>
void Run(const std::basic_string<Ch>& format, size_t bufferSize, Format formatFn)
{
    if (ArgumentsAsked(format) > kMaxArguments)
        return;
    memset(g_zeroes, 0, sizeof g_zeroes);
    const void* p = g_zeroes;
    double d;
    memcpy(&d, &p, sizeof d);
    std::basic_string<Ch> buffer(bufferSize + 1, Ch('#'));
    int n = formatFn(bufferSize ? &buffer[0] : nullptr, bufferSize, format.c_str(), LX_FUZZ_ARGS);
    if (n < -1)
        abort();
    if (bufferSize) {
        size_t end = 0;
        while (end < bufferSize && buffer[end] != Ch(0))
            ++end;
        // (%c of the zeroed block stores a NUL inside the text.)
        if (end == bufferSize || buffer[bufferSize] != Ch('#'))
            abort(); // not terminated, or written past the buffer
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_support::QuietDiagnostics();
    if (size < 2)
        return 0;
    const size_t bufferSize = data[1] % 2 ? 256 : data[1] % 16;
    if (data[0] % 2 == 0) {
        std::string format(reinterpret_cast<const char*>(data + 2), size - 2);
        format = format.substr(0, format.find('\0'));
        Run(format, bufferSize, LX_snprintfA);
    } else {
        std::u16string format = fuzz_support::Units(data + 2, size - 2);
        format = format.substr(0, format.find(u'\0'));
        Run(format, bufferSize, LX_snwprintf);
    }
    return 0;
}
