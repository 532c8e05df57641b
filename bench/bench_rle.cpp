// Labelling into run-length objects and tracing their contours, beside
// cv::connectedComponents and cv::findContours on the same field of blobs.
#include "bench_blob_field.h"
#include "bench_support.h"

#include <random>

#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/RLEPicBufAPI/LxRLEPicBufAPI.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

using bench::kSide;

// The blob field with sample values 1..250 (8 bits) or 1..4000 (16 bits)
// inside, 0 outside.
std::vector<uint8_t> BlobField(uint32_t bytes)
{
    std::mt19937 rng(4141);
    const std::vector<uint8_t> mask = bench::blobMask(rng);
    std::vector<uint8_t> out(mask.size() * bytes, 0);
    for (size_t i = 0; i < mask.size(); ++i) {
        if (!mask[i])
            continue;
        uint32_t v = bytes == 1 ? 1 + rng() % 250 : 1 + rng() % 4000;
        std::memcpy(&out[i * bytes], &v, bytes);
    }
    return out;
}

const std::vector<uint8_t>& Field(uint32_t bytes)
{
    static const std::vector<uint8_t> f8 = BlobField(1), f16 = BlobField(2);
    return bytes == 1 ? f8 : f16;
}

struct Picture {
    explicit Picture(uint32_t bytes)
    {
        CLxPicBufAPI::Init(&pic);
        CLxPicBufAPI::Reinit(&pic, kSide, kSide, kSide * bytes, bytes == 1 ? 8 : 16, 1, false);
        std::memcpy(pic.pData, Field(bytes).data(), Field(bytes).size());
    }
    ~Picture() { CLxPicBufAPI::Free(&pic); }
    SLxPicBuf pic;
};

struct Binary {
    Binary()
    {
        CLxBinPicBufAPI::Init(&bin);
        CLxBinPicBufAPI::Reinit(&bin, kSide, kSide, 0, true);
        const std::vector<uint8_t>& f = Field(1);
        auto* data = static_cast<uint8_t*>(bin.pData);
        for (uint32_t y = 0; y < kSide; ++y)
            for (uint32_t x = 0; x < kSide; ++x)
                if (f[size_t(y) * kSide + x])
                    data[size_t(y) * bin.uiWidthBytes + x / 8] |= uint8_t(0x80u >> (x % 8));
    }
    ~Binary() { CLxBinPicBufAPI::Free(&bin); }
    SLxBinPicBuf bin;
};

void BM_RLEPaintedFromPicBuf(benchmark::State& state)
{
    Picture p(uint32_t(state.range(0)));
    SLxRLEPicBuf rle;
    CLxRLEPicBufAPI::Init(&rle, 0, true);
    for (auto _ : state) {
        if (CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(&rle, &p.pic) != 0)
            state.SkipWithError("labelling failed");
        benchmark::DoNotOptimize(rle.uiObjectCount);
    }
    state.counters["objects"] = rle.uiObjectCount;
    CLxRLEPicBufAPI::Free(&rle);
    bench::countFramePixels(state);
}
BENCHMARK(BM_RLEPaintedFromPicBuf)->ArgName("bytes")->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_RLEPaintedFromBinPicBuf(benchmark::State& state)
{
    Binary b;
    SLxRLEPicBuf rle;
    CLxRLEPicBufAPI::Init(&rle, 0, true);
    for (auto _ : state) {
        CLxRLEPicBufAPI::ConvertBinPicBufToPaintedRLE(&rle, &b.bin);
        benchmark::DoNotOptimize(rle.uiObjectCount);
    }
    state.counters["objects"] = rle.uiObjectCount;
    CLxRLEPicBufAPI::Free(&rle);
    bench::countFramePixels(state);
}
BENCHMARK(BM_RLEPaintedFromBinPicBuf)->Unit(benchmark::kMicrosecond);

void BM_RLEContourPoints(benchmark::State& state)
{
    Picture p(1);
    SLxRLEPicBuf rle;
    CLxRLEPicBufAPI::Init(&rle, 0, true);
    CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(&rle, &p.pic);
    uint64_t points = 0;
    for (auto _ : state) {
        points = 0;
        for (const SLxRLEObject* o = CLxRLEPicBufAPI::GetNextRLEObject(&rle, nullptr); o;
             o = CLxRLEPicBufAPI::GetNextRLEObject(&rle, o)) {
            SLxContour* c = CLxRLEPicBufAPI::ContourPoints(o);
            points += c ? c->uiCount : 0;
            CLxAlloc::Free(c);
        }
        benchmark::DoNotOptimize(points);
    }
    state.counters["points"] = double(points);
    CLxRLEPicBufAPI::Free(&rle);
    bench::countFramePixels(state);
}
BENCHMARK(BM_RLEContourPoints)->Unit(benchmark::kMicrosecond);

#ifdef QUELVIX_HAVE_OPENCV
// The peer of the 16-bit case turns the samples into a mask first, as a
// label image needs; that step is timed with it.
void BM_CvConnectedComponents(benchmark::State& state)
{
    const uint32_t bytes = uint32_t(state.range(0));
    std::vector<uint8_t> pixels = Field(bytes);
    const cv::Mat src(bench::kCvSide, bench::kCvSide, bytes == 1 ? CV_8U : CV_16U, pixels.data());
    bench::useOneCvThread();
    cv::Mat mask, labels;
    int n = 0;
    for (auto _ : state) {
        if (bytes == 1) {
            n = cv::connectedComponents(src, labels, 8, CV_32S);
        } else {
            cv::compare(src, 0, mask, cv::CMP_NE);
            n = cv::connectedComponents(mask, labels, 8, CV_32S);
        }
        benchmark::DoNotOptimize(n);
    }
    state.counters["objects"] = n - 1;
    bench::countFramePixels(state);
}
BENCHMARK(BM_CvConnectedComponents)
    ->ArgName("bytes")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMicrosecond);

void BM_CvFindContours(benchmark::State& state)
{
    std::vector<uint8_t> pixels = Field(1);
    const cv::Mat src(bench::kCvSide, bench::kCvSide, CV_8U, pixels.data());
    bench::useOneCvThread();
    uint64_t points = 0;
    std::vector<std::vector<cv::Point>> contours;
    for (auto _ : state) {
        cv::findContours(src, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_NONE);
        points = 0;
        for (const auto& c : contours)
            points += c.size();
        benchmark::DoNotOptimize(points);
    }
    state.counters["points"] = double(points);
    bench::countFramePixels(state);
}
BENCHMARK(BM_CvFindContours)->Unit(benchmark::kMicrosecond);
#endif

} // namespace
