// The run-length forms of the one-bit picture operations. What each member
// converts, in which size and form, is the adapter's argument types: a
// writable picture comes back painted, a read-only one is only laid out;
// the destination takes the source's size (the third argument's for
// Thickening), work pictures their own.
#include "gnr_picture/RLEPicBufAPI/LxRLEPassThrough.h"

#include <algorithm>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

using namespace lx_rle;

bool lx_rle::LayOut(SLxBinPicBuf* bin, const SLxRLEPicBuf* rec, uint32_t width, uint32_t height)
{
    if (!FitsPicture(rec))
        return false;
    if (CLxBinPicBufAPI::Reinit(bin, width, height, 0, true) != 0)
        return true;
    // A record larger than the layout is clipped to it.
    PaintBinary(bin, rec);
    return true;
}

void lx_rle::WriteBack(SLxRLEPicBuf* rec, const SLxBinPicBuf* bin, bool painted)
{
    if (!bin->pData) {
        // Nothing was laid out: an empty record of the same size.
        uint32_t width = rec->uiWidth, height = rec->uiHeight, custom = rec->uiCustomDataSize;
        CLxRLEPicBufAPI::Free(rec);
        CLxRLEPicBufAPI::Init(rec, painted ? custom : 0, painted);
        CLxRLEPicBufAPI::Reinit(rec, width, height);
        return;
    }
    if (painted)
        CLxRLEPicBufAPI::ConvertBinPicBufToPaintedRLE(rec, bin);
    else
        CLxRLEPicBufAPI::ConvertBinPicBufToNonPaintedRLE(rec, bin);
}

