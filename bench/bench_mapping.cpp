// Display conversion and mapping to colour on 2048 x 2048 frames, each side
// by side with OpenCV's nearest work on one thread: cvtColor, convertTo, LUT
// and a screen chain of LUT and arithmetic. OpenCV has no look-up of 12-bit
// samples: its side first scales them to 8 bits and looks them up in 256
// entries taken from our table, so those outputs differ by design (where a
// table's bytes wrap, by far) and are only measured (counter max_diff).
// Ours and the peer alternate inside one case on the same warm buffers; the
// counter "ratio" is ours over the peer.
// Names: BM_<operation>/<format>/vs_opencv. Items are frame pixels.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "gnr_picture/lut/LxLut.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

namespace
{

using bench::kSide;
constexpr uint32_t kPixels = kSide * kSide;

#ifdef QUELVIX_HAVE_OPENCV

// comps samples a pixel of 8 or 12 significant bits.
std::vector<uint8_t> frame(uint32_t comps, uint32_t bits)
{
    std::vector<uint8_t> v(size_t(kPixels) * comps * (bits <= 8 ? 1 : 2));
    if (bits <= 8) {
        for (size_t i = 0; i < v.size(); ++i)
            v[i] = uint8_t(i * 31 + (i >> 11) * 7);
    } else {
        auto* w = reinterpret_cast<uint16_t*>(v.data());
        for (size_t i = 0; i < v.size() / 2; ++i)
            w[i] = uint16_t((i * 31 + (i >> 11) * 7) & ((1u << bits) - 1));
    }
    return v;
}

// A table of lutCount colour tables (or one flat table for dstComps 1)
// from srcBits to 8 bits, every component shown.
struct Table {
    SLxLut lut;
    Table(uint8_t srcBits, uint8_t lutCount, uint8_t dstComps)
    {
        SLxLut::Alloc(&lut, srcBits, lutCount, 8, dstComps);
        lut.uiCompMask = ~uint64_t(0);
        const uint32_t n = 1u << srcBits;
        for (uint32_t c = 0; c < lutCount; ++c) {
            for (uint32_t v = 0; v < n; ++v) {
                uint8_t* row = dstComps == 1   ? static_cast<uint8_t*>(lut.pTable) + v
                               : lutCount == 1 ? static_cast<uint8_t**>(lut.pTable)[v]
                                               : static_cast<uint8_t***>(lut.pTable)[c][v];
                for (uint32_t k = 0; k < dstComps; ++k)
                    row[k] = uint8_t((v * 255 / (n - 1)) * (c == k ? 1 : 0) + c * 20);
            }
        }
    }
    ~Table() { SLxLut::Free(&lut); }
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;
};

constexpr int kSideCv = bench::kCvSide;

// Component c's colour table of ours as OpenCV's 256-entry table of three
// channels (bytes or 16-bit words): entry v is ours at v scaled to srcBits.
cv::Mat cvTable(const SLxLut& lut, uint32_t c, uint32_t srcBits, uint32_t dstBits)
{
    const bool words = dstBits > 8;
    cv::Mat t(1, 256, words ? CV_16UC3 : CV_8UC3);
    for (uint32_t v = 0; v < 256; ++v) {
        const uint32_t s = v << (srcBits - 8);
        const uint8_t* row = lut.uiLutCount == 1 ? static_cast<uint8_t**>(lut.pTable)[s]
                                                 : static_cast<uint8_t***>(lut.pTable)[c][s];
        std::memcpy(t.ptr(0, int(v)), row, words ? 6 : 3);
    }
    return t;
}

// Several components to colour as OpenCV can: scaled to 8 bits, split, each
// shown channel repeated into three (merge) and coloured by its table
// (LUT), the colours combined by screen, top - (top - a)(top - b) / top,
// where ours floors the product's quotient and OpenCV rounds it.
struct ScreenChain {
    std::vector<cv::Mat> tables;
    std::vector<int> shown;
    double top;
    cv::Mat scaled, planes[3], grey3, colour, inverse;

