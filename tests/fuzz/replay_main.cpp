// Runs a fuzz target over the files of the folders (or files) given, the way
// libFuzzer replays a corpus, for builds without libFuzzer.
#include <dirent.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace
{

int RunFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return 1;
}

int RunPath(const std::string& path)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return -1;
    if (!S_ISDIR(st.st_mode))
        return RunFile(path);
    int count = 0;
    if (DIR* dir = opendir(path.c_str())) {
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..")
                count += RunFile(path + "/" + name);
        }
        closedir(dir);
    }
    return count;
}

} // namespace

int main(int argc, char** argv)
{
    int total = 0;
    for (int i = 1; i < argc; ++i) {
        int n = RunPath(argv[i]);
        if (n < 0) {
            fprintf(stderr, "no such corpus: %s\n", argv[i]);
            return 2;
        }
        total += n;
    }
    printf("replayed %d inputs\n", total);
    return total > 0 ? 0 : 1;
}
