// Number texts of the variant values, independent of the process locale.
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "gnr_system/variant/LxVariantInternal.h"
#include "w32_system/LxFormat.h"
#include "w32_system/LxStrHelpers.h"

namespace
{
bool IsSpace(char16_t c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

int HexDigit(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Whether the ASCII text reads back exactly value.
bool ReadsBack(const char* text, size_t length, double value)
{
    double read = 0;
    std::from_chars_result r = std::from_chars(text, text + length, read);
    return r.ec == std::errc() && r.ptr == text + length && SameBits(read, value);
}

// "nan", "inf", "-inf", else null.
const char* SpecialText(double value)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    return nullptr;
}

// The printf form when it reads back the same value, else the shortest text
// that does. buffer has room for any double in fixed notation.
size_t FormatDouble(double value, const char* format, char (&buffer)[400])
{
    if (const char* special = SpecialText(value)) {
        std::strcpy(buffer, special);
        return std::strlen(special);
    }
    int n = LX_snprintfA(buffer, sizeof buffer, format, value);
    if (n > 0 && size_t(n) < sizeof buffer && ReadsBack(buffer, size_t(n), value))
        return size_t(n);
    std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer - 1, value);
    *r.ptr = 0;
    return size_t(r.ptr - buffer);
}

template <class T> T SaturatedTruncation(double value)
{
    if (value != value)
        return 0;
    // The limits as doubles are exact powers of two: max + 1 and min.
    const double upper = std::ldexp(1.0, std::numeric_limits<T>::digits);
    const double lower = std::numeric_limits<T>::is_signed ? -upper : 0.0;
    if (value >= upper)
        return std::numeric_limits<T>::max();
    if (value <= lower)
        return std::numeric_limits<T>::min();
    return T(value);
}
} // namespace

lx_uint64 LX_VariantParseUnsigned(const char16_t* text, lx_uint64 maxValue)
{
    if (!text)
        return 0;
    while (IsSpace(*text))
        ++text;
    bool negative = *text == u'-';
    if (*text == u'-' || *text == u'+')
        ++text;
    lx_uint64 magnitude = 0;
    bool overflow = false;
    for (; *text >= u'0' && *text <= u'9'; ++text) {
        unsigned digit = unsigned(*text - u'0');
        if (magnitude > (maxValue - digit) / 10)
            overflow = true;
        else
            magnitude = magnitude * 10 + digit;
    }
    if (overflow)
        return maxValue;
    return negative ? (0 - magnitude) & maxValue : magnitude;
}

void* LX_VariantParseHexPointer(const char16_t* text)
{
    if (!text)
        return nullptr;
    while (IsSpace(*text))
        ++text;
    if (text[0] == u'0' && (text[1] == u'x' || text[1] == u'X') && HexDigit(text[2]) >= 0)
        text += 2;
    uintptr_t value = 0;
    for (int digit; (digit = HexDigit(*text)) >= 0; ++text) {
        if (value > (UINTPTR_MAX >> 4))
            return reinterpret_cast<void*>(UINTPTR_MAX);
        value = value << 4 | unsigned(digit);
    }
    return reinterpret_cast<void*>(value);
}

double LX_VariantParseDouble(const char16_t* text)
{
    return text ? LX_wstrtod(text, nullptr) : 0.0;
}

lx_int32 LX_VariantDoubleToInt32(double value)
{
    return SaturatedTruncation<lx_int32>(value);
}

lx_uint32 LX_VariantDoubleToUInt32(double value)
{
    return lx_uint32(SaturatedTruncation<lx_int64>(value));
}

lx_int64 LX_VariantDoubleToInt64(double value)
{
    return SaturatedTruncation<lx_int64>(value);
}

lx_uint64 LX_VariantDoubleToUInt64(double value)
{
    if (value < 0)
        return lx_uint64(SaturatedTruncation<lx_int64>(value));
    return SaturatedTruncation<lx_uint64>(value);
}

void LX_VariantDoubleToTextF(double value, CLxStringW& text)
{
    char buffer[400];
    FormatDouble(value, "%.15f", buffer);
    text = buffer;
}

void LX_VariantDoubleToTextG(double value, CLxStringA& text)
{
    char buffer[400];
    FormatDouble(value, "%.15g", buffer);
    text = buffer;
}

bool LX_VariantSameRunType(const CLxVariantData& a, const CLxVariantData& b)
{
    ELxVariantKind kind = a.GetKind();
    if (kind != b.GetKind())
        return false;
    return kind != eLxVariantList || a.GetRunType() == b.GetRunType();
}
