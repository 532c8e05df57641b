// Integer rasterisers that draw nothing themselves: they walk the pixels of a
// straight line, a circle, an ellipse or some of their quadrants and call a
// pixel function for each, which plots, records or tests it.
#pragma once

#include "w32_system/LxExport.h"

// Called once per pixel with the context given to the walk; true continues
// the walk, false ends it at once.
typedef bool (*LxPixelFunction)(int x, int y, void* context);

// Coordinates are signed with y growing downwards; nothing is clipped.
// Every walk returns false for a null pixel function (nothing called) or
// when the pixel function returned false, true otherwise. Four-connected
// walks add the pixel beside every diagonal step, so that consecutive
// pixels share a side.
class LX_EXPORT CLxLineDrawingAPI
{
  public:
    // From (x0, y0) to (x1, y1), both ends included, one pixel per step of
    // the longer extent. From a point to itself: one call, its result.
    static bool Line(int x0, int y0, int x1, int y1, bool fourConnected, LxPixelFunction fn,
                     void* context);
    // CircleQuadrant with quadrants 0 to 3.
    static bool Circle(int cx, int cy, int radius, bool fourConnected, LxPixelFunction fn,
                       void* context);
    // Draws quadrant q for first <= q < first + count and 0 <= q <= 3, in
    // the order 0 (bottom to right), 1 (right to top), 2 (top to left), 3
    // (left to bottom): counterclockwise on the screen. The axis points and
    // a point on each diagonal may be called twice. Radius 0 or below: true,
    // nothing called; above 2^20 or no memory for the octant table: false,
    // nothing called.
    static bool CircleQuadrant(int cx, int cy, int radius, int firstQuadrant, int quadrantCount,
                               bool fourConnected, LxPixelFunction fn, void* context);
    // EllipseQuadrant with quadrants 0 to 3.
    static bool Ellipse(int cx, int cy, int radiusX, int radiusY, bool fourConnected,
                        LxPixelFunction fn, void* context);
    // An axis-aligned ellipse quadrant by quadrant as CircleQuadrant. A
    // radius of 0 or below on either axis: true, nothing called; above 2^20
    // or no memory for the tables: false, nothing called.
    static bool EllipseQuadrant(int cx, int cy, int radiusX, int radiusY, int firstQuadrant,
                                int quadrantCount, bool fourConnected, LxPixelFunction fn,
                                void* context);
};
