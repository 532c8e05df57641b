// Cutting the metadata tail before own boxes are written anew.
#include "mul_imageformat/gnr_imageformat_jp2/jp2_box.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_extra.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_file_edit.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_io.h"
#include "w32_system/LxFileAPI.h"

namespace
{

struct RawHeader {
    uint32_t lbox = 0;
    uint32_t type = 0;
    uint64_t xlbox = 0;
    uint32_t size = 0; // header bytes
};

bool ReadHeader(LX_HFILE file, uint64_t at, uint64_t fileSize, RawHeader& h)
{
    uint8_t b[16];
    if (at > fileSize || fileSize - at < 8 || !jp2_io::seek(file, nullptr, at) ||
        jp2_io::read(file, nullptr, b, 8) != 8)
        return false;
    h.lbox = jp2_io::get_u32(b);
    h.type = jp2_io::get_u32(b + 4);
    h.size = 8;
    if (h.lbox == 1) {
        if (fileSize - at < 16 || jp2_io::read(file, nullptr, b + 8, 8) != 8)
            return false;
        h.xlbox = (uint64_t(jp2_io::get_u32(b + 8)) << 32) | jp2_io::get_u32(b + 12);
        h.size = 16;
    }
    return h.type != 0;
}

bool EndsWithEoc(LX_HFILE file, uint64_t contentsStart, uint64_t end)
{
    uint8_t eoc[2];
    return end >= contentsStart + 2 && jp2_io::seek(file, nullptr, end - 2) &&
           jp2_io::read(file, nullptr, eoc, 2) == 2 && eoc[0] == 0xFF && eoc[1] == 0xD9;
}

int Truncate(LX_HFILE file, bool& lastComplete)
{
    lastComplete = false;
    const uint64_t fileSize = jp2_io::size(file, nullptr);
    uint64_t at = 0;
    RawHeader h;
    while (ReadHeader(file, at, fileSize, h)) {
        if (h.type == jp2_xml_4cc || h.type == jp2_uuid_4cc)
            return jp2_io::seek(file, nullptr, at) && LX_SetEOF(file) == 0 ? 0 : -9;
        const bool openEnded = h.lbox == 0 || (h.lbox == 1 && h.xlbox == 0);
        uint64_t end;
        if (openEnded) {
            end = fileSize;
        } else if (h.lbox == 1) {
            if (h.xlbox < 16)
                return -9;
            end = h.xlbox > fileSize - at ? ~uint64_t(0) : at + h.xlbox;
        } else {
            if (h.lbox < 8)
                return -9;
            end = at + h.lbox;
        }
        if (h.type == jp2_codestream_4cc) {
            lastComplete = end <= fileSize && EndsWithEoc(file, at + h.size, end);
            if (openEnded) {
                // A writer that stopped left the length open: record it, so
                // that boxes appended later lie after the codestream.
                const uint64_t length = fileSize - at;
                uint8_t word[8];
                bool ok = true;
                if (h.lbox == 1) {
                    jp2_io::put_u32(word, uint32_t(length >> 32));
                    jp2_io::put_u32(word + 4, uint32_t(length));
                    ok = jp2_io::seek(file, nullptr, at + 8) &&
                         jp2_io::write(file, nullptr, word, 8);
                } else if (length <= 0xFFFFFFFFull) {
                    jp2_io::put_u32(word, uint32_t(length));
                    ok = jp2_io::seek(file, nullptr, at) && jp2_io::write(file, nullptr, word, 4);
                }
                return ok ? 0 : -9;
            }
        }
        if (openEnded || end >= fileSize)
            return 0;
        at = end;
    }
    return 0;
}

} // namespace

int LX_TruncateJp2Metadata(const char16_t* path, bool* lastCodestreamComplete)
{
    bool complete = false;
    LX_HFILE file = LX_INVALID_HFILE;
    int status = jp2_edit::open_checked(path, file);
    if (status == 0) {
        status = Truncate(file, complete);
        LX_CloseFile(file);
    }
    if (lastCodestreamComplete)
        *lastCodestreamComplete = complete;
    return status;
}
