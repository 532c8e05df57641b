// Rewriting the capture resolution of a finished file in place.
#include "mul_imageformat/gnr_imageformat_jp2/jp2_box.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_extra.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_file_edit.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_header.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_io.h"
#include "w32_system/LxFileAPI.h"
#include "w32_system/debugging/LxDiag.h"

namespace
{

constexpr uint64_t kRescBoxSize = 18;

struct Place {
    bool found = false;
    uint64_t offset = 0;
    uint64_t size = 0;
};

// The first "resc" of a "res " box, else its first sub-box.
void SearchRes(jp2_box_reader& res, Place& place)
{
    Place first;
    jp2_box_reader sub;
    while (res.is_open()) {
        const uint64_t offset = res.position;
        if (!sub.open_sub(&res))
            break;
        const Place here{true, offset, sub.open_ended ? 0 : sub.contents_end - offset};
        const bool resc = sub.box_type == jp2_capture_resolution_4cc;
        sub.close();
        if (resc) {
            place = here;
            return;
        }
        if (!first.found)
            first = here;
    }
    place = first;
}

int Rewrite(LX_HFILE file, double value)
{
    Place place;
    bool haveRes = false;
    jp2_box_reader box;
    while (!place.found && box.open(file)) {
        if (box.box_type == jp2_header_4cc) {
            jp2_box_reader sub;
            while (!place.found && box.is_open() && sub.open_sub(&box)) {
                if (sub.box_type == jp2_resolution_4cc) {
                    haveRes = true;
                    SearchRes(sub, place);
                }
                sub.close();
            }
        }
        const bool openEnded = box.open_ended;
        box.close();
        if (openEnded)
            break;
    }
    if (!haveRes) {
        LX_TRACE(u"gnr_imageformat_jp2: No resolution box.");
        return 0;
    }
    // Only a place of the size of a "resc" box can take one.
    if (!place.found || place.size != kRescBoxSize)
        return -9;
    uint16_t n = 0;
    int8_t e = 0;
    jp2_encode_resolution(value, n, e);
    uint8_t b[kRescBoxSize];
    jp2_io::put_u32(b, uint32_t(kRescBoxSize));
    jp2_io::put_u32(b + 4, jp2_capture_resolution_4cc);
    b[8] = uint8_t(n >> 8);
    b[9] = uint8_t(n);
    b[10] = 0x80; // 32768
    b[11] = 0;
    b[12] = uint8_t(n >> 8);
    b[13] = uint8_t(n);
    b[14] = 0x80;
    b[15] = 0;
    b[16] = uint8_t(e);
    b[17] = uint8_t(e);
    return jp2_io::seek(file, nullptr, place.offset) && jp2_io::write(file, nullptr, b, sizeof b)
               ? 0
               : -9;
}

} // namespace

int LX_WriteJp2CaptureResolution(const char16_t* path, double value)
{
    LX_HFILE file = LX_INVALID_HFILE;
    int status = jp2_edit::open_checked(path, file);
    if (status != 0)
        return status;
    try {
        status = Rewrite(file, value);
    } catch (const CLxJP2ErrorException&) {
        status = -9;
    }
    LX_CloseFile(file);
    return status;
}
