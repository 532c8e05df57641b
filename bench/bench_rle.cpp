// Labelling into run-length objects and tracing their contours, side by side
// on one thread with cv::connectedComponents and cv::findContours on the same
// field of blobs. Ours and the peer alternate inside one case on the same
// warm buffers; before timing the objects are compared once (the same pixels
// in the same objects; the same contour points) and a mismatch fails the
// case. The counter "ratio" is ours over the peer. Items are pixels.
// Names: BM_RLEPainted/<source>/vs_opencv, BM_RLEContourPoints/8/vs_opencv.
#include "bench_blob_field.h"
#include "bench_support.h"

#include <cstring>
#include <functional>
#include <random>
#include <vector>

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
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
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
    Binary(const Binary&) = delete;
    Binary& operator=(const Binary&) = delete;
    SLxBinPicBuf bin;
};

// A run-length record that lives for one case.
struct Record {
    Record() { CLxRLEPicBufAPI::Init(&rec, 0, true); }
    ~Record() { CLxRLEPicBufAPI::Free(&rec); }
    Record(const Record&) = delete;
    Record& operator=(const Record&) = delete;
    SLxRLEPicBuf rec;
};

#ifdef QUELVIX_HAVE_OPENCV
// Whether ours and the peer's labels part the pixels alike: the same
// background, and one object of ours for each label of the peer's.
bool sameObjects(const SLxRLEPicBuf& rec, const cv::Mat& labels, int peerCount)
{
    if (rec.uiObjectCount != uint32_t(peerCount - 1) || rec.uiObjectCount > 65535)
        return false;
    SLxPicBuf ids;
    CLxPicBufAPI::Init(&ids);
    CLxPicBufAPI::Reinit(&ids, kSide, kSide, kSide * 2, 16, 1, true);
    bool same = CLxRLEPicBufAPI::ConvertRLEToPicBuf(&ids, &rec, 0) == 0;
    std::vector<int32_t> peerOf(rec.uiObjectCount + 1, -1), oursOf(size_t(peerCount), -1);
    for (uint32_t y = 0; same && y < kSide; ++y) {
        const auto* row = reinterpret_cast<const uint16_t*>(static_cast<const uint8_t*>(ids.pData) +
                                                            size_t(y) * ids.uiWidthBytes);
        for (uint32_t x = 0; same && x < kSide; ++x) {
            const int32_t o = row[x], p = labels.at<int32_t>(int(y), int(x));
            if (o > int32_t(rec.uiObjectCount) || p < 0 || p >= peerCount || (o == 0) != (p == 0))
                same = false;
            else if (peerOf[size_t(o)] < 0 && oursOf[size_t(p)] < 0)
                peerOf[size_t(o)] = p, oursOf[size_t(p)] = o;
            else
                same = peerOf[size_t(o)] == p && oursOf[size_t(p)] == o;
        }
    }
    CLxPicBufAPI::Free(&ids);
    return same;
}

// Labels the peer's way, and times it beside ours once the objects agree.
void runLabelling(benchmark::State& state, const std::function<int()>& label, Record& r,
                  const std::function<int()>& peer, const cv::Mat& labels)
{
    int status = 0, n = 0;
    const auto ours = [&] { status = label(); };
    const auto theirs = [&] { n = peer(); };
    bench::useOneCvThread();
    ours();
    theirs();
    if (status != 0) {
        state.SkipWithError("labelling failed");
        return;
    }
    if (!sameObjects(r.rec, labels, n)) {
        state.SkipWithError("objects differ from OpenCV's");
        return;
    }
    bench::sideBySide(state, ours, theirs);
    state.counters["objects"] = r.rec.uiObjectCount;
    bench::countFramePixels(state);
}

