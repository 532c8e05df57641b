// Compares, integer and floating-point text, 64-bit format specifiers and
// numbers as user-facing text. Reading and writing numbers never depends on
// the process locale except where the user's separators are asked for.
#include "w32_system/LxStrHelpers.h"
#include "w32_system/LxUtf.h"

#include <climits>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <locale.h>
#include <mutex>
#include <optional>
#include <type_traits>

#include "w32_system/LxFormat.h"
#include "w32_system/LxNumberLocale.h"

namespace
{

template <class Ch> unsigned foldAscii(Ch c)
{
    unsigned u = static_cast<std::make_unsigned_t<Ch>>(c);
    return u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u;
}

// Null sorts before any text, so a missing argument is not a crash.
template <class Ch, class Compare> int compareOrNull(const Ch* a, const Ch* b, Compare compare)
{
    if (!a || !b)
        return a == b ? 0 : a ? 1 : -1;
    return compare(a, b);
}

int compareAsciiFolded(const char* a, const char* b, size_t n)
{
    for (; n; --n, ++a, ++b) {
        unsigned ca = foldAscii(*a), cb = foldAscii(*b);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (!ca)
            break;
    }
    return 0;
}

bool isSpace(char16_t c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

// Characters that strtod can take as part of a number ("nan(...)" included).
bool isNumberUnit(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
           c == u'.' || c == u'+' || c == u'-' || c == u'(' || c == u')' || c == u'_';
}

locale_t cLocale()
{
    static locale_t loc = newlocale(LC_ALL_MASK, "C", locale_t(0));
    return loc;
}

template <class Ch> bool matchesAt(const Ch* s, const char* ascii)
{
    for (; *ascii; ++s, ++ascii)
        if (*s != Ch(*ascii))
            return false;
    return true;
}

// Start of the length modifier of the conversion that follows
// the '%' at p (flags, width and precision skipped).
template <class Ch> const Ch* lengthModifier(const Ch* p)
{
    while (*p == Ch('-') || *p == Ch('+') || *p == Ch(' ') || *p == Ch('#') || *p == Ch('*') ||
           *p == Ch('.') || (*p >= Ch('0') && *p <= Ch('9')))
        ++p;
    return p;
}

// Only the length modifiers of conversions change; "ll" in the
// literal text of a format stays as it is.
template <class Ch> int conv64FmtSpec(Ch* format, size_t size)
{
    if (!format)
        return -4;
    bool held64 = false;
    std::basic_string<Ch> converted;
    const Ch* p = format;
    while (*p) {
        if (*p != Ch('%')) {
            converted += *p++;
            continue;
        }
        if (p[1] == Ch('%')) {
            converted.append(p, 2);
            p += 2;
            continue;
        }
        const Ch* modifier = lengthModifier(p + 1);
        converted.append(p, size_t(modifier - p));
        p = modifier;
        if (matchesAt(p, "I64")) {
            held64 = true;
        } else if (matchesAt(p, "ll")) {
            held64 = true;
            converted += Ch('I');
            converted += Ch('6');
            converted += Ch('4');
            p += 2;
        }
    }
    if (converted.size() >= size)
        return -4;
    std::char_traits<Ch>::copy(format, converted.c_str(), converted.size() + 1);
    return held64 ? 1 : 0;
}

struct NumberLocaleOverride {
    std::mutex mutex;
    std::optional<SLxNumberLocale> value;
};

NumberLocaleOverride& numberLocaleOverride()
{
    static NumberLocaleOverride instance;
    return instance;
}

// One "%.*f" or "%.*e" conversion; empty when longer than maxLength.
std::string formatNumber(const char* format, int decimals, double value, size_t maxLength)
{
    int n = LX_snprintfA(nullptr, 0, format, decimals, value);
    if (n < 0 || size_t(n) > maxLength)
        return {};
    std::string text(size_t(n), '\0');
    LX_snprintfA(text.data(), text.size() + 1, format, decimals, value);
    return text;
}

// The plain text of a value ('.', no grouping), trimmed and switched to the
// exponent form for values too small for the decimals. False when the fixed
// form is longer than maxLength, or even the exponent form does not describe
// the value.
bool plainNumber(double value, int decimals, size_t maxLength, std::string& text)
{
    text = formatNumber("%.*f", decimals, value, maxLength);
    if (text.empty())
        return false;
    if (decimals >= 1) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.')
            text.pop_back();
    }
    if (text != "0" && text != "-0")
        return true;

    // Smaller than the decimals can show: one significant digit.
    std::string exponentForm = formatNumber("%.*e", 0, value, 32);
    size_t e = exponentForm.find('e');
    int exponent = std::atoi(exponentForm.c_str() + e + 1);
    if (exponent >= 0)
        return false;
    exponentForm.resize(e + 1);
    exponentForm += '-';
    exponentForm += std::to_string(-exponent); // "1e-005" becomes "1e-5"
    size_t fixedLength = (value < 0 ? 1 : 0) + 2 + size_t(-exponent);
    text = exponentForm.size() >= fixedLength ? formatNumber("%.*f", -exponent, value, 400)
                                              : exponentForm;
    return true;
}

// Plain text in the user's form: the decimal separator, and when minDecimals
// asks for more decimals than the text has, zeros after them.
std::u16string localise(const std::string& text, size_t minDecimals, const SLxNumberLocale& locale)
{
    std::u16string out;
    size_t point = text.find('.');
    if (text.find('e') != std::string::npos)
        minDecimals = 0; // the exponent form is left as it is
    size_t decimals = point == std::string::npos ? 0 : text.size() - point - 1;
    for (char c : text) {
        if (c == '.')
            out += locale.wsDecimalSep;
        else
            out += char16_t(c);
    }
    if (decimals < minDecimals) {
        if (point == std::string::npos)
            out += locale.wsDecimalSep;
        out.append(minDecimals - decimals, u'0');
    }
    return out;
}

} // namespace

