#include "gnr_system/string/LxStringUtils.h"

#include <climits>
#include <cstdint>
#include <limits>
#include <string>
#include <type_traits>

namespace
{

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t u)
{
    return u >= 0xD800 && u <= 0xDBFF;
}

bool IsLowSurrogate(char32_t u)
{
    return u >= 0xDC00 && u <= 0xDFFF;
}

void AppendUtf16(std::u16string& out, char32_t cp)
{
    if (cp < 0x10000) {
        out += char16_t(cp);
    } else {
        cp -= 0x10000;
        out += char16_t(0xD800 | (cp >> 10));
        out += char16_t(0xDC00 | (cp & 0x3FF));
    }
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// Replaces the string's text; false when its storage was refused (the string
// then keeps a shorter text).
template <class C> bool Store(CLxStringT<C>& out, const std::basic_string<C>& text)
{
    out.Empty();
    out.AddChars(text.data(), int(text.size()));
    return size_t(out.GetLength()) == text.size();
}

// Decodes at most maxBytes bytes (up to a zero byte). Ill-formed parts are
// replaced in the way Unicode recommends (one U+FFFD per maximal subpart), so
// that a damaged byte never swallows the well-formed character after it.
bool DecodeUtf8(const char* text, size_t maxBytes, CLxStringW& out)
{
    std::u16string decoded;
    bool wellFormed = true;
    char32_t cp = 0;
    int needed = 0;                      // continuation bytes still expected
    unsigned lower = 0x80, upper = 0xBF; // range of the next continuation byte

    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    for (size_t i = 0; p && i < maxBytes && p[i] != 0;) {
        unsigned b = p[i];
        if (needed == 0) {
            ++i;
            if (b < 0x80) {
                decoded += char16_t(b);
            } else if (b >= 0xC2 && b <= 0xDF) {
                needed = 1;
                cp = b & 0x1F;
            } else if (b >= 0xE0 && b <= 0xEF) {
                needed = 2;
                cp = b & 0x0F;
                lower = b == 0xE0 ? 0xA0 : 0x80; // no overlong forms
                upper = b == 0xED ? 0x9F : 0xBF; // no encoded surrogates
            } else if (b >= 0xF0 && b <= 0xF4) {
                needed = 3;
                cp = b & 0x07;
                lower = b == 0xF0 ? 0x90 : 0x80; // no overlong forms
                upper = b == 0xF4 ? 0x8F : 0xBF; // nothing above U+10FFFF
            } else {
                decoded += char16_t(kReplacement);
                wellFormed = false;
            }
            continue;
        }
        if (b < lower || b > upper) {
            // The sequence ends here; this byte starts the next one.
            decoded += char16_t(kReplacement);
            wellFormed = false;
            needed = 0;
            lower = 0x80;
            upper = 0xBF;
            continue;
        }
        ++i;
        lower = 0x80;
        upper = 0xBF;
        cp = (cp << 6) | (b & 0x3F);
        if (--needed == 0)
            AppendUtf16(decoded, cp);
    }
    if (needed != 0) {
        decoded += char16_t(kReplacement);
        wellFormed = false;
    }
    return Store(out, decoded) && wellFormed;
}

template <class C> bool IsAsciiSpace(C c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The leading decimal number of text[0..n), as described in the header.
template <class T, class C> bool ParseNumber(const C* text, int n, T& value)
{
    int i = 0;
    while (i < n && IsAsciiSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (negative && !std::is_signed<T>::value)
        return false;

    // The magnitude may reach the limit of the negative side for int.
    const uint64_t limit =
        negative ? uint64_t(INT_MAX) + 1 : uint64_t(std::numeric_limits<T>::max());
    uint64_t magnitude = 0;
    int digits = 0;
    for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
        magnitude = magnitude * 10 + unsigned(text[i] - '0');
        if (magnitude > limit)
            return false;
    }
    if (digits == 0)
        return false;
    value = negative ? T(-int64_t(magnitude)) : T(magnitude);
    return true;
}

} // namespace

bool CLxStringUtils::WtoUTF8(const char16_t* text, CLxStringA& out)
{
    std::string encoded;
    bool wellFormed = true;
    for (size_t i = 0; text && text[i] != 0; ++i) {
        char32_t u = text[i];
        if (IsHighSurrogate(u) && IsLowSurrogate(text[i + 1])) {
            u = 0x10000 + ((u - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (IsHighSurrogate(u) || IsLowSurrogate(u)) {
            u = kReplacement;
            wellFormed = false;
        }
        AppendUtf8(encoded, u);
    }
    return Store(out, encoded) && wellFormed;
}

bool CLxStringUtils::UTF8toW(const char* text, CLxStringW& out)
{
    return DecodeUtf8(text, SIZE_MAX, out);
}

bool CLxStringUtils::UTF8toWn(const char* text, CLxStringW& out, unsigned maxBytes)
{
    return DecodeUtf8(text, maxBytes, out);
}

bool CLxStringUtils::WtoUTF16(const char16_t* text, char16_t* dst, int& len)
{
    size_t length = 0;
    while (text && text[length] != 0)
        ++length;
    if (length >= size_t(INT_MAX))
        return false;
    const int needed = int(length) + 1;
    if (!dst) {
        len = needed;
        return true;
    }
    if (len < needed)
        return false;
    for (size_t i = 0; i < length; ++i)
        dst[i] = text[i];
    dst[length] = 0;
    return true;
}

bool CLxStringUtils::UTF16toW(const char16_t* text, int n, CLxStringW& out)
{
    out.Empty();
    if (n == 0 || n < -1)
        return true;
    if (!text)
        return n == -1;

    const size_t end = n == -1 ? SIZE_MAX : size_t(n);
    size_t i = 0;
    bool wellFormed = true;
    while (i < end && text[i] != 0) {
        if (IsLowSurrogate(text[i])) {
            wellFormed = false;
            break;
        }
        if (IsHighSurrogate(text[i])) {
            if (i + 1 >= end || !IsLowSurrogate(text[i + 1])) {
                wellFormed = false;
                break;
            }
            i += 2;
        } else {
            ++i;
        }
    }
    return Store(out, std::u16string(text, i)) && wellFormed;
}

bool CLxStringUtils::ToNumber(const CLxStringW& text, unsigned& value)
{
    return ParseNumber(text.GetString(), text.GetLength(), value);
}

bool CLxStringUtils::ToNumber(const CLxStringW& text, int& value)
{
    return ParseNumber(text.GetString(), text.GetLength(), value);
}

bool CLxStringUtils::ToNumber(const CLxStringA& text, unsigned& value)
{
    return ParseNumber(text.GetString(), text.GetLength(), value);
}

bool CLxStringUtils::ToNumber(const CLxStringA& text, int& value)
{
    return ParseNumber(text.GetString(), text.GetLength(), value);
}

CLxStringA CLxStringUtils::GuessEncoding(const CLxStringW&)
{
    return CLxStringA();
}

CLxStringA CLxStringUtils::GuessEncoding(const void*, unsigned)
{
    return CLxStringA();
}

bool CLxStringUtils::Binary2Wide(const void*, unsigned, CLxStringW&, const char*)
{
    return false;
}

bool CLxStringUtils::Wide2Binary(const char16_t*, CLxStringA&, const char*)
{
    return false;
}
