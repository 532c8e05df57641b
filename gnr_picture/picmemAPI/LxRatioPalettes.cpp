#include "gnr_picture/picmemAPI/LxRatioPalettes.h"

#include <array>

#include "gnr_picture/LxColorimetry.h"

namespace lxratio
{

namespace
{

std::array<uint32_t, 256> rainbow()
{
    std::array<uint32_t, 256> table{};
    LX_RGBRainbowColorTable(table.data(), 256);
    return table;
}

} // namespace

const uint32_t* ratioPalette()
{
    static const std::array<uint32_t, 256> palette = rainbow();
    return palette.data();
}

const uint32_t* fretPalette()
{
    static const std::array<uint32_t, 256> palette = rainbow();
    return palette.data();
}

} // namespace lxratio
