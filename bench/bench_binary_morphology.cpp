// Binary erosion and dilation of a 2048 x 2048 one-bit picture beside
// cv::erode / cv::dilate on 0/255 bytes and libvips' vips_morph, all on one
// thread. Each case first checks that its result equals OpenCV's. Items are
// pixels.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "bench_support.h"
#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"

#ifdef QUELVIX_HAVE_OPENCV
#include <opencv2/imgproc.hpp>
#endif

namespace
{

using bench::kSide;

// Blobs: mostly set regions with noise, so that erosion has work to do.
std::vector<uint8_t> bytes()
{
    std::vector<uint8_t> v(size_t(kSide) * kSide);
    uint32_t state = 4321;
    for (uint32_t y = 0; y < kSide; ++y)
        for (uint32_t x = 0; x < kSide; ++x) {
            state = state * 1103515245u + 12345u;
            bool blob = ((x / 37) + (y / 29)) % 3 != 0;
            bool noise = (state >> 24) < 12;
            v[size_t(y) * kSide + x] = (blob != noise) ? 255 : 0;
        }
    return v;
}

struct BinFrame {
    SLxBinPicBuf src, dst;
    BinFrame()
    {
        CLxBinPicBufAPI::Init(&src);
        CLxBinPicBufAPI::Init(&dst);
        CLxBinPicBufAPI::Reinit(&src, kSide, kSide, 0, true);
        CLxBinPicBufAPI::Reinit(&dst, kSide, kSide, 0, true);
        std::vector<uint8_t> b = bytes();
        for (uint32_t y = 0; y < kSide; ++y)
            for (uint32_t x = 0; x < kSide; ++x)
                if (b[size_t(y) * kSide + x])
                    static_cast<uint8_t*>(src.pData)[size_t(y) * src.uiWidthBytes + x / 8] |=
                        uint8_t(0x80u >> (x % 8));
    }
    ~BinFrame()
    {
        CLxBinPicBufAPI::Free(&src);
        CLxBinPicBufAPI::Free(&dst);
    }
    bool equals(const std::vector<uint8_t>& want) const
    {
        for (uint32_t y = 0; y < kSide; ++y)
            for (uint32_t x = 0; x < kSide; ++x) {
                bool bit =
                    static_cast<const uint8_t*>(dst.pData)[size_t(y) * dst.uiWidthBytes + x / 8] &
                    (0x80u >> (x % 8));
                if (bit != (want[size_t(y) * kSide + x] != 0))
                    return false;
            }
        return true;
    }
};

enum Case { kErode3, kDilate3, kErode5Oct, kErode3Times10 };

int runOurs(BinFrame& f, Case c)
{
    switch (c) {
    case kErode3:
        return CLxBinPicBufAPI::Erode3x3_Count(&f.dst, &f.src, 1);
    case kDilate3:
        return CLxBinPicBufAPI::Dilate3x3_Count(&f.dst, &f.src, 1);
    case kErode5Oct:
        return CLxBinPicBufAPI::Erode5x5Oct_Count(&f.dst, &f.src, 1);
    case kErode3Times10:
        return CLxBinPicBufAPI::Erode3x3_Count(&f.dst, &f.src, 10);
    }
    return -1;
}

#ifdef QUELVIX_HAVE_OPENCV
void runOpenCV(const cv::Mat& in, cv::Mat& out, Case c)
{
    const cv::Mat square = cv::Mat::ones(3, 3, CV_8U);
    const cv::Mat cross = cv::getStructuringElement(cv::MORPH_CROSS, cv::Size(3, 3));
    const cv::Point a(-1, -1);
    switch (c) {
    case kErode3:
        cv::erode(in, out, square, a, 1, cv::BORDER_REPLICATE);
        break;
    case kDilate3:
        cv::dilate(in, out, square, a, 1, cv::BORDER_REPLICATE);
        break;
    case kErode5Oct: {
        cv::Mat mid;
        cv::erode(in, mid, square, a, 1, cv::BORDER_REPLICATE);
        cv::erode(mid, out, cross, a, 1, cv::BORDER_REPLICATE);
        break;
    }
    case kErode3Times10:
        cv::erode(in, out, square, a, 10, cv::BORDER_REPLICATE);
        break;
    }
}
#endif

void BM_BinMorph(benchmark::State& state)
{
    const Case c = Case(state.range(0));
    BinFrame f;
#ifdef QUELVIX_HAVE_OPENCV
    bench::useOneCvThread();
    std::vector<uint8_t> in = bytes();
    cv::Mat inMat(static_cast<int>(kSide), static_cast<int>(kSide), CV_8U, in.data()), want;
    runOpenCV(inMat, want, c);
    runOurs(f, c);
    if (!f.equals(std::vector<uint8_t>(want.datastart, want.dataend))) {
        state.SkipWithError("result differs from OpenCV");
        return;
    }
#endif
    for (auto _ : state) {
        runOurs(f, c);
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_BinMorph)->ArgName("case")->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

#ifdef QUELVIX_HAVE_OPENCV
void BM_CvMorph(benchmark::State& state)
{
    const Case c = Case(state.range(0));
    bench::useOneCvThread();
    std::vector<uint8_t> in = bytes();
    cv::Mat inMat(static_cast<int>(kSide), static_cast<int>(kSide), CV_8U, in.data()), out;
    for (auto _ : state) {
        runOpenCV(inMat, out, c);
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_CvMorph)->ArgName("case")->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
#endif

#ifdef QUELVIX_HAVE_VIPS
// vips_morph with a 3 x 3 mask (255 must be set) on the same bytes.
void BM_VipsMorphErode3x3(benchmark::State& state)
{
    if (!bench::startVipsOnOneThread()) {
        state.SkipWithError("libvips did not start");
        return;
    }
    std::vector<uint8_t> in = bytes();
    VipsImage* image = vips_image_new_from_memory(in.data(), in.size(), int(kSide), int(kSide), 1,
                                                  VIPS_FORMAT_UCHAR);
    VipsImage* mask = vips_image_new_matrix(3, 3);
    for (int i = 0; i < 9; ++i)
        *VIPS_MATRIX(mask, i % 3, i / 3) = 255;
    for (auto _ : state) {
        VipsImage* out = nullptr;
        if (vips_morph(image, &out, mask, VIPS_OPERATION_MORPHOLOGY_ERODE, nullptr)) {
            state.SkipWithError("vips_morph failed");
            break;
        }
        bench::evaluateVips(out);
    }
    g_object_unref(mask);
    g_object_unref(image);
    bench::countFramePixels(state);
}
BENCHMARK(BM_VipsMorphErode3x3)->Unit(benchmark::kMicrosecond);
#endif

} // namespace
