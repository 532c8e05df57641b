// The field of random blobs that the run-length cases share.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "bench_support.h"

namespace bench
{

// 6000 random discs of radius 2 to 24 on a kSide x kSide field (about 40 %
// covered; touching discs make larger objects with holes): 1 inside, 0
// outside. Draws from rng, which goes on from there.
inline std::vector<uint8_t> blobMask(std::mt19937& rng)
{
    std::vector<uint8_t> mask(size_t(kSide) * kSide, 0);
    for (int i = 0; i < 6000; ++i) {
        int cx = int(rng() % kSide), cy = int(rng() % kSide), r = 2 + int(rng() % 23);
        for (int y = std::max(0, cy - r); y <= std::min(int(kSide) - 1, cy + r); ++y)
            for (int x = std::max(0, cx - r); x <= std::min(int(kSide) - 1, cx + r); ++x)
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r)
                    mask[size_t(y) * kSide + x] = 1;
    }
    return mask;
}

} // namespace bench
