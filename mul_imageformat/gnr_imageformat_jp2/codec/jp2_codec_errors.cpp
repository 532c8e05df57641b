#include "mul_imageformat/gnr_imageformat_jp2/codec/jp2_codec_internal.h"

#include <cstring>

#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"

namespace
{

void OnError(const char* message, void* client)
{
    auto* errors = static_cast<jp2_codec_errors*>(client);
    if (!errors || errors->have || !message)
        return;
    size_t n = strnlen(message, sizeof errors->text - 1);
    // The library ends its messages with a line break.
    while (n && (message[n - 1] == '\n' || message[n - 1] == '\r'))
        --n;
    memcpy(errors->text, message, n);
    errors->text[n] = 0;
    errors->have = true;
}

void OnWarning(const char*, void*) {}

} // namespace

void jp2_codec_errors::Install(opj_codec_t* codec)
{
    opj_set_error_handler(codec, OnError, this);
    opj_set_warning_handler(codec, OnWarning, this);
    opj_set_info_handler(codec, OnWarning, this);
}

void jp2_codec_errors::Clear()
{
    text[0] = 0;
    have = false;
}

void jp2_codec_errors::Check(OPJ_BOOL ok, const char* fallback)
{
    if (ok)
        return;
    throw CLxJP2ErrorException(have && text[0] ? text : fallback, -9);
}
