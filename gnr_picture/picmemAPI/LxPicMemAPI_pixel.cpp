// Single pixels between their stored samples and arrays of values.
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/picmemAPI/LxPicMemLoops.h"

using namespace lxpic;

namespace
{

// Sample bytes of the depths a pixel is converted at: 1 to 16 bits.
uint32_t pixelSampleBytes(uint32_t bits)
{
    return bits >= 1 && bits <= 16 ? sampleBytes(bits) : 0;
}

uint32_t loadSample(const void* pixel, uint32_t i, uint32_t bytes)
{
    const auto* p = static_cast<const uint8_t*>(pixel) + size_t(i) * bytes;
    return bytes == 1 ? *p : load<uint16_t>(p);
}

void storeSample(void* pixel, uint32_t i, uint32_t bytes, uint32_t value)
{
    auto* p = static_cast<uint8_t*>(pixel) + size_t(i) * bytes;
    if (bytes == 1)
        *p = uint8_t(value);
    else
        store<uint16_t>(p, uint16_t(value));
}

// Sample position of value i: stored order, or reversed.
uint32_t position(uint32_t i, uint32_t comps, bool reversed)
{
    return reversed ? comps - 1 - i : i;
}

int pixelToValues(uint32_t* values, const void* pixel, uint32_t comps, uint32_t bits, bool reversed)
{
    const uint32_t bytes = pixelSampleBytes(bits);
    if (bytes == 0)
        return -2;
    if (!values || !pixel)
        return -4;
    for (uint32_t i = 0; i < comps; ++i)
        values[i] = loadSample(pixel, position(i, comps, reversed), bytes);
    return 0;
}

int valuesToPixel(void* pixel, const uint32_t* values, uint32_t comps, uint32_t bits, bool reversed)
{
    const uint32_t bytes = pixelSampleBytes(bits);
    if (bytes == 0 || (comps != 1 && comps != 3 && comps != 4))
        return -2;
    if (!values || !pixel)
        return -4;
    for (uint32_t i = 0; i < comps; ++i)
        storeSample(pixel, position(i, comps, reversed), bytes, values[i]);
    return 0;
}

} // namespace

int CLxPicMemAPI::ConvertPixelToComponents(uint32_t* components, const void* pixel, uint32_t comps,
                                           uint32_t bits)
{
    return pixelToValues(components, pixel, comps, bits, false);
}

int CLxPicMemAPI::ConvertPixelToComponentsRGB(uint32_t* components, const void* pixel,
                                              uint32_t comps, uint32_t bits)
{
    return pixelToValues(components, pixel, comps, bits, comps == 3);
}

int CLxPicMemAPI::ConvertComponentsToPixel(void* pixel, const uint32_t* components, uint32_t comps,
                                           uint32_t bits)
{
    return valuesToPixel(pixel, components, comps, bits, false);
}

int CLxPicMemAPI::ConvertComponentsToPixelRGB(void* pixel, const uint32_t* components,
                                              uint32_t comps, uint32_t bits)
{
    return valuesToPixel(pixel, components, comps, bits, comps != 1);
}
