// Writers for the tests: opened through the opener helper on a fresh file,
// held by one reference.
#pragma once

#include <cstring>
#include <map>
#include <string>

#include "chunk_store.h"
#include "mul_imageformat/LxImageAttributes.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2OutputFile.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2OutputOpener.h"
#include "qx2_document_writer.h"
#include "qx2_format_double.h"
#include "qx2_reader_support.h"

namespace qx2test
{

struct WriterRef {
    WriterRef() = default;
    WriterRef(const WriterRef&) = delete;
    WriterRef& operator=(const WriterRef&) = delete;
    ~WriterRef() { Reset(); }
    void Reset()
    {
        if (p)
            p->Release();
        p = nullptr;
    }
    CLxQX2OutputFile* Own() const { return dynamic_cast<CLxQX2OutputFile*>(p); }
    ILxOutputImageFile* operator->() const { return p; }
    ILxOutputImageFile* p = nullptr;
};

inline int OpenWriter(ILxImageFormat& format, const std::u16string& path, bool append,
                      WriterRef& writer)
{
    writer.Reset();
    const int rc = LX_OpenQX2OutputFile(&format, path.c_str(), append, &writer.p);
    if (writer.p)
        writer.p->AddRef();
    return rc;
}

// Every chunk of a finished file by name.
inline std::map<std::string, std::string> ChunksOf(const std::u16string& path)
{
    CLxFileChunker chunker;
    CLxStringA version;
    std::map<std::string, std::string> chunks;
    if (chunker.Open(path.c_str(), true, false, version) == 0)
        chunks = chunktest::AllChunks(chunker);
    chunker.Finalize();
    return chunks;
}

inline size_t CountPrefix(const std::map<std::string, std::string>& chunks, const char* prefix)
{
    size_t n = 0;
    for (const auto& c : chunks)
        n += c.first.compare(0, strlen(prefix), prefix) == 0;
    return n;
}

inline double DoubleAt(const std::string& bytes, size_t at)
{
    uint64_t bits = chunktest::GetLE64(bytes, at);
    double d;
    memcpy(&d, &bits, 8);
    return d;
}

} // namespace qx2test
