// Picture-buffer arithmetic, constants, components, masks, tables, shifts
// and colour operations on 2048 x 2048 frames of 8 and 16 bits, each beside
// its OpenCV peer on the same frames and one thread (the ratio ours /
// OpenCV of one run is the figure to watch), and libvips' linear, recomb and
// maplut beside the multiplication, the mix and the table.
// Names: BM_PicBufOps/<operation>/<format>/<who>.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "bench_support.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"

namespace
{

using bench::kSide;
constexpr uint32_t kPixels = kSide * kSide;

enum class Op {
    Add,
    Sub,
    Min,
    Max,
    AbsDif,
    AddConst,
    SubConst,
    MinConst,
    MaxConst,
    MultConst,
    DivConst,
    Weighted,
    Components,
    Merge,
    Combine,
    ApplyLuts,
    ShiftH,
    ShiftV,
    SubtractMin,
    Mix,
};

struct Format {
    uint32_t comps, bits;
    uint32_t bytes() const { return bits == 8 ? 1 : 2; }
    uint32_t pitch() const { return kSide * comps * bytes(); }
};

// A frame and its record.
struct Frame {
    std::vector<uint8_t> pixels;
    SLxPicBuf rec;
    Frame(const Format& f, uint32_t seed)
        : pixels(bench::texturedFrame(f.comps, f.bytes(), seed, 0.01 * seed, 0.013))
    {
        rec = SLxPicBuf{kSide,           kSide,   f.pitch(),
                        uint8_t(f.bits), f.comps, uint32_t(pixels.size()),
                        pixels.data()};
    }
};

// A mask of 0 and 255 bytes (every third pixel clear) and the same as one bit
// a pixel.
std::vector<uint8_t> byteMask()
{
    std::vector<uint8_t> m(kPixels);
    for (uint32_t i = 0; i < kPixels; ++i)
        m[i] = (i * 7 + i / kSide) % 3 ? 255 : 0;
    return m;
}

constexpr uint32_t kBinWB = kSide / 8;

std::vector<uint8_t> bitMask(const std::vector<uint8_t>& bytes)
{
    std::vector<uint8_t> bits(size_t(kBinWB) * kSide, 0);
    for (uint32_t i = 0; i < kPixels; ++i)
        if (bytes[i])
            bits[i / 8] |= uint8_t(0x80 >> (i % 8));
    return bits;
}

const int32_t kInts[3] = {10, -5, 20};
const double kFactors[3] = {1.37, 0.8, 1.1};
const double kDivisors[3] = {3.0, 1.7, 2.5};
const int32_t kMix[9] = {80, 30, -15, -20, 110, 25, 5, -40, 130};

uint32_t bound(const Format& f)
{
    return (1u << f.bits) / 2;
}

void ours(benchmark::State& state, Op op, Format f)
{
    Frame a(f, 1), b(f, 2), d(f, 3);
    std::vector<uint8_t> maskBytes = byteMask(), maskBits = bitMask(maskBytes);
    SLxPicBuf mask{kSide, kSide, kSide, 8, 1, kPixels, maskBytes.data()};
    SLxBinPicBuf bin{kSide, kSide, kBinWB, uint32_t(maskBits.size()), maskBits.data()};
    const uint32_t bounds[3] = {bound(f), bound(f), bound(f)};
    SLxLut lut;
    SLxLut::AllocSingle(&lut, uint8_t(f.bits), uint8_t(f.bits));
    std::memset(lut.pTable, 0x5A, size_t(1) << f.bits);
    lut.uiCompMask = 1;
    int32_t flip = 1;
    for (auto _ : state) {
        int status = 0;
        switch (op) {
        case Op::Add:
            status = CLxPicBufAPI::Addition(&d.rec, &a.rec, &b.rec);
            break;
        case Op::Sub:
            status = CLxPicBufAPI::Subtract(&d.rec, &a.rec, &b.rec, 0);
            break;
        case Op::Min:
            status = CLxPicBufAPI::MinComp(&d.rec, &a.rec, &b.rec);
            break;
        case Op::Max:
            status = CLxPicBufAPI::MaxComp(&d.rec, &a.rec, &b.rec);
            break;
        case Op::AbsDif:
            status = CLxPicBufAPI::AbsDif(&d.rec, &a.rec, &b.rec);
            break;
        case Op::AddConst:
            status = CLxPicBufAPI::AddConst(&d.rec, &a.rec, kInts);
            break;
        case Op::SubConst:
            status = CLxPicBufAPI::SubConst(&d.rec, &a.rec, kInts);
            break;
        case Op::MinConst:
            status = CLxPicBufAPI::MinConst(&d.rec, &a.rec, bounds);
            break;
        case Op::MaxConst:
            status = CLxPicBufAPI::MaxConst(&d.rec, &a.rec, bounds);
            break;
        case Op::MultConst:
            status = CLxPicBufAPI::MultConst(&d.rec, &a.rec, kFactors);
            break;
        case Op::DivConst:
            status = CLxPicBufAPI::DivConst(&d.rec, &a.rec, kDivisors);
            break;
        case Op::Weighted:
            status = CLxPicBufAPI::WeightedAddition(&d.rec, &a.rec, &b.rec, 37);
            break;
        case Op::Components:
            status = CLxPicBufAPI::ImageComponents(&d.rec, &a.rec, &b.rec, 0, 7, 1);
            break;
        case Op::Merge:
            status = CLxPicBufAPI::MergeImagesByMask(&d.rec, &a.rec, &mask);
            break;
        case Op::Combine:
            status = CLxPicBufAPI::CombineViaBinary(&d.rec, &a.rec, &b.rec, &bin, 0);
            break;
        case Op::ApplyLuts:
            status = CLxPicBufAPI::ApplyLuts(&d.rec, &a.rec, &lut);
            break;
        case Op::ShiftH:
            status = CLxPicBufAPI::Shift(&d.rec, 7 * flip, 0);
            flip = -flip;
            break;
        case Op::ShiftV:
            status = CLxPicBufAPI::Shift(&d.rec, 0, 7 * flip);
            flip = -flip;
            break;
        case Op::SubtractMin:
            status = CLxPicBufAPI::SubtractMinRGB(&d.rec, &a.rec);
            break;
        case Op::Mix:
            status = CLxPicBufAPI::MixComponents(&d.rec, &a.rec, kMix[0], kMix[1], kMix[2], kMix[3],
                                                 kMix[4], kMix[5], kMix[6], kMix[7], kMix[8]);
            break;
        }
        if (status != 0) {
            state.SkipWithError("operation failed");
            break;
        }
        benchmark::ClobberMemory();
    }
    SLxLut::Free(&lut);
    bench::countItems(state, kPixels);
}

#ifdef QUELVIX_HAVE_OPENCV
void opencv(benchmark::State& state, Op op, Format f)
{
    bench::useOneCvThread();
    Frame a(f, 1), b(f, 2), d(f, 3);
    const int type = bench::cvType(f.comps, f.bytes());
    const cv::Mat ma(kSide, kSide, type, a.pixels.data()), mb(kSide, kSide, type, b.pixels.data());
    cv::Mat md(kSide, kSide, type, d.pixels.data());
    std::vector<uint8_t> maskBytes = byteMask();
    const cv::Mat mask(kSide, kSide, CV_8U, maskBytes.data());
    const cv::Scalar k(kInts[0], kInts[1], kInts[2]), kb = cv::Scalar::all(bound(f));
    const cv::Scalar kf(kFactors[0], kFactors[1], kFactors[2]);
    const cv::Scalar kd(kDivisors[0], kDivisors[1], kDivisors[2]);
    const cv::Mat table(1, 256, CV_8U, cv::Scalar(0x5A));
    const cv::Matx33d mix(kMix[8], kMix[7], kMix[6], kMix[5], kMix[4], kMix[3], kMix[2], kMix[1],
                          kMix[0]);
    const cv::Mat right = (cv::Mat_<double>(2, 3) << 1, 0, 7, 0, 1, 0);
    const cv::Mat down = (cv::Mat_<double>(2, 3) << 1, 0, 0, 0, 1, 7);
    const cv::Mat sources[2] = {ma, mb};
    const int fromTo[] = {2, 2, 4, 1, 1, 0};
    std::vector<cv::Mat> channels;
    cv::Mat lowest, grey, scratch;
    for (auto _ : state) {
        switch (op) {
        case Op::Add:
            cv::add(ma, mb, md);
            break;
        case Op::Sub:
            cv::subtract(ma, mb, md);
            break;
        case Op::Min:
            cv::min(ma, mb, md);
            break;
        case Op::Max:
            cv::max(ma, mb, md);
            break;
        case Op::AbsDif:
            cv::absdiff(ma, mb, md);
            break;
        case Op::AddConst:
            cv::add(ma, k, md);
            break;
        case Op::SubConst:
            cv::subtract(ma, k, md);
            break;
        case Op::MinConst:
            cv::min(ma, kb, md);
            break;
        case Op::MaxConst:
            cv::max(ma, kb, md);
            break;
        case Op::MultConst:
            cv::multiply(ma, kf, md);
            break;
        case Op::DivConst:
            cv::divide(ma, kd, md);
            break;
        case Op::Weighted:
            cv::addWeighted(ma, 0.37, mb, 0.63, 0, md);
            break;
        case Op::Components:
            cv::mixChannels(sources, 2, &md, 1, fromTo, 3);
            break;
        case Op::Merge:
            ma.copyTo(md, mask);
            break;
        case Op::Combine:
            ma.copyTo(md);
            mb.copyTo(md, mask);
            break;
        case Op::ApplyLuts:
            cv::LUT(ma, table, md);
            break;
        case Op::ShiftH:
            cv::warpAffine(ma, md, right, md.size(), cv::INTER_NEAREST, cv::BORDER_REPLICATE);
            break;
        case Op::ShiftV:
            cv::warpAffine(ma, md, down, md.size(), cv::INTER_NEAREST, cv::BORDER_REPLICATE);
            break;
        case Op::SubtractMin:
            cv::split(ma, channels);
            cv::min(channels[0], channels[1], lowest);
            cv::min(lowest, channels[2], lowest);
            cv::merge(std::vector<cv::Mat>{lowest, lowest, lowest}, grey);
            cv::subtract(ma, grey, md);
            break;
        case Op::Mix:
            cv::transform(ma, md, mix * 0.01);
            break;
        }
        benchmark::ClobberMemory();
    }
    bench::countItems(state, kPixels);
}
#endif

#ifdef QUELVIX_HAVE_VIPS
// libvips' nearest operations: linear for the constant product, recomb for
// the mix, maplut for the table; cast back to the frame's format.
void vips(benchmark::State& state, Op op, Format f)
{
    if (!bench::startVipsOnOneThread()) {
        state.SkipWithError("libvips did not start");
        return;
    }
    Frame a(f, 1);
    const VipsBandFormat format = f.bytes() == 1 ? VIPS_FORMAT_UCHAR : VIPS_FORMAT_USHORT;
    VipsImage* in = vips_image_new_from_memory(a.pixels.data(), a.pixels.size(), int(kSide),
                                               int(kSide), int(f.comps), format);
    VipsImage* matrix = vips_image_new_matrix(3, 3);
    for (int i = 0; i < 9; ++i)
        *VIPS_MATRIX(matrix, i % 3, i / 3) = kMix[8 - i] / 100.0;
    std::vector<uint8_t> table(256, 0x5A);
    VipsImage* lut =
        vips_image_new_from_memory(table.data(), table.size(), 256, 1, 1, VIPS_FORMAT_UCHAR);
    std::vector<double> factors(kFactors, kFactors + f.comps), zero(f.comps, 0.0);
    for (auto _ : state) {
        VipsImage* out = nullptr;
        VipsImage* cast = nullptr;
        int failed = 0;
        if (op == Op::MultConst)
            failed = vips_linear(in, &out, factors.data(), zero.data(), int(f.comps), nullptr);
        else if (op == Op::Mix)
            failed = vips_recomb(in, &out, matrix, nullptr);
        else
            failed = vips_maplut(in, &out, lut, nullptr);
        if (!failed)
            failed = vips_cast(out, &cast, format, nullptr);
        if (out)
            g_object_unref(out);
        if (failed || !bench::evaluateVips(cast)) {
            state.SkipWithError("libvips failed");
            break;
        }
    }
    g_object_unref(lut);
    g_object_unref(matrix);
    g_object_unref(in);
    bench::countItems(state, kPixels);
}
#endif

void add(const char* name, Op op, Format f)
{
    const std::string base = std::string("BM_PicBufOps/") + name + "/" + std::to_string(f.comps) +
                             "x" + std::to_string(f.bits);
    benchmark::RegisterBenchmark((base + "/ours").c_str(), ours, op, f)
        ->Unit(benchmark::kMicrosecond);
#ifdef QUELVIX_HAVE_OPENCV
    benchmark::RegisterBenchmark((base + "/opencv").c_str(), opencv, op, f)
        ->Unit(benchmark::kMicrosecond);
#endif
#ifdef QUELVIX_HAVE_VIPS
    if (op == Op::MultConst || op == Op::Mix || (op == Op::ApplyLuts && f.bits == 8))
        benchmark::RegisterBenchmark((base + "/vips").c_str(), vips, op, f)
            ->Unit(benchmark::kMicrosecond);
#endif
}

const bool kRegistered = [] {
    const struct {
        const char* name;
        Op op;
        uint32_t comps;
    } cases[] = {
        {"Addition", Op::Add, 1},
        {"Subtract", Op::Sub, 1},
        {"MinComp", Op::Min, 1},
        {"MaxComp", Op::Max, 1},
        {"AbsDif", Op::AbsDif, 1},
        {"AddConst", Op::AddConst, 1},
        {"SubConst", Op::SubConst, 1},
        {"MinConst", Op::MinConst, 1},
        {"MaxConst", Op::MaxConst, 1},
        {"MultConst", Op::MultConst, 1},
        {"DivConst", Op::DivConst, 1},
        {"WeightedAddition", Op::Weighted, 1},
        {"ImageComponents", Op::Components, 3},
        {"MergeImagesByMask", Op::Merge, 1},
        {"CombineViaBinary", Op::Combine, 1},
        {"ApplyLuts", Op::ApplyLuts, 1},
        {"ShiftH", Op::ShiftH, 1},
        {"ShiftV", Op::ShiftV, 1},
        {"SubtractMinRGB", Op::SubtractMin, 3},
        {"MixComponents", Op::Mix, 3},
    };
    for (const auto& c : cases)
        for (const uint32_t bits : {8u, 16u}) {
            if (c.op == Op::ApplyLuts && bits != 8)
                continue;
            add(c.name, c.op, {c.comps, bits});
        }
    return true;
}();

} // namespace
