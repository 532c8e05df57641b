// Thinning, zones of influence and thickening of a 2048 x 2048 field of
// about 1500 blobs, side by side on one thread with cv::ximgproc::thinning
// (Zhang-Suen), cv::watershed on markers from cv::connectedComponents, and
// cv::distanceTransform's nearest-object labels (chessboard, as ours grows).
// Ours works on packed bits, the peers on 0/255 bytes. The algorithms differ,
// so the outputs are not equal: before timing each case checks only what
// both must share (skeletons inside the blobs, grown objects covering them).
// The counter "ratio" is ours over the peer. Items are pixels.
// Names: BM_<operation>/bin/vs_opencv.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "bench_support.h"
#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"

#ifdef QUELVIX_HAVE_OPENCV_XIMGPROC
#include <opencv2/ximgproc.hpp>
#endif

namespace
{

using bench::kSide;

// About 1500 discs and ellipses of radius 6 to 24, overlapping now and then.
std::vector<uint8_t> blobField()
{
    std::vector<uint8_t> v(size_t(kSide) * kSide, 0);
    uint32_t state = 1500;
    const auto next = [&state](uint32_t n) {
        state = state * 1103515245u + 12345u;
        return (state >> 8) % n;
    };
    for (int k = 0; k < 1500; ++k) {
        const int cx = int(next(kSide)), cy = int(next(kSide));
        const int rx = 6 + int(next(19)), ry = 6 + int(next(19));
        for (int y = cy - ry; y <= cy + ry; ++y)
            for (int x = cx - rx; x <= cx + rx; ++x) {
                if (x < 0 || y < 0 || x >= int(kSide) || y >= int(kSide))
                    continue;
                const double dx = double(x - cx) / rx, dy = double(y - cy) / ry;
                if (dx * dx + dy * dy <= 1.0)
                    v[size_t(y) * kSide + size_t(x)] = 255;
            }
    }
    return v;
}

struct Field {
    SLxBinPicBuf src, dst;
    std::vector<uint8_t> bytes = blobField();
    Field()
    {
        CLxBinPicBufAPI::Init(&src);
        CLxBinPicBufAPI::Init(&dst);
        CLxBinPicBufAPI::Reinit(&src, kSide, kSide, 0, true);
        CLxBinPicBufAPI::Reinit(&dst, kSide, kSide, 0, true);
        for (uint32_t y = 0; y < kSide; ++y)
            for (uint32_t x = 0; x < kSide; ++x)
                if (bytes[size_t(y) * kSide + x])
                    CLxBinPicBufAPI::SetPixel(&src, int(x), int(y), true);
    }
    ~Field()
    {
        CLxBinPicBufAPI::Free(&src);
        CLxBinPicBufAPI::Free(&dst);
    }
    Field(const Field&) = delete;
    Field& operator=(const Field&) = delete;

    bool ourBit(uint32_t x, uint32_t y) const
    {
        return static_cast<const uint8_t*>(dst.pData)[size_t(y) * dst.uiWidthBytes + x / 8] &
               (0x80u >> (x % 8));
    }
};

enum class Op { Thinning, Zones, Thickening };

#ifdef QUELVIX_HAVE_OPENCV

// What both sides must share, pixel by pixel: a skeleton lies inside the
// blobs, the zones' lines outside them, grown objects cover them. peerOut is
// the peer's 0/255 skeleton, or null where its output has no such reading.
bool agrees(const Field& f, Op op, const cv::Mat* peerOut)
{
    for (uint32_t y = 0; y < kSide; ++y)
        for (uint32_t x = 0; x < kSide; ++x) {
            const size_t i = size_t(y) * kSide + x;
            const bool blob = f.bytes[i] != 0, ours = f.ourBit(x, y);
            if (op == Op::Thinning && ((ours && !blob) || (peerOut->data[i] && !blob)))
                return false;
            if (op == Op::Zones && ours && blob)
                return false;
            if (op == Op::Thickening && blob && !ours)
                return false;
        }
    return true;
}

void runCase(benchmark::State& state, Field& f, Op op, const std::function<void()>& peer,
             const cv::Mat* peerOut)
{
    int status = 0;
    const auto ours = [&] {
        switch (op) {
        case Op::Thinning:
            status = CLxBinPicBufAPI::Thinning(&f.dst, &f.src, 3, 0, 1, 0);
            break;
        case Op::Zones:
            status = CLxBinPicBufAPI::CalculateZonesOfInfluence(&f.dst, &f.src);
            break;
        case Op::Thickening:
            status = CLxBinPicBufAPI::Thickening(&f.dst, nullptr, &f.src, 0, false);
            break;
        }
    };
    ours();
    if (status != 0) {
        state.SkipWithError("operation failed");
        return;
    }
    peer();
    if (!agrees(f, op, peerOut)) {
        state.SkipWithError("result outside what both sides share");
        return;
    }
    bench::sideBySide(state, ours, peer);
    bench::countFramePixels(state);
}

#ifdef QUELVIX_HAVE_OPENCV_XIMGPROC
// The peer may hand its output a new matrix each call: it is read after.
void BM_Thinning(benchmark::State& state)
{
    Field f;
    const cv::Mat in(bench::kCvSide, bench::kCvSide, CV_8U, f.bytes.data());
    cv::Mat out(in.size(), CV_8U, cv::Scalar(0));
    const auto peer = [&] { cv::ximgproc::thinning(in, out, cv::ximgproc::THINNING_ZHANGSUEN); };
    runCase(state, f, Op::Thinning, peer, &out);
}
BENCHMARK(BM_Thinning)
    ->Name("BM_Thinning/bin/vs_opencv")
    ->MinTime(3.0)
    ->Unit(benchmark::kMillisecond);
#endif

// Markers from the blobs' components; the watershed floods a colour picture
// of the field, as cv::watershed asks, and overwrites its markers, so they
// are labelled again every run.
void BM_ZonesOfInfluence(benchmark::State& state)
{
    Field f;
    const cv::Mat in(bench::kCvSide, bench::kCvSide, CV_8U, f.bytes.data());
    cv::Mat colour, markers(in.size(), CV_32S, cv::Scalar(0));
    cv::cvtColor(in, colour, cv::COLOR_GRAY2BGR);
    const auto peer = [&] {
        cv::connectedComponents(in, markers, 8, CV_32S);
        cv::watershed(colour, markers);
    };
    runCase(state, f, Op::Zones, peer, nullptr);
}
BENCHMARK(BM_ZonesOfInfluence)
    ->Name("BM_ZonesOfInfluence/bin/vs_opencv")
    ->MinTime(3.0)
    ->Unit(benchmark::kMillisecond);

// Every background pixel labelled with its nearest blob (chessboard
// distance): the peer ends in labels where ours leaves lines between
// objects, so only the blobs' covering is compared.
void BM_Thickening(benchmark::State& state)
{
    Field f;
    const cv::Mat in(bench::kCvSide, bench::kCvSide, CV_8U, f.bytes.data());
    cv::Mat background, distance(in.size(), CV_32F, cv::Scalar(0)),
        labels(in.size(), CV_32S, cv::Scalar(0));
    cv::bitwise_not(in, background);
    const auto peer = [&] {
        cv::distanceTransform(background, distance, labels, cv::DIST_C, 3, cv::DIST_LABEL_CCOMP);
    };
    runCase(state, f, Op::Thickening, peer, nullptr);
}
BENCHMARK(BM_Thickening)
    ->Name("BM_Thickening/bin/vs_opencv")
    ->MinTime(3.0)
    ->Unit(benchmark::kMillisecond);
#endif

} // namespace
