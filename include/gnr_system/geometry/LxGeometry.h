// Points, sizes and rectangles over int and double: the coordinate values of
// the picture and measurement code.
//
// Conventions that differ between members of like names:
// - Width = right - left, height = bottom - top (no +1). A rectangle is valid
//   when left < right and top < bottom; members normalise only where they say
//   so (Set(l, t, r, b) does, Set(p1, p2) does not).
// - IsContaining(point) is half-open (left <= x < right); IsContainingEnclosed
//   and PtInRect are closed (left <= x <= right).
// - Conversions from double to int truncate toward zero; a value beyond the
//   int range saturates at INT_MIN or INT_MAX and NaN becomes 0. int to double
//   is exact. The double instantiation compares exactly (no tolerance).
// - Int coordinates follow plain int arithmetic: sums and products must stay
//   within the int range. Lengths and distances (Size, Distance) are computed
//   without overflow. An int division by 0 is reported and leaves the
//   coordinate unchanged.
//
// CLxPointBase, CLxSizeBase and CLxRectBase are instantiated and exported for
// int and double only.
#pragma once

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "w32_system/LxExport.h"
#include "w32_system/debugging/LxDiag.h"

template <class T> class CLxPointBase;
template <class T> class CLxSizeBase;
template <class T> class CLxRectBase;

namespace lx_geometry
{

template <class T>
constexpr bool kIsCoordinate = std::is_same_v<T, int> || std::is_same_v<T, double>;

// double -> T, truncating toward zero and saturating for int.
template <class T> inline T FromDouble(double v)
{
    if constexpr (std::is_same_v<T, double>) {
        return v;
    } else {
        if (std::isnan(v))
            return 0;
        if (v >= 2147483648.0)
            return INT_MAX;
        if (v <= -2147483649.0)
            return INT_MIN;
        return static_cast<int>(v);
    }
}

// The coordinate type of the other instantiation.
template <class T> using Other = std::conditional_t<std::is_same_v<T, int>, double, int>;

// A coordinate of either instantiation taken into T.
template <class T> inline T Convert(int v)
{
    return static_cast<T>(v);
}
template <class T> inline T Convert(double v)
{
    return FromDouble<T>(v);
}

// v / d; the int division truncates toward zero.
template <class T> inline T Divide(T v, T d)
{
    if constexpr (std::is_same_v<T, int>) {
        if (d == 0) {
            LX_DIAG_ASSERT(d != 0, u"integer coordinate divided by 0");
            return v;
        }
        if (d == -1 && v == INT_MIN)
            return INT_MAX;
    }
    return v / d;
}

// sqrt(dx² + dy²), exact floor of the root for int (64-bit differences, so
// neither the differences nor their squares overflow).
inline double Hypot(double dx, double dy)
{
    return std::hypot(dx, dy);
}
inline int Hypot(int64_t dx, int64_t dy)
{
    uint64_t ax = uint64_t(dx < 0 ? -dx : dx), ay = uint64_t(dy < 0 ? -dy : dy);
    if (ax > uint64_t(INT_MAX) || ay > uint64_t(INT_MAX))
        return INT_MAX; // the root is at least the larger side
    uint64_t sum = ax * ax + ay * ay;
    uint64_t root = uint64_t(std::sqrt(double(sum)));
    while (root * root > sum)
        --root;
    while ((root + 1) * (root + 1) <= sum)
        ++root;
    return root > uint64_t(INT_MAX) ? INT_MAX : int(root);
}

// The type in which Hypot takes differences of T.
template <class T> using Wide = std::conditional_t<std::is_same_v<T, int>, int64_t, double>;

} // namespace lx_geometry

