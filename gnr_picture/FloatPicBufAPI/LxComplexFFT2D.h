// Two-dimensional complex FFT of power-of-two sizes, behind the Fourier
// transforms of float pictures. Data: H lines of 2W floats, (re, im) pairs,
// given as an array of line pointers into one block (AllocFloatLines).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace lxpic
{

// H line pointers into one zeroed block of H x lineFloats floats; null when
// either allocation fails. Released with FreeFloatLines.
float** AllocFloatLines(uint32_t lines, uint32_t lineFloats);
void FreeFloatLines(float** lines);
// n zeroed 32-bit words, released with CLxAlloc::Free.
void* AllocWords(size_t n);

// Words the tables need for a transform of H lines of W complex numbers:
// ip of floor(sqrt(max(H, W) + 0.5)) + 2 integers, w of max(H, 2W) +
// max(H/2, W/2) floats. ip[0] = 0 before the first call.
uint32_t ComplexFFT2DIndexWords(uint32_t h, uint32_t w);
uint32_t ComplexFFT2DTwiddleWords(uint32_t h, uint32_t w);

// The twiddle table for transforms up to nw x 4 floats a line: ip[0] = nw,
// ip[1] = 1, w the cos/sin pairs of 2 pi j / (nw x 2).
void MakeFFTTables(uint32_t nw, int32_t* ip, float* w);

// In place, unscaled. sign >= 0: X[k1, k2] = sum x[j1, j2]
// exp(+2 pi i (j1 k1 / H + j2 k2 / W)); sign < 0 the same with exp(-...).
// H and lineFloats / 2 must be powers of two. The tables in ip and w are
// rebuilt only when the transform is larger than they serve.
void ComplexFFT2D(uint32_t h, uint32_t lineFloats, int sign, float** lines, int32_t* ip, float* w);

// Work on transformed values while they are at hand, saving a pass over
// the lines: run(context, rows, h, from, count) with rows[y][k] float
// from + k of line y, called for bands of floats that together cover every
// line once.
struct TransformedBands {
    void (*run)(void* context, float* const* rows, uint32_t h, uint32_t from, uint32_t count);
    void* context;
    // false: `after` takes the last look at the values, and the lines may
    // be left with other values where it saw them elsewhere.
    bool keep = true;
};

// ComplexFFT2D, then `after` on every value.
void ComplexFFT2D(uint32_t h, uint32_t lineFloats, int sign, float** lines, int32_t* ip, float* w,
                  const TransformedBands& after);

// The lines' values made as the transform first needs them, saving a
// pass: make(context, y, line) writes the lineFloats floats of line y into
// `line`, which may be the line itself or a scratch line. Every line is made
// once, in order.
struct LineSource {
    void (*make)(void* context, uint32_t y, float* line);
    void* context;
};

// ComplexFFT2D of the lines `before` makes, then `after` on every value.
void ComplexFFT2D(uint32_t h, uint32_t lineFloats, int sign, float** lines, int32_t* ip, float* w,
                  const LineSource& before, const TransformedBands& after);

// The complex lines and tables of transforms of h lines of lineFloats
// floats, kept for the calling thread between calls: only a change of
// shape allocates (AllocFloatLines, zeroed, then the tables), so the lines
// hold whatever the previous user left. lines() is null when an allocation
// failed. A second holder alive on the same thread (a nested call) gets
// lines of its own, released with it.
// How ThreadComplexWork allocates its lines: AllocFloatLines, behind a
// pointer so that tests can make it fail under any allocator (the address
// sanitizer never lets a real one fail). Not exported.
using FloatLinesAllocation = float** (*)(uint32_t lines, uint32_t lineFloats);
extern std::atomic<FloatLinesAllocation> g_complexWorkLines;

class ThreadComplexWork
{
  public:
    ThreadComplexWork(uint32_t h, uint32_t lineFloats);
    ~ThreadComplexWork();
    ThreadComplexWork(const ThreadComplexWork&) = delete;
    ThreadComplexWork& operator=(const ThreadComplexWork&) = delete;

    float** lines() const { return m_lines; }
    // ComplexFFT2D of the lines with the kept tables (and `after`).
    void transform(int sign) const;
    void transform(int sign, const TransformedBands& after) const;
    void transform(int sign, const LineSource& before, const TransformedBands& after) const;

    // The lines, tables and shape of one holder (defined with the class).
    struct Set;

  private:
    Set* m_set = nullptr;
    bool m_own = false;
    float** m_lines = nullptr;
};

} // namespace lxpic