// One line a member, so the table reads at a glance.
// clang-format off
int CLxRLEPicBufAPI::Smooth(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src) { return PassThrough<&CLxBinPicBufAPI::Smooth>(dst, src); }
int CLxRLEPicBufAPI::FillHoles(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src) { return PassThrough<&CLxBinPicBufAPI::FillHoles>(dst, src); }
int CLxRLEPicBufAPI::Contour(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, bool inner, bool square) { return PassThrough<&CLxBinPicBufAPI::Contour>(dst, src, inner, square); }
int CLxRLEPicBufAPI::ConvexHull(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, bool flag1, bool flag2, int step) { return PassThrough<&CLxBinPicBufAPI::ConvexHull>(dst, src, flag1, flag2, step); }
int CLxRLEPicBufAPI::ConditionalDilate(SLxRLEPicBuf* dst, const SLxRLEPicBuf* marker, const SLxRLEPicBuf* mask) { return PassThrough<&CLxBinPicBufAPI::ConditionalDilate>(dst, marker, mask); }
int CLxRLEPicBufAPI::ShiftRight(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, BinaryOp op) { return PassThrough<&CLxBinPicBufAPI::ShiftRight>(dst, src, op); }
int CLxRLEPicBufAPI::ShiftLeft(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, BinaryOp op) { return PassThrough<&CLxBinPicBufAPI::ShiftLeft>(dst, src, op); }
int CLxRLEPicBufAPI::ShiftUp(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, BinaryOp op) { return PassThrough<&CLxBinPicBufAPI::ShiftUp>(dst, src, op); }
int CLxRLEPicBufAPI::ShiftDown(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, BinaryOp op) { return PassThrough<&CLxBinPicBufAPI::ShiftDown>(dst, src, op); }
int CLxRLEPicBufAPI::ShiftRightInplace(SLxRLEPicBuf* pic) { return PassThrough<&CLxBinPicBufAPI::ShiftRightInplace>(pic); }
int CLxRLEPicBufAPI::ShiftLeftInplace(SLxRLEPicBuf* pic) { return PassThrough<&CLxBinPicBufAPI::ShiftLeftInplace>(pic); }
int CLxRLEPicBufAPI::Erode3x3(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp) { return PassThrough<&CLxBinPicBufAPI::Erode3x3>(dst, src, tmp); }
int CLxRLEPicBufAPI::Dilate3x3(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp) { return PassThrough<&CLxBinPicBufAPI::Dilate3x3>(dst, src, tmp); }
int CLxRLEPicBufAPI::Erode3x3Cross(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp) { return PassThrough<&CLxBinPicBufAPI::Erode3x3Cross>(dst, src, tmp); }
int CLxRLEPicBufAPI::Dilate3x3Cross(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp) { return PassThrough<&CLxBinPicBufAPI::Dilate3x3Cross>(dst, src, tmp); }
int CLxRLEPicBufAPI::LinErode_000(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp) { return PassThrough<&CLxBinPicBufAPI::LinErode_000>(dst, src, tmp); }
int CLxRLEPicBufAPI::LinErode_045(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp) { return PassThrough<&CLxBinPicBufAPI::LinErode_045>(dst, src, tmp); }
int CLxRLEPicBufAPI::LinErode_090(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp) { return PassThrough<&CLxBinPicBufAPI::LinErode_090>(dst, src, tmp); }
int CLxRLEPicBufAPI::LinErode_135(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp) { return PassThrough<&CLxBinPicBufAPI::LinErode_135>(dst, src, tmp); }
int CLxRLEPicBufAPI::LinDilate_000(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp) { return PassThrough<&CLxBinPicBufAPI::LinDilate_000>(dst, src, tmp); }
int CLxRLEPicBufAPI::LinDilate_045(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp) { return PassThrough<&CLxBinPicBufAPI::LinDilate_045>(dst, src, tmp); }
int CLxRLEPicBufAPI::LinDilate_090(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp) { return PassThrough<&CLxBinPicBufAPI::LinDilate_090>(dst, src, tmp); }
int CLxRLEPicBufAPI::LinDilate_135(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp) { return PassThrough<&CLxBinPicBufAPI::LinDilate_135>(dst, src, tmp); }
int CLxRLEPicBufAPI::Erode2x2(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp, bool flag) { return PassThrough<&CLxBinPicBufAPI::Erode2x2>(dst, src, tmp, flag); }
int CLxRLEPicBufAPI::Dilate2x2(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp, bool flag) { return PassThrough<&CLxBinPicBufAPI::Dilate2x2>(dst, src, tmp, flag); }
int CLxRLEPicBufAPI::Erode4x4Oct(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp1, SLxRLEPicBuf* tmp2, bool flag) { return PassThrough<&CLxBinPicBufAPI::Erode4x4Oct>(dst, src, tmp1, tmp2, flag); }
int CLxRLEPicBufAPI::Dilate4x4Oct(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp1, SLxRLEPicBuf* tmp2, bool flag) { return PassThrough<&CLxBinPicBufAPI::Dilate4x4Oct>(dst, src, tmp1, tmp2, flag); }
int CLxRLEPicBufAPI::Erode5x5Oct(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp1, SLxRLEPicBuf* tmp2) { return PassThrough<&CLxBinPicBufAPI::Erode5x5Oct>(dst, src, tmp1, tmp2); }
int CLxRLEPicBufAPI::Dilate5x5Oct(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, SLxRLEPicBuf* tmp1, SLxRLEPicBuf* tmp2) { return PassThrough<&CLxBinPicBufAPI::Dilate5x5Oct>(dst, src, tmp1, tmp2); }
int CLxRLEPicBufAPI::Erode3x3_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::Erode3x3_Count>(dst, src, count); }
int CLxRLEPicBufAPI::Dilate3x3_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::Dilate3x3_Count>(dst, src, count); }
int CLxRLEPicBufAPI::Erode3x3Cross_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::Erode3x3Cross_Count>(dst, src, count); }
int CLxRLEPicBufAPI::Dilate3x3Cross_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::Dilate3x3Cross_Count>(dst, src, count); }
int CLxRLEPicBufAPI::Erode5x5Oct_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::Erode5x5Oct_Count>(dst, src, count); }
int CLxRLEPicBufAPI::Dilate5x5Oct_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::Dilate5x5Oct_Count>(dst, src, count); }
int CLxRLEPicBufAPI::Erode2x2_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count, bool flag) { return PassThrough<&CLxBinPicBufAPI::Erode2x2_Count>(dst, src, count, flag); }
int CLxRLEPicBufAPI::Dilate2x2_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count, bool flag) { return PassThrough<&CLxBinPicBufAPI::Dilate2x2_Count>(dst, src, count, flag); }
int CLxRLEPicBufAPI::Erode4x4Oct_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count, bool flag) { return PassThrough<&CLxBinPicBufAPI::Erode4x4Oct_Count>(dst, src, count, flag); }
int CLxRLEPicBufAPI::Dilate4x4Oct_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count, bool flag) { return PassThrough<&CLxBinPicBufAPI::Dilate4x4Oct_Count>(dst, src, count, flag); }
int CLxRLEPicBufAPI::Open3x3_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::Open3x3_Count>(dst, src, count); }
int CLxRLEPicBufAPI::Close3x3_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::Close3x3_Count>(dst, src, count); }
int CLxRLEPicBufAPI::Open3x3Cross_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::Open3x3Cross_Count>(dst, src, count); }
int CLxRLEPicBufAPI::Close3x3Cross_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::Close3x3Cross_Count>(dst, src, count); }
int CLxRLEPicBufAPI::Open2x2_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::Open2x2_Count>(dst, src, count); }
int CLxRLEPicBufAPI::Close2x2_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::Close2x2_Count>(dst, src, count); }
int CLxRLEPicBufAPI::Open4x4Oct_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::Open4x4Oct_Count>(dst, src, count); }
int CLxRLEPicBufAPI::Close4x4Oct_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::Close4x4Oct_Count>(dst, src, count); }
int CLxRLEPicBufAPI::Open5x5Oct_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::Open5x5Oct_Count>(dst, src, count); }
int CLxRLEPicBufAPI::Close5x5Oct_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::Close5x5Oct_Count>(dst, src, count); }
int CLxRLEPicBufAPI::LinErode_000_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::LinErode_000_Count>(dst, src, count); }
int CLxRLEPicBufAPI::LinErode_045_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::LinErode_045_Count>(dst, src, count); }
int CLxRLEPicBufAPI::LinErode_090_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::LinErode_090_Count>(dst, src, count); }
int CLxRLEPicBufAPI::LinErode_135_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::LinErode_135_Count>(dst, src, count); }
int CLxRLEPicBufAPI::LinDilate_000_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::LinDilate_000_Count>(dst, src, count); }
int CLxRLEPicBufAPI::LinDilate_045_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::LinDilate_045_Count>(dst, src, count); }
int CLxRLEPicBufAPI::LinDilate_090_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::LinDilate_090_Count>(dst, src, count); }
int CLxRLEPicBufAPI::LinDilate_135_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::LinDilate_135_Count>(dst, src, count); }
int CLxRLEPicBufAPI::LinOpen_000_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::LinOpen_000_Count>(dst, src, count); }
int CLxRLEPicBufAPI::LinOpen_045_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::LinOpen_045_Count>(dst, src, count); }
int CLxRLEPicBufAPI::LinOpen_090_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::LinOpen_090_Count>(dst, src, count); }
int CLxRLEPicBufAPI::LinOpen_135_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::LinOpen_135_Count>(dst, src, count); }
int CLxRLEPicBufAPI::LinClose_000_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::LinClose_000_Count>(dst, src, count); }
int CLxRLEPicBufAPI::LinClose_045_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::LinClose_045_Count>(dst, src, count); }
int CLxRLEPicBufAPI::LinClose_090_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::LinClose_090_Count>(dst, src, count); }
int CLxRLEPicBufAPI::LinClose_135_Count(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count) { return PassThrough<&CLxBinPicBufAPI::LinClose_135_Count>(dst, src, count); }
int CLxRLEPicBufAPI::Clean2x2(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count, bool objects) { return PassThrough<&CLxBinPicBufAPI::Clean2x2>(dst, src, count, objects); }
int CLxRLEPicBufAPI::Clean3x3(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count, bool objects) { return PassThrough<&CLxBinPicBufAPI::Clean3x3>(dst, src, count, objects); }
int CLxRLEPicBufAPI::Clean4x4Oct(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count, bool objects) { return PassThrough<&CLxBinPicBufAPI::Clean4x4Oct>(dst, src, count, objects); }
int CLxRLEPicBufAPI::Clean5x5Oct(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t count, bool objects) { return PassThrough<&CLxBinPicBufAPI::Clean5x5Oct>(dst, src, count, objects); }
int CLxRLEPicBufAPI::Thinning(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, int metric, int spurMode, int extensionLength, int extend) { return PassThrough<&CLxBinPicBufAPI::Thinning>(dst, src, metric, spurMode, extensionLength, extend); }
int CLxRLEPicBufAPI::Pruning(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, int steps) { return PassThrough<&CLxBinPicBufAPI::Pruning>(dst, src, steps); }
int CLxRLEPicBufAPI::CalculateZonesOfInfluence(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src) { return PassThrough<&CLxBinPicBufAPI::CalculateZonesOfInfluence>(dst, src); }
int CLxRLEPicBufAPI::Thickening(SLxRLEPicBuf* dst, const SLxRLEPicBuf* mask, const SLxRLEPicBuf* src, int passes, bool useMask) { return PassThrough<&CLxBinPicBufAPI::Thickening, 2>(dst, mask, src, passes, useMask); }
int CLxRLEPicBufAPI::Pack16NZto1DExpand(SLxRLEPicBuf* dst, const SLxPicBuf* src, uint32_t border) { return PassThrough<&CLxBinPicBufAPI::Pack16NZto1DExpand>(dst, src, border); }
int CLxRLEPicBufAPI::Unpack1to16(SLxPicBuf* dst, const SLxRLEPicBuf* src, uint32_t value) { return PassThrough<&CLxBinPicBufAPI::Unpack1to16>(dst, src, value); }
int CLxRLEPicBufAPI::Unpack1to16Expand(SLxPicBuf* dst, const SLxRLEPicBuf* src, uint32_t border) { return PassThrough<&CLxBinPicBufAPI::Unpack1to16Expand>(dst, src, border); }
// clang-format on

