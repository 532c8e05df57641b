#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"

#include <cstring>

namespace
{

void CopyCut(char (&dst)[256], const char* text)
{
    size_t n = text ? strnlen(text, sizeof dst - 1) : 0;
    if (n)
        memcpy(dst, text, n);
    dst[n] = 0;
}

} // namespace

CLxJP2ErrorException::CLxJP2ErrorException(const char* text, int32_t code) : m_code(code)
{
    CopyCut(m_text, text);
}

void LX_RaiseJp2Error(const char* text, int32_t code)
{
    throw CLxJP2ErrorException(text, code);
}

void CLxJP2ErrorMessage::PutText(const char* text)
{
    CopyCut(m_text, text);
}

void CLxJP2ErrorMessage::End()
{
    throw CLxJP2ErrorException(m_text, -9);
}

int LX_InitJp2ErrorHandler()
{
    return 1;
}
