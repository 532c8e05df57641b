// Operations on whole connected components of one-bit pictures, found with
// the seed fill on an 8-bit working picture.
#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "gnr_picture/BinPicBufAPI/LxBinPicBufCheck.h"
#include "gnr_picture/LxPicMeasAPI.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"

namespace
{

// An 8-bit one-component picture that lives for one call.
class WorkPicture
{
  public:
    WorkPicture(uint32_t width, uint32_t height)
    {
        CLxPicBufAPI::Init(&pic_);
        ok_ = CLxPicBufAPI::Reinit(&pic_, width, height, 0, 8, 1, false) == 0;
    }
    ~WorkPicture() { CLxPicBufAPI::Free(&pic_); }
    WorkPicture(const WorkPicture&) = delete;
    WorkPicture& operator=(const WorkPicture&) = delete;
    bool ok() const { return ok_; }
    SLxPicBuf* get() { return &pic_; }
    uint8_t* row(uint32_t y)
    {
        return static_cast<uint8_t*>(pic_.pData) + static_cast<size_t>(y) * pic_.uiWidthBytes;
    }

  private:
    SLxPicBuf pic_;
    bool ok_ = false;
};

// A one-bit picture that lives for one call.
class WorkBits
{
  public:
    WorkBits(uint32_t width, uint32_t height)
    {
        CLxBinPicBufAPI::Init(&pic_);
        ok_ = CLxBinPicBufAPI::Reinit(&pic_, width, height, 0, false) == 0;
    }
    ~WorkBits() { CLxBinPicBufAPI::Free(&pic_); }
    WorkBits(const WorkBits&) = delete;
    WorkBits& operator=(const WorkBits&) = delete;
    bool ok() const { return ok_; }
    SLxBinPicBuf* get() { return &pic_; }

  private:
    SLxBinPicBuf pic_;
    bool ok_ = false;
};

// Unpack only reads the one-bit picture.
SLxBinPicBuf* Readable(const SLxBinPicBuf* pic)
{
    return const_cast<SLxBinPicBuf*>(pic);
}

constexpr uint8_t kSet = 255;
constexpr uint8_t kReached = 100;

int ConditionalDilateChecked(SLxBinPicBuf* dst, const SLxBinPicBuf* marker,
                             const SLxBinPicBuf* mask)
{
    WorkPicture work(mask->uiWidth, mask->uiHeight);
    if (!work.ok())
        return -3;
    int status = CLxPicBufAPI::Unpack(work.get(), Readable(mask), kSet);
    if (status != 0)
        return status;
    for (uint32_t y = 0; y < mask->uiHeight; ++y) {
        const uint8_t* markerLine = lx_bin::Line(marker, y);
        const uint8_t* row = work.row(y);
        for (uint32_t x = 0; x < mask->uiWidth; ++x)
            if (row[x] == kSet && lx_bin::GetBit(markerLine, x)) {
                status = CLxPicMeasAPI::Paint(work.get(), x, y, kSet, kReached, 8);
                if (status != 0)
                    return status;
            }
    }
    return CLxPicBufAPI::Pack(dst, work.get(), kReached);
}

enum class Shape { Square2, Square3, Oct4, Oct5 };

int Clean(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count, bool objects, Shape shape)
{
    if (!lx_bin::SameSize(dst, src))
        return -9;
    const uint32_t width = src->uiWidth, height = src->uiHeight;
    const uint32_t cap = (width > height ? width : height) / 2;
    const uint32_t n = count < cap ? count : cap;
    // What is cleaned: the source or its complement, never the caller's own
    // picture.
    WorkBits cleaned(width, height), eroded(width, height);
    if (!cleaned.ok() || !eroded.ok())
        return -3;
    if (objects)
        CLxBinPicBufAPI::Copy(cleaned.get(), src);
    else
        CLxBinPicBufAPI::Complement(cleaned.get(), src);
    CLxBinPicBufAPI::Copy(eroded.get(), cleaned.get());
    int status = 0;
    if (n > 0) {
        switch (shape) {
        case Shape::Square2:
            status = CLxBinPicBufAPI::Erode2x2_Count(eroded.get(), cleaned.get(), n, true);
            break;
        case Shape::Square3:
            status = CLxBinPicBufAPI::Erode3x3_Count(eroded.get(), cleaned.get(), n);
            break;
        case Shape::Oct4:
            status = CLxBinPicBufAPI::Erode4x4Oct_Count(eroded.get(), cleaned.get(), n, true);
            break;
        case Shape::Oct5:
            status = CLxBinPicBufAPI::Erode5x5Oct_Count(eroded.get(), cleaned.get(), n);
            break;
        }
    }
    if (status == 0)
        status = ConditionalDilateChecked(eroded.get(), eroded.get(), cleaned.get());
    if (status != 0)
        return status;
    if (objects)
        CLxBinPicBufAPI::Copy(dst, eroded.get());
    else
        CLxBinPicBufAPI::Complement(dst, eroded.get());
    return 0;
}

} // namespace

int CLxBinPicBufAPI::ConditionalDilate(SLxBinPicBuf* dst, const SLxBinPicBuf* marker,
                                       const SLxBinPicBuf* mask)
{
    if (!lx_bin::SameSize(dst, marker) || !lx_bin::SameSize(dst, mask))
        return -9;
    return ConditionalDilateChecked(dst, marker, mask);
}

int CLxBinPicBufAPI::Clean2x2(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count,
                              bool objects)
{
    return Clean(dst, src, count, objects, Shape::Square2);
}

int CLxBinPicBufAPI::Clean3x3(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count,
                              bool objects)
{
    return Clean(dst, src, count, objects, Shape::Square3);
}

int CLxBinPicBufAPI::Clean4x4Oct(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count,
                                 bool objects)
{
    return Clean(dst, src, count, objects, Shape::Oct4);
}

int CLxBinPicBufAPI::Clean5x5Oct(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count,
                                 bool objects)
{
    return Clean(dst, src, count, objects, Shape::Oct5);
}

int CLxBinPicBufAPI::Smooth(SLxBinPicBuf* dst, const SLxBinPicBuf* src)
{
    if (!lx_bin::SameSize(dst, src))
        return -9;
    WorkPicture ones(src->uiWidth, src->uiHeight), sums(src->uiWidth, src->uiHeight);
    if (!ones.ok() || !sums.ok())
        return -3;
    int status = CLxPicBufAPI::Unpack(ones.get(), Readable(src), 1);
    if (status == 0)
        status = CLxPicBufAPI::Convolution(sums.get(), ones.get(), &CLxPicBufAPI::Square3, 1);
    if (status != 0)
        return status;
    return CLxPicBufAPI::Threshold(dst, sums.get(), 5, 255);
}
