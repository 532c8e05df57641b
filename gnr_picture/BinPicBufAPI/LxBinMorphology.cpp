// Binary erosion and dilation by fixed structuring elements, built from
// whole-picture one-pixel shifts (each clamping at the border) and line-wise
// AND (erosion) or OR (dilation); repeated forms, openings, closings and
// contours.
#include "LxBinFusedLines.h"
#include "LxBinPicBufCheck.h"
#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"

using namespace lx_bin;
using API = CLxBinPicBufAPI;

namespace
{

struct ErodeOp {
    static constexpr CLxBinPicMemAPI::BinaryOp kOp = CLxBinPicMemAPI::eBinAnd;
    static constexpr auto Row3 = Row3And;
    static constexpr auto Lines3 = Lines3And;
    static void Combine(SLxBinPicBuf* d, const SLxBinPicBuf* s) { API::And(d, s); }
    static void CombineFill(SLxBinPicBuf* a, SLxBinPicBuf* b) { API::And_FillDestAndSource(a, b); }
};

struct DilateOp {
    static constexpr CLxBinPicMemAPI::BinaryOp kOp = CLxBinPicMemAPI::eBinOr;
    static constexpr auto Row3 = Row3Or;
    static constexpr auto Lines3 = Lines3Or;
    static void Combine(SLxBinPicBuf* d, const SLxBinPicBuf* s) { API::Or(d, s); }
    static void CombineFill(SLxBinPicBuf* a, SLxBinPicBuf* b) { API::Or_FillDestAndSource(a, b); }
};

// Every picture present and of one size, the destination apart from the rest.
bool Usable(const SLxBinPicBuf* d, const SLxBinPicBuf* s, const SLxBinPicBuf* t1,
            const SLxBinPicBuf* t2 = nullptr)
{
    if (!SameSize(d, s) || !SameSize(d, t1) || (t2 && !SameSize(d, t2)))
        return false;
    return d != s && d != t1 && d != t2 && s != t1 && s != t2;
}

// The single passes, without checks. Each leaves its result in d.
// The 3 x 3 square: the horizontal 3-pixel step into t, then the vertical
// one into d. Each step is the composed shifts and AND / OR fused into one
// pass over the lines, with the same pixels.
template <class M> void Square3x3(SLxBinPicBuf* d, const SLxBinPicBuf* s, SLxBinPicBuf* t, bool)
{
    uint32_t h = s->uiHeight, row = MinLineBytes(t, s), col = MinLineBytes(d, t);
    for (uint32_t y = 0; y < h; ++y)
        M::Row3(Line(t, y), Line(s, y), row, s->uiWidth);
    for (uint32_t y = 0; y < h; ++y)
        M::Lines3(Line(d, y), Line(t, y > 0 ? y - 1 : 0), Line(t, y),
                  Line(t, y + 1 < h ? y + 1 : y), col);
}

template <class M>
void Square2x2(SLxBinPicBuf* d, const SLxBinPicBuf* s, SLxBinPicBuf* t, bool flag)
{
    API::Copy_2x(d, t, s);
    if (flag)
        API::ShiftRightInplace(t);
    else
        API::ShiftLeftInplace(t);
    M::CombineFill(d, t);
    if (flag)
        API::ShiftDown(d, t, M::kOp);
    else
        API::ShiftUp(d, t, M::kOp);
}

// d = r op (r shifted right) op (r shifted left) op (r up) op (r down); r
// must not be d or t.
template <class M> void CrossOf(SLxBinPicBuf* d, const SLxBinPicBuf* r, SLxBinPicBuf* t)
{
    API::Copy_2x(d, t, r);
    API::ShiftRightInplace(t);
    M::Combine(d, t);
    API::Copy(t, r);
    API::ShiftLeftInplace(t);
    M::Combine(d, t);
    API::ShiftUp(d, r, M::kOp);
    API::ShiftDown(d, r, M::kOp);
}

template <class M> void Cross(SLxBinPicBuf* d, const SLxBinPicBuf* s, SLxBinPicBuf* t, bool)
{
    CrossOf<M>(d, s, t);
}

template <class M, void (*First)(SLxBinPicBuf*, const SLxBinPicBuf*, SLxBinPicBuf*, bool)>
void Octagon(SLxBinPicBuf* d, const SLxBinPicBuf* s, SLxBinPicBuf* t1, SLxBinPicBuf* t2, bool flag)
{
    First(d, s, t1, flag);
    API::Copy(t2, d);
    CrossOf<M>(d, t2, t1);
}

template <class M> void Line000(SLxBinPicBuf* d, const SLxBinPicBuf* s, SLxBinPicBuf* t, bool)
{
    API::Copy_2x(d, t, s);
    API::ShiftLeftInplace(d);
    API::ShiftRightInplace(t);
    M::Combine(d, s);
    M::Combine(d, t);
}

// Diagonals: d = s moved vertically by up then horizontally by right, t the
// opposite.
template <class M, bool upRight>
void Diagonal(SLxBinPicBuf* d, const SLxBinPicBuf* s, SLxBinPicBuf* t)
{
    API::ShiftUp(d, s, CLxBinPicMemAPI::eBinReplace);
    API::ShiftDown(t, s, CLxBinPicMemAPI::eBinReplace);
    if (upRight) {
        API::ShiftRightInplace(d);
        API::ShiftLeftInplace(t);
    } else {
        API::ShiftLeftInplace(d);
        API::ShiftRightInplace(t);
    }
    M::Combine(d, s);
    M::Combine(d, t);
}

template <class M> void Line045(SLxBinPicBuf* d, const SLxBinPicBuf* s, SLxBinPicBuf* t, bool)
{
    Diagonal<M, true>(d, s, t);
}

template <class M> void Line135(SLxBinPicBuf* d, const SLxBinPicBuf* s, SLxBinPicBuf* t, bool)
{
    Diagonal<M, false>(d, s, t);
}

template <class M> void Line090(SLxBinPicBuf* d, const SLxBinPicBuf* s, SLxBinPicBuf*, bool)
{
    API::Copy(d, s);
    API::ShiftUp(d, s, M::kOp);
    API::ShiftDown(d, s, M::kOp);
}

// One pass of any element through a common signature.
using Pass = void (*)(SLxBinPicBuf*, const SLxBinPicBuf*, SLxBinPicBuf*, SLxBinPicBuf*, bool);

template <void (*F)(SLxBinPicBuf*, const SLxBinPicBuf*, SLxBinPicBuf*, bool)>
void OneScratch(SLxBinPicBuf* d, const SLxBinPicBuf* s, SLxBinPicBuf* t1, SLxBinPicBuf*, bool flag)
{
    F(d, s, t1, flag);
}

enum class Cap { Larger, HalfLarger, HalfWidth, HalfHeight };

struct Element {
    Pass erode;
    Pass dilate;
    bool twoScratch;
    Cap cap;
};

#define LX_SIMPLE(F, cap)                                                                          \
    {                                                                                              \
        OneScratch<F<ErodeOp>>, OneScratch<F<DilateOp>>, false, cap                                \
    }

const Element kSquare3x3 = LX_SIMPLE(Square3x3, Cap::Larger);
const Element kSquare2x2 = LX_SIMPLE(Square2x2, Cap::Larger);
const Element kOct4x4 = {Octagon<ErodeOp, Square2x2<ErodeOp>>,
                         Octagon<DilateOp, Square2x2<DilateOp>>, true, Cap::HalfLarger};
const Element kOct5x5 = {Octagon<ErodeOp, Square3x3<ErodeOp>>,
                         Octagon<DilateOp, Square3x3<DilateOp>>, true, Cap::HalfLarger};
const Element kCross = LX_SIMPLE(Cross, Cap::HalfLarger);
const Element kLine000 = LX_SIMPLE(Line000, Cap::HalfWidth);
const Element kLine045 = LX_SIMPLE(Line045, Cap::HalfLarger);
const Element kLine090 = LX_SIMPLE(Line090, Cap::HalfHeight);
const Element kLine135 = LX_SIMPLE(Line135, Cap::HalfLarger);
#undef LX_SIMPLE

uint32_t CapOf(Cap cap, const SLxBinPicBuf* pic)
{
    uint32_t larger = pic->uiWidth > pic->uiHeight ? pic->uiWidth : pic->uiHeight;
    switch (cap) {
    case Cap::Larger:
        return larger;
    case Cap::HalfLarger:
        return larger / 2;
    case Cap::HalfWidth:
        return pic->uiWidth / 2;
    case Cap::HalfHeight:
        return pic->uiHeight / 2;
    }
    return 0;
}

// Scratch pictures with the source's geometry, all made before any pass.
class Scratch
{
  public:
    explicit Scratch(unsigned count) : m_count(count)
    {
        for (auto& pic : m_pics)
            API::Init(&pic);
    }
    ~Scratch()
    {
        for (auto& pic : m_pics)
            API::Free(&pic);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    bool Make(const SLxBinPicBuf* like)
    {
        for (unsigned i = 0; i < m_count; ++i)
            if (API::Reinit(&m_pics[i], like->uiWidth, like->uiHeight, like->uiWidthBytes, false) !=
                0)
                return false;
        return true;
    }
    SLxBinPicBuf* operator[](unsigned i) { return &m_pics[i]; }

  private:
    SLxBinPicBuf m_pics[4];
    unsigned m_count;
};

// n passes of pass from s into d, ping-ponging through second; t1 and t2
// are the passes' own scratch.
void Repeat(Pass pass, SLxBinPicBuf* d, const SLxBinPicBuf* s, uint32_t n, bool flag,
            SLxBinPicBuf* second, SLxBinPicBuf* t1, SLxBinPicBuf* t2)
{
    uint32_t k = 0;
    auto flagOf = [&](uint32_t index) { return index % 2 == 0 ? flag : !flag; };
    if (n % 2 == 1) {
        pass(d, s, t1, t2, flagOf(k++));
        s = d;
    }
    while (k < n) {
        pass(second, s, t1, t2, flagOf(k++));
        pass(d, second, t1, t2, flagOf(k++));
        s = d;
    }
}

unsigned ScratchCount(const Element& e)
{
    return e.twoScratch ? 2u : 1u;
}

int RunCount(const Element& e, bool erode, SLxBinPicBuf* d, const SLxBinPicBuf* s, uint32_t count,
             bool flag)
{
    if (!SameSize(d, s) || d == s)
        return -9;
    uint32_t cap = CapOf(e.cap, s);
    uint32_t n = count < cap ? count : cap;
    if (n == 0)
        return 0;
    Scratch scratch(ScratchCount(e) + (n > 1 ? 1 : 0));
    if (!scratch.Make(s))
        return -3;
    SLxBinPicBuf* t2 = e.twoScratch ? scratch[1] : nullptr;
    SLxBinPicBuf* second = n > 1 ? scratch[ScratchCount(e)] : nullptr;
    Repeat(erode ? e.erode : e.dilate, d, s, n, flag, second, scratch[0], t2);
    return 0;
}

// Opening (erode first) or closing of n = min(count, max(w, h) / 2).
int RunOpenClose(const Element& e, bool open, SLxBinPicBuf* d, const SLxBinPicBuf* s,
                 uint32_t count)
{
    if (!SameSize(d, s) || d == s)
        return -9;
    uint32_t cap = CapOf(Cap::HalfLarger, s);
    uint32_t n = count < cap ? count : cap;
    if (n == 0)
        return 0;
    unsigned own = ScratchCount(e);
    Scratch scratch(own + (n > 1 ? 2 : 1));
    if (!scratch.Make(s))
        return -3;
    SLxBinPicBuf* t2 = e.twoScratch ? scratch[1] : nullptr;
    SLxBinPicBuf* u = scratch[own];
    SLxBinPicBuf* second = n > 1 ? scratch[own + 1] : nullptr;
    // Erosion with flag true, dilation with flag false: the second half
    // mirrors the first (only the 2x2 and 4x4 forms look at the flag).
    Pass first = open ? e.erode : e.dilate;
    Pass then = open ? e.dilate : e.erode;
    Repeat(first, u, s, n, open, second, scratch[0], t2);
    Repeat(then, d, u, n, !open, second, scratch[0], t2);
    return 0;
}

int RunSingle(Pass pass, SLxBinPicBuf* d, const SLxBinPicBuf* s, SLxBinPicBuf* t1, SLxBinPicBuf* t2,
              bool flag)
{
    if (!Usable(d, s, t1, t2))
        return -9;
    pass(d, s, t1, t2, flag);
    return 0;
}

} // namespace

// --- Single passes -----------------------------------------------------------

#define LX_BIN_SINGLE(Name, elem, which)                                                           \
    int CLxBinPicBufAPI::Name(SLxBinPicBuf* dst, const SLxBinPicBuf* src, SLxBinPicBuf* tmp)       \
    {                                                                                              \
        return RunSingle(elem.which, dst, src, tmp, nullptr, false);                               \
    }

LX_BIN_SINGLE(Erode3x3, kSquare3x3, erode)
LX_BIN_SINGLE(Dilate3x3, kSquare3x3, dilate)
LX_BIN_SINGLE(Erode3x3Cross, kCross, erode)
LX_BIN_SINGLE(Dilate3x3Cross, kCross, dilate)
LX_BIN_SINGLE(LinErode_000, kLine000, erode)
LX_BIN_SINGLE(LinErode_045, kLine045, erode)
LX_BIN_SINGLE(LinErode_135, kLine135, erode)
LX_BIN_SINGLE(LinDilate_000, kLine000, dilate)
LX_BIN_SINGLE(LinDilate_045, kLine045, dilate)
LX_BIN_SINGLE(LinDilate_135, kLine135, dilate)
#undef LX_BIN_SINGLE

// The vertical line needs no scratch: a null one is taken.
int CLxBinPicBufAPI::LinErode_090(SLxBinPicBuf* dst, const SLxBinPicBuf* src, SLxBinPicBuf* tmp)
{
    if (!tmp)
        return SameSize(dst, src) && dst != src
                   ? (kLine090.erode(dst, src, nullptr, nullptr, false), 0)
                   : -9;
    return RunSingle(kLine090.erode, dst, src, tmp, nullptr, false);
}

int CLxBinPicBufAPI::LinDilate_090(SLxBinPicBuf* dst, const SLxBinPicBuf* src, SLxBinPicBuf* tmp)
{
    if (!tmp)
        return SameSize(dst, src) && dst != src
                   ? (kLine090.dilate(dst, src, nullptr, nullptr, false), 0)
                   : -9;
    return RunSingle(kLine090.dilate, dst, src, tmp, nullptr, false);
}

int CLxBinPicBufAPI::Erode2x2(SLxBinPicBuf* dst, const SLxBinPicBuf* src, SLxBinPicBuf* tmp,
                              bool flag)
{
    return RunSingle(kSquare2x2.erode, dst, src, tmp, nullptr, flag);
}

int CLxBinPicBufAPI::Dilate2x2(SLxBinPicBuf* dst, const SLxBinPicBuf* src, SLxBinPicBuf* tmp,
                               bool flag)
{
    return RunSingle(kSquare2x2.dilate, dst, src, tmp, nullptr, flag);
}

int CLxBinPicBufAPI::Erode4x4Oct(SLxBinPicBuf* dst, const SLxBinPicBuf* src, SLxBinPicBuf* tmp1,
                                 SLxBinPicBuf* tmp2, bool flag)
{
    return tmp2 ? RunSingle(kOct4x4.erode, dst, src, tmp1, tmp2, flag) : -9;
}

int CLxBinPicBufAPI::Dilate4x4Oct(SLxBinPicBuf* dst, const SLxBinPicBuf* src, SLxBinPicBuf* tmp1,
                                  SLxBinPicBuf* tmp2, bool flag)
{
    return tmp2 ? RunSingle(kOct4x4.dilate, dst, src, tmp1, tmp2, flag) : -9;
}

int CLxBinPicBufAPI::Erode5x5Oct(SLxBinPicBuf* dst, const SLxBinPicBuf* src, SLxBinPicBuf* tmp1,
                                 SLxBinPicBuf* tmp2)
{
    return tmp2 ? RunSingle(kOct5x5.erode, dst, src, tmp1, tmp2, false) : -9;
}

int CLxBinPicBufAPI::Dilate5x5Oct(SLxBinPicBuf* dst, const SLxBinPicBuf* src, SLxBinPicBuf* tmp1,
                                  SLxBinPicBuf* tmp2)
{
    return tmp2 ? RunSingle(kOct5x5.dilate, dst, src, tmp1, tmp2, false) : -9;
}

// --- Repeated passes -----------------------------------------------------------

#define LX_BIN_COUNT(Name, elem, erode)                                                            \
    int CLxBinPicBufAPI::Name(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count)          \
    {                                                                                              \
        return RunCount(elem, erode, dst, src, count, false);                                      \
    }
#define LX_BIN_COUNT_FLAG(Name, elem, erode)                                                       \
    int CLxBinPicBufAPI::Name(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count,          \
                              bool flag)                                                           \
    {                                                                                              \
        return RunCount(elem, erode, dst, src, count, flag);                                       \
    }

LX_BIN_COUNT(Erode3x3_Count, kSquare3x3, true)
LX_BIN_COUNT(Dilate3x3_Count, kSquare3x3, false)
LX_BIN_COUNT_FLAG(Erode2x2_Count, kSquare2x2, true)
LX_BIN_COUNT_FLAG(Dilate2x2_Count, kSquare2x2, false)
LX_BIN_COUNT_FLAG(Erode4x4Oct_Count, kOct4x4, true)
LX_BIN_COUNT_FLAG(Dilate4x4Oct_Count, kOct4x4, false)
LX_BIN_COUNT(Erode5x5Oct_Count, kOct5x5, true)
LX_BIN_COUNT(Dilate5x5Oct_Count, kOct5x5, false)
LX_BIN_COUNT(Erode3x3Cross_Count, kCross, true)
LX_BIN_COUNT(Dilate3x3Cross_Count, kCross, false)
LX_BIN_COUNT(LinErode_000_Count, kLine000, true)
LX_BIN_COUNT(LinErode_045_Count, kLine045, true)
LX_BIN_COUNT(LinErode_090_Count, kLine090, true)
LX_BIN_COUNT(LinErode_135_Count, kLine135, true)
LX_BIN_COUNT(LinDilate_000_Count, kLine000, false)
LX_BIN_COUNT(LinDilate_045_Count, kLine045, false)
LX_BIN_COUNT(LinDilate_090_Count, kLine090, false)
LX_BIN_COUNT(LinDilate_135_Count, kLine135, false)
#undef LX_BIN_COUNT
#undef LX_BIN_COUNT_FLAG

// --- Openings and closings --------------------------------------------------------

#define LX_BIN_OPEN_CLOSE(Open, Close, elem)                                                       \
    int CLxBinPicBufAPI::Open(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count)          \
    {                                                                                              \
        return RunOpenClose(elem, true, dst, src, count);                                          \
    }                                                                                              \
    int CLxBinPicBufAPI::Close(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count)         \
    {                                                                                              \
        return RunOpenClose(elem, false, dst, src, count);                                         \
    }

LX_BIN_OPEN_CLOSE(Open3x3_Count, Close3x3_Count, kSquare3x3)
LX_BIN_OPEN_CLOSE(Open2x2_Count, Close2x2_Count, kSquare2x2)
LX_BIN_OPEN_CLOSE(Open4x4Oct_Count, Close4x4Oct_Count, kOct4x4)
LX_BIN_OPEN_CLOSE(Open5x5Oct_Count, Close5x5Oct_Count, kOct5x5)
LX_BIN_OPEN_CLOSE(Open3x3Cross_Count, Close3x3Cross_Count, kCross)
LX_BIN_OPEN_CLOSE(LinOpen_000_Count, LinClose_000_Count, kLine000)
LX_BIN_OPEN_CLOSE(LinOpen_045_Count, LinClose_045_Count, kLine045)
LX_BIN_OPEN_CLOSE(LinOpen_090_Count, LinClose_090_Count, kLine090)
LX_BIN_OPEN_CLOSE(LinOpen_135_Count, LinClose_135_Count, kLine135)
#undef LX_BIN_OPEN_CLOSE

// --- Contour ------------------------------------------------------------------------

int CLxBinPicBufAPI::Contour(SLxBinPicBuf* dst, const SLxBinPicBuf* src, bool inner, bool square)
{
    if (!SameSize(dst, src) || dst == src)
        return -9;
    // One pass whatever the picture's size (the count forms' caps would
    // skip it on pictures of one or two pixels).
    Scratch scratch(1);
    if (!scratch.Make(src))
        return -3;
    const Element& e = square ? kSquare3x3 : kCross;
    (inner ? e.erode : e.dilate)(dst, src, scratch[0], nullptr, false);
    Xor(dst, src);
    return 0;
}
