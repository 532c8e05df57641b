// Text conversions between UTF-8 and the library's UTF-16 strings, UTF-16
// copies and number parsing. All members are static.
//
// UTF-8 is written and read in its standard form: a character above U+FFFF is
// a surrogate pair in UTF-16 and four bytes in UTF-8. Input that is not
// well-formed never stops a conversion: each maximal ill-formed part (a stray
// continuation byte, a sequence cut short, an overlong form, an encoded
// surrogate, a value above U+10FFFF, the bytes C0, C1 and F5 to FF, or a lone
// surrogate on the UTF-16 side) becomes one U+FFFD, and the call returns false
// to say that the text was damaged. A null text is an empty text.
#pragma once

#include "gnr_system/string/LxString.h"
#include "w32_system/LxExport.h"

class LX_EXPORT CLxStringUtils
{
  public:
    // Nothing to set up or release; kept for callers that pair them.
    static void Initialize() {}
    static void Uninitialize() {}

    // out = the zero-terminated UTF-16 text in UTF-8. False when a lone
    // surrogate was replaced by U+FFFD.
    static bool WtoUTF8(const char16_t* text, CLxStringA& out);

    // out = the zero-terminated UTF-8 text in UTF-16. False when ill-formed
    // parts were replaced by U+FFFD.
    static bool UTF8toW(const char* text, CLxStringW& out);
    // The same over at most maxBytes bytes, stopping early at a zero byte. A
    // sequence cut by maxBytes counts as ill-formed.
    static bool UTF8toWn(const char* text, CLxStringW& out, unsigned maxBytes);

    // Copies the zero-terminated text with its terminator into dst, which has
    // room for len units. With a null dst, len becomes the units needed
    // (length + 1) and the result is true. False, writing nothing, when len
    // is smaller than that.
    static bool WtoUTF16(const char16_t* text, char16_t* dst, int& len);

    // out = n units of text (n == -1: up to the terminator; a zero unit
    // ends the text early in any case; other n < 1: nothing). Surrogate pairs
    // are copied as they are. False, keeping what was copied before it,
    // at a lone surrogate or when text is null and n is not 0 or -1.
    static bool UTF16toW(const char16_t* text, int n, CLxStringW& out);

    // Reads the decimal number that leads the text, after ASCII white space
    // and an optional sign ('+' only for unsigned), whatever the process
    // locale. Text after the digits is ignored. value is written, and the
    // result is true, only when digits were read and the number fits the type.
    static bool ToNumber(const CLxStringW& text, unsigned& value);
    static bool ToNumber(const CLxStringW& text, int& value);
    static bool ToNumber(const CLxStringA& text, unsigned& value);
    static bool ToNumber(const CLxStringA& text, int& value);

    // No encoding is ever guessed: an empty text.
    static CLxStringA GuessEncoding(const CLxStringW& text);
    static CLxStringA GuessEncoding(const void* data, unsigned size);

    // Conversions through named encodings are not offered: false, and out is
    // left as it is.
    static bool Binary2Wide(const void* data, unsigned size, CLxStringW& out, const char* encoding);
    static bool Wide2Binary(const char16_t* text, CLxStringA& out, const char* encoding);
};
