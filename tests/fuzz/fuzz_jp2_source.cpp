// libFuzzer target of the JPEG 2000 container layer; see jp2_fuzz_bodies.h.
//
//   cmake --build build-fuzz --target fuzz_jp2_source fuzz_jp2_source_corpus
//   cd build-fuzz/tests/fuzz && ./fuzz_jp2_source corpora/fuzz_jp2_source
#include "jp2_fuzz_bodies.h"

#include "w32_system/debugging/LxDiag.h"
#include "fuzz_quiet_reports.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzing::QuietReports();
    jp2fuzz::Source(data, size);
    return 0;
}
