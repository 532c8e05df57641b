// libFuzzer target for the SDK's input document: the input becomes a file
// (an anonymous memory file, reached by its /proc path), which
// CreateJp2InputFile opens as QX2 or JPEG 2000; then the loops, indices,
// image information, a few images and the metadata getters. Every call must
// answer; images never write past the size GetImageInfo reports.
//
//   cmake --build build-fuzz --target fuzz_input_document fuzz_input_document_corpus
//   cd build-fuzz/tests/fuzz && ./fuzz_input_document corpora/fuzz_input_document
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "document_reads.h"
#include "w32_system/debugging/LxDiag.h"
#include "fuzz_quiet_reports.h"

namespace
{

// Inputs and frames beyond these are not worth the time of one run.
constexpr size_t kMaxInput = 512u << 10;
constexpr uint64_t kMaxImage = 4u << 20;

using document_reads::Check;

// One memory file for every run, rewritten each time.
int MemoryFile()
{
    static const int fd = memfd_create("fuzz_input_document", 0);
    return fd;
}


} // namespace

// ASan hands freed pages of its size classes back to the system every few
// seconds by default; documents free many blocks of many sizes, and that
// alone cost more than half the executions. ASAN_OPTIONS still decides.
extern "C" const char* __asan_default_options()
{
    return "allocator_release_to_os_interval_ms=-1";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Reports only to the debug outlet: no stack trace per bad record.
    fuzzing::QuietReports();
    const int fd = MemoryFile();
    if (fd < 0 || size > kMaxInput)
        return 0;
    if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size))
        return 0;
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    std::u16string wide(path.begin(), path.end());
    IJp2InputFile* doc = CreateJp2InputFile(wide.c_str());
    if (!doc)
        return 0;
    const uint32_t loops = doc->GetLoopCount();
    std::vector<uint32_t> coordinates(loops + 1, 0);
    for (uint32_t loop = 0; loop <= loops && loop < 64; ++loop) {
        doc->GetLoopType(loop);
        const uint32_t loopSize = doc->GetLoopSize(loop);
        if (loop < loops)
            coordinates[loop] = loopSize ? loopSize - 1 : 0;
    }
    const std::vector<uint32_t> before = coordinates;
    const uint32_t last = doc->GetSeqIndex(coordinates.data());
    Check(coordinates == before);
    const uint32_t count = doc->GetImageCount();
    for (uint32_t seq : {0u, 1u, count / 2, last, count - 1, count})
        document_reads::ReadImage(doc, seq, kMaxImage);
    Check(doc->Release() == 0);
    return 0;
}
