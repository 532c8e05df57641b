// Spans of time: CLxTimeSpan, an exact number of milliseconds, and
// CLxDateSpan, a calendar span of years, months, weeks and days whose length
// depends on the date it is added to (see CLxDateTime::Add).
//
// Both are plain values. Their arithmetic saturates at the limits of the
// stored type instead of wrapping around, so a huge factor gives the largest
// span rather than a span of the opposite sign.
#pragma once

#include <climits>
#include <cstdint>
#include <limits>

#include "w32_system/LxExport.h"

namespace lx_time
{
// Sums and products that stop at the type's limits.
template <class T> constexpr T SaturatedAdd(T a, T b)
{
    T sum = 0;
    if (!__builtin_add_overflow(a, b, &sum))
        return sum;
    return b > 0 ? std::numeric_limits<T>::max() : std::numeric_limits<T>::min();
}
template <class T> constexpr T SaturatedMul(T a, T b)
{
    T product = 0;
    if (!__builtin_mul_overflow(a, b, &product))
        return product;
    return (a < 0) != (b < 0) ? std::numeric_limits<T>::min() : std::numeric_limits<T>::max();
}
// The negation, with the smallest value going to the largest.
template <class T> constexpr T SaturatedNeg(T a)
{
    return a == std::numeric_limits<T>::min() ? std::numeric_limits<T>::max() : T(-a);
}
// A 64-bit count as int, stopping at the int limits.
constexpr int SaturatedInt(int64_t v)
{
    return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : int(v);
}
} // namespace lx_time

// An exact span in milliseconds; may be negative.
class CLxTimeSpan
{
  public:
    // A null span.
    constexpr CLxTimeSpan() : m_ms(0) {}
    // ((hours * 60 + minutes) * 60 + seconds) * 1000 + milliseconds.
    constexpr CLxTimeSpan(int64_t hours, int64_t minutes, int64_t seconds = 0,
                          int64_t milliseconds = 0)
        : m_ms(Sum(hours, minutes, seconds, milliseconds))
    {
    }

    // Spans of n units.
    static constexpr CLxTimeSpan Milliseconds(int64_t n) { return FromMs(n); }
    static constexpr CLxTimeSpan Seconds(int64_t n) { return Units(n, 1000); }
    static constexpr CLxTimeSpan Minutes(int64_t n) { return Units(n, 60000); }
    static constexpr CLxTimeSpan Hours(int64_t n) { return Units(n, 3600000); }
    static constexpr CLxTimeSpan Days(int64_t n) { return Units(n, 86400000); }
    static constexpr CLxTimeSpan Weeks(int64_t n) { return Units(n, 604800000); }
    // One unit.
    static constexpr CLxTimeSpan Millisecond() { return FromMs(1); }
    static constexpr CLxTimeSpan Second() { return FromMs(1000); }
    static constexpr CLxTimeSpan Minute() { return FromMs(60000); }
    static constexpr CLxTimeSpan Hour() { return FromMs(3600000); }
    static constexpr CLxTimeSpan Day() { return FromMs(86400000); }
    static constexpr CLxTimeSpan Week() { return FromMs(604800000); }

    // The span in whole units, each divided toward zero from the one before
    // (minutes from seconds, hours from minutes, ...).
    constexpr int64_t GetValue() const { return m_ms; }
    constexpr int64_t GetMilliseconds() const { return m_ms; }
    constexpr int64_t GetSeconds() const { return m_ms / 1000; }
    constexpr int GetMinutes() const { return lx_time::SaturatedInt(GetSeconds() / 60); }
    constexpr int GetHours() const { return GetMinutes() / 60; }
    constexpr int GetDays() const { return GetHours() / 24; }
    constexpr int GetWeeks() const { return GetDays() / 7; }

    // Arithmetic: the copying forms return a new span, the assigning forms
    // change this one.
    constexpr CLxTimeSpan Add(const CLxTimeSpan& ts) const
    {
        return FromMs(lx_time::SaturatedAdd(m_ms, ts.m_ms));
    }
    constexpr CLxTimeSpan Subtract(const CLxTimeSpan& ts) const { return Add(ts.Negate()); }
    constexpr CLxTimeSpan Multiply(int n) const
    {
        return FromMs(lx_time::SaturatedMul(m_ms, int64_t(n)));
    }
    CLxTimeSpan& operator+=(const CLxTimeSpan& ts) { return *this = Add(ts); }
    CLxTimeSpan& operator-=(const CLxTimeSpan& ts) { return *this = Subtract(ts); }
    CLxTimeSpan& operator*=(int n) { return *this = Multiply(n); }
    // The negated copy.
    constexpr CLxTimeSpan Negate() const { return FromMs(lx_time::SaturatedNeg(m_ms)); }
    // Negates in place.
    CLxTimeSpan& Neg() { return *this = Negate(); }
    CLxTimeSpan& operator-() { return Neg(); }
    constexpr CLxTimeSpan Abs() const { return m_ms < 0 ? Negate() : *this; }

    constexpr bool IsNull() const { return m_ms == 0; }
    // True when the span is not null: the negation of IsNull.
    constexpr bool operator!() const { return m_ms != 0; }
    constexpr bool IsPositive() const { return m_ms > 0; }
    constexpr bool IsNegative() const { return m_ms < 0; }
    // |this| <= |ts|, and |this| > |ts|.
    constexpr bool IsShorterThan(const CLxTimeSpan& ts) const
    {
        return Abs().m_ms <= ts.Abs().m_ms;
    }
    constexpr bool IsLongerThan(const CLxTimeSpan& ts) const { return !IsShorterThan(ts); }

