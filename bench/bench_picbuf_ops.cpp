// Picture-buffer arithmetic, constants, components, masks, tables, shifts
// and colour operations on 2048 x 2048 frames of 8 and 16 bits, each side by
// side with its OpenCV peer on one thread, and with libvips' linear, recomb
// and maplut beside the multiplication, the mix and the table. Ours and the
// peer alternate inside one case on the same warm buffers; the outputs are
// compared once before timing (beyond the stated rounding a mismatch fails
// the case) and the counter "ratio" is ours over the peer.
// Names: BM_PicBufOps/<operation>/<format>/vs_<peer>.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <tuple>
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

// The textured frame of a format and seed, made once: the runs of a case
// (and its repetitions) copy it instead of computing it again.
const std::vector<uint8_t>& texture(const Format& f, uint32_t seed)
{
    static std::map<std::tuple<uint32_t, uint32_t, uint32_t>, std::vector<uint8_t>> made;
    auto& frame = made[{f.comps, f.bytes(), seed}];
    if (frame.empty())
        frame = bench::texturedFrame(f.comps, f.bytes(), seed, 0.01 * seed, 0.013);
    return frame;
}

// A frame and its record.
struct Frame {
    std::vector<uint8_t> pixels;
    SLxPicBuf rec;
    Frame(const Format& f, uint32_t seed) : pixels(texture(f, seed))
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
constexpr int32_t kWeight = 37;
constexpr int32_t kShift = 7;

uint32_t bound(const Format& f)
{
    return (1u << f.bits) / 2;
}

// The largest difference the peer may show: 0 where both compute the same
// samples. Ours truncates where OpenCV and libvips round: trunc(a k + 0.5)
// against round half to even (product), the mix's quotients truncated toward
// zero, the weighted sum's two truncated quotients halved (up to 2 below the
// rounded sum); the division rounds in fixed point.
uint32_t tolerance(Op op)
{
    switch (op) {
    case Op::MultConst:
    case Op::DivConst:
    case Op::Mix:
        return 1;
    case Op::Weighted:
        return 2;
    default:
        return 0;
    }
}

// The inputs and both sides' outputs, allocated and touched before timing;
// the moves shift their own frame in place, which starts as a.
struct Buffers {
    Format f;
    Frame a, b, d, ref;
    std::vector<uint8_t> maskBytes, maskBits;
    SLxPicBuf mask;
    SLxBinPicBuf bin;
    uint32_t bounds[3];
    SLxLut lut;
    int32_t flip = 1;
    int status = 0;

