// Picture arithmetic, constant arithmetic, one-bit packing, unpacking and
// thresholding, correlation and focus on 2048 x 2048 frames, each side by
// side with a peer doing the same work on one thread: OpenCV, and libvips'
// add and range test where it is installed. Ours and the peer alternate
// inside one case on the same warm buffers; the outputs are compared once
// before timing (a mismatch fails the case) and the counter "ratio" is ours
// over the peer. Names: BM_Arith/<operation>/<format>/vs_<peer>.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bench_blob_field.h"
#include "bench_support.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

namespace
{

using bench::kSide;
constexpr uint32_t kPixels = kSide * kSide;
constexpr uint32_t kPlaneWB = (kSide / 8 + 3) & ~3u;

enum class Op {
    Add,
    Sub,
    Max,
    Min,
    AddConst,
    Threshold,
    Transp,
    DivConst,
    Pack,
    UnpackRandom,
    UnpackBlobs,
    Correlation,
    Focus
};

struct Format {
    uint32_t comps, bits;
    uint32_t bytes() const { return bits == 8 ? 1 : 2; }
    size_t frameBytes() const { return size_t(kPixels) * comps * bytes(); }
    uint32_t pitch() const { return kSide * comps * bytes(); }
    uint32_t top() const { return (1u << bits) - 1; }
};

// Samples spread over the whole range of the bits, different in each frame.
std::vector<uint8_t> frame(const Format& f, uint32_t seed)
{
    std::vector<uint8_t> v(f.frameBytes());
    uint32_t x = seed * 2654435761u + 1;
    for (uint8_t& b : v) {
        x = x * 1664525u + 1013904223u;
        b = uint8_t(x >> 24);
    }
    if (f.bytes() == 2)
        for (size_t i = 1; i < v.size(); i += 2)
            v[i] = uint8_t(v[i] & (f.top() >> 8));
    return v;
}

// A frame that two pictures share in part: b = a + noise, so the
// correlation is well inside 0..1.
std::vector<uint8_t> relatedFrame(const std::vector<uint8_t>& a, uint32_t seed)
{
    std::vector<uint8_t> v(a);
    uint32_t x = seed;
    for (uint8_t& b : v) {
        x = x * 1664525u + 1013904223u;
        b = uint8_t(b / 2 + (x >> 25));
    }
    return v;
}

const int32_t kConstants[3] = {10, -5, 20};
const double kDivisors[2] = {3.0, 7.5};

// A plane of random bits, or of the blob field, and the same as a byte mask.
struct BitPlane {
    std::vector<uint8_t> plane, mask;
};

BitPlane bitPlane(bool blobs)
{
    BitPlane p{std::vector<uint8_t>(size_t(kPlaneWB) * kSide, 0), std::vector<uint8_t>(kPixels, 0)};
    std::mt19937 rng(53);
    if (blobs)
        p.mask = bench::blobMask(rng);
    else
        for (uint8_t& m : p.mask)
            m = uint8_t(rng() & 1);
    for (uint32_t y = 0; y < kSide; ++y)
        for (uint32_t x = 0; x < kSide; ++x)
            if (p.mask[size_t(y) * kSide + x])
                p.plane[size_t(y) * kPlaneWB + x / 8] |= uint8_t(0x80u >> (x % 8));
    return p;
}

// Whether every pixel's bit in the plane is set exactly where mask is not 0.
bool planeMatches(const std::vector<uint8_t>& plane, const uint8_t* mask, size_t maskPitch)
{
    for (uint32_t y = 0; y < kSide; ++y)
        for (uint32_t x = 0; x < kSide; ++x) {
            const bool bit = (plane[size_t(y) * kPlaneWB + x / 8] >> (7 - x % 8)) & 1;
            if (bit != (mask[y * maskPitch + x] != 0))
                return false;
        }
    return true;
}

// Largest difference of two sample arrays of one format.
uint32_t largestDifference(const uint8_t* a, const uint8_t* b, size_t samples, uint32_t bytes)
{
    uint32_t worst = 0;
    for (size_t i = 0; i < samples; ++i) {
        const int32_t va = bytes == 1 ? a[i] : a[2 * i] | a[2 * i + 1] << 8;
        const int32_t vb = bytes == 1 ? b[i] : b[2 * i] | b[2 * i + 1] << 8;
        const uint32_t d = uint32_t(std::abs(va - vb));
        worst = d > worst ? d : worst;
    }
    return worst;
}

// The inputs and outputs of both sides, allocated and touched before timing.
struct Buffers {
    Format f;
    std::vector<uint8_t> a, b, d, ref;
    std::vector<uint8_t> plane;
    BitPlane bits;
    double result = 0.0, refResult = 0.0;

