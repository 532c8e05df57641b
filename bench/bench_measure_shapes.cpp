// Seed fill, labelling, contour tracing, hole filling and convex hulls of a
// 2048 x 2048 picture, each side by side with OpenCV on one thread:
// cv::floodFill (CV_32S stands in at 16 bits, which floodFill does not
// take), connectedComponents, findContours, a border floodFill for the
// holes, and findContours + convexHull + fillPoly for the hulls. Ours and
// the peer alternate inside one case on the same warm buffers; the outputs
// are compared once before timing and the counter "ratio" is ours over the
// peer. Names: BM_<operation>/<format>/vs_opencv. Items are pixels.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "bench_support.h"
#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "gnr_picture/LxContour.h"
#include "gnr_picture/LxPicMeasAPI.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

#ifdef QUELVIX_HAVE_OPENCV

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

// The background regions that touch the border get 128.
void floodBorder(cv::Mat& work)
{
    for (int i = 0; i < kCvSide; ++i)
        for (const cv::Point p : {cv::Point(i, 0), cv::Point(i, kCvSide - 1), cv::Point(0, i),
                                  cv::Point(kCvSide - 1, i)})
            if (work.at<uint8_t>(p) == 0)
                cv::floodFill(work, p, 128, nullptr, 0, 0, 4);
}

