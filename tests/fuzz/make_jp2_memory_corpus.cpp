// Writes the seed corpus of fuzz_jp2_memory: documents of two to four
// frames made by our container writer around OpenJPEG codestreams (grey,
// RGB, 12 bits, tiles, virtual components, with and without own boxes).
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "gnr_system/LxByteArray.h"
#include "jp2_document_writer.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_input_file.h"

namespace
{

// A seed is worth its place when the memory reader decodes its last frame.
bool LastFrameDecodes(const std::string& path)
{
    std::string bytes;
    if (FILE* f = fopen(path.c_str(), "rb")) {
        for (int c; (c = fgetc(f)) != EOF;)
            bytes.push_back(char(c));
        fclose(f);
    }
    CLxByteArray block;
    if (bytes.empty() ||
        block.SetData(reinterpret_cast<const uint8_t*>(bytes.data()), uint32_t(bytes.size()),
                      eLxByteArrayOpFromStart, eLxByteArrayAllocExact) != 0)
        return false;
    try {
        CLxJP2InputFile reader(nullptr, &block);
        SLxImageAttributes a{};
        if (reader.GetImageAttributes(a) != 0 || a.uiSequenceCount < 2)
            return false;
        std::vector<uint8_t> frame(size_t(a.uiWidthBytes) * a.uiHeight);
        return reader.GetImageData(a.uiSequenceCount - 1, frame.data(), 0, 0) == 0;
    } catch (const CLxJP2ErrorException&) {
        return false;
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const std::string folder = argv[1];
    mkdir(folder.c_str(), 0755);
    struct Seed {
        const char* name;
        uint32_t width, height, components;
        int precision;
        uint32_t frames, virtualComponents, tile;
        bool ownBoxes;
    };
    const Seed seeds[] = {
        {"grey_two.jp2", 9, 7, 1, 8, 2, 0, 0, false},
        {"rgb_three.jp2", 6, 5, 3, 8, 3, 0, 0, true},
        {"grey12_tiled.jp2", 11, 9, 1, 12, 2, 0, 4, true},
        {"virtual_rgb.jp2", 5, 4, 3, 12, 2, 3, 0, true},
        {"odd_four.jp2", 13, 3, 1, 8, 4, 0, 0, false},
    };
    int written = 0;
    for (const Seed& s : seeds) {
        jp2doc::DocumentOptions o;
        o.frames = s.frames;
        o.virtualComponents = s.virtualComponents;
        o.ownBoxes = s.ownBoxes;
        o.encode.resolutions = 2;
        o.encode.tileWidth = s.tile;
        o.encode.tileHeight = s.tile;
        const std::string path = folder + "/" + s.name;
        const std::u16string wide(path.begin(), path.end());
        if (jp2doc::WriteDocument(wide.c_str(),
                                  jp2doc::MakePicture(s.width, s.height, s.components, s.precision),
                                  o) &&
            LastFrameDecodes(path))
            ++written;
        else
            std::printf("%s: not written or its last frame does not decode\n", s.name);
    }
    std::printf("%d files\n", written);
    return written == int(sizeof seeds / sizeof seeds[0]) ? 0 : 1;
}
