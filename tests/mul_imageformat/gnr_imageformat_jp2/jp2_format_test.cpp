// The JPEG 2000 format class and the factories.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "gnr_system/string/LxString.h"
#include "mul_imageformat/LxImageAttributes.h"
#include "mul_imageformat/LxInputImageFile.h"
#include "mul_imageformat/LxOutputImageFile.h"
#include "mul_imageformat/gnr_imageformat_jp2/LxImageFormatJP2.h"
#include "test_support.h"

namespace
{

struct Format {
    CLxImageFormatJP2* f = new CLxImageFormatJP2();
    ~Format() { f->Release(); }
    CLxImageFormatJP2* operator->() { return f; }
};

} // namespace

TEST(JP2Format, ConstantsAndRules)
{
    Format f;
    CLxStringA id;
    CLxStringW text;
    EXPECT_EQ(f->GetID(id), 0);
    EXPECT_STREQ(id.GetString(), "JPEG2000");
    EXPECT_EQ(f->GetExtensions(text), 0);
    EXPECT_EQ(U8(text.GetString()), ".jp2;.j2k");
    EXPECT_EQ(f->GetCompressionCount(), 6u);
    uint32_t type = 9;
    double parameter = 0;
    EXPECT_EQ(f->GetCompression(3, text, type, parameter), 0);
    EXPECT_EQ(type, 1u);
    EXPECT_DOUBLE_EQ(parameter, 0.07);
    EXPECT_EQ(f->GetCompression(6, text, type, parameter), -4);
    EXPECT_EQ(f->CheckPixelFormat(22), 0);
    EXPECT_EQ(f->CheckPixelFormat(1), -1506);
    EXPECT_EQ(f->CheckBits(1, 1, 7, 1), -1506);
    EXPECT_EQ(f->CheckBits(1, 1, 16, 1), 0);

    const struct {
        uint8_t in, out;
    } bits[] = {{9, 16}, {12, 16}, {8, 8}, {17, 16}, {0, 0}};
    for (const auto& c : bits) {
        uint8_t b = c.in;
        EXPECT_EQ(f->AdjustBits(nullptr, nullptr, &b, nullptr), 0);
        EXPECT_EQ(b, c.out) << int(c.in);
    }
    SLxImageAttributes a{};
    a.uiWidth = 100;
    a.uiComp = 3;
    a.uiBpcInMemory = 12;
    a.eCompression = 1;
    a.dCompressionParam = 0.0;
    EXPECT_EQ(f->AdjustAttributes(&a), 0);
    EXPECT_EQ(a.uiBpcInMemory, 16);
    EXPECT_EQ(a.uiWidthBytes, 600u);
    EXPECT_DOUBLE_EQ(a.dCompressionParam, 0.000001);
    a.uiWidth = 101;
    a.uiComp = 1;
    a.uiBpcInMemory = 8;
    a.eCompression = 0;
    a.dCompressionParam = 4.0;
    f->AdjustAttributes(&a);
    EXPECT_EQ(a.uiWidthBytes, 104u);
    EXPECT_DOUBLE_EQ(a.dCompressionParam, 0.0);
    EXPECT_EQ(f->GetMaxTileSize(0, 0, nullptr, nullptr), 0);
    uint32_t w = 0, h = 0;
    f->GetMaxTileSize(0, 0, &w, &h);
    EXPECT_EQ(w, 2048u);
    EXPECT_EQ(h, 2048u);
    EXPECT_EQ(f->QueryInterface("ILxImageFormat") != nullptr, true);
    f->Release(); // the reference QueryInterface added
    EXPECT_EQ(f->QueryInterface("ILxOther"), nullptr);
}

TEST(JP2Format, ReadersWritersAndFactories)
{
    ScopedTempDir dir;
    const std::u16string text = dir.u16("note.txt"), out = dir.u16("o.jp2");
    std::ofstream(dir.path() / "note.txt") << "not a picture\n";
    Format f;
    ILxInputImageFile* reader = reinterpret_cast<ILxInputImageFile*>(1);
    EXPECT_EQ(f->CreateInputImageFile(CLxStringW(text.c_str()), &reader), -9);
    EXPECT_EQ(reader, nullptr);
    EXPECT_EQ(f->CreateInputImageFile(CLxStringW(dir.u16("none.jp2").c_str()), &reader), -9);
    EXPECT_EQ(LX_CreateJp2InputFile(text.c_str()), nullptr);

    // A write-protected existing file.
    std::ofstream(dir.path() / "ro.jp2") << "x";
    std::filesystem::permissions(dir.path() / "ro.jp2", std::filesystem::perms::owner_read);
    ILxOutputImageFile* writer = nullptr;
    if (getuid() != 0) {
        EXPECT_EQ(f->CreateOutputImageFile(CLxStringW(dir.u16("ro.jp2").c_str()), &writer), -10);
    }

    // A small document made through the factory, read through it twice.
    ILxOutputImageFile* w = LX_CreateJp2OutputFile(out.c_str());
    ASSERT_NE(w, nullptr);
    w->AddRef();
    SLxImageAttributes a{};
    a.uiWidth = 8;
    a.uiHeight = 4;
    a.uiComp = 1;
    a.uiBpcInMemory = a.uiBpcSignificant = 8;
    w->SetImageAttributes(a);
    std::vector<uint8_t> frame(8 * 4, 7);
    ASSERT_EQ(w->SetImageData(0, frame.data(), nullptr, nullptr), 0);
    ASSERT_EQ(w->Close(), 0);
    w->Release();

    ILxInputImageFile* r1 = LX_CreateJp2InputFile(out.c_str());
    ILxInputImageFile* r2 = LX_CreateJp2InputFile(out.c_str());
    ASSERT_NE(r1, nullptr);
    ASSERT_NE(r2, nullptr);
    r1->AddRef();
    r2->AddRef();
    ILxImageFormat* f1 = r1->GetImageFormat();
    ILxImageFormat* f2 = r2->GetImageFormat();
    EXPECT_NE(f1, nullptr);
    EXPECT_EQ(f1, f2);
    f1->GetClass()->Release();
    f2->GetClass()->Release();
    r1->Release();
    r2->Release();

    ASSERT_EQ(f->CreateInputImageFile(CLxStringW(out.c_str()), &reader), 0);
    ASSERT_NE(reader, nullptr);
    reader->Release();
}