int CLxRLEPicBufAPI::UltimateErosion(SLxPicBuf* dst, SLxPicBuf* src, uint16_t passes)
{
    return CLxBinPicBufAPI::UltimateErosion(dst, src, passes);
}

void CLxRLEPicBufAPI::Or(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src)
{
    if (IsEqualSize(dst, src))
        PassThrough<&CLxBinPicBufAPI::Or>(dst, src);
}

void CLxRLEPicBufAPI::Xor(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src)
{
    if (IsEqualSize(dst, src))
        PassThrough<&CLxBinPicBufAPI::Xor>(dst, src);
}

void CLxRLEPicBufAPI::And_FillDestAndSource(SLxRLEPicBuf* a, SLxRLEPicBuf* b)
{
    if (IsEqualSize(a, b))
        PassThrough<&CLxBinPicBufAPI::And_FillDestAndSource>(a, b);
}

void CLxRLEPicBufAPI::Or_FillDestAndSource(SLxRLEPicBuf* a, SLxRLEPicBuf* b)
{
    if (IsEqualSize(a, b))
        PassThrough<&CLxBinPicBufAPI::Or_FillDestAndSource>(a, b);
}

int CLxRLEPicBufAPI::SetPixel(SLxRLEPicBuf* pic, int x, int y, bool value)
{
    if (!pic)
        return -4;
    ScratchBin bin;
    if (!LayOut(&bin.pic, pic, pic->uiWidth, pic->uiHeight))
        return -9;
    int status = CLxBinPicBufAPI::SetPixel(&bin.pic, x, y, value);
    // A point outside changes nothing, so the objects keep their
    // identifiers, status and colours.
    if (status != -4)
        WriteBack(pic, &bin.pic, true);
    return status;
}

