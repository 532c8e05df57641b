// Writes the seed corpus of fuzz_document_layer into the folder given: the
// shapes of the test documents (time, Z, stage points and channels, the
// branches that acquire different channels, non-equidistant periods with
// channels inside, documents without experiment) as byte scripts.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "document_script.h"

using document_script::SWriter;
using E = SLxExperiment;

namespace
{

struct SSeed {
    const char* name;
    std::function<void(SWriter&)> write;
};

const std::vector<SSeed>& Seeds()
{
    static const std::vector<SSeed> seeds = {
        {"no_experiment", [](SWriter& w) { w.Document(0, 8, 4, 1, false, 3, {1}); }},
        {"no_planes_rgb", [](SWriter& w) { w.Document(0, 5, 3, 3, false, 1, {}); }},
        {"time_spectral",
         [](SWriter& w) {
             w.Document(1, 6, 4, 3, true, 5, {1, 1, 1});
             w.Level(E::eEtTime, 5, 1).Repeat(1).Level(E::eEtSpect, 3, 0);
         }},
        {"xy_z_spectral",
         [](SWriter& w) {
             w.Document(1, 4, 2, 2, false, 12, {1, 1});
             w.Level(E::eEtXYPos, 2, 1).Repeat(1).Level(E::eEtZStack, 3, 1);
             w.Repeat(1).Level(E::eEtSpect, 2, 0);
         }},
        {"branches",
         [](SWriter& w) {
             w.Document(1, 3, 2, 3, false, 12, {1, 1, 1});
             w.Level(E::eEtTime, 4, 1).Repeat(1).Level(E::eEtXYPos, 2, 2);
             w.Repeat(1).Level(E::eEtSpect, 2, 0).Repeat(1).Level(E::eEtSpect, 1, 0);
         }},
        {"ne_time_channels",
         [](SWriter& w) {
             w.Document(1, 3, 3, 2, true, 14, {1, 1});
             w.U8(E::eEtNETime).U8(2);            // two periods
             w.U8(4).U8(1).U8(1);                 // 4 frames, valid, one level
             w.Level(E::eEtSpect, 2, 0);
             w.U8(3).U8(1).U8(2);                 // 3 frames, valid, two levels
             w.Level(E::eEtSpect, 1, 0).Level(E::eEtSpect, 1, 0);
         }},
        {"many_frames",
         [](SWriter& w) {
             w.Document(1, 2, 1, 1, false, 2000, {1});
             w.Level(E::eEtTime, 2000, 0);
         }},
        {"custom_polar",
         [](SWriter& w) {
             w.Document(1, 2, 2, 1, false, 6, {1});
             w.Level(E::eEtCustom, 2, 1).Repeat(1).Level(E::eEtPolar, 3, 0);
         }},
    };
    return seeds;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_document_layer_corpus <folder>\n");
        return 2;
    }
    std::filesystem::create_directories(argv[1]);
    int failures = 0;
    for (const SSeed& seed : Seeds()) {
        SWriter w;
        seed.write(w);
        // Coordinates to visit after the fixed reads.
        for (uint8_t c : {1, 0, 2, 1, 0, 0, 3, 1})
            w.U8(c);
        const std::string path = std::string(argv[1]) + "/" + seed.name;
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f || std::fwrite(w.bytes.data(), 1, w.bytes.size(), f) != w.bytes.size())
            ++failures;
        if (f)
            std::fclose(f);
    }
    return failures ? 1 : 0;
}
