#include "w32_system/LxShellFolders.h"

#include <cstdlib>
#include <string>

#include "w32_system/LxStrHelpers.h"
#include "w32_system/LxUtf.h"

namespace {

std::u16string withoutClosingSlash(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return LX_Utf8ToUtf16(folder.c_str(), ptrdiff_t(folder.size()));
}

bool isAbsolute(const char* path)
{
    return path && path[0] == '/';
}

} // namespace

std::u16string LX_GetLocalAppDataFolder()
{
    const char* data = getenv("XDG_DATA_HOME");
    if (isAbsolute(data))
        return withoutClosingSlash(data);
    const char* home = getenv("HOME");
    if (isAbsolute(home))
        return withoutClosingSlash(std::string(home) + "/.local/share");
    return {};
}

std::u16string LX_GetCommonAppDataFolder()
{
    const char* dirs = getenv("XDG_DATA_DIRS");
    if (isAbsolute(dirs)) {
        std::string list(dirs);
        return withoutClosingSlash(list.substr(0, list.find(':')));
    }
    return u"/usr/local/share";
}
