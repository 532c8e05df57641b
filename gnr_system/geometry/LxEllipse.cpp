// Rotated ellipse: inside tests and the nearest point of the outline.
#include "gnr_system/geometry/LxEllipse.h"

#include <algorithm>
#include <cmath>
#include <type_traits>
#include <utility>

namespace
{

using Vec = CLxPointBase<double>;

// The bisection stops once the parameter is known this closely.
constexpr double kSearchPrecision = 0.0001;

// A coordinate in units of its semi-axis. A zero semi-axis leaves the segment
// along the other axis, so only the coordinate 0 lies within it (rather than
// the 0 * infinity of a plain division).
double InAxisUnits(double coordinate, double axis)
{
    if (axis == 0)
        return coordinate == 0 ? 0 : HUGE_VAL;
    return coordinate / axis;
}

// The nearest point of the quarter ellipse x = m, y = sqrt(A - m²) * b / a
// (0 <= m <= a) to a point (x, y) of the first quadrant; a, b > 0.
class CQuarterSearch
{
  public:
    CQuarterSearch(double a, double b, double x, double y) : m_a(a), m_b(b), m_x(x), m_y(y) {}

    Vec Nearest()
    {
        double A = m_a * m_a, B = m_b * m_b, s = std::sqrt(A + B);
        double t1 = A / s, t2 = B / s; // the outline point where the normal turns through 45°
        // Search along the axis on which the outline is flatter near the answer.
        bool exchanged = !Holds(t1, t2);
        if (exchanged) {
            std::swap(m_a, m_b);
            std::swap(m_x, m_y);
        }
        double m = Bisect(exchanged ? t2 : t1);
        double ym = CurveY(m);
        return exchanged ? Vec(ym, m) : Vec(m, ym);
    }

  private:
    double CurveY(double m) const
    {
        return std::sqrt(std::max(0.0, m_a * m_a - m * m)) * (m_b / m_a);
    }

    // True when the point lies on the side of the outline's normal at m that
    // is toward the m = 0 end, so that the answer is at m or below.
    bool Holds(double m, double ym) const
    {
        return (m_y - ym) * m * (m_b * m_b) >= (m_x - m) * ym * (m_a * m_a);
    }

    // The last midpoint of the bisection of [0, upper]; upper itself when the
    // interval is already within the precision.
    double Bisect(double upper) const
    {
        if (!(upper > kSearchPrecision))
            return upper;
        double lo = 0, hi = upper, m = upper;
        do {
            double mid = (lo + hi) * 0.5;
            if (mid <= lo || mid >= hi)
                break; // no double left between the ends (very large ellipses)
            m = mid;
            if (Holds(m, CurveY(m)))
                hi = m;
            else
                lo = m;
        } while (hi - lo > kSearchPrecision);
        return m;
    }

    double m_a, m_b, m_x, m_y;
};

// The nearest outline point in the ellipse's own frame; a, b >= 0.
Vec NearestInOwnFrame(double a, double b, double x, double y)
{
    if (a == 0)
        return Vec(0, std::min(std::max(y, -b), b));
    if (b == 0)
        return Vec(std::min(std::max(x, -a), a), 0);
    double signX = x < 0 ? -1 : 1, signY = y < 0 ? -1 : 1;
    Vec q = CQuarterSearch(a, b, std::fabs(x), std::fabs(y)).Nearest();
    return Vec(q.x * signX, q.y * signY);
}

Vec NearestOnEllipse(const Vec& centre, double a, double b, double angle, const Vec& p)
{
    double dx = p.x - centre.x, dy = p.y - centre.y;
    if (a == b) {
        if (dx == 0 && dy == 0)
            return Vec(centre.x + a, centre.y);
        double k = a / std::hypot(dx, dy);
        return Vec(centre.x + dx * k, centre.y + dy * k);
    }
    double c = std::cos(angle), s = std::sin(angle);
    Vec q = NearestInOwnFrame(a, b, dx * c + dy * s, -dx * s + dy * c);
    return Vec(centre.x + q.x * c - q.y * s, centre.y + q.x * s + q.y * c);
}

} // namespace

template <class T> void CLxEllipseBase<T>::Scale(double f)
{
    a = lx_geometry::FromDouble<T>(a * f);
    b = lx_geometry::FromDouble<T>(b * f);
}

template <class T> void CLxEllipseBase<T>::Expand(T d)
{
    a = std::max<T>(a + d, 0);
    b = std::max<T>(b + d, 0);
}

template <class T> bool CLxEllipseBase<T>::IsInside(const CLxPointBase<T>& p, bool box) const
{
    double dx = double(p.x) - this->x, dy = double(p.y) - this->y;
    double c = std::cos(-double(angle)), s = std::sin(-double(angle));
    double u = dx * c - dy * s, v = dx * s + dy * c;
    if constexpr (std::is_same_v<T, int>) {
        u = std::trunc(u);
        v = std::trunc(v);
    }
    double su = InAxisUnits(u, a), sv = InAxisUnits(v, b);
    if (box)
        return std::fabs(su) <= 1 && std::fabs(sv) <= 1;
    return std::hypot(su, sv) <= 1;
}

template <class T>
bool CLxEllipseBase<T>::IsInside(const CLxPointBase<T>& p, T tolerance, bool box) const
{
    CLxEllipseBase widened(*this);
    widened.a = std::max<T>(std::abs(a) + tolerance, 0);
    widened.b = std::max<T>(std::abs(b) + tolerance, 0);
    return widened.IsInside(p, box);
}

template <class T>
CLxPointBase<T> CLxEllipseBase<T>::NearestPointOnEllipse(const CLxPointBase<T>& p) const
{
    Vec nearest = NearestOnEllipse(Vec(this->x, this->y), std::fabs(double(a)),
                                   std::fabs(double(b)), double(angle), Vec(p.x, p.y));
    return CLxPointBase<T>(lx_geometry::FromDouble<T>(nearest.x),
                           lx_geometry::FromDouble<T>(nearest.y));
}

template class CLxEllipseBase<int>;
template class CLxEllipseBase<double>;
