// libFuzzer target for the loaders of the metadata records: any bytes, read
// as a variant XML text, must load into every record (or be refused) without
// a fault, and what loaded must be usable and savable.
//
//   cmake --build build-fuzz --target fuzz_metaformats_records fuzz_metaformats_records_corpus
//   cd build-fuzz/tests/fuzz && ./fuzz_metaformats_records corpora/fuzz_metaformats_records
//
// -make_corpus=FOLDER writes the seed documents (made by the records' own
// savers) into the folder and ends.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "metaformats_records_corpus.h"
#include "metaformats_records_harness.h"
#include "w32_system/debugging/LxDiag.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Reports have no outlet but the (unheard) debugger output.
    LX_SetFailifOptions(LX_DIAG_DEBUGOUT);
    LX_SetTraceOptions(LX_DIAG_DEBUGOUT);
    const char* flag = "-make_corpus=";
    for (int i = 1; i < *argc; ++i) {
        if (strncmp((*argv)[i], flag, strlen(flag)) != 0)
            continue;
        const std::string folder = (*argv)[i] + strlen(flag);
        for (const auto& doc : lx_fuzz::MetaformatsSeedDocuments())
            std::ofstream(folder + "/" + doc.first + ".xml", std::ios::binary) << doc.second;
        exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    lx_fuzz::LoadRecordsFromText(data, size);
    return 0;
}
