// Printers so that failed comparisons show coordinates.
#pragma once

#include <ostream>

#include "gnr_system/geometry/LxGeometry.h"

template <class T> std::ostream& operator<<(std::ostream& out, const CLxPointBase<T>& p)
{
    return out << "(" << p.x << ", " << p.y << ")";
}

template <class T> std::ostream& operator<<(std::ostream& out, const CLxSizeBase<T>& s)
{
    return out << "[" << s.cx << " x " << s.cy << "]";
}

template <class T> std::ostream& operator<<(std::ostream& out, const CLxRectBase<T>& r)
{
    return out << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}
