// Arithmetic with one constant per component. Maximum, minimum, addition
// and subtraction are computed directly in every member (vectorised
// loops); multiplication, division, the add-multiply-power curve and the
// wrapping addition map the fixed-count members at 8 and 16 bits through a
// table built by the landed builders, and compute the N and 32-bit members
// directly with the same rounding.
#include <cstdlib>

#include "gnr_picture/picmemAPI/LxArithKernels.h"
#include "gnr_picture/picmemAPI/LxArithKernelsT.h"
#include "gnr_picture/picmemAPI/LxLutKernels.h"

using namespace lxpic;

using u8 = uint8_t;
using u16 = uint16_t;
using u32 = uint32_t;

namespace
{

// ---- Direct members ---------------------------------------------------------

template <class T, uint32_t CN>
LX_KERNEL_INLINE int addConst(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                              const int32_t* constants, bool subtract, uint32_t comps,
                              uint32_t bits, uint32_t width, uint32_t count)
{
    uint32_t lines;
    const int checked = checkLines(width, count, lines, {dst, src, constants});
    if (checked <= 0)
        return checked;
    const AddConstOp<T> op{T(clipMaximum<T>(bits))};
    constLoop<T, CN, AddConstPair<T>>(
        dst, dstWB, src, srcWB, nullptr, 0, comps, width, lines,
        [=](uint32_t c) {
            const int64_t k = constants[c];
            return op.prepare(subtract ? -k : k);
        },
        op);
    return 0;
}

template <class T, uint32_t CN, template <class> class Op>
LX_KERNEL_INLINE int boundConst(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                const void* constant, uint32_t comps, uint32_t width,
                                uint32_t count)
{
    uint32_t lines;
    const int checked = checkLines(width, count, lines, {dst, src, constant});
    if (checked <= 0)
        return checked;
    const auto* k = static_cast<const uint8_t*>(constant);
    constLoop<T, CN, T>(
        dst, dstWB, src, srcWB, nullptr, 0, comps, width, lines,
        [k](uint32_t c) { return load<T>(k + size_t(c) * sizeof(T)); }, Op<T>{});
    return 0;
}

// Cloned instances of the direct loops: (sample, count) pairs.
#define LX_CONST_CLONES(suffix, T, CN)                                                             \
    LX_KERNEL_CLONES int addConst##suffix(                                                         \
        void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, const int32_t* k,              \
        bool subtract, uint32_t comps, uint32_t bits, uint32_t width, uint32_t count)              \
    {                                                                                              \
        return addConst<T, CN>(dst, dstWB, src, srcWB, k, subtract, comps, bits, width, count);    \
    }                                                                                              \
    LX_KERNEL_CLONES int maxConst##suffix(void* dst, uint32_t dstWB, const void* src,              \
                                          uint32_t srcWB, const void* k, uint32_t comps,           \
                                          uint32_t width, uint32_t count)                          \
    {                                                                                              \
        return boundConst<T, CN, MaxConstOp>(dst, dstWB, src, srcWB, k, comps, width, count);      \
    }                                                                                              \
    LX_KERNEL_CLONES int minConst##suffix(void* dst, uint32_t dstWB, const void* src,              \
                                          uint32_t srcWB, const void* k, uint32_t comps,           \
                                          uint32_t width, uint32_t count)                          \
    {                                                                                              \
        return boundConst<T, CN, MinConstOp>(dst, dstWB, src, srcWB, k, comps, width, count);      \
    }

LX_CONST_CLONES(_1x8, u8, 1)
LX_CONST_CLONES(_3x8, u8, 3)
LX_CONST_CLONES(_4x8, u8, 4)
LX_CONST_CLONES(_Nx8, u8, 0)
LX_CONST_CLONES(_1x16, u16, 1)
LX_CONST_CLONES(_3x16, u16, 3)
LX_CONST_CLONES(_4x16, u16, 4)
LX_CONST_CLONES(_Nx16, u16, 0)

#undef LX_CONST_CLONES

// ---- Tables -------------------------------------------------------------------

