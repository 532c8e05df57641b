// libFuzzer target of the JPEG 2000 container layer; see jp2_fuzz_bodies.h.
//
//   cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang
//         -DQUELVIX_TESTS=ON -DQUELVIX_FUZZ=ON -DQUELVIX_SANITIZE=ON      (one command)
//   cmake --build build-fuzz --target fuzz_jp2_boxmap
//   /usr/bin/python3 tests/mul_imageformat/gnr_imageformat_jp2/jp2_cases.py corpus-boxmap corpus
//   build-fuzz/tests/fuzz/fuzz_jp2_boxmap corpus
#include "jp2_fuzz_bodies.h"

#include "w32_system/debugging/LxDiag.h"
#include "fuzz_quiet_reports.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzing::QuietReports();
    jp2fuzz::BoxMap(data, size);
    return 0;
}
