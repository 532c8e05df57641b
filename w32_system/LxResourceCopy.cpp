// Copying a data file into a module's RCDATA resource and back.
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <new>
#include <string>
#include <vector>

#include "gnr_system/LxResource.h"
#include "w32_system/LxFileInternal.h"
#include "w32_system/LxResourceContainer.h"

namespace
{

constexpr uint32_t kNeutralLanguage = 0;

std::atomic<const char*> g_lastError{""};

int fail(const char* reason)
{
    g_lastError = reason;
    return -9;
}

// The module stands for a loadable file: it must exist and be readable.
bool moduleReadable(const std::string& path)
{
    int fd = LX_OpenFd(path, O_RDONLY);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

bool given(const char16_t* text)
{
    return text && *text;
}

int resourceToDll(const char16_t* name, const char16_t* dllPath, const char16_t* dataPath)
{
    if (!given(dllPath) || !moduleReadable(LX_SystemPath(dllPath)))
        return fail("Cannot load the dll file.");
    std::vector<uint8_t> data;
    if (!given(dataPath) || !LX_ReadFileBytes(LX_SystemPath(dataPath), &data))
        return fail("Cannot open the data file.");
    if (!given(name))
        return fail("Updating resource failed.");

    const std::string container = LX_ResourceContainerPath(LX_SystemPath(dllPath));
    std::vector<SLxResourceEntry> entries;
    int rc = LX_ReadResourceContainer(container, &entries);
    if (rc == LX_RSRC_DAMAGED)
        return fail("Updating resource failed.");

    const SLxResourceKey key = SLxResourceKey::FromName(name);
    auto* entry = const_cast<SLxResourceEntry*>(
        LX_FindResource(entries, LX_RT_RCDATA, key, kNeutralLanguage, false));
    if (!entry) {
        entries.emplace_back();
        entry = &entries.back();
        entry->uiType = LX_RT_RCDATA;
        entry->uiLanguage = kNeutralLanguage;
        entry->uiId = key.uiId;
        entry->wsName = key.wsName;
    }
    entry->data = std::move(data);
    if (!LX_WriteResourceContainer(container, entries))
        return fail("Updating resource failed.");
    return 0;
}

int dllToResource(const char16_t* name, const char16_t* dllPath, const char16_t* dataPath)
{
    if (!given(dllPath) || !moduleReadable(LX_SystemPath(dllPath)))
        return fail("Cannot load the dll file.");
    std::vector<SLxResourceEntry> entries;
    int rc = LX_ReadResourceContainer(LX_ResourceContainerPath(LX_SystemPath(dllPath)), &entries);
    if (rc == LX_RSRC_DAMAGED)
        return fail("Cannot load resource.");
    const SLxResourceEntry* entry =
        given(name) ? LX_FindResource(entries, LX_RT_RCDATA, SLxResourceKey::FromName(name),
                                      kNeutralLanguage, false)
                    : nullptr;
    if (!entry)
        return fail("Cannot locate resource.");
    // The data file is touched only once there is something to write.
    if (!given(dataPath))
        return fail("Cannot open the data file.");
    switch (LX_WriteFileBytes(LX_SystemPath(dataPath), entry->data)) {
    case 0:
        return 0;
    case -1:
        return fail("Cannot open the data file.");
    default:
        return fail("Cannot write the data file.");
    }
}

} // namespace

int LX_ResourceToDll(const char16_t* name, const char16_t* dllPath, const char16_t* dataPath)
{
    try {
        return resourceToDll(name, dllPath, dataPath);
    } catch (const std::bad_alloc&) {
        return fail("Updating resource failed.");
    }
}

int LX_DllToResource(const char16_t* name, const char16_t* dllPath, const char16_t* dataPath)
{
    try {
        return dllToResource(name, dllPath, dataPath);
    } catch (const std::bad_alloc&) {
        return fail("Cannot load resource.");
    }
}

const char* LX_GetResCopyError()
{
    return g_lastError;
}
