// The QX2 format class: constants, presets, bit adjustment, the create
// operations and the exported openers.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "gnr_system/rtti/LxRTTI.h"
#include "gnr_system/rtti/LxSectionToVariant.h"
#include "mul_imageformat/LxInputImageFile.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxImageFormatQX2.h"
#include "qx2_writer_support.h"

using namespace chunktest;
using namespace qx2test;

namespace
{

struct FormatRef {
    FormatRef()
        : p(static_cast<CLxImageFormatQX2*>(
              static_cast<CLxClass*>(LX_ConstructorForCLxImageFormatQX2("t", 1))))
    {
    }
    ~FormatRef() { p->Release(); }
    CLxImageFormatQX2* operator->() const { return p; }
    CLxImageFormatQX2* p;
};

TEST(QX2Format, ConstantsAndPresets)
{
    FormatRef f;
    CLxStringA id;
    ASSERT_EQ(0, f->GetID(id));
    EXPECT_STREQ("QXIMX", id);
    CLxStringW text;
    ASSERT_EQ(0, f->GetDescription(text));
    EXPECT_TRUE(text == CLxStringW(u"QX2 Image File Format"));
    ASSERT_EQ(0, f->GetExtensions(text));
    EXPECT_TRUE(text == CLxStringW(u".qx2"));
    EXPECT_EQ(2u, f->GetCompressionCount());
    uint32_t type = 9;
    double parameter = 0;
    ASSERT_EQ(0, f->GetCompression(1, text, type, parameter));
    EXPECT_TRUE(text == CLxStringW(u"Lossless"));
    EXPECT_EQ(0u, type);
    EXPECT_EQ(4.0, parameter);
    ASSERT_EQ(0, f->GetCompression(0, text, type, parameter));
    EXPECT_TRUE(text == CLxStringW(u"None"));
    EXPECT_EQ(2u, type);
    EXPECT_EQ(-4, f->GetCompression(2, text, type, parameter));
    for (uint32_t pf : {0u, 2u, 4u, 5u, 8u, 9u, 11u, 12u, 13u, 14u, 19u, 20u, 22u})
        EXPECT_EQ(0, f->CheckPixelFormat(pf)) << pf;
    for (uint32_t pf : {1u, 3u, 21u, 23u, 1000u})
        EXPECT_EQ(-1506, f->CheckPixelFormat(pf)) << pf;
    uint32_t w = 0, h = 0;
    EXPECT_EQ(-1506, f->GetMaxTileSize(0, 0, &w, &h));
}

TEST(QX2Format, BitsCheckedAndAdjusted)
{
    FormatRef f;
    const struct {
        uint8_t bits, adjusted;
        int check;
    } cases[] = {{7, 8, -1506}, {8, 8, 0},       {12, 12, 0},
                 {16, 16, 0},   {17, 16, -1506}, {0, 8, -1506}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.check, f->CheckBits(1, 1, c.bits, 1)) << int(c.bits);
        SLxImageAttributes a{};
        a.uiWidth = 33;
        a.uiBpcInMemory = c.bits;
        EXPECT_EQ(c.check, f->CheckAttributes(&a));
        EXPECT_EQ(0, f->AdjustAttributes(&a));
        EXPECT_EQ(c.adjusted, a.uiBpcInMemory);
        EXPECT_EQ(33u, a.uiWidth);
    }
}

TEST(QX2Format, RegisteredWithItsPriority)
{
    Dl_info info{};
    ASSERT_NE(0, dladdr(reinterpret_cast<void*>(&LX_CreateQx2InputFile), &info));
    CLxVariant index;
    index.EnableTypeChange(true);
    ASSERT_EQ(0, LX_SectionToVariant(index, CLxStringW(U16(info.dli_fname).c_str()), "sta9IDX"));
    bool declared = false;
    const CLxVariant* rank = nullptr;
    for (int i = 0; i < index.GetCount(); ++i) {
        const CLxVariant& child = index[i];
        if (child.GetName() == CLxStringW(u"CLxImageFormatQX2")) {
            if (child.Search(u"m_RTTIpriority"))
                rank = &child;
            else
                declared = true;
        }
    }
    EXPECT_TRUE(declared);
    ASSERT_NE(nullptr, rank);
    EXPECT_TRUE((*rank)[u"m_RTTIpriority"].GetCLxStringW() == CLxStringW(u"00.90.00.00"));
    EXPECT_EQ(1, (*rank)[u"m_version"].GetLx_int32());
}

class QX2FormatFiles : public ::testing::Test
{
  protected:
    std::u16string Path(const char* name = "f.qx2") { return m_dir.u16(name); }
    std::string Narrow(const char* name = "f.qx2") { return (m_dir.path() / name).string(); }
    ScopedTempDir m_dir;
    FormatRef m_format;
};

