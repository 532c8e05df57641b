#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "geometry_test_support.h"
#include "gnr_system/geometry/LxEllipse.h"

namespace
{

using IEllipse = CLxEllipseBase<int>;
using DEllipse = CLxEllipseBase<double>;
using IPoint = CLxPointBase<int>;
using DPoint = CLxPointBase<double>;

const double kPi = 3.14159265358979323846;

// The point's offset from the centre in the ellipse's own frame.
DPoint OwnFrame(const DEllipse& e, const DPoint& p)
{
    double dx = p.x - e.x, dy = p.y - e.y, c = std::cos(e.angle), s = std::sin(e.angle);
    return DPoint(dx * c + dy * s, -dx * s + dy * c);
}

DPoint OutlinePoint(const DEllipse& e, double t)
{
    double u = e.a * std::cos(t), v = e.b * std::sin(t);
    double c = std::cos(e.angle), s = std::sin(e.angle);
    return DPoint(e.x + u * c - v * s, e.y + u * s + v * c);
}

// The smallest distance from p to the outline, by dense sampling.
double SampledDistance(const DEllipse& e, const DPoint& p)
{
    const int samples = 20000;
    double best = std::numeric_limits<double>::infinity();
    for (int i = 0; i < samples; ++i)
        best = std::min(best, OutlinePoint(e, 2 * kPi * i / samples).Distance(p));
    return best;
}

void ExpectNear(const DPoint& actual, const DPoint& expected, double tolerance)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance) << actual << " vs " << expected;
    EXPECT_NEAR(actual.y, expected.y, tolerance) << actual << " vs " << expected;
}

// ---- Nearest point

TEST(LxEllipse, NearestPointOfACircle)
{
    DEllipse circle(0, 0, 5, 5, 0);
    EXPECT_EQ(circle.NearestPointOnEllipse(DPoint(0, 0)), DPoint(5, 0));
    EXPECT_EQ(circle.NearestPointOnEllipse(DPoint(0, 10)), DPoint(0, 5));
    ExpectNear(circle.NearestPointOnEllipse(DPoint(6, 8)), DPoint(3, 4), 1e-12);
    ExpectNear(circle.NearestPointOnEllipse(DPoint(-0.3, 0.4)), DPoint(-3, 4), 1e-12);
    // The centre maps to the right of the centre whatever the angle.
    DEllipse turned(2, 3, 5, 5, 1.0);
    EXPECT_EQ(turned.NearestPointOnEllipse(DPoint(2, 3)), DPoint(7, 3));
    // A circle of radius 0 is its centre.
    EXPECT_EQ(DEllipse(2, 3, 0, 0, 0).NearestPointOnEllipse(DPoint(9, 9)), DPoint(2, 3));
    EXPECT_EQ(IEllipse(0, 0, 5, 5, 0).NearestPointOnEllipse(IPoint(0, 10)), IPoint(0, 5));
}

TEST(LxEllipse, NearestPointOnTheAxes)
{
    struct Case {
        double px, py, nx, ny;
    };
    const Case cases[] = {
        {20, 0, 10, 0},
        {-20, 0, -10, 0},
        {0, -20, 0, -5},
        {0, 20, 0, 5},
        {9, 0, 10, 0},
        // Inside, near the centre, the nearest point leaves the axis.
        {3, 0, 4, std::sqrt(21.0)},
        {-3, 0, -4, std::sqrt(21.0)},
    };
    DEllipse e(0, 0, 10, 5, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.px << ", " << c.py);
        ExpectNear(e.NearestPointOnEllipse(DPoint(c.px, c.py)), DPoint(c.nx, c.ny), 1e-4);
    }
}

// Everywhere around ellipses of several shapes, turns and places, the answer
// lies on the outline and is as near as the nearest of many outline samples.
TEST(LxEllipse, NearestPointAgreesWithSampling)
{
    const DEllipse ellipses[] = {
        DEllipse(0, 0, 10, 5, 0),        DEllipse(3, -2, 10, 5, 0.7),
        DEllipse(-50, 40, 2, 30, 2.5),   DEllipse(0, 0, 100, 99, -1.2),
        DEllipse(1, 1, 0.5, 3, kPi / 2), DEllipse(0, 0, -10, 5, 0.3),
    };
    for (const DEllipse& e : ellipses) {
        for (double r : {0.2, 0.9, 1.1, 3.0}) {
            for (int k = 0; k < 16; ++k) {
                double t = 2 * kPi * k / 16 + 0.1;
                DPoint p = OutlinePoint(e, t);
                p = DPoint(e.x + (p.x - e.x) * r, e.y + (p.y - e.y) * r);
                SCOPED_TRACE(testing::Message()
                             << "ellipse " << DPoint(e.x, e.y) << " a " << e.a << " b " << e.b
                             << " angle " << e.angle << ", point " << p);
                DPoint n = e.NearestPointOnEllipse(p);
                DPoint own = OwnFrame(e, n);
                EXPECT_NEAR(std::hypot(own.x / e.a, own.y / e.b), 1, 1e-4);
                EXPECT_NEAR(n.Distance(p), SampledDistance(e, p), 1e-3);
            }
        }
    }
}

