// 8-bit weighting masks the size of a float picture (0 blocks, 255
// passes), and float copies of integer kernel matrices.
#pragma once

#include <cstdint>

#include "gnr_picture/FloatPicBufAPI/LxFloatPicBufAPI.h"
#include "gnr_picture/PicBufAPI/LxKernel.h"
#include "w32_system/LxExport.h"

struct SLxFilterBuf {
    uint32_t uiWidth;
    uint32_t uiHeight;
    uint32_t uiSize;       // uiWidthBytes x uiHeight
    uint32_t uiWidthBytes; // (width + 3) & ~3 unless given
    uint8_t* pData;        // owned, from the private heap
};

// Operations return 0, -9 for a null mask or masks of different width or
// height (nothing written), -3 when memory is refused. The per-pixel
// operations leave the line padding alone.
class LX_EXPORT CLxFilterBuf
{
  public:
    // -3 also for an empty mask (data released) or a size beyond 32 bits;
    // line bytes below the width: -9.
    static int Reinit(SLxFilterBuf* buf, uint32_t width, uint32_t height, uint32_t lineBytes,
                      bool zero);
    static int Reinit(SLxFilterBuf* buf, const SLxFloatPicBuf* pic, bool zero);
    static void Free(SLxFilterBuf* buf);
    // Option 0 (width and height equal) is the only one.
    static bool Check(const SLxFilterBuf* a, const SLxFilterBuf* b, uint32_t option);
    static bool Check(const SLxFilterBuf* a, const SLxFloatPicBuf* b, uint32_t option);
    static int Clear(SLxFilterBuf* buf);
    static int FulFill(SLxFilterBuf* buf);
    // Same size, else an assertion and -9.
    static int Copy(SLxFilterBuf* dst, const SLxFilterBuf* src);
    static int Complement(SLxFilterBuf* buf);
    // min(d + s, 255), max(d - s, 0), min(d, s), max(d, s).
    static int Add(SLxFilterBuf* dst, const SLxFilterBuf* src);
    static int Subtract(SLxFilterBuf* dst, const SLxFilterBuf* src);
    static int Min(SLxFilterBuf* dst, const SLxFilterBuf* src);
    static int Max(SLxFilterBuf* dst, const SLxFilterBuf* src);

    // Painters: the mask becomes 0 except for the shape, which is softened
    // by that many passes of the built-in "Square2" smoothing. Positions
    // outside the mask: -9; temporaries refused: -3, the mask unchanged.
    // A disc of radius r on the 2r x 2r square from (x - r, y - r).
    static int Circle(SLxFilterBuf* buf, uint32_t x, uint32_t y, uint32_t radius,
                      uint32_t softening);
    // 255 on [left, right) x [top, bottom), inset by softening / 2 - 1
    // (0 for softening 0 or 1) before softening.
    static int Rectangle(SLxFilterBuf* buf, uint32_t left, uint32_t top, uint32_t right,
                         uint32_t bottom, uint32_t softening);
    // The 2r x 2r square from (x - r, y - r) at 255 but for a pair of
    // opposite wedges, cleared out to r - (1 if softening) - softening / 2
    // (from the inner radius on when it is not 0, else all but the centre
    // pixel, which is 0). The angles (degrees, counter-clockwise from +x as
    // displayed, taken modulo 360) bound a span s: below 180 the wedges are
    // s / 2 wide about (a1 + a2) / 2, else (s - 180) / 2 wide about
    // (a1 + a2 - 180) / 2. Non-finite angles: -9.
    static int CircleCut(SLxFilterBuf* buf, uint32_t x, uint32_t y, uint32_t radius,
                         uint32_t innerRadius, double angle1, double angle2, uint32_t softening);
};

// rows x columns floats, row by row; owned (operator new), freed by the
// destructor. Not copyable: the values have one owner.
struct LX_EXPORT SLxFloatKernelMatrix {
    uint32_t uiNRows;
    uint32_t uiNCols;
    uint32_t uiReserved1;
    uint32_t uiReserved2;
    float* pfValues;

    SLxFloatKernelMatrix();
    ~SLxFloatKernelMatrix();
    SLxFloatKernelMatrix(const SLxFloatKernelMatrix&) = delete;
    SLxFloatKernelMatrix& operator=(const SLxFloatKernelMatrix&) = delete;

    // Stores the size; rows x columns of 0 allocates nothing. Otherwise the
    // old values are released and zeroed ones allocated; -3 without memory
    // (the matrix then empty), -4 without a matrix.
    static int Alloc(SLxFloatKernelMatrix* m, uint32_t rows, uint32_t cols);
    static void Free(SLxFloatKernelMatrix* m);
    // Size, the two further words and value / divisor (a divisor of 0 counts
    // as 1), in double, stored as float.
    static int CopyIntToFloat(SLxFloatKernelMatrix* m, const SLxKernelMatrix* from);
};