// ---- Members that keep the form of a named picture

void CLxRLEPicBufAPI::Memset(SLxRLEPicBuf* pic, bool value)
{
    if (!pic)
        return;
    ScratchBin bin;
    if (CLxBinPicBufAPI::Reinit(&bin.pic, pic->uiWidth, pic->uiHeight, 0, true) == 0)
        CLxBinPicBufAPI::Memset(&bin.pic, value);
    WriteBack(pic, &bin.pic, pic->bPainted != 0);
}

void CLxRLEPicBufAPI::Complement(SLxRLEPicBuf* pic)
{
    Complement(pic, pic);
}

void CLxRLEPicBufAPI::Complement(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src)
{
    if (!dst || !src)
        return;
    ForceEqualSizeAndTypeIfDestEmpty(dst, src);
    if (!IsEqualSize(dst, src))
        return;
    ScratchBin bin;
    if (!LayOut(&bin.pic, src, src->uiWidth, src->uiHeight))
        return;
    if (bin.pic.pData)
        CLxBinPicBufAPI::Complement(&bin.pic);
    WriteBack(dst, &bin.pic, src->bPainted != 0);
}

void CLxRLEPicBufAPI::FlipCopyVert(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src)
{
    if (!dst || !src)
        return;
    ForceEqualSizeAndTypeIfDestEmpty(dst, src);
    ScratchBin to, from;
    if (!LayOut(&from.pic, src, src->uiWidth, src->uiHeight))
        return;
    CLxBinPicBufAPI::Reinit(&to.pic, dst->uiWidth, dst->uiHeight, 0, true);
    if (to.pic.pData && from.pic.pData)
        CLxBinPicBufAPI::FlipCopy(&to.pic, &from.pic);
    WriteBack(dst, &to.pic, src->bPainted != 0);
}