template <class T> class LX_EXPORT CLxPointBase
{
    static_assert(lx_geometry::kIsCoordinate<T>, "points exist over int and double");

  public:
    T x;
    T y;

    CLxPointBase() : x(0), y(0) {}
    CLxPointBase(T px, T py) : x(px), y(py) {}
    CLxPointBase(const CLxPointBase&) = default;
    CLxPointBase& operator=(const CLxPointBase&) = default;
    // From the other instantiation; double to int truncates toward zero.
    explicit CLxPointBase(const CLxPointBase<lx_geometry::Other<T>>& p)
        : x(lx_geometry::Convert<T>(p.x)), y(lx_geometry::Convert<T>(p.y))
    {
    }

    void Zero() { x = y = 0; }
    void Set(T px, T py)
    {
        x = px;
        y = py;
    }
    void Set(const CLxSizeBase<T>& s) { Set(s.cx, s.cy); }

    void Offset(T dx, T dy)
    {
        x += dx;
        y += dy;
    }
    void Offset(const CLxPointBase& p) { Offset(p.x, p.y); }
    void Offset(const CLxSizeBase<T>& s) { Offset(s.cx, s.cy); }
    CLxPointBase& operator+=(const CLxPointBase& p) { return Offset(p), *this; }
    CLxPointBase& operator-=(const CLxPointBase& p) { return Offset(-p.x, -p.y), *this; }
    CLxPointBase& operator+=(const CLxSizeBase<T>& s) { return Offset(s), *this; }
    CLxPointBase& operator-=(const CLxSizeBase<T>& s) { return Offset(-s.cx, -s.cy), *this; }

    CLxPointBase operator-() const { return CLxPointBase(-x, -y); }
    CLxPointBase operator+(const CLxPointBase& p) const { return CLxPointBase(x + p.x, y + p.y); }
    CLxPointBase operator-(const CLxPointBase& p) const { return CLxPointBase(x - p.x, y - p.y); }
    CLxPointBase operator+(const CLxSizeBase<T>& s) const
    {
        return CLxPointBase(x + s.cx, y + s.cy);
    }
    CLxPointBase operator-(const CLxSizeBase<T>& s) const
    {
        return CLxPointBase(x - s.cx, y - s.cy);
    }
    CLxPointBase operator*(T k) const { return CLxPointBase(x * k, y * k); }
    CLxPointBase operator/(T d) const
    {
        return CLxPointBase(lx_geometry::Divide(x, d), lx_geometry::Divide(y, d));
    }

    // Multiplies the coordinates (int: truncated toward zero).
    void Scale(double f) { Scale(f, f); }
    void Scale(double fx, double fy)
    {
        x = lx_geometry::FromDouble<T>(x * fx);
        y = lx_geometry::FromDouble<T>(y * fy);
    }
    // Scales the distance from a centre.
    void Scale(const CLxPointBase& center, T k) { Scale(center, k, k); }
    void Scale(const CLxPointBase& center, T kx, T ky)
    {
        x = (x - center.x) * kx + center.x;
        y = (y - center.y) * ky + center.y;
    }

    // Turns the point counter-clockwise by angle radians (for int a whole
    // number of radians) about (cx, cy). For int the turned offsets are
    // truncated before the centre is added.
    void Rotate(T cx, T cy, T angle)
    {
        double dx = double(x) - cx, dy = double(y) - cy;
        double c = std::cos(double(angle)), s = std::sin(double(angle));
        x = lx_geometry::FromDouble<T>(dx * c - dy * s) + cx;
        y = lx_geometry::FromDouble<T>(dx * s + dy * c) + cy;
    }
    void Rotate(const CLxPointBase& center, T angle) { Rotate(center.x, center.y, angle); }

    // Moves the point into the closed rectangle.
    void Clip(const CLxRectBase<T>& rect);

    // Distance from the origin; for int the floor of the exact root.
    T Size() const { return lx_geometry::Hypot(lx_geometry::Wide<T>(x), lx_geometry::Wide<T>(y)); }
    T Distance(T px, T py) const
    {
        using W = lx_geometry::Wide<T>;
        return lx_geometry::Hypot(W(px) - W(x), W(py) - W(y));
    }
    T Distance(const CLxPointBase& p) const { return Distance(p.x, p.y); }
    // atan2(y, x) in radians.
    double Angle() const { return std::atan2(double(y), double(x)); }

    bool operator==(const CLxPointBase& p) const { return x == p.x && y == p.y; }
    bool operator!=(const CLxPointBase& p) const { return !(*this == p); }
};

