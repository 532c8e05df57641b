// The measured-object rows and the per-pixel measurement interface.
#include <cstring>

#include "gnr_picture/LxPicMeasAPI.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

constexpr size_t kFeatureBytes = sizeof(double) * LX_OBJECT_FEATURES;
constexpr size_t kObjectBytes = sizeof(uint32_t) * 4;

} // namespace

ILxPicMeas::~ILxPicMeas() = default;

SLxObjectData::SLxObjectData()
    : uiCount(0), uiCapacity(0), pFeatures(nullptr), pObjects(nullptr), dFieldArea(0.0),
      dObjectArea(0.0)
{
}

SLxObjectData::~SLxObjectData()
{
    Free();
}

SLxObjectData::SLxObjectData(const SLxObjectData& other) : SLxObjectData()
{
    *this = other;
}

// Deep: sharing the arrays would free them twice.
SLxObjectData& SLxObjectData::operator=(const SLxObjectData& other)
{
    if (this == &other)
        return *this;
    Free();
    dFieldArea = other.dFieldArea;
    dObjectArea = other.dObjectArea;
    if (other.uiCount && Realloc(other.uiCount)) {
        std::memcpy(pFeatures, other.pFeatures, kFeatureBytes * other.uiCount);
        std::memcpy(pObjects, other.pObjects, kObjectBytes * other.uiCount);
        uiCount = other.uiCount;
    }
    return *this;
}

SLxObjectData::SLxObjectData(SLxObjectData&& other) noexcept
    : uiCount(other.uiCount), uiCapacity(other.uiCapacity), pFeatures(other.pFeatures),
      pObjects(other.pObjects), dFieldArea(other.dFieldArea), dObjectArea(other.dObjectArea)
{
    other.uiCount = other.uiCapacity = 0;
    other.pFeatures = nullptr;
    other.pObjects = nullptr;
}

SLxObjectData& SLxObjectData::operator=(SLxObjectData&& other) noexcept
{
    if (this == &other)
        return *this;
    Free();
    uiCount = other.uiCount;
    uiCapacity = other.uiCapacity;
    pFeatures = other.pFeatures;
    pObjects = other.pObjects;
    dFieldArea = other.dFieldArea;
    dObjectArea = other.dObjectArea;
    other.uiCount = other.uiCapacity = 0;
    other.pFeatures = nullptr;
    other.pObjects = nullptr;
    return *this;
}

bool SLxObjectData::Realloc(uint32_t n)
{
    if (n <= uiCapacity)
        return true;
    void* features = CLxAlloc::ReAlloc(pFeatures, kFeatureBytes * n, LX_HEAP_ZERO_MEMORY);
    if (!features)
        return false;
    pFeatures = static_cast<double*>(features);
    void* objects = CLxAlloc::ReAlloc(pObjects, kObjectBytes * n, LX_HEAP_ZERO_MEMORY);
    if (!objects)
        return false; // the feature rows grew alone; the capacity stays the smaller one
    pObjects = static_cast<uint32_t*>(objects);
    uiCapacity = n;
    return true;
}

void SLxObjectData::Free()
{
    CLxAlloc::Free(pFeatures);
    CLxAlloc::Free(pObjects);
    pFeatures = nullptr;
    pObjects = nullptr;
    uiCount = uiCapacity = 0;
}

bool SLxObjectData::Append(const SLxObjectData& other)
{
    if (other.uiCount == 0)
        return true;
    const uint64_t total = uint64_t(uiCount) + other.uiCount;
    if (total > UINT32_MAX || !Realloc(uint32_t(total)))
        return false;
    // other may be this object: its pointers were refreshed by Realloc.
    std::memmove(pFeatures + size_t(uiCount) * LX_OBJECT_FEATURES, other.pFeatures,
                 kFeatureBytes * other.uiCount);
    std::memmove(pObjects + size_t(uiCount) * 4, other.pObjects, kObjectBytes * other.uiCount);
    uiCount = uint32_t(total);
    return true;
}
