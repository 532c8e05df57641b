// Handle types of the platform layer.
#pragma once

#include <cstdint>

// A module handle is what dlopen returned.
typedef void* LX_HMODULE;

// A file handle is the POSIX file descriptor, widened so it can travel in
// pointer-sized slots of records.
typedef intptr_t LX_HFILE;
#define LX_INVALID_HFILE ((LX_HFILE)-1)
