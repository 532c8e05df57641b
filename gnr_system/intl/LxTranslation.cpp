// The exported translation entry points and the catalogs of module
// resources.
#include "gnr_system/LxRscData.h"
#include "gnr_system/intl/LxLocale.h"
#include "w32_system/debugging/LxDiag.h"

namespace
{

// An empty key is answered without a lookup; a null key is the caller's
// mistake, answered the same way.
template <class C> bool emptyKey(const C* key)
{
    if (!key) {
        LX_DIAG_ASSERT_TEXT(u"key == NULL", u"LX_GetTranslation: no key.");
        return true;
    }
    return !*key;
}

} // namespace

const char16_t* LX_GetTranslation(const char16_t* key, const char* domain)
{
    return emptyKey(key) ? u"" : CLxLocale::GetStrW(key, domain);
}

const char* LX_GetTranslation(const char* key, const char* domain)
{
    return emptyKey(key) ? "" : CLxLocale::GetStrA(key, domain);
}

const char16_t* LX_GetTranslationEX(const char* key, char16_t, const char* domain)
{
    return emptyKey(key) ? u"" : CLxLocale::GetStrW(key, domain);
}

const char* LX_GetTranslationEX(const char* key, char, const char* domain)
{
    return LX_GetTranslation(key, domain);
}

const char16_t* LX_GetTranslationEX(const char16_t* key, char16_t, const char* domain)
{
    return LX_GetTranslation(key, domain);
}

int LX_CLxRscDataToCLxLocale(const CLxRscData& rsc)
{
    for (int i = 0; i < rsc.GetCLxByteArrayW32Count(); ++i) {
        int language = 0;
        const CLxByteArrayW32& block = rsc.GetCLxByteArrayW32(i, &language);
        if (block.GetSize() > 0)
            CLxLocale::AddCatalog(block.GetData(), block.GetSize(), rsc.GetModule(), language);
    }
    return 0;
}