// The peer of the 16-bit case turns the samples into a mask first, as a
// label image needs; that step is timed with it.
void BM_RLEPaintedFromPicBuf(benchmark::State& state, uint32_t bytes)
{
    Picture p(bytes);
    Record r;
    const cv::Mat src(bench::kCvSide, bench::kCvSide, bytes == 1 ? CV_8U : CV_16U, p.pic.pData);
    cv::Mat mask(src.size(), CV_8U, cv::Scalar(0)), labels(src.size(), CV_32S, cv::Scalar(0));
    const auto peer = [&] {
        if (bytes == 1)
            return cv::connectedComponents(src, labels, 8, CV_32S);
        cv::compare(src, 0, mask, cv::CMP_NE);
        return cv::connectedComponents(mask, labels, 8, CV_32S);
    };
    runLabelling(
        state, [&] { return CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(&r.rec, &p.pic); }, r, peer,
        labels);
}
const bool kRegistered = [] {
    for (const uint32_t bytes : {1u, 2u})
        benchmark::RegisterBenchmark(bytes == 1 ? "BM_RLEPainted/PicBuf/8/vs_opencv"
                                                : "BM_RLEPainted/PicBuf/16/vs_opencv",
                                     BM_RLEPaintedFromPicBuf, bytes)
            ->Unit(benchmark::kMicrosecond);
    return true;
}();

// The peer reads the same blobs as bytes, one a pixel.
void BM_RLEPaintedFromBinPicBuf(benchmark::State& state)
{
    Binary b;
    Record r;
    const cv::Mat src(bench::kCvSide, bench::kCvSide, CV_8U, const_cast<uint8_t*>(Field(1).data()));
    cv::Mat labels(src.size(), CV_32S, cv::Scalar(0));
    const auto peer = [&] { return cv::connectedComponents(src, labels, 8, CV_32S); };
    runLabelling(
        state, [&] { return CLxRLEPicBufAPI::ConvertBinPicBufToPaintedRLE(&r.rec, &b.bin); }, r,
        peer, labels);
}
BENCHMARK(BM_RLEPaintedFromBinPicBuf)
    ->Name("BM_RLEPainted/bin/vs_opencv")
    ->Unit(benchmark::kMicrosecond);

// Ours traces the outer boundary of every labelled object; the peer, as
// measured, the outer contours of the 8-bit field, leaving out the objects
// that lie in another's hole. Before timing, the peer's top-level contours
// with holes kept apart (every object's outer boundary) must give our
// objects and point total: both give each boundary pixel once, spur pixels
// twice. Ours allocates each contour, as its interface does.
void BM_RLEContourPoints(benchmark::State& state)
{
    Picture p(1);
    Record r;
    CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(&r.rec, &p.pic);
    const cv::Mat src(bench::kCvSide, bench::kCvSide, CV_8U, p.pic.pData);
    std::vector<std::vector<cv::Point>> contours;
    uint64_t points = 0;
    const auto ours = [&] {
        points = 0;
        for (const SLxRLEObject* o = CLxRLEPicBufAPI::GetNextRLEObject(&r.rec, nullptr); o;
             o = CLxRLEPicBufAPI::GetNextRLEObject(&r.rec, o)) {
            SLxContour* c = CLxRLEPicBufAPI::ContourPoints(o);
            points += c ? c->uiCount : 0;
            CLxAlloc::Free(c);
        }
    };
    const auto peer = [&] {
        cv::findContours(src, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_NONE);
    };
    bench::useOneCvThread();
    ours();
    std::vector<cv::Vec4i> levels;
    cv::findContours(src, contours, levels, cv::RETR_CCOMP, cv::CHAIN_APPROX_NONE);
    uint64_t outerPoints = 0;
    uint32_t outer = 0;
    for (size_t i = 0; i < contours.size(); ++i)
        if (levels[i][3] < 0) {
            outerPoints += contours[i].size();
            ++outer;
        }
    if (outerPoints != points || outer != r.rec.uiObjectCount) {
        state.SkipWithError("contour points differ from OpenCV's");
        return;
    }
    bench::sideBySide(state, ours, peer);
    state.counters["points"] = double(points);
    uint64_t peerPoints = 0;
    for (const auto& c : contours)
        peerPoints += c.size();
    state.counters["peer_points"] = double(peerPoints);
    bench::countFramePixels(state);
}
BENCHMARK(BM_RLEContourPoints)
    ->Name("BM_RLEContourPoints/8/vs_opencv")
    ->Unit(benchmark::kMicrosecond);
#endif

} // namespace