    void run(const cv::Mat& src, cv::Mat& out)
    {
        src.convertTo(scaled, CV_8U, 1.0 / 16);
        cv::split(scaled, planes);
        bool first = true;
        for (const int c : shown) {
            const cv::Mat repeated[3] = {planes[c], planes[c], planes[c]};
            cv::merge(repeated, 3, grey3);
            cv::LUT(grey3, tables[size_t(c)], colour);
            if (first) {
                cv::subtract(cv::Scalar::all(top), colour, inverse);
                first = false;
                continue;
            }
            cv::subtract(cv::Scalar::all(top), colour, colour);
            cv::multiply(inverse, colour, inverse, 1.0 / top);
        }
        cv::subtract(cv::Scalar::all(top), inverse, out);
    }
};

// Checks ours once, compares (tolerance < 0: measured only), and times
// both side by side. dst: ours, of the peer output's type.
void runCase(benchmark::State& state, const std::function<int()>& ours,
             const std::function<void()>& peer, std::vector<uint8_t>& dst, cv::Mat& peerDst,
             int tolerance)
{
    if (ours() != 0) {
        state.SkipWithError("ours failed");
        return;
    }
    peer();
    const double diff =
        cv::norm(cv::Mat(kSideCv, kSideCv, peerDst.type(), dst.data()), peerDst, cv::NORM_INF);
    if (tolerance >= 0 && diff > tolerance) {
        state.SkipWithError(("outputs differ by " + std::to_string(diff)).c_str());
        return;
    }
    bench::sideBySide(
        state, [&] { benchmark::DoNotOptimize(ours()); }, peer);
    state.counters["max_diff"] = diff;
    bench::countItems(state, kPixels);
}

// ConvertToTrueColor's ways; lutCount 0: no table.
struct Way {
    const char* name;
    uint32_t comps, bits;
    uint8_t lutCount;
};
const Way kWays[] = {{"1x8", 1, 8, 0},      {"1x12", 1, 12, 0},     {"3x16", 3, 16, 0},
                     {"3x8_lut", 3, 8, 1},  {"1x12_lut", 1, 12, 1}, {"3x12_3luts", 3, 12, 3},
                     {"3x12_lut", 3, 12, 1}};

// Peers: gray repeated by cvtColor; deep samples scaled by convertTo (which
// rounds where ours shifts: 1 apart at most); tables by LUT (8-bit colour
// exact; 12-bit samples scaled first, see the top).
void BM_ConvertToTrueColor(benchmark::State& state, const Way& way)
{
    const std::vector<uint8_t> srcBytes = frame(way.comps, way.bits);
    const uint32_t bytes = way.bits <= 8 ? 1 : 2;
    const uint32_t srcWB = kSide * way.comps * bytes;
    std::vector<uint8_t> dst(size_t(kPixels) * 3);
    Table table(uint8_t(way.bits), way.lutCount ? way.lutCount : 1, 3);
    const SLxLut* lut = way.lutCount ? &table.lut : nullptr;
    const cv::Mat src(kSideCv, kSideCv, bench::cvType(way.comps, bytes),
                      const_cast<uint8_t*>(srcBytes.data()));
    cv::Mat peerDst(kSideCv, kSideCv, CV_8UC3, cv::Scalar::all(0)), scaled, grey3;
    const cv::Mat colours = cvTable(table.lut, 0, way.bits, 8);
    ScreenChain chain;
    for (uint32_t c = 0; c < 3; ++c)
        chain.tables.push_back(cvTable(table.lut, c, way.bits, 8));
    chain.shown = {0, 1, 2};
    chain.top = 255;
    const bool table12 = way.lutCount && way.bits == 12;
    const auto peer = [&] {
        if (way.lutCount == 3)
            return chain.run(src, peerDst);
        if (way.bits == 8 && way.comps == 1)
            return cv::cvtColor(src, peerDst, cv::COLOR_GRAY2BGR);
        if (way.bits == 8)
            return cv::LUT(src, colours, peerDst);
        if (way.comps == 3 && !way.lutCount)
            return src.convertTo(peerDst, CV_8U, 1.0 / (1 << (way.bits - 8)));
        src.convertTo(scaled, CV_8U, 1.0 / 16);
        if (way.comps == 3)
            return cv::LUT(scaled, colours, peerDst);
        if (!way.lutCount)
            return cv::cvtColor(scaled, peerDst, cv::COLOR_GRAY2BGR);
        cv::cvtColor(scaled, grey3, cv::COLOR_GRAY2BGR);
        cv::LUT(grey3, colours, peerDst);
    };
    const auto ours = [&] {
        return CLxPicMemAPI::ConvertToTrueColor(dst.data(), kSide * 3, srcBytes.data(), way.comps,
                                                way.bits, srcWB, kSide, kPixels, lut);
    };
    runCase(state, ours, peer, dst, peerDst, table12 ? -1 : way.bits == 8 ? 0 : 1);
}

// Three 12-bit components through their own colour tables, combined to 8-
// or 16-bit colour; shown 0b111 (all) or 0b101. The peer is the screen
// chain over the shown components; at 16 bits the table's words reach past
// 4095, where ours keeps the low 16 bits of its sum and OpenCV saturates.
void BM_MapComponents3x16(benchmark::State& state, uint32_t dstBits, uint32_t mask)
{
    const std::vector<uint8_t> srcBytes = frame(3, 12);
    const uint32_t rowBytes = 3 * (dstBits <= 8 ? 1 : 2);
    std::vector<uint8_t> dst(size_t(kPixels) * rowBytes);
    SLxLut lut;
    SLxLut::Alloc(&lut, 12, 3, uint8_t(dstBits), 3);
    for (uint32_t c = 0; c < 3; ++c)
        for (uint32_t v = 0; v < 4096; ++v)
            for (uint32_t b = 0; b < rowBytes; ++b)
                static_cast<uint8_t***>(lut.pTable)[c][v][b] = uint8_t(v * (c + 1) + b);
    lut.uiCompMask = mask;
    const cv::Mat src(kSideCv, kSideCv, CV_16UC3, const_cast<uint8_t*>(srcBytes.data()));
    cv::Mat peerDst(kSideCv, kSideCv, dstBits <= 8 ? CV_8UC3 : CV_16UC3, cv::Scalar::all(0));
    ScreenChain chain;
    for (uint32_t c = 0; c < 3; ++c) {
        chain.tables.push_back(cvTable(lut, c, 12, dstBits));
        if (mask >> c & 1)
            chain.shown.push_back(int(c));
    }
    chain.top = dstBits <= 8 ? 255 : 4095;
    const auto ours = [&] {
        return CLxPicMemAPI::MapComponentsMToN(dst.data(), 3, dstBits, kSide * rowBytes,
                                               srcBytes.data(), 3, 12, kSide * 6, &lut, kSide,
                                               kPixels);
    };
    runCase(
        state, ours, [&] { chain.run(src, peerDst); }, dst, peerDst, -1);
    SLxLut::Free(&lut);
}

const bool kRegistered = [] {
    for (const Way& way : kWays)
        benchmark::RegisterBenchmark(
            (std::string("BM_ConvertToTrueColor/") + way.name + "/vs_opencv").c_str(),
            BM_ConvertToTrueColor, way)
            ->Unit(benchmark::kMillisecond);
    const struct {
        const char* name;
        uint32_t dstBits, mask;
    } maps[] = {{"3x12_to_3x8/mask_111", 8, 0b111},
                {"3x12_to_3x8/mask_101", 8, 0b101},
                {"3x12_to_3x16/mask_111", 12, 0b111}};
    for (const auto& m : maps)
        benchmark::RegisterBenchmark(
            (std::string("BM_MapComponents3x16/") + m.name + "/vs_opencv").c_str(),
            BM_MapComponents3x16, m.dstBits, m.mask)
            ->Unit(benchmark::kMillisecond);
    return true;
}();

#endif

} // namespace
