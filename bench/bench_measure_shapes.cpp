// Seed fill, labelling, contour tracing, hole filling and convex hulls of a
// 2048 x 2048 picture beside OpenCV on one thread: cv::floodFill (CV_32S
// stands in at 16 bits, which floodFill does not take), connectedComponents,
// findContours, a border floodFill for the holes, and findContours +
// convexHull + fillPoly for the hulls. Items are pixels.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "bench_support.h"
#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "gnr_picture/LxContour.h"
#include "gnr_picture/LxPicMeasAPI.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

using bench::kCvSide;
using bench::kSide;

uint32_t nextRandom(uint32_t& state)
{
    state = state * 1103515245u + 12345u;
    return state >> 8;
}

// One large region: a grid of walls, each wall with gaps, so that the fill
// winds through every cell. 0 is the region, 1 the walls.
std::vector<uint8_t> maze()
{
    std::vector<uint8_t> v(size_t(kSide) * kSide, 0);
    for (uint32_t y = 0; y < kSide; ++y)
        for (uint32_t x = 0; x < kSide; ++x) {
            const bool wall = (x % 64 == 0 && y % 64 > 8) || (y % 64 == 0 && x % 64 > 8);
            v[size_t(y) * kSide + x] = wall ? 1 : 0;
        }
    return v;
}

// Blobs: discs of radius 4 to 30, every third with a hole, 0/255 bytes.
std::vector<uint8_t> blobs()
{
    std::vector<uint8_t> v(size_t(kSide) * kSide, 0);
    uint32_t state = 3939;
    for (int i = 0; i < 2500; ++i) {
        const int cx = int(nextRandom(state) % kSide), cy = int(nextRandom(state) % kSide);
        const int r = 4 + int(nextRandom(state) % 27);
        const int hole = i % 3 == 0 ? r / 3 : -1;
        for (int y = cy - r; y <= cy + r; ++y)
            for (int x = cx - r; x <= cx + r; ++x) {
                const int d = (x - cx) * (x - cx) + (y - cy) * (y - cy);
                if (x >= 0 && y >= 0 && x < int(kSide) && y < int(kSide) && d <= r * r)
                    v[size_t(y) * kSide + x] = d <= hole * hole ? 0 : 255;
            }
    }
    return v;
}

#ifdef QUELVIX_HAVE_OPENCV
// The background regions that touch the border get 128.
void floodBorder(cv::Mat& work)
{
    for (int i = 0; i < kCvSide; ++i)
        for (const cv::Point p : {cv::Point(i, 0), cv::Point(i, kCvSide - 1), cv::Point(0, i),
                                  cv::Point(kCvSide - 1, i)})
            if (work.at<uint8_t>(p) == 0)
                cv::floodFill(work, p, 128, nullptr, 0, 0, 4);
}
#endif

class Picture
{
  public:
    Picture(uint32_t bits, const std::vector<uint8_t>& samples, uint32_t scale = 1)
    {
        CLxPicBufAPI::Init(&pic_);
        CLxPicBufAPI::Reinit(&pic_, kSide, kSide, 0, bits, 1, true);
        for (uint32_t y = 0; y < kSide; ++y)
            for (uint32_t x = 0; x < kSide; ++x) {
                const uint32_t v = samples[size_t(y) * kSide + x] * scale;
                uint8_t* line = static_cast<uint8_t*>(pic_.pData) + size_t(y) * pic_.uiWidthBytes;
                if (bits > 8)
                    reinterpret_cast<uint16_t*>(line)[x] = uint16_t(v);
                else
                    line[x] = uint8_t(v);
            }
    }
    ~Picture() { CLxPicBufAPI::Free(&pic_); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    SLxPicBuf* get() { return &pic_; }
    uint8_t* line(uint32_t y) { return static_cast<uint8_t*>(pic_.pData) + y * pic_.uiWidthBytes; }

  private:
    SLxPicBuf pic_;
};

class BinFrame
{
  public:
    BinFrame()
    {
        CLxBinPicBufAPI::Init(&pic_);
        CLxBinPicBufAPI::Reinit(&pic_, kSide, kSide, 0, true);
    }
    explicit BinFrame(const std::vector<uint8_t>& bytes) : BinFrame()
    {
        for (uint32_t y = 0; y < kSide; ++y)
            for (uint32_t x = 0; x < kSide; ++x)
                if (bytes[size_t(y) * kSide + x])
                    static_cast<uint8_t*>(pic_.pData)[size_t(y) * pic_.uiWidthBytes + x / 8] |=
                        uint8_t(0x80u >> (x % 8));
    }
    ~BinFrame() { CLxBinPicBufAPI::Free(&pic_); }
    BinFrame(const BinFrame&) = delete;
    BinFrame& operator=(const BinFrame&) = delete;
    SLxBinPicBuf* get() { return &pic_; }
    uint64_t count() const
    {
        uint64_t n = 0;
        for (uint32_t y = 0; y < kSide; ++y)
            for (uint32_t x = 0; x < kSide; ++x)
                n += (static_cast<const uint8_t*>(
                          pic_.pData)[size_t(y) * pic_.uiWidthBytes + x / 8] >>
                      (7 - x % 8)) &
                     1;
        return n;
    }

