// The user's number-format settings, as the number helpers use them: the
// decimal and thousands separators of the current C locale (LC_NUMERIC).
// Numbers are always written with a leading zero, the minus sign in front and
// no digit grouping.
#pragma once

#include <string>

struct SLxNumberLocale {
    std::u16string wsDecimalSep;   // never empty: "." when the locale has none
    std::u16string wsThousandsSep; // may be empty
};

SLxNumberLocale LX_GetNumberLocale();

// Replaces the locale's separators until called with a null decimalSep (tests
// use it to run under a comma locale without installing one). A null
// thousandsSep means none.
void LX_SetNumberLocaleOverride(const char16_t* decimalSep, const char16_t* thousandsSep);
