// Reading a module's RCDATA resources into a CLxRscData.
#include <new>
#include <string>
#include <vector>

#include "gnr_system/LxResource.h"
#include "w32_system/LxFileInternal.h"
#include "w32_system/LxResourceContainer.h"
#include "w32_system/dynlib/LxDynLib.h"

namespace
{

// The module's file as a system path; empty when the system cannot tell.
std::string moduleFilePath(LX_HMODULE module)
{
    std::u16string buffer(4096, u'\0');
    while (true) {
        int rc = LX_GetModuleFileName(module, &buffer[0], buffer.size());
        if (rc == 0)
            return LX_SystemPath(buffer.c_str());
        // -9 with a full buffer: the path was cut, so try a larger one.
        if (buffer[0] == 0 || buffer.size() >= 65536)
            return std::string();
        buffer.assign(buffer.size() * 2, u'\0');
    }
}

std::vector<SLxResourceEntry> containerOf(const std::string& modulePath)
{
    std::vector<SLxResourceEntry> entries;
    if (modulePath.empty() ||
        LX_ReadResourceContainer(LX_ResourceContainerPath(modulePath), &entries) != LX_RSRC_OK)
        entries.clear();
    return entries;
}

void appendById(CLxRscData& rsc, const std::vector<SLxResourceEntry>& entries, int resId, int id)
{
    const SLxResourceEntry* entry =
        LX_FindResource(entries, LX_RT_RCDATA, SLxResourceKey::FromId(uint32_t(resId)), 0, true);
    if (entry && entry->data.size() <= UINT32_MAX)
        rsc.AppendData(entry->data.data(), uint32_t(entry->data.size()), id == -1 ? resId : id);
}

// The language identifiers a module's catalogs are kept under: every primary
// language with its default sublanguage, then Chinese (PRC) and modern-sort
// Spanish.
void appendLanguages(CLxRscData& rsc, const std::vector<SLxResourceEntry>& entries)
{
    for (int primary = 0; primary <= 126; ++primary)
        appendById(rsc, entries, 0x400 | primary, -1);
    appendById(rsc, entries, 0x804, -1);
    appendById(rsc, entries, 0xC0A, -1);
}

// The standard containers report a lack of memory by exception; here it
// means that nothing more is read.
template <class Read> CLxRscData& readGuarded(CLxRscData& rsc, LX_HMODULE module, Read read)
{
    rsc.SetModule(module);
    try {
        read();
    } catch (const std::bad_alloc&) {
    }
    return rsc;
}

std::string pathOf(const char16_t* modulePath)
{
    return modulePath && *modulePath ? LX_SystemPath(modulePath) : std::string();
}

} // namespace

CLxRscData& LX_RCDATAToCLxRscDataByID(CLxRscData& rsc, LX_HMODULE module, int resId, int id)
{
    return readGuarded(rsc, module,
                       [&] { appendById(rsc, containerOf(moduleFilePath(module)), resId, id); });
}

CLxRscData& LX_RCDATAToCLxRscDataByID(CLxRscData& rsc, const char16_t* modulePath, int resId,
                                      int id)
{
    return readGuarded(rsc, nullptr,
                       [&] { appendById(rsc, containerOf(pathOf(modulePath)), resId, id); });
}

CLxRscData& LX_RCDATAToCLxRscData(CLxRscData& rsc, LX_HMODULE module)
{
    rsc.Clear();
    return readGuarded(rsc, module,
                       [&] { appendLanguages(rsc, containerOf(moduleFilePath(module))); });
}

CLxRscData& LX_RCDATAToCLxRscData(CLxRscData& rsc, const char16_t* modulePath)
{
    rsc.Clear();
    return readGuarded(rsc, nullptr,
                       [&] { appendLanguages(rsc, containerOf(pathOf(modulePath))); });
}