void CLxRLEPicBufAPI::Copy_FitToDest(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src)
{
    if (!dst || !src)
        return;
    ScratchBin to, from;
    if (!LayOut(&to.pic, dst, dst->uiWidth, dst->uiHeight) ||
        !LayOut(&from.pic, src, src->uiWidth, src->uiHeight))
        return;
    if (to.pic.pData && from.pic.pData)
        CLxBinPicBufAPI::Copy_FitToDest(&to.pic, &from.pic);
    WriteBack(dst, &to.pic, src->bPainted != 0);
}

namespace
{

// Rotate and RotateMatrix: the destination keeps its size and takes the
// source's form; the binary status is returned.
template <class Turn> int TurnInto(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, Turn turn)
{
    if (!dst || !src)
        return -4;
    if (!FitsPicture(src))
        return -9;
    CLxRLEPicBufAPI::Free(dst);
    ScratchBin to, from;
    LayOut(&to.pic, dst, dst->uiWidth, dst->uiHeight);
    LayOut(&from.pic, src, src->uiWidth, src->uiHeight);
    int status = turn(to.pic, from.pic);
    WriteBack(dst, &to.pic, src->bPainted != 0);
    return status;
}

} // namespace

int CLxRLEPicBufAPI::Rotate(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, double angle, bool fit)
{
    return TurnInto(dst, src, [&](SLxBinPicBuf& to, const SLxBinPicBuf& from) {
        return CLxBinPicMemAPI::Rotate(to.pData, to.uiWidth, to.uiHeight, to.uiWidthBytes,
                                       from.pData, from.uiWidth, from.uiHeight, from.uiWidthBytes,
                                       angle, fit);
    });
}

