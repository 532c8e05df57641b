#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

#include "gnr_picture/wavelets/LxWavelet2D.h"

namespace
{

enum class Order { Random, Sorted, Reversed, AllEqual, ManyDuplicates };

std::vector<double> values(uint32_t n, Order order, uint32_t seed)
{
    std::mt19937 gen(seed);
    std::vector<double> v(n);
    switch (order) {
    case Order::Random:
        for (double& x : v)
            x = std::uniform_real_distribution<double>(-1e3, 1e3)(gen);
        break;
    case Order::Sorted:
        std::iota(v.begin(), v.end(), -5.0);
        break;
    case Order::Reversed:
        std::iota(v.rbegin(), v.rend(), -5.0);
        break;
    case Order::AllEqual:
        std::fill(v.begin(), v.end(), 42.5);
        break;
    case Order::ManyDuplicates:
        for (double& x : v)
            x = double(std::uniform_int_distribution<int>(0, 3)(gen));
        break;
    }
    return v;
}

TEST(MedianSearch, AgreesWithNthElementOverSizesOrdersAndRanks)
{
    for (uint32_t n : {1u, 2u, 5u, 6u, 24u, 25u, 26u, 1000u, 100003u})
        for (Order order : {Order::Random, Order::Sorted, Order::Reversed, Order::AllEqual,
                            Order::ManyDuplicates})
            for (uint32_t k : {0u, n / 2, n - 1}) {
                std::vector<double> data = values(n, order, n + k);
                std::vector<double> expect = data;
                std::nth_element(expect.begin(), expect.begin() + k, expect.end());
                std::vector<double> before = data;
                double result = -1.0;
                ASSERT_EQ(CLxMedianSearch::KthSearch(&result, k, data.data(), n), 0);
                EXPECT_EQ(result, expect[k]) << "n " << n << " order " << int(order) << " k " << k;
                // The working array keeps its values, in any order.
                std::sort(data.begin(), data.end());
                std::sort(before.begin(), before.end());
                EXPECT_EQ(data, before);
            }
}

TEST(MedianSearch, ShuffledOneToThousandAtRank500IsThe501st)
{
    std::vector<double> v(1000);
    std::iota(v.begin(), v.end(), 1.0);
    std::shuffle(v.begin(), v.end(), std::mt19937(7));
    double result = 0.0;
    ASSERT_EQ(CLxMedianSearch::KthSearch(&result, 500, v.data(), 1000), 0);
    EXPECT_EQ(result, 501.0);
}

TEST(MedianSearch, EvenCountAtRankHalfGivesTheUpperMiddle)
{
    std::vector<double> v = {4.0, 1.0, 3.0, 2.0};
    double result = 0.0;
    ASSERT_EQ(CLxMedianSearch::KthSearch(&result, 2, v.data(), 4), 0);
    EXPECT_EQ(result, 3.0);
}

TEST(MedianSearch, OneValue)
{
    double v = -2.5;
    double result = 0.0;
    ASSERT_EQ(CLxMedianSearch::KthSearch(&result, 0, &v, 1), 0);
    EXPECT_EQ(result, -2.5);
}

TEST(MedianSearch, BadArgumentsLeaveTheResultUntouched)
{
    std::vector<double> v = {3.0, 1.0, 2.0};
    std::vector<double> withNaN = {3.0, std::nan(""), 2.0};
    struct Case {
        const char* name;
        bool nullResult;
        double* data;
        uint32_t k, n;
    } cases[] = {
        {"null data", false, nullptr, 0, 3}, {"null result", true, v.data(), 0, 3},
        {"n 0", false, v.data(), 0, 0},      {"k = n", false, v.data(), 3, 3},
        {"k > n", false, v.data(), 7, 3},    {"a NaN", false, withNaN.data(), 0, 3},
    };
    for (const Case& c : cases) {
        double result = 123.0;
        EXPECT_EQ(CLxMedianSearch::KthSearch(c.nullResult ? nullptr : &result, c.k, c.data, c.n),
                  -9)
            << c.name;
        EXPECT_EQ(result, 123.0) << c.name;
    }
}

} // namespace
