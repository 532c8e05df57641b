// Memory figures, the document-size test and the system's version record.
#include "w32_system/LxSysInfo.h"

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "w32_system/LxMemoryFigures.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/debugging/LxLogFile.h"

namespace
{

constexpr uint64_t kLargestDocument = 1000000000;
// The user address space of x86-64 with 4-level page tables.
constexpr uint64_t kUserAddressSpace = 0x7FFFFFFFF000ull;

// The system has no other version record to give; callers test the family.
constexpr OSVERSIONINFOW kOSVersion = {sizeof(OSVERSIONINFOW), 10, 0, 0, 2, {}};
static_assert(sizeof(OSVERSIONINFOW) == 276, "the record's size is part of its interface");

std::string readProcFile(const char* path)
{
    std::string text;
    if (FILE* f = fopen(path, "re")) {
        char chunk[4096];
        size_t n;
        while ((n = fread(chunk, 1, sizeof(chunk), f)) > 0)
            text.append(chunk, n);
        fclose(f);
    }
    return text;
}

uint64_t procField(const std::string& text, const char* name)
{
    uint64_t value = 0;
    return LX_ProcField(text, name, &value) ? value : 0;
}

uint64_t addressSpaceLimit()
{
    struct rlimit limit;
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        return uint64_t(limit.rlim_cur);
    return kUserAddressSpace;
}

bool versionIs(uint32_t platform, uint32_t major, uint32_t minor)
{
    return kOSVersion.dwPlatformId == platform && kOSVersion.dwMajorVersion == major &&
           kOSVersion.dwMinorVersion == minor;
}

} // namespace

bool LX_ProcField(const std::string& text, const char* name, uint64_t* value)
{
    const std::string key = std::string(name) + ":";
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        if (text.compare(at, key.size(), key) == 0) {
            const char* digits = text.c_str() + at + key.size();
            char* rest;
            unsigned long long number = strtoull(digits, &rest, 10);
            if (rest == digits)
                return false;
            while (*rest == ' ' || *rest == '\t')
                ++rest;
            *value = strncmp(rest, "kB", 2) == 0 ? number * 1024 : number;
            return true;
        }
        at = end + 1;
    }
    return false;
}

SLxMemoryFigures LX_ReadMemoryFigures()
{
    const std::string meminfo = readProcFile("/proc/meminfo");
    const std::string status = readProcFile("/proc/self/status");
    SLxMemoryFigures f{};
    f.ui64TotalPhysical = procField(meminfo, "MemTotal");
    f.ui64AvailablePhysical = procField(meminfo, "MemAvailable");
    f.ui64TotalSwap = procField(meminfo, "SwapTotal");
    f.ui64AvailableSwap = procField(meminfo, "SwapFree");
    f.ui64TotalVirtual = addressSpaceLimit();
    const uint64_t mapped = procField(status, "VmSize");
    f.ui64AvailableVirtual = mapped < f.ui64TotalVirtual ? f.ui64TotalVirtual - mapped : 0;
    f.ui64ProcessUsed = procField(status, "VmRSS") + procField(status, "VmSwap");
    return f;
}

uint64_t LX_MemoryLimit(const SLxMemoryFigures& figures)
{
    return figures.ui64TotalPhysical + figures.ui64TotalSwap;
}

bool LX_DocumentExceedsMemory(uint64_t size, const SLxMemoryFigures& figures, uint64_t* excess)
{
    uint64_t over = 0;
    bool exceeds;
    if (size > kLargestDocument || size > figures.ui64TotalPhysical / 2) {
        exceeds = true;
    } else {
        const uint64_t threshold = uint64_t(0.75 * double(LX_MemoryLimit(figures)));
        exceeds = figures.ui64ProcessUsed > threshold;
        if (exceeds)
            over = figures.ui64ProcessUsed - threshold;
    }
    if (excess)
        *excess = over;
    return exceeds;
}

int LX_GetMemoryStatus(uint64_t* totalPhysical, uint64_t* availablePhysical, uint64_t* totalVirtual,
                       uint64_t* availableVirtual, uint64_t* totalPageFile,
                       uint64_t* availablePageFile)
{
    const SLxMemoryFigures f = LX_ReadMemoryFigures();
    const struct {
        uint64_t* out;
        uint64_t value;
    } fields[] = {
        {totalPhysical, f.ui64TotalPhysical}, {availablePhysical, f.ui64AvailablePhysical},
        {totalVirtual, f.ui64TotalVirtual},   {availableVirtual, f.ui64AvailableVirtual},
        {totalPageFile, f.ui64TotalSwap},     {availablePageFile, f.ui64AvailableSwap},
    };
    for (const auto& field : fields)
        if (field.out)
            *field.out = field.value;
    return 0;
}

bool LX_CheckSingleDocumentSizeOverflow(uint64_t size, uint64_t* excess, bool trace)
{
    const SLxMemoryFigures f = LX_ReadMemoryFigures();
    if (trace && CLxLogFile::Detail()) {
        LX_TRACE(u"Physical Memory: %I64u (%I64u)", f.ui64TotalPhysical, f.ui64AvailablePhysical);
        LX_TRACE(u"Virtual Memory: %I64u (%I64u)", f.ui64TotalVirtual, f.ui64AvailableVirtual);
        LX_TRACE(u"Page File: %I64u (%I64u)", f.ui64TotalSwap, f.ui64AvailableSwap);
        LX_TRACE(u"%I64u", LX_MemoryLimit(f));
    }
    return LX_DocumentExceedsMemory(size, f, excess);
}

bool CLxWinVersion::IsWin95()
{
    return versionIs(1, 4, 0);
}

bool CLxWinVersion::IsWin98()
{
    return versionIs(1, 4, 10);
}

bool CLxWinVersion::IsWinME()
{
    return versionIs(1, 4, 90);
}

bool CLxWinVersion::IsWin35()
{
    return versionIs(2, 3, 51);
}

bool CLxWinVersion::IsWin40()
{
    return versionIs(2, 4, 0);
}

bool CLxWinVersion::IsWin2k()
{
    return versionIs(2, 5, 0);
}

bool CLxWinVersion::IsWinXP()
{
    return versionIs(2, 5, 1);
}

bool CLxWinVersion::IsWinNT()
{
    return kOSVersion.dwPlatformId == 2;
}

void CLxWinVersion::GetOSVersionInfo(OSVERSIONINFOW& info)
{
    info = kOSVersion;
}
