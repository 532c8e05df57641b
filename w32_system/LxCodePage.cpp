// UTF-16 <-> narrow text. The narrow code page of this library is UTF-8.
#include "w32_system/LxStrHelpers.h"
#include "w32_system/LxUtf.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point from UTF-8; malformed sequences (overlong, surrogate
// or out-of-range values, cut sequences) yield U+FFFD and consume one byte.
char32_t decodeUtf8(const unsigned char* s, size_t n, size_t* used)
{
    unsigned char b = s[0];
    *used = 1;
    if (b < 0x80)
        return b;
    int extra;
    char32_t cp, min;
    if ((b & 0xE0) == 0xC0) {
        extra = 1, cp = b & 0x1F, min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        extra = 2, cp = b & 0x0F, min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        extra = 3, cp = b & 0x07, min = 0x10000;
    } else {
        return kReplacement;
    }
    if (size_t(extra) >= n)
        return kReplacement;
    for (int i = 1; i <= extra; ++i) {
        if ((s[i] & 0xC0) != 0x80)
            return kReplacement;
        cp = (cp << 6) | (s[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return kReplacement;
    *used = size_t(extra) + 1;
    return cp;
}

// Decodes one code point from UTF-16; a lone surrogate yields U+FFFD.
char32_t decodeUtf16(const char16_t* s, size_t n, size_t* used)
{
    char16_t c = s[0];
    *used = 1;
    if (c < 0xD800 || c > 0xDFFF)
        return c;
    if (c <= 0xDBFF && n > 1 && s[1] >= 0xDC00 && s[1] <= 0xDFFF) {
        *used = 2;
        return 0x10000 + ((char32_t(c) - 0xD800) << 10) + (s[1] - 0xDC00);
    }
    return kReplacement;
}

template <class Sink>
void utf16ToUtf8(const char16_t* s, size_t n, Sink&& put)
{
    for (size_t i = 0; i < n;) {
        size_t used;
        char32_t cp = decodeUtf16(s + i, n - i, &used);
        i += used;
        if (cp < 0x80) {
            put(char(cp));
        } else if (cp < 0x800) {
            put(char(0xC0 | (cp >> 6)));
            put(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            put(char(0xE0 | (cp >> 12)));
            put(char(0x80 | ((cp >> 6) & 0x3F)));
            put(char(0x80 | (cp & 0x3F)));
        } else {
            put(char(0xF0 | (cp >> 18)));
            put(char(0x80 | ((cp >> 12) & 0x3F)));
            put(char(0x80 | ((cp >> 6) & 0x3F)));
            put(char(0x80 | (cp & 0x3F)));
        }
    }
}

template <class Sink>
void utf8ToUtf16(const char* text, size_t n, Sink&& put)
{
    auto s = reinterpret_cast<const unsigned char*>(text);
    for (size_t i = 0; i < n;) {
        size_t used;
        char32_t cp = decodeUtf8(s + i, n - i, &used);
        i += used;
        if (cp < 0x10000) {
            put(char16_t(cp));
        } else {
            put(char16_t(0xD800 + ((cp - 0x10000) >> 10)));
            put(char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        }
    }
}

// Shared shape of the two exported conversions: count, or write when the
// buffer is large enough; the terminator is included for length -1.
template <class In, class Out, class Convert>
int convertCounted(const In* text, int length, Out* buffer, int bufferSize, Convert convert)
{
    if (!text || length < -1 || bufferSize < 0 || (bufferSize > 0 && !buffer))
        return 0;
    bool terminated = length == -1;
    size_t n = 0;
    if (terminated)
        while (text[n])
            ++n;
    else
        n = size_t(length);
    size_t needed = terminated ? 1 : 0;
    convert(text, n, [&](Out) { ++needed; });
    if (needed > size_t(INT32_MAX))
        return 0;
    if (bufferSize == 0)
        return int(needed);
    if (needed > size_t(bufferSize))
        return 0;
    size_t at = 0;
    convert(text, n, [&](Out c) { buffer[at++] = c; });
    if (terminated)
        buffer[at++] = 0;
    return int(at);
}

} // namespace

int LX_WChar2Char(const char16_t* text, int length, char* buffer, int bufferSize)
{
    return convertCounted(text, length, buffer, bufferSize,
                          [](const char16_t* s, size_t n, auto&& put) { utf16ToUtf8(s, n, put); });
}

int LX_Char2WChar(const char* text, int length, char16_t* buffer, int bufferSize)
{
    return convertCounted(text, length, buffer, bufferSize,
                          [](const char* s, size_t n, auto&& put) { utf8ToUtf16(s, n, put); });
}

std::string LX_Utf16ToUtf8(const char16_t* text, ptrdiff_t length)
{
    std::string out;
    if (!text)
        return out;
    size_t n = length < 0 ? lx_wcslen(text) : size_t(length);
    out.reserve(n);
    utf16ToUtf8(text, n, [&](char c) { out.push_back(c); });
    return out;
}

std::u16string LX_Utf8ToUtf16(const char* text, ptrdiff_t length)
{
    std::u16string out;
    if (!text)
        return out;
    size_t n = length < 0 ? std::char_traits<char>::length(text) : size_t(length);
    out.reserve(n);
    utf8ToUtf16(text, n, [&](char16_t c) { out.push_back(c); });
    return out;
}