SLxNumberLocale LX_GetNumberLocale()
{
    NumberLocaleOverride& override = numberLocaleOverride();
    std::lock_guard<std::mutex> lock(override.mutex);
    if (override.value)
        return *override.value;
    // localeconv's strings stay valid only until the next locale change, so
    // they are copied at once.
    const lconv* conv = localeconv();
    SLxNumberLocale locale{LX_Utf8ToUtf16(conv->decimal_point),
                           LX_Utf8ToUtf16(conv->thousands_sep)};
    if (locale.wsDecimalSep.empty())
        locale.wsDecimalSep = u".";
    return locale;
}

void LX_SetNumberLocaleOverride(const char16_t* decimalSep, const char16_t* thousandsSep)
{
    NumberLocaleOverride& override = numberLocaleOverride();
    std::lock_guard<std::mutex> lock(override.mutex);
    if (!decimalSep) {
        override.value.reset();
        return;
    }
    override.value =
        SLxNumberLocale{*decimalSep ? decimalSep : u".", thousandsSep ? thousandsSep : u""};
}

int LX_stricmp(const char* a, const char* b)
{
    return compareOrNull(
        a, b, [](const char* x, const char* y) { return compareAsciiFolded(x, y, SIZE_MAX); });
}

int LX_strnicmp(const char* a, const char* b, size_t n)
{
    return compareOrNull(a, b,
                         [n](const char* x, const char* y) { return compareAsciiFolded(x, y, n); });
}

int LX_wcsicmp(const char16_t* a, const char16_t* b)
{
    return compareOrNull(a, b,
                         [](const char16_t* x, const char16_t* y) { return lx_wcsicmp(x, y); });
}

int LX_wcsnicmp(const char16_t* a, const char16_t* b, size_t n)
{
    return compareOrNull(
        a, b, [n](const char16_t* x, const char16_t* y) { return lx_wcsnicmp(x, y, n); });
}