template <class T> class LX_EXPORT CLxSizeBase
{
    static_assert(lx_geometry::kIsCoordinate<T>, "sizes exist over int and double");

  public:
    T cx;
    T cy;

    CLxSizeBase() : cx(0), cy(0) {}
    CLxSizeBase(T w, T h) : cx(w), cy(h) {}
    CLxSizeBase(const CLxSizeBase&) = default;
    CLxSizeBase& operator=(const CLxSizeBase&) = default;
    explicit CLxSizeBase(const CLxSizeBase<lx_geometry::Other<T>>& s)
        : cx(lx_geometry::Convert<T>(s.cx)), cy(lx_geometry::Convert<T>(s.cy))
    {
    }

    void Zero() { cx = cy = 0; }
    void Set(T w, T h)
    {
        cx = w;
        cy = h;
    }
    void Set(const CLxSizeBase& s) { Set(s.cx, s.cy); }

    // Grows the size: cx + dx, cy + dy.
    void Offset(T dx, T dy)
    {
        cx += dx;
        cy += dy;
    }
    void Offset(const CLxSizeBase& s) { Offset(s.cx, s.cy); }
    void Offset(const CLxPointBase<T>& p) { Offset(p.x, p.y); }
    CLxSizeBase& operator+=(const CLxSizeBase& s) { return Offset(s), *this; }
    CLxSizeBase& operator-=(const CLxSizeBase& s) { return Offset(-s.cx, -s.cy), *this; }

    CLxSizeBase operator-() const { return CLxSizeBase(-cx, -cy); }
    CLxSizeBase operator+(const CLxSizeBase& s) const { return CLxSizeBase(cx + s.cx, cy + s.cy); }
    CLxSizeBase operator-(const CLxSizeBase& s) const { return CLxSizeBase(cx - s.cx, cy - s.cy); }
    // A size and a point give a point, per coordinate.
    CLxPointBase<T> operator+(const CLxPointBase<T>& p) const
    {
        return CLxPointBase<T>(cx + p.x, cy + p.y);
    }
    CLxPointBase<T> operator-(const CLxPointBase<T>& p) const
    {
        return CLxPointBase<T>(cx - p.x, cy - p.y);
    }
    CLxSizeBase operator*(T k) const { return CLxSizeBase(cx * k, cy * k); }
    CLxSizeBase operator/(T d) const
    {
        return CLxSizeBase(lx_geometry::Divide(cx, d), lx_geometry::Divide(cy, d));
    }

    void Scale(double f) { Scale(f, f); }
    void Scale(double fx, double fy)
    {
        cx = lx_geometry::FromDouble<T>(cx * fx);
        cy = lx_geometry::FromDouble<T>(cy * fy);
    }

    bool operator==(const CLxSizeBase& s) const { return cx == s.cx && cy == s.cy; }
    bool operator!=(const CLxSizeBase& s) const { return !(*this == s); }
};

