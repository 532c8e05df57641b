#include "w32_system/LxWideCrt.h"

#include <locale.h>
#include <wctype.h>

namespace {

// Case mapping through the C.UTF-8 locale object, so the process locale
// (usually "C", which maps ASCII only) does not matter.
locale_t utf8Locale()
{
    static locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
    return loc;
}

bool isSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDFFF;
}

} // namespace

char16_t lx_towlower(char16_t c)
{
    if (c < 0x80)
        return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
    locale_t loc = utf8Locale();
    if (isSurrogate(c) || !loc)
        return c;
    wint_t lower = towlower_l(wint_t(c), loc);
    return lower <= 0xFFFF ? char16_t(lower) : c;
}

char16_t lx_towupper(char16_t c)
{
    if (c < 0x80)
        return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c;
    locale_t loc = utf8Locale();
    if (isSurrogate(c) || !loc)
        return c;
    wint_t upper = towupper_l(wint_t(c), loc);
    return upper <= 0xFFFF ? char16_t(upper) : c;
}
