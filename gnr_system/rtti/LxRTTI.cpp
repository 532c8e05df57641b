// The class registry: the catalog under its error-checking mutex, module
// loading and object creation.
#include "gnr_system/rtti/LxRTTI.h"

#include <pthread.h>

#include <cerrno>
#include <map>
#include <new>
#include <string>

#include "gnr_system/rtti/LxRTTICatalog.h"
#include "gnr_system/rtti/LxRttiRecords.h"
#include "w32_system/LxStrHelpers.h"
#include "w32_system/LxUtf.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/dynlib/LxDynLib.h"
#include "w32_system/dynlib/LxModulePath.h"

template class CLxList_specI<SLxRTTICacheEntry>;

namespace
{

enum : int { kNotSupported = -2, kBadArgument = -4, kFailed = -9 };

// The source name of the registry's reports, the same in every build.
const char* const kReportSource = "gnr_system\\rtti\\rtti";

#define LX_RTTI_REPORT(condition, message)                                                         \
    DiagAssertW(0, condition, CLxStringW(message).GetString(), kReportSource, __LINE__)

// Error-checking: a thread that already holds it gets EDEADLK instead of
// waiting for itself. Statically initialised, so usable from any start-up
// code.
pthread_mutex_t s_catalogMutex = PTHREAD_ERRORCHECK_MUTEX_INITIALIZER_NP;

// Everything under s_catalogMutex.
struct SLxRttiState {
    CLxVariant catalog;                           // "RLxRTTICacheEntry" records
    std::map<std::string, int> names;             // class name -> first catalog index
    std::map<std::u16string, LX_HMODULE> modules; // module path -> loaded module
    bool catalogRead = false;
    CLxStringW folderOverride; // tests only
};

SLxRttiState& State()
{
    static SLxRttiState state;
    return state;
}

// Holds the catalog mutex for a scope; a failure to take it is reported.
class CLxCatalogLock
{
  public:
    CLxCatalogLock() : m_result(pthread_mutex_lock(&s_catalogMutex))
    {
        if (m_result == EDEADLK)
            LX_RTTI_REPORT(u"EDEADLK == mres",
                           u"Error: RTTI - recursion on catalog cache not allowed.");
        else if (m_result != 0)
            LX_RTTI_REPORT(u"0 != mres", u"Error: RTTI - catalog cache mutex failed.");
    }
    ~CLxCatalogLock()
    {
        if (m_result == 0)
            pthread_mutex_unlock(&s_catalogMutex);
    }
    CLxCatalogLock(const CLxCatalogLock&) = delete;
    CLxCatalogLock& operator=(const CLxCatalogLock&) = delete;

    bool Locked() const { return m_result == 0; }

