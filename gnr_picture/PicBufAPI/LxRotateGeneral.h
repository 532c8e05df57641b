// The pieces of the general rotation of picture buffers: the transform, the
// rectangle and row spans that the rotated source covers in the
// destination, the edge tracer that finds the spans with
// CLxLineDrawingAPI::Line, the bilinear kernels and the shift for whole
// turns. CLxPicBufAPI::RotateGeneral_LIN runs them through RotateGeneral.
#pragma once

#include <cstdint>
#include <vector>

#include "gnr_picture/LxPoints.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"

namespace lxpic
{

// Source position of destination pixel (x, y), with (px, py) = shift +
// centre the destination point:
//   u = m00 (x - px) - m10 (y - py) + cx
//   v = -m01 (x - px) + m11 (y - py) + cy
struct RotationTransform {
    double m00, m01, m10, m11; // cos a, sin a, -sin a, cos a
    double sx, sy;             // destination point - source point
    double cx, cy;             // the source point
};

// All eight values 0.
void RotationTransform_Init(RotationTransform* t);
// The matrix of an angle in radians. -4 for a NaN or infinite angle
// (nothing changed), else 0.
int RotationTransform_SetAngle(RotationTransform* t, double radians);
// -4 for a NaN or infinite coordinate (nothing changed), else 0.
int RotationTransform_SetCenter(RotationTransform* t, double x, double y);
int RotationTransform_SetShift(RotationTransform* t, double x, double y);

// First column, first row, column bound and end row (both exclusive) of
// the destination that the rotated source covers, within the destination.
struct RotationRect {
    int32_t left, top, right, bottom;
};

// The rectangle, and the rotated source corners one pixel outside the
// picture (rounded outwards) that are topmost, leftmost, rightmost and
// lowest. Corners of equal height or column are told apart so that the
// left chain top-left-bottom and the right chain top-right-bottom run down
// the two sides: of two topmost corners the left one is top, of two
// leftmost the lower one is left, of two lowest the right one is bottom,
// of two rightmost the upper one is right.
RotationRect RotationTransform_GetCorners(SLxIPoint* left, SLxIPoint* right, SLxIPoint* top,
                                          SLxIPoint* bottom, const RotationTransform& t,
                                          const SLxPicBuf& dst, const SLxPicBuf& src);

// What the edge tracer fills: one entry per row, in row order.
struct RotateGeneralEdgeContext {
    SLxIPoint* list;
    int32_t filled;
    int32_t capacity;
    int32_t minX; // smallest x allowed
    int32_t firstRow;
    int32_t colBound; // x stays below it
    int32_t endRow;   // exclusive
    int32_t side;     // -1 left edge, 1 right edge
};

// Records (x, y) into the context's list: rows outside [first row, end
// row) are ignored, a new row is appended while there is room, a point on
// the last entry's row moves its x outwards only. Always true.
bool RotateGeneral_EdgeCallback(int x, int y, void* context);

// Bilinear kernels over rows listed in left and right (destination row y,
// columns left x to right x inclusive). Pixels whose source position lies
// outside the source keep their value. Both pictures have the kernel's
// format (8 bits, or 9 to 16 bits in two bytes; 1, 3 or any components).
using RotateGeneralKernel = void (*)(SLxPicBuf* dst, const SLxPicBuf* src, const SLxIPoint* left,
                                     const SLxIPoint* right, uint32_t rows,
                                     const RotationTransform* t);
void rotategeneral_linear_1x8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxIPoint* left,
                              const SLxIPoint* right, uint32_t rows, const RotationTransform* t);
void rotategeneral_linear_3x8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxIPoint* left,
                              const SLxIPoint* right, uint32_t rows, const RotationTransform* t);
void rotategeneral_linear_Nx8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxIPoint* left,
                              const SLxIPoint* right, uint32_t rows, const RotationTransform* t);
void rotategeneral_linear_1x16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxIPoint* left,
                               const SLxIPoint* right, uint32_t rows, const RotationTransform* t);
void rotategeneral_linear_3x16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxIPoint* left,
                               const SLxIPoint* right, uint32_t rows, const RotationTransform* t);
void rotategeneral_linear_Nx16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxIPoint* left,
                               const SLxIPoint* right, uint32_t rows, const RotationTransform* t);

// The kernel for a sample format; null with *status -2 for bits other than
// 8 and 9 to 16 or no components.
RotateGeneralKernel rotategeneral_kernel_for(uint32_t bits, uint32_t comps, int* status);

// Copies the source moved by (dx, dy) into the destination, whole rows of
// samples at a time; nothing else of the destination is written.
void rotategeneral_shift(SLxPicBuf* dst, const SLxPicBuf* src, int64_t dx, int64_t dy);

// Rotates the source by the angle in degrees (counterclockwise on the
// screen) about the source point and writes it, bilinearly interpolated,
// into the destination so that the source point lands on the destination
// point. Whole turns copy the source shifted by the integer parts of the
// points' difference. The destination keeps every pixel the source does
// not cover. When leftEnds and rightEnds are given they receive the column
// span of every destination row written, in row order (for whole turns the
// rows and columns the shifted source covers; empty when nothing is
// covered). Never more entries than the destination has rows.
// -9 for missing pictures or memory that does not hold their lines; -2 for
// pictures of different bits or components or a format without a kernel;
// -4 for a NaN or infinite angle or point; -3 without memory for the row
// lists. The destination is untouched on every failure.
int RotateGeneral(SLxPicBuf* dst, const SLxPicBuf* src, const SLxDPoint& dstPoint,
                  const SLxDPoint& srcPoint, double degrees,
                  std::vector<SLxIPoint>* leftEnds = nullptr,
                  std::vector<SLxIPoint>* rightEnds = nullptr);

} // namespace lxpic
