// Binary erosion and dilation of a 2048 x 2048 one-bit picture, side by side
// with cv::erode / cv::dilate on 0/255 bytes, and the 3 x 3 erosion also
// with libvips' vips_morph, each on one thread. Ours and the peer alternate
// inside one case on the same warm buffers; the outputs are compared once
// before timing (a mismatch fails the case) and the counter "ratio" is ours
// over the peer. Items are pixels.
// Names: BM_BinMorph/<operation>/bin/vs_<peer>.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"

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

// The source as bytes and as bits, our destination and the peer's byte
// output, all allocated and touched before timing.
struct BinFrame {
    SLxBinPicBuf src, dst;
    std::vector<uint8_t> in = bytes(), out = std::vector<uint8_t>(in.size(), 0);
    BinFrame()
    {
        CLxBinPicBufAPI::Init(&src);
        CLxBinPicBufAPI::Init(&dst);
        CLxBinPicBufAPI::Reinit(&src, kSide, kSide, 0, true);
        CLxBinPicBufAPI::Reinit(&dst, kSide, kSide, 0, true);
        for (uint32_t y = 0; y < kSide; ++y)
            for (uint32_t x = 0; x < kSide; ++x)
                if (in[size_t(y) * kSide + x])
                    static_cast<uint8_t*>(src.pData)[size_t(y) * src.uiWidthBytes + x / 8] |=
                        uint8_t(0x80u >> (x % 8));
    }
    ~BinFrame()
    {
        CLxBinPicBufAPI::Free(&src);
        CLxBinPicBufAPI::Free(&dst);
    }
    BinFrame(const BinFrame&) = delete;
    BinFrame& operator=(const BinFrame&) = delete;

    bool equals(const uint8_t* want) const
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

// Runs ours and the peer once, compares, and times them side by side.
[[maybe_unused]] void runCase(benchmark::State& state, BinFrame& f, Case c,
                              const std::function<void()>& peer, const uint8_t* peerOut)
{
    int status = 0;
    const auto ours = [&] { status = runOurs(f, c); };
    ours();
    if (status != 0) {
        state.SkipWithError("operation failed");
        return;
    }
    peer();
    if (!f.equals(peerOut)) {
        state.SkipWithError("result differs from the peer");
        return;
    }
    bench::sideBySide(state, ours, peer);
    bench::countFramePixels(state);
}

#ifdef QUELVIX_HAVE_OPENCV
void versusOpenCv(benchmark::State& state, Case c)
{
    BinFrame f;
    const int side = bench::kCvSide;
    const cv::Mat in(side, side, CV_8U, f.in.data());
    cv::Mat out(side, side, CV_8U, f.out.data()), mid(side, side, CV_8U, cv::Scalar(0));
    const cv::Mat square = cv::Mat::ones(3, 3, CV_8U);
    const cv::Mat cross = cv::getStructuringElement(cv::MORPH_CROSS, cv::Size(3, 3));
    const cv::Point a(-1, -1);
    // The octagon is a square then a cross, two passes where ours makes one.
    const auto peer = [&] {
        switch (c) {
        case kErode3:
            cv::erode(in, out, square, a, 1, cv::BORDER_REPLICATE);
            break;
        case kDilate3:
            cv::dilate(in, out, square, a, 1, cv::BORDER_REPLICATE);
            break;
        case kErode5Oct:
            cv::erode(in, mid, square, a, 1, cv::BORDER_REPLICATE);
            cv::erode(mid, out, cross, a, 1, cv::BORDER_REPLICATE);
            break;
        case kErode3Times10:
            cv::erode(in, out, square, a, 10, cv::BORDER_REPLICATE);
            break;
        }
    };
    runCase(state, f, c, peer, f.out.data());
}
#endif

#ifdef QUELVIX_HAVE_VIPS
// vips_morph with a 3 x 3 mask (255 must be set) on the same bytes, written
// to memory that libvips allocates each call, as it does.
void versusVips(benchmark::State& state, Case c)
{
    if (!bench::startVipsOnOneThread()) {
        state.SkipWithError("libvips did not start");
        return;
    }
    BinFrame f;
    VipsImage* image = vips_image_new_from_memory(f.in.data(), f.in.size(), int(kSide), int(kSide),
                                                  1, VIPS_FORMAT_UCHAR);
    VipsImage* mask = vips_image_new_matrix(3, 3);
    for (int i = 0; i < 9; ++i)
        *VIPS_MATRIX(mask, i % 3, i / 3) = 255;
    bool failed = false, keep = true;
    const auto peer = [&] {
        VipsImage* out = nullptr;
        void* memory = nullptr;
        size_t size = 0;
        if (!vips_morph(image, &out, mask, VIPS_OPERATION_MORPHOLOGY_ERODE, nullptr)) {
            memory = vips_image_write_to_memory(out, &size);
            g_object_unref(out);
        }
        if (!memory || size != f.out.size())
            failed = true;
        else if (keep)
            std::memcpy(f.out.data(), memory, size);
        g_free(memory);
    };
    peer();
    keep = false;
    if (!failed)
        runCase(state, f, c, peer, f.out.data());
    if (failed)
        state.SkipWithError("vips_morph failed");
    g_object_unref(mask);
    g_object_unref(image);
}
#endif

const bool kRegistered = [] {
    const struct {
        const char* name;
        Case c;
    } cases[] = {
        {"Erode3x3", kErode3},
        {"Dilate3x3", kDilate3},
        {"Erode5x5Oct", kErode5Oct},
        {"Erode3x3Times10", kErode3Times10},
    };
    for (const auto& k : cases) {
        const std::string base = std::string("BM_BinMorph/") + k.name + "/bin";
#ifdef QUELVIX_HAVE_OPENCV
        benchmark::RegisterBenchmark((base + "/vs_opencv").c_str(), versusOpenCv, k.c)
            ->Unit(benchmark::kMicrosecond);
#endif
#ifdef QUELVIX_HAVE_VIPS
        if (k.c == kErode3)
            benchmark::RegisterBenchmark((base + "/vs_vips").c_str(), versusVips, k.c)
                ->Unit(benchmark::kMicrosecond);
#endif
        (void)base;
    }
    return true;
}();

} // namespace
