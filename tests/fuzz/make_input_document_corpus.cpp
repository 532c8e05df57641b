// Writes the seed corpus of fuzz_input_document into the folder given: the
// test documents of tests/fixtures/documents of at most 100 frames, QX2 and
// JPEG 2000, as the library's writers make them, and the documents whose
// branches acquire different channels.
#include <cstdio>

#include "fixtures/documents/document_writers.h"

int WriteMergeDocuments(const std::string& folder); // spectral channel merges

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_input_document_corpus <folder>\n");
        return 2;
    }
    return lxtest_documents::WriteDocuments(argv[1], [](const lxtest_documents::SDocument& d) {
        return d.frames <= 100;
    }) + WriteMergeDocuments(argv[1]) ? 1 : 0;
}