// A temporary table of 2^bits entries of CN samples T for the call: flat for
// one component, an index of entry pointers into one block for 3 and 4.
// Allocated with malloc, released on every path.
template <class T, uint32_t CN> class CallTable
{
  public:
    explicit CallTable(uint32_t bits)
    {
        if (bits == 0 || bits > 8 * sizeof(T))
            return;
        const size_t n = size_t(1) << bits;
        m_block = static_cast<uint8_t*>(std::malloc(n * CN * sizeof(T)));
        if (CN > 1 && m_block) {
            m_rows = static_cast<void**>(std::malloc(n * sizeof(void*)));
            if (m_rows)
                for (size_t i = 0; i < n; ++i)
                    m_rows[i] = m_block + i * CN * sizeof(T);
        }
    }
    ~CallTable()
    {
        std::free(m_rows);
        std::free(m_block);
    }
    CallTable(const CallTable&) = delete;
    CallTable& operator=(const CallTable&) = delete;

    bool ready() const { return m_block && (CN == 1 || m_rows); }
    void* flat() const { return m_block; }
    void* const* rows() const { return m_rows; }

  private:
    uint8_t* m_block = nullptr;
    void** m_rows = nullptr;
};

// Builds the table by build(table) and maps the picture through it; -3
// when bits does not fit the sample or memory fails.
template <class T, uint32_t CN, class Build>
int throughTable(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t bits,
                 uint32_t width, uint32_t count, Build build)
{
    const CallTable<T, CN> table(bits);
    if (!table.ready())
        return -3;
    constexpr bool bytes = sizeof(T) == 1;
    if constexpr (CN == 1) {
        build(table.flat());
        return bytes ? applyluts_1x8(dst, dstWB, src, srcWB, table.flat(), 1, bits, width, count)
                     : applyluts_1x16(dst, dstWB, src, srcWB, table.flat(), 1, bits, width, count);
    } else {
        build(table.rows());
        const void* const* rows = table.rows();
        if constexpr (CN == 3)
            return bytes ? applyluts_3x8(dst, dstWB, src, srcWB, rows, 3, bits, width, count)
                         : applyluts_3x16(dst, dstWB, src, srcWB, rows, 3, bits, width, count);
        else
            return bytes ? applyluts_4x8(dst, dstWB, src, srcWB, rows, 4, bits, width, count)
                         : applyluts_4x16(dst, dstWB, src, srcWB, rows, 4, bits, width, count);
    }
}

// The calcluts builder of the member's format with the steps given (null
// steps skipped).
template <class T, uint32_t CN>
int curveTable(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, const double* add,
               const double* mul, const double* pow, uint32_t bits, uint32_t width, uint32_t count)
{
    return throughTable<T, CN>(dst, dstWB, src, srcWB, bits, width, count, [&](auto table) {
        if constexpr (CN == 1) {
            if constexpr (sizeof(T) == 1)
                calcluts_1x8(table, add, mul, pow, bits);
            else
                calcluts_1x16(table, add, mul, pow, bits);
        } else {
            if constexpr (sizeof(T) == 1)
                calcluts_Nx8(table, add, mul, pow, CN, bits);
            else
                calcluts_Nx16(table, add, mul, pow, CN, bits);
        }
    });
}

// ---- Members by operation -------------------------------------------------------

// Whether a divisor gives a sound quotient: positive and finite.
inline bool soundDivisor(double d)
{
    return d > 0.0 && d < std::numeric_limits<double>::infinity();
}

template <class T, uint32_t CN>
int mulConst(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, const double* m,
             uint32_t comps, uint32_t bits, uint32_t width, uint32_t count)
{
    uint32_t lines;
    const int checked = checkLines(width, count, lines, {dst, src, m});
    if (checked <= 0)
        return checked;
    if constexpr (CN == 0) {
        constLoop<T, 0, double>(
            dst, dstWB, src, srcWB, nullptr, 0, comps, width, lines,
            [m](uint32_t c) { return m[c]; }, MulConstOp<T>{clipMaximum<T>(bits)});
        return 0;
    } else {
        return curveTable<T, CN>(dst, dstWB, src, srcWB, nullptr, m, nullptr, bits, width, count);
    }
}

