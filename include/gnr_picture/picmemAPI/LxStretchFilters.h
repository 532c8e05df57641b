// Weight functions of the filtered stretch (see stretchfilter* in
// LxStretchKernels.h). The argument is the distance from the filter centre in
// filter units (source samples at scale 1); the result is 0 outside the
// support.
#pragma once

#include "w32_system/LxExport.h"

extern "C" {

// 1 - |t| for |t| < 1, else 0. Support [-1, 1]: filter width 2.
LX_EXPORT double filter_triangle(double t);
// The quadratic B-spline: 0.75 - t^2 for |t| < 0.5, 0.5 (|t| - 1.5)^2 for
// 0.5 <= |t| < 1.5, else 0. Support [-1.5, 1.5]: filter width 3.
LX_EXPORT double filter_bspline2(double t);

} // extern "C"
