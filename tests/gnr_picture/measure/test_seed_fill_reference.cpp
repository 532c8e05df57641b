// The seed fill's run scanning against a pixel-by-pixel fill written
// straight from the algorithm: same painted pixels, same counter, the same
// spans in the same callback order, on random pictures of a few values
// whose rows are shorter than their lines (the spare samples hold the old
// value and must never be reached).
#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <vector>

#include "gnr_picture/LxPicMeasAPI.h"
#include "grey_picture.h"

namespace
{

using SpanCall = std::tuple<unsigned, unsigned, unsigned>;

// Samples row by row, width a row.
struct Plain {
    uint32_t width, height;
    std::vector<uint32_t> v;
    uint32_t& at(uint32_t x, uint32_t y) { return v[size_t(y) * width + x]; }
};

void ReferenceFill(Plain& p, uint32_t x0, uint32_t y0, uint32_t key, uint32_t newValue, bool eight,
                   bool until, std::vector<SpanCall>& calls)
{
    auto in = [&](uint32_t v) { return until ? v != key : v == key; };
    if (!in(p.at(x0, y0)))
        return;
    struct Span {
        uint32_t first, last, y;
    };
    std::vector<Span> stack{{x0, x0, y0}};
    while (!stack.empty()) {
        const Span s = stack.back();
        stack.pop_back();
        const uint32_t v = p.at(s.first, s.y);
        if (until ? v == newValue : v != key)
            continue;
        uint32_t left = s.first, right = s.last;
        while (left > 0 && in(p.at(left - 1, s.y)))
            --left;
        while (right + 1 < p.width && in(p.at(right + 1, s.y)))
            ++right;
        calls.emplace_back(left, s.y, right - left + 1);
        for (uint32_t i = left; i <= right; ++i)
            p.at(i, s.y) = newValue;
        if (eight) {
            left -= left > 0 ? 1 : 0;
            right += right + 1 < p.width ? 1 : 0;
        }
        for (int dy = -1; dy <= 1; dy += 2) {
            if ((dy < 0 && s.y == 0) || (dy > 0 && s.y + 1 >= p.height))
                continue;
            const uint32_t y = s.y + dy;
            for (uint32_t i = left; i <= right; ++i) {
                if (!in(p.at(i, y)))
                    continue;
                const uint32_t first = i;
                while (i + 1 <= right && in(p.at(i + 1, y)))
                    ++i;
                stack.push_back({first, i, y});
            }
        }
    }
}

void RecordSpan(unsigned x, unsigned y, unsigned length, void* user)
{
    static_cast<std::vector<SpanCall>*>(user)->emplace_back(x, y, length);
}

// A picture of width x height whose lines are spare samples longer, the
// spare ones set to fill.
struct Framed {
    Framed(uint32_t width, uint32_t height, uint32_t spare, uint32_t bits, uint32_t fill)
        : grey(width + spare, height, bits)
    {
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = width; x < width + spare; ++x)
                grey.set(x, y, fill);
        grey.pic.uiWidth = width;
    }
    GreyPicture grey;
};

TEST(SeedFillReference, SameSpansInTheSameOrderOnRandomPictures)
{
    std::mt19937 rng(39);
    for (int trial = 0; trial < 600; ++trial) {
        const uint32_t bits = trial % 2 ? 16 : 8;
        const uint32_t width = 1 + rng() % 70, height = 1 + rng() % 40, spare = rng() % 20;
        const uint32_t values = 2 + rng() % 3;
        const bool eight = rng() % 2, until = trial % 3 == 0;
        // Keys near the top of the range check the cut compares.
        const uint32_t base = rng() % 2 ? 0 : (bits == 8 ? 250 : 65530);
        Framed f(width, height, spare, bits, base);
        Plain plain{width, height, std::vector<uint32_t>(size_t(width) * height)};
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x) {
                plain.at(x, y) = base + rng() % values;
                f.grey.set(x, y, plain.at(x, y));
            }
        const std::vector<uint32_t> original = plain.v;
        const uint32_t x0 = rng() % width, y0 = rng() % height;
        const uint32_t key = until ? base + values - 1 : plain.at(x0, y0);
        const uint32_t newValue = base + values; // outside the picture's values
        SCOPED_TRACE(::testing::Message() << "trial " << trial << ", " << width << " x " << height
                                          << ", " << bits << " bits");

        std::vector<SpanCall> expected, seen;
        ReferenceFill(plain, x0, y0, key, newValue, eight, until, expected);
        const int status = until ? CLxPicMeasAPI::PaintUntil(f.grey.get(), x0, y0, key, newValue,
                                                             eight ? 8 : 4, RecordSpan, &seen)
                                 : CLxPicMeasAPI::Paint(f.grey.get(), x0, y0, key, newValue,
                                                        eight ? 8 : 4, RecordSpan, &seen);
        ASSERT_EQ(0, status);
        ASSERT_EQ(expected, seen);
        for (uint32_t y = 0; y < height; ++y) {
            for (uint32_t x = 0; x < width; ++x)
                ASSERT_EQ(plain.at(x, y), f.grey.at(x, y)) << x << ", " << y;
            for (uint32_t x = width; x < width + spare; ++x)
                ASSERT_EQ(base, f.grey.at(x, y)) << "spare sample " << x << ", " << y;
        }
        uint64_t expectedCount = 0;
        for (const SpanCall& c : expected)
            expectedCount += std::get<2>(c);
        // The counted form paints the same pixels and counts the spans.
        Framed again(width, height, spare, bits, base);
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x)
                again.grey.set(x, y, original[size_t(y) * width + x]);
        uint64_t painted = 0;
        ASSERT_EQ(0, until ? CLxPicMeasAPI::PaintUntil(again.grey.get(), x0, y0, key, newValue,
                                                       eight ? 8 : 4, painted)
                           : CLxPicMeasAPI::Paint(again.grey.get(), x0, y0, key, newValue,
                                                  eight ? 8 : 4, painted));
        EXPECT_EQ(expectedCount, painted);
        EXPECT_EQ(f.grey.pixels(), again.grey.pixels());
    }
}

// Labels of PaintAllObjects equal those of the reference fill started at
// each marked pixel in raster order.
TEST(SeedFillReference, PaintAllObjectsLabelsAsTheReference)
{
    std::mt19937 rng(3939);
    for (int trial = 0; trial < 100; ++trial) {
        const uint32_t width = 1 + rng() % 90, height = 1 + rng() % 30, spare = rng() % 10;
        const bool eight = trial % 2;
        Framed f(width, height, spare, 16, 0xFFFF);
        Plain plain{width, height, std::vector<uint32_t>(size_t(width) * height)};
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x) {
                plain.at(x, y) = rng() % 5 < 2 ? 0xFFFF : rng() % 3;
                f.grey.set(x, y, plain.at(x, y));
            }
        uint32_t label = 0;
        std::vector<SpanCall> calls;
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x)
                if (plain.at(x, y) == 0xFFFF)
                    ReferenceFill(plain, x, y, 0xFFFF, ++label, eight, false, calls);
        ASSERT_EQ(0, CLxPicMeasAPI::PaintAllObjects(f.grey.get(), eight ? 8 : 4));
        for (uint32_t y = 0; y < height; ++y) {
            for (uint32_t x = 0; x < width; ++x)
                ASSERT_EQ(plain.at(x, y), f.grey.at(x, y)) << "trial " << trial;
            for (uint32_t x = width; x < width + spare; ++x)
                ASSERT_EQ(0xFFFFu, f.grey.at(x, y)) << "spare sample, trial " << trial;
        }
    }
}

} // namespace
