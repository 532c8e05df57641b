// Replays every file of the folders (or files) given through a libFuzzer
// target linked into this program, so the sanitizer build runs the corpus
// without libFuzzer. Exit status 0 when every input returned.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace
{

bool Replay(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    size_t count = 0, unreadable = 0;
    auto replay = [&](const std::filesystem::path& file) {
        if (Replay(file)) {
            ++count;
        } else {
            fprintf(stderr, "cannot read %s\n", file.c_str());
            ++unreadable;
        }
    };
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        std::error_code ec;
        if (std::filesystem::is_directory(path, ec)) {
            for (const auto& entry : std::filesystem::directory_iterator(path, ec))
                if (entry.is_regular_file(ec))
                    replay(entry.path());
        } else {
            replay(path);
        }
    }
    printf("replayed %zu inputs\n", count);
    return count && !unreadable ? 0 : 1;
}