char16_t* LX_itow(int value, char16_t* buffer, int radix)
{
    if (!buffer)
        return nullptr;
    if (radix < 2 || radix > 36) {
        buffer[0] = 0;
        return buffer;
    }
    bool negative = radix == 10 && value < 0;
    uint32_t magnitude = negative ? 0u - uint32_t(value) : uint32_t(value);
    char16_t digits[32];
    size_t n = 0;
    do {
        digits[n++] =
            char16_t(u"0123456789abcdefghijklmnopqrstuvwxyz"[magnitude % unsigned(radix)]);
        magnitude /= unsigned(radix);
    } while (magnitude);
    char16_t* out = buffer;
    if (negative)
        *out++ = u'-';
    while (n)
        *out++ = digits[--n];
    *out = 0;
    return buffer;
}

int LX_wtoi(const char16_t* text)
{
    return text ? lx_wtoi(text) : 0;
}

double LX_wstrtod(const char16_t* text, char16_t** end)
{
    if (!text) {
        if (end)
            *end = nullptr;
        return 0;
    }
    // strtod_l in the "C" locale reads the narrow copy of the leading run of
    // characters a number can have; the copy maps unit for unit.
    std::string narrow;
    size_t i = 0;
    for (; isSpace(text[i]); ++i)
        narrow += ' ';
    for (; isNumberUnit(text[i]); ++i)
        narrow += char(text[i]);
    char* stop = nullptr;
    double value = strtod_l(narrow.c_str(), &stop, cLocale());
    if (end)
        *end = const_cast<char16_t*>(text) + (stop - narrow.c_str());
    return value;
}

int LX_swprintf(char16_t* buffer, const char16_t* format, ...)
{
    if (!buffer)
        return -1;
    va_list args;
    va_start(args, format);
    // The caller promises room; the bound only keeps the count in range.
    int result = LX_vsnprintfW(buffer, size_t(INT_MAX) + 1, format, args);
    va_end(args);
    return result;
}

int LX_Conv64FmtSpecExA(char* format, size_t size)
{
    return conv64FmtSpec(format, size);
}

int LX_Conv64FmtSpecExW(char16_t* format, size_t size)
{
    return conv64FmtSpec(format, size);
}

bool LX_Conv64FmtSpecA(char* format)
{
    return conv64FmtSpec(format, SIZE_MAX) > 0;
}

bool LX_Conv64FmtSpecW(char16_t* format)
{
    return conv64FmtSpec(format, SIZE_MAX) > 0;
}

bool LX_StringToDouble(const char16_t* text, double* value)
{
    if (!text || !value)
        return false;
    std::u16string copy(text);
    std::u16string separator = LX_GetNumberLocale().wsDecimalSep;
    size_t at = copy.find(separator);
    if (separator != u"." && at != std::u16string::npos)
        copy.replace(at, separator.size(), u".");
    char16_t* end = nullptr;
    double read = LX_wstrtod(copy.c_str(), &end);
    if (end == copy.c_str())
        return false;
    *value = read;
    return true;
}

bool LX_DoubleToString(double value, int decimals, char16_t* buffer, int size)
{
    return LX_DoubleToStringEx(value, decimals, buffer, size, true);
}

bool LX_DoubleToStringEx(double value, int decimals, char16_t* buffer, int size, bool trim)
{
    if (!buffer || size <= 0)
        return false;
    buffer[0] = 0;
    buffer[size - 1] = 0;
    if (decimals < 0 || !std::isfinite(value))
        return false;
    if (value == 0) { // also -0
        if (size < 2)
            return false;
        buffer[0] = u'0';
        buffer[1] = 0;
        return true;
    }
    std::string text;
    if (!plainNumber(value, decimals, size_t(size) - 1, text))
        return false;
    std::u16string out = localise(text, trim ? 0 : size_t(decimals), LX_GetNumberLocale());
    if (out.size() >= size_t(size))
        return false;
    std::char_traits<char16_t>::copy(buffer, out.c_str(), out.size() + 1);
    return true;
}