class Picture
{
  public:
    Picture(uint32_t bits, const std::vector<uint8_t>& samples, uint32_t scale = 1) : bits_(bits)
    {
        CLxPicBufAPI::Init(&pic_);
        CLxPicBufAPI::Reinit(&pic_, kSide, kSide, 0, bits, 1, true);
        for (uint32_t y = 0; y < kSide; ++y)
            for (uint32_t x = 0; x < kSide; ++x) {
                const uint32_t v = samples[size_t(y) * kSide + x] * scale;
                if (bits > 8)
                    reinterpret_cast<uint16_t*>(line(y))[x] = uint16_t(v);
                else
                    line(y)[x] = uint8_t(v);
            }
    }
    ~Picture() { CLxPicBufAPI::Free(&pic_); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    SLxPicBuf* get() { return &pic_; }
    uint8_t* line(uint32_t y) { return static_cast<uint8_t*>(pic_.pData) + y * pic_.uiWidthBytes; }
    // The samples as OpenCV sees them, without a copy.
    cv::Mat view()
    {
        return cv::Mat(kCvSide, kCvSide, bits_ > 8 ? CV_16U : CV_8U, pic_.pData, pic_.uiWidthBytes);
    }

  private:
    SLxPicBuf pic_;
    uint32_t bits_;
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
    // One byte a pixel, 255 where the bit is set.
    cv::Mat bytes() const
    {
        cv::Mat m(kCvSide, kCvSide, CV_8U);
        for (uint32_t y = 0; y < kSide; ++y)
            for (uint32_t x = 0; x < kSide; ++x)
                m.at<uint8_t>(int(y), int(x)) =
                    (static_cast<const uint8_t*>(
                         pic_.pData)[size_t(y) * pic_.uiWidthBytes + x / 8] >>
                     (7 - x % 8)) &
                            1
                        ? 255
                        : 0;
        return m;
    }

  private:
    SLxBinPicBuf pic_;
};

// Pixels where two pictures of one type differ.
int differing(const cv::Mat& a, const cv::Mat& b)
{
    cv::Mat unequal;
    cv::compare(a, b, unequal, cv::CMP_NE);
    return cv::countNonZero(unequal);
}

// Paint of the maze's region from its corner, 8 or 16 bits, 4 or 8
// neighbours, against cv::floodFill of the same region with exact
// equality. Each side fills 0 -> 2 and back 2 -> 0 on alternate rounds, so
// no copy is timed; both first fills are compared.
void BM_MeasPaint(benchmark::State& state, uint32_t bits, uint32_t connectivity)
{
    const std::vector<uint8_t> m = maze();
    Picture pic(bits, m);
    cv::Mat cvPic;
    cv::Mat(kCvSide, kCvSide, CV_8U, const_cast<uint8_t*>(m.data()))
        .convertTo(cvPic, bits == 8 ? CV_8U : CV_32S);
    unsigned from = 0, to = 2;
    int cvTo = 2, area = 0, status = 0;
    uint64_t painted = 0;
    const auto ours = [&] {
        status = CLxPicMeasAPI::Paint(pic.get(), 1, 1, from, to, connectivity, painted);
        std::swap(from, to);
        benchmark::DoNotOptimize(painted);
    };
    const auto peer = [&] {
        area = cv::floodFill(cvPic, cv::Point(1, 1), cvTo, nullptr, 0, 0, int(connectivity));
        cvTo = 2 - cvTo;
        benchmark::DoNotOptimize(area);
    };
    ours();
    peer();
    cv::Mat oursWide, peerWide;
    pic.view().convertTo(oursWide, CV_32S);
    cvPic.convertTo(peerWide, CV_32S);
    if (status != 0 || painted != uint64_t(area) || differing(oursWide, peerWide) != 0) {
        state.SkipWithError("painted region differs from cv::floodFill");
        return;
    }
    bench::sideBySide(state, ours, peer);
    bench::countFramePixels(state);
}

// Every object's contour: painted aside and traced over that value (what a
// caller of Paint and ContourPoints does; objects are never 8-neighbours,
// so one value serves them all), after a copy of the source. Object starts
// are looked for with memchr, as findContours' own scan is fast: a byte at a
// time, the caller's scan took a third of the time. The peer is
// findContours of the outer contours, with every point kept: the contour
// and point counts must agree.
void BM_MeasAllContours(benchmark::State& state)
{
    const std::vector<uint8_t> source = blobs();
    Picture pic(8, source);
    uint64_t points = 0, contours = 0;
    const auto ours = [&] {
        points = contours = 0;
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
    };
    const cv::Mat src(kCvSide, kCvSide, CV_8U, const_cast<uint8_t*>(source.data()));
    std::vector<std::vector<cv::Point>> cvContours;
    const auto peer = [&] {
        cv::findContours(src, cvContours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_NONE);
        benchmark::DoNotOptimize(cvContours.data());
    };
    ours();
    peer();
    uint64_t cvPoints = 0;
    for (const auto& c : cvContours)
        cvPoints += c.size();
    if (contours != cvContours.size() || points != cvPoints) {
        state.SkipWithError("contours differ from cv::findContours");
        return;
    }
    bench::sideBySide(state, ours, peer);
    state.counters["points"] = double(points);
    bench::countFramePixels(state);
}

// Labels of every object, after a copy of the 65535-marked source, against
// connectedComponents to 16-bit labels. Labels may be numbered in another
// order: the object count and the labelled pixels are compared.
void BM_MeasPaintAllObjects(benchmark::State& state)
{
    const std::vector<uint8_t> source = blobs();
    Picture marked(16, source, 257), pic(16, source, 257);
    const size_t bytes = marked.get()->uiSize;
    int status = 0, objects = 0;
    const auto ours = [&] {
        std::memcpy(pic.get()->pData, marked.get()->pData, bytes);
        status = CLxPicMeasAPI::PaintAllObjects(pic.get(), 8);
    };
    const cv::Mat src(kCvSide, kCvSide, CV_8U, const_cast<uint8_t*>(source.data()));
    cv::Mat labels(kCvSide, kCvSide, CV_16U, cv::Scalar(0));
    const auto peer = [&] { objects = cv::connectedComponents(src, labels, 8, CV_16U); };
    ours();
    peer();
    double most = 0;
    cv::minMaxLoc(pic.view(), nullptr, &most);
    cv::Mat oursSet, peerSet;
    cv::compare(pic.view(), 0, oursSet, cv::CMP_NE);
    cv::compare(labels, 0, peerSet, cv::CMP_NE);
    if (status != 0 || int(most) != objects - 1 || differing(oursSet, peerSet) != 0) {
        state.SkipWithError("labels differ from cv::connectedComponents");
        return;
    }
    bench::sideBySide(state, ours, peer);
    state.counters["objects"] = most;
    bench::countFramePixels(state);
}

// The holes filled, against the background flooded from every border pixel
// and what is left of it joined to the objects; both give the same pixels.
void BM_MeasFillHoles(benchmark::State& state)
{
    const std::vector<uint8_t> source = blobs();
    BinFrame src(source), dst;
    int status = 0;
    const auto ours = [&] { status = CLxBinPicBufAPI::FillHoles(dst.get(), src.get()); };
    const cv::Mat cvSrc(kCvSide, kCvSide, CV_8U, const_cast<uint8_t*>(source.data()));
    cv::Mat work(kCvSide, kCvSide, CV_8U, cv::Scalar(0)), holes = work.clone(),
                                                          filled = work.clone();
    const auto peer = [&] {
        cvSrc.copyTo(work);
        floodBorder(work);
        cv::compare(work, 0, holes, cv::CMP_EQ);
        cv::bitwise_or(cvSrc, holes, filled);
    };
    ours();
    peer();
    if (status != 0 || differing(dst.bytes(), filled) != 0) {
        state.SkipWithError("filled pixels differ from the border floodFill");
        return;
    }
    bench::sideBySide(state, ours, peer);
    bench::countFramePixels(state);
}

// Filled convex hulls against findContours + convexHull + fillPoly. The
// hulls are not the same polygons (ours a fan of support directions step
// degrees apart) nor rasterised alike: the differing pixels are shown, not
// checked.
void BM_MeasConvexHull(benchmark::State& state, int step)
{
    const std::vector<uint8_t> source = blobs();
    BinFrame src(source), dst;
    int status = 0;
    const auto ours = [&] {
        status = CLxBinPicBufAPI::ConvexHull(dst.get(), src.get(), false, false, step);
    };
    const cv::Mat cvSrc(kCvSide, kCvSide, CV_8U, const_cast<uint8_t*>(source.data()));
    std::vector<std::vector<cv::Point>> contours;
    cv::Mat out(kCvSide, kCvSide, CV_8U, cv::Scalar(0));
    std::vector<cv::Point> hull;
    const auto peer = [&] {
        out.setTo(0);
        cv::findContours(cvSrc, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_NONE);
        for (const auto& c : contours) {
            cv::convexHull(c, hull);
            cv::fillPoly(out, std::vector<std::vector<cv::Point>>{hull}, 255);
        }
    };
    ours();
    peer();
    if (status != 0) {
        state.SkipWithError("ours failed");
        return;
    }
    const int diff = differing(dst.bytes(), out);
    bench::sideBySide(state, ours, peer);
    state.counters["differing_pixels"] = diff;
    bench::countFramePixels(state);
}

const bool kRegistered = [] {
    for (const uint32_t bits : {8u, 16u})
        for (const uint32_t conn : {4u, 8u})
            benchmark::RegisterBenchmark(("BM_MeasPaint/1x" + std::to_string(bits) + "/conn" +
                                          std::to_string(conn) + "/vs_opencv")
                                             .c_str(),
                                         BM_MeasPaint, bits, conn)
                ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_MeasAllContours/1x8/vs_opencv", BM_MeasAllContours)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_MeasPaintAllObjects/1x16/vs_opencv", BM_MeasPaintAllObjects)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_MeasFillHoles/bin/vs_opencv", BM_MeasFillHoles)
        ->Unit(benchmark::kMicrosecond);
    for (const int step : {1, 5})
        benchmark::RegisterBenchmark(
            ("BM_MeasConvexHull/bin/step" + std::to_string(step) + "/vs_opencv").c_str(),
            BM_MeasConvexHull, step)
            ->Unit(benchmark::kMicrosecond);
    return true;
}();

#endif

} // namespace
