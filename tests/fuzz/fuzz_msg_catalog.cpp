// libFuzzer target for the translation catalog reader (GNU layout in either
// byte order, and the own revision with UTF-16 texts): any bytes give a
// loaded catalog or a refusal; every entry of a loaded one can be read and
// found by its key.
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "gnr_system/intl/LxMsgCatalog.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_support::QuietDiagnostics();
    CLxMsgCatalog catalog;
    if (!catalog.Load(nullptr, 0, data, size)) {
        if (catalog.GetCount() != 0)
            abort();
        return 0;
    }
    for (uint32_t i = 0; i < catalog.GetCount(); ++i) {
        const char* text = catalog.GetText(int(i));
        const char16_t* wide = catalog.GetWideText(int(i));
        if (!text || !wide)
            abort();
        (void)strlen(text);
        while (*wide)
            ++wide;
    }
    // Keys taken from the input itself reach the hash and the bisection.
    std::string key(reinterpret_cast<const char*>(data), size < 64 ? size : 64);
    int found = catalog.Find(key.c_str());
    if (found < -1 || found >= int(catalog.GetCount()))
        abort();
    catalog.Find("");
    return 0;
}