template <class T, uint32_t CN>
int powConst(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, const double* add,
             const double* mul, const double* pow, uint32_t comps, uint32_t bits, uint32_t width,
             uint32_t count)
{
    uint32_t lines;
    const int checked = checkLines(width, count, lines, {dst, src, add, mul, pow});
    if (checked <= 0)
        return checked;
    if constexpr (CN == 0) {
        constLoop<T, 0, PowConstants>(
            dst, dstWB, src, srcWB, nullptr, 0, comps, width, lines,
            [=](uint32_t c) {
                return PowConstants{add[c], mul[c], pow[c]};
            },
            AddMulPowConstOp<T>{clipMaximum<T>(bits)});
        return 0;
    } else {
        return curveTable<T, CN>(dst, dstWB, src, srcWB, add, mul, pow, bits, width, count);
    }
}

// The wrapping addition of 3 components.
template <class T>
int rotateConst3(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                 const int32_t* constants, uint32_t bits, uint32_t width, uint32_t count)
{
    uint32_t lines;
    const int checked = checkLines(width, count, lines, {dst, src, constants});
    if (checked <= 0)
        return checked;
    const double offsets[3] = {double(constants[0]), double(constants[1]), double(constants[2])};
    return throughTable<T, 3>(dst, dstWB, src, srcWB, bits, width, count, [&](void* const* rows) {
        if constexpr (sizeof(T) == 1)
            calcluts_Nx8_rotate(rows, offsets, 3, bits);
        else
            calcluts_Nx16_rotate(rows, offsets, 3, bits);
    });
}

// Fixed-point divisors of comps components with the scale S: -9 for a
// divisor that is not positive and finite or whose D is 0. D is held to
// cap, which keeps a S + D / 2 inside U and cannot change a quotient that
// is then 0 either way.
template <class U>
int fixedDivisors(FixedDivisor<U>* out, const double* d, uint32_t comps, U scale, U cap)
{
    for (uint32_t c = 0; c < comps; ++c) {
        if (!soundDivisor(d[c]))
            return -9;
        const U dd = U(saturatedUint(d[c] * double(scale) + 0.5, cap));
        if (dd == 0)
            return -9;
        out[c] = FixedDivisor<U>{dd, U(dd / 2)};
    }
    return 0;
}

// ---- Byte division without a division per sample -----------------------------------
//
// For a in 0..255 the quotient min(M, (a S + H) / D) equals
// min(M, (min(a, sat) P + Q) >> k) with P = ceil(S 2^k / D) and
// Q = ceil(H 2^k / D) once 2^k >= 256 D: (a S + H) / D is then exceeded by
// less than (a + 1) / 2^k <= 1 / D, and a fraction of a quotient by D is at
// least 1 / D below the next whole number. sat, the first a whose quotient
// is M, keeps the sum in 32 bits. All components share k, and each one is
// checked against the division for every a before it is used.

// Pixels a block of the byte division: the lanes of a block hold their
// component's constants; more components than this divide directly.
constexpr uint32_t kQuotientPixels = 64;
constexpr uint32_t kMostQuotientComps = 64;

inline uint32_t byteQuotient(uint32_t a, FixedDivisor<uint32_t> k, uint32_t scale, uint32_t max)
{
    const uint32_t r = (a * scale + k.half) / k.d;
    return r >= max ? max : r;
}

struct ByteQuotientPlan {
    uint8_t* sat;
    uint32_t* mul;
    uint32_t* add;
    uint32_t shift;
};

