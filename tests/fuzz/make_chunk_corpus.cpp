// Writes the seed corpus of fuzz_chunk_file into the folder given (made when
// missing): small chunk files written by the chunk file layer itself, and the
// crash cuts of one of them, with and without a zero tail.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "gnr_system/LxByteArray.h"
#include "gnr_system/string/LxString.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxFileChunker.h"

namespace
{

std::filesystem::path g_folder;
int g_failures = 0;

void Save(const std::string& name, const std::string& bytes)
{
    std::ofstream out(g_folder / name, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out)
        ++g_failures;
}

std::string Bytes(const CLxByteArray& block)
{
    return std::string(reinterpret_cast<const char*>(block.GetData()), block.GetSize());
}

struct SChunk {
    const char* name;
    uint32_t size;
};

// A finished file of those chunks; data byte i of chunk k is k * 31 + i.
std::string Written(const char* version, std::initializer_list<SChunk> chunks, bool finish = true)
{
    CLxByteArray block;
    CLxFileChunker chunker;
    CLxStringA v(version);
    if (chunker.OpenMemory(&block, false, false, v) != 0)
        ++g_failures;
    int k = 0;
    for (const SChunk& chunk : chunks) {
        std::string data(chunk.size, '\0');
        for (uint32_t i = 0; i < chunk.size; ++i)
            data[i] = char(k * 31 + i);
        if (chunker.WriteChunk(chunk.name, data.data(), chunk.size) != 0)
            ++g_failures;
        ++k;
    }
    if (finish && chunker.Finalize() != 0)
        ++g_failures;
    return Bytes(block);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s folder\n", argv[0]);
        return 2;
    }
    g_folder = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(g_folder, ec);

    Save("empty_map", Written("Ver2.1", {}));
    Save("one_chunk", Written("Ver2.1", {{"A", 10}}));
    Save("old_version", Written("Ver1.0", {{"ImageAttributes", 40}, {"ImageDataSeq|0", 100}}));
    Save("frames_order", Written("Ver2.1", {{"ImageDataSeq|1", 7},
                                            {"ImageDataSeq|10", 8},
                                            {"ImageDataSeq|2", 9},
                                            {"ImageMetadataSeq|0!", 0}}));
    Save("exact_block", Written("Ver2.1", {{"X!", 4096 - 16 - 2}, {"Y!", 4097 - 16 - 2}}));
    Save("no_map", Written("Ver2.1", {{"A", 3}, {"B", 5000}}, false));

    const std::string mixed = Written("Ver2.1", {{"ImageAttributes", 120},
                                                 {"ImageDataSeq|0", 900},
                                                 {"Rewritten", 30},
                                                 {"ImageDataSeq|1", 4100},
                                                 {"Rewritten", 50},
                                                 {"ImageTextInfo", 0}});
    Save("mixed", mixed);
    // Crash cuts: after a chunk, inside a header, a name, data, padding, the
    // map and the end record; each also with a zero tail.
    const size_t cuts[] = {
        4096, 8192 + 9, 8192 + 20, 8192 + 300, 8192 + 4000, mixed.size() - 2000, mixed.size() - 20};
    for (size_t cut : cuts) {
        if (cut > mixed.size())
            continue;
        const std::string part = mixed.substr(0, cut);
        Save("cut_" + std::to_string(cut), part);
        Save("cut_" + std::to_string(cut) + "_tail", part + std::string(8192, '\0'));
    }
    // Bytes between two chunks that are no chunk.
    Save("garbage_between", mixed.substr(0, 8192) + std::string(100, 'g') +
                                std::string(4096 - 100, '\0') + mixed.substr(8192));
    // A finished file appended to and finished again: two maps.
    {
        const std::filesystem::path path = g_folder / "appended";
        const std::u16string wide = path.u16string();
        CLxStringA version("Ver2.1");
        CLxFileChunker first;
        if (first.Open(wide.c_str(), false, false, version) != 0 ||
            first.WriteChunk("A", "first", 5) != 0 || first.Finalize() != 0)
            ++g_failures;
        CLxFileChunker second;
        if (second.Open(wide.c_str(), false, true, version) != 0 ||
            second.WriteChunk("A", "second", 6) != 0 || second.WriteChunk("B", "b", 1) != 0 ||
            second.Finalize() != 0)
            ++g_failures;
    }
    printf("%s\n", g_failures ? "failed" : "done");
    return g_failures ? 1 : 0;
}
