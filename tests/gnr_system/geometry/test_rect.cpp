#include <gtest/gtest.h>

#include <climits>
#include <limits>

#include "geometry_test_support.h"
#include "gnr_system/geometry/LxGeometry.h"

namespace
{

// Most rules hold alike for both instantiations: these tests run over int
// and double with whole-number coordinates.
template <class T> class LxRectBoth : public testing::Test
{
  protected:
    using Rect = CLxRectBase<T>;
    using Point = CLxPointBase<T>;
    static Rect R(int l, int t, int r, int b) { return Rect(T(l), T(t), T(r), T(b)); }
    static Point P(int x, int y) { return Point(T(x), T(y)); }
};
using Coordinates = testing::Types<int, double>;
TYPED_TEST_SUITE(LxRectBoth, Coordinates);

TYPED_TEST(LxRectBoth, HalfOpenAndClosedContainment)
{
    struct Case {
        int l, t, r, b, x, y;
        bool halfOpen, closed;
    };
    const Case cases[] = {
        {0, 0, 10, 10, 0, 0, true, true},
        {0, 0, 10, 10, 9, 9, true, true},
        {0, 0, 10, 10, 10, 10, false, true},
        {0, 0, 10, 10, 10, 5, false, true},
        {0, 0, 10, 10, 5, 10, false, true},
        {0, 0, 10, 10, -1, 5, false, false},
        {0, 0, 10, 10, 5, 11, false, false},
        // An empty rectangle holds only its own edge, and only when closed.
        {5, 5, 5, 5, 5, 5, false, true},
        {0, 5, 10, 5, 3, 5, false, true},
        // An inverted rectangle holds nothing.
        {10, 10, 0, 0, 5, 5, false, false},
        {10, 10, 0, 0, 10, 10, false, false},
    };
    for (const Case& c : cases) {
        auto rect = this->R(c.l, c.t, c.r, c.b);
        auto p = this->P(c.x, c.y);
        SCOPED_TRACE(testing::Message() << rect << " " << p);
        EXPECT_EQ(rect.IsContaining(p), c.halfOpen);
        EXPECT_EQ(rect.IsContaining(p.x, p.y), c.halfOpen);
        EXPECT_EQ(rect.IsContainingEnclosed(p), c.closed);
        EXPECT_EQ(rect.IsContainingEnclosed(p.x, p.y), c.closed);
        EXPECT_EQ(rect.PtInRect(p), c.closed);
    }
    EXPECT_TRUE(TestFixture::Rect::IsInRange(0, 0, 1));
    EXPECT_FALSE(TestFixture::Rect::IsInRange(1, 0, 1));
    EXPECT_TRUE(TestFixture::Rect::IsInRangeEnclosed(1, 0, 1));
    EXPECT_FALSE(TestFixture::Rect::IsInRangeEnclosed(2, 0, 1));
}

TYPED_TEST(LxRectBoth, ContainingARectangleIsClosed)
{
    auto outer = this->R(0, 0, 10, 10);
    EXPECT_TRUE(outer.IsContaining(outer));
    EXPECT_TRUE(outer.IsContaining(this->R(2, 2, 10, 10)));
    EXPECT_FALSE(outer.IsContaining(this->R(2, 2, 11, 10)));
    EXPECT_FALSE(outer.IsContaining(this->R(-1, 2, 5, 5)));
    // The inner rectangle is not checked: an inverted one inside counts.
    EXPECT_TRUE(outer.IsContaining(this->R(8, 8, 2, 2)));
}

TYPED_TEST(LxRectBoth, IntersectingAndIntersection)
{
    struct Case {
        int a[4], b[4];
        bool intersecting;
        int intersection[4]; // the zero rectangle when it has no area
    };
    const Case cases[] = {
        {{0, 0, 10, 10}, {5, 5, 15, 15}, true, {5, 5, 10, 10}},
        {{0, 0, 10, 10}, {2, 2, 4, 4}, true, {2, 2, 4, 4}},
        // Touching edges intersect, but have no common area.
        {{0, 0, 10, 10}, {10, 0, 20, 10}, true, {0, 0, 0, 0}},
        {{0, 0, 10, 10}, {10, 10, 20, 20}, true, {0, 0, 0, 0}},
        {{0, 0, 10, 10}, {11, 0, 20, 10}, false, {0, 0, 0, 0}},
        {{0, 0, 10, 10}, {0, -5, 10, -1}, false, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        auto a = this->R(c.a[0], c.a[1], c.a[2], c.a[3]);
        auto b = this->R(c.b[0], c.b[1], c.b[2], c.b[3]);
        auto expected =
            this->R(c.intersection[0], c.intersection[1], c.intersection[2], c.intersection[3]);
        SCOPED_TRACE(testing::Message() << a << " & " << b);
        EXPECT_EQ(a.IsIntersecting(b), c.intersecting);
        EXPECT_EQ(b.IsIntersecting(a), c.intersecting);
        auto result = a;
        EXPECT_EQ(result.Intersect(b), !expected.IsZero());
        EXPECT_EQ(result, expected);
    }
}

TYPED_TEST(LxRectBoth, SetNormalisesOnlyFromFourCoordinates)
{
    typename TestFixture::Rect r;
    r.Set(TypeParam(10), TypeParam(10), TypeParam(0), TypeParam(0));
    EXPECT_EQ(r, this->R(0, 0, 10, 10));
    r.Set(TypeParam(0), TypeParam(10), TypeParam(10), TypeParam(0));
    EXPECT_EQ(r, this->R(0, 0, 10, 10));

    r.Set(this->P(10, 10), this->P(0, 0));
    EXPECT_EQ(r, this->R(10, 10, 0, 0));
    // The constructors take corners as given too.
    EXPECT_EQ(typename TestFixture::Rect(this->P(10, 10), this->P(0, 0)), this->R(10, 10, 0, 0));

    r.SetRect(this->P(10, 10), this->P(0, 0));
    EXPECT_EQ(r, this->R(0, 0, 10, 10));

    r.Set(this->P(3, 4));
    EXPECT_EQ(r, this->R(3, 4, 3, 4));
    EXPECT_TRUE(r.IsEmpty());

    auto inverted = this->R(10, 0, 0, 10);
    inverted.NormalizeRect();
    EXPECT_EQ(inverted, this->R(0, 0, 10, 10));
}

TYPED_TEST(LxRectBoth, EmptyAndValid)
{
    struct Case {
        int l, t, r, b;
        bool empty, valid, zero;
    };
    const Case cases[] = {
        {0, 0, 10, 10, false, true, false},
        {0, 0, 0, 0, true, false, true},
        {5, 5, 5, 9, true, false, false},
        {5, 5, 9, 5, true, false, false},
        // Inverted: neither empty nor valid.
        {10, 0, 0, 10, false, false, false},
        {0, 10, 10, 0, false, false, false},
    };
    for (const Case& c : cases) {
        auto rect = this->R(c.l, c.t, c.r, c.b);
        SCOPED_TRACE(testing::Message() << rect);
        EXPECT_EQ(rect.IsEmpty(), c.empty);
        EXPECT_EQ(rect.IsValid(), c.valid);
        EXPECT_EQ(rect.IsZero(), c.zero);
        EXPECT_EQ(rect.IsRectNull(), c.zero);
    }
}

TYPED_TEST(LxRectBoth, MeasuresOfAnInvertedRectangleKeepTheirSigns)
{
    auto r = this->R(10, 10, 0, 5);
    EXPECT_EQ(r.Width(), TypeParam(-10));
    EXPECT_EQ(r.Height(), TypeParam(-5));
    EXPECT_EQ(r.Area(), TypeParam(50));
    EXPECT_EQ(r.Size().cx, TypeParam(-10));
    EXPECT_EQ(r.Size().cy, TypeParam(-5));
    EXPECT_EQ(this->R(0, 0, 10, 0).Aspect(), 1.0);
}

TYPED_TEST(LxRectBoth, CornersAndStoredCornerReferences)
{
    auto r = this->R(1, 2, 3, 4);
    EXPECT_EQ(r.Origin(), this->P(1, 2));
    EXPECT_EQ(r.TopRight(), this->P(3, 2));
    EXPECT_EQ(r.BottomLeft(), this->P(1, 4));
    EXPECT_EQ(r.TopLeft(), this->P(1, 2));
    EXPECT_EQ(r.BottomRight(), this->P(3, 4));

    r.TopLeft() = this->P(-5, -6);
    r.BottomRight().x = TypeParam(7);
    EXPECT_EQ(r, this->R(-5, -6, 7, 4));

    r.SetPosition(this->P(100, 200));
    EXPECT_EQ(r, this->R(100, 200, 112, 210));
}

TYPED_TEST(LxRectBoth, MovingAndGrowing)
{
    using Size = CLxSizeBase<TypeParam>;
    auto base = this->R(0, 0, 10, 20);
    auto r = base;
    r.Offset(TypeParam(1), TypeParam(2));
    EXPECT_EQ(r, this->R(1, 2, 11, 22));
    EXPECT_EQ(base + this->P(1, 2), r);
    EXPECT_EQ(r - this->P(1, 2), base);
    r.OffsetRect(this->P(-1, -2));
    EXPECT_EQ(r, base);

    // A size moves only the right and bottom edges.
    EXPECT_EQ(base + Size(TypeParam(3), TypeParam(4)), this->R(0, 0, 13, 24));
    EXPECT_EQ(base - Size(TypeParam(3), TypeParam(4)), this->R(0, 0, 7, 16));

    EXPECT_EQ(base * TypeParam(-2), this->R(0, 0, -20, -40));

    r = base;
    r.Expand(TypeParam(2));
    EXPECT_EQ(r, this->R(-2, -2, 12, 22));
    r = base;
    r.InflateRect(TypeParam(1), TypeParam(3));
    EXPECT_EQ(r, this->R(-1, -3, 11, 23));
    r.DeflateRect(Size(TypeParam(1), TypeParam(3)));
    EXPECT_EQ(r, base);
    r.InflateRect(this->R(1, 2, 3, 4));
    EXPECT_EQ(r, this->R(-1, -2, 13, 24));
    r.DeflateRect(this->R(1, 2, 3, 4));
    EXPECT_EQ(r, base);
    // Deflating past the middle inverts the rectangle; nothing normalises it.
    r.DeflateRect(TypeParam(6), TypeParam(0));
    EXPECT_EQ(r, this->R(6, 0, 4, 20));
}

TYPED_TEST(LxRectBoth, ClipAndBoundingDoNotNormalise)
{
    auto r = this->R(0, 0, 10, 10);
    r.Clip(this->R(5, -5, 20, 3));
    EXPECT_EQ(r, this->R(5, 0, 10, 3));
    r.Clip(TypeParam(12), TypeParam(0), TypeParam(20), TypeParam(20));
    EXPECT_EQ(r, this->R(12, 0, 10, 3)); // invalid, kept

    r = this->R(0, 0, 10, 10);
    r.BoundingRect(this->R(20, 20, 15, 15));
    EXPECT_EQ(r, this->R(0, 0, 15, 15));
}

TYPED_TEST(LxRectBoth, IntersectAndUnionOfNormalisedCopies)
{
    auto a = this->R(10, 10, 0, 0); // inverted
    auto b = this->R(5, 5, 15, 15);
    auto r = this->R(1, 1, 2, 2);
    EXPECT_TRUE(r.IntersectRect(&a, &b));
    EXPECT_EQ(r, this->R(5, 5, 10, 10));
    EXPECT_TRUE(r.UnionRect(&a, &b));
    EXPECT_EQ(r, this->R(0, 0, 15, 15));

    // Without common area the inverted result is kept and false returned.
    auto far = this->R(20, 20, 30, 30);
    EXPECT_FALSE(r.IntersectRect(&a, &far));
    EXPECT_EQ(r, this->R(20, 20, 10, 10));

    // A missing argument leaves the rectangle alone.
    r = this->R(1, 1, 2, 2);
    EXPECT_FALSE(r.IntersectRect(nullptr, &b));
    EXPECT_FALSE(r.UnionRect(&a, nullptr));
    EXPECT_EQ(r, this->R(1, 1, 2, 2));

    EXPECT_EQ(a & b, this->R(5, 5, 10, 10));
    EXPECT_EQ(a & far, this->R(20, 20, 10, 10)); // no test for emptiness
    EXPECT_EQ(a | far, this->R(0, 0, 30, 30));
    a |= b;
    EXPECT_EQ(a, this->R(0, 0, 15, 15));
}

TYPED_TEST(LxRectBoth, CopyRectFromNullChangesNothing)
{
    auto r = this->R(1, 2, 3, 4);
    r.CopyRect(static_cast<const CLxRectBase<int>*>(nullptr));
    r.CopyRect(static_cast<const CLxRectBase<double>*>(nullptr));
    EXPECT_EQ(r, this->R(1, 2, 3, 4));
}

// ---- Where int and double differ

TEST(LxRect, IntegerCentreAndAspectTruncate)
{
    EXPECT_EQ(CLxRectBase<int>(0, 0, 3, 3).CenterPoint(), CLxPointBase<int>(1, 1));
    EXPECT_EQ(CLxRectBase<int>(-3, -3, 0, 0).CenterPoint(), CLxPointBase<int>(-1, -1));
    EXPECT_EQ(CLxRectBase<double>(0, 0, 3, 3).CenterPoint(), CLxPointBase<double>(1.5, 1.5));
    // Half the sum, so extreme edges do not overflow.
    EXPECT_EQ(CLxRectBase<int>(INT_MAX - 1, 0, INT_MAX, 0).CenterPoint().x, INT_MAX - 1);

    EXPECT_EQ(CLxRectBase<int>(0, 0, 3, 2).Aspect(), 1.0);
    EXPECT_EQ(CLxRectBase<double>(0, 0, 3, 2).Aspect(), 1.5);
    EXPECT_EQ(CLxRectBase<int>(0, 0, -7, 2).Aspect(), -3.0);
}

TEST(LxRect, IntegerScalingTruncatesTowardZero)
{
    CLxRectBase<int> r(-3, -3, 3, 5);
    r.Scale(1.5);
    EXPECT_EQ(r, CLxRectBase<int>(-4, -4, 4, 7));
    r = CLxRectBase<int>(-3, -3, 3, 5);
    r.ScaleX(0.5);
    EXPECT_EQ(r, CLxRectBase<int>(-1, -3, 1, 5));
    r.ScaleY(-0.5);
    EXPECT_EQ(r, CLxRectBase<int>(-1, 1, 1, -2));

    CLxRectBase<double> d(-3, -3, 3, 5);
    d.Scale(1.5);
    EXPECT_EQ(d, CLxRectBase<double>(-4.5, -4.5, 4.5, 7.5));
}

TEST(LxRect, ConversionBetweenInstantiations)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    CLxRectBase<double> d(-1.7, 2.9, 3.5, -0.5);
    EXPECT_EQ(CLxRectBase<int>(d), CLxRectBase<int>(-1, 2, 3, 0));
    CLxRectBase<int> i;
    i.CopyRect(&d);
    EXPECT_EQ(i, CLxRectBase<int>(-1, 2, 3, 0));
    // Out of range and NaN do not reach undefined conversions.
    CLxRectBase<double> wild(1e10, -1e10, nan, 2147483647.9);
    i.CopyRect(&wild);
    EXPECT_EQ(i, CLxRectBase<int>(INT_MAX, INT_MIN, 0, INT_MAX));

    CLxRectBase<int> exact(INT_MIN, -1, 0, INT_MAX);
    EXPECT_EQ(CLxRectBase<double>(exact), CLxRectBase<double>(INT_MIN, -1, 0, INT_MAX));
    CLxRectBase<double> back;
    back.CopyRect(&exact);
    EXPECT_EQ(back, CLxRectBase<double>(INT_MIN, -1, 0, INT_MAX));
}

TEST(LxRect, DoubleEdgesCompareExactly)
{
    CLxRectBase<double> r(0, 0, 1, 1);
    EXPECT_TRUE(r.IsContaining(0.9999999999999999, 0.0));
    EXPECT_FALSE(r.IsContaining(1.0, 0.0));
    EXPECT_FALSE(r.IsContaining(-1e-300, 0.5));
    EXPECT_NE(r, CLxRectBase<double>(0, 0, 1, 1 + 1e-15));
}

} // namespace
