#include "mul_imageformat/gnr_imageformat_jp2/jp2_file_edit.h"

#include "mul_imageformat/gnr_imageformat_jp2/jp2_box.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_io.h"
#include "w32_system/LxFileAPI.h"

namespace jp2_edit
{

int open_checked(const char16_t* path, LX_HFILE& file)
{
    file = LX_INVALID_HFILE;
    if (!path ||
        LX_OpenFile(path, LX_FILE_READ | LX_FILE_WRITE, LX_FILE_SHARE_READ | LX_FILE_SHARE_WRITE,
                    LX_INVALID_HFILE, &file) != 0) {
        file = LX_INVALID_HFILE;
        return -1;
    }
    // "jP  " of 12 bytes with its word, then a "ftyp" box.
    uint8_t head[20];
    if (jp2_io::read(file, nullptr, head, sizeof head) != sizeof head ||
        jp2_io::get_u32(head) != 12 || jp2_io::get_u32(head + 4) != jp2_signature_4cc ||
        jp2_io::get_u32(head + 8) != jp2_signature_word ||
        jp2_io::get_u32(head + 16) != jp2_file_type_4cc || !jp2_io::seek(file, nullptr, 0)) {
        LX_CloseFile(file);
        file = LX_INVALID_HFILE;
        return -9;
    }
    return 0;
}

} // namespace jp2_edit