TEST(LxEllipse, NearestPointOfDegenerateEllipses)
{
    // No a: the segment along the ellipse's own y axis.
    DEllipse ya(0, 0, 0, 5, 0);
    ExpectNear(ya.NearestPointOnEllipse(DPoint(3, 2)), DPoint(0, 2), 1e-12);
    ExpectNear(ya.NearestPointOnEllipse(DPoint(3, -9)), DPoint(0, -5), 1e-12);
    // No b, turned by 90 degrees: the segment lies along y.
    DEllipse xb(1, 1, 4, 0, kPi / 2);
    ExpectNear(xb.NearestPointOnEllipse(DPoint(7, 3)), DPoint(1, 3), 1e-12);
    ExpectNear(xb.NearestPointOnEllipse(DPoint(7, 30)), DPoint(1, 5), 1e-12);

    // Too small to search: the outline point of the first test.
    DEllipse tiny(0, 0, 0.00004, 0.00002, 0);
    DPoint n = tiny.NearestPointOnEllipse(DPoint(1, 1));
    EXPECT_NEAR(std::hypot(n.x / tiny.a, n.y / tiny.b), 1, 1e-12);
    EXPECT_GT(n.x, 0);
    EXPECT_GT(n.y, 0);
}

TEST(LxEllipse, NearestPointOfHugeEllipsesEnds)
{
    // So large that no double lies within the search precision of the
    // answer: the search must still stop.
    DEllipse huge(0, 0, 1e15, 1e14, 0);
    DPoint n = huge.NearestPointOnEllipse(DPoint(3e15, 1e15));
    EXPECT_NEAR(std::hypot(n.x / huge.a, n.y / huge.b), 1, 1e-9);
}

TEST(LxEllipse, NearestPointOfBadValuesDoesNotHang)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    DEllipse(0, 0, nan, 5, 0).NearestPointOnEllipse(DPoint(1, 1));
    DEllipse(0, 0, inf, 5, 0).NearestPointOnEllipse(DPoint(1, 1));
    DEllipse(0, 0, 10, 5, 0).NearestPointOnEllipse(DPoint(nan, 1));
    IPoint i = IEllipse(0, 0, 10, 5, 0).NearestPointOnEllipse(IPoint(INT_MAX, INT_MIN));
    EXPECT_TRUE(i.x >= 0 && i.x <= 10 && i.y >= -5 && i.y <= 0) << i;
}

TEST(LxEllipse, IntegerNearestPointIsTheTruncatedDoubleAnswer)
{
    const IEllipse ellipses[] = {IEllipse(0, 0, 10, 5, 0), IEllipse(-7, 4, 9, 20, 1),
                                 IEllipse(3, 3, 6, 6, 2)};
    const IPoint points[] = {IPoint(20, 3), IPoint(-15, -15), IPoint(1, 1), IPoint(0, 40)};
    for (const IEllipse& e : ellipses)
        for (const IPoint& p : points) {
            DEllipse d(e.x, e.y, e.a, e.b, e.angle);
            EXPECT_EQ(e.NearestPointOnEllipse(p), IPoint(d.NearestPointOnEllipse(DPoint(p)))) << p;
        }
}

// ---- Inside tests

TEST(LxEllipse, InsideTests)
{
    struct Case {
        double x, y;
        bool inside, inBox;
    };
    const Case cases[] = {
        {0, 0, true, true},       {10, 0, true, true},     {-10, 0, true, true},
        {0, 5, true, true},       {10, 5, false, true},    {-10, -5, false, true},
        {10.01, 0, false, false}, {0, 5.01, false, false}, {6, 4.1, false, true},
        {6, 3.9, true, true},
    };
    DEllipse e(0, 0, 10, 5, 0);
    // The same ellipse moved and turned by 90 degrees: its a runs along y.
    DEllipse turned(100, 50, 10, 5, kPi / 2);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
        EXPECT_EQ(e.IsInside(DPoint(c.x, c.y), false), c.inside);
        EXPECT_EQ(e.IsInside(DPoint(c.x, c.y), true), c.inBox);
        // Exact boundary points may round to either side after turning.
        if (std::fabs(std::hypot(c.x / 10, c.y / 5) - 1) > 1e-9 && std::fabs(c.x) != 10 &&
            std::fabs(c.y) != 5) {
            DPoint q(100 - c.y, 50 + c.x);
            EXPECT_EQ(turned.IsInside(q, false), c.inside);
            EXPECT_EQ(turned.IsInside(q, true), c.inBox);
        }
    }
}

