// libFuzzer target for the Base64 decoder: any text, narrow or UTF-16,
// decodes or is refused; decoded bytes encode to a text that decodes to
// the same bytes.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "gnr_system/LxBase64.h"
#include "gnr_system/string/LxString.h"

namespace
{

std::vector<unsigned char> Decoded(const Base64Coder& coder)
{
    unsigned size = 0;
    const unsigned char* bytes = coder.DecodedBuffer(&size);
    return bytes ? std::vector<unsigned char>(bytes, bytes + size) : std::vector<unsigned char>();
}

void CheckRoundTrip(const std::vector<unsigned char>& bytes)
{
    Base64Coder encoder;
    if (!encoder.Encode(bytes.data(), unsigned(bytes.size())))
        abort();
    unsigned length = 0;
    const char* text = encoder.EncodedBuffer(&length);
    Base64Coder decoder;
    if (!decoder.DecodeA(CLxStringA(std::string(text ? text : "", length).c_str())) ||
        Decoded(decoder) != bytes)
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_support::QuietDiagnostics();
    std::string narrow(reinterpret_cast<const char*>(data), size);
    Base64Coder coder;
    if (coder.DecodeA(CLxStringA(narrow.c_str())))
        CheckRoundTrip(Decoded(coder));
    std::u16string wide = fuzz_support::Units(data, size);
    Base64Coder wideCoder;
    if (wideCoder.DecodeW(wide.c_str()))
        CheckRoundTrip(Decoded(wideCoder));
    if (wideCoder.SetEncodeBufferW(wide.data(), unsigned(wide.size())))
        wideCoder.EncodedBuffer();
    return 0;
}
