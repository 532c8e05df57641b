// The memory figures behind LX_GetMemoryStatus and
// LX_CheckSingleDocumentSizeOverflow, kept apart from the system so that the
// rules can be checked with figures of any machine.
#pragma once

#include <cstdint>
#include <string>

// Bytes; 0 where the system gives no figure.
struct SLxMemoryFigures {
    uint64_t ui64TotalPhysical;     // MemTotal
    uint64_t ui64AvailablePhysical; // MemAvailable
    uint64_t ui64TotalVirtual;      // the process's address-space limit
    uint64_t ui64AvailableVirtual;  // that less VmSize
    uint64_t ui64TotalSwap;         // SwapTotal
    uint64_t ui64AvailableSwap;     // SwapFree
    uint64_t ui64ProcessUsed;       // VmRSS + VmSwap of the process
};

// The value of a "Name:  value [kB]" line of a /proc text, in bytes (kB
// counts 1024). False when the line is missing.
bool LX_ProcField(const std::string& text, const char* name, uint64_t* value);

// The figures of this machine and process now.
SLxMemoryFigures LX_ReadMemoryFigures();

// What the document-size test compares the process's use with: physical
// memory plus swap.
uint64_t LX_MemoryLimit(const SLxMemoryFigures& figures);

// The rules of LX_CheckSingleDocumentSizeOverflow over given figures.
bool LX_DocumentExceedsMemory(uint64_t size, const SLxMemoryFigures& figures, uint64_t* excess);
