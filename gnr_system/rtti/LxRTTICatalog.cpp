// The catalog: the classes declared by the module files of a folder, sorted
// by priority.
#include "gnr_system/rtti/LxRTTICatalog.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <numeric>
#include <set>
#include <utility>

#include "gnr_system/rtti/LxCatalogSection.h"
#include "gnr_system/rtti/LxRttiRecords.h"
#include "gnr_system/rtti/LxSectionToVariant.h"
#include "w32_system/LxStrHelpers.h"
#include "w32_system/LxUtf.h"
#include "w32_system/dynlib/LxDynLib.h"

namespace
{

const char* const kModuleEndings[] = {".so", ".plugin"};

bool EndsWith(const std::string& name, const std::string& ending)
{
    return name.size() > ending.size() &&
           name.compare(name.size() - ending.size(), ending.size(), ending) == 0;
}

bool IsDirectory(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return names;
    while (const dirent* entry = readdir(dir))
        names.emplace_back(entry->d_name);
    closedir(dir);
    return names;
}

const CLxVariantRunType& RunTypeRttiClass()
{
    static const CLxVariantRunType runType(LX_RUNTYPE_RTTI_CLASS);
    return runType;
}

std::u16string Units(const CLxStringW& text)
{
    return std::u16string(text.GetString(), size_t(text.GetLength()));
}

// The entry of one class declaration of a module's class index.
CLxVariant MakeEntry(const CLxVariant& classIndex, const CLxVariant& declaration,
                     const CLxStringW& path, LX_HMODULE module)
{
    const CLxStringW& className = declaration.GetName();
    CLxVariant entry(CLxVariantRunType(LX_RUNTYPE_RTTI_CACHE_ENTRY), className);
    CLxVariant& classMember = entry[eLxRttiEntryClass];
    classMember = declaration;
    classMember.SetName(className);
    if (module) {
        void* creator = LX_GetSymbol(module, LX_RttiConstructorName(className).c_str());
        entry[eLxRttiEntryCreator] = creator;
    }
    entry[eLxRttiEntryLibrary] = path;
    CLxVariant& addInfo = entry[eLxRttiEntryAddInfo];
    for (int i = 0; i < classIndex.GetCount(); ++i) {
        const CLxVariant& other = classIndex[i];
        if (&other != &declaration && other.GetName().Equals(className))
            addInfo.Append(other);
    }
    return entry;
}

// Appends the entries of one module file; nothing when it is no catalog
// module.
void AddModuleEntries(std::vector<CLxVariant>& entries, const CLxStringW& path,
                      const LxLoadedModuleFn& loaded)
{
    CLxVariant classIndex, identification;
    if (LX_SectionToVariant(classIndex, path, LX_CLASS_INDEX_SECTION) != 0 ||
        LX_SectionToVariant(identification, path, LX_IDENTIFICATION_SECTION) != 0 ||
        !identification.SearchFixedOneLevel(u"NDEBUG"))
        return;
    const LX_HMODULE module = loaded(path);
    for (int i = 0; i < classIndex.GetCount(); ++i) {
        const CLxVariant& declaration = classIndex[i];
        if (declaration.GetRunType() == RunTypeRttiClass())
            entries.push_back(MakeEntry(classIndex, declaration, path, module));
    }
}

} // namespace

std::vector<std::string> LX_RttiModuleFileNames(const std::string& folder)
{
    std::vector<std::string> all = FolderEntries(folder);
    std::sort(all.begin(), all.end());
    std::vector<std::string> modules;
    for (const char* ending : kModuleEndings) {
        for (const std::string& name : all) {
            if (EndsWith(name, ending) && !IsDirectory(folder + "/" + name))
                modules.push_back(name);
        }
    }
    return modules;
}

const CLxVariant* LX_RttiPriority(const CLxVariant& entry)
{
    const CLxVariant& addInfo = entry[eLxRttiEntryAddInfo];
    for (int i = 0; i < addInfo.GetCount(); ++i) {
        const CLxVariant* priority = addInfo[i].Search(u"m_RTTIpriority");
        if (priority && priority->GetRunType() == CLxVariantRunType::Builtin(eLxVariantStringW))
            return priority;
    }
    return nullptr;
}

int LX_RttiComparePriority(const CLxVariant& a, const CLxVariant& b)
{
    const CLxVariant* pa = LX_RttiPriority(a);
    const CLxVariant* pb = LX_RttiPriority(b);
    if (!pa || !pb)
        return pa ? 1 : pb ? -1 : 0;
    const int order = Units(pa->GetCLxStringW()).compare(Units(pb->GetCLxStringW()));
    return order < 0 ? 1 : order > 0 ? -1 : 0;
}

std::string LX_RttiConstructorName(const CLxStringW& className)
{
    return "LX_ConstructorFor" + LX_Utf16ToUtf8(className.GetString(), className.GetLength());
}

void LX_ReadRttiCatalog(CLxVariant& catalog, const CLxStringW& folder, const CLxStringW& ownModule,
                        const LxLoadedModuleFn& loaded)
{
    const bool typeChange = catalog.EnableTypeChange(true);
    catalog.MakeNull();
    catalog.ClearList();
    catalog.EnableTypeChange(typeChange);

    std::vector<CLxVariant> entries;
    std::set<std::pair<dev_t, ino_t>> filesRead;
    auto addOnce = [&](const CLxStringW& path) {
        struct stat info;
        const std::string systemPath = LX_Utf16ToUtf8(path.GetString(), path.GetLength());
        if (stat(systemPath.c_str(), &info) == 0 &&
            !filesRead.emplace(info.st_dev, info.st_ino).second)
            return;
        AddModuleEntries(entries, path, loaded);
    };
    if (!ownModule.IsEmpty())
        addOnce(ownModule);
    const std::string folderPath = LX_Utf16ToUtf8(folder.GetString(), folder.GetLength());
    for (const std::string& name : LX_RttiModuleFileNames(folderPath)) {
        CLxStringW path(folder);
        path += LX_Utf8ToUtf16(name.c_str()).c_str();
        addOnce(path);
    }

    std::vector<size_t> order(entries.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&entries](size_t a, size_t b) {
        return LX_RttiComparePriority(entries[a], entries[b]) < 0;
    });
    for (size_t i : order)
        catalog.Append(entries[i]);
}
