#include "mul_imageformat/gnr_imageformat_jp2/jp2_top_boxes.h"

#include "mul_imageformat/gnr_imageformat_jp2/jp2_box.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_io.h"
#include "w32_system/LxFileAPI.h"

std::vector<SLxJP2TopBox> LX_WalkJp2TopBoxes(LX_HFILE file)
{
    std::vector<SLxJP2TopBox> boxes;
    uint64_t size = 0;
    LX_GetFileSize(file, &size);
    for (uint64_t at = 0; at < size && boxes.size() < 1000000;) {
        if (!jp2_io::seek(file, nullptr, at))
            break;
        jp2_box_reader box;
        try {
            if (!box.open(file))
                break;
        } catch (const CLxJP2ErrorException&) {
            break;
        }
        boxes.push_back({box.box_type, at, box.contents_start,
                         box.contents_end < size ? box.contents_end : size});
        if (box.open_ended || box.contents_end >= size || box.contents_end <= at)
            break;
        at = box.contents_end;
    }
    return boxes;
}

bool LX_ReadJp2Range(LX_HFILE file, uint64_t from, uint64_t to, std::vector<uint8_t>& out)
{
    if (to < from || to - from > 0x7FFFFFFF || !jp2_io::seek(file, nullptr, from))
        return false;
    out.resize(size_t(to - from));
    return out.empty() ||
           jp2_io::read(file, nullptr, out.data(), uint32_t(out.size())) == out.size();
}
