// The class registry: makes objects by class name from the modules in the
// library's own folder.
//
// The catalog is read from the library's own module, whatever its file name
// (a runtime install holds only "libquelvixcore.so.5*"), then from the module
// files "*.so", then "*.plugin", of that folder (each group in byte order of
// the file names; the names must end exactly so, "X.SO" is not taken). Each
// file is read once: the development link to the library is not read a
// second time. Every module that carries the catalog
// sections (LxCatalogSection.h) with "NDEBUG" in its identification adds its
// classes; other files are silently left out. Reading the catalog never
// loads a module: a module is loaded the first time one of its classes is
// searched by name, and stays loaded for the life of the process. The
// constructor function found then (LX_ConstructorFor<class name>) is kept in
// the catalog.
//
// Order: the catalog is sorted by each class's "m_RTTIpriority" text.
// Entries without a priority come first (in file order), then the ranked ones
// from the greatest text to the smallest; so of several modules declaring
// one class name, an unranked one wins, else the highest priority.
//
// Reports go through DiagAssertW with the source "gnr_system\rtti\rtti";
// the call then returns null or -9. Names are narrow (UTF-8), compared byte
// for byte.
//
// Threads: the catalog, its name map and the map of loaded modules are
// guarded by one error-checking mutex. Modules are loaded while it is held,
// so a module whose start-up code calls back into the registry gets the
// report "Error: RTTI - recursion on catalog cache not allowed." and a
// failure instead of a deadlock. Constructor functions run outside it.
#pragma once

#include <cstdint>

#include "gnr_system/LxInterface.h"
#include "gnr_system/LxList.h"
#include "gnr_system/string/LxString.h"
#include "gnr_system/variant/LxVariant.h"
#include "w32_system/LxExport.h"

// A class declaration: the class name, then interface names 1 to 9 (empty
// when unused).
struct LX_EXPORT SLxRTTIClass {
    CLxStringW m_className;
    CLxStringW m_parents[9];
};

// One catalog entry in member form.
struct LX_EXPORT SLxRTTICacheEntry {
    CLxStringW m_key;          // left empty
    LxConstructorFn m_creator; // null until the module was loaded
    SLxRTTIClass m_class;
    CLxStringW m_library; // full path of the module file
    CLxVariant m_addInfo; // the class's version and priority records
};

extern template class CLxList_specI<SLxRTTICacheEntry>;

// Called for each object by ForEachObject.
typedef int (*LxRTTIObjectFn)(ILxInterface* object, void* context);

class LX_EXPORT CLxRTTI
{
  public:
    // The registry (made on the first call; never null). Its folder is that
    // of the module holding the library's code.
    static CLxRTTI* getInstance();
    // The folder searched, ending with '/'; empty when the system cannot
    // name the module.
    CLxStringW GetFolder() const;

    // A new object of the highest-priority class of that name, holding one
    // reference for the caller; the file and line go to its constructor
    // function. Null, reported, when no module declares the class, its
    // module cannot be loaded, it has no constructor function, or that
    // returns null.
    static ILxInterface* Create(const char* className, const SLxFileLine& fileLine = SLxFileLine());
    // Create (passing "no file" and -1), then QueryInterface of the new
    // object, then its Release: the interface with the caller's one
    // reference, or null (the object is then gone). Not implementing the
    // interface is no error and is not reported.
    static ILxInterface* CreateAndQuery(const char* className, const char* interfaceName,
                                        const SLxFileLine& fileLine = SLxFileLine());
    // The same with the source position as two arguments.
    static ILxInterface* Create(const char* className, const char* file, unsigned line)
    {
        return Create(className, SLxFileLine{file, line});
    }
    static ILxInterface* CreateAndQuery(const char* className, const char* interfaceName,
                                        const char* file, unsigned line)
    {
        return CreateAndQuery(className, interfaceName, SLxFileLine{file, line});
    }

    // The class part's QueryInterface, AddRef, Release and GetCLxClassInfo;
    // for a null object (or one without class part): null, 0, 0, null.
    static ILxInterface* QueryInterface(ILxInterface* object, const char* interfaceName);
    static uint32_t AddRef(ILxInterface* object);
    static uint32_t Release(ILxInterface* object);
    static CLxClassInfo* GetCLxClassInfo(ILxInterface* object);

    // Makes out a list of copies of the matching "RLxRTTICacheEntry" records
    // (LxRttiRecords.h), in catalog order; the member m_class of each carries
    // the class name as its variant name. Reads the catalog on the first call
    // in the process.
    // - className given (not null, not empty): the entries of that class
    //   name. Their modules are loaded and constructor functions looked up
    //   now; an entry whose module cannot be loaded, or which lacks the
    //   function (reported), is left out.
    // - className empty: the entries whose first interface equals interface1
    //   and whose second equals interface2, an empty or null interface name
    //   matching any. Nothing is loaded; m_creator is set only for classes
    //   created before.
    // 0; -9 nothing matched, or the catalog mutex failed (reported).
    static int FindClassImpl(CLxVariant& out, const char* className, const char* interface1,
                             const char* interface2);
    // The same; appends one new SLxRTTICacheEntry per match to out. The
    // caller owns them: free them with DeleteEntries.
    static int FindClassImpl(CLxList_specI<SLxRTTICacheEntry>& out, const char* className,
                             const char* interface1, const char* interface2);
    // Deletes the entries of the list and empties it.
    static void DeleteEntries(CLxList_specI<SLxRTTICacheEntry>& entries);

    // Reads the catalog again from the folder (loaded modules stay loaded and
    // keep their constructor functions). 0; -9 when the catalog mutex failed.
    static int UpdateCatalog();

    // The quick road: the constructor function already known for the class
    // name (never loads a module, never reads the catalog: before the first
    // search or for a module not loaded yet it finds nothing). An unknown
    // name gives null without a report; a constructor returning null is
    // reported.
    static ILxInterface* Create_Fx(const char* className,
                                   const SLxFileLine& fileLine = SLxFileLine());
    // Create_Fx ("no file", -1), QueryInterface, Release.
    static ILxInterface* CreateAndQuery_Fx(const char* className, const char* interfaceName,
                                           const SLxFileLine& fileLine = SLxFileLine());

    // Not supported: -4 for a null callback, else -2; calls nothing.
    static int ForEachObject(LxRTTIObjectFn callback, void* context);

    // Tests only: search this folder (a path, '/' appended when missing)
    // instead of the library's own one; null or empty goes back to the own
    // folder. The catalog is read again on the next search.
    static void SetFolderForTesting(const char16_t* folder);

  private:
    CLxRTTI();
    static LxConstructorFn getObjectConstructor_Fx(const char* className);

    CLxStringW m_folder;
};
