// Module resources: data blocks that belong to a module file.
//
// ELF shared objects have no resource section, so a module's resources live
// in a container file beside it: "<module file>.rsrc" (for "libfoo.so" the
// file "libfoo.so.rsrc"). Each entry has a type (10 = RCDATA, the only type
// these functions use), an integer id or a UTF-16 name, a language
// identifier (0 = neutral) and its bytes. Resource names are compared
// without regard to case; a name "#123" stands for the integer id 123.
// A module without a container has no resources.
//
// A container is replaced as a whole: an update writes a new container in
// the same folder and renames it over the old one, so a failure leaves the
// old container as it was.
#pragma once

#include "gnr_system/LxRscData.h"
#include "w32_system/LxExport.h"
#include "w32_system/LxTypes.h"

// The resource type of raw data blocks.
#define LX_RT_RCDATA 10

// Stores module in rsc, then appends the bytes of the RCDATA resource with
// the integer id resId (its low 16 bits) under the tag id, or resId when id
// is -1. When the module holds that id in several languages, the neutral
// one is taken, else the first. A missing resource (or container, or an
// unreadable one) adds nothing. The module's file is found from its handle
// (a null handle names the program). Returns rsc.
LX_EXPORT CLxRscData& LX_RCDATAToCLxRscDataByID(CLxRscData& rsc, LX_HMODULE module, int resId,
                                                int id);
// The same for the module file at modulePath (UTF-16; '\' or '/'), which
// need not be loaded. The handle stored in rsc is null.
LX_EXPORT CLxRscData& LX_RCDATAToCLxRscDataByID(CLxRscData& rsc, const char16_t* modulePath,
                                                int resId, int id);

// Clear, then one block for each of the resource ids 0x400 | p, p = 0 to
// 126, then 0x804 and 0xC0A, in that order, that the module holds, each
// tagged with its id: the ids are the language identifiers of primary
// language p with the default sublanguage, then Chinese (PRC) and
// modern-sort Spanish. Returns rsc.
LX_EXPORT CLxRscData& LX_RCDATAToCLxRscData(CLxRscData& rsc, LX_HMODULE module);
LX_EXPORT CLxRscData& LX_RCDATAToCLxRscData(CLxRscData& rsc, const char16_t* modulePath);

// Copies the whole data file at dataPath into the module's RCDATA resource
// called name, in the neutral language, replacing a resource of that name
// and language and keeping all others. Returns 0, or -9 with the reason for
// LX_GetResCopyError:
//   "Cannot load the dll file."   the module file cannot be read;
//   "Cannot open the data file."  the data file cannot be opened or read
//                                 whole;
//   "Updating resource failed."   the container is damaged or cannot be
//                                 written (the old one stays).
LX_EXPORT int LX_ResourceToDll(const char16_t* name, const char16_t* dllPath,
                               const char16_t* dataPath);

// Writes the bytes of the module's RCDATA resource called name, in the
// neutral language, to the data file at dataPath (created or emptied).
// Returns 0, or -9 with the reason for LX_GetResCopyError:
//   "Cannot load the dll file."    the module file cannot be read;
//   "Cannot load resource."        its container is damaged;
//   "Cannot locate resource."      there is no such resource (the data file
//                                  is then not touched);
//   "Cannot open the data file."   the data file cannot be created;
//   "Cannot write the data file."  writing it failed (it is removed).
LX_EXPORT int LX_DllToResource(const char16_t* name, const char16_t* dllPath,
                               const char16_t* dataPath);

// The reason of the last failure of LX_ResourceToDll or LX_DllToResource,
// kept after later successes; an empty text before the first failure.
LX_EXPORT const char* LX_GetResCopyError();
