// libFuzzer target for the ".rsrc" container reader: any bytes give the
// entries or a refusal; entries that were read are written again and read
// back unchanged.
#include <cstdlib>
#include <vector>

#include "fuzz_support.h"
#include "w32_system/LxResourceContainer.h"

namespace
{

bool SameEntries(const std::vector<SLxResourceEntry>& a, const std::vector<SLxResourceEntry>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        // A named entry's id word means nothing (the writer stores 0).
        if (a[i].uiType != b[i].uiType || a[i].uiLanguage != b[i].uiLanguage ||
            (a[i].wsName.empty() && a[i].uiId != b[i].uiId) || a[i].wsName != b[i].wsName ||
            a[i].data != b[i].data)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_support::QuietDiagnostics();
    std::vector<SLxResourceEntry> entries;
    if (LX_ParseResourceContainer(data, size, &entries) != LX_RSRC_OK)
        return 0;
    std::vector<uint8_t> bytes;
    if (!LX_FormatResourceContainer(entries, &bytes))
        abort();
    std::vector<SLxResourceEntry> again;
    if (LX_ParseResourceContainer(bytes.data(), bytes.size(), &again) != LX_RSRC_OK ||
        !SameEntries(entries, again))
        abort();
    for (const SLxResourceEntry& entry : entries) {
        // Callers name resources by 16-bit ids or by zero-terminated names,
        // and "#123" is the id 123: entries the file gives other keys cannot
        // be asked for.
        if (entry.wsName.empty()
                ? entry.uiId > 0xFFFF
                : entry.wsName[0] == u'#' || entry.wsName.find(u'\0') != std::u16string::npos)
            continue;
        SLxResourceKey key = entry.wsName.empty() ? SLxResourceKey::FromId(entry.uiId)
                                                  : SLxResourceKey::FromName(entry.wsName.c_str());
        if (!LX_FindResource(entries, entry.uiType, key, entry.uiLanguage, true))
            abort();
    }
    return 0;
}
