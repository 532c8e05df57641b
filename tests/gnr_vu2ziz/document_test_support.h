// Opening the test documents (tests/fixtures/documents) through the SDK, and
// a reader that forwards to another one, counting and changing what the
// tests need.
#pragma once

#include <gtest/gtest.h>

#include <dirent.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "fixtures/documents/document_fixtures.h"
#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_system/LxByteArray.h"
#include "gnr_vu2ziz/LxJp2InputFile.h"
#include "gnr_vu2ziz/meta_inputfile/LxJp2InputFileImpl.h"
#include "mul_imageformat/LxImageAttributes.h"
#include "mul_imageformat/LxInputImageFile.h"
#include "mul_imageformat/gnr_imageformat_jp2/LxImageFormatJP2.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxImageFormatQX2.h"
#include "test_support.h"

namespace lxtest_vu2ziz
{

inline std::string DocumentPath(const std::string& name)
{
    return std::string(LXTEST_DOCUMENTS_DIR) + "/" + name;
}

// Holds the one reference of an input document.
struct Document {
    Document() = default;
    explicit Document(IJp2InputFile* made) : p(made) {}
    explicit Document(const std::string& path) : p(CreateJp2InputFile(U16(path.c_str()).c_str()))
    {
    }
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;
    ~Document()
    {
        if (p)
            p->Release();
    }
    IJp2InputFile* operator->() const { return p; }
    explicit operator bool() const { return p != nullptr; }
    IJp2InputFile* p = nullptr;
};

inline Document OpenFixture(const std::string& name)
{
    return Document(DocumentPath(name));
}

inline int OpenDescriptors()
{
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir))
            ++count;
        closedir(dir);
    }
    return count;
}

// Forwards every operation to the inner reader (which it holds a reference
// on); GetImageData, GetImageDataComponent and GetImageMetadata are
// counted, and the hooks may replace the attributes and the frames.
class CForwardingFile : public ILxInputImageFile
{
  public:
    explicit CForwardingFile(ILxInputImageFile* inner) : m_inner(inner) { m_inner->AddRef(); }
    ~CForwardingFile() override { m_inner->Release(); }

    uint32_t imageDataCalls = 0;
    uint32_t imageDataComponentCalls = 0;
    uint32_t metadataCalls = 0;
    // Changes the attributes reported.
    std::function<void(SLxImageAttributes&)> attributes;
    // Replaces GetImageData.
    std::function<int(uint32_t, void*)> imageData;
    // Changes the metadata read.
    std::function<void(SLxPictureMetadata&)> metadata;
    // Replaces GetCustomData.
    std::function<int(const char16_t*, CLxByteArray&)> customData;

