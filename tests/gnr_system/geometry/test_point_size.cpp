#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "geometry_test_support.h"
#include "gnr_system/geometry/LxGeometry.h"

namespace
{

using IPoint = CLxPointBase<int>;
using DPoint = CLxPointBase<double>;
using ISize = CLxSizeBase<int>;
using DSize = CLxSizeBase<double>;

const double kPi = 3.14159265358979323846;

template <class T> class LxPointBoth : public testing::Test
{
  protected:
    using Point = CLxPointBase<T>;
    using Size = CLxSizeBase<T>;
    static Point P(int x, int y) { return Point(T(x), T(y)); }
    static Size S(int cx, int cy) { return Size(T(cx), T(cy)); }
};
using Coordinates = testing::Types<int, double>;
TYPED_TEST_SUITE(LxPointBoth, Coordinates);

TYPED_TEST(LxPointBoth, ArithmeticPerCoordinate)
{
    auto p = this->P(3, -4);
    EXPECT_EQ(typename TestFixture::Point(), this->P(0, 0));
    EXPECT_EQ(-p, this->P(-3, 4));
    EXPECT_EQ(p + this->P(1, 1), this->P(4, -3));
    EXPECT_EQ(p - this->P(1, 1), this->P(2, -5));
    EXPECT_EQ(p + this->S(10, 20), this->P(13, 16));
    EXPECT_EQ(p - this->S(10, 20), this->P(-7, -24));
    EXPECT_EQ(p * TypeParam(3), this->P(9, -12));

    p += this->P(1, 2);
    EXPECT_EQ(p, this->P(4, -2));
    p -= this->S(4, -2);
    EXPECT_EQ(p, this->P(0, 0));
    p.Offset(TypeParam(5), TypeParam(6));
    p.Offset(this->S(1, 1));
    p.Offset(this->P(-1, -1));
    EXPECT_EQ(p, this->P(5, 6));
    p.Set(this->S(7, 8));
    EXPECT_EQ(p, this->P(7, 8));
    p.Zero();
    EXPECT_EQ(p, this->P(0, 0));
    EXPECT_NE(p, this->P(0, 1));
}

TYPED_TEST(LxPointBoth, SizeArithmetic)
{
    auto s = this->S(5, 5);
    s.Offset(TypeParam(1), TypeParam(2));
    EXPECT_EQ(s, this->S(6, 7));
    s.Offset(this->P(-1, -2));
    EXPECT_EQ(s, this->S(5, 5));
    EXPECT_EQ(s + this->S(1, 2), this->S(6, 7));
    EXPECT_EQ(s - this->S(1, 2), this->S(4, 3));
    EXPECT_EQ(-s, this->S(-5, -5));
    EXPECT_EQ(s * TypeParam(-2), this->S(-10, -10));
    // A size and a point give a point.
    EXPECT_EQ(s - this->P(1, 2), this->P(4, 3));
    EXPECT_EQ(s + this->P(1, 2), this->P(6, 7));
    s += this->S(1, 1);
    s -= this->S(0, 2);
    EXPECT_EQ(s, this->S(6, 4));
}

TYPED_TEST(LxPointBoth, ScaleAboutACentre)
{
    auto p = this->P(5, 7);
    p.Scale(this->P(1, 1), TypeParam(3));
    EXPECT_EQ(p, this->P(13, 19));
    p.Scale(this->P(1, 1), TypeParam(-1), TypeParam(0));
    EXPECT_EQ(p, this->P(-11, 1));
}

TYPED_TEST(LxPointBoth, ClipIntoTheClosedRectangle)
{
    struct Case {
        int x, y, cx, cy;
    };
    const Case cases[] = {
        {15, -3, 10, 0}, {5, 5, 5, 5}, {10, 10, 10, 10}, {-1, 11, 0, 10}, {-100, -100, 0, 0},
    };
    CLxRectBase<TypeParam> rect(0, 0, 10, 10);
    for (const Case& c : cases) {
        auto p = this->P(c.x, c.y);
        p.Clip(rect);
        EXPECT_EQ(p, this->P(c.cx, c.cy)) << c.x << ", " << c.y;
    }
}

TYPED_TEST(LxPointBoth, LengthDistanceAngle)
{
    EXPECT_EQ(this->P(3, 4).Size(), TypeParam(5));
    EXPECT_EQ(this->P(-3, -4).Size(), TypeParam(5));
    EXPECT_EQ(this->P(1, 1).Distance(this->P(4, 5)), TypeParam(5));
    EXPECT_EQ(this->P(1, 1).Distance(TypeParam(-2), TypeParam(-3)), TypeParam(5));
    EXPECT_DOUBLE_EQ(this->P(0, 1).Angle(), kPi / 2);
    EXPECT_DOUBLE_EQ(this->P(-1, 0).Angle(), kPi);
    EXPECT_EQ(this->P(0, 0).Angle(), 0.0);
}

// ---- Where int and double differ

TEST(LxPoint, ConversionTruncatesTowardZero)
{
    EXPECT_EQ(IPoint(DPoint(-1.7, 2.9)), IPoint(-1, 2));
    EXPECT_EQ(IPoint(DPoint(-0.5, 0.5)), IPoint(0, 0));
    EXPECT_EQ(DPoint(IPoint(INT_MIN, INT_MAX)), DPoint(INT_MIN, INT_MAX));
    EXPECT_EQ(ISize(DSize(2.99, -2.99)), ISize(2, -2));
    // Beyond the int range: saturated; NaN: 0.
    EXPECT_EQ(IPoint(DPoint(1e300, -1e300)), IPoint(INT_MAX, INT_MIN));
    EXPECT_EQ(IPoint(DPoint(std::nan(""), -2147483648.9)), IPoint(0, INT_MIN));
}

TEST(LxPoint, IntegerLengthIsTheFloorOfTheExactRoot)
{
    struct Case {
        int x, y;
        int length;
    };
    const Case cases[] = {
        {1, 1, 1},
        {2, 2, 2},
        {46341, 46341, 65536}, // squares beyond 32 bits
        {INT_MAX, 0, INT_MAX},
        {INT_MIN, 0, INT_MAX}, // 2^31 saturates
        {INT_MAX, INT_MAX, INT_MAX},
        {2147418113, 65535, 2147418113}, // the floor, where a double root rounds up
    };
    for (const Case& c : cases)
        EXPECT_EQ(IPoint(c.x, c.y).Size(), c.length) << c.x << ", " << c.y;
    // Differences of the full int range do not overflow.
    EXPECT_EQ(IPoint(INT_MIN, 0).Distance(INT_MAX, 0), INT_MAX);
    EXPECT_EQ(IPoint(-1000000, 0).Distance(1000000, 0), 2000000);
    EXPECT_DOUBLE_EQ(DPoint(1, 1).Size(), std::sqrt(2.0));
    EXPECT_DOUBLE_EQ(DPoint(1e200, 1e200).Size(), std::sqrt(2.0) * 1e200);
}

TEST(LxPoint, IntegerDivision)
{
    EXPECT_EQ(IPoint(7, -7) / 2, IPoint(3, -3));
    EXPECT_EQ(ISize(7, -7) / -2, ISize(-3, 3));
    EXPECT_EQ(DPoint(7, -7) / 2.0, DPoint(3.5, -3.5));
    // By 0: reported, the coordinates stay.
    EXPECT_EQ(IPoint(7, -7) / 0, IPoint(7, -7));
    EXPECT_EQ(ISize(7, -7) / 0, ISize(7, -7));
    EXPECT_EQ(IPoint(INT_MIN, 4) / -1, IPoint(INT_MAX, -4));
    DPoint inf = DPoint(1, -1) / 0.0;
    EXPECT_TRUE(std::isinf(inf.x) && std::isinf(inf.y));
}

TEST(LxPoint, ScalingByDoubleFactors)
{
    IPoint p(3, -3);
    p.Scale(1.5);
    EXPECT_EQ(p, IPoint(4, -4));
    p.Scale(0.5, -0.3);
    EXPECT_EQ(p, IPoint(2, 1));
    ISize s(5, 5);
    s.Scale(0.99);
    EXPECT_EQ(s, ISize(4, 4));
    DPoint d(3, -3);
    d.Scale(1.5, 2);
    EXPECT_EQ(d, DPoint(4.5, -6));
}

TEST(LxPoint, Rotation)
{
    DPoint d(1, 0);
    d.Rotate(DPoint(0, 0), kPi / 2);
    EXPECT_NEAR(d.x, 0, 1e-15);
    EXPECT_NEAR(d.y, 1, 1e-15);
    d = DPoint(3, 2);
    d.Rotate(2, 2, kPi);
    EXPECT_NEAR(d.x, 1, 1e-15);
    EXPECT_NEAR(d.y, 2, 1e-15);

    // Integer angles are whole radians, and the turned offset is truncated
    // before the centre is added: cos 3 = -0.98999, sin 3 = 0.14112.
    IPoint i(30, 0);
    i.Rotate(20, 0, 3);
    EXPECT_EQ(i, IPoint(11, 1)); // -9.8999 -> -9, then + 20
    i = IPoint(10, 0);
    i.Rotate(IPoint(0, 0), 0);
    EXPECT_EQ(i, IPoint(10, 0));
}

} // namespace
