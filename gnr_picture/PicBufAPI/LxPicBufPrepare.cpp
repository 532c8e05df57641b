#include "gnr_picture/PicBufAPI/LxPicBufPrepare.h"

#include "w32_system/debugging/LxDiag.h"

namespace lxpicbuf
{

namespace
{

// The expression text of a failed format check, by Check option.
const char16_t* checkText(uint32_t option)
{
    static const char16_t* const texts[] = {
        u"CLxPicBufAPI::Check(dst, src, 0)", u"CLxPicBufAPI::Check(dst, src, 1)",
        u"CLxPicBufAPI::Check(dst, src, 2)", u"CLxPicBufAPI::Check(dst, src, 3)",
        u"CLxPicBufAPI::Check(dst, src, 4)", u"CLxPicBufAPI::Check(dst, src, 5)",
        u"CLxPicBufAPI::Check(dst, src, 6)"};
    return option < sizeof texts / sizeof texts[0] ? texts[option] : u"CLxPicBufAPI::Check";
}

int refuseRecord()
{
    LX_DIAG_ASSERT_TEXT(u"lxpicbuf::coversFormat(pic)",
                        u"CLxPicBufAPI: picture record missing, or its memory does not cover "
                        u"its format");
    return -9;
}

} // namespace

uint64_t lineBytes(const SLxPicBuf& pic)
{
    return uint64_t(pic.uiWidth) * pic.uiComps * CLxPicBufAPI::CalcCompSize(pic.uiBpc);
}

bool coversFormat(const SLxPicBuf* pic)
{
    if (!pic)
        return false;
    if (isEmpty(*pic))
        return true;
    // Records are plain data that callers may fill by hand: trust no field.
    return pic->pData && CLxPicBufAPI::CalcCompSize(pic->uiBpc) != 0 &&
           lineBytes(*pic) <= pic->uiWidthBytes &&
           uint64_t(pic->uiWidthBytes) * pic->uiHeight <= pic->uiSize;
}

int prepare(const SLxPicBuf* pic)
{
    return coversFormat(pic) ? 0 : refuseRecord();
}

int prepare(const SLxPicBuf* dst, const SLxPicBuf* src, uint32_t option,
            const char16_t* mismatchMessage, int mismatchCode)
{
    if (!dst || !src)
        return refuseRecord();
    if (!CLxPicBufAPI::Check(dst, src, option)) {
        if (mismatchMessage)
            LX_DIAG_ASSERT_TEXT(checkText(option), mismatchMessage);
        return mismatchCode;
    }
    return coversFormat(dst) && coversFormat(src) ? 0 : refuseRecord();
}

bool rectInside(const SLxPicBuf& pic, uint32_t x, uint32_t y, uint32_t w, uint32_t h)
{
    return uint64_t(x) + w <= pic.uiWidth && uint64_t(y) + h <= pic.uiHeight;
}

CLxPicBufReplacement::CLxPicBufReplacement()
{
    CLxPicBufAPI::Init(&m_pic);
}

CLxPicBufReplacement::~CLxPicBufReplacement()
{
    CLxPicBufAPI::Free(&m_pic);
}

int CLxPicBufReplacement::allocate(uint32_t width, uint32_t height, uint32_t bits, uint32_t comps,
                                   bool zero)
{
    return CLxPicBufAPI::Reinit(&m_pic, width, height, 0, bits, comps, zero);
}

void CLxPicBufReplacement::commit(SLxPicBuf* pic)
{
    CLxPicBufAPI::Swap(pic, &m_pic);
    // The destructor releases what was the caller's memory.
}

} // namespace lxpicbuf