    constexpr bool operator==(const CLxTimeSpan& ts) const { return m_ms == ts.m_ms; }
    constexpr bool operator!=(const CLxTimeSpan& ts) const { return m_ms != ts.m_ms; }

  private:
    static constexpr CLxTimeSpan FromMs(int64_t ms)
    {
        CLxTimeSpan ts;
        ts.m_ms = ms;
        return ts;
    }
    static constexpr CLxTimeSpan Units(int64_t n, int64_t ms)
    {
        return FromMs(lx_time::SaturatedMul(n, ms));
    }
    static constexpr int64_t Sum(int64_t hours, int64_t minutes, int64_t seconds,
                                 int64_t milliseconds)
    {
        using namespace lx_time;
        const int64_t m = SaturatedAdd(SaturatedMul(hours, int64_t(60)), minutes);
        const int64_t s = SaturatedAdd(SaturatedMul(m, int64_t(60)), seconds);
        return SaturatedAdd(SaturatedMul(s, int64_t(1000)), milliseconds);
    }

    int64_t m_ms;
};

constexpr CLxTimeSpan operator+(const CLxTimeSpan& a, const CLxTimeSpan& b)
{
    return a.Add(b);
}
constexpr CLxTimeSpan operator-(const CLxTimeSpan& a, const CLxTimeSpan& b)
{
    return a.Subtract(b);
}
constexpr CLxTimeSpan operator*(const CLxTimeSpan& a, int n)
{
    return a.Multiply(n);
}

// A calendar span. Added to a date, the years and months move the calendar
// month (the day is clamped to the new month's length) and the weeks and days
// then move the day.
class CLxDateSpan
{
  public:
    constexpr CLxDateSpan(int years = 0, int months = 0, int weeks = 0, int days = 0)
        : m_years(years), m_months(months), m_weeks(weeks), m_days(days)
    {
    }

    static constexpr CLxDateSpan Days(int n) { return CLxDateSpan(0, 0, 0, n); }
    static constexpr CLxDateSpan Weeks(int n) { return CLxDateSpan(0, 0, n, 0); }
    static constexpr CLxDateSpan Months(int n) { return CLxDateSpan(0, n, 0, 0); }
    static constexpr CLxDateSpan Years(int n) { return CLxDateSpan(n, 0, 0, 0); }
    static constexpr CLxDateSpan Day() { return Days(1); }
    static constexpr CLxDateSpan Week() { return Weeks(1); }
    static constexpr CLxDateSpan Month() { return Months(1); }
    static constexpr CLxDateSpan Year() { return Years(1); }

    constexpr int GetYears() const { return m_years; }
    constexpr int GetMonths() const { return m_months; }
    constexpr int GetWeeks() const { return m_weeks; }
    constexpr int GetDays() const { return m_days; }
    // Weeks * 7 + days.
    constexpr int GetTotalDays() const
    {
        return lx_time::SaturatedAdd(lx_time::SaturatedMul(m_weeks, 7), m_days);
    }
    CLxDateSpan& SetYears(int n) { return m_years = n, *this; }
    CLxDateSpan& SetMonths(int n) { return m_months = n, *this; }
    CLxDateSpan& SetWeeks(int n) { return m_weeks = n, *this; }
    CLxDateSpan& SetDays(int n) { return m_days = n, *this; }

    // Component-wise arithmetic.
    constexpr CLxDateSpan Add(const CLxDateSpan& o) const
    {
        using lx_time::SaturatedAdd;
        return CLxDateSpan(SaturatedAdd(m_years, o.m_years), SaturatedAdd(m_months, o.m_months),
                           SaturatedAdd(m_weeks, o.m_weeks), SaturatedAdd(m_days, o.m_days));
    }
    constexpr CLxDateSpan Subtract(const CLxDateSpan& o) const { return Add(o.Negate()); }
    constexpr CLxDateSpan Multiply(int n) const
    {
        using lx_time::SaturatedMul;
        return CLxDateSpan(SaturatedMul(m_years, n), SaturatedMul(m_months, n),
                           SaturatedMul(m_weeks, n), SaturatedMul(m_days, n));
    }
    constexpr CLxDateSpan Negate() const
    {
        using lx_time::SaturatedNeg;
        return CLxDateSpan(SaturatedNeg(m_years), SaturatedNeg(m_months), SaturatedNeg(m_weeks),
                           SaturatedNeg(m_days));
    }
    CLxDateSpan& Neg() { return *this = Negate(); }
    CLxDateSpan& operator-() { return Neg(); }
    CLxDateSpan& operator+=(const CLxDateSpan& o) { return *this = Add(o); }
    CLxDateSpan& operator-=(const CLxDateSpan& o) { return *this = Subtract(o); }
    CLxDateSpan& operator*=(int n) { return *this = Multiply(n); }

    constexpr bool operator==(const CLxDateSpan& o) const
    {
        return m_years == o.m_years && m_months == o.m_months && m_weeks == o.m_weeks &&
               m_days == o.m_days;
    }
    constexpr bool operator!=(const CLxDateSpan& o) const { return !(*this == o); }

  private:
    int m_years;
    int m_months;
    int m_weeks;
    int m_days;
};

constexpr CLxDateSpan operator+(const CLxDateSpan& a, const CLxDateSpan& b)
{
    return a.Add(b);
}
constexpr CLxDateSpan operator-(const CLxDateSpan& a, const CLxDateSpan& b)
{
    return a.Subtract(b);
}
constexpr CLxDateSpan operator*(const CLxDateSpan& a, int n)
{
    return a.Multiply(n);
}
