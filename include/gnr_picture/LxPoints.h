// Points of the picture library: whole pixel positions and sub-pixel
// positions, x to the right and y downwards.
#pragma once

#include <cstdint>

struct SLxIPoint {
    int32_t x;
    int32_t y;
};

struct SLxDPoint {
    double x;
    double y;
};
