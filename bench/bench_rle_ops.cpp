// Zoomed copies of run-length objects and 3 x 3 erosion of a painted
// picture, side by side on one thread with OpenCV doing the same on the
// 8-bit mask: cv::resize (INTER_NEAREST_EXACT) of the window, cv::erode +
// cv::connectedComponents. Ours and the peer alternate inside one case on
// the same warm buffers; before timing the pixels of both results are
// compared once (a mismatch fails the case). The counter "ratio" is ours over
// the peer. Items are pixels.
// Names: BM_RLE<operation>/painted/vs_opencv.
#include "bench_blob_field.h"
#include "bench_support.h"

#include <functional>

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
        CLxRLEPicBufAPI::Init(&out, 0, true);
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
    ~PaintedField()
    {
        CLxRLEPicBufAPI::Free(&rec);
        CLxRLEPicBufAPI::Free(&out);
    }
    PaintedField(const PaintedField&) = delete;
    PaintedField& operator=(const PaintedField&) = delete;
    // The source and our result, reused by every run.
    SLxRLEPicBuf rec, out;
};

#ifdef QUELVIX_HAVE_OPENCV
cv::Mat CvMask()
{
    std::vector<uint8_t> m = Mask();
    for (uint8_t& v : m)
        v = v ? 255 : 0;
    return cv::Mat(bench::kCvSide, bench::kCvSide, CV_8U, m.data()).clone();
}

// Whether the kSide x kSide pixels at (offset, offset) of our result are
// the peer's set bytes.
bool samePixels(const SLxRLEPicBuf& rec, uint32_t offset, const cv::Mat& want)
{
    SLxBinPicBuf bin;
    CLxBinPicBufAPI::Init(&bin);
    CLxBinPicBufAPI::Reinit(&bin, rec.uiWidth, rec.uiHeight, 0, true);
    bool same = rec.uiWidth >= offset + kSide && rec.uiHeight >= offset + kSide &&
                CLxRLEPicBufAPI::ConvertRLEToBinPicBuf(&bin, &rec) == 0;
    const auto* data = static_cast<const uint8_t*>(bin.pData);
    for (uint32_t y = offset; same && y < offset + kSide; ++y)
        for (uint32_t x = offset; same && x < offset + kSide; ++x) {
            const bool bit = data[size_t(y) * bin.uiWidthBytes + x / 8] & (0x80u >> (x % 8));
            same = bit == (want.at<uint8_t>(int(y - offset), int(x - offset)) != 0);
        }
    CLxBinPicBufAPI::Free(&bin);
    return same;
}

void runCase(benchmark::State& state, const std::function<int()>& op, PaintedField& field,
             const std::function<void()>& peer, uint32_t offset, const cv::Mat& peerOut,
             int peerObjects)
{
    int status = 0;
    const auto ours = [&] { status = op(); };
    bench::useOneCvThread();
    ours();
    peer();
    if (status != 0) {
        state.SkipWithError("operation failed");
        return;
    }
    if (!samePixels(field.out, offset, peerOut)) {
        state.SkipWithError("pixels differ from OpenCV's");
        return;
    }
    if (peerObjects >= 0 && field.out.uiObjectCount != uint32_t(peerObjects)) {
        state.SkipWithError("object count differs from OpenCV's");
        return;
    }
    bench::sideBySide(state, ours, peer);
    state.counters["objects"] = field.out.uiObjectCount;
    bench::countFramePixels(state);
}

// Both pick source floor((z + 0.5) / 2) for zoomed pixel z. Ours makes the
// whole 2 kSide picture of every object reaching the window, the peer only
// the window: the window's pixels compare.
void BM_RLEStretchDisplay2x(benchmark::State& state)
{
    PaintedField field;
    const cv::Mat mask = CvMask();
    const int quarter = bench::kCvSide / 4;
    const cv::Mat window = mask(cv::Rect(quarter, quarter, 2 * quarter, 2 * quarter));
    cv::Mat zoomed(mask.size(), CV_8U, cv::Scalar(0));
    const auto peer = [&] {
        cv::resize(window, zoomed, zoomed.size(), 0, 0, cv::INTER_NEAREST_EXACT);
    };
    runCase(
        state,
        [&] {
            return CLxRLEPicBufAPI::StretchDisplay(&field.out, kSide, kSide, kZoomed, kZoomed,
                                                   kWindowOffset, kWindowOffset, &field.rec);
        },
        field, peer, kWindowOffset, zoomed, -1);
}
BENCHMARK(BM_RLEStretchDisplay2x)
    ->Name("BM_RLEStretchDisplay2x/painted/vs_opencv")
    ->Unit(benchmark::kMicrosecond);

// Both label the eroded pixels again: pixels and object counts compare.
void BM_RLEErode3x3Count(benchmark::State& state)
{
    PaintedField field;
    const cv::Mat mask = CvMask();
    const cv::Mat kernel = cv::Mat::ones(3, 3, CV_8U);
    cv::Mat eroded(mask.size(), CV_8U, cv::Scalar(0)), labels(mask.size(), CV_32S, cv::Scalar(0));
    int n = 0;
    const auto peer = [&] {
        cv::erode(mask, eroded, kernel, cv::Point(-1, -1), 1, cv::BORDER_REPLICATE);
        n = cv::connectedComponents(eroded, labels, 8, CV_32S);
    };
    peer();
    runCase(
        state, [&] { return CLxRLEPicBufAPI::Erode3x3_Count(&field.out, &field.rec, 1); }, field,
        peer, 0, eroded, n - 1);
}
BENCHMARK(BM_RLEErode3x3Count)
    ->Name("BM_RLEErode3x3Count/painted/vs_opencv")
    ->Unit(benchmark::kMicrosecond);
#endif

} // namespace
