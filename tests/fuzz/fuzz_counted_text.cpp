// libFuzzer target for the counted-buffer converters LX_Char2WChar and
// LX_WChar2Char: any text, counted or zero-terminated, gives the size it
// asks for; a buffer of that size takes exactly that many units, a buffer
// one short is refused, and nothing is written or read past either end.
// Text without malformed sequences converts there and back unchanged.
//
// Input: a mode byte (bit 0: the text is UTF-16, bit 1: zero-terminated),
// then the text's bytes.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

#include "fuzz_support.h"
#include "w32_system/LxStrHelpers.h"

namespace
{

constexpr size_t kMaxUnits = 1u << 16;
constexpr uint8_t kGuard = 0xA5;

void Check(bool condition)
{
    if (!condition)
        abort();
}

template <class Unit> struct SConverter;

template <> struct SConverter<char> {
    using Other = char16_t;
    static int Convert(const char* text, int length, char16_t* buffer, int size)
    {
        return LX_Char2WChar(text, length, buffer, size);
    }
};

template <> struct SConverter<char16_t> {
    using Other = char;
    static int Convert(const char16_t* text, int length, char* buffer, int size)
    {
        return LX_WChar2Char(text, length, buffer, size);
    }
};

// The converted units of text (length -1: up to and with its terminator),
// after checking the sizes and the buffer's ends.
template <class Unit>
std::vector<typename SConverter<Unit>::Other> Convert(const Unit* text, int length)
{
    using Other = typename SConverter<Unit>::Other;
    const int needed = SConverter<Unit>::Convert(text, length, nullptr, 0);
    Check(needed >= 0);
    Check(length == -1 ? needed >= 1 : (needed == 0) == (length == 0));
    // The buffer sits between guard units so that a stray write shows.
    std::vector<Other> block(size_t(needed) + 2, Other(kGuard));
    if (needed > 1) {
        Check(SConverter<Unit>::Convert(text, length, block.data() + 1, needed - 1) == 0);
        Check(block[size_t(needed)] == Other(kGuard));
    }
    const int written = SConverter<Unit>::Convert(text, length, block.data() + 1, needed);
    Check(written == (needed > 0 ? needed : 0));
    Check(block.front() == Other(kGuard) && block.back() == Other(kGuard));
    if (length == -1)
        Check(block[size_t(needed)] == 0);
    return std::vector<Other>(block.begin() + 1, block.begin() + 1 + written);
}

bool HasLoneSurrogate(const std::vector<char16_t>& units)
{
    for (size_t i = 0; i < units.size(); ++i) {
        const char16_t c = units[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF)
            ++i;
        else if (c >= 0xD800 && c <= 0xDFFF)
            return true;
    }
    return false;
}

// Counted text in a block of exactly its size, so that a read past the end
// is caught.
template <class Unit> std::unique_ptr<Unit[]> Exact(const std::vector<Unit>& units)
{
    std::unique_ptr<Unit[]> copy(new Unit[units.size() ? units.size() : 1]);
    std::copy(units.begin(), units.end(), copy.get());
    return copy;
}

template <class Unit> void Run(std::vector<Unit> units, bool terminated)
{
    if (terminated)
        units.push_back(0);
    const auto text = Exact(units);
    const int length = terminated ? -1 : int(units.size());
    const auto converted = Convert(text.get(), length);
    // One pass makes well-formed text: a second round trip keeps it.
    const auto convertedText = Exact(converted);
    const int convertedLength = terminated ? -1 : int(converted.size());
    const auto back = Convert(convertedText.get(), convertedLength);
    const auto backText = Exact(back);
    const auto again = Convert(backText.get(), terminated ? -1 : int(back.size()));
    Check(again == converted);
    if constexpr (std::is_same_v<Unit, char16_t>) {
        // Text up to its first zero unit when terminated.
        std::vector<char16_t> source(units.begin(), units.end());
        if (terminated)
            source.resize(std::find(source.begin(), source.end(), u'\0') - source.begin() + 1);
        if (!HasLoneSurrogate(source))
            Check(back == source);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_support::QuietDiagnostics();
    if (size == 0 || size > 2 * kMaxUnits)
        return 0;
    const uint8_t mode = data[0];
    ++data;
    --size;
    const bool terminated = mode & 2;
    if (mode & 1) {
        const std::u16string units = fuzz_support::Units(data, size);
        Run(std::vector<char16_t>(units.begin(), units.end()), terminated);
    } else {
        Run(std::vector<char>(data, data + size), terminated);
    }
    // Arguments the converters refuse.
    const char narrow[] = "ab";
    const char16_t wide[] = u"ab";
    char16_t wideOut[4];
    char narrowOut[4];
    Check(LX_Char2WChar(nullptr, 2, wideOut, 4) == 0);
    Check(LX_Char2WChar(narrow, -2, wideOut, 4) == 0);
    Check(LX_Char2WChar(narrow, 2, nullptr, 4) == 0);
    Check(LX_WChar2Char(wide, 2, narrowOut, -1) == 0);
    return 0;
}
