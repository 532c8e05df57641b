// Pruning and zones of influence against a plain object-by-object
// reference: label one object, list its border, test every listed pixel
// with each template in turn, list the side neighbours of what goes.
#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

#include "bin_test_support.h"
#include "gnr_picture/BinPicBufAPI/LxBinNeighbourTables.h"

namespace
{

using namespace lx_bin;
using API = CLxBinPicBufAPI;

struct RefPhase {
    const HitMiss* templates;
    int count;
    int limit; // negative: until nothing changes
};

// src: 0/1 pixels, line after line. Returns the result the same way.
std::vector<uint8_t> Reference(const std::vector<uint8_t>& src, int w, int h,
                               const std::vector<RefPhase>& phases)
{
    const int W = w + 2, H = h + 2;
    const auto at = [W](int x, int y) { return size_t(y) * W + x; };
    // -1 the frame continuing an object, 0 clear, 1 not reached, 2, 3, ...
    // object labels.
    std::vector<int> work(size_t(W) * H, 0);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const bool on = src[size_t(std::clamp(y - 1, 0, h - 1)) * w + std::clamp(x - 1, 0, w - 1)];
            const bool frame = x == 0 || y == 0 || x == W - 1 || y == H - 1;
            work[at(x, y)] = on ? (frame ? -1 : 1) : 0;
        }
    const int offsets[8] = {-W, -W + 1, 1, W + 1, W, W - 1, -1, -W - 1};
    const uint8_t bits[8] = {kN, kNE, kE, kSE, kS, kSW, kW, kNW};
    const auto code = [&](size_t i) {
        uint32_t c = 0;
        for (int k = 0; k < 8; ++k)
            c |= work[i + offsets[k]] != 0 ? bits[k] : 0;
        return c;
    };
    int label = 1;
    for (size_t seed = 0; seed < work.size(); ++seed) {
        if (work[seed] != 1)
            continue;
        ++label;
        std::vector<size_t> object{seed}, stack{seed};
        work[seed] = label;
        while (!stack.empty()) {
            const size_t p = stack.back();
            stack.pop_back();
            for (const int o : offsets)
                if (work[p + o] == 1) {
                    work[p + o] = label;
                    object.push_back(p + o);
                    stack.push_back(p + o);
                }
        }
        std::vector<uint8_t> listed(work.size(), 0);
        std::vector<size_t> border;
        for (const size_t p : object)
            if (code(p) != 0xFF) {
                listed[p] = 1;
                border.push_back(p);
            }
        for (const RefPhase& phase : phases)
            for (int iteration = 0; phase.limit < 0 || iteration < phase.limit; ++iteration) {
                bool any = false;
                for (int t = 0; t < phase.count; ++t) {
                    std::vector<size_t> going;
                    for (const size_t p : border)
                        if (work[p] == label && phase.templates[t].Matches(code(p)))
                            going.push_back(p);
                    for (const size_t p : going)
                        work[p] = 0;
                    for (const size_t p : going)
                        for (const int o : {-W, -1, 1, W})
                            if (work[p + o] == label && !listed[p + o]) {
                                listed[p + o] = 1;
                                border.push_back(p + o);
                            }
                    any = any || !going.empty();
                }
                if (!any)
                    break;
            }
    }
    std::vector<uint8_t> out(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            out[size_t(y) * w + x] = work[at(x + 1, y + 1)] != 0;
    return out;
}

// Zones of influence first grow every object that holds no 3 x 3 block of its
// own pixels by one pixel all round, where no other object lies within two
// pixels of the grown one.
std::vector<uint8_t> GrowNarrow(const std::vector<uint8_t>& src, int w, int h)
{
    const auto inside = [w, h](int x, int y) { return x >= 0 && y >= 0 && x < w && y < h; };
    std::vector<int> label(src.size(), 0);
    int count = 0;
    for (int y0 = 0; y0 < h; ++y0)
        for (int x0 = 0; x0 < w; ++x0) {
            if (!src[size_t(y0) * w + x0] || label[size_t(y0) * w + x0])
                continue;
            label[size_t(y0) * w + x0] = ++count;
            std::vector<std::pair<int, int>> stack = {{x0, y0}};
            while (!stack.empty()) {
                const auto [x, y] = stack.back();
                stack.pop_back();
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        if (inside(x + dx, y + dy) && src[size_t(y + dy) * w + x + dx] &&
                            !label[size_t(y + dy) * w + x + dx]) {
                            label[size_t(y + dy) * w + x + dx] = count;
                            stack.push_back({x + dx, y + dy});
                        }
            }
        }
    const auto labelAt = [&](int x, int y) { return inside(x, y) ? label[size_t(y) * w + x] : 0; };
    std::vector<bool> wide(size_t(count) + 1, false);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            bool block = labelAt(x, y) != 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    block = block && labelAt(x + dx, y + dy) != 0;
            if (block)
                wide[size_t(labelAt(x, y))] = true;
        }
    std::vector<uint8_t> out = src;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (labelAt(x, y))
                continue;
            int owner = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (labelAt(x + dx, y + dy) && !wide[size_t(labelAt(x + dx, y + dy))])
                        owner = labelAt(x + dx, y + dy);
            bool alone = owner != 0;
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx)
                    alone =
                        alone && (labelAt(x + dx, y + dy) == 0 || labelAt(x + dx, y + dy) == owner);
            if (alone)
                out[size_t(y) * w + x] = 1;
        }
    return out;
}

