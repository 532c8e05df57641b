// The library pulls codestream bytes through these callbacks. Nothing may
// be thrown through the library: whatever the box layer raises becomes a
// failed read, which the library reports as an error of its own.
#include "mul_imageformat/gnr_imageformat_jp2/codec/jp2_codec_internal.h"

#include <cstring>

#include "mul_imageformat/gnr_imageformat_jp2/jp2_file.h"

namespace
{

// The library's read buffer: up to 1 MiB, no larger than the codestream.
OPJ_SIZE_T ChunkFor(uint64_t length)
{
    const uint64_t most = uint64_t(1) << 20, least = 4096;
    return OPJ_SIZE_T(length < least ? least : length > most ? most : length);
}

struct SourceStream {
    jp2_file_source* source;
    uint64_t length;
};

OPJ_SIZE_T SourceRead(void* buffer, OPJ_SIZE_T count, void* user)
{
    auto* s = static_cast<SourceStream*>(user);
    try {
        const int64_t pos = s->source->get_pos(false);
        if (pos < 0 || uint64_t(pos) >= s->length)
            return OPJ_SIZE_T(-1);
        uint64_t want = s->length - uint64_t(pos);
        if (want > count)
            want = count;
        if (want > 0x7FFFFFFF)
            want = 0x7FFFFFFF;
        const int32_t got = s->source->read(static_cast<uint8_t*>(buffer), int32_t(want));
        return got > 0 ? OPJ_SIZE_T(got) : OPJ_SIZE_T(-1);
    } catch (...) {
        return OPJ_SIZE_T(-1);
    }
}

OPJ_BOOL SourceSeek(OPJ_OFF_T offset, void* user)
{
    auto* s = static_cast<SourceStream*>(user);
    try {
        if (offset < 0 || uint64_t(offset) > s->length)
            return OPJ_FALSE;
        return s->source->seek(offset) ? OPJ_TRUE : OPJ_FALSE;
    } catch (...) {
        return OPJ_FALSE;
    }
}

OPJ_OFF_T SourceSkip(OPJ_OFF_T count, void* user)
{
    auto* s = static_cast<SourceStream*>(user);
    try {
        const int64_t pos = s->source->get_pos(false);
        int64_t target = pos + count;
        if (target < 0)
            return -1;
        if (uint64_t(target) > s->length)
            target = int64_t(s->length);
        if (!s->source->seek(target))
            return -1;
        return target - pos;
    } catch (...) {
        return -1;
    }
}

void SourceFree(void* user)
{
    delete static_cast<SourceStream*>(user);
}

struct MemoryStream {
    const uint8_t* bytes;
    uint64_t size;
    uint64_t pos;
};

OPJ_SIZE_T MemoryRead(void* buffer, OPJ_SIZE_T count, void* user)
{
    auto* m = static_cast<MemoryStream*>(user);
    if (m->pos >= m->size)
        return OPJ_SIZE_T(-1);
    uint64_t n = m->size - m->pos;
    if (n > count)
        n = count;
    memcpy(buffer, m->bytes + m->pos, size_t(n));
    m->pos += n;
    return OPJ_SIZE_T(n);
}

OPJ_BOOL MemorySeek(OPJ_OFF_T offset, void* user)
{
    auto* m = static_cast<MemoryStream*>(user);
    if (offset < 0 || uint64_t(offset) > m->size)
        return OPJ_FALSE;
    m->pos = uint64_t(offset);
    return OPJ_TRUE;
}

OPJ_OFF_T MemorySkip(OPJ_OFF_T count, void* user)
{
    auto* m = static_cast<MemoryStream*>(user);
    int64_t target = int64_t(m->pos) + count;
    if (target < 0)
        return -1;
    if (uint64_t(target) > m->size)
        target = int64_t(m->size);
    const OPJ_OFF_T moved = target - int64_t(m->pos);
    m->pos = uint64_t(target);
    return moved;
}

void MemoryFree(void* user)
{
    delete static_cast<MemoryStream*>(user);
}

} // namespace

opj_stream_t* jp2_make_source_stream(jp2_file_source& source)
{
    if (!source.is_open() || !source.set_origin(int64_t(source.codestream_start())) ||
        !source.seek(0))
        return nullptr;
    const uint64_t length = source.codestream_length();
    opj_stream_t* stream = opj_stream_create(ChunkFor(length), OPJ_TRUE);
    if (!stream)
        return nullptr;
    auto* user = new SourceStream{&source, length};
    opj_stream_set_read_function(stream, SourceRead);
    opj_stream_set_seek_function(stream, SourceSeek);
    opj_stream_set_skip_function(stream, SourceSkip);
    opj_stream_set_user_data(stream, user, SourceFree);
    opj_stream_set_user_data_length(stream, user->length);
    return stream;
}

opj_stream_t* jp2_make_memory_stream(const uint8_t* bytes, uint64_t size)
{
    opj_stream_t* stream = opj_stream_create(ChunkFor(size), OPJ_TRUE);
    if (!stream)
        return nullptr;
    auto* user = new MemoryStream{bytes, size, 0};
    opj_stream_set_read_function(stream, MemoryRead);
    opj_stream_set_seek_function(stream, MemorySeek);
    opj_stream_set_skip_function(stream, MemorySkip);
    opj_stream_set_user_data(stream, user, MemoryFree);
    opj_stream_set_user_data_length(stream, size);
    return stream;
}
