// Picture arithmetic and thresholding on 2048 x 2048 frames, each beside its
// OpenCV peer on the same frames and one thread (the ratio ours / OpenCV of
// one run is the figure to watch), and beside libvips' add and relational
// constant where it is installed. Names: BM_Arith/<operation>/<format>/<who>.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "bench_support.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

namespace
{

using bench::kSide;
constexpr uint32_t kPixels = kSide * kSide;

enum class Op { Add, Sub, Max, Min, AddConst, Threshold };

struct Format {
    uint32_t comps, bits;
    uint32_t bytes() const { return bits == 8 ? 1 : 2; }
    size_t frameBytes() const { return size_t(kPixels) * comps * bytes(); }
    uint32_t pitch() const { return kSide * comps * bytes(); }
};

// Samples spread over the whole range, different in each frame.
std::vector<uint8_t> frame(const Format& f, uint32_t seed)
{
    std::vector<uint8_t> v(f.frameBytes());
    uint32_t x = seed * 2654435761u + 1;
    for (uint8_t& b : v) {
        x = x * 1664525u + 1013904223u;
        b = uint8_t(x >> 24);
    }
    return v;
}

const int32_t kConstants[3] = {10, -5, 20};
constexpr uint32_t kPlaneWB = (kSide / 8 + 3) & ~3u;

// Low and high bounds of the threshold: a band around the middle.
template <class T> std::vector<T> bound(const Format& f, double share)
{
    return std::vector<T>(f.comps, T(share * double((1u << f.bits) - 1)));
}

void ours(benchmark::State& state, Op op, Format f)
{
    const std::vector<uint8_t> a = frame(f, 1), b = frame(f, 2);
    std::vector<uint8_t> d(f.frameBytes());
    std::vector<uint8_t> plane(size_t(kPlaneWB) * kSide);
    const auto lo8 = bound<uint8_t>(f, 0.25), hi8 = bound<uint8_t>(f, 0.75);
    const auto lo16 = bound<uint16_t>(f, 0.25), hi16 = bound<uint16_t>(f, 0.75);
    const void* lo = f.bytes() == 1 ? static_cast<const void*>(lo8.data()) : lo16.data();
    const void* hi = f.bytes() == 1 ? static_cast<const void*>(hi8.data()) : hi16.data();
    const uint32_t p = f.pitch();
    for (auto _ : state) {
        switch (op) {
        case Op::Add:
            CLxPicMemAPI::AddAndClip(d.data(), p, a.data(), p, b.data(), p, f.comps, f.bits, kSide,
                                     kPixels);
            break;
        case Op::Sub:
            CLxPicMemAPI::SubAndClip(d.data(), p, a.data(), p, b.data(), p, f.comps, f.bits, kSide,
                                     kPixels);
            break;
        case Op::Max:
            CLxPicMemAPI::Max(d.data(), p, a.data(), p, b.data(), p, f.comps, f.bits, kSide,
                              kPixels);
            break;
        case Op::Min:
            CLxPicMemAPI::Min(d.data(), p, a.data(), p, b.data(), p, f.comps, f.bits, kSide,
                              kPixels);
            break;
        case Op::AddConst:
            CLxPicMemAPI::AddConstAndClip(d.data(), p, a.data(), p, kConstants, f.comps, f.bits,
                                          kSide, kPixels);
            break;
        case Op::Threshold:
            CLxPicMemAPI::ThresholdToBinary(plane.data(), 0, kPlaneWB, a.data(), f.comps, f.bits, p,
                                            lo, hi, true, kSide, kPixels, 0);
            break;
        }
        benchmark::ClobberMemory();
    }
    bench::countItems(state, kPixels);
}

#ifdef QUELVIX_HAVE_OPENCV
void opencv(benchmark::State& state, Op op, Format f)
{
    bench::useOneCvThread();
    std::vector<uint8_t> a = frame(f, 1), b = frame(f, 2);
    const int type = CV_MAKETYPE(f.bytes() == 1 ? CV_8U : CV_16U, int(f.comps));
    const cv::Mat ma(kSide, kSide, type, a.data()), mb(kSide, kSide, type, b.data());
    cv::Mat md(kSide, kSide, type, cv::Scalar::all(0)), mask(kSide, kSide, CV_8U, cv::Scalar(0));
    const double top = double((1u << f.bits) - 1);
    const cv::Scalar k(kConstants[0], kConstants[1], kConstants[2]);
    const cv::Scalar lo = cv::Scalar::all(double(uint32_t(0.25 * top)));
    const cv::Scalar hi = cv::Scalar::all(double(uint32_t(0.75 * top)));
    for (auto _ : state) {
        switch (op) {
        case Op::Add:
            cv::add(ma, mb, md);
            break;
        case Op::Sub:
            cv::subtract(ma, mb, md);
            break;
        case Op::Max:
            cv::max(ma, mb, md);
            break;
        case Op::Min:
            cv::min(ma, mb, md);
            break;
        case Op::AddConst:
            cv::add(ma, k, md);
            break;
        case Op::Threshold:
            cv::inRange(ma, lo, hi, mask);
            break;
        }
        benchmark::ClobberMemory();
    }
    bench::countItems(state, kPixels);
}
#endif

#ifdef QUELVIX_HAVE_VIPS
// libvips on one thread: add (to a wider format) and relational_const
// (more-than, to a byte mask), computed into memory.
void vips(benchmark::State& state, Op op, Format f)
{
    if (!bench::startVipsOnOneThread()) {
        state.SkipWithError("libvips did not start");
        return;
    }
    std::vector<uint8_t> a = frame(f, 1), b = frame(f, 2);
    const VipsBandFormat format = f.bytes() == 1 ? VIPS_FORMAT_UCHAR : VIPS_FORMAT_USHORT;
    VipsImage* va =
        vips_image_new_from_memory(a.data(), a.size(), kSide, kSide, int(f.comps), format);
    VipsImage* vb =
        vips_image_new_from_memory(b.data(), b.size(), kSide, kSide, int(f.comps), format);
    std::vector<double> c(f.comps, double((1u << f.bits) / 2));
    for (auto _ : state) {
        VipsImage* out = nullptr;
        if (op == Op::Add)
            vips_add(va, vb, &out, nullptr);
        else
            vips_relational_const(va, &out, VIPS_OPERATION_RELATIONAL_MORE, c.data(), int(c.size()),
                                  nullptr);
        size_t size = 0;
        void* mem = out ? vips_image_write_to_memory(out, &size) : nullptr;
        benchmark::DoNotOptimize(mem);
        g_free(mem);
        if (out)
            g_object_unref(out);
    }
    g_object_unref(va);
    g_object_unref(vb);
    bench::countItems(state, kPixels);
}
#endif

std::string formatName(const Format& f)
{
    return std::to_string(f.comps) + "x" + std::to_string(f.bits);
}

void add(const char* name, Op op, Format f)
{
    const std::string base = std::string("BM_Arith/") + name + "/" + formatName(f);
    benchmark::RegisterBenchmark((base + "/ours").c_str(), ours, op, f)
        ->Unit(benchmark::kMicrosecond);
#ifdef QUELVIX_HAVE_OPENCV
    benchmark::RegisterBenchmark((base + "/opencv").c_str(), opencv, op, f)
        ->Unit(benchmark::kMicrosecond);
#endif
#ifdef QUELVIX_HAVE_VIPS
    if (f.comps == 1 && f.bits == 8 && (op == Op::Add || op == Op::Threshold))
        benchmark::RegisterBenchmark((base + "/vips").c_str(), vips, op, f)
            ->Unit(benchmark::kMicrosecond);
#endif
}

const bool kRegistered = [] {
    const Format formats[] = {{1, 8}, {3, 8}, {1, 16}};
    const struct {
        const char* name;
        Op op;
    } twoPictures[] = {{"Add", Op::Add}, {"Sub", Op::Sub}, {"Max", Op::Max}, {"Min", Op::Min}};
    for (const auto& t : twoPictures)
        for (const Format& f : formats)
            add(t.name, t.op, f);
    add("AddConst", Op::AddConst, {1, 8});
    add("AddConst", Op::AddConst, {3, 16});
    add("Threshold", Op::Threshold, {1, 8});
    add("Threshold", Op::Threshold, {3, 8});
    return true;
}();

} // namespace
