// Pieces shared by the fuzz targets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "w32_system/debugging/LxDiag.h"

namespace fuzz_support
{

// Bad input is reported through the assertion layer; with every outlet off
// the reports cost nothing and the log file stays untouched.
inline void QuietDiagnostics()
{
    static const bool done = [] {
        LX_SetFailifOptions(32);
        LX_SetTraceOptions(32);
        return true;
    }();
    (void)done;
}

// The bytes as UTF-16 units (an odd last byte is dropped).
inline std::u16string Units(const uint8_t* data, size_t size)
{
    std::u16string units(size / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i)
        units[i] = char16_t(data[2 * i] | data[2 * i + 1] << 8);
    return units;
}

} // namespace fuzz_support
