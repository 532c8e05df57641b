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

// A rectangle of whole pixels; right and bottom lie one past the last pixel.
struct SLxIRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};
