// Translation of user-visible texts.
//
// Texts are looked up by their English key in message catalogs in the GNU
// gettext message-object layout (either byte order; also the system's own
// revision 'QVX0', which adds UTF-16 translations). Catalogs come from
// files or from module resources (one per language), each tagged with its
// module and language identifier (Windows LANGID values such as 1033
// English, 1036 French; -1 none).
//
// Domains: a lookup names a domain, a fixed path-like text of the caller
// such as "qvx\gnr_picture\lut\SLxLut" ('/' works as well as '\'). Catalogs
// are named by the "Project-Id-Version: " line of their header (for
// instance "qvx\gnr_picture\lut") and kept sorted by depth, then name. A
// lookup first asks the catalog of the wanted language that sorts last at
// or before the domain, then every other catalog of that language in list
// order. The wanted language is the catalog module's language (falling
// back to the primary language), then the secondary language. A key that
// no catalog translates comes back as the key's own text.
//
// Texts handed back point into a catalog (valid until it is removed), into
// the key store or at a shared empty text (valid for the whole process).
// Callers never free them.
//
// Threads: catalogs and languages are meant to be set up before lookups run
// on other threads; they are not locked. Lookups themselves may run on any
// number of threads.
#pragma once

#include <cstddef>

#include "w32_system/LxExport.h"
#include "w32_system/LxTypes.h"

class CLxRscData;
struct SLxLocaleState;

class LX_EXPORT CLxLocale
{
  public:
    // The process-wide object, made on first use with primary and secondary
    // language -1, destroyed at process exit. Every static member below
    // makes sure it exists.
    static CLxLocale& getInstance();

    // Sets the primary language and returns the previous one; writes the
    // trace record "CLxLocale::SetLangID(<id>) : <name>" (English, Czech,
    // German, French, Italian, Polish, Russian, Japanese or Unknown).
    static int SetLangID(int language);
    static int GetLangID();
    // The same for the secondary language, without a trace record.
    static int SetSecondaryLangID(int language);
    static int GetSecondaryLangID();
    // Sets the module's language; returns its previous one or -1.
    static int SetModuleLangId(LX_HMODULE module, int language);
    // The module's language, else the primary language.
    static int GetModuleLangId(LX_HMODULE module);

    // Reads the whole catalog file at path (UTF-8; '\' or '/') and adds it
    // for no module and language -1. False when the file cannot be read or
    // the catalog is refused (see below).
    static bool AddCatalog(const char* path);
    // Adds a copy of the catalog bytes for that module and language. False
    // when they are not a valid catalog (a trace record says why: too short,
    // bad magic number, an unknown revision, or a table, string or hash word
    // pointing outside the data), or when a catalog of the same language and
    // name is already there (a duplicate; nothing changes).
    static bool AddCatalog(const void* data, size_t size, LX_HMODULE module, int language);
    // Removes every catalog whose name equals name without regard to case.
    // Always true.
    static bool RemoveCatalog(const char* name);
    // Language -1: removes every catalog of the module; otherwise its first
    // catalog of that language. Always true.
    static bool RemoveCatalog(LX_HMODULE module, int language);
    // Always true.
    static bool RemoveAllCatalogs();

    // The UTF-16 translation of a UTF-16 key (looked up by its UTF-8 form;
    // an empty key is not looked up). Null for a null key.
    static const char16_t* GetStrW(const char16_t* key, const char* domain);
    // The UTF-16 translation of a narrow (UTF-8) key. Null for a null key.
    static const char16_t* GetStrW(const char* key, const char* domain);
    // The narrow (UTF-8) translation of a narrow key. Null for a null key.
    static const char* GetStrA(const char* key, const char* domain);
    // The time spent in lookups (milliseconds) and their number.
    static void GetStatistics(double& totalMs, unsigned& count);

    ~CLxLocale();
    CLxLocale(const CLxLocale&) = delete;
    CLxLocale& operator=(const CLxLocale&) = delete;

  private:
    CLxLocale();
    static SLxLocaleState& State();
    SLxLocaleState* m_state;
};

// Translations for the library and its callers. An empty key gives an empty
// text without a lookup; a null key is reported and also gives an empty
// text.
LX_EXPORT const char16_t* LX_GetTranslation(const char16_t* key, const char* domain);
LX_EXPORT const char* LX_GetTranslation(const char* key, const char* domain);
// The tag only chooses the kind of the result; its value is not used.
LX_EXPORT const char16_t* LX_GetTranslationEX(const char* key, char16_t tag, const char* domain);
LX_EXPORT const char* LX_GetTranslationEX(const char* key, char tag, const char* domain);
LX_EXPORT const char16_t* LX_GetTranslationEX(const char16_t* key, char16_t tag,
                                              const char* domain);

// Adds every block of rsc that holds data, in order, as a catalog of rsc's
// module with the block's id as its language (the blocks that
// LX_RCDATAToCLxRscData reads). Returns 0.
LX_EXPORT int LX_CLxRscDataToCLxLocale(const CLxRscData& rsc);
