// Reading the class registry's catalog from a folder of module files.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "gnr_system/string/LxString.h"
#include "gnr_system/variant/LxVariant.h"
#include "w32_system/LxTypes.h"

// The names of the module files of the folder (UTF-8 path): those ending in
// ".so", then those ending in ".plugin" (exact, case-sensitive), each group
// in byte order. Directories and names that are only the ending are left
// out. Empty when the folder cannot be read.
std::vector<std::string> LX_RttiModuleFileNames(const std::string& folder);

// The priority text of a catalog entry: the first "CLxStringW" member named
// "m_RTTIpriority" found in the members of its m_addInfo, or null.
const CLxVariant* LX_RttiPriority(const CLxVariant& entry);

// The catalog order: -1 when a comes before b, 1 when after, 0 when either
// may come first. Unranked entries come before ranked ones; ranked ones by
// descending priority text (compared unit by unit).
int LX_RttiComparePriority(const CLxVariant& a, const CLxVariant& b);

// The exported name of a class's constructor function.
std::string LX_RttiConstructorName(const CLxStringW& className);

// The handle of a module already loaded from that path, or null.
using LxLoadedModuleFn = std::function<LX_HMODULE(const CLxStringW& path)>;

// Fills catalog (made an empty list first) with the "RLxRTTICacheEntry"
// records of the classes that the module ownModule (a full path, whatever
// its file name; empty: none) and the module files of folder (ending with
// '/') declare, in catalog order; equal entries keep file order, ownModule
// first. Each file is read once: a name that leads to a file already read
// (the development link to the library, for one) is passed over. Modules
// without both sections or without "NDEBUG" in their identification are
// left out. For modules that loaded() names, m_creator is their constructor
// function.
void LX_ReadRttiCatalog(CLxVariant& catalog, const CLxStringW& folder, const CLxStringW& ownModule,
                        const LxLoadedModuleFn& loaded);
