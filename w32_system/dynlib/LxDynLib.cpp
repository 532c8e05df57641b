// Loading modules, finding their symbols and naming their files.
#include "w32_system/dynlib/LxDynLib.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <filesystem>

#include "w32_system/LxFileInternal.h"
#include "w32_system/LxStrHelpers.h"
#include "w32_system/LxUtf.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/debugging/LxLogFile.h"
#include "w32_system/dynlib/LxModulePath.h"

namespace {

// dlopen keeps the path it was given as the module's name. Making a relative
// path absolute here keeps LX_GetModuleFileName right after the current
// folder changes. A bare file name is left to the system's search.
std::string absoluteLoadPath(const std::string& path)
{
    if (path[0] == '/' || path.find('/') == std::string::npos)
        return path;
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.string();
}

// The main program's entry in the loader's list has an empty name.
std::u16string pathOfLinkMap(const link_map* map)
{
    if (!map->l_name || !*map->l_name)
        return LX_GetExecutablePath();
    return LX_Utf8ToUtf16(map->l_name);
}

} // namespace

std::u16string LX_GetExecutablePath()
{
    std::string target(256, '\0');
    for (;;) {
        ssize_t n = readlink("/proc/self/exe", target.data(), target.size());
        if (n < 0)
            return {};
        if (size_t(n) < target.size()) { // else it may have been cut: try a larger buffer
            target.resize(size_t(n));
            return LX_Utf8ToUtf16(target.c_str());
        }
        target.resize(target.size() * 2);
    }
}

std::u16string LX_GetOwnModulePath()
{
    Dl_info info;
    link_map* map = nullptr;
    if (!dladdr1(reinterpret_cast<void*>(&LX_GetOwnModulePath), &info,
                 reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) ||
        !map)
        return {};
    return pathOfLinkMap(map);
}

void* LX_GetOwnModuleHandle()
{
    Dl_info info;
    link_map* map = nullptr;
    if (!dladdr1(reinterpret_cast<void*>(&LX_GetOwnModuleHandle), &info,
                 reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) ||
        !map)
        return nullptr;
    // The main program cannot be opened by its path (a position-independent
    // executable is refused); the null path stands for it.
    if (!map->l_name || !*map->l_name)
        return dlopen(nullptr, RTLD_LAZY);
    return dlopen(map->l_name, RTLD_LAZY | RTLD_NOLOAD);
}

LX_HMODULE LX_LoadLibrary(const char16_t* filename)
{
    if (!filename || !*filename) {
        LX_DIAG_ASSERT_TEXT(u"filename==NULL || *filename==0",
                            u"LX_LoadLibrary: Library filename must not be empty.");
        return nullptr;
    }
    std::string path = absoluteLoadPath(LX_SystemPath(filename));
    LX_HMODULE lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (CLxLogFile::Detail()) {
        if (lib)
            LX_TRACE(u"LX_LoadLibrary(\"%s\") : OK", filename);
        else
            LX_TRACE(u"LX_LoadLibrary(\"%s\") : Failed", filename);
    }
    return lib;
}

int LX_UnloadLibrary(LX_HMODULE lib)
{
    if (!lib) {
        LX_DIAG_ASSERT_TEXT(u"lib==NULL", u"LX_UnloadLibrary: Wrong library handle.");
        return -4;
    }
    return dlclose(lib) == 0 ? 0 : -9;
}

void* LX_GetSymbol(LX_HMODULE lib, const char* name)
{
    if (!lib) {
        LX_DIAG_ASSERT_TEXT(u"lib==NULL", u"LX_GetSymbol: Wrong library handle.");
        return nullptr;
    }
    if (!name || !*name) {
        LX_DIAG_ASSERT_TEXT(u"name==NULL || *name==0", u"LX_GetSymbol: Invalid symbol name.");
        return nullptr;
    }
    return dlsym(lib, name);
}

const char16_t* LX_GetDllExt()
{
    return u".so";
}

const char16_t* LX_GetDllPref()
{
    return u"lib";
}

int LX_GetModuleFileName(LX_HMODULE module, char16_t* buffer, size_t size)
{
    if (!buffer || size == 0) {
        LX_DIAG_ASSERT_TEXT(u"buffer==NULL || size==0", u"LX_GetModuleFileName: Invalid buffer.");
        return -4;
    }
    std::u16string path;
    link_map* map = nullptr;
    if (!module)
        path = LX_GetExecutablePath();
    else if (dlinfo(module, RTLD_DI_LINKMAP, &map) == 0 && map)
        path = pathOfLinkMap(map);
    bool complete = false;
    LX_CopyText(path, buffer, size, &complete);
    return complete && !path.empty() ? 0 : -9;
}
