// Documents the reading cases open: QX2 files made by the QX2 writer and JP2
// files of repeated codestreams, written once per process under /tmp and
// removed at exit.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "gnr_metaformats/LxExperiment.h"
#include "gnr_system/string/LxString.h"
#include "jp2_document_writer.h"
#include "mul_imageformat/LxImageAttributes.h"
#include "mul_imageformat/LxOutputImageFile.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxImageFormatQX2.h"

namespace bench
{

struct SShape {
    uint32_t width, height, frames;
};

// Textured 12-bit samples: a wave plus noise, so the codecs have work to do.
inline void fillDocumentFrame(std::vector<uint16_t>& frame, uint32_t width, uint32_t f)
{
    uint32_t state = 2024 + f;
    for (size_t i = 0; i < frame.size(); ++i) {
        state = state * 1103515245u + 12345u;
        const uint32_t x = uint32_t(i % width), y = uint32_t(i / width);
        frame[i] = uint16_t((((x * 3 + y * 5 + f * 7) & 0x3FF) + (state >> 26)) & 0xFFF);
    }
}

inline std::string benchPath(const char* name)
{
    return "/tmp/quelvix_bench_" + std::to_string(getpid()) + "_" + name;
}

// A QX2 document of zlib-compressed 16-bit frames (12 significant bits) under
// a time loop; its path, empty on failure.
inline std::string writeQx2Document(const char* name, SShape shape)
{
    const std::string path = benchPath(name);
    const CLxStringW wide(CLxStringA(path.c_str()));
    ILxOutputImageFile* out = LX_CreateQx2OutputFile(wide.GetString(), false);
    if (!out)
        return {};
    out->AddRef();
    SLxImageAttributes a{};
    a.uiWidth = shape.width;
    a.uiHeight = shape.height;
    a.uiWidthBytes = shape.width * 2;
    a.uiComp = 1;
    a.uiBpcInMemory = 16;
    a.uiBpcSignificant = 12;
    a.uiSequenceCount = shape.frames;
    a.eCompression = LX_COMPRESSION_LOSSLESS;
    a.dCompressionParam = 1.0;
    int rc = out->SetImageAttributes(a);
    SLxExperiment* time = nullptr;
    SLxExperiment::Alloc(&time);
    SLxExperiment::Init(*time, SLxExperiment::eEtTime, false, shape.frames, 0, 0);
    if (rc == 0)
        rc = out->SetExperiment(*time, nullptr);
    SLxExperiment::FreeRecursive(time);
    std::vector<uint16_t> frame(size_t(shape.width) * shape.height);
    for (uint32_t f = 0; rc == 0 && f < shape.frames; ++f) {
        fillDocumentFrame(frame, shape.width, f);
        rc = out->SetImageData(f, frame.data(), nullptr, nullptr);
    }
    if (rc == 0)
        rc = out->Close();
    out->Release();
    if (rc != 0) {
        std::remove(path.c_str());
        return {};
    }
    return path;
}

// A JP2 document of one-component 12-bit lossless frames: `distinct`
// codestreams made by OpenJPEG, repeated over the frames.
inline std::string writeJp2Document(const char* name, SShape shape, uint32_t distinct)
{
    const std::string path = benchPath(name);
    const jp2doc::Picture p = jp2doc::MakePicture(shape.width, shape.height, 1, 12, 3);
    std::vector<std::vector<uint8_t>> made;
    for (uint32_t i = 0; i < distinct; ++i) {
        made.push_back(
            jp2doc::Encode(jp2doc::MakePicture(shape.width, shape.height, 1, 12, 3 + i)));
        if (made.back().empty())
            return {};
    }
    std::vector<std::vector<uint8_t>> codestreams;
    for (uint32_t f = 0; f < shape.frames; ++f)
        codestreams.push_back(made[f % distinct]);
    const std::u16string wide(path.begin(), path.end());
    if (!jp2doc::WriteJp2(wide.c_str(), p, codestreams)) {
        std::remove(path.c_str());
        return {};
    }
    return path;
}

// A document on disk for the life of the process.
struct SDocumentFile {
    SShape shape;
    std::string path;
    std::u16string wide;

    SDocumentFile(SShape s, std::string written) : shape(s), path(std::move(written))
    {
        wide.assign(path.begin(), path.end());
    }
    ~SDocumentFile()
    {
        if (!path.empty())
            std::remove(path.c_str());
    }
    SDocumentFile(const SDocumentFile&) = delete;
    SDocumentFile& operator=(const SDocumentFile&) = delete;
};

// Sets QUELVIX_THREADS for a scope and puts back what was there.
class CThreadsVariable
{
  public:
    explicit CThreadsVariable(int threads)
    {
        if (const char* old = std::getenv("QUELVIX_THREADS")) {
            m_had = true;
            m_old = old;
        }
        setenv("QUELVIX_THREADS", std::to_string(threads).c_str(), 1);
    }
    ~CThreadsVariable()
    {
        if (m_had)
            setenv("QUELVIX_THREADS", m_old.c_str(), 1);
        else
            unsetenv("QUELVIX_THREADS");
    }
    CThreadsVariable(const CThreadsVariable&) = delete;
    CThreadsVariable& operator=(const CThreadsVariable&) = delete;

  private:
    bool m_had = false;
    std::string m_old;
};

} // namespace bench