  private:
    SLxBinPicBuf pic_;
};

// Paint of the maze's region from its corner, 8 or 16 bits, 4 or 8
// neighbours. The fill goes 0 -> 2 and back 2 -> 0 on alternate rounds, so
// no copy is timed.
void BM_MeasPaint(benchmark::State& state)
{
    const uint32_t bits = uint32_t(state.range(0)), connectivity = uint32_t(state.range(1));
    Picture pic(bits, maze());
    unsigned from = 0, to = 2;
    uint64_t painted = 0;
#ifdef QUELVIX_HAVE_OPENCV
    std::vector<uint8_t> m = maze();
    const int area = cv::floodFill(cv::Mat(kCvSide, kCvSide, CV_8U, m.data()), cv::Point(1, 1), 2,
                                   nullptr, 0, 0, int(connectivity));
    CLxPicMeasAPI::Paint(pic.get(), 1, 1, from, to, connectivity, painted);
    CLxPicMeasAPI::Paint(pic.get(), 1, 1, to, from, connectivity);
    if (painted != uint64_t(area)) {
        state.SkipWithError("painted count differs from cv::floodFill");
        return;
    }
#endif
    for (auto _ : state) {
        CLxPicMeasAPI::Paint(pic.get(), 1, 1, from, to, connectivity, painted);
        std::swap(from, to);
        benchmark::DoNotOptimize(painted);
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_MeasPaint)
    ->ArgNames({"bits", "conn"})
    ->ArgsProduct({{8, 16}, {4, 8}})
    ->Unit(benchmark::kMicrosecond);

// Every object's contour: painted aside and traced over that value (what a
// caller of Paint and ContourPoints does; objects are never 8-neighbours,
// so one value serves them all), after a copy of the source. Object starts
// are looked for with memchr, as findContours' own scan is fast: a byte at a
// time, the caller's scan took a third of the time.
void BM_MeasAllContours(benchmark::State& state)
{
    const std::vector<uint8_t> source = blobs();
    Picture pic(8, source);
    uint64_t points = 0, contours = 0;
    for (auto _ : state) {
        contours = 0;
        for (uint32_t y = 0; y < kSide; ++y)
            std::memcpy(pic.line(y), source.data() + size_t(y) * kSide, kSide);
        for (uint32_t y = 0; y < kSide; ++y) {
            const uint8_t* row = pic.line(y);
            for (uint32_t x = 0; x < kSide; ++x) {
                const void* found = std::memchr(row + x, 255, kSide - x);
                if (!found)
                    break;
                x = uint32_t(static_cast<const uint8_t*>(found) - row);
                CLxPicMeasAPI::Paint(pic.get(), x, y, 255, 1, 8);
                SLxContour* c =
                    CLxPicMeasAPI::ContourPoints(pic.get(), 1, SLxIPoint{int32_t(x), int32_t(y)});
                points += c->uiCount;
                ++contours;
                CLxAlloc::Free(c);
            }
        }
        benchmark::DoNotOptimize(points);
    }
#ifdef QUELVIX_HAVE_OPENCV
    std::vector<uint8_t> b = blobs();
    std::vector<std::vector<cv::Point>> cvContours;
    cv::findContours(cv::Mat(kCvSide, kCvSide, CV_8U, b.data()), cvContours, cv::RETR_EXTERNAL,
                     cv::CHAIN_APPROX_NONE);
    if (contours != cvContours.size())
        state.SkipWithError("contour count differs from cv::findContours");
#endif
    bench::countFramePixels(state);
}
BENCHMARK(BM_MeasAllContours)->Unit(benchmark::kMicrosecond);

// Labels of every object, after a copy of the 65535-marked source.
void BM_MeasPaintAllObjects(benchmark::State& state)
{
    const std::vector<uint8_t> source = blobs();
    Picture marked(16, source, 257), pic(16, source, 257);
    const size_t bytes = marked.get()->uiSize;
    for (auto _ : state) {
        std::memcpy(pic.get()->pData, marked.get()->pData, bytes);
        CLxPicMeasAPI::PaintAllObjects(pic.get(), 8);
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_MeasPaintAllObjects)->Unit(benchmark::kMicrosecond);

void BM_MeasFillHoles(benchmark::State& state)
{
    BinFrame src(blobs()), dst;
#ifdef QUELVIX_HAVE_OPENCV
    std::vector<uint8_t> b = blobs();
    cv::Mat work = cv::Mat(kCvSide, kCvSide, CV_8U, b.data()).clone();
    floodBorder(work);
    CLxBinPicBufAPI::FillHoles(dst.get(), src.get());
    if (dst.count() != uint64_t(kSide) * kSide - uint64_t(cv::countNonZero(work == 128))) {
        state.SkipWithError("filled count differs from the border floodFill");
        return;
    }
#endif
    for (auto _ : state) {
        CLxBinPicBufAPI::FillHoles(dst.get(), src.get());
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_MeasFillHoles)->Unit(benchmark::kMicrosecond);

void BM_MeasConvexHull(benchmark::State& state)
{
    BinFrame src(blobs()), dst;
    const int step = int(state.range(0));
    for (auto _ : state) {
        CLxBinPicBufAPI::ConvexHull(dst.get(), src.get(), false, false, step);
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_MeasConvexHull)->ArgName("step")->Arg(1)->Arg(5)->Unit(benchmark::kMicrosecond);

#ifdef QUELVIX_HAVE_OPENCV
// cv::floodFill of the same region with exact equality, 4 or 8 neighbours.
void BM_CvFloodFill(benchmark::State& state)
{
    const int bits = int(state.range(0)), connectivity = int(state.range(1));
    bench::useOneCvThread();
    std::vector<uint8_t> m = maze();
    cv::Mat pic;
    cv::Mat(kCvSide, kCvSide, CV_8U, m.data()).convertTo(pic, bits == 8 ? CV_8U : CV_32S);
    int from = 0, to = 2;
    for (auto _ : state) {
        const int area = cv::floodFill(pic, cv::Point(1, 1), to, nullptr, 0, 0, connectivity);
        std::swap(from, to);
        benchmark::DoNotOptimize(area);
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_CvFloodFill)
    ->ArgNames({"bits", "conn"})
    ->ArgsProduct({{8, 16}, {4, 8}})
    ->Unit(benchmark::kMicrosecond);

void BM_CvFindContours(benchmark::State& state)
{
    bench::useOneCvThread();
    std::vector<uint8_t> b = blobs();
    const cv::Mat src(kCvSide, kCvSide, CV_8U, b.data());
    std::vector<std::vector<cv::Point>> contours;
    for (auto _ : state) {
        cv::findContours(src, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_NONE);
        benchmark::DoNotOptimize(contours.data());
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_CvFindContours)->Unit(benchmark::kMicrosecond);

void BM_CvConnectedComponents(benchmark::State& state)
{
    bench::useOneCvThread();
    std::vector<uint8_t> b = blobs();
    const cv::Mat src(kCvSide, kCvSide, CV_8U, b.data());
    cv::Mat labels;
    for (auto _ : state) {
        const int n = cv::connectedComponents(src, labels, 8, CV_16U);
        benchmark::DoNotOptimize(n);
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_CvConnectedComponents)->Unit(benchmark::kMicrosecond);

// The holes: the background flooded from every border pixel, what is left
// of it joined to the objects.
void BM_CvBorderFloodFill(benchmark::State& state)
{
    bench::useOneCvThread();
    std::vector<uint8_t> b = blobs();
    const cv::Mat src(kCvSide, kCvSide, CV_8U, b.data());
    cv::Mat work, filled;
    for (auto _ : state) {
        src.copyTo(work);
        floodBorder(work);
        cv::bitwise_or(src, work == 0, filled);
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_CvBorderFloodFill)->Unit(benchmark::kMicrosecond);

void BM_CvConvexHulls(benchmark::State& state)
{
    bench::useOneCvThread();
    std::vector<uint8_t> b = blobs();
    const cv::Mat src(kCvSide, kCvSide, CV_8U, b.data());
    std::vector<std::vector<cv::Point>> contours;
    cv::Mat out(kCvSide, kCvSide, CV_8U);
    std::vector<cv::Point> hull;
    for (auto _ : state) {
        out.setTo(0);
        cv::findContours(src, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_NONE);
        for (const auto& c : contours) {
            cv::convexHull(c, hull);
            cv::fillPoly(out, std::vector<std::vector<cv::Point>>{hull}, 255);
        }
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_CvConvexHulls)->Unit(benchmark::kMicrosecond);
#endif

} // namespace