    explicit Buffers(Op op, Format fmt)
        : f(fmt), a(frame(fmt, 1)), b(op == Op::Correlation ? relatedFrame(a, 2) : frame(fmt, 2)),
          d(fmt.frameBytes(), 1), ref(fmt.frameBytes(), 2), plane(size_t(kPlaneWB) * kSide, 3)
    {
        if (op == Op::UnpackRandom || op == Op::UnpackBlobs)
            bits = bitPlane(op == Op::UnpackBlobs);
    }
};

// One side-by-side case: ours, the peer, and the check of their outputs
// (empty when they agree).
struct Case {
    std::function<void()> ours, peer;
    std::function<std::string()> check;
};

void runCase(benchmark::State& state, const Case& c)
{
    c.ours();
    c.peer();
    const std::string mismatch = c.check();
    if (!mismatch.empty()) {
        state.SkipWithError(mismatch.c_str());
        return;
    }
    bench::sideBySide(state, c.ours, c.peer);
    bench::countItems(state, kPixels);
}

// Ours for every operation; the peers below reuse the same buffers.
std::function<void()> oursOf(Op op, Buffers& m)
{
    const Format f = m.f;
    const uint32_t p = f.pitch();
    return [op, f, p, &m] {
        const uint32_t lo = uint32_t(0.25 * f.top()), hi = uint32_t(0.75 * f.top());
        switch (op) {
        case Op::Add:
            CLxPicMemAPI::AddAndClip(m.d.data(), p, m.a.data(), p, m.b.data(), p, f.comps, f.bits,
                                     kSide, kPixels);
            break;
        case Op::Sub:
            CLxPicMemAPI::SubAndClip(m.d.data(), p, m.a.data(), p, m.b.data(), p, f.comps, f.bits,
                                     kSide, kPixels);
            break;
        case Op::Max:
            CLxPicMemAPI::Max(m.d.data(), p, m.a.data(), p, m.b.data(), p, f.comps, f.bits, kSide,
                              kPixels);
            break;
        case Op::Min:
            CLxPicMemAPI::Min(m.d.data(), p, m.a.data(), p, m.b.data(), p, f.comps, f.bits, kSide,
                              kPixels);
            break;
        case Op::AddConst:
            CLxPicMemAPI::AddConstAndClip(m.d.data(), p, m.a.data(), p, kConstants, f.comps, f.bits,
                                          kSide, kPixels);
            break;
        case Op::Threshold: {
            const std::vector<uint16_t> l(f.comps, uint16_t(lo)), h(f.comps, uint16_t(hi));
            const std::vector<uint8_t> l8(f.comps, uint8_t(lo)), h8(f.comps, uint8_t(hi));
            CLxPicMemAPI::ThresholdToBinary(
                m.plane.data(), 0, kPlaneWB, m.a.data(), f.comps, f.bits, p,
                f.bytes() == 1 ? static_cast<const void*>(l8.data()) : l.data(),
                f.bytes() == 1 ? static_cast<const void*>(h8.data()) : h.data(), true, kSide,
                kPixels, 0);
            break;
        }
        case Op::Transp:
            CLxPicMemAPI::AddTranspAndClip(m.d.data(), p, 0.3, m.a.data(), p, 0.7, m.b.data(), p,
                                           f.comps, f.bits, kSide, kPixels);
            break;
        case Op::DivConst:
            CLxPicMemAPI::DivConstAndClip(m.d.data(), p, m.a.data(), p, kDivisors, f.comps, f.bits,
                                          kSide, kPixels);
            break;
        case Op::Pack:
            CLxPicMemAPI::PackToBinary(m.plane.data(), 0, kPlaneWB, m.a.data(), f.comps, f.bits, p,
                                       uint64_t(128), 2, kSide, kPixels, 0);
            break;
        case Op::UnpackRandom:
        case Op::UnpackBlobs:
            CLxPicMemAPI::UnpackFromBinary(m.d.data(), f.comps, f.bits, uint64_t(200), p,
                                           m.bits.plane.data(), 0, kPlaneWB, kSide, kPixels, 0);
            break;
        case Op::Correlation:
            CLxPicMemAPI::LinearCorrelation(m.a.data(), p, m.b.data(), p, f.comps, f.bits, kSide,
                                            kPixels, m.result);
            break;
        case Op::Focus:
            CLxPicMemAPI::GetFocusCriterium(&m.result, 0, m.a.data(), p, f.comps, f.bits, 1, 1,
                                            kSide, kPixels, CLxPicMemAPI::eLxFocusGradientToSignal);
            break;
        }
    };
}

#ifdef QUELVIX_HAVE_OPENCV
// The OpenCV matrices over the same buffers.
struct CvViews {
    cv::Mat a, b, d, ref, mask, byteMask;
    CvViews(Buffers& m)
    {
        const int type = bench::cvType(m.f.comps, m.f.bytes());
        a = cv::Mat(kSide, kSide, type, m.a.data());
        b = cv::Mat(kSide, kSide, type, m.b.data());
        d = cv::Mat(kSide, kSide, type, m.d.data());
        ref = cv::Mat(kSide, kSide, type, m.ref.data());
        mask = cv::Mat(kSide, kSide, CV_8U, cv::Scalar(0));
        if (!m.bits.mask.empty())
            byteMask = cv::Mat(kSide, kSide, CV_8U, m.bits.mask.data());
    }
};

Case opencvCase(Op op, Buffers& m, CvViews& v)
{
    const Format f = m.f;
    Case c;
    c.ours = oursOf(op, m);
    const double top = f.top();
    const cv::Scalar lo = cv::Scalar::all(double(uint32_t(0.25 * top)));
    const cv::Scalar hi = cv::Scalar::all(double(uint32_t(0.75 * top)));
    const cv::Rect left(0, 0, int(kSide) - 1, int(kSide)), right(1, 0, int(kSide) - 1, int(kSide));
    c.peer = [op, &m, &v, lo, hi, left, right] {
        switch (op) {
        case Op::Add:
            cv::add(v.a, v.b, v.ref);
            break;
        case Op::Sub:
            cv::subtract(v.a, v.b, v.ref);
            break;
        case Op::Max:
            cv::max(v.a, v.b, v.ref);
            break;
        case Op::Min:
            cv::min(v.a, v.b, v.ref);
            break;
        case Op::AddConst:
            cv::add(v.a, cv::Scalar(kConstants[0], kConstants[1], kConstants[2]), v.ref);
            break;
        case Op::Threshold:
            cv::inRange(v.a, lo, hi, v.mask);
            break;
        case Op::Transp:
            cv::addWeighted(v.a, 0.3, v.b, 0.7, 0.0, v.ref);
            break;
        case Op::DivConst:
            cv::divide(v.a, cv::Scalar(kDivisors[0], kDivisors[1]), v.ref);
            break;
        case Op::Pack:
            cv::compare(v.a, 128, v.mask, cv::CMP_GT);
            break;
        case Op::UnpackRandom:
        case Op::UnpackBlobs:
            v.ref.setTo(0);
            v.ref.setTo(200, v.byteMask);
            break;
        case Op::Correlation: {
            cv::Scalar meanA, sdA, meanB, sdB;
            cv::meanStdDev(v.a, meanA, sdA);
            cv::meanStdDev(v.b, meanB, sdB);
            const double n = double(kPixels);
            const double r = (v.a.dot(v.b) / n - meanA[0] * meanB[0]) / (sdA[0] * sdB[0]);
            m.refResult = r > 0.0 ? r : 0.0;
            break;
        }
        case Op::Focus: {
            const double s = cv::norm(v.a(left), cv::NORM_L2SQR);
            const double d = cv::norm(v.a(right), v.a(left), cv::NORM_L2SQR);
            m.refResult = s > 0.0 ? std::sqrt(d / s) : 0.0;
            break;
        }
        }
    };
    // Rounding differs by design where the peer rounds and we truncate
    // (transparency) or round in fixed point (division): at most 1 apart.
    c.check = [op, &m, &v]() -> std::string {
        const size_t samples = size_t(kPixels) * m.f.comps;
        switch (op) {
        case Op::Threshold:
        case Op::Pack:
            return planeMatches(m.plane, v.mask.data, v.mask.step[0]) ? "" : "bits differ";
        case Op::Transp:
        case Op::DivConst:
            return largestDifference(m.d.data(), m.ref.data(), samples, m.f.bytes()) <= 1
                       ? ""
                       : "samples differ by more than 1";
        case Op::Correlation:
        case Op::Focus:
            return std::abs(m.result - m.refResult) <= 1e-9 * std::abs(m.refResult)
                       ? ""
                       : "results differ";
        default:
            return largestDifference(m.d.data(), m.ref.data(), samples, m.f.bytes()) == 0
                       ? ""
                       : "samples differ";
        }
    };
    return c;
}

void versusOpenCv(benchmark::State& state, Op op, Format f)
{
    Buffers m(op, f);
    CvViews v(m);
    runCase(state, opencvCase(op, m, v));
}
#endif

#ifdef QUELVIX_HAVE_VIPS
// libvips on one thread: add (to a wider format) and the range test
// (two relational constants and their AND), computed into memory.
void versusVips(benchmark::State& state, Op op, Format f)
{
    if (!bench::startVipsOnOneThread()) {
        state.SkipWithError("libvips did not start");
        return;
    }
    Buffers m(op, f);
    VipsImage* va =
        vips_image_new_from_memory(m.a.data(), m.a.size(), kSide, kSide, 1, VIPS_FORMAT_UCHAR);
    VipsImage* vb =
        vips_image_new_from_memory(m.b.data(), m.b.size(), kSide, kSide, 1, VIPS_FORMAT_UCHAR);
    std::vector<uint8_t> out;
    double lo = double(uint32_t(0.25 * f.top())), hi = double(uint32_t(0.75 * f.top()));
    Case c;
    c.ours = oursOf(op, m);
    c.peer = [&] {
        VipsImage* r = nullptr;
        if (op == Op::Add) {
            vips_add(va, vb, &r, nullptr);
        } else {
            VipsImage *above = nullptr, *below = nullptr;
            vips_relational_const(va, &above, VIPS_OPERATION_RELATIONAL_MOREEQ, &lo, 1, nullptr);
            vips_relational_const(va, &below, VIPS_OPERATION_RELATIONAL_LESSEQ, &hi, 1, nullptr);
            vips_andimage(above, below, &r, nullptr);
            g_object_unref(above);
            g_object_unref(below);
        }
        size_t size = 0;
        void* mem = vips_image_write_to_memory(r, &size);
        out.assign(static_cast<uint8_t*>(mem), static_cast<uint8_t*>(mem) + size);
        g_free(mem);
        g_object_unref(r);
    };
    c.check = [&]() -> std::string {
        if (op == Op::Threshold)
            return planeMatches(m.plane, out.data(), kSide) ? "" : "bits differ";
        for (size_t i = 0; i < kPixels; ++i) {
            const uint32_t sum = out[2 * i] | out[2 * i + 1] << 8;
            if (m.d[i] != (sum > 255 ? 255 : sum))
                return "samples differ";
        }
        return "";
    };
    runCase(state, c);
    g_object_unref(va);
    g_object_unref(vb);
}
#endif

std::string formatName(const Format& f)
{
    return std::to_string(f.comps) + "x" + std::to_string(f.bits);
}

void add(const char* name, Op op, Format f)
{
    const std::string base = std::string("BM_Arith/") + name + "/" + formatName(f);
#ifdef QUELVIX_HAVE_OPENCV
    benchmark::RegisterBenchmark((base + "/vs_opencv").c_str(), versusOpenCv, op, f)
        ->Unit(benchmark::kMicrosecond);
#endif
#ifdef QUELVIX_HAVE_VIPS
    if (f.comps == 1 && f.bits == 8 && (op == Op::Add || op == Op::Threshold))
        benchmark::RegisterBenchmark((base + "/vs_vips").c_str(), versusVips, op, f)
            ->Unit(benchmark::kMicrosecond);
#endif
    (void)base;
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
    add("AddTransp", Op::Transp, {1, 8});
    add("DivConst", Op::DivConst, {2, 8});
    add("Pack", Op::Pack, {1, 8});
    add("UnpackRandomBits", Op::UnpackRandom, {1, 8});
    add("UnpackBlobs", Op::UnpackBlobs, {1, 8});
    add("Correlation", Op::Correlation, {1, 8});
    add("Focus", Op::Focus, {1, 8});
    add("Focus", Op::Focus, {1, 12});
    return true;
}();

} // namespace
