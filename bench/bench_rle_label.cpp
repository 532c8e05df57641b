// 8-connected labelling into run-length objects beside
// cv::connectedComponentsWithStats (which, like ours, gives each object's
// area and box), and hole filling beside a floodFill of the framed picture, side by side on
// one thread over fields of every shape: sparse and dense noise, a
// checkerboard (one object of 2 M diagonal pixels, 2 M holes), 1 M isolated
// pixels and random blobs. Both sides keep their outputs between iterations;
// the outputs are compared once before timing.
#include "bench_blob_field.h"
#include "bench_support.h"

#ifdef QUELVIX_HAVE_OPENCV

#include <cstring>
#include <random>

#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "gnr_picture/RLEPicBufAPI/LxRLEPicBufAPI.h"

namespace
{

using bench::kCvSide;
using bench::kSide;

enum Shape { Noise5, Noise50, Checkerboard, Isolated, Blobs };

// 255 for set pixels, 0 for clear ones.
std::vector<uint8_t> field(int shape)
{
    std::vector<uint8_t> v(size_t(kSide) * kSide, 0);
    std::mt19937 rng(5454);
    if (shape == Blobs) {
        v = bench::blobMask(rng);
        for (uint8_t& b : v)
            b = b ? 255 : 0;
        return v;
    }
    for (uint32_t y = 0; y < kSide; ++y)
        for (uint32_t x = 0; x < kSide; ++x) {
            bool set = false;
            switch (shape) {
            case Noise5:
                set = rng() % 100 < 5;
                break;
            case Noise50:
                set = rng() & 1;
                break;
            case Checkerboard:
                set = (x + y) % 2 == 0;
                break;
            case Isolated:
                set = x % 2 == 0 && y % 2 == 0;
                break;
            }
            v[size_t(y) * kSide + x] = set ? 255 : 0;
        }
    return v;
}

class Bits
{
  public:
    explicit Bits(const std::vector<uint8_t>& bytes)
    {
        CLxBinPicBufAPI::Init(&pic_);
        CLxBinPicBufAPI::Reinit(&pic_, kSide, kSide, 0, true);
        for (uint32_t y = 0; y < kSide; ++y)
            for (uint32_t x = 0; x < kSide; ++x)
                if (bytes[size_t(y) * kSide + x])
                    row(y)[x / 8] |= uint8_t(0x80u >> (x % 8));
    }
    ~Bits() { CLxBinPicBufAPI::Free(&pic_); }
    Bits(const Bits&) = delete;
    Bits& operator=(const Bits&) = delete;
    SLxBinPicBuf* get() { return &pic_; }
    uint8_t* row(uint32_t y)
    {
        return static_cast<uint8_t*>(pic_.pData) + size_t(y) * pic_.uiWidthBytes;
    }
    bool at(uint32_t x, uint32_t y) { return (row(y)[x / 8] >> (7 - x % 8)) & 1; }

  private:
    SLxBinPicBuf pic_;
};

void BM_LabelBinToRLEVsCvStats(benchmark::State& state)
{
    const std::vector<uint8_t> bytes = field(int(state.range(0)));
    Bits bits(bytes);
    const cv::Mat src(kCvSide, kCvSide, CV_8U, const_cast<uint8_t*>(bytes.data()));
    cv::Mat labels, stats, centroids;
    SLxRLEPicBuf rle;
    CLxRLEPicBufAPI::Init(&rle, 0, true);
    bench::useOneCvThread();
    const int n = cv::connectedComponentsWithStats(src, labels, stats, centroids, 8, CV_32S);
    CLxRLEPicBufAPI::ConvertBinPicBufToPaintedRLE(&rle, bits.get());
    std::vector<uint32_t> ours, theirs;
    for (const SLxRLEObject* o = CLxRLEPicBufAPI::GetNextRLEObject(&rle, nullptr); o;
         o = CLxRLEPicBufAPI::GetNextRLEObject(&rle, o))
        ours.push_back(CLxRLEPicBufAPI::GetRLEObjectArea(o));
    for (int i = 1; i < n; ++i)
        theirs.push_back(uint32_t(stats.at<int>(i, cv::CC_STAT_AREA)));
    std::sort(ours.begin(), ours.end());
    std::sort(theirs.begin(), theirs.end());
    if (ours != theirs) {
        state.SkipWithError("objects differ from connectedComponentsWithStats");
        CLxRLEPicBufAPI::Free(&rle);
        return;
    }
    bench::sideBySide(
        state, [&] { CLxRLEPicBufAPI::ConvertBinPicBufToPaintedRLE(&rle, bits.get()); },
        [&] { cv::connectedComponentsWithStats(src, labels, stats, centroids, 8, CV_32S); });
    state.counters["objects"] = double(ours.size());
    CLxRLEPicBufAPI::Free(&rle);
    bench::countFramePixels(state);
}
BENCHMARK(BM_LabelBinToRLEVsCvStats)
    ->ArgName("field")
    ->DenseRange(Noise5, Blobs)
    ->Unit(benchmark::kMillisecond);

// The holes the usual way: the picture framed by one clear pixel, the frame
// flooded (4 neighbours) with 128; the background left at 0 is the holes.
void floodFromFrame(const cv::Mat& source, cv::Mat& framed)
{
    cv::copyMakeBorder(source, framed, 1, 1, 1, 1, cv::BORDER_CONSTANT, 0);
    cv::floodFill(framed, cv::Point(0, 0), 128, nullptr, 0, 0, 4);
}

void BM_FillHolesVsCvFlood(benchmark::State& state)
{
    const std::vector<uint8_t> bytes = field(int(state.range(0)));
    Bits src(bytes), dst(std::vector<uint8_t>(bytes.size(), 0));
    const cv::Mat source(kCvSide, kCvSide, CV_8U, const_cast<uint8_t*>(bytes.data()));
    cv::Mat work;
    floodFromFrame(source, work);
    CLxBinPicBufAPI::FillHoles(dst.get(), src.get());
    for (uint32_t y = 0; y < kSide; ++y)
        for (uint32_t x = 0; x < kSide; ++x)
            if (dst.at(x, y) != (work.at<uint8_t>(int(y) + 1, int(x) + 1) != 128)) {
                state.SkipWithError("filled pixels differ from the border floodFill");
                return;
            }
    bench::sideBySide(
        state, [&] { CLxBinPicBufAPI::FillHoles(dst.get(), src.get()); },
        [&] { floodFromFrame(source, work); });
    bench::countFramePixels(state);
}
BENCHMARK(BM_FillHolesVsCvFlood)
    ->ArgName("field")
    ->DenseRange(Noise5, Blobs)
    ->Unit(benchmark::kMillisecond);

} // namespace

#endif