TEST(LxEllipse, InsideWithTolerance)
{
    DEllipse e(0, 0, 10, 5, 0);
    EXPECT_FALSE(e.IsInside(DPoint(11, 0), false));
    EXPECT_TRUE(e.IsInside(DPoint(11, 0), 1.0, false));
    EXPECT_TRUE(e.IsInside(DPoint(0, 6), 1.0, true));
    // A negative tolerance narrows, down to nothing but the centre.
    EXPECT_FALSE(e.IsInside(DPoint(6, 0), -5.0, false));
    EXPECT_TRUE(e.IsInside(DPoint(4, 0), -5.0, false));
    EXPECT_TRUE(e.IsInside(DPoint(0, 0), -20.0, false));
    EXPECT_FALSE(e.IsInside(DPoint(0.001, 0), -20.0, true));
    // The tolerance takes the semi-axes by magnitude.
    DEllipse negative(0, 0, -10, -5, 0);
    EXPECT_TRUE(negative.IsInside(DPoint(10.5, 0), 1.0, false));
    EXPECT_TRUE(negative.IsInside(DPoint(-10, 0), false));
}

TEST(LxEllipse, InsideADegenerateEllipseIsOnItsSegment)
{
    DEllipse segment(0, 0, 0, 5, 0);
    EXPECT_TRUE(segment.IsInside(DPoint(0, 0), false));
    EXPECT_TRUE(segment.IsInside(DPoint(0, -5), false));
    EXPECT_TRUE(segment.IsInside(DPoint(0, 3), true));
    EXPECT_FALSE(segment.IsInside(DPoint(0.1, 3), false));
    EXPECT_FALSE(segment.IsInside(DPoint(0, 6), true));
    DEllipse point(4, 4, 0, 0, 0);
    EXPECT_TRUE(point.IsInside(DPoint(4, 4), false));
    EXPECT_FALSE(point.IsInside(DPoint(4, 5), true));
}

TEST(LxEllipse, IntegerInsideTruncatesTheOffsetOnly)
{
    IEllipse e(0, 0, 10, 5, 0);
    EXPECT_TRUE(e.IsInside(IPoint(10, 0), false));
    EXPECT_TRUE(e.IsInside(IPoint(6, 5), true));
    EXPECT_FALSE(e.IsInside(IPoint(6, 5), false));
    EXPECT_FALSE(e.IsInside(IPoint(10, 5), false));
    EXPECT_FALSE(e.IsInside(IPoint(15, 0), false));
    EXPECT_FALSE(e.IsInside(IPoint(15, 0), true));
    // Turned by 1 radian, (7, 2) lies at (5.47, -4.81) in the ellipse's
    // frame, just outside; truncated to (5, -4) it is inside.
    IEllipse turned(0, 0, 10, 5, 1);
    EXPECT_TRUE(turned.IsInside(IPoint(7, 2), false));
    EXPECT_FALSE(turned.IsInside(IPoint(-8, 6), false));
    // (6, 10) lies at (11.65, 0.35): (11, 0), inside only with tolerance.
    EXPECT_FALSE(turned.IsInside(IPoint(6, 10), false));
    EXPECT_TRUE(turned.IsInside(IPoint(6, 10), 1, false));
}

// ---- Scale and Expand

TEST(LxEllipse, ScaleAndExpand)
{
    DEllipse d(1, 2, 4, 20, 0.5);
    d.Expand(-10);
    EXPECT_EQ(d.a, 0);
    EXPECT_EQ(d.b, 10);
    d.Scale(1.5);
    EXPECT_EQ(d.b, 15);
    EXPECT_EQ(DPoint(d), DPoint(1, 2));
    EXPECT_EQ(d.angle, 0.5);

    IEllipse i(0, 0, 5, 3, 0);
    i.Scale(1.5);
    EXPECT_EQ(i.a, 7);
    EXPECT_EQ(i.b, 4);
    i.Expand(-5);
    EXPECT_EQ(i.a, 2);
    EXPECT_EQ(i.b, 0);

    IEllipse none;
    EXPECT_EQ(IPoint(none), IPoint(0, 0));
    EXPECT_EQ(none.a, 0);
    EXPECT_EQ(none.b, 0);
    EXPECT_EQ(none.angle, 0);
}

} // namespace