    uint32_t AddRef() override { return ++m_refs; }
    uint32_t Release() override
    {
        if (--m_refs)
            return m_refs;
        delete this;
        return 0;
    }
    ILxImageFormat* GetImageFormat() override { return m_inner->GetImageFormat(); }
    int GetImageMetadata(uint32_t seq, SLxPictureMetadata& md, uint32_t r) override
    {
        ++metadataCalls;
        const int rc = m_inner->GetImageMetadata(seq, md, r);
        if (rc == 0 && metadata)
            metadata(md);
        return rc;
    }
    int GetExperiment(SLxExperiment& e, uint32_t r) override { return m_inner->GetExperiment(e, r); }
    int GetEvents(SLxExperimentRecord& e, uint32_t r) override { return m_inner->GetEvents(e, r); }
    int Unsupported7(uint32_t v) override { return m_inner->Unsupported7(v); }
    int GetImageBinary(uint8_t* b) override { return m_inner->GetImageBinary(b); }
    int GetImageInfo(uint32_t& w, uint32_t& h, uint32_t& b, uint32_t& c) override
    {
        return m_inner->GetImageInfo(w, h, b, c);
    }
    int CheckPixelFormat(uint32_t f) override { return m_inner->CheckPixelFormat(f); }
    int GetImageAttributes(SLxImageAttributes& a) override
    {
        const int rc = m_inner->GetImageAttributes(a);
        if (rc == 0 && attributes)
            attributes(a);
        return rc;
    }
    int GetCalibration(uint32_t s, double& c, double& a, CLxStringW& o) override
    {
        return m_inner->GetCalibration(s, c, a, o);
    }
    int GetAcqTime(double& t) override { return m_inner->GetAcqTime(t); }
    int GetReportObjectsSeq(uint32_t s, CLxStringW& o) override
    {
        return m_inner->GetReportObjectsSeq(s, o);
    }
    int GetReportObjects(CLxStringW& o) override { return m_inner->GetReportObjects(o); }
    int GetTextInfo(SLxImageTextInfo& t) override { return m_inner->GetTextInfo(t); }
    int Unsupported17(uint32_t v) override { return m_inner->Unsupported17(v); }
    int GetPreviewImage(uint32_t& w, uint32_t& h, uint8_t* d, bool k, uint32_t a,
                        uint32_t b) override
    {
        return m_inner->GetPreviewImage(w, h, d, k, a, b);
    }
    int GetImageDataFirst(void* b, uint32_t e1, uint32_t e2) override
    {
        return GetImageData(0, b, e1, e2);
    }
    int GetImageData(uint32_t seq, void* b, uint32_t e1, uint32_t e2) override
    {
        ++imageDataCalls;
        return imageData ? imageData(seq, b) : m_inner->GetImageData(seq, b, e1, e2);
    }
    int GetImageRegionFirst(uint32_t x, uint32_t y, uint32_t w, uint32_t h, void* b, uint32_t e1,
                            uint32_t e2) override
    {
        return m_inner->GetImageRegionFirst(x, y, w, h, b, e1, e2);
    }
    int GetImageRegion(uint32_t s, uint32_t x, uint32_t y, uint32_t w, uint32_t h, void* b,
                       uint32_t e1, uint32_t e2) override
    {
        return m_inner->GetImageRegion(s, x, y, w, h, b, e1, e2);
    }
    int GetImageRegionScaled(uint32_t s, uint32_t vw, uint32_t vh, uint32_t x, uint32_t y,
                             uint32_t w, uint32_t h, void* b, uint32_t e1, uint32_t e2) override
    {
        return m_inner->GetImageRegionScaled(s, vw, vh, x, y, w, h, b, e1, e2);
    }
    int GetUnknownData(ILxImageUnknownData** k) override { return m_inner->GetUnknownData(k); }
    int Unsupported25(uint32_t a, uint32_t b) override { return m_inner->Unsupported25(a, b); }
    int GetImageDataComponent(uint32_t s, uint32_t c, void* d, uint32_t wb, uint32_t dc) override
    {
        ++imageDataComponentCalls;
        return m_inner->GetImageDataComponent(s, c, d, wb, dc);
    }
    int GetCustomData(const char16_t* n, CLxByteArray& d) override
    {
        return customData ? customData(n, d) : m_inner->GetCustomData(n, d);
    }
    int GetCustomDataSeq(const char16_t* n, uint32_t s, CLxByteArray& d) override
    {
        return m_inner->GetCustomDataSeq(n, s, d);
    }
    int GetCustomDataVar(const char16_t* n, CLxVariant& d) override
    {
        return m_inner->GetCustomDataVar(n, d);
    }
    int GetCustomDataVarSeq(const char16_t* n, uint32_t s, CLxVariant& d) override
    {
        return m_inner->GetCustomDataVarSeq(n, s, d);
    }

    ILxInputImageFile* Inner() const { return m_inner; }

  private:
    ILxInputImageFile* m_inner;
    uint32_t m_refs = 0;
};

// The fixture's image-format reader (count 0), QX2 or JPEG 2000 by name.
inline ILxInputImageFile* OpenFormatReader(const std::string& name)
{
    const std::u16string path = U16(DocumentPath(name).c_str());
    ILxInputImageFile* file = LX_CreateQx2InputFile(path.c_str());
    return file ? file : LX_CreateJp2InputFile(path.c_str());
}

// An input document over a forwarding reader of the fixture; the wrapper
// stays valid while the document is open.
struct WrappedDocument {
    CJp2InputFile* document = nullptr;
    CForwardingFile* wrapper = nullptr;

    explicit WrappedDocument(const std::string& name,
                             const std::function<void(CForwardingFile&)>& setUp = nullptr)
    {
        ILxInputImageFile* file = OpenFormatReader(name);
        if (!file)
            return;
        wrapper = new CForwardingFile(file);
        wrapper->AddRef();
        if (setUp)
            setUp(*wrapper);
        document = new CJp2InputFile;
        if (document->OpenFile(wrapper) != 0) {
            document->Release();
            document = nullptr;
        }
    }
    ~WrappedDocument()
    {
        if (document)
            document->Release();
        if (wrapper)
            wrapper->Release();
    }
    WrappedDocument(const WrappedDocument&) = delete;
    WrappedDocument& operator=(const WrappedDocument&) = delete;
    CJp2InputFile* operator->() const { return document; }
};

// A reader setup that hides the file's "AcqTimesCache".
inline void WithoutTimesCache(CForwardingFile& file)
{
    file.customData = [](const char16_t*, CLxByteArray&) { return -13; };
}

inline uint64_t Checksum(const std::vector<uint8_t>& bytes)
{
    uint64_t sum = 1469598103934665603ull;
    for (uint8_t b : bytes)
        sum = (sum ^ b) * 1099511628211ull;
    return sum;
}

} // namespace lxtest_vu2ziz