  private:
    int m_result;
};

std::u16string Units(const CLxStringW& text)
{
    return std::u16string(text.GetString(), size_t(text.GetLength()));
}

CLxStringW EffectiveFolderLocked(const SLxRttiState& state)
{
    return state.folderOverride.IsEmpty() ? CLxRTTI::getInstance()->GetFolder()
                                          : state.folderOverride;
}

// The module of that path: the one loaded before, else (when allowed) a
// newly loaded one, which then stays loaded. Null when not loaded.
LX_HMODULE ModuleLocked(SLxRttiState& state, const CLxStringW& path, bool allowLoading)
{
    const auto known = state.modules.find(Units(path));
    if (known != state.modules.end())
        return known->second;
    if (!allowLoading)
        return nullptr;
    LX_HMODULE module = LX_LoadLibrary(path.GetString());
    if (!module) {
        CLxStringW message;
        message.Format(u"Error: CLxRTTI, can't load library '%s'.", path.GetString());
        LX_RTTI_REPORT(u"true", message);
        return nullptr;
    }
    state.modules.emplace(Units(path), module);
    return module;
}

// The library's own module, catalogued whatever its file name (a runtime
// install holds only "libquelvixcore.so.5*", which no pattern finds); its
// handle is known, since it is loaded. Empty while tests search a folder of
// their own.
CLxStringW OwnModuleLocked(SLxRttiState& state)
{
    if (!state.folderOverride.IsEmpty())
        return CLxStringW();
    const std::u16string own = LX_GetOwnModulePath();
    if (own.empty())
        return CLxStringW();
    if (state.modules.find(own) == state.modules.end()) {
        LX_HMODULE handle = LX_GetOwnModuleHandle();
        if (!handle)
            return CLxStringW();
        state.modules.emplace(own, handle);
    }
    return CLxStringW(own.c_str());
}

void ReadCatalogLocked(SLxRttiState& state)
{
    LX_ReadRttiCatalog(
        state.catalog, EffectiveFolderLocked(state), OwnModuleLocked(state),
        [&state](const CLxStringW& path) { return ModuleLocked(state, path, false); });
    state.names.clear();
    for (int i = 0; i < state.catalog.GetCount(); ++i) {
        const CLxStringW& name = state.catalog[i][eLxRttiEntryClass].GetName();
        // emplace keeps the first (highest-priority) entry of a name.
        state.names.emplace(LX_Utf16ToUtf8(name.GetString(), name.GetLength()), i);
    }
    state.catalogRead = true;
}

// The entry's constructor function, loading its module and looking the
// function up when not known yet (and keeping it in the entry). Null when
// the module cannot be loaded or lacks the function (reported).
LxConstructorFn ResolveConstructorLocked(SLxRttiState& state, CLxVariant& entry)
{
    CLxVariant& creator = entry[eLxRttiEntryCreator];
    if (void* known = creator.GetVoidPtr())
        return reinterpret_cast<LxConstructorFn>(known);
    const CLxStringW path = entry[eLxRttiEntryLibrary].GetCLxStringW();
    LX_HMODULE module = ModuleLocked(state, path, true);
    if (!module)
        return nullptr;
    const std::string symbol = LX_RttiConstructorName(entry[eLxRttiEntryClass].GetName());
    void* function = LX_GetSymbol(module, symbol.c_str());
    if (!function) {
        CLxStringW message;
        message.Format(u"Error: CLxRTTI, can't find function '%hs' in library '%s'.",
                       symbol.c_str(), path.GetString());
        LX_RTTI_REPORT(u"true", message);
        return nullptr;
    }
    creator = function;
    return reinterpret_cast<LxConstructorFn>(function);
}

// Appends the entries of the class name whose constructor functions can be
// had, in catalog order; with firstOnly it stops after the first, so that
// modules of lower-ranked entries are not loaded.
void FindByNameLocked(SLxRttiState& state, CLxVariant& out, const CLxStringW& className,
                      bool firstOnly)
{
    for (int i = 0; i < state.catalog.GetCount(); ++i) {
        CLxVariant& entry = state.catalog[i];
        if (!entry[eLxRttiEntryClass].GetName().Equals(className))
            continue;
        if (!ResolveConstructorLocked(state, entry))
            continue;
        out.Append(entry);
        if (firstOnly)
            return;
    }
}

bool InterfaceMatches(const CLxVariant& declared, const CLxStringW& wanted)
{
    return wanted.IsEmpty() || declared.GetCLxStringW().Equals(wanted);
}

void FindByInterfacesLocked(const SLxRttiState& state, CLxVariant& out,
                            const CLxStringW& interface1, const CLxStringW& interface2)
{
    for (int i = 0; i < state.catalog.GetCount(); ++i) {
        const CLxVariant& entry = state.catalog[i];
        const CLxVariant& declaration = entry[eLxRttiEntryClass];
        if (InterfaceMatches(declaration[u"m_parent1"], interface1) &&
            InterfaceMatches(declaration[u"m_parent2"], interface2))
            out.Append(entry);
    }
}

enum class ELxSearch {
    eFindClassImpl, // by name, else by interfaces
    eCreate,        // the first class of the name whose constructor can be had
};

// The search; folder becomes the folder searched.
int Find(CLxVariant& out, const char* className, const char* interface1, const char* interface2,
         ELxSearch search, CLxStringW& folder)
{
    folder = CLxRTTI::getInstance()->GetFolder();
    const bool typeChange = out.EnableTypeChange(true);
    out.MakeNull();
    out.ClearList();
    out.EnableTypeChange(typeChange);

    CLxCatalogLock lock;
    if (!lock.Locked())
        return kFailed;
    SLxRttiState& state = State();
    folder = EffectiveFolderLocked(state);
    if (!state.catalogRead)
        ReadCatalogLocked(state);
    if (className && *className)
        FindByNameLocked(state, out, CLxStringW(className), search == ELxSearch::eCreate);
    else if (search == ELxSearch::eFindClassImpl)
        FindByInterfacesLocked(state, out, CLxStringW(interface1), CLxStringW(interface2));
    return out.GetCount() > 0 ? 0 : kFailed;
}

ILxInterface* CallConstructor(LxConstructorFn constructor, const SLxFileLine& fileLine)
{
    ILxInterface* object = constructor(fileLine.pszFile, fileLine.uiLine);
    if (!object)
        LX_RTTI_REPORT(u"NULL == retObject", u"Error: CLxRTTI, ObjectConstructorFn returned NULL.");
    return object;
}

// The interface of a new object, whose own reference is given up.
ILxInterface* QueryAndRelease(ILxInterface* object, const char* interfaceName)
{
    if (!object)
        return nullptr;
    ILxInterface* found = CLxRTTI::QueryInterface(object, interfaceName);
    CLxRTTI::Release(object);
    return found;
}

} // namespace