TEST_F(QX2FormatFiles, CreateOutputByNameAddsToAnExistingFile)
{
    const SDocSpec s{"Ver2.1", 4, 2, 1, 8, true, 0};
    for (uint32_t f = 0; f < 2; ++f) {
        ILxOutputImageFile* w = nullptr;
        ASSERT_EQ(0, m_format->CreateOutputImageFile(CLxStringW(Path().c_str()), &w));
        ASSERT_NE(nullptr, w);
        SLxImageAttributes a = s.Attributes(f);
        ASSERT_EQ(0, w->SetImageAttributes(a));
        const std::string frame = ExpectedFrame(s, f);
        ASSERT_EQ(0, w->SetImageData(f, frame.data(), nullptr, nullptr));
        ILxImageFormat* back = w->GetImageFormat();
        EXPECT_EQ(static_cast<ILxImageFormat*>(m_format.p), back);
        back->GetClass()->Release();
        EXPECT_EQ(0u, w->Release());
    }
    ILxInputImageFile* r = nullptr;
    ASSERT_EQ(0, m_format->CreateInputImageFile(CLxStringW(Path().c_str()), &r));
    SLxImageAttributes a{};
    ASSERT_EQ(0, r->GetImageAttributes(a));
    EXPECT_EQ(2u, a.uiSequenceCount);
    std::string got(s.Stride() * s.height, '\0');
    ASSERT_EQ(0, r->GetImageData(0, &got[0], 0, 0));
    EXPECT_EQ(ExpectedFrame(s, 0), got);
    EXPECT_EQ(0u, r->Release());
}

TEST_F(QX2FormatFiles, MapUnreadableStillOpens)
{
    {
        CLxFileChunker c;
        CLxStringA v("Ver2.1");
        ASSERT_EQ(0, c.Open(Path().c_str(), false, false, v));
        ASSERT_EQ(0, c.WriteChunk("ReportObjects!", "r", 1));
    }
    ILxInputImageFile* r = LX_CreateQx2InputFile(Path().c_str());
    ASSERT_NE(nullptr, r);
    r->AddRef();
    r->Release();
}

TEST_F(QX2FormatFiles, FailingInputWithNegativeParameterSkipsTheManager)
{
    WriteFileBytes(Narrow(), "not a chunk file at all");
    SLxImageAttributes a{};
    a.uiBpcInMemory = 8;
    a.dCompressionParam = -1.5;
    m_format->AdjustAttributes(&a);
    ILxInputImageFile* r = reinterpret_cast<ILxInputImageFile*>(1);
    EXPECT_EQ(-9, m_format->CreateInputImageFile(CLxStringW(Path().c_str()), &r));
    EXPECT_EQ(nullptr, r);
    // Without the guard the manager is asked; none is registered.
    FormatRef fresh;
    EXPECT_EQ(-9, fresh->CreateInputImageFile(CLxStringW(Path().c_str()), &r));
    EXPECT_EQ(nullptr, r);
    ILxOutputImageFile* w = nullptr;
    EXPECT_EQ(-9, m_format->CreateOutputImageFile(CLxStringW(Path().c_str()), &w));
    EXPECT_EQ(nullptr, w);
    EXPECT_EQ("not a chunk file at all", ReadFileBytes(Narrow()));
    EXPECT_EQ(nullptr, LX_CreateQx2InputFile(Path().c_str()));
}

TEST_F(QX2FormatFiles, MemoryDocumentRoundTrip)
{
    CLxByteArray block;
    const SDocSpec s{"Ver2.1", 3, 3, 3, 8, true, 0};
    ILxOutputImageFile* w = nullptr;
    ASSERT_EQ(0, m_format->CreateOutputImageFile(&block, &w));
    SLxImageAttributes a = s.Attributes(0);
    a.uiWidthBytes = s.Stride(); // the padded rows of ExpectedFrame
    ASSERT_EQ(0, w->SetImageAttributes(a));
    const std::string frame = ExpectedFrame(s, 0);
    ASSERT_EQ(0, w->SetImageData(0, frame.data(), nullptr, nullptr));
    EXPECT_EQ(0u, w->Release());
    ILxInputImageFile* r = nullptr;
    ASSERT_EQ(0, m_format->CreateInputImageFile(&block, &r));
    std::string got(frame.size(), '\0');
    ASSERT_EQ(0, r->GetImageData(0, &got[0], 0, 0));
    EXPECT_EQ(frame, got);
    r->Release();
}

// A write the file system refuses (the size limit): -9, and every earlier
// frame still reads back after Close.
TEST_F(QX2FormatFiles, FailingWriteKeepsEarlierFrames)
{
    const SDocSpec s{"Ver2.1", 64, 64, 1, 8, false, 0};
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    ILxOutputImageFile* w = LX_CreateQx2OutputFile(Path().c_str(), false);
    ASSERT_NE(nullptr, w);
    w->AddRef();
    ASSERT_EQ(0, w->SetImageAttributes(s.Attributes(0)));
    uint32_t written = 0;
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    setrlimit(RLIMIT_FSIZE, &small);
    int rc = 0;
    for (uint32_t f = 0; f < 40 && rc == 0; ++f) {
        const std::string frame = ExpectedFrame(s, f);
        rc = w->SetImageData(f, frame.data(), nullptr, nullptr);
        if (rc == 0)
            written = f + 1;
    }
    EXPECT_EQ(-9, rc);
    EXPECT_GT(written, 0u);
    const int closed = w->Close();
    setrlimit(RLIMIT_FSIZE, &old);
    sigaction(SIGXFSZ, &previous, nullptr);
    w->Release();
    (void)closed;
    ILxInputImageFile* r = LX_CreateQx2InputFile(Path().c_str());
    ASSERT_NE(nullptr, r);
    r->AddRef();
    std::string got(s.Stride() * s.height, '\0');
    for (uint32_t f = 0; f < written; ++f) {
        ASSERT_EQ(0, r->GetImageData(f, &got[0], 0, 0)) << f;
        EXPECT_EQ(ExpectedFrame(s, f), got) << f;
    }
    r->Release();
}

} // namespace
