// Time spans and date spans as values.
#include <climits>

#include "date_test_support.h"

namespace
{
TEST(DateTimeTimeSpan, FactoriesAndUnits)
{
    EXPECT_EQ(CLxTimeSpan::Milliseconds(7).GetValue(), 7);
    EXPECT_EQ(CLxTimeSpan::Seconds(2).GetValue(), 2000);
    EXPECT_EQ(CLxTimeSpan::Minutes(2).GetValue(), 120000);
    EXPECT_EQ(CLxTimeSpan::Hours(2).GetValue(), 7200000);
    EXPECT_EQ(CLxTimeSpan::Days(2).GetValue(), 172800000);
    EXPECT_EQ(CLxTimeSpan::Weeks(2).GetValue(), 1209600000);
    EXPECT_EQ(CLxTimeSpan::Week().GetValue(), 604800000);
    EXPECT_EQ(CLxTimeSpan(1, 2, 3, 4).GetValue(), ((1 * 60 + 2) * 60 + 3) * 1000 + 4);
}

TEST(DateTimeTimeSpan, WholeUnitsTruncateTowardZero)
{
    const CLxTimeSpan span(-49, -59, -59, -999); // just short of -50 hours
    EXPECT_EQ(span.GetSeconds(), -179999);
    EXPECT_EQ(span.GetMinutes(), -2999);
    EXPECT_EQ(span.GetHours(), -49);
    EXPECT_EQ(span.GetDays(), -2);
    EXPECT_EQ(span.GetWeeks(), 0);
    EXPECT_EQ(CLxTimeSpan::Weeks(3).GetWeeks(), 3);
}

TEST(DateTimeTimeSpan, ArithmeticAndSigns)
{
    CLxTimeSpan span = CLxTimeSpan::Hours(1);
    span += CLxTimeSpan::Minutes(30);
    EXPECT_EQ(span.GetMinutes(), 90);
    span -= CLxTimeSpan::Hours(2);
    EXPECT_TRUE(span.IsNegative());
    EXPECT_EQ(span.Abs(), CLxTimeSpan::Minutes(30));
    EXPECT_EQ(span.Negate(), CLxTimeSpan::Minutes(30));
    -span;
    EXPECT_TRUE(span.IsPositive());
    span *= 4;
    EXPECT_EQ(span, CLxTimeSpan::Hours(2));
    EXPECT_TRUE(CLxTimeSpan::Hours(1).IsShorterThan(CLxTimeSpan::Minutes(-60)));
    EXPECT_FALSE(CLxTimeSpan::Hours(1).IsLongerThan(CLxTimeSpan::Minutes(-60)));
    EXPECT_TRUE(CLxTimeSpan::Hours(-2).IsLongerThan(CLxTimeSpan::Hours(1)));
}

// operator! answers "is not null", the negation of IsNull.
TEST(DateTimeTimeSpan, NotOperatorIsTheNegationOfIsNull)
{
    EXPECT_TRUE(CLxTimeSpan().IsNull());
    EXPECT_FALSE(!CLxTimeSpan());
    EXPECT_TRUE(!CLxTimeSpan::Second());
}

TEST(DateTimeTimeSpan, OverflowSaturates)
{
    EXPECT_EQ(CLxTimeSpan::Weeks(INT64_MAX).GetValue(), INT64_MAX);
    EXPECT_EQ(CLxTimeSpan::Days(INT64_MIN / 2).GetValue(), INT64_MIN);
    EXPECT_EQ((CLxTimeSpan::Milliseconds(INT64_MAX) + CLxTimeSpan::Second()).GetValue(), INT64_MAX);
    EXPECT_EQ(CLxTimeSpan::Milliseconds(INT64_MIN).Negate().GetValue(), INT64_MAX);
    EXPECT_EQ(CLxTimeSpan::Milliseconds(INT64_MAX).Multiply(-3).GetValue(), INT64_MIN);
    EXPECT_EQ(CLxTimeSpan::Milliseconds(INT64_MAX).GetMinutes(), INT_MAX);
}

TEST(DateTimeDateSpan, ComponentsAndArithmetic)
{
    CLxDateSpan span(1, 2, 3, 4);
    EXPECT_EQ(span.GetTotalDays(), 25);
    span += CLxDateSpan::Month();
    EXPECT_EQ(span, CLxDateSpan(1, 3, 3, 4));
    EXPECT_EQ(span.Negate(), CLxDateSpan(-1, -3, -3, -4));
    EXPECT_EQ(span * 2, CLxDateSpan(2, 6, 6, 8));
    EXPECT_EQ(span - CLxDateSpan::Years(1), CLxDateSpan(0, 3, 3, 4));
    EXPECT_EQ(CLxDateSpan::Weeks(INT_MAX).GetTotalDays(), INT_MAX);
    EXPECT_EQ(CLxDateSpan::Days(INT_MIN).Negate().GetDays(), INT_MAX);
}

} // namespace