CLxRTTI::CLxRTTI()
{
    LX_RegisterRttiRunTypes();
    const std::u16string own = LX_GetOwnModulePath();
    const size_t slash = own.rfind(u'/');
    if (slash != std::u16string::npos)
        m_folder = own.substr(0, slash + 1).c_str();
}

CLxRTTI* CLxRTTI::getInstance()
{
    static CLxRTTI instance;
    return &instance;
}

CLxStringW CLxRTTI::GetFolder() const
{
    return m_folder;
}

ILxInterface* CLxRTTI::Create(const char* className, const SLxFileLine& fileLine)
{
    CLxVariant found;
    CLxStringW folder = getInstance()->GetFolder();
    if (Find(found, className, nullptr, nullptr, ELxSearch::eCreate, folder) != 0) {
        CLxStringW message;
        message.Format(u"Error: CLxRTTI, can't find class '%hs' on directory '%s'.",
                       className ? className : "", folder.GetString());
        LX_RTTI_REPORT(u"true", message);
        return nullptr;
    }
    auto constructor =
        reinterpret_cast<LxConstructorFn>(found[0][eLxRttiEntryCreator].GetVoidPtr());
    if (!constructor) {
        LX_RTTI_REPORT(u"NULL == retObject", u"Error: CLxRTTI, bad ObjectConstructorFn.");
        return nullptr;
    }
    return CallConstructor(constructor, fileLine);
}

ILxInterface* CLxRTTI::CreateAndQuery(const char* className, const char* interfaceName,
                                      const SLxFileLine&)
{
    return QueryAndRelease(Create(className, SLxFileLine()), interfaceName);
}

ILxInterface* CLxRTTI::QueryInterface(ILxInterface* object, const char* interfaceName)
{
    CLxClass* part = object ? object->GetClass() : nullptr;
    return part ? part->QueryInterface(interfaceName) : nullptr;
}

uint32_t CLxRTTI::AddRef(ILxInterface* object)
{
    CLxClass* part = object ? object->GetClass() : nullptr;
    return part ? part->AddRef() : 0;
}

uint32_t CLxRTTI::Release(ILxInterface* object)
{
    CLxClass* part = object ? object->GetClass() : nullptr;
    return part ? part->Release() : 0;
}