template <class T> class LX_EXPORT CLxRectBase
{
    static_assert(lx_geometry::kIsCoordinate<T>, "rectangles exist over int and double");

  public:
    // Laid out as the top-left point followed by the bottom-right point.
    T left;
    T top;
    T right;
    T bottom;

    // The constructors take the coordinates as given, not normalised.
    CLxRectBase() : left(0), top(0), right(0), bottom(0) {}
    CLxRectBase(T l, T t, T r, T b) : left(l), top(t), right(r), bottom(b) {}
    CLxRectBase(const CLxPointBase<T>& topLeft, const CLxPointBase<T>& bottomRight)
        : CLxRectBase(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y)
    {
    }
    CLxRectBase(const CLxRectBase&) = default;
    CLxRectBase& operator=(const CLxRectBase&) = default;
    explicit CLxRectBase(const CLxRectBase<lx_geometry::Other<T>>& r) { CopyFrom(r); }

    // Copies a rectangle of either instantiation (to int: truncated toward
    // zero). A null pointer is reported and changes nothing.
    void CopyRect(const CLxRectBase<int>* r) { CopyFromPointer(r); }
    void CopyRect(const CLxRectBase<double>* r) { CopyFromPointer(r); }

    T Width() const { return right - left; }
    T Height() const { return bottom - top; }
    T Area() const { return Height() * Width(); }
    CLxSizeBase<T> Size() const { return CLxSizeBase<T>(Width(), Height()); }

    CLxPointBase<T> Origin() const { return CLxPointBase<T>(left, top); }
    CLxPointBase<T> TopRight() const { return CLxPointBase<T>(right, top); }
    CLxPointBase<T> BottomLeft() const { return CLxPointBase<T>(left, bottom); }
    // The stored corners themselves: writing through them moves the edges.
    CLxPointBase<T>& TopLeft() { return *reinterpret_cast<CLxPointBase<T>*>(&left); }
    CLxPointBase<T>& BottomRight() { return *reinterpret_cast<CLxPointBase<T>*>(&right); }
    const CLxPointBase<T>& TopLeft() const
    {
        return *reinterpret_cast<const CLxPointBase<T>*>(&left);
    }
    const CLxPointBase<T>& BottomRight() const
    {
        return *reinterpret_cast<const CLxPointBase<T>*>(&right);
    }

    // The middle of the rectangle; for int the sums are halved and truncated
    // toward zero, so (0, 0, 3, 3) gives (1, 1).
    CLxPointBase<T> CenterPoint() const
    {
        return CLxPointBase<T>(lx_geometry::FromDouble<T>((double(left) + right) * 0.5),
                               lx_geometry::FromDouble<T>((double(top) + bottom) * 0.5));
    }
    // width / height divided in T (an int division for int); 1 when the
    // height is 0.
    double Aspect() const
    {
        T height = Height();
        return height == 0 ? 1.0 : double(lx_geometry::Divide(Width(), height));
    }

    // Moving: all four coordinates.
    void Offset(T dx, T dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    void Offset(const CLxPointBase<T>& p) { Offset(p.x, p.y); }
    void OffsetRect(T dx, T dy) { Offset(dx, dy); }
    void OffsetRect(const CLxPointBase<T>& p) { Offset(p.x, p.y); }
    CLxRectBase& operator+=(const CLxPointBase<T>& p) { return Offset(p.x, p.y), *this; }
    CLxRectBase& operator-=(const CLxPointBase<T>& p) { return Offset(-p.x, -p.y), *this; }
    CLxRectBase operator+(const CLxPointBase<T>& p) const { return CLxRectBase(*this) += p; }
    CLxRectBase operator-(const CLxPointBase<T>& p) const { return CLxRectBase(*this) -= p; }

    // Growing by a size: only right and bottom move.
    CLxRectBase& operator+=(const CLxSizeBase<T>& s)
    {
        right += s.cx;
        bottom += s.cy;
        return *this;
    }
    CLxRectBase& operator-=(const CLxSizeBase<T>& s) { return *this += -s; }
    CLxRectBase operator+(const CLxSizeBase<T>& s) const { return CLxRectBase(*this) += s; }
    CLxRectBase operator-(const CLxSizeBase<T>& s) const { return CLxRectBase(*this) -= s; }

    CLxRectBase operator*(T k) const
    {
        return CLxRectBase(left * k, top * k, right * k, bottom * k);
    }

    void Expand(T n) { InflateRect(n, n); }
    void InflateRect(T dx, T dy) { InflateRect(CLxRectBase(dx, dy, dx, dy)); }
    void InflateRect(const CLxSizeBase<T>& s) { InflateRect(s.cx, s.cy); }
    // Each edge moves outward by the matching coordinate of r.
    void InflateRect(const CLxRectBase& r)
    {
        left -= r.left;
        top -= r.top;
        right += r.right;
        bottom += r.bottom;
    }
    void DeflateRect(T dx, T dy) { InflateRect(-dx, -dy); }
    void DeflateRect(const CLxSizeBase<T>& s) { InflateRect(-s.cx, -s.cy); }
    void DeflateRect(const CLxRectBase& r)
    {
        InflateRect(CLxRectBase(-r.left, -r.top, -r.right, -r.bottom));
    }

    // Multiply coordinates (int: truncated toward zero).
    void ScaleX(double f)
    {
        left = lx_geometry::FromDouble<T>(left * f);
        right = lx_geometry::FromDouble<T>(right * f);
    }
    void ScaleY(double f)
    {
        top = lx_geometry::FromDouble<T>(top * f);
        bottom = lx_geometry::FromDouble<T>(bottom * f);
    }
    void Scale(double f)
    {
        ScaleX(f);
        ScaleY(f);
    }

    void Zero() { left = top = right = bottom = 0; }
    bool IsZero() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    bool IsRectNull() const { return IsZero(); }
    // Note: an inverted rectangle is neither empty nor valid.
    bool IsEmpty() const { return left == right || top == bottom; }
    bool IsValid() const { return left < right && top < bottom; }

    // Half-open: the right and bottom edges are outside.
    bool IsContaining(T px, T py) const
    {
        return IsInRange(px, left, right) && IsInRange(py, top, bottom);
    }
    bool IsContaining(const CLxPointBase<T>& p) const { return IsContaining(p.x, p.y); }
    // Closed: all four edges are inside.
    bool IsContainingEnclosed(T px, T py) const
    {
        return IsInRangeEnclosed(px, left, right) && IsInRangeEnclosed(py, top, bottom);
    }
    bool IsContainingEnclosed(const CLxPointBase<T>& p) const
    {
        return IsContainingEnclosed(p.x, p.y);
    }
    bool PtInRect(const CLxPointBase<T>& p) const { return IsContainingEnclosed(p.x, p.y); }
    // r lies within the closed rectangle (r itself is not checked).
    bool IsContaining(const CLxRectBase& r) const
    {
        return r.left >= left && r.top >= top && r.right <= right && r.bottom <= bottom;
    }

    static bool IsInRange(T v, T lo, T hi) { return lo <= v && v < hi; }
    static bool IsInRangeEnclosed(T v, T lo, T hi) { return lo <= v && v <= hi; }

    // Touching edges count as intersecting.
    bool IsIntersecting(const CLxRectBase& r) const
    {
        return Max(left, r.left) <= Min(right, r.right) && Max(top, r.top) <= Min(bottom, r.bottom);
    }
    // Becomes the common part, or the zero rectangle when that has no area;
    // returns whether it has an area.
    bool Intersect(const CLxRectBase& r)
    {
        *this = CLxRectBase(Max(left, r.left), Max(top, r.top), Min(right, r.right),
                            Min(bottom, r.bottom));
        if (IsValid())
            return true;
        Zero();
        return false;
    }
    // Becomes the smallest rectangle around both, without normalising.
    void BoundingRect(const CLxRectBase& r) { *this = Hull(*this, r); }

    // Moves the top-left corner to p, keeping width and height.
    void SetPosition(const CLxPointBase<T>& p) { Offset(p.x - left, p.y - top); }

    // Pulls the edges in to the given ones; the result may be invalid.
    void Clip(T l, T t, T r, T b)
    {
        left = Max(left, l);
        top = Max(top, t);
        right = Min(right, r);
        bottom = Min(bottom, b);
    }
    void Clip(const CLxRectBase& r) { Clip(r.left, r.top, r.right, r.bottom); }

    void Set(const CLxPointBase<T>& p) { Set(p, p); }
    // Takes the corners as given: not normalised.
    void Set(const CLxPointBase<T>& topLeft, const CLxPointBase<T>& bottomRight)
    {
        *this = CLxRectBase(topLeft, bottomRight);
    }
    // Normalised: (10, 10, 0, 0) gives (0, 0, 10, 10).
    void Set(T l, T t, T r, T b)
    {
        *this = CLxRectBase(Min(l, r), Min(t, b), Max(l, r), Max(t, b));
    }
    void SetRect(const CLxPointBase<T>& p1, const CLxPointBase<T>& p2)
    {
        Set(p1, p2);
        NormalizeRect();
    }
    void NormalizeRect()
    {
        if (top > bottom)
            Swap(top, bottom);
        if (left > right)
            Swap(left, right);
    }

    // Becomes the intersection (union) of normalised copies of a and b, kept
    // even when it has no area. Returns whether the result has an area; a null
    // argument returns false and leaves the rectangle unchanged.
    bool IntersectRect(const CLxRectBase* a, const CLxRectBase* b)
    {
        if (!a || !b)
            return false;
        *this = Meet(Normalized(*a), Normalized(*b));
        return IsValid();
    }
    bool UnionRect(const CLxRectBase* a, const CLxRectBase* b)
    {
        if (!a || !b)
            return false;
        *this = Hull(Normalized(*a), Normalized(*b));
        return IsValid();
    }
    // Intersection of the normalised rectangles, not tested for emptiness.
    CLxRectBase operator&(const CLxRectBase& r) const
    {
        return Meet(Normalized(*this), Normalized(r));
    }
    // Union of the normalised rectangles.
    CLxRectBase operator|(const CLxRectBase& r) const
    {
        return Hull(Normalized(*this), Normalized(r));
    }
    CLxRectBase& operator|=(const CLxRectBase& r) { return *this = *this | r; }

    bool operator==(const CLxRectBase& r) const
    {
        return left == r.left && top == r.top && right == r.right && bottom == r.bottom;
    }
    bool operator!=(const CLxRectBase& r) const { return !(*this == r); }

  private:
    template <class U> void CopyFrom(const CLxRectBase<U>& r)
    {
        left = lx_geometry::Convert<T>(r.left);
        top = lx_geometry::Convert<T>(r.top);
        right = lx_geometry::Convert<T>(r.right);
        bottom = lx_geometry::Convert<T>(r.bottom);
    }
    template <class U> void CopyFromPointer(const CLxRectBase<U>* r)
    {
        if (r)
            CopyFrom(*r);
        else
            LX_DIAG_ASSERT(r, u"CopyRect from a null rectangle");
    }
    static T Min(T a, T b) { return b < a ? b : a; }
    static T Max(T a, T b) { return a < b ? b : a; }
    static void Swap(T& a, T& b)
    {
        T t = a;
        a = b;
        b = t;
    }
    static CLxRectBase Normalized(CLxRectBase r) { return r.NormalizeRect(), r; }
    static CLxRectBase Meet(const CLxRectBase& a, const CLxRectBase& b)
    {
        return CLxRectBase(Max(a.left, b.left), Max(a.top, b.top), Min(a.right, b.right),
                           Min(a.bottom, b.bottom));
    }
    static CLxRectBase Hull(const CLxRectBase& a, const CLxRectBase& b)
    {
        return CLxRectBase(Min(a.left, b.left), Min(a.top, b.top), Max(a.right, b.right),
                           Max(a.bottom, b.bottom));
    }
};

template <class T> inline void CLxPointBase<T>::Clip(const CLxRectBase<T>& rect)
{
    x = x < rect.left ? rect.left : x;
    x = x > rect.right ? rect.right : x;
    y = y < rect.top ? rect.top : y;
    y = y > rect.bottom ? rect.bottom : y;
}

extern template class CLxPointBase<int>;
extern template class CLxPointBase<double>;
extern template class CLxSizeBase<int>;
extern template class CLxSizeBase<double>;
extern template class CLxRectBase<int>;
extern template class CLxRectBase<double>;

// TopLeft() and BottomRight() rely on this layout.
static_assert(std::is_standard_layout_v<CLxRectBase<int>> &&
                  offsetof(CLxRectBase<int>, right) == sizeof(CLxPointBase<int>),
              "a rectangle is two points");
static_assert(std::is_standard_layout_v<CLxRectBase<double>> &&
                  offsetof(CLxRectBase<double>, right) == sizeof(CLxPointBase<double>),
              "a rectangle is two points");
