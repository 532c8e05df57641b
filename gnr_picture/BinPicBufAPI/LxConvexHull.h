// The hull polygon of a traced contour, shared by the one-bit hull drawing
// and the convexity features.
#pragma once

#include <cstdint>

#include "gnr_picture/LxContour.h"

namespace lx_bin
{

// One CLxAlloc block, freed with CLxAlloc::Free. The vertices are contour
// points in contour order.
struct Hull {
    uint32_t count;
    double area;
    double perimeter;
    int32_t centreX, centreY;
    int32_t left, right, top, bottom; // bounding columns and rows, inclusive
    SLxIPoint vertices[1];
};

// The hull of a contour in the tracer's order (clockwise on the screen),
// from the support points of a fan of directions step degrees apart.
// Null for a null or empty contour, a step below 1, or without memory.
// boundedScan false reads every point for every direction, the plain form
// that the bounded one must agree with.
Hull* MakeHull(const SLxContour* contour, int step, bool boundedScan = true);

} // namespace lx_bin
