// A counted reader for the tests, opened through the opener helper.
#pragma once

#include "chunk_store.h"
#include "mul_imageformat/LxInputImageFile.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2InputOpener.h"
#include "qx2_format_double.h"

namespace qx2test
{

// Holds one reference and releases it.
struct ReaderRef {
    ReaderRef() = default;
    ReaderRef(const ReaderRef&) = delete;
    ReaderRef& operator=(const ReaderRef&) = delete;
    ~ReaderRef() { Reset(); }
    void Reset()
    {
        if (p)
            p->Release();
        p = nullptr;
    }
    ILxInputImageFile* operator->() const { return p; }
    ILxInputImageFile* p = nullptr;
};

// Opens the store's file (or a copy of its block) and adds the reference.
inline int OpenReader(chunktest::ChunkStore& store, FormatDouble& format, ReaderRef& reader,
                      CLxByteArray* block = nullptr)
{
    reader.Reset();
    int rc;
    if (store.Target() == chunktest::eOnFile) {
        rc = LX_OpenQX2InputFile(&format, store.Wide().c_str(), &reader.p);
    } else {
        const std::string bytes = store.Contents();
        block->SetData(bytes.data(), uint32_t(bytes.size()), eLxByteArrayOpFromStart,
                       eLxByteArrayAllocExact);
        rc = LX_OpenQX2InputMemory(&format, block, &reader.p);
    }
    if (reader.p)
        reader.p->AddRef();
    return rc;
}

} // namespace qx2test
