#include "gnr_picture/picmemAPI/LxStretchFilters.h"

#include <cmath>

double filter_triangle(double t)
{
    t = std::fabs(t);
    return t < 1.0 ? 1.0 - t : 0.0;
}

double filter_bspline2(double t)
{
    t = std::fabs(t);
    if (t < 0.5)
        return 0.75 - t * t;
    if (t < 1.5)
        return 0.5 * (t - 1.5) * (t - 1.5);
    return 0.0;
}
