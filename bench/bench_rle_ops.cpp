// Zoomed copies of run-length objects and 3 x 3 erosion of a painted
// picture, beside OpenCV doing the same on the 8-bit mask: cv::resize
// (INTER_NEAREST_EXACT) of the window, cv::erode + cv::connectedComponents.
#include "bench_blob_field.h"
#include "bench_support.h"

#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "gnr_picture/RLEPicBufAPI/LxRLEPicBufAPI.h"

namespace
{

using bench::kSide;

// The window: kSide x kSide zoomed pixels in the middle of the picture
// magnified twice, i.e. source pixels kSide / 4 .. 3 kSide / 4.
constexpr uint32_t kZoomed = 2 * kSide;
constexpr uint32_t kWindowOffset = kSide / 2;

const std::vector<uint8_t>& Mask()
{
    static const std::vector<uint8_t> mask = [] {
        std::mt19937 rng(4242);
        return bench::blobMask(rng);
    }();
    return mask;
}

struct PaintedField {
    PaintedField()
    {
        CLxRLEPicBufAPI::Init(&rec, 0, true);
        SLxBinPicBuf bin;
        CLxBinPicBufAPI::Init(&bin);
        CLxBinPicBufAPI::Reinit(&bin, kSide, kSide, 0, true);
        auto* data = static_cast<uint8_t*>(bin.pData);
        const std::vector<uint8_t>& m = Mask();
        for (uint32_t y = 0; y < kSide; ++y)
            for (uint32_t x = 0; x < kSide; ++x)
                if (m[size_t(y) * kSide + x])
                    data[size_t(y) * bin.uiWidthBytes + x / 8] |= uint8_t(0x80u >> (x % 8));
        CLxRLEPicBufAPI::ConvertBinPicBufToPaintedRLE(&rec, &bin);
        CLxBinPicBufAPI::Free(&bin);
    }
    ~PaintedField() { CLxRLEPicBufAPI::Free(&rec); }
    SLxRLEPicBuf rec;
};

void BM_RLEStretchDisplay2x(benchmark::State& state)
{
    PaintedField field;
    SLxRLEPicBuf zoomed;
    CLxRLEPicBufAPI::Init(&zoomed, 0, true);
    for (auto _ : state) {
        if (CLxRLEPicBufAPI::StretchDisplay(&zoomed, kSide, kSide, kZoomed, kZoomed, kWindowOffset,
                                            kWindowOffset, &field.rec) != 0)
            state.SkipWithError("zoom failed");
        benchmark::DoNotOptimize(zoomed.uiObjectCount);
    }
    state.counters["objects"] = zoomed.uiObjectCount;
    CLxRLEPicBufAPI::Free(&zoomed);
    bench::countFramePixels(state);
}
BENCHMARK(BM_RLEStretchDisplay2x)->Unit(benchmark::kMicrosecond);

void BM_RLEErode3x3Count(benchmark::State& state)
{
    PaintedField field;
    SLxRLEPicBuf eroded;
    CLxRLEPicBufAPI::Init(&eroded, 0, true);
    for (auto _ : state) {
        if (CLxRLEPicBufAPI::Erode3x3_Count(&eroded, &field.rec, 1) != 0)
            state.SkipWithError("erosion failed");
        benchmark::DoNotOptimize(eroded.uiObjectCount);
    }
    state.counters["objects"] = eroded.uiObjectCount;
    CLxRLEPicBufAPI::Free(&eroded);
    bench::countFramePixels(state);
}
BENCHMARK(BM_RLEErode3x3Count)->Unit(benchmark::kMicrosecond);

#ifdef QUELVIX_HAVE_OPENCV
cv::Mat CvMask()
{
    std::vector<uint8_t> m = Mask();
    for (uint8_t& v : m)
        v = v ? 255 : 0;
    return cv::Mat(bench::kCvSide, bench::kCvSide, CV_8U, m.data()).clone();
}

void BM_CvResizeNearestExact2x(benchmark::State& state)
{
    const cv::Mat mask = CvMask();
    const int quarter = bench::kCvSide / 4;
    const cv::Mat window = mask(cv::Rect(quarter, quarter, 2 * quarter, 2 * quarter));
    bench::useOneCvThread();
    cv::Mat zoomed;
    for (auto _ : state) {
        cv::resize(window, zoomed, cv::Size(bench::kCvSide, bench::kCvSide), 0, 0,
                   cv::INTER_NEAREST_EXACT);
        benchmark::DoNotOptimize(zoomed.data);
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_CvResizeNearestExact2x)->Unit(benchmark::kMicrosecond);

void BM_CvErodeConnectedComponents(benchmark::State& state)
{
    const cv::Mat mask = CvMask();
    const cv::Mat kernel = cv::Mat::ones(3, 3, CV_8U);
    bench::useOneCvThread();
    cv::Mat eroded, labels;
    int n = 0;
    for (auto _ : state) {
        cv::erode(mask, eroded, kernel, cv::Point(-1, -1), 1, cv::BORDER_REPLICATE);
        n = cv::connectedComponents(eroded, labels, 8, CV_32S);
        benchmark::DoNotOptimize(n);
    }
    state.counters["objects"] = n - 1;
    bench::countFramePixels(state);
}
BENCHMARK(BM_CvErodeConnectedComponents)->Unit(benchmark::kMicrosecond);
#endif

} // namespace
