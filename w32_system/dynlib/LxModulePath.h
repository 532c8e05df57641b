// Paths of module files, for the parts of the library that look for files
// beside the program or beside the library itself.
#pragma once

#include <string>

// Full path of the module that holds the library's code: the shared library,
// or the program when the library's objects are linked into it. Empty when
// the system cannot tell.
std::u16string LX_GetOwnModulePath();

// Full path of the process's executable (symbolic links resolved). Empty
// when the system cannot tell.
std::u16string LX_GetExecutablePath();

// A handle of the module that holds the library's code (see
// LX_GetOwnModulePath), for looking up its exported symbols; null when the
// system cannot tell.
void* LX_GetOwnModuleHandle();
