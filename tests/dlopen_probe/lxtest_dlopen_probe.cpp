// Loads the shared library at run time, as a Java virtual machine loads it,
// and calls CreateJp2InputFile before anything else of it: the library must
// have started up by then. Arguments: the library, a document.
#include <dlfcn.h>

#include <cstdio>
#include <string>
#include <vector>

#include "gnr_vu2ziz/LxJp2InputFile.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: lxtest_dlopen_probe <library> <document>\n");
        return 2;
    }
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        std::fprintf(stderr, "dlopen: %s\n", dlerror());
        return 1;
    }
    using Create = IJp2InputFile* (*)(const char16_t*);
    auto create = reinterpret_cast<Create>(dlsym(library, "CreateJp2InputFile"));
    if (!create) {
        std::fprintf(stderr, "dlsym: %s\n", dlerror());
        return 1;
    }
    std::u16string path;
    for (const char* c = argv[2]; *c; ++c)
        path += char16_t(static_cast<unsigned char>(*c));
    IJp2InputFile* doc = create(path.c_str());
    if (!doc) {
        std::fprintf(stderr, "CreateJp2InputFile gave null\n");
        return 1;
    }
    uint32_t width = 0, widthBytes = 0, height = 0, components = 0, bits = 0;
    const uint32_t count = doc->GetImageCount();
    bool ok = count > 0 && doc->GetImageInfo(count - 1, &width, &widthBytes, &height,
                                             &components, &bits);
    std::vector<uint8_t> image(size_t(widthBytes) * height);
    ok = ok && doc->GetImage(count - 1, image.data());
    doc->Release();
    dlclose(library);
    std::printf("%u images, the last %u x %u: %s\n", count, width, height, ok ? "read" : "FAILED");
    return ok ? 0 : 1;
}