// Each component's constants into lane c of the plan; false when no shared
// shift serves every component or a check fails.
bool planByteQuotients(const FixedDivisor<uint32_t>* divisors, uint32_t comps, uint32_t scale,
                       uint32_t max, ByteQuotientPlan& plan)
{
    const auto mulOf = [scale](FixedDivisor<uint32_t> k, uint32_t shift) {
        return uint64_t((uint64_t(scale) << shift) + k.d - 1) / k.d;
    };
    const auto addOf = [](FixedDivisor<uint32_t> k, uint32_t shift) {
        return uint64_t((uint64_t(k.half) << shift) + k.d - 1) / k.d;
    };
    uint32_t lowest = 0, highest = 31;
    for (uint32_t c = 0; c < comps; ++c) {
        const FixedDivisor<uint32_t> k = divisors[c];
        uint32_t sat = 0;
        while (sat < 255 && byteQuotient(sat, k, scale, max) < max)
            ++sat;
        plan.sat[c] = uint8_t(sat);
        if (byteQuotient(255, k, scale, max) == 0)
            continue; // every quotient 0: no constraint on the shift
        uint32_t need = 0;
        while (need < 64 && (uint64_t(1) << need) < uint64_t(256) * k.d)
            ++need;
        uint32_t fits = 31;
        while (fits > 0 && sat * mulOf(k, fits) + addOf(k, fits) > 0xFFFFFFFFu)
            --fits;
        lowest = need > lowest ? need : lowest;
        highest = fits < highest ? fits : highest;
    }
    if (lowest > highest)
        return false;
    plan.shift = highest;
    for (uint32_t c = 0; c < comps; ++c) {
        const FixedDivisor<uint32_t> k = divisors[c];
        const bool zero = byteQuotient(255, k, scale, max) == 0;
        plan.mul[c] = zero ? 0 : uint32_t(mulOf(k, plan.shift));
        plan.add[c] = zero ? 0 : uint32_t(addOf(k, plan.shift));
        for (uint32_t a = 0; a < 256; ++a) {
            const uint32_t held = a < plan.sat[c] ? a : plan.sat[c];
            const uint32_t q = (held * plan.mul[c] + plan.add[c]) >> plan.shift;
            if ((q < max ? q : max) != byteQuotient(a, k, scale, max))
                return false;
        }
    }
    return true;
}

// The planned division of whole lines; sat, mul and add hold period lanes.
LX_KERNEL_CLONES void divideBytes(uint8_t* dst, size_t dstPitch, const uint8_t* src,
                                  size_t srcPitch, size_t samples, uint32_t lines,
                                  const uint8_t* __restrict sat, const uint32_t* __restrict mul,
                                  const uint32_t* __restrict add, size_t period, uint32_t shift,
                                  uint32_t max)
{
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* d = dst + y * dstPitch;
        const uint8_t* s = src + y * srcPitch;
        for (size_t i = 0; i < samples; i += period) {
            const size_t n = samples - i < period ? samples - i : period;
            for (size_t j = 0; j < n; ++j) {
                const uint32_t a = s[i + j] < sat[j] ? s[i + j] : sat[j];
                const uint32_t q = (a * mul[j] + add[j]) >> shift;
                d[i + j] = uint8_t(q < max ? q : max);
            }
        }
    }
}

// The byte division through a plan; false (nothing written) when there is
// none or its lanes cannot be allocated.
bool divideBytesByPlan(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                       const FixedDivisor<uint32_t>* divisors, uint32_t comps, uint32_t scale,
                       uint32_t max, uint32_t width, uint32_t lines)
{
    if (comps > kMostQuotientComps)
        return false;
    const size_t period = size_t(kQuotientPixels) * comps;
    auto* lanes = static_cast<uint8_t*>(std::malloc(period * (2 * sizeof(uint32_t) + 1)));
    if (!lanes)
        return false;
    ByteQuotientPlan plan{lanes + 2 * sizeof(uint32_t) * period, reinterpret_cast<uint32_t*>(lanes),
                          reinterpret_cast<uint32_t*>(lanes) + period, 0};
    const bool planned = planByteQuotients(divisors, comps, scale, max, plan);
    if (planned) {
        for (size_t j = comps; j < period; ++j) {
            plan.sat[j] = plan.sat[j % comps];
            plan.mul[j] = plan.mul[j % comps];
            plan.add[j] = plan.add[j % comps];
        }
        divideBytes(static_cast<uint8_t*>(dst), dstWB, static_cast<const uint8_t*>(src), srcWB,
                    size_t(width) * comps, lines, plan.sat, plan.mul, plan.add, period, plan.shift,
                    max);
    }
    std::free(lanes);
    return planned;
}

