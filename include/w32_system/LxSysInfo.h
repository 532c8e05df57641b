// Queries of the machine: memory figures, whether one more document of a
// given size may be held in memory, and the system's version.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

// Fills each given value (each pointer may be null), in bytes:
//   physical memory: MemTotal and MemAvailable of /proc/meminfo;
//   virtual address space: the process's address-space limit (RLIMIT_AS,
//     else the 47-bit user address space of x86-64), and that less the
//     process's mapped size (VmSize);
//   page file: the swap space, SwapTotal and SwapFree.
// Always 0; figures the system cannot give are 0.
LX_EXPORT int LX_GetMemoryStatus(uint64_t* totalPhysical, uint64_t* availablePhysical,
                                 uint64_t* totalVirtual, uint64_t* availableVirtual,
                                 uint64_t* totalPageFile, uint64_t* availablePageFile);

// True when a document of `size` bytes should not be held in memory:
//   a size above 1,000,000,000 bytes, or above half the physical memory
//     (excess 0);
//   otherwise when the process uses (resident plus swapped out) more than
//     0.75 x (physical memory + swap); the excess is what it uses beyond.
// The test of the process's use does not add the document's size.
// *excess (may be null) gets the excess, 0 when the result is false.
// With `trace`, in detail logging mode, the memory figures and the limit are
// written as trace records.
LX_EXPORT bool LX_CheckSingleDocumentSizeOverflow(uint64_t size, uint64_t* excess, bool trace);

// The system's version record, with the field names callers know. This
// platform reports the NT family, version 10.0.
struct OSVERSIONINFOW {
    uint32_t dwOSVersionInfoSize; // 276
    uint32_t dwMajorVersion;
    uint32_t dwMinorVersion;
    uint32_t dwBuildNumber;
    uint32_t dwPlatformId; // 1 Windows 9x, 2 NT
    char16_t szCSDVersion[128];
};

class LX_EXPORT CLxWinVersion
{
  public:
    static bool IsWin95(); // platform 1, 4.0
    static bool IsWin98(); // platform 1, 4.10
    static bool IsWinME(); // platform 1, 4.90
    static bool IsWin35(); // platform 2, 3.51
    static bool IsWin40(); // platform 2, 4.0
    static bool IsWin2k(); // platform 2, 5.0
    static bool IsWinXP(); // platform 2, 5.1
    static bool IsWinNT(); // platform 2, any version
    // Copies the whole record.
    static void GetOSVersionInfo(OSVERSIONINFOW& info);
};
