// The printf engine: one template over the output's character type. Numbers
// are made as ASCII in a scratch buffer (std::to_chars, so the process locale
// never matters) and then widened into the output.
#include "w32_system/LxFormat.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "w32_system/LxStrHelpers.h"

namespace
{

// Length modifiers as written; their meaning depends on the conversion.
enum class Size { None, Char, Short, Long, LongLong, Int32, Int64, Ptr, LongDouble, Wide };

struct Conversion {
    bool left = false;
    bool plus = false;
    bool space = false;
    bool alt = false;
    bool zero = false;
    size_t width = 0;
    int precision = -1; // -1: none given
    Size size = Size::None;
    char conv = 0;
};

// A double's exact decimal expansion has at most 1074 fractional and 767
// significant digits, and 13 hex digits after the point; asking for more only
// adds zeros, which are emitted by count instead of being formatted.
constexpr int kMaxFixedDecimals = 1100;
constexpr int kMaxSignificant = 800;
constexpr int kMaxHexDigits = 13;
constexpr size_t kScratchSize = 1600; // DBL_MAX in fixed form with kMaxFixedDecimals

bool isHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Units of the one code point that starts an input piece: the converters then
// see whole sequences (a malformed sequence still reads as U+FFFD per byte).
size_t pieceLength(const char* s, size_t left)
{
    unsigned char lead = static_cast<unsigned char>(s[0]);
    size_t extra = lead < 0x80             ? 0
                   : (lead & 0xE0) == 0xC0 ? 1
                   : (lead & 0xF0) == 0xE0 ? 2
                   : (lead & 0xF8) == 0xF0 ? 3
                                           : 0;
    size_t n = 1;
    while (n <= extra && n < left && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80)
        ++n;
    return n;
}
size_t pieceLength(const char16_t* s, size_t left)
{
    return left > 1 && isHighSurrogate(s[0]) && isLowSurrogate(s[1]) ? 2 : 1;
}

// One input piece (at most 4 units) never yields more than 4 output units.
int convertPiece(const char* s, size_t n, char16_t* out)
{
    return LX_Char2WChar(s, int(n), out, 4);
}
int convertPiece(const char16_t* s, size_t n, char* out)
{
    return LX_WChar2Char(s, int(n), out, 4);
}

// Units of the output code point that starts with c, so a precision never
// leaves half a character behind.
size_t codePointUnits(char16_t c)
{
    return isHighSurrogate(c) ? 2 : 1;
}
size_t codePointUnits(char c)
{
    unsigned char lead = static_cast<unsigned char>(c);
    return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}

// Text of the other kind in the output's kind. length is the input's length
// in units, or SIZE_MAX for zero-terminated text; at most maxOut units come
// out. Input is read only as far as the output needs it.
template <class Out, class In>
std::basic_string<Out> convertText(const In* s, size_t length, size_t maxOut)
{
    std::basic_string<Out> out;
    bool terminated = length == SIZE_MAX;
    for (size_t i = 0; out.size() < maxOut && (terminated ? s[i] != 0 : i < length);) {
        size_t n = pieceLength(s + i, terminated ? SIZE_MAX : length - i);
        Out piece[4];
        int made = convertPiece(s + i, n, piece);
        for (int k = 0; k < made;) {
            size_t units = codePointUnits(piece[k]);
            if (out.size() + units > maxOut)
                return out;
            out.append(piece + k, units);
            k += int(units);
        }
        i += n;
    }
    return out;
}

// The output buffer: keeps size - 1 units and counts the whole length.
template <class Ch> class Sink
{
  public:
    Sink(Ch* buffer, size_t size) : m_buffer(size ? buffer : nullptr), m_size(buffer ? size : 0) {}

    void put(Ch c)
    {
        if (m_length + 1 < m_size)
            m_buffer[m_length] = c;
        ++m_length;
    }
    void fill(Ch c, size_t n)
    {
        for (; n && m_length + 1 < m_size; --n)
            m_buffer[m_length++] = c;
        m_length += n;
    }
    void write(const Ch* s, size_t n)
    {
        for (size_t i = 0; i < n; ++i)
            put(s[i]);
    }
    void writeAscii(std::string_view s)
    {
        for (char c : s)
            put(Ch(c));
    }
    size_t length() const { return m_length; }
    void terminate()
    {
        if (m_size)
            m_buffer[m_length < m_size ? m_length : m_size - 1] = 0;
    }
    void clear()
    {
        if (m_size)
            m_buffer[0] = 0;
    }

  private:
    Ch* m_buffer;
    size_t m_size;
    size_t m_length = 0;
};

template <class Ch> bool isDigit(Ch c)
{
    return c >= Ch('0') && c <= Ch('9');
}

template <class Ch> bool isAscii(Ch c)
{
    return c > 0 && static_cast<unsigned>(c) < 0x80;
}

// Decimal digits into an int; false when the value does not fit.
template <class Ch> bool readCount(const Ch*& p, int& value)
{
    long long v = 0;
    for (; isDigit(*p); ++p) {
        v = v * 10 + (*p - Ch('0'));
        if (v > INT_MAX)
            return false;
    }
    value = int(v);
    return true;
}

void toUpperAscii(char* s, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (s[i] >= 'a' && s[i] <= 'z')
            s[i] = char(s[i] - 'a' + 'A');
}

// Bits of an integer argument for a length modifier; 0 when not allowed.
int integerBits(Size size)
{
    switch (size) {
    case Size::None:
    case Size::Long: // 32-bit, as in the Windows runtime
    case Size::Int32:
        return 32;
    case Size::Char:
        return 8;
    case Size::Short:
        return 16;
    case Size::LongLong:
    case Size::Int64:
        return 64;
    case Size::Ptr:
        return int(sizeof(void*) * CHAR_BIT);
    default:
        return 0;
    }
}

template <class Ch> class Formatter
{
  public:
    Formatter(Ch* buffer, size_t size, va_list args) : m_out(buffer, size)
    {
        va_copy(m_args, args);
    }
    ~Formatter() { va_end(m_args); }
    Formatter(const Formatter&) = delete;
    Formatter& operator=(const Formatter&) = delete;

    int run(const Ch* format)
    {
        for (const Ch* p = format; *p;) {
            if (*p != Ch('%')) {
                m_out.put(*p++);
                continue;
            }
            ++p;
            Conversion conv;
            if (!parse(p, conv) || !convert(conv)) {
                m_out.clear();
                return -1;
            }
        }
        if (m_out.length() > size_t(INT_MAX)) {
            m_out.clear();
            return -1;
        }
        m_out.terminate();
        return int(m_out.length());
    }

  private:
    using Other = std::conditional_t<std::is_same_v<Ch, char>, char16_t, char>;

    bool parse(const Ch*& p, Conversion& conv)
    {
        for (;; ++p) {
            if (*p == Ch('-'))
                conv.left = true;
            else if (*p == Ch('+'))
                conv.plus = true;
            else if (*p == Ch(' '))
                conv.space = true;
            else if (*p == Ch('#'))
                conv.alt = true;
            else if (*p == Ch('0'))
                conv.zero = true;
            else
                break;
        }
        if (*p == Ch('*')) {
            ++p;
            int width = va_arg(m_args, int);
            if (width < 0) {
                if (width == INT_MIN)
                    return false;
                conv.left = true;
                width = -width;
            }
            conv.width = size_t(width);
        } else {
            int width;
            if (!readCount(p, width))
                return false;
            conv.width = size_t(width);
        }
        if (*p == Ch('.')) {
            ++p;
            if (*p == Ch('*')) {
                ++p;
                int precision = va_arg(m_args, int);
                conv.precision = precision < 0 ? -1 : precision;
            } else if (!readCount(p, conv.precision)) {
                return false;
            }
        }
        conv.size = parseSize(p);
        if (!isAscii(*p))
            return false;
        conv.conv = char(*p++);
        return true;
    }

    static Size parseSize(const Ch*& p)
    {
        auto next = [&](char a, char b = 0, char c = 0) {
            if (p[0] != Ch(a) || (b && p[1] != Ch(b)) || (b && c && p[2] != Ch(c)))
                return false;
            p += b ? (c ? 3 : 2) : 1;
            return true;
        };
        if (next('h', 'h'))
            return Size::Char;
        if (next('h'))
            return Size::Short;
        if (next('l', 'l'))
            return Size::LongLong;
        if (next('l'))
            return Size::Long;
        if (next('I', '6', '4') || next('j'))
            return Size::Int64;
        if (next('I', '3', '2'))
            return Size::Int32;
        if (next('I') || next('z') || next('t'))
            return Size::Ptr;
        if (next('L'))
            return Size::LongDouble;
        if (next('w'))
            return Size::Wide;
        return Size::None;
    }

    bool convert(const Conversion& conv)
    {
        switch (conv.conv) {
        case 'd':
        case 'i':
            return integer(conv, true);
        case 'u':
        case 'o':
        case 'x':
        case 'X':
            return integer(conv, false);
        case 'c':
        case 'C':
        case 's':
        case 'S':
            return text(conv);
        case 'p':
            pointer(conv);
            return true;
        case 'n':
            // Never written through: a format must not be able to store.
            (void)va_arg(m_args, void*);
            return true;
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
        case 'a':
        case 'A':
            return floating(conv);
        case '%':
            m_out.put(Ch('%'));
            return true;
        default:
            return false;
        }
    }

    // prefix (sign, "0x"), width zeros when allowed, leadZeros, body,
    // trailZeros, suffix (exponent), all padded to the width.
    void emitNumber(const Conversion& conv, std::string_view prefix, size_t leadZeros,
                    std::string_view body, size_t trailZeros, std::string_view suffix,
                    bool zeroPadAllowed)
    {
        size_t total = prefix.size() + leadZeros + body.size() + trailZeros + suffix.size();
        size_t pad = conv.width > total ? conv.width - total : 0;
        bool zeroPad = conv.zero && !conv.left && zeroPadAllowed;
        if (!conv.left && !zeroPad)
            m_out.fill(Ch(' '), pad);
        m_out.writeAscii(prefix);
        if (zeroPad)
            m_out.fill(Ch('0'), pad);
        m_out.fill(Ch('0'), leadZeros);
        m_out.writeAscii(body);
        m_out.fill(Ch('0'), trailZeros);
        m_out.writeAscii(suffix);
        if (conv.left)
            m_out.fill(Ch(' '), pad);
    }

    void emitText(const Conversion& conv, const Ch* s, size_t n)
    {
        size_t pad = conv.width > n ? conv.width - n : 0;
        if (!conv.left)
            m_out.fill(Ch(' '), pad);
        m_out.write(s, n);
        if (conv.left)
            m_out.fill(Ch(' '), pad);
    }

    bool integer(const Conversion& conv, bool isSigned)
    {
        int bits = integerBits(conv.size);
        if (!bits)
            return false;
        uint64_t raw = bits <= 32 ? uint64_t(unsigned(va_arg(m_args, int)))
                                  : uint64_t(va_arg(m_args, long long));
        bool negative = false;
        if (isSigned) {
            int64_t v = bits == 8    ? int8_t(raw)
                        : bits == 16 ? int16_t(raw)
                        : bits == 32 ? int32_t(raw)
                                     : int64_t(raw);
            negative = v < 0;
            raw = negative ? 0 - uint64_t(v) : uint64_t(v);
        } else if (bits < 64) {
            raw &= (uint64_t(1) << bits) - 1;
        }

        unsigned base = conv.conv == 'o' ? 8 : (conv.conv == 'x' || conv.conv == 'X') ? 16 : 10;
        const char* digitSet = conv.conv == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
        char digits[24];
        size_t n = 0;
        // A zero value with precision 0 has no digits at all (C99).
        if (raw != 0 || conv.precision != 0)
            for (uint64_t v = raw; n == 0 || v; v /= base)
                digits[sizeof digits - ++n] = digitSet[v % base];
        size_t precision = conv.precision < 0 ? 1 : size_t(conv.precision);
        size_t leadZeros = precision > n ? precision - n : 0;
        if (conv.conv == 'o' && conv.alt && leadZeros == 0 &&
            (n == 0 || digits[sizeof digits - n] != '0'))
            leadZeros = 1;

        char prefix[2];
        size_t prefixLength = 0;
        if (negative)
            prefix[prefixLength++] = '-';
        else if (isSigned && conv.plus)
            prefix[prefixLength++] = '+';
        else if (isSigned && conv.space)
            prefix[prefixLength++] = ' ';
        if (base == 16 && conv.alt && raw != 0) {
            prefix[prefixLength++] = '0';
            prefix[prefixLength++] = conv.conv;
        }
        emitNumber(conv, {prefix, prefixLength}, leadZeros, {digits + sizeof digits - n, n}, 0, {},
                   conv.precision < 0);
        return true;
    }

    // The Windows runtime's form: all the pointer's hex digits, upper case.
    void pointer(const Conversion& conv)
    {
        uintptr_t v = uintptr_t(va_arg(m_args, void*));
        char digits[sizeof(void*) * 2];
        for (size_t i = sizeof digits; i-- > 0; v >>= 4)
            digits[i] = "0123456789ABCDEF"[v & 15];
        Conversion plain;
        plain.left = conv.left;
        plain.width = conv.width;
        emitNumber(plain, {}, 0, {digits, sizeof digits}, 0, {}, false);
    }

    bool text(const Conversion& conv)
    {
        bool own = conv.conv == 'c' || conv.conv == 's';
        bool narrow;
        switch (conv.size) {
        case Size::None:
            narrow = std::is_same_v<Ch, char> == own;
            break;
        case Size::Short:
            narrow = true;
            break;
        case Size::Long:
        case Size::Wide:
            narrow = false;
            break;
        default:
            return false;
        }
        bool character = conv.conv == 'c' || conv.conv == 'C';
        if (narrow == std::is_same_v<Ch, char>)
            character ? ownChar(conv) : ownString(conv);
        else
            character ? otherChar(conv) : otherString(conv);
        return true;
    }

    void ownChar(const Conversion& conv)
    {
        Ch c = Ch(va_arg(m_args, int));
        emitText(conv, &c, 1);
    }

    void otherChar(const Conversion& conv)
    {
        Other c = Other(va_arg(m_args, int));
        std::basic_string<Ch> converted = convertText<Ch>(&c, 1, SIZE_MAX);
        emitText(conv, converted.data(), converted.size());
    }

    size_t maxUnits(const Conversion& conv) const
    {
        return conv.precision < 0 ? SIZE_MAX : size_t(conv.precision);
    }

    void ownString(const Conversion& conv)
    {
        const Ch* s = va_arg(m_args, const Ch*);
        if (!s)
            return nullString(conv);
        size_t n = 0;
        for (size_t max = maxUnits(conv); n < max && s[n];)
            ++n;
        emitText(conv, s, n);
    }

    void otherString(const Conversion& conv)
    {
        const Other* s = va_arg(m_args, const Other*);
        if (!s)
            return nullString(conv);
        std::basic_string<Ch> converted = convertText<Ch>(s, SIZE_MAX, maxUnits(conv));
        emitText(conv, converted.data(), converted.size());
    }

    void nullString(const Conversion& conv)
    {
        static const Ch kNull[] = {'(', 'n', 'u', 'l', 'l', ')'};
        size_t n = sizeof kNull / sizeof kNull[0];
        emitText(conv, kNull,
                 conv.precision >= 0 && size_t(conv.precision) < n ? conv.precision : n);
    }

    // The digits of v >= 0 in the scratch buffer: returns their length.
    template <class... Format> size_t digitsOf(double v, Format... format)
    {
        auto result = std::to_chars(m_scratch, m_scratch + kScratchSize, v, format...);
        return size_t(result.ptr - m_scratch);
    }

    bool floating(const Conversion& conv)
    {
        double v;
        if (conv.size == Size::LongDouble)
            v = double(va_arg(m_args, long double));
        else if (conv.size == Size::None || conv.size == Size::Long)
            v = va_arg(m_args, double);
        else
            return false;

        char kind = char(conv.conv | 0x20);
        bool upper = conv.conv != kind;
        char prefix[3];
        size_t prefixLength = 0;
        if (std::signbit(v))
            prefix[prefixLength++] = '-';
        else if (conv.plus)
            prefix[prefixLength++] = '+';
        else if (conv.space)
            prefix[prefixLength++] = ' ';
        v = std::fabs(v);

        if (!std::isfinite(v)) {
            std::string_view name =
                std::isnan(v) ? (upper ? "NAN" : "nan") : (upper ? "INF" : "inf");
            emitNumber(conv, {prefix, prefixLength}, 0, name, 0, {}, false);
            return true;
        }

        size_t length = 0;   // digits in m_scratch
        size_t mantissa = 0; // where the exponent starts, length when none
        size_t trailZeros = 0;
        int precision = conv.precision < 0 ? 6 : conv.precision;
        switch (kind) {
        case 'f':
            length = fixed(v, precision, trailZeros);
            mantissa = length;
            break;
        case 'e':
            length = scientific(v, precision, trailZeros);
            mantissa = exponentStart(length);
            break;
        case 'g': {
            int significant = precision == 0 ? 1 : precision;
            length = scientific(v, significant - 1, trailZeros);
            mantissa = exponentStart(length);
            int exponent = exponentOf(mantissa, length);
            if (exponent < significant && exponent >= -4) {
                // 64 bits: the precision may be INT_MAX and the exponent -4.
                length = fixed(v, int64_t(significant) - 1 - exponent, trailZeros);
                mantissa = length;
            }
            if (!conv.alt) {
                trailZeros = 0;
                mantissa = removeTrailingZeros(mantissa, length);
            }
            break;
        }
        default: // 'a'
            if (conv.precision < 0) {
                length = digitsOf(v, std::chars_format::hex);
            } else {
                int digits = conv.precision < kMaxHexDigits ? conv.precision : kMaxHexDigits;
                trailZeros = size_t(conv.precision - digits);
                length = digitsOf(v, std::chars_format::hex, digits);
            }
            mantissa = length;
            while (m_scratch[mantissa - 1] != 'p')
                --mantissa;
            --mantissa;
            prefix[prefixLength++] = '0';
            prefix[prefixLength++] = 'x';
            break;
        }
        // '#' keeps the decimal point even without decimals.
        std::string_view body(m_scratch, mantissa);
        if (conv.alt && body.find('.') == std::string_view::npos) {
            std::char_traits<char>::move(m_scratch + mantissa + 1, m_scratch + mantissa,
                                         length - mantissa);
            m_scratch[mantissa++] = '.';
            ++length;
            body = std::string_view(m_scratch, mantissa);
        }
        if (upper) {
            toUpperAscii(prefix, prefixLength);
            toUpperAscii(m_scratch, length);
        }
        emitNumber(conv, {prefix, prefixLength}, 0, body, trailZeros,
                   {m_scratch + mantissa, length - mantissa}, true);
        return true;
    }

    size_t fixed(double v, int64_t precision, size_t& trailZeros)
    {
        int digits = precision < kMaxFixedDecimals ? int(precision) : kMaxFixedDecimals;
        trailZeros = size_t(precision - digits);
        return digitsOf(v, std::chars_format::fixed, digits);
    }

    size_t scientific(double v, int64_t precision, size_t& trailZeros)
    {
        int digits = precision < kMaxSignificant ? int(precision) : kMaxSignificant;
        trailZeros = size_t(precision - digits);
        return digitsOf(v, std::chars_format::scientific, digits);
    }

    size_t exponentStart(size_t length) const
    {
        size_t at = 0;
        while (at < length && m_scratch[at] != 'e')
            ++at;
        return at;
    }

    // The exponent of a scientific form whose 'e' is at mantissa.
    int exponentOf(size_t mantissa, size_t length) const
    {
        int exponent = 0;
        for (size_t i = mantissa + 2; i < length; ++i)
            exponent = exponent * 10 + (m_scratch[i] - '0');
        return m_scratch[mantissa + 1] == '-' ? -exponent : exponent;
    }

    // Drops the zeros after the decimal point (and a bare point) from the
    // mantissa, moving the exponent up; returns the new mantissa length.
    size_t removeTrailingZeros(size_t mantissa, size_t& length)
    {
        std::string_view digits(m_scratch, mantissa);
        if (digits.find('.') == std::string_view::npos)
            return mantissa;
        size_t kept = mantissa;
        while (m_scratch[kept - 1] == '0')
            --kept;
        if (m_scratch[kept - 1] == '.')
            --kept;
        std::char_traits<char>::move(m_scratch + kept, m_scratch + mantissa, length - mantissa);
        length -= mantissa - kept;
        return kept;
    }

    Sink<Ch> m_out;
    va_list m_args;
    char m_scratch[kScratchSize];
};

template <class Ch> int formatInto(Ch* buffer, size_t size, const Ch* format, va_list args)
{
    if (!format) {
        if (buffer && size)
            buffer[0] = 0;
        return -1;
    }
    Formatter<Ch> formatter(buffer, size, args);
    return formatter.run(format);
}

} // namespace

int LX_vsnprintfA(char* buffer, size_t size, const char* format, va_list args)
{
    return formatInto(buffer, size, format, args);
}

int LX_vsnprintfW(char16_t* buffer, size_t size, const char16_t* format, va_list args)
{
    return formatInto(buffer, size, format, args);
}

int LX_snprintfA(char* buffer, size_t size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int result = LX_vsnprintfA(buffer, size, format, args);
    va_end(args);
    return result;
}

int LX_snwprintf(char16_t* buffer, size_t size, const char16_t* format, ...)
{
    va_list args;
    va_start(args, format);
    int result = LX_vsnprintfW(buffer, size, format, args);
    va_end(args);
    return result;
}