// Direct division of comps components in the unsigned type U with the scale
// S; divisors are laid out in divisors (comps entries).
template <class T, class U>
int divDirect(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, const double* d,
              FixedDivisor<U>* divisors, uint32_t comps, uint32_t bits, uint32_t width,
              uint32_t lines, U scale, U cap)
{
    const int sound = fixedDivisors<U>(divisors, d, comps, scale, cap);
    if (sound != 0)
        return sound;
    if constexpr (sizeof(T) == 1)
        if (divideBytesByPlan(dst, dstWB, src, srcWB, divisors, comps, scale,
                              uint32_t(clipMaximum<T>(bits)), width, lines))
            return 0;
    constLoop<T, 0, FixedDivisor<U>>(
        dst, dstWB, src, srcWB, nullptr, 0, comps, width, lines,
        [divisors](uint32_t c) { return divisors[c]; },
        DivConstOp<T, U>{scale, U(clipMaximum<T>(bits))});
    return 0;
}

// Scales and caps of the direct divisions.
template <class T> struct DivScale;
template <> struct DivScale<u8> {
    using U = uint32_t;
    static constexpr U scale = 1u << 12, cap = 0xFFFFFFFFu;
};
template <> struct DivScale<u16> {
    using U = uint32_t;
    static constexpr U scale = 1u << 8, cap = 0xFFFFFFFFu;
};
template <> struct DivScale<u32> {
    using U = uint64_t;
    static constexpr U scale = U(1) << 16, cap = U(1) << 62;
};

template <class T, uint32_t CN>
int divConst(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, const double* d,
             uint32_t comps, uint32_t bits, uint32_t width, uint32_t count)
{
    uint32_t lines;
    const int checked = checkLines(width, count, lines, {dst, src, d});
    if (checked <= 0)
        return checked;
    using S = DivScale<T>;
    using U = typename S::U;
    if constexpr (sizeof(T) == 4 && CN == 5) {
        FixedDivisor<U> divisors[5];
        return divDirect<T, U>(dst, dstWB, src, srcWB, d, divisors, 5, bits, width, lines, S::scale,
                               S::cap);
    } else if constexpr (sizeof(T) == 4 || CN == 0) {
        if (comps == 0)
            return 0;
        auto* divisors =
            static_cast<FixedDivisor<U>*>(std::malloc(comps * sizeof(FixedDivisor<U>)));
        if (!divisors)
            return -3;
        const int result = divDirect<T, U>(dst, dstWB, src, srcWB, d, divisors, comps, bits, width,
                                           lines, S::scale, S::cap);
        std::free(divisors);
        return result;
    } else {
        double inverse[CN];
        for (uint32_t c = 0; c < CN; ++c) {
            if (!soundDivisor(d[c]))
                return -9;
            inverse[c] = 1.0 / d[c];
        }
        return curveTable<T, CN>(dst, dstWB, src, srcWB, nullptr, inverse, nullptr, bits, width,
                                 count);
    }
}

} // namespace

// ---- Exported members --------------------------------------------------------------

#define LX_BOUND_MEMBERS(suffix)                                                                   \
    int maxconstandclip##suffix(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,        \
                                const void* constant, uint32_t comps, uint32_t bits,               \
                                uint32_t width, uint32_t pixelCount)                               \
    {                                                                                              \
        (void)bits;                                                                                \
        return maxConst##suffix(dst, dstWB, src, srcWB, constant, comps, width, pixelCount);       \
    }                                                                                              \
    int minconstandclip##suffix(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,        \
                                const void* constant, uint32_t comps, uint32_t bits,               \
                                uint32_t width, uint32_t pixelCount)                               \
    {                                                                                              \
        (void)bits;                                                                                \
        return minConst##suffix(dst, dstWB, src, srcWB, constant, comps, width, pixelCount);       \
    }                                                                                              \
    int addconstandclip##suffix(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,        \
                                const int32_t* constants, uint32_t comps, uint32_t bits,           \
                                uint32_t width, uint32_t pixelCount)                               \
    {                                                                                              \
        return addConst##suffix(dst, dstWB, src, srcWB, constants, false, comps, bits, width,      \
                                pixelCount);                                                       \
    }                                                                                              \
    int subconstandclip##suffix(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,        \
                                const int32_t* constants, uint32_t comps, uint32_t bits,           \
                                uint32_t width, uint32_t pixelCount)                               \
    {                                                                                              \
        return addConst##suffix(dst, dstWB, src, srcWB, constants, true, comps, bits, width,       \
                                pixelCount);                                                       \
    }