int CLxRLEPicBufAPI::RotateMatrix(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, double m0, double m1,
                                  double m2, double m3, double m4, double m5)
{
    return TurnInto(dst, src, [&](SLxBinPicBuf& to, const SLxBinPicBuf& from) {
        return CLxBinPicMemAPI::RotateMatrix(to.pData, to.uiWidth, to.uiHeight, to.uiWidthBytes,
                                             from.pData, from.uiWidth, from.uiHeight,
                                             from.uiWidthBytes, m0, m1, m2, m3, m4, m5);
    });
}

void CLxRLEPicBufAPI::ResizeCanvas(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src, uint32_t flags)
{
    if (!dst || !src)
        return;
    // The destination is not laid out: outside the copied overlap it ends
    // clear.
    ScratchBin to, from;
    if (!LayOut(&from.pic, src, src->uiWidth, src->uiHeight))
        return;
    CLxBinPicBufAPI::Reinit(&to.pic, dst->uiWidth, dst->uiHeight, 0, true);
    if (to.pic.pData && from.pic.pData)
        CLxBinPicBufAPI::ResizeCanvas(&to.pic, &from.pic, flags);
    WriteBack(dst, &to.pic, dst->bPainted != 0);
}

void CLxRLEPicBufAPI::AdjustCanvas(SLxRLEPicBuf* pic, uint32_t width, uint32_t height,
                                   uint32_t flags)
{
    if (!pic)
        return;
    ScratchBin bin;
    if (!LayOut(&bin.pic, pic, pic->uiWidth, pic->uiHeight))
        return;
    if (bin.pic.pData)
        CLxBinPicBufAPI::AdjustCanvas(&bin.pic, width, height, flags);
    if (bin.pic.pData) {
        WriteBack(pic, &bin.pic, pic->bPainted != 0);
        return;
    }
    // No pixels to adjust: an empty picture of the new size.
    CLxRLEPicBufAPI::Free(pic);
    CLxRLEPicBufAPI::Reinit(pic, width, height);
}

void CLxRLEPicBufAPI::CopyRect(uint32_t dstX, uint32_t dstY, uint32_t width, uint32_t height,
                               SLxRLEPicBuf* dst, uint32_t srcX, uint32_t srcY,
                               const SLxRLEPicBuf* src)
{
    if (!dst || !src)
        return;
    ScratchBin to, from;
    if (!LayOut(&to.pic, dst, dst->uiWidth, dst->uiHeight) ||
        !LayOut(&from.pic, src, src->uiWidth, src->uiHeight))
        return;
    if (to.pic.pData && from.pic.pData)
        CLxBinPicBufAPI::CopyRect(dstX, dstY, width, height, &to.pic, srcX, srcY, &from.pic);
    WriteBack(dst, &to.pic, dst->bPainted != 0);
}

void CLxRLEPicBufAPI::FlipCopyHorz(SLxRLEPicBuf* dst, const SLxRLEPicBuf* src)
{
    if (!dst || !src || !FitsPicture(src))
        return;
    ForceEqualSizeAndTypeIfDestEmpty(dst, src);
    uint32_t width = dst->uiWidth, height = dst->uiHeight;
    bool painted = src->bPainted != 0;
    SLxPicBuf from, to;
    CLxPicBufAPI::Init(&from);
    CLxPicBufAPI::Init(&to);
    bool ready = CLxPicBufAPI::Reinit(&from, width, height, width, 8, 1, true) == 0 &&
                 CLxPicBufAPI::Reinit(&to, width, height, width, 8, 1, true) == 0;
    if (ready) {
        // The source is cut to the destination's size, then mirrored
        // across the destination's width.
        PaintPicture(&from, src, 255);
        CLxPicMemAPI::FlipHor(to.pData, from.pData, 8, 1, width, width, height);
        if (painted)
            ConvertPicBufToPaintedRLE(dst, &to);
        else
            ConvertPicBufToNonPaintedRLE(dst, &to);
    } else {
        Free(dst);
        Init(dst, painted ? src->uiCustomDataSize : 0, painted);
        Reinit(dst, width, height);
    }
    CLxPicBufAPI::Free(&from);
    CLxPicBufAPI::Free(&to);
}