CLxClassInfo* CLxRTTI::GetCLxClassInfo(ILxInterface* object)
{
    CLxClass* part = object ? object->GetClass() : nullptr;
    return part ? part->GetCLxClassInfo() : nullptr;
}

int CLxRTTI::FindClassImpl(CLxVariant& out, const char* className, const char* interface1,
                           const char* interface2)
{
    CLxStringW folder;
    return Find(out, className, interface1, interface2, ELxSearch::eFindClassImpl, folder);
}

int CLxRTTI::FindClassImpl(CLxList_specI<SLxRTTICacheEntry>& out, const char* className,
                           const char* interface1, const char* interface2)
{
    CLxVariant found;
    const int result = FindClassImpl(found, className, interface1, interface2);
    for (int i = 0; i < found.GetCount(); ++i) {
        const CLxVariant& entry = found[i];
        const CLxVariant& declaration = entry[eLxRttiEntryClass];
        auto* item = new (std::nothrow) SLxRTTICacheEntry();
        if (!item)
            return kFailed;
        item->m_creator =
            reinterpret_cast<LxConstructorFn>(entry[eLxRttiEntryCreator].GetVoidPtr());
        item->m_class.m_className = declaration.GetName();
        for (int p = 0; p < 9; ++p)
            item->m_class.m_parents[p] = declaration[p].GetCLxStringW();
        item->m_library = entry[eLxRttiEntryLibrary].GetCLxStringW();
        item->m_addInfo.EnableTypeChange(true);
        item->m_addInfo = entry[eLxRttiEntryAddInfo];
        item->m_addInfo.EnableTypeChange(false);
        if (!out.Append(item)) {
            delete item;
            return kFailed;
        }
    }
    return result;
}

void CLxRTTI::DeleteEntries(CLxList_specI<SLxRTTICacheEntry>& entries)
{
    for (unsigned i = 0; i < entries.GetCount(); ++i)
        delete entries[i];
    entries.Clear();
}

int CLxRTTI::UpdateCatalog()
{
    getInstance();
    CLxCatalogLock lock;
    if (!lock.Locked())
        return kFailed;
    ReadCatalogLocked(State());
    return 0;
}

LxConstructorFn CLxRTTI::getObjectConstructor_Fx(const char* className)
{
    if (!className)
        return nullptr;
    CLxCatalogLock lock;
    if (!lock.Locked())
        return nullptr;
    const SLxRttiState& state = State();
    const auto found = state.names.find(className);
    if (found == state.names.end())
        return nullptr;
    return reinterpret_cast<LxConstructorFn>(
        state.catalog[found->second][eLxRttiEntryCreator].GetVoidPtr());
}

ILxInterface* CLxRTTI::Create_Fx(const char* className, const SLxFileLine& fileLine)
{
    LxConstructorFn constructor = getObjectConstructor_Fx(className);
    return constructor ? CallConstructor(constructor, fileLine) : nullptr;
}

ILxInterface* CLxRTTI::CreateAndQuery_Fx(const char* className, const char* interfaceName,
                                         const SLxFileLine&)
{
    return QueryAndRelease(Create_Fx(className, SLxFileLine()), interfaceName);
}

int CLxRTTI::ForEachObject(LxRTTIObjectFn callback, void*)
{
    return callback ? kNotSupported : kBadArgument;
}

void CLxRTTI::SetFolderForTesting(const char16_t* folder)
{
    getInstance();
    CLxCatalogLock lock;
    if (!lock.Locked())
        return;
    SLxRttiState& state = State();
    state.folderOverride = folder;
    if (!state.folderOverride.IsEmpty() && state.folderOverride.GetLastChar() != u'/')
        state.folderOverride += u"/";
    state.catalogRead = false;
    state.names.clear();
    const bool typeChange = state.catalog.EnableTypeChange(true);
    state.catalog.MakeNull();
    state.catalog.EnableTypeChange(typeChange);
}
