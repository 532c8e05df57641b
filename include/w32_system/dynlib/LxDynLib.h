// Dynamic libraries: loading and unloading modules, finding their exported
// symbols, naming module files, and reading one named section of a module
// file from disk without loading it.
//
// Modules are ELF shared objects opened with dlopen. Paths are UTF-16; they
// are handed to the system as UTF-8.
#pragma once

#include <cstddef>

#include "w32_system/LxExport.h"
#include "w32_system/LxTypes.h"

// Loads a module (RTLD_NOW | RTLD_LOCAL) and returns its handle, or null.
// Every '\' of the path is read as '/', so Windows-style paths load too; a
// relative path containing a separator is made absolute against the current
// folder first, so LX_GetModuleFileName later gives the full path. A bare
// file name is searched the system's way. A null or empty path is reported
// through the assertion layer and gives null. In detail-log mode each call
// writes a trace record with the path as given.
LX_EXPORT LX_HMODULE LX_LoadLibrary(const char16_t* filename);

// Drops one reference of a loaded module. 0; -4 null handle (reported);
// -9 the system refused.
LX_EXPORT int LX_UnloadLibrary(LX_HMODULE lib);

// The address of an exported symbol (narrow, case-sensitive name), or null
// when the module does not export it. A null handle and a null or empty name
// are reported and give null.
LX_EXPORT void* LX_GetSymbol(LX_HMODULE lib, const char* name);

// File name extension of modules: ".so".
LX_EXPORT const char16_t* LX_GetDllExt();
// File name prefix of modules: "lib".
LX_EXPORT const char16_t* LX_GetDllPref();

// Writes the full path of a module file into buffer (size in UTF-16 units,
// terminator included). A null handle, or the handle of the main program
// (dlopen of null), names the process's executable.
// 0: the whole path is in the buffer.
// -4: null buffer or size 0 (reported); nothing written.
// -9: the path is unknown (the buffer holds an empty text) or longer than
//     size - 1 units (the buffer holds it cut to size - 1 units, never in the
//     middle of a surrogate pair).
// The buffer is terminated in every case but -4.
LX_EXPORT int LX_GetModuleFileName(LX_HMODULE module, char16_t* buffer, size_t size);

// Copies the raw data of a named section of an ELF module file into a new
// buffer of the C runtime heap (malloc), without loading the module. The
// first section whose name equals sectionName, ASCII letters compared without
// regard to case, is taken. ELF files of either class (32 or 64 bits) in
// little-endian byte order are read; extended section numbering is followed.
// On success *buffer owns the copy (free it with LX_FreeDataSeg) and *size is
// its length in bytes. A section of size 0 gives a 1-byte buffer and *size 0,
// so success always comes with a buffer to free.
// 0: done.
// -4: null path, name, buffer or size pointer, or an empty path or name
//     (reported).
// -7: the file cannot be opened, or is not a regular file.
// -9: anything else: not a little-endian ELF file, a header, section table,
//     name or section that lies outside the file, no section of that name, a
//     section without file data (SHT_NOBITS, such as .bss), no memory.
// On failure *buffer and *size are left untouched. Every offset and size read
// from the file is checked against the file's length: a damaged or
// truncated file gives -9.
LX_EXPORT int LX_GetDataSeg(const char16_t* path, const char* sectionName, void** buffer,
                            size_t* size);

// Frees a buffer of LX_GetDataSeg and sets the pointer to null. Always 0; a
// null address or a null pointer is left as it is.
LX_EXPORT int LX_FreeDataSeg(void** buffer);