LX_BOUND_MEMBERS(_1x8)
LX_BOUND_MEMBERS(_3x8)
LX_BOUND_MEMBERS(_4x8)
LX_BOUND_MEMBERS(_Nx8)
LX_BOUND_MEMBERS(_1x16)
LX_BOUND_MEMBERS(_3x16)
LX_BOUND_MEMBERS(_4x16)
LX_BOUND_MEMBERS(_Nx16)

#undef LX_BOUND_MEMBERS

// Only the 3-component members wrap; the others are the clipping members
// under a second name.
#define LX_ROTATE_ALIAS(suffix)                                                                    \
    int addconstrotate##suffix(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,         \
                               const int32_t* constants, uint32_t comps, uint32_t bits,            \
                               uint32_t width, uint32_t pixelCount)                                \
        __attribute__((alias("addconstandclip" #suffix)));

LX_ROTATE_ALIAS(_1x8)
LX_ROTATE_ALIAS(_4x8)
LX_ROTATE_ALIAS(_Nx8)
LX_ROTATE_ALIAS(_1x16)
LX_ROTATE_ALIAS(_4x16)
LX_ROTATE_ALIAS(_Nx16)

#undef LX_ROTATE_ALIAS

int addconstrotate_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                       const int32_t* constants, uint32_t comps, uint32_t bits, uint32_t width,
                       uint32_t pixelCount)
{
    (void)comps;
    return rotateConst3<u8>(dst, dstWB, src, srcWB, constants, bits, width, pixelCount);
}

int addconstrotate_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                        const int32_t* constants, uint32_t comps, uint32_t bits, uint32_t width,
                        uint32_t pixelCount)
{
    (void)comps;
    return rotateConst3<u16>(dst, dstWB, src, srcWB, constants, bits, width, pixelCount);
}

#define LX_CURVE_MEMBERS(suffix, T, CN)                                                            \
    int mulconstandclip##suffix(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,        \
                                const double* constants, uint32_t comps, uint32_t bits,            \
                                uint32_t width, uint32_t pixelCount)                               \
    {                                                                                              \
        return mulConst<T, CN>(dst, dstWB, src, srcWB, constants, comps, bits, width, pixelCount); \
    }                                                                                              \
    int divconstandclip##suffix(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,        \
                                const double* divisors, uint32_t comps, uint32_t bits,             \
                                uint32_t width, uint32_t pixelCount)                               \
    {                                                                                              \
        return divConst<T, CN>(dst, dstWB, src, srcWB, divisors, comps, bits, width, pixelCount);  \
    }                                                                                              \
    int addmulpowconstandclip##suffix(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,  \
                                      const double* add, const double* mul, const double* pow,     \
                                      uint32_t comps, uint32_t bits, uint32_t width,               \
                                      uint32_t pixelCount)                                         \
    {                                                                                              \
        return powConst<T, CN>(dst, dstWB, src, srcWB, add, mul, pow, comps, bits, width,          \
                               pixelCount);                                                        \
    }

LX_CURVE_MEMBERS(_1x8, u8, 1)
LX_CURVE_MEMBERS(_3x8, u8, 3)
LX_CURVE_MEMBERS(_4x8, u8, 4)
LX_CURVE_MEMBERS(_Nx8, u8, 0)
LX_CURVE_MEMBERS(_1x16, u16, 1)
LX_CURVE_MEMBERS(_3x16, u16, 3)
LX_CURVE_MEMBERS(_4x16, u16, 4)
LX_CURVE_MEMBERS(_Nx16, u16, 0)

#undef LX_CURVE_MEMBERS

int divconstandclip_5x32(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                         const double* divisors, uint32_t comps, uint32_t bits, uint32_t width,
                         uint32_t pixelCount)
{
    (void)comps;
    return divConst<u32, 5>(dst, dstWB, src, srcWB, divisors, 5, bits, width, pixelCount);
}

int divconstandclip_Nx32(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                         const double* divisors, uint32_t comps, uint32_t bits, uint32_t width,
                         uint32_t pixelCount)
{
    return divConst<u32, 0>(dst, dstWB, src, srcWB, divisors, comps, bits, width, pixelCount);
}
