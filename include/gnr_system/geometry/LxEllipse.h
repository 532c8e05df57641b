// A rotated ellipse: centre, two semi-axes and a rotation angle, with
// scaling, growing, inside tests and the nearest point on its outline.
//
// The inherited x and y are the centre; a is the semi-axis along the
// ellipse's own x direction, b along its own y direction, and angle turns
// the ellipse counter-clockwise from the x axis, in radians (a whole number
// of radians for the int instantiation). Instantiated and exported for int
// and double.
#pragma once

#include "gnr_system/geometry/LxGeometry.h"
#include "w32_system/LxExport.h"

template <class T> class LX_EXPORT CLxEllipseBase : public CLxPointBase<T>
{
  public:
    T a;
    T b;
    T angle;

    // Centre (0, 0), no extent, no rotation.
    CLxEllipseBase() : a(0), b(0), angle(0) {}
    CLxEllipseBase(T cx, T cy, T semiA, T semiB, T rotation)
        : CLxPointBase<T>(cx, cy), a(semiA), b(semiB), angle(rotation)
    {
    }
    CLxEllipseBase(const CLxEllipseBase&) = default;
    CLxEllipseBase& operator=(const CLxEllipseBase&) = default;

    // Multiplies both semi-axes (int: truncated toward zero). The centre
    // stays.
    void Scale(double f);
    // Adds d to both semi-axes; one that would become negative becomes 0.
    void Expand(T d);

    // Whether p lies inside the ellipse, outline included. With box set the
    // test uses the ellipse's bounding box in its own (rotated) frame. The
    // tolerance widens both semi-axes (taken by their magnitude; a negative
    // tolerance narrows them, though not below 0). A semi-axis of 0 leaves the
    // segment along the other axis: points on it are inside. For int the
    // point's offset in the ellipse's frame is truncated toward zero before
    // the test.
    bool IsInside(const CLxPointBase<T>& p, bool box) const;
    bool IsInside(const CLxPointBase<T>& p, T tolerance, bool box) const;

    // The point of the outline nearest to p, to within 0.0001 along the
    // searched axis. The centre of a circle gives (x + a, y), the point to
    // its right whatever the angle; a semi-axis of 0 gives the nearest point
    // of the remaining segment. Negative semi-axes count by their magnitude.
    // For int the search runs in double and the result is truncated toward
    // zero.
    CLxPointBase<T> NearestPointOnEllipse(const CLxPointBase<T>& p) const;
};

extern template class CLxEllipseBase<int>;
extern template class CLxEllipseBase<double>;
