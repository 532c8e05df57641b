// PLACEHOLDER: replaced by the string-helpers work.
#include "w32_system/LxStrHelpers.h"

#include <strings.h>

int LX_stricmp(const char* a, const char* b) { return strcasecmp(a, b); }
int LX_strnicmp(const char* a, const char* b, size_t n) { return strncasecmp(a, b, n); }
int LX_wcsicmp(const char16_t* a, const char16_t* b) { return lx_wcsicmp(a, b); }
int LX_wcsnicmp(const char16_t* a, const char16_t* b, size_t n) { return lx_wcsnicmp(a, b, n); }
int LX_wtoi(const char16_t* text) { return lx_wtoi(text); }