    Buffers(Op op, Format fmt)
        : f(fmt), a(fmt, 1), b(fmt, 2), d(fmt, 3), ref(fmt, 3), maskBytes(byteMask()),
          maskBits(bitMask(maskBytes))
    {
        mask = SLxPicBuf{kSide, kSide, kSide, 8, 1, kPixels, maskBytes.data()};
        bin = SLxBinPicBuf{kSide, kSide, kBinWB, uint32_t(maskBits.size()), maskBits.data()};
        bounds[0] = bounds[1] = bounds[2] = bound(fmt);
        SLxLut::AllocSingle(&lut, uint8_t(fmt.bits), uint8_t(fmt.bits));
        std::memset(lut.pTable, 0x5A, size_t(1) << fmt.bits);
        lut.uiCompMask = 1;
        if (op == Op::ShiftH || op == Op::ShiftV)
            std::memcpy(d.pixels.data(), a.pixels.data(), a.pixels.size());
    }
    ~Buffers() { SLxLut::Free(&lut); }
    Buffers(const Buffers&) = delete;
    Buffers& operator=(const Buffers&) = delete;
};

// Ours for every operation, into m.d; the status of the last call in
// m.status.
std::function<void()> oursOf(Op op, Buffers& m)
{
    return [op, &m] {
        SLxPicBuf* d = &m.d.rec;
        const SLxPicBuf *a = &m.a.rec, *b = &m.b.rec;
        int status = 0;
        switch (op) {
        case Op::Add:
            status = CLxPicBufAPI::Addition(d, a, b);
            break;
        case Op::Sub:
            status = CLxPicBufAPI::Subtract(d, a, b, 0);
            break;
        case Op::Min:
            status = CLxPicBufAPI::MinComp(d, a, b);
            break;
        case Op::Max:
            status = CLxPicBufAPI::MaxComp(d, a, b);
            break;
        case Op::AbsDif:
            status = CLxPicBufAPI::AbsDif(d, a, b);
            break;
        case Op::AddConst:
            status = CLxPicBufAPI::AddConst(d, a, kInts);
            break;
        case Op::SubConst:
            status = CLxPicBufAPI::SubConst(d, a, kInts);
            break;
        case Op::MinConst:
            status = CLxPicBufAPI::MinConst(d, a, m.bounds);
            break;
        case Op::MaxConst:
            status = CLxPicBufAPI::MaxConst(d, a, m.bounds);
            break;
        case Op::MultConst:
            status = CLxPicBufAPI::MultConst(d, a, kFactors);
            break;
        case Op::DivConst:
            status = CLxPicBufAPI::DivConst(d, a, kDivisors);
            break;
        case Op::Weighted:
            status = CLxPicBufAPI::WeightedAddition(d, a, b, kWeight);
            break;
        case Op::Components:
            status = CLxPicBufAPI::ImageComponents(d, a, b, 0, 7, 1);
            break;
        case Op::Merge:
            status = CLxPicBufAPI::MergeImagesByMask(d, a, &m.mask);
            break;
        case Op::Combine:
            status = CLxPicBufAPI::CombineViaBinary(d, a, b, &m.bin, 0);
            break;
        case Op::ApplyLuts:
            status = CLxPicBufAPI::ApplyLuts(d, a, &m.lut);
            break;
        case Op::ShiftH:
            status = CLxPicBufAPI::Shift(d, kShift * m.flip, 0);
            m.flip = -m.flip;
            break;
        case Op::ShiftV:
            status = CLxPicBufAPI::Shift(d, 0, kShift * m.flip);
            m.flip = -m.flip;
            break;
        case Op::SubtractMin:
            status = CLxPicBufAPI::SubtractMinRGB(d, a);
            break;
        case Op::Mix:
            status = CLxPicBufAPI::MixComponents(d, a, kMix[0], kMix[1], kMix[2], kMix[3], kMix[4],
                                                 kMix[5], kMix[6], kMix[7], kMix[8]);
            break;
        }
        m.status = status;
    };
}

// Largest difference between ours and the peer's samples.
uint32_t largestDifference(const Buffers& m, const std::vector<uint8_t>& ref)
{
    const uint8_t *p = m.d.pixels.data(), *q = ref.data();
    const size_t samples = size_t(kPixels) * m.f.comps;
    uint32_t worst = 0;
    for (size_t i = 0; i < samples; ++i) {
        const int32_t u = m.f.bytes() == 1 ? p[i] : p[2 * i] | p[2 * i + 1] << 8;
        const int32_t v = m.f.bytes() == 1 ? q[i] : q[2 * i] | q[2 * i + 1] << 8;
        const uint32_t diff = uint32_t(std::abs(u - v));
        worst = diff > worst ? diff : worst;
    }
    return worst;
}

// Runs both once, compares, and times them side by side.
[[maybe_unused]] void runCase(benchmark::State& state, Op op, Buffers& m,
                              const std::function<void()>& ours, const std::function<void()>& peer,
                              const std::vector<uint8_t>& ref)
{
    ours();
    if (m.status != 0) {
        state.SkipWithError("operation failed");
        return;
    }
    peer();
    const uint32_t worst = largestDifference(m, ref);
    if (worst > tolerance(op)) {
        state.SkipWithError(("samples differ by " + std::to_string(worst)).c_str());
        return;
    }
    bench::sideBySide(state, ours, peer);
    bench::countItems(state, kPixels);
}

#ifdef QUELVIX_HAVE_OPENCV
void versusOpenCv(benchmark::State& state, Op op, Format f)
{
    Buffers m(op, f);
    const int type = bench::cvType(f.comps, f.bytes());
    const int side = bench::kCvSide;
    const cv::Mat ma(side, side, type, m.a.pixels.data()), mb(side, side, type, m.b.pixels.data());
    cv::Mat mr(side, side, type, m.ref.pixels.data());
    const cv::Mat mask(side, side, CV_8U, m.maskBytes.data());
    const cv::Scalar k(kInts[0], kInts[1], kInts[2]), kb = cv::Scalar::all(bound(f));
    const cv::Scalar kf(kFactors[0], kFactors[1], kFactors[2]);
    const cv::Scalar kd(kDivisors[0], kDivisors[1], kDivisors[2]);
    const cv::Mat table(1, 256, CV_8U, cv::Scalar(0x5A));
    // Our first component is OpenCV's last (blue, green, red in memory).
    const cv::Matx33d mix(kMix[8], kMix[7], kMix[6], kMix[5], kMix[4], kMix[3], kMix[2], kMix[1],
                          kMix[0]);
    const cv::Mat right = (cv::Mat_<double>(2, 3) << 1, 0, kShift, 0, 1, 0);
    const cv::Mat down = (cv::Mat_<double>(2, 3) << 1, 0, 0, 0, 1, kShift);
    const cv::Mat sources[2] = {ma, mb};
    const int fromTo[] = {2, 2, 4, 1, 1, 0};
    std::vector<cv::Mat> channels;
    cv::Mat lowest, grey;
    // Where the peer does more than ours: the combination copies twice
    // (first, then second under the mask), the smallest-component removal is
    // a chain of split, min, merge and subtract, the moves copy a into the
    // output where ours moves its frame in place.
    const auto peer = [&] {
        switch (op) {
        case Op::Add:
            cv::add(ma, mb, mr);
            break;
        case Op::Sub:
            cv::subtract(ma, mb, mr);
            break;
        case Op::Min:
            cv::min(ma, mb, mr);
            break;
        case Op::Max:
            cv::max(ma, mb, mr);
            break;
        case Op::AbsDif:
            cv::absdiff(ma, mb, mr);
            break;
        case Op::AddConst:
            cv::add(ma, k, mr);
            break;
        case Op::SubConst:
            cv::subtract(ma, k, mr);
            break;
        case Op::MinConst:
            cv::min(ma, kb, mr);
            break;
        case Op::MaxConst:
            cv::max(ma, kb, mr);
            break;
        case Op::MultConst:
            cv::multiply(ma, kf, mr);
            break;
        case Op::DivConst:
            cv::divide(ma, kd, mr);
            break;
        case Op::Weighted:
            cv::addWeighted(ma, kWeight / 100.0, mb, 1 - kWeight / 100.0, 0, mr);
            break;
        case Op::Components:
            cv::mixChannels(sources, 2, &mr, 1, fromTo, 3);
            break;
        case Op::Merge:
            ma.copyTo(mr, mask);
            break;
        case Op::Combine:
            ma.copyTo(mr);
            mb.copyTo(mr, mask);
            break;
        case Op::ApplyLuts:
            cv::LUT(ma, table, mr);
            break;
        case Op::ShiftH:
            cv::warpAffine(ma, mr, right, mr.size(), cv::INTER_NEAREST, cv::BORDER_REPLICATE);
            break;
        case Op::ShiftV:
            cv::warpAffine(ma, mr, down, mr.size(), cv::INTER_NEAREST, cv::BORDER_REPLICATE);
            break;
        case Op::SubtractMin:
            cv::split(ma, channels);
            cv::min(channels[0], channels[1], lowest);
            cv::min(lowest, channels[2], lowest);
            cv::merge(std::vector<cv::Mat>{lowest, lowest, lowest}, grey);
            cv::subtract(ma, grey, mr);
            break;
        case Op::Mix:
            cv::transform(ma, mr, mix * 0.01);
            break;
        }
    };
    runCase(state, op, m, oursOf(op, m), peer, m.ref.pixels);
}
#endif

#ifdef QUELVIX_HAVE_VIPS
// libvips' nearest operations: linear for the constant product, recomb for
// the mix, maplut for the table; cast back to the frame's format, written
// to memory that libvips allocates each call, as it does.
void versusVips(benchmark::State& state, Op op, Format f)
{
    if (!bench::startVipsOnOneThread()) {
        state.SkipWithError("libvips did not start");
        return;
    }
    Buffers m(op, f);
    const VipsBandFormat format = f.bytes() == 1 ? VIPS_FORMAT_UCHAR : VIPS_FORMAT_USHORT;
    VipsImage* in = vips_image_new_from_memory(m.a.pixels.data(), m.a.pixels.size(), int(kSide),
                                               int(kSide), int(f.comps), format);
    VipsImage* matrix = vips_image_new_matrix(3, 3);
    for (int i = 0; i < 9; ++i)
        *VIPS_MATRIX(matrix, i % 3, i / 3) = kMix[8 - i] / 100.0;
    std::vector<uint8_t> table(256, 0x5A);
    VipsImage* lut =
        vips_image_new_from_memory(table.data(), table.size(), 256, 1, 1, VIPS_FORMAT_UCHAR);
    std::vector<double> factors(kFactors, kFactors + f.comps), zero(f.comps, 0.0);
    std::vector<uint8_t> ref(m.ref.pixels.size());
    bool failed = false;
    const auto peer = [&] {
        VipsImage* out = nullptr;
        VipsImage* cast = nullptr;
        int bad = 0;
        if (op == Op::MultConst)
            bad = vips_linear(in, &out, factors.data(), zero.data(), int(f.comps), nullptr);
        else if (op == Op::Mix)
            bad = vips_recomb(in, &out, matrix, nullptr);
        else
            bad = vips_maplut(in, &out, lut, nullptr);
        if (!bad)
            bad = vips_cast(out, &cast, format, nullptr);
        if (out)
            g_object_unref(out);
        size_t size = 0;
        void* memory = bad ? nullptr : vips_image_write_to_memory(cast, &size);
        if (cast)
            g_object_unref(cast);
        if (!memory || size != ref.size())
            failed = true;
        else
            std::memcpy(ref.data(), memory, size);
        g_free(memory);
    };
    runCase(state, op, m, oursOf(op, m), peer, ref);
    if (failed)
        state.SkipWithError("libvips failed");
    g_object_unref(lut);
    g_object_unref(matrix);
    g_object_unref(in);
}
#endif

void add(const char* name, Op op, Format f)
{
    const std::string base = std::string("BM_PicBufOps/") + name + "/" + std::to_string(f.comps) +
                             "x" + std::to_string(f.bits);
#ifdef QUELVIX_HAVE_OPENCV
    benchmark::RegisterBenchmark((base + "/vs_opencv").c_str(), versusOpenCv, op, f)
        ->Unit(benchmark::kMicrosecond);
#endif
#ifdef QUELVIX_HAVE_VIPS
    if (op == Op::MultConst || op == Op::Mix || (op == Op::ApplyLuts && f.bits == 8))
        benchmark::RegisterBenchmark((base + "/vs_vips").c_str(), versusVips, op, f)
            ->Unit(benchmark::kMicrosecond);
#endif
    (void)base;
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