void Fill(BinPicture& pic, std::mt19937& rng, int kind)
{
    const uint32_t w = pic->uiWidth, h = pic->uiHeight;
    if (kind == 0) {
        pic.randomise(rng, std::uniform_real_distribution<double>(0.05, 0.95)(rng));
        return;
    }
    // Discs, then (kind 2) thin lines across them.
    std::memset(pic->pData, 0, pic->uiSize);
    const int discs = 1 + int(rng() % 12);
    for (int k = 0; k < discs; ++k)
        API::AddCircle(pic.get(), 1 + rng() % 9, int(rng() % (w + 4)) - 2, int(rng() % (h + 4)) - 2);
    if (kind == 2)
        for (int k = 0; k < 3; ++k) {
            const uint32_t y = rng() % h;
            for (uint32_t x = 0; x < w; ++x)
                pic.set(x, y, (x + k) % 3 != 0);
        }
}

// The destination's bits after each line's last pixel, and its padding.
std::vector<uint8_t> Spare(BinPicture& pic)
{
    std::vector<uint8_t> out;
    const uint32_t w = pic->uiWidth;
    for (uint32_t y = 0; y < pic->uiHeight; ++y) {
        if (w % 8)
            out.push_back(uint8_t(pic.line(y)[w / 8] & (0xFFu >> (w % 8))));
        for (uint32_t k = (w + 7) / 8; k < pic->uiWidthBytes; ++k)
            out.push_back(pic.line(y)[k]);
    }
    return out;
}

TEST(BinTemplateReference, PruningAndZonesMatchObjectByObjectWork)
{
    std::mt19937 rng(4040);
    for (int round = 0; round < 300; ++round) {
        const uint32_t w = 1 + rng() % 70, h = 1 + rng() % 50;
        BinPicture src(w, h), dst(w, h, (w + 7) / 8 + rng() % 3);
        dst.randomise(rng);
        const std::vector<uint8_t> spare = Spare(dst);
        Fill(src, rng, round % 3);
        const std::vector<uint8_t> pixels = src.pixels();
        const int steps = int(rng() % 5) - 1;
        const std::vector<RefPhase> pruning = {{kPruningTemplates, 8, steps == 0 ? 1000 : steps}};
        ASSERT_EQ(API::Pruning(dst.get(), src.get(), steps), 0);
        ASSERT_EQ(dst.pixels(), Reference(pixels, int(w), int(h), pruning))
            << "pruning, round " << round << ", " << w << " x " << h << ", steps " << steps;
        ASSERT_EQ(Spare(dst), spare) << round;

        std::vector<uint8_t> background = GrowNarrow(pixels, int(w), int(h));
        for (auto& p : background)
            p = !p;
        const std::vector<RefPhase> zones = {{kThinningTemplates, 8, 1000},
                                             {kEndRemovalTemplates, 4, 1000},
                                             {kThinningTemplates, 8, 1000},
                                             {kEndRemovalTemplates, 4, 1000}};
        ASSERT_EQ(API::CalculateZonesOfInfluence(dst.get(), src.get()), 0);
        ASSERT_EQ(dst.pixels(), Reference(background, int(w), int(h), zones))
            << "zones, round " << round << ", " << w << " x " << h;
        ASSERT_EQ(Spare(dst), spare) << round;
    }
}

// A field large enough for long thinning and end-removal runs.
TEST(BinTemplateReference, ZonesOfALargeBlobField)
{
    std::mt19937 rng(77);
    const uint32_t w = 301, h = 203;
    BinPicture src(w, h), dst(w, h);
    for (int k = 0; k < 40; ++k)
        API::AddCircle(src.get(), 2 + rng() % 12, int(rng() % w), int(rng() % h));
    const std::vector<uint8_t> pixels = src.pixels();
    std::vector<uint8_t> background = GrowNarrow(pixels, int(w), int(h));
    for (auto& p : background)
        p = !p;
    ASSERT_EQ(API::CalculateZonesOfInfluence(dst.get(), src.get()), 0);
    EXPECT_EQ(dst.pixels(), Reference(background, int(w), int(h),
                                      {{kThinningTemplates, 8, 1000},
                                       {kEndRemovalTemplates, 4, 1000},
                                       {kThinningTemplates, 8, 1000},
                                       {kEndRemovalTemplates, 4, 1000}}));
    ASSERT_EQ(API::Pruning(dst.get(), src.get(), -1), 0);
    EXPECT_EQ(dst.pixels(), Reference(pixels, int(w), int(h), {{kPruningTemplates, 8, -1}}));
}

} // namespace
