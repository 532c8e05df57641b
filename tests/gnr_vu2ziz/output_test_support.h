// Writing copies of the test documents through IJp2OutputFile, and a format
// writer that forwards to another one, recording what it was given.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "document_test_support.h"
#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_vu2ziz/LxJp2OutputFile.h"
#include "mul_imageformat/LxOutputImageFile.h"

namespace lxtest_vu2ziz
{

// Unpadded rows of an image that GetImage gave with padded ones.
inline std::vector<uint8_t> Unpadded(const std::vector<uint8_t>& padded, uint32_t widthBytes,
                                     uint32_t height, uint32_t rowBytes)
{
    std::vector<uint8_t> out(size_t(rowBytes) * height);
    for (uint32_t y = 0; y < height; ++y)
        std::memcpy(&out[size_t(y) * rowBytes], &padded[size_t(y) * widthBytes], rowBytes);
    return out;
}

// Writes every image of source into output (size and depth of image 0),
// calling before(seq) ahead of each; false at the first failure.
inline bool CopyImages(IJp2InputFile* source, IJp2OutputFile* output,
                       const std::function<void(uint32_t)>& before = nullptr)
{
    uint32_t w = 0, wb = 0, h = 0, comps = 0, bits = 0;
    if (!source->GetImageInfo(0, &w, &wb, &h, &comps, &bits) ||
        !output->SetImageInfo(w, h, bits))
        return false;
    for (uint32_t seq = 0; seq < source->GetImageCount(); ++seq) {
        if (!source->GetImageInfo(seq, &w, &wb, &h, &comps, &bits))
            return false;
        std::vector<uint8_t> image(size_t(wb) * h);
        if (!source->GetImage(seq, image.data()))
            return false;
        const uint32_t row = (bits + 7) / 8 * comps * w;
        if (before)
            before(seq);
        if (!output->WriteImage(seq, Unpadded(image, wb, h, row).data()))
            return false;
    }
    return true;
}

inline std::vector<uint8_t> FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
}

inline void CopyFile(const std::string& from, const std::string& to)
{
    const std::vector<uint8_t> bytes = FileBytes(from);
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Forwards to the inner writer, recording the attributes, the frames whose
// data was set (and their bytes) and the time each frame's metadata carried.
class CRecordingWriter : public ILxOutputImageFile
{
  public:
    explicit CRecordingWriter(ILxOutputImageFile* inner) : m_inner(inner) { m_inner->AddRef(); }
    ~CRecordingWriter() override { m_inner->Release(); }

    SLxImageAttributes attributes{};
    std::vector<uint32_t> framesWritten;
    std::vector<std::vector<uint8_t>> frameBytes; // rows of attributes.uiWidthBytes
    std::vector<std::pair<uint32_t, double>> metadataTimes;

    uint32_t AddRef() override { return ++m_refs; }
    uint32_t Release() override
    {
        const uint32_t left = m_refs ? --m_refs : 0;
        if (left == 0)
            delete this;
        return left;
    }
    int Close() override { return m_inner->Close(); }
    int Abort() override { return m_inner->Abort(); }
    int DiscardLastFrames(uint32_t n) override { return m_inner->DiscardLastFrames(n); }
    ILxImageFormat* GetImageFormat() override { return m_inner->GetImageFormat(); }
    int SetImageMetadata(uint32_t seq, const SLxPictureMetadata& md, uint32_t r) override
    {
        metadataTimes.emplace_back(seq, md.dTimeMSec);
        return m_inner->SetImageMetadata(seq, md, r);
    }
    int SetExperiment(const SLxExperiment& e, const CLxVariant* v) override
    {
        return m_inner->SetExperiment(e, v);
    }
    int SetEvents(const SLxExperimentRecord& e, uint32_t r) override
    {
        return m_inner->SetEvents(e, r);
    }
    int Unsupported10(uint32_t v) override { return m_inner->Unsupported10(v); }
    int SetImageBinary(const uint8_t* b) override { return m_inner->SetImageBinary(b); }
    int SetImageAttributes(const SLxImageAttributes& a) override
    {
        attributes = a;
        return m_inner->SetImageAttributes(a);
    }
    int SetCalibration(uint32_t s, double c, double a, bool v, const CLxStringW& o) override
    {
        return m_inner->SetCalibration(s, c, a, v, o);
    }
    int SetAcqTime(double t) override { return m_inner->SetAcqTime(t); }
    int SetReportObjectsSeq(uint32_t s, const CLxStringW& o) override
    {
        return m_inner->SetReportObjectsSeq(s, o);
    }
    int SetReportObjects(const CLxStringW& o) override { return m_inner->SetReportObjects(o); }
    int SetTextInfo(const SLxImageTextInfo& t) override { return m_inner->SetTextInfo(t); }
    int Unsupported18(uint32_t v) override { return m_inner->Unsupported18(v); }
    int SetImageDataFirst(const void* b, LX_PFN_PROGRESS p, void* c) override
    {
        return SetImageData(0, b, p, c);
    }
    int SetImageData(uint32_t seq, const void* b, LX_PFN_PROGRESS p, void* c) override
    {
        framesWritten.push_back(seq);
        const auto* bytes = static_cast<const uint8_t*>(b);
        frameBytes.emplace_back(bytes,
                                bytes + size_t(attributes.uiWidthBytes) * attributes.uiHeight);
        return m_inner->SetImageData(seq, b, p, c);
    }
    int SetImageTileFirst(int32_t x, int32_t y, const void* b, LX_PFN_PROGRESS p,
                          void* c) override
    {
        return m_inner->SetImageTileFirst(x, y, b, p, c);
    }
    int SetImageTile(uint32_t s, int32_t x, int32_t y, const void* b, LX_PFN_PROGRESS p,
                     void* c) override
    {
        return m_inner->SetImageTile(s, x, y, b, p, c);
    }
    int SetUnknownData(ILxImageUnknownData* k) override { return m_inner->SetUnknownData(k); }
    int SetCustomData(const char16_t* n, const void* d, uint32_t s) override
    {
        return m_inner->SetCustomData(n, d, s);
    }
    int SetCustomDataSeq(const char16_t* n, uint32_t q, const void* d, uint32_t s) override
    {
        return m_inner->SetCustomDataSeq(n, q, d, s);
    }
    int SetCustomDataVar(const char16_t* n, const CLxVariant& d) override
    {
        return m_inner->SetCustomDataVar(n, d);
    }
    int SetCustomDataVarSeq(const char16_t* n, uint32_t s, const CLxVariant& d) override
    {
        return m_inner->SetCustomDataVarSeq(n, s, d);
    }
    int CreateInputFile(uint32_t s, ILxInputImageFile** r, uintptr_t e) override
    {
        return m_inner->CreateInputFile(s, r, e);
    }

  private:
    ILxOutputImageFile* m_inner;
    uint32_t m_refs = 0;
};

} // namespace lxtest_vu2ziz
