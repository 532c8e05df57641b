// What the decoding and encoding halves of the codec layer share: the
// library's error context and the streams it reads and writes through.
#pragma once

#include <openjpeg.h>

#include <cstdint>

class jp2_file_source;

// One per codec object: the library's callbacks only store the text of the
// call's first error (at most 255 characters), nothing else.
struct jp2_codec_errors {
    char text[256] = {};
    bool have = false;

    // Installs the error and warning handlers on the codec.
    void Install(opj_codec_t* codec);
    // Forgets the stored text before the next call.
    void Clear();
    // Throws CLxJP2ErrorException(text, -9) unless ok.
    void Check(OPJ_BOOL ok, const char* fallback);
};

// A read stream over the codestream a JP2 source stands on; its length is
// the bytes of the codestream that exist. Null when it cannot be made.
opj_stream_t* jp2_make_source_stream(jp2_file_source& source);
// A read stream over codestream bytes in memory.
opj_stream_t* jp2_make_memory_stream(const uint8_t* bytes, uint64_t size);
