// Float lanes for the plane loops of the float pictures: 4 lanes (SSE2,
// every x86-64) and 8 lanes inside AVX2 clones. The loops only multiply and
// add, each lane as the plain loop would (no fused multiply-add), so every
// width gives the same floats.
#pragma once

#include <cstring>

#include "gnr_picture/picmemAPI/LxKernelClones.h"

namespace lxpic
{

typedef float Float4 __attribute__((vector_size(16)));
typedef float Float8 __attribute__((vector_size(32)));

template <class V> constexpr unsigned kLanes = sizeof(V) / sizeof(float);

// Vectors travel by reference: a by-value AVX vector would cross the
// baseline ABI.
template <class V> LX_KERNEL_INLINE void loadLanes(V& v, const float* p)
{
    std::memcpy(&v, p, sizeof(V));
}

template <class V> LX_KERNEL_INLINE void storeLanes(float* p, const V& v)
{
    std::memcpy(p, &v, sizeof(V));
}

} // namespace lxpic
